// The picture the benchmarks work on: smooth shapes with grain, as a photograph has,
// written into a 24-bit layer (the same bytes on every run).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Document.h"

inline void FillPhotoLike(LayerRecord& r) {
    uint32_t noise = 1;
    for (int y = 0; y < r.height; ++y) {
        uint8_t* row = r.pixels.data() + size_t(y) * size_t(r.stride);
        for (int x = 0; x < r.width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            const double s = std::sin(x * 0.01) * std::cos(y * 0.013);
            row[3 * x] = uint8_t(std::clamp(int(128 + 100 * s) + grain, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(int((x + y) / 40 % 256) + grain, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(int(200 - 90 * s) + grain, 0, 255));
        }
    }
}
