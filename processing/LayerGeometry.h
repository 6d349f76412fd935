// Moving whole pixels between layers of one depth, for the geometric transforms:
// each destination pixel takes the colour, opacity and auxiliary byte of one source
// pixel (nearest sampling), whatever the depth (24-bit colour, 8-bit palette or text
// coverage, 4- and 1-bit palette). Rows are as stored (y = 0 at the bottom).
#pragma once

#include <cstdint>
#include <cstring>

#include "ImageBuffer.h"
#include "Layer.h"

namespace geometry {

inline int PixelIndexAt(const uint8_t* row, int bits, int x) {
    if (bits == 8) return row[x];
    if (bits == 4) return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Pixel (sx, sy) of `in` to (dx, dy) of `out`, with its opacity and auxiliary bytes.
template <int Bits>
inline void MovePixel(const LayerRecord& in, int sx, int sy, LayerRecord& out, int dx, int dy) {
    const uint8_t* s = in.pixels.data() + size_t(sy) * size_t(in.stride);
    uint8_t* d = out.pixels.data() + size_t(dy) * size_t(out.stride);
    if constexpr (Bits == 24) {
        std::memcpy(d + 3 * size_t(dx), s + 3 * size_t(sx), 3);
    } else if constexpr (Bits == 8) {
        d[dx] = s[sx];
    } else {
        CImageBuffer::PutIndex(d, Bits, 0, dx, 0, uint8_t(PixelIndexAt(s, Bits, sx)));
    }
    const size_t from = size_t(sy) * size_t(in.width) + size_t(sx), to = size_t(dy) * size_t(out.width) + size_t(dx);
    out.alpha[to] = in.alpha[from];
    out.aux[to] = in.aux[from];
}

// Calls fn.template operator()<Bits>() with the layer depth as a constant.
template <class Fn>
inline void WithBits(int bits, Fn&& fn) {
    switch (bits) {
    case 24: fn.template operator()<24>(); break;
    case 8: fn.template operator()<8>(); break;
    case 4: fn.template operator()<4>(); break;
    case 1: fn.template operator()<1>(); break;
    default: break;
    }
}

// Destination rows first .. last-1 of `out` by nearest mapping: `source(i, k, sx, sy)`
// sets the source pixel of destination (i, k) and returns false when it lies outside
// `in` (the destination pixel then keeps what it holds).
template <class Source>
void MapRows(const LayerRecord& in, LayerRecord& out, int bits, int first, int last, Source source) {
    WithBits(bits, [&]<int Bits>() {
        for (int k = first; k < last; ++k)
            for (int i = 0; i < out.width; ++i) {
                int sx = 0, sy = 0;
                if (source(i, k, sx, sy) && sx >= 0 && sy >= 0 && sx < in.width && sy < in.height)
                    MovePixel<Bits>(in, sx, sy, out, i, k);
            }
    });
}

// Rows first .. last-1 of `out` are rows of `in` reversed left to right (and taken
// from row height-1-y when `vertical`); both layers have one size.
void FlipRows(const LayerRecord& in, LayerRecord& out, int bits, bool horizontal, bool vertical, int first, int last);

// Rows first .. last-1 of `out` for a quarter turn of `in`: clockwise (as seen, rows
// bottom-up) when `clockwise`, else anticlockwise; `out` is in.height x in.width.
// Works in square tiles so that both layers are read and written near each other.
void QuarterTurnRows(const LayerRecord& in, LayerRecord& out, int bits, bool clockwise, int first, int last);

}  // namespace geometry
