// The steps around every interactive change of a layer: the outline pauses while pixels
// change (OutlinePause.h), and after a change the working copy is refreshed, so that a later
// restore (a preview, Cancel) never takes a change back. The selection outline itself
// is drawn by the views over their screen image only; no layer ever holds it.
#pragma once

#include <climits>

#include "Document.h"
#include "OutlinePause.h"
#include "Status.h"

// The topmost visible layer, -1 when none is visible (no outline is shown then).
int TopVisibleLayer(const COrinDoc& doc);

// Working copy of the current layer: the whole layer, or only layer rows lo..hi when
// the stored copy has the live layer's geometry (a stroke touches a few rows).
void RefreshWorkingCopy(COrinDoc& doc, int rowLo = INT_MIN, int rowHi = INT_MAX);
// The current layer back from its working copy (rubber-band previews).
void RestoreWorkingCopy(COrinDoc& doc);

// The layer's pixels changed: the display must be composited again.
void MarkLayerChanged(COrinDoc& doc);
// Only `layer` changed (anywhere): the views keep what they hold of the other layers.
void MarkLayerChanged(COrinDoc& doc, const LayerRecord& layer);
// Only the current layer's columns [x0, x1) and rows [y0, y1) changed.
void MarkLayerChanged(COrinDoc& doc, int x0, int y0, int x1, int y1);

// The text-layer refusal of every raster tool; Ok for other layers.
Status RefuseTextLayer(const COrinDoc& doc);
// Reports a failed status to the host (message box) and passes it on.
Status Report(COrinDoc& doc, Status status);
