// "영역확장" (region expansion), our design: flat regions, as in a poster. Pixels are
// taken in layer order; each present pixel not yet in a region and off the outline
// (edge detector above 3 P1) starts a region, which grows over 4-neighbours that are
// present, off the outline and within P1 (sum of channel differences, P1 "확장허용")
// of the starting pixel's colour. Each region then takes its mean colour (sums / count,
// truncated); outline pixels keep theirs.
#include <cstdint>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

Status RegionExpansion(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int limit = v[0];
    const int w = layer.width, h = layer.height;
    std::vector<uint8_t> edges;
    if (Status s = EdgeMap(doc, layer, edges, 3 * limit); !s) return s;
    std::vector<uint8_t> reached(size_t(w) * size_t(h));
    struct Run {
        int y, x0, x1;
    };
    std::vector<Run> runs;
    return InPlace(doc, [&] {
        auto at = [w](int x, int y) { return size_t(y) * size_t(w) + size_t(x); };
        auto open = [&](int x, int y) { return LayerAlphaAt(layer, x, y) != 0 && !edges[at(x, y)]; };
        int shown = -1;
        for (int y = 0; y < h; ++y) {
            if (const int percent = int(100LL * y / h); percent != shown) {
                doc.workspace.Progress(shown = percent);
                if (doc.workspace.Cancelled()) return Status::Stopped();
            }
            for (int x = 0; x < w; ++x) {
                if (reached[at(x, y)] || !open(x, y)) continue;
                const uint32_t seed = LayerColourAt(doc, layer, x, y);
                int64_t sum[3] = {0, 0, 0}, count = 0;
                runs.clear();
                reached[at(x, y)] = 1;
                WalkRegion(
                    w, h, x, y, false, [&](int px, int py) { return reached[at(px, py)] != 0; },
                    [&](int px, int py) { reached[at(px, py)] = 1; },
                    [&](int, int, int nx, int ny) {
                        return open(nx, ny) && ColourDistance(seed, LayerColourAt(doc, layer, nx, ny)) <= limit;
                    },
                    [&](int ry, int x0, int x1) {
                        runs.push_back({ry, x0, x1});
                        for (int px = x0; px <= x1; ++px) {
                            const uint32_t c = LayerColourAt(doc, layer, px, ry);
                            sum[0] += c & 0xFF;
                            sum[1] += (c >> 8) & 0xFF;
                            sum[2] += (c >> 16) & 0xFF;
                        }
                        count += x1 - x0 + 1;
                    });
                const uint32_t mean = uint32_t(sum[0] / count) | (uint32_t(sum[1] / count) << 8) |
                                      (uint32_t(sum[2] / count) << 16);
                for (const Run& r : runs)
                    for (int px = r.x0; px <= r.x1; ++px) WriteLayerColour(doc, layer, px, r.y, mean);
            }
        }
        return Status::Ok();
    });
}

}  // namespace

void AddRegionExpansion(OperationTable& table) {
    table.Add(EffectOperation(kCmdRegionExpansion, "region-expansion", "영역확장", {{"확장허용", 20, 70, 30}}, RegionExpansion));
}
