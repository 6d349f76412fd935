// "잡영제거" (noise removal), our design: a selective median. Over the n x n window of a
// pixel (n = P1 "잡영크기", offsets as box smoothing's; present neighbours inside the
// layer) each channel's median is taken (the upper one of an even count); a pixel whose
// colour lies farther than T = 16 (5 - P2) from that median colour (sum of channel
// differences; P2 "흡수정도") is a speck and takes the median colour, others keep
// theirs, so that specks vanish and edges stay sharp.
#include <algorithm>
#include <cstdlib>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

Status NoiseRemoval(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int n = v[0], limit = 16 * (5 - v[1]);
    const int lo = -(n / 2), hi = n - n / 2 - 1;
    return ForEachRow(doc, layer, {}, [=](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        const int y0 = std::max(0, y + lo), y1 = std::min(h - 1, y + hi);
        uint8_t ch[3][25];
        for (int x = 0; x < w; ++x) {
            int count = 0;
            for (int yy = y0; yy <= y1; ++yy) {
                const Bgr* row = source.Row(yy).data();
                const uint8_t* alpha = source.Alpha(yy).data();
                for (int xx = std::max(0, x + lo); xx <= std::min(w - 1, x + hi); ++xx) {
                    if (!alpha[xx]) continue;
                    ch[0][count] = row[xx].b;
                    ch[1][count] = row[xx].g;
                    ch[2][count] = row[xx].r;
                    ++count;
                }
            }
            if (count == 0) continue;
            uint8_t m[3];
            for (int k = 0; k < 3; ++k) {
                std::nth_element(ch[k], ch[k] + count / 2, ch[k] + count);
                m[k] = ch[k][count / 2];
            }
            const Bgr c = out[size_t(x)];
            if (std::abs(c.b - m[0]) + std::abs(c.g - m[1]) + std::abs(c.r - m[2]) > limit) out[size_t(x)] = Bgr{m[0], m[1], m[2]};
        }
    });
}

}  // namespace

void AddNoiseRemoval(OperationTable& table) {
    table.Add(EffectOperation(kCmdNoiseRemoval, "denoise", "잡영제거", {{"잡영크기", 2, 5, 3}, {"흡수정도", 1, 4, 4}}, NoiseRemoval));
}
