#include "Resample.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "LayerGeometry.h"

namespace {

constexpr uint32_t kAreaUnit = 4096;

}  // namespace

ResampleTaps BilinearTaps(int targets, int sources, float f) {
    ResampleTaps t;
    t.unit = 256;
    for (int j = 0; j < targets; ++j) {
        const float u = (float(j) + 0.5f) * f - 0.5f;
        const float fl = std::floor(u);
        const int x0 = int(fl);
        const uint32_t du = std::min<uint32_t>(255, uint32_t((u - fl) * 256.0f));
        t.first.push_back(int(t.source.size()));
        t.count.push_back(2);
        t.source.push_back(std::clamp(x0, 0, sources - 1));
        t.weight.push_back(256 - du);
        t.source.push_back(std::clamp(x0 + 1, 0, sources - 1));
        t.weight.push_back(du);
        t.nearest.push_back(std::clamp(int(u), 0, sources - 1));
    }
    return t;
}

ResampleTaps AreaTaps(int targets, int sources, float f) {
    ResampleTaps t;
    t.unit = kAreaUnit;
    for (int j = 0; j < targets; ++j) {
        const float u = (float(j) + 0.5f) * f - 0.5f;
        // The box [u + 0.5 - f/2, u + 0.5 + f/2) in pixel edges, pixel x covering [x, x+1).
        const double lo = std::max(0.0, double(u) + 0.5 - double(f) / 2), hi = std::min(double(sources), double(u) + 0.5 + double(f) / 2);
        int x0 = std::clamp(int(std::floor(lo)), 0, sources - 1), x1 = std::clamp(int(std::ceil(hi)) - 1, x0, sources - 1);
        std::vector<double> overlap;
        double total = 0;
        for (int x = x0; x <= x1; ++x) {
            const double o = std::max(0.0, std::min(hi, double(x + 1)) - std::max(lo, double(x)));
            overlap.push_back(o);
            total += o;
        }
        if (total <= 0) {  // a box outside the picture: its nearest edge pixel
            overlap.assign(1, 1.0);
            total = 1;
            x1 = x0;
        }
        t.first.push_back(int(t.source.size()));
        t.count.push_back(x1 - x0 + 1);
        uint32_t sum = 0;
        const size_t begin = t.source.size();
        size_t largest = begin;
        for (int x = x0; x <= x1; ++x) {
            const uint32_t w = uint32_t(std::lround(overlap[size_t(x - x0)] / total * kAreaUnit));
            t.source.push_back(x);
            t.weight.push_back(w);
            if (w > t.weight[largest]) largest = t.weight.size() - 1;
            sum += w;
        }
        // The rounding remainder goes to the largest weight: the weights sum to the unit.
        t.weight[largest] = uint32_t(int64_t(t.weight[largest]) + int64_t(kAreaUnit) - int64_t(sum));
        t.nearest.push_back(std::clamp(int(u), 0, sources - 1));
    }
    return t;
}

namespace {

struct PaletteLookup {
    const std::vector<RgbQuad>& palette;
    std::unordered_map<uint32_t, uint8_t> cache;
    uint8_t Index(uint8_t b, uint8_t g, uint8_t r) {
        const uint32_t key = b | (uint32_t(g) << 8) | (uint32_t(r) << 16);
        auto [it, added] = cache.try_emplace(key, uint8_t(0));
        if (added) it->second = uint8_t(NearestPaletteIndex(palette.data(), int(palette.size()), key));
        return it->second;
    }
};

// Source row y as blue, green, red bytes (a palette row expanded).
const uint8_t* ColourRow(const LayerRecord& in, int bits, const std::vector<RgbQuad>& palette, int y,
                         std::vector<uint8_t>& scratch) {
    const uint8_t* row = in.pixels.data() + size_t(y) * size_t(in.stride);
    if (bits == 24) return row;
    scratch.resize(size_t(in.width) * 3);
    for (int x = 0; x < in.width; ++x) {
        const int index = geometry::PixelIndexAt(row, bits, x);
        const RgbQuad q = size_t(index) < palette.size() ? palette[size_t(index)] : RgbQuad{};
        scratch[3 * size_t(x)] = q.blue;
        scratch[3 * size_t(x) + 1] = q.green;
        scratch[3 * size_t(x) + 2] = q.red;
    }
    return scratch.data();
}

struct Scratch {
    std::vector<uint32_t> acc;
    std::vector<uint8_t> expanded;
};

}  // namespace

Status ResampleLayer(const COrinDoc& doc, const LayerRecord& in, LayerRecord& out, int bits, float fx, float fy,
                     ProgressShare share) {
    const bool bilinear = fx <= 1 && fy <= 1;
    const ResampleTaps cols = bilinear ? BilinearTaps(out.width, in.width, fx) : AreaTaps(out.width, in.width, fx);
    const ResampleTaps rows = bilinear ? BilinearTaps(out.height, in.height, fy) : AreaTaps(out.height, in.height, fy);
    const int shift = bilinear ? 16 : 24;
    const uint32_t half = 1u << (shift - 1);
    const int W = out.width;
    const bool colour = in.kind != kLayerText;
    std::vector<Scratch> scratch(size_t(RowWorkers(out.height, 0)));
    for (Scratch& s : scratch) s.acc.resize(size_t(W) * 3);
    std::vector<PaletteLookup> lookups;
    for (size_t i = 0; i < scratch.size(); ++i) lookups.push_back({doc.palette, {}});

    const bool done = RunRowBlocks(doc.workspace, out.height, 0, [&](int first, int last, int worker) {
        Scratch& s = scratch[size_t(worker)];
        for (int i = first; i < last; ++i) {
            const int sy = rows.nearest[size_t(i)];
            uint8_t* alpha = out.alpha.data() + size_t(i) * size_t(W);
            uint8_t* aux = out.aux.data() + size_t(i) * size_t(W);
            for (int j = 0; j < W; ++j) {
                const size_t from = size_t(sy) * size_t(in.width) + size_t(cols.nearest[size_t(j)]);
                alpha[j] = in.alpha[from];
                aux[j] = in.aux[from];
            }
            if (!colour) continue;
            std::fill(s.acc.begin(), s.acc.end(), 0u);
            const int r0 = rows.first[size_t(i)];
            for (int r = r0; r < r0 + rows.count[size_t(i)]; ++r) {
                const uint32_t wy = rows.weight[size_t(r)];
                if (wy == 0) continue;
                const uint8_t* src = ColourRow(in, bits, doc.palette, rows.source[size_t(r)], s.expanded);
                uint32_t* acc = s.acc.data();
                for (int j = 0; j < W; ++j) {
                    uint32_t b = 0, g = 0, red = 0;
                    const int t0 = cols.first[size_t(j)], tn = t0 + cols.count[size_t(j)];
                    for (int t = t0; t < tn; ++t) {
                        const uint8_t* p = src + 3 * size_t(cols.source[size_t(t)]);
                        const uint32_t wx = cols.weight[size_t(t)];
                        b += p[0] * wx;
                        g += p[1] * wx;
                        red += p[2] * wx;
                    }
                    acc[3 * j] += b * wy;
                    acc[3 * j + 1] += g * wy;
                    acc[3 * j + 2] += red * wy;
                }
            }
            uint8_t* dst = out.pixels.data() + size_t(i) * size_t(out.stride);
            if (bits == 24) {
                for (size_t n = 0; n < size_t(W) * 3; ++n) dst[n] = uint8_t((s.acc[n] + half) >> shift);
                continue;
            }
            PaletteLookup& lookup = lookups[size_t(worker)];
            for (int j = 0; j < W; ++j) {
                const uint8_t index = lookup.Index(uint8_t((s.acc[3 * size_t(j)] + half) >> shift),
                                                   uint8_t((s.acc[3 * size_t(j) + 1] + half) >> shift),
                                                   uint8_t((s.acc[3 * size_t(j) + 2] + half) >> shift));
                CImageBuffer::PutIndex(dst, bits, 0, j, 0, index);
            }
        }
    }, share);
    return done ? Status::Ok() : Status::Stopped();
}
