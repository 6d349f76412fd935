// Helpers of the commands that change the picture's geometry over every layer (flips,
// rotations, resizing, the canvas size), which run through RebuildAllLayers.
#pragma once

#include <cstdint>

#include "Document.h"
#include "Status.h"

// Gives `out` a `width` x `height` geometry at `bits` per pixel (8 for a text layer)
// and fresh buffers: pixels white, alpha `alphaFill`, auxiliary 0. Fails with the
// memory message when the size is not positive, a plane would pass 2^31 bytes or
// memory runs out.
Status AllocateLayer(LayerRecord& out, int width, int height, int bits, uint8_t alphaFill = 0);

// The canvas takes the new size (the layers have theirs already). Nothing is selected
// afterwards: the old mask does not fit the new geometry.
void SetCanvasSize(COrinDoc& doc, int width, int height);
