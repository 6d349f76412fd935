#include "Orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "ImageBuffer.h"

namespace orientation {
namespace {

// Copies pixel sx of one row to pixel dx of another, at any depth.
inline void CopyPixel(const uint8_t* src, int sx, uint8_t* dst, int dx, int bpp) {
    switch (bpp) {
    case 1: {
        const uint8_t bit = (src[sx >> 3] >> (7 - (sx & 7))) & 1;
        const uint8_t mask = uint8_t(0x80 >> (dx & 7));
        dst[dx >> 3] = bit ? uint8_t(dst[dx >> 3] | mask) : uint8_t(dst[dx >> 3] & ~mask);
        break;
    }
    case 4: {
        const uint8_t v = (sx & 1) ? src[sx >> 1] & 0x0F : src[sx >> 1] >> 4;
        uint8_t& b = dst[dx >> 1];
        b = (dx & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | (v << 4));
        break;
    }
    default: {
        const int bytes = bpp / 8;
        std::memcpy(dst + size_t(dx) * bytes, src + size_t(sx) * bytes, size_t(bytes));
        break;
    }
    }
}

}  // namespace

void Mirror(CImageBuffer& image) {
    if (!image.IsValid()) return;
    const int width = image.Width(), bpp = image.Bpp();
    std::vector<uint8_t> copy(image.Stride());
    for (int y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Row(y);
        std::memcpy(copy.data(), row, copy.size());
        for (int x = 0; x < width; ++x) CopyPixel(copy.data(), width - 1 - x, row, x, bpp);
    }
}

void Flip(CImageBuffer& image) {
    if (!image.IsValid()) return;
    const size_t stride = image.Stride();
    for (int top = 0, bottom = image.Height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(image.Row(top), image.Row(top) + stride, image.Row(bottom));
}

bool Transpose(CImageBuffer& image) {
    if (!image.IsValid()) return true;
    const int width = image.Width(), height = image.Height(), bpp = image.Bpp();
    CImageBuffer turned(image.Type());
    if (!turned.Allocate(height, width, bpp, image.Type())) return false;
    if (image.PaletteCount()) turned.LoadPalette(reinterpret_cast<const uint8_t*>(image.Palette()), image.PaletteCount());
    // In bottom-up rows: line r from the top is row height-1-r, so the new pixel
    // (x, y) comes from the old pixel (width-1-y, height-1-x).
    for (int y = 0; y < width; ++y) {
        uint8_t* dst = turned.Row(y);
        const int sx = width - 1 - y;
        for (int x = 0; x < height; ++x) CopyPixel(image.Row(height - 1 - x), sx, dst, x, bpp);
    }
    ImageInfo info = image.Info();
    info.stride = turned.Info().stride;
    turned.Info() = info;
    turned.Info().pixelsPerMetreX = image.Info().pixelsPerMetreY;
    turned.Info().pixelsPerMetreY = image.Info().pixelsPerMetreX;
    turned.SetHorizontalDpi(image.Info().dpiY);
    turned.SetVerticalDpi(image.Info().dpiX);
    image.TakeOver(turned);
    return true;
}

bool MakeUpright(CImageBuffer& image, int tiffOrientation) {
    switch (tiffOrientation) {
    case 2: Mirror(image); return true;
    case 3: Mirror(image); Flip(image); return true;
    case 4: Flip(image); return true;
    case 5: return Transpose(image);
    case 6: if (!Transpose(image)) return false; Mirror(image); return true;
    case 7: if (!Transpose(image)) return false; Mirror(image); Flip(image); return true;
    case 8: if (!Transpose(image)) return false; Flip(image); return true;
    default: return true;
    }
}

}  // namespace orientation
