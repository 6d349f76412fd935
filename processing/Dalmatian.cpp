// "달마시안" (dalmatian): n (P2) black spots, then the rest brightened. Spot k: size S =
// trunc(rand() x (p - 5) / 32767 + 5) (p = P1), h = S / 2, centre row trunc(rand() x
// (H - 1) / 32767) and column trunc(rand() x (W - 1) / 32767); with g = S / 25 + 1
// every offset (i, j) from -g - h to g + S - h - 1 with sqrt(i^2 + j^2) <= 1.1 h turns
// black. Then each pixel with R + G + B > 120 gets min(channel + 70, 205) per channel;
// darker pixels, the spots among them, keep their colour. Only present pixels change,
// and the selection does not limit the effect.
#include <algorithm>
#include <cmath>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"
#include "Random.h"

namespace {

Status Dalmatian(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int p = v[0], n = v[1];
    const int w = layer.width, h = layer.height;
    return InPlace(doc, [&] {
        for (int k = 0; k < n; ++k) {
            const int size = int(rng::Next() * double(p - 5) / 32767 + 5);
            const int half = size / 2;
            const int e = int(rng::Next() * double(h - 1) / 32767);
            const int c = int(rng::Next() * double(w - 1) / 32767);
            const int g = size / 25 + 1;
            for (int i = -g - half; i <= g + size - half - 1; ++i)
                for (int j = -g - half; j <= g + size - half - 1; ++j) {
                    if (std::sqrt(double(i * i + j * j)) > 1.1 * half) continue;
                    const int x = c + j, y = e + i;
                    if (InsideLayer(layer, x, y) && LayerAlphaAt(layer, x, y) != 0) WriteLayerColour(doc, layer, x, y, 0);
                }
            doc.workspace.Progress(100 * (k + 1) / std::max(n, 1));
        }
        RowLoopOptions options;
        options.selection = false;
        return ForEachPixel(doc, layer, options, [](Bgr c) {
            if (c.r + c.g + c.b <= 120) return c;
            auto up = [](uint8_t ch) { return uint8_t(std::min(ch + 70, 205)); };
            return Bgr{up(c.b), up(c.g), up(c.r)};
        });
    }, false);
}

}  // namespace

void AddDalmatian(OperationTable& table) {
    table.Add(EffectOperation(kCmdDalmatian, "dalmatian", "달마시안", {{"무뉘", 0, 99, 40}, {"빈도", 0, 99, 50}}, Dalmatian));
}
