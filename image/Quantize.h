// Colour reduction to 8 bits with an optimal palette, and back to true colour.
#pragma once

#include "ImageBuffer.h"

bool ReduceTo8Bit(CImageBuffer& image);
bool ToTrueColour(CImageBuffer& image);
