// "빗방울" (raindrops), our design: round drops on a window pane. The largest radius is
// R = 2 + P1 x min(W, H) / 4000 (P1 "크기"); there are W H P2 / (600 R^2) + 1 drops (P2
// "빈도"), each with a centre drawn at random (row, then column) and a radius 2 +
// random(0..R - 2) x random(0..1000) / 1000 (small drops are the most frequent). Inside
// a drop, the pixel at offset (dx, dy) shows the picture as it was at the centre minus
// 0.6 (dx, dy) (the drop turns and enlarges what lies behind it), darkened toward the
// rim by 1 - 0.3 (d / r)^4 and lit by a white highlight of radius 0.25 r whose centre
// lies at (-0.35 r, +0.35 r) (upper left on screen), blended by 0.6 at its middle
// fading to nothing at its edge. Later drops lie over earlier ones. In place.
#include <algorithm>
#include <cmath>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

Status Raindrops(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int w = layer.width, h = layer.height;
    const int largest = 2 + v[0] * std::min(w, h) / 4000;
    const int64_t drops = int64_t(w) * h * v[1] / (600LL * largest * largest) + 1;
    return InPlace(doc, [&] {
        LayerRecord spare;
        const LayerRecord& start = StartImage(doc, layer, spare);
        int shown = -1;
        for (int64_t i = 0; i < drops; ++i) {
            if (const int percent = int(100 * i / drops); percent != shown) {
                doc.workspace.Progress(shown = percent);
                if (doc.workspace.Cancelled()) return Status::Stopped();
            }
            const int cy = RandomIn(h), cx = RandomIn(w);
            const int r = 2 + RandomIn(largest - 2) * RandomIn(1000) / 1000;
            if (cy >= h || cx >= w) continue;
            const double hx = -0.35 * r, hy = 0.35 * r, hr = 0.25 * r;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const double d = std::sqrt(double(dx * dx + dy * dy));
                    const int x = cx + dx, y = cy + dy;
                    if (d > r || !InsideLayer(layer, x, y) || LayerAlphaAt(layer, x, y) == 0) continue;
                    const int sx = std::clamp(cx - int(0.6 * dx), 0, w - 1), sy = std::clamp(cy - int(0.6 * dy), 0, h - 1);
                    const uint32_t behind = LayerColourAt(doc, start, sx, sy);
                    const double q = d / r, dark = 1 - 0.3 * q * q * q * q;
                    const double hd = std::sqrt((dx - hx) * (dx - hx) + (dy - hy) * (dy - hy));
                    const double light = hd < hr ? 0.6 * (1 - hd / hr) : 0.0;
                    uint32_t out = 0;
                    for (int k = 0; k < 3; ++k) {
                        const double c = ((behind >> (8 * k)) & 0xFF) * dark;
                        out |= uint32_t(std::clamp(int(c + (255 - c) * light), 0, 255)) << (8 * k);
                    }
                    PutPixel(doc, x, y, out, 1, true);
                }
        }
        return Status::Ok();
    });
}

}  // namespace

void AddRaindrops(OperationTable& table) {
    table.Add(EffectOperation(kCmdRaindrops, "raindrops", "빗방울", {{"크기", 0, 99, 40}, {"빈도", 50, 150, 100}}, Raindrops));
}
