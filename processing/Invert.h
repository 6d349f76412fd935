// Inversion ("반전변환", command 1413): every colour of the current layer becomes its
// complement, transparent pixels and pixels outside the selection included. An 8-bit
// grey canvas complements each pixel's grey value; another palette canvas complements
// its palette entries (so every layer of that canvas shows inverted).
#pragma once

#include "Operations.h"

// The change alone: the layer as last recorded, inverted (no history step).
Status InvertLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation InvertOperation();
