// "흐리게" (blur) and "부드럽게" (soften): the mean of the present pixels of an n x n
// window (offsets -(n / 2) .. n - n / 2 - 1, so an even window reaches one further
// down-left in layer rows), the centre weighing c (1 for blur, n x n for soften) but
// counting once: soften divides by the count, not by the weights, and so brightens.
#include <algorithm>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

Status BoxSmooth(COrinDoc& doc, LayerRecord& layer, int n, int centre) {
    if (n < 1 || centre < 1) return Status::Ok();
    const int lo = -(n / 2), hi = n - n / 2 - 1;
    return ForEachRow(doc, layer, {}, [=](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        // Column sums of the window's rows (present pixels only), then their running
        // totals along the row: prefix[x] holds columns 0..x-1.
        thread_local std::vector<int> prefix;
        prefix.assign(size_t(4 * (w + 1)), 0);
        int* pb = prefix.data();
        int* pg = pb + (w + 1);
        int* pr = pg + (w + 1);
        int* pn = pr + (w + 1);
        for (int yy = std::max(0, y + lo); yy <= std::min(h - 1, y + hi); ++yy) {
            const Bgr* row = source.Row(yy).data();
            const uint8_t* alpha = source.Alpha(yy).data();
            for (int x = 0; x < w; ++x) {
                const int m = alpha[x] != 0;
                pb[x + 1] += m * row[x].b;
                pg[x + 1] += m * row[x].g;
                pr[x + 1] += m * row[x].r;
                pn[x + 1] += m;
            }
        }
        for (int x = 0; x < w; ++x) {
            pb[x + 1] += pb[x];
            pg[x + 1] += pg[x];
            pr[x + 1] += pr[x];
            pn[x + 1] += pn[x];
        }
        const Bgr* self = source.Row(y).data();
        const uint8_t* selfAlpha = source.Alpha(y).data();
        for (int x = 0; x < w; ++x) {
            const int a = std::max(0, x + lo), b = std::min(w - 1, x + hi) + 1;
            const int count = pn[b] - pn[a];
            if (count == 0) continue;
            const int extra = selfAlpha[x] != 0 ? centre - 1 : 0;
            const Bgr c = self[x];
            out[size_t(x)] = Bgr{uint8_t(std::min(255, (pb[b] - pb[a] + extra * c.b) / count)),
                                 uint8_t(std::min(255, (pg[b] - pg[a] + extra * c.g) / count)),
                                 uint8_t(std::min(255, (pr[b] - pr[a] + extra * c.r) / count))};
        }
    });
}

}  // namespace

void AddBoxSmoothing(OperationTable& table) {
    table.Add(EffectOperation(kCmdBlur, "blur", "흐리게", {{"흐림", 1, 9, 4}},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues& v) { return BoxSmooth(doc, layer, v[0], 1); }));
    table.Add(EffectOperation(kCmdSoften, "soften", "부드럽게", {{"부드러움", 1, 9, 4}},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
                                  return BoxSmooth(doc, layer, v[0], v[0] * v[0]);
                              }));
}
