// Flips and the mirror. "수평제비회전" (1410) and "수직제비회전" (1411) turn the whole
// picture over left to right or top to bottom: every layer, with its opacity, and the
// place of a layer that is moved or larger than the canvas, so that the composite is
// the flipped composite. "거울변환" (1408) reverses the current layer left to right in
// its own box, opacity included.
#pragma once

#include "Operations.h"

Operation FlipHorizontalOperation();
Operation FlipVerticalOperation();
// The mirror's change alone (no step).
Status MirrorLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation MirrorOperation();
