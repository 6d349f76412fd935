// The steps around every interactive change of a layer. The selection outline is
// drawn into the pixels of the topmost visible layer (the outline surface) and taken
// out again by restoring that layer from its working copy; so before pixels change
// the outline is removed, and after a change the working copy is refreshed, so that
// a later restore never takes a change back. Invariant kept by these helpers: while
// the selection's outline surface is a slot, that slot's working copy holds its
// pixels without the outline; while it is -1 no layer holds outline pixels.
#pragma once

#include <climits>

#include "Document.h"
#include "OutlinePause.h"
#include "Status.h"

// The 400 ms outline timer of the view: it runs while the outline is shown.
void StopOutlineTimer(COrinDoc& doc);
void RestartOutlineTimer(COrinDoc& doc);

// Takes the outline out of the layer it was drawn into and forgets the surface and host.
void RemoveOutline(COrinDoc& doc);
// Takes the outline out of its surface but keeps it recorded (it is drawn again next).
void CleanOutlineSurface(COrinDoc& doc);
// Makes the topmost visible layer the outline surface and the current layer the host,
// saving their working copies when they are not the recorded ones any more. Returns
// the surface slot, -1 when no layer is visible.
int TakeOutlineSurface(COrinDoc& doc);
int TopVisibleLayer(const COrinDoc& doc);

// Before a painting step: stop the timer and remove the outline.
void BeginLayerStep(COrinDoc& doc);
// After it: restart the timer while a selection is shown.
void EndLayerStep(COrinDoc& doc);

// Working copy of the current layer: the whole layer, or only layer rows lo..hi when
// the stored copy has the live layer's geometry (a stroke touches a few rows).
void RefreshWorkingCopy(COrinDoc& doc, int rowLo = INT_MIN, int rowHi = INT_MAX);
// The current layer back from its working copy (rubber-band previews).
void RestoreWorkingCopy(COrinDoc& doc);

// The layer's pixels changed: the display must be composited again.
void MarkLayerChanged(COrinDoc& doc);
// Only the current layer's columns [x0, x1) and rows [y0, y1) changed.
void MarkLayerChanged(COrinDoc& doc, int x0, int y0, int x1, int y1);

// The text-layer refusal of every raster tool; Ok for other layers.
Status RefuseTextLayer(const COrinDoc& doc);
// Reports a failed status to the host (message box) and passes it on.
Status Report(COrinDoc& doc, Status status);
