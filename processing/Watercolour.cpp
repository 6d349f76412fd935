// "수채화" (watercolour): a mode filter. Over the 7 x 7 window (neighbours inside the
// layer), intensities fall into 31 levels trunc(I x 30 / 255); the pixel becomes the
// mean colour of the fullest level, the lowest level winning a tie. The two sliders do
// not enter the computation. The window's histogram slides along the row: one column
// comes in and one goes out per pixel.
#include <algorithm>
#include <array>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

constexpr int kRadius = 3;
constexpr int kLevels = 31;

Status Watercolour(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    return ForEachRow(doc, layer, {}, [](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        const int y0 = std::max(0, y - kRadius), y1 = std::min(h - 1, y + kRadius);
        const int rows = y1 - y0 + 1;
        thread_local std::vector<uint8_t> levels;
        levels.resize(size_t(rows) * size_t(w));
        for (int r = 0; r < rows; ++r) {
            const Bgr* row = source.Row(y0 + r).data();
            uint8_t* l = levels.data() + size_t(r) * size_t(w);
            for (int x = 0; x < w; ++x) l[x] = uint8_t(Intensity(row[x]) * 30 / 255);
        }
        std::array<int, kLevels> count{}, sb{}, sg{}, sr{};
        auto column = [&](int x, int sign) {
            for (int r = 0; r < rows; ++r) {
                const int l = levels[size_t(r) * size_t(w) + size_t(x)];
                const Bgr c = source.Row(y0 + r)[size_t(x)];
                count[size_t(l)] += sign;
                sb[size_t(l)] += sign * c.b;
                sg[size_t(l)] += sign * c.g;
                sr[size_t(l)] += sign * c.r;
            }
        };
        for (int x = 0; x < std::min(w, kRadius); ++x) column(x, 1);
        for (int x = 0; x < w; ++x) {
            if (x + kRadius < w) column(x + kRadius, 1);
            if (x - kRadius - 1 >= 0) column(x - kRadius - 1, -1);
            int best = 0;
            for (int l = 1; l < kLevels; ++l)
                if (count[size_t(l)] > count[size_t(best)]) best = l;
            const int n = count[size_t(best)];
            out[size_t(x)] = Bgr{uint8_t(sb[size_t(best)] / n), uint8_t(sg[size_t(best)] / n), uint8_t(sr[size_t(best)] / n)};
        }
    });
}

}  // namespace

void AddWatercolour(OperationTable& table) {
    table.Add(EffectOperation(kCmdWatercolour, "watercolour", "수채화", {{"붓크기", 0, 99, 1}, {"부드럽게", 0, 99, 1}}, Watercolour));
}
