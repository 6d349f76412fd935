// Mirror, flip and transpose of a whole picture of any depth (1, 4, 8, 24 or 32
// bits), and the TIFF orientation values brought upright with them. "Top" is the
// first line of the picture as shown, i.e. the last row of the bottom-up storage.
#pragma once

class CImageBuffer;

namespace orientation {

// Left-right mirror, in place.
void Mirror(CImageBuffer& image);
// Top-bottom flip, in place.
void Flip(CImageBuffer& image);
// Rows become columns: the pixel at line r, column c (counted from the top left)
// moves to line c, column r. Width and height change places and so do the two DPI
// values. False (picture unchanged) when the new picture cannot be allocated.
bool Transpose(CImageBuffer& image);

// Brings a picture stored with the TIFF orientation value (1 to 8) upright:
// 2 mirror, 3 rotate 180 degrees, 4 flip, 5 transpose, 6 rotate 90 degrees
// clockwise, 7 transverse, 8 rotate 90 degrees anticlockwise. Other values leave
// the picture alone. False only when a transposition runs out of memory.
bool MakeUpright(CImageBuffer& image, int tiffOrientation);

}  // namespace orientation
