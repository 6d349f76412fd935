// The EXIF block of a JPEG file (the APP1 payload, starting with "Exif\0\0"), read and
// rewritten through libexif. A block that libexif cannot make sense of (a looping IFD
// chain, offsets past its end) gives no orientation and is not written back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exif {

// The Orientation tag of the first IFD (1 to 8), or 0 when there is none or its
// value is outside 1..8.
int Orientation(const uint8_t* block, size_t size);

// The block to write with a picture of width x height: the orientation reset to 1
// when `resetOrientation`, the pixel dimensions set to the picture's, and the
// thumbnail (which shows the picture as it was) left out. Empty when the block
// cannot be read or the result does not fit one JPEG marker.
std::vector<uint8_t> ForSave(const std::vector<uint8_t>& block, int width, int height, bool resetOrientation);

}  // namespace exif
