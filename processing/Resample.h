// Resampling a layer to another size for "그림크기조정". Target pixel (j, i) looks at
// the source point (u, v) = ((j + 0.5) fx - 0.5, (i + 0.5) fy - 0.5), fx and fy the
// source pixels per target pixel (single precision).
//  - Enlarging both ways (fx <= 1 and fy <= 1): bilinear. The fractions are taken in
//    1/256 steps, the four 16-bit weight products (256-du)(256-dv), du(256-dv),
//    (256-du)dv, du dv are kept whole and their weighted sum is rounded once
//    ((sum + 32768) >> 16), so a flat picture stays flat; points beyond the last row or
//    column take the edge pixels.
//  - Otherwise: the area average of the fx x fy box centred on (u, v), each source
//    pixel weighted by its overlap. Overlaps are counted in 1/4096 of a pixel per
//    axis, each axis' weights summing to exactly 4096, and the sum is rounded once
//    ((sum + 2^23) >> 24): halving averages four pixels rounding halves up.
// Opacity and the auxiliary plane take the source pixel (trunc(u), trunc(v)). A palette
// layer is resampled in colour and each result takes the nearest palette entry.
#pragma once

#include <cstdint>
#include <vector>

#include "Document.h"
#include "RowLoop.h"

// One target position's source taps: sources[first .. first + count) with their weights.
struct ResampleTaps {
    std::vector<int> source;
    std::vector<uint32_t> weight;
    std::vector<int> first, count;
    std::vector<int> nearest;  // trunc(u) clamped: the opacity's source
    uint32_t unit = 256;       // sum of one position's weights
};

// Taps for `targets` positions from `sources`, `f` source pixels per target pixel.
ResampleTaps BilinearTaps(int targets, int sources, float f);
ResampleTaps AreaTaps(int targets, int sources, float f);

// Fills `out` (allocated, its size the target size) from `in` at `bits` per pixel
// with fx, fy; bilinear when both are <= 1. Stopped when the host said so.
Status ResampleLayer(const COrinDoc& doc, const LayerRecord& in, LayerRecord& out, int bits, float fx, float fy,
                     ProgressShare share);
