// The gradient tool (1353): a colour ramp over the current layer inside the selection,
// its lines of equal colour perpendicular to the drag. Kind 1 runs from the foreground
// colour to black, kind 2 to the background colour; shape 1 is one-way across the
// selection's box, shape 2 symmetric (foreground at both sides).
#pragma once

#include "Document.h"
#include "Status.h"

// Command 1353: the gradient becomes the current tool, its anchors are cleared.
Status ChooseGradient(COrinDoc& doc);
// Mouse: press stores the start, drag shows a rubber line, release applies.
Status GradientPress(COrinDoc& doc, int x, int y);
Status GradientDrag(COrinDoc& doc, int x, int y);
Status GradientRelease(COrinDoc& doc, int x, int y);
// Applies the gradient between the stored start (view.strokeX/Y) and end
// (view.gradEndX/Y), view points, and records "그라디언트". A click without drag is
// refused with the reference-line message; a text layer with the text-layer message.
Status ApplyGradient(COrinDoc& doc);
