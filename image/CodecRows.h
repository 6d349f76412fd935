// What the PNG, WebP and AVIF codecs share: the rest of a stream as one block, the
// picture as top-down red-first rows for an encoder, and the alpha rules. Pictures
// with alpha are 32-bit with Info().hasAlpha set; the fourth byte is not premultiplied.
#pragma once

#include <cstdint>
#include <vector>

#include "ImageBuffer.h"

class ByteStream;

namespace codec {

// Reads from the stream's position to its end; false (with `error` as the picture's
// text) when the stream is empty or cannot be read.
bool ReadRest(ByteStream& in, std::vector<uint8_t>& out, CImageBuffer& picture, const char* error);

// True when `tag` stands at byte `at` of the stream from its position on; the position
// is kept. Readers that take the whole file check their signature with it first, so
// that trying them on another format's file reads only its first bytes.
bool HasTagAt(ByteStream& in, size_t at, const char* tag);

// True when the picture carries alpha and some pixel is not fully covered.
bool HasTransparency(const CImageBuffer& image);

// Packed top-down rows of red, green, blue (and alpha, 255 where the picture has
// none, when `withAlpha`), whatever the picture's depth. False when memory runs out.
bool RedFirstRows(const CImageBuffer& image, bool withAlpha, std::vector<uint8_t>& out);

// Reverses the order of the rows: top-down rows written by a library become bottom-up.
void ReverseRows(CImageBuffer& image);

// The picture's quality as a lossy encoder's 1..100 (the default 150 is 100).
int LossyQuality(const CImageBuffer& image);

}  // namespace codec
