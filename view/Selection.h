// The selection: a byte mask over the current layer (rows bottom-up; 0 outside, 1
// inside, 2 boundary) built by the rectangle, free and polygon tools, completed from
// a closed boundary, inverted and released, and shown by the views as white dashes over
// their screen image (SelectionOutline.h), never in the layers. Tool entry points take
// view points (zoomed picture, y down).
#pragma once

#include <cstdint>

#include "Document.h"
#include "Status.h"

// Release: stop the timer, clear the flags and anchors, make
// every mask byte 1 (unless auto select adds to the selection) and merge a lifted
// floating layer back into its layer ("레이어병합").
void ReleaseSelection(COrinDoc& doc);
// Command 2058: release, clear the current tool, refresh the panel.
Status ReleaseCommand(COrinDoc& doc);
// Command 2055: 0 <-> selected (boundary bytes come back as 1). Only while shown.
Status InvertSelection(COrinDoc& doc);

// Every mask byte 0, then the selection rectangle (inclusive, layer coordinates) 1.
void FillRectMask(COrinDoc& doc);
// Mask byte 2 along the straight line between two view points.
void MarkBoundary(COrinDoc& doc, int fromX, int fromY, int toX, int toY);
// Fills the inside of a closed boundary: seed search, every other byte 0, 4-connected
// fill from the seed; boundary bytes stay 2. Sets the built flag.
void CompleteMask(COrinDoc& doc);

// Every mask byte set to `value`; boundary bytes 2 turned into 1.
void SetMaskBytes(COrinDoc& doc, uint8_t value);
void BoundaryToSelected(COrinDoc& doc);

// The smallest box (layer coordinates, inclusive) holding every nonzero mask byte.
struct MaskBox {
    int left = 0, bottom = 0, right = -1, top = -1;
    bool Empty() const { return right < left || top < bottom; }
};
MaskBox SelectionBounds(const SelectionMask& mask);

// The outline timer's tick: flips the blink phase (the views draw the mask's edge in
// dashes of that phase). Completes a closed boundary first as the outline kind asks.
void RedrawSelectionOutline(COrinDoc& doc);

// Rectangle selection (1342).
Status RectSelectPress(COrinDoc& doc, int x, int y);
void RectSelectDrag(COrinDoc& doc, int x, int y);
void RectSelectRelease(COrinDoc& doc, int x, int y);
// Free selection (1343).
void FreeSelectPress(COrinDoc& doc, int x, int y);
void FreeSelectDrag(COrinDoc& doc, int x, int y);
void FreeSelectRelease(COrinDoc& doc, int x, int y);
// Polygon selection (1345): each press adds an edge, a double click closes.
void PolygonSelectPress(COrinDoc& doc, int x, int y);
void PolygonSelectClose(COrinDoc& doc, int x, int y);
// A double click with a selection tool (rectangle, free, polygon, auto select).
void SelectionDoubleClick(COrinDoc& doc, int tool, int x, int y);
