#include "Quantize.h"

bool ReduceTo8Bit(CImageBuffer& image) { return image.Bpp() == 8; }
bool ToTrueColour(CImageBuffer& image) { return image.Bpp() == 24; }
