#include "CodecRows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ByteStream.h"
#include "Messages.h"

namespace codec {

bool HasTagAt(ByteStream& in, size_t at, const char* tag) {
    const size_t length = std::strlen(tag);
    if (at + length > 16) return false;
    uint8_t head[16];
    const int64_t start = in.Tell();
    const bool found = in.ReadExact(head, at + length) && std::memcmp(head + at, tag, length) == 0;
    return in.Seek(start, SEEK_SET) && found;
}

bool ReadRest(ByteStream& in, std::vector<uint8_t>& out, CImageBuffer& picture, const char* error) {
    const int64_t size = in.Remaining();
    // The block is the file itself: no size claimed inside it is trusted here.
    if (size <= 0 || uint64_t(size) > SIZE_MAX / 2) {
        picture.SetLastError(error);
        return false;
    }
    try {
        out.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        picture.SetLastError(msg::kAllocMemory);
        return false;
    }
    if (!in.ReadExact(out.data(), out.size())) {
        picture.SetLastError(error);
        return false;
    }
    return true;
}

bool HasTransparency(const CImageBuffer& image) {
    if (image.Bpp() != 32 || !image.Info().hasAlpha) return false;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x)
            if (row[4 * x + 3] != 255) return true;
    }
    return false;
}

bool RedFirstRows(const CImageBuffer& image, bool withAlpha, std::vector<uint8_t>& out) {
    const int w = image.Width(), h = image.Height();
    const size_t channels = withAlpha ? 4 : 3;
    try {
        out.resize(size_t(w) * size_t(h) * channels);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int bytes = image.Bpp() / 8;
    const bool alphaByte = image.Bpp() == 32 && image.Info().hasAlpha;
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = out.data() + size_t(h - 1 - y) * size_t(w) * channels;
        const uint8_t* src = image.Row(y);
        for (int x = 0; x < w; ++x, dst += channels) {
            if (bytes >= 3) {
                const uint8_t* p = src + size_t(x) * size_t(bytes);
                dst[0] = p[2];
                dst[1] = p[1];
                dst[2] = p[0];
                if (withAlpha) dst[3] = alphaByte ? p[3] : 255;
            } else {
                const RgbQuad c = image.ColourAt(x, y);
                dst[0] = c.red;
                dst[1] = c.green;
                dst[2] = c.blue;
                if (withAlpha) dst[3] = 255;
            }
        }
    }
    return true;
}

void ReverseRows(CImageBuffer& image) {
    const size_t stride = image.Stride();
    std::vector<uint8_t> temp(stride);
    for (int top = 0, bottom = image.Height() - 1; top < bottom; ++top, --bottom) {
        std::memcpy(temp.data(), image.Row(top), stride);
        std::memcpy(image.Row(top), image.Row(bottom), stride);
        std::memcpy(image.Row(bottom), temp.data(), stride);
    }
}

int LossyQuality(const CImageBuffer& image) { return std::clamp<int>(image.Info().quality, 1, 100); }

}  // namespace codec
