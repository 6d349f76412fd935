// "한지효과" (mulberry paper), our design: the colours run into each other as ink does in
// fibrous paper, and pale fibres lie over the picture. Column by column, H rows are
// drawn at random; from each present pixel off the outline (edge detector above 40) the
// colour smears toward the 8-neighbour that differs most from it (sum of channel
// differences; the first such one in the order down, left, right, up, then the
// diagonals), over 1 + random(0..2 + P1 / 10) steps, each step the mean of the carried
// colour and the pixel's own, stopping at the outline, a transparent pixel or the
// layer's edge. Then W H / 150 fibres: from a random pixel, at a random whole-degree
// angle, 4 + random(0..12) pixels long, each pixel lightened by 10 per channel. Draws
// of H or W give no smear or fibre. In place and in the generator's order.
#include <cmath>
#include <numbers>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

constexpr int kNeighbours[8][2] = {{0, -1}, {-1, 0}, {1, 0}, {0, 1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};

Status MulberryPaper(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int w = layer.width, h = layer.height;
    const int reach = 2 + v[0] / 10;
    std::vector<uint8_t> edges;
    if (Status s = EdgeMap(doc, layer, edges, 40); !s) return s;
    auto open = [&](int x, int y) {
        return InsideLayer(layer, x, y) && LayerAlphaAt(layer, x, y) != 0 && !edges[size_t(y) * size_t(w) + size_t(x)];
    };
    return InPlace(doc, [&] {
        int shown = -1;
        for (int x = 0; x < w; ++x) {
            if (const int percent = int(90LL * x / w); percent != shown) {
                doc.workspace.Progress(shown = percent);
                if (doc.workspace.Cancelled()) return Status::Stopped();
            }
            for (int k = 0; k < h; ++k) {
                const int y = RandomIn(h);
                if (y >= h || !open(x, y)) continue;
                uint32_t carried = LayerColourAt(doc, layer, x, y);
                int best = -1, most = 0;
                for (int n = 0; n < 8; ++n) {
                    const int nx = x + kNeighbours[n][0], ny = y + kNeighbours[n][1];
                    if (!InsideLayer(layer, nx, ny) || LayerAlphaAt(layer, nx, ny) == 0) continue;
                    const int d = ColourDistance(carried, LayerColourAt(doc, layer, nx, ny));
                    if (d > most) most = d, best = n;
                }
                if (best < 0) continue;
                const int steps = 1 + RandomIn(reach);
                for (int s = 1; s <= steps; ++s) {
                    const int px = x + s * kNeighbours[best][0], py = y + s * kNeighbours[best][1];
                    if (!open(px, py)) break;
                    const uint32_t own = LayerColourAt(doc, layer, px, py);
                    carried = ((carried & 0xFEFEFE) >> 1) + ((own & 0xFEFEFE) >> 1) + (carried & own & 0x010101);
                    PutPixel(doc, px, py, carried, 1, true);
                }
            }
        }
        const int64_t fibres = int64_t(w) * h / 150;
        for (int64_t i = 0; i < fibres; ++i) {
            const int y = RandomIn(h), x = RandomIn(w);
            const double angle = RandomIn(360) * std::numbers::pi / 180;
            const int length = 4 + RandomIn(12);
            if (y >= h || x >= w) continue;
            const int ex = x + int(std::lround(length * std::cos(angle))), ey = y + int(std::lround(length * std::sin(angle)));
            BresenhamLine(x, y, ex, ey, [&](int px, int py) {
                if (InsideLayer(layer, px, py) && LayerAlphaAt(layer, px, py) != 0)
                    PutPixel(doc, px, py, Shifted(LayerColourAt(doc, layer, px, py), 10, 10, 10), 1, true);
            });
        }
        return Status::Ok();
    });
}

}  // namespace

void AddMulberryPaper(OperationTable& table) {
    table.Add(EffectOperation(kCmdMulberryPaper, "mulberry-paper", "한지효과", {{"흐림정도", 0, 99, 1}}, MulberryPaper));
}
