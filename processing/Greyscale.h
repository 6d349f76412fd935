// Grey over every layer ("그레이스케일 표현", command 1414): every pixel of every layer
// inside the selection becomes (g, g, g) with g = (R + G + B) / 3, truncated. A palette
// canvas turns its palette entries grey, or, with a selection, takes for each selected
// pixel the nearest entry of its palette. A text layer's colour turns grey too when
// nothing is selected. One step over all layers, then the completion message.
#pragma once

#include "Operations.h"

// The grey of a colour: (R + G + B) / 3.
inline uint8_t GreyOf(int r, int g, int b) { return uint8_t((r + g + b) / 3); }

// The change alone over every layer, recorded as one step (no message).
Status GreyAllLayers(COrinDoc& doc);
Operation GreyscaleOperation();
