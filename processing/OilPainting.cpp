// "유화" (oil painting): short strokes of dabs along the edges. First the direction map
// and the edge map of the picture; then H rows are drawn at random (y in 0..H) and in
// each W columns (x in 0..W); from each present pixel (x0, y0) a stroke of s =
// random(0..L) + 3 steps (L = P1) carries its colour: step k lies at (x0 + k, y0 +
// trunc(k d)), d the direction at the start, and ends the stroke when |trunc(k d)| > 1
// or when it lands on an edge; other steps on present pixels get a dab of radius 6 in
// the stroke's colour through the selection. A draw of H or W (one past the picture)
// paints nothing. P2 ("세밀함") does not enter the computation. The painting follows the
// generator's draws, in place and in order.
#include <cmath>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

constexpr int kDabRadius = 6;

Status OilPainting(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int length = v[0];
    const int w = layer.width, h = layer.height;
    std::vector<float> direction;
    std::vector<uint8_t> edges;
    if (Status s = DirectionMap(doc, layer, direction); !s) return s;
    if (Status s = EdgeMap(doc, layer, edges); !s) return s;
    return InPlace(doc, [&] {
        int shown = -1;
        for (int i = 0; i < h; ++i) {
            if (const int percent = int(100LL * i / h); percent != shown) {
                doc.workspace.Progress(shown = percent);
                if (doc.workspace.Cancelled()) return Status::Stopped();
            }
            const int y0 = RandomIn(h);
            for (int j = 0; j < w; ++j) {
                const int x0 = RandomIn(w);
                if (y0 >= h || x0 >= w || LayerAlphaAt(layer, x0, y0) == 0) continue;
                const int steps = RandomIn(length) + 3;
                const uint32_t colour = LayerColourAt(doc, layer, x0, y0);
                const float d = direction[size_t(y0) * size_t(w) + size_t(x0)];
                for (int k = 1; k <= steps; ++k) {
                    const int t = int(k * d);
                    if (std::abs(t) > 1) break;
                    const int x = x0 + k, y = y0 + t;
                    if (!InsideLayer(layer, x, y) || LayerAlphaAt(layer, x, y) == 0) continue;
                    if (edges[size_t(y) * size_t(w) + size_t(x)]) break;
                    Dab(doc, kDabPaint, x, y, colour, kDabRadius, true);
                }
            }
        }
        return Status::Ok();
    });
}

}  // namespace

void AddOilPainting(OperationTable& table) {
    table.Add(EffectOperation(kCmdOilPainting, "oil-painting", "유화", {{"붓길이", 0, 10, 5}, {"세밀함", 0, 99, 50}}, OilPainting));
}
