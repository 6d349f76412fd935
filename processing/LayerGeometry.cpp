#include "LayerGeometry.h"

#include <algorithm>

namespace geometry {

void FlipRows(const LayerRecord& in, LayerRecord& out, int bits, bool horizontal, bool vertical, int first, int last) {
    const int w = in.width, h = in.height;
    const size_t stride = size_t(in.stride), pw = size_t(w);
    for (int y = first; y < last; ++y) {
        const int from = vertical ? h - 1 - y : y;
        const uint8_t* s = in.pixels.data() + size_t(from) * stride;
        uint8_t* d = out.pixels.data() + size_t(y) * stride;
        const uint8_t* sa = in.alpha.data() + size_t(from) * pw;
        const uint8_t* sx = in.aux.data() + size_t(from) * pw;
        uint8_t* da = out.alpha.data() + size_t(y) * pw;
        uint8_t* dx = out.aux.data() + size_t(y) * pw;
        if (!horizontal) {
            std::memcpy(d, s, stride);
            std::memcpy(da, sa, pw);
            std::memcpy(dx, sx, pw);
            continue;
        }
        std::reverse_copy(sa, sa + pw, da);
        std::reverse_copy(sx, sx + pw, dx);
        if (bits == 24) {
            for (int x = 0; x < w; ++x) std::memcpy(d + 3 * size_t(x), s + 3 * size_t(w - 1 - x), 3);
        } else if (bits == 8) {
            std::reverse_copy(s, s + pw, d);
        } else {
            for (int x = 0; x < w; ++x) CImageBuffer::PutIndex(d, bits, 0, x, 0, uint8_t(PixelIndexAt(s, bits, w - 1 - x)));
        }
    }
}

void QuarterTurnRows(const LayerRecord& in, LayerRecord& out, int bits, bool clockwise, int first, int last) {
    // Clockwise with rows bottom-up: out(i, k) = in(W-1-k, i); anticlockwise: in(k, H-1-i).
    const int W = in.width, H = in.height;
    constexpr int kTile = 64;
    WithBits(bits, [&]<int Bits>() {
        for (int k0 = first; k0 < last; k0 += kTile) {
            const int k1 = std::min(last, k0 + kTile);
            for (int i0 = 0; i0 < out.width; i0 += kTile) {
                const int i1 = std::min(out.width, i0 + kTile);
                for (int k = k0; k < k1; ++k)
                    for (int i = i0; i < i1; ++i) {
                        if (clockwise) MovePixel<Bits>(in, W - 1 - k, i, out, i, k);
                        else MovePixel<Bits>(in, k, H - 1 - i, out, i, k);
                    }
            }
        }
    });
}

}  // namespace geometry
