// The selection outline as the views show it: white dashes drawn over a screen image
// (a copy of the composite), never into the layers, so that saving, copying and every
// other reader of the layers sees the picture alone.
#pragma once

#include <cstdint>

#include "Compositor.h"
#include "Document.h"

// True when the selection has anything to show: a shown selection, the rectangle
// tool's rubber band, or the boundary of a free or polygon selection being drawn.
bool SelectionOutlineVisible(const COrinDoc& doc);

// Draws the outline into `image` (params.width x params.height pixels, rows top-down,
// the region of the view that `params` describes, as ComposeLayers makes it):
// - a shown, filled selection: its edge, one screen pixel wide, at any zoom;
// - a boundary not yet filled (free and polygon selection): the boundary pixels;
// - the rubber band: the rectangle's border.
// Dashes run in fours along x + y, shifted by the selection phase; the blink phase
// swaps dashes and gaps.
void DrawSelectionOutline(const COrinDoc& doc, const ComposeParams& params, uint32_t* image);
