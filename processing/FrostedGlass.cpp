// "유리성에" (frosted glass): each present pixel takes the mean colour of one intensity
// picked at random from its (2r + 1)^2 window (neighbours inside the layer), so that
// colours shuffle among their neighbours as behind frosted glass. A draw t =
// trunc((rand() + 1) x N / 32768) walks the 256 intensity bins from 0 until their
// running count reaches t; an empty bin (t = 0 with no pixel of intensity 0) draws
// again, at most 10,001 draws in all, after which the pixel keeps its colour. Bin
// counts are full integers (a window of radius 15 holds 961 pixels). The draws follow
// the pixels in layer order, so the rows run one after another.
#include <algorithm>
#include <array>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "Random.h"

namespace {

Status FrostedGlass(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int r = v[0];
    const int w = layer.width, h = layer.height;
    std::vector<uint8_t> intensity(size_t(w) * size_t(h));
    Status s = ForEachSourceRow(doc, layer, 0, [&](const RowSource& source, int y) {
        const Bgr* row = source.Row(y).data();
        uint8_t* out = intensity.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) out[x] = uint8_t(Intensity(row[x]));
    });
    if (!s) return s;
    RowLoopOptions options;
    options.threads = 1;
    return ForEachRow(doc, layer, options, [&](const RowSource& source, int y, std::span<Bgr> out) {
        const int y0 = std::max(0, y - r), y1 = std::min(h - 1, y + r);
        std::array<int, 256> count{}, sb{}, sg{}, sr{};
        int total = 0;
        auto column = [&](int x, int sign) {
            for (int yy = y0; yy <= y1; ++yy) {
                const int i = intensity[size_t(yy) * size_t(w) + size_t(x)];
                const Bgr c = source.Row(yy)[size_t(x)];
                count[size_t(i)] += sign;
                sb[size_t(i)] += sign * c.b;
                sg[size_t(i)] += sign * c.g;
                sr[size_t(i)] += sign * c.r;
                total += sign;
            }
        };
        for (int x = 0; x < std::min(w, r); ++x) column(x, 1);
        const std::span<const uint8_t> alpha = source.Alpha(y);
        for (int x = 0; x < w; ++x) {
            if (x + r < w) column(x + r, 1);
            if (x - r - 1 >= 0) column(x - r - 1, -1);
            if (alpha[size_t(x)] == 0) continue;
            if (total == 1 && count[0] == 0) {
                // A window of one pixel of intensity above 0: only a draw of 32767
                // gives t = 1 and the pixel's own bin; every other draw gives the
                // empty bin 0. Either way the pixel keeps its colour.
                rng::DrawUntil(32767, 10001);
                continue;
            }
            for (int draw = 0; draw <= 10000; ++draw) {
                const int t = std::clamp(int((int64_t(rng::Next()) + 1) * total / 32768), 0, 10000);
                int bin = 0;
                for (int sum = count[0]; sum < t && bin < 255;) sum += count[size_t(++bin)];
                const int n = count[size_t(bin)];
                if (n == 0) continue;
                out[size_t(x)] = Bgr{uint8_t(sb[size_t(bin)] / n), uint8_t(sg[size_t(bin)] / n), uint8_t(sr[size_t(bin)] / n)};
                break;
            }
        }
    });
}

}  // namespace

void AddFrostedGlass(OperationTable& table) {
    table.Add(EffectOperation(kCmdFrostedGlass, "frosted-glass", "유리성에", {{"흐림정도", 0, 15, 1}}, FrostedGlass));
}
