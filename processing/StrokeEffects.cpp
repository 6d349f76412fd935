// Three painting effects of our own over one stroke frame: marks in random order at
// pixels drawn from the generator, each in the colour the picture had there, none on
// the outline, which is inked afterwards in the picture's colour darkened to 40 %.
//   "찍어붙이기" (stamp): squares of side a = max(3, P2) (P2 "선분길이"), 2 W H / a^2 of
//     them, each one brightness step of -P3..P3 (P3 "색상표현") off the colour under its
//     centre, its right column and lowest row 24 darker like a pressed stamp.
//   "색종이뿌리기" (coloured paper): rectangles a x (a / 2 + 1), a = max(3, P2) + 2, at
//     random angles, W H / area of them, each channel of the colour moved by -4 P3..4 P3
//     and lightened by 10, with a one-pixel shadow 40 darker along one long side.
//   "선효과채색" (line colouring): the picture fades to a pale paper (three quarters of the
//     way to white), then P2 passes each draw W H / (2 (l + 1)) lines of 2 l + 1 pixels
//     (l = P1) along the edge direction of the direction map, through the pixel drawn.
// The outline is where the edge detector gives more than 120 - 5 P1 (P1 "윤곽정도",
// stamp and paper) or more than 60 (line colouring). Draws of H or W mark nothing.
#include <cmath>
#include <numbers>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

struct Frame {
    COrinDoc& doc;
    LayerRecord& layer;
    const LayerRecord& start;
    const std::vector<uint8_t>& edges;
    int w, h;

    bool Paintable(int x, int y) const {
        return InsideLayer(layer, x, y) && LayerAlphaAt(start, x, y) != 0 && !edges[size_t(y) * size_t(w) + size_t(x)];
    }
    void Put(int x, int y, uint32_t colour) const {
        if (Paintable(x, y)) PutPixel(doc, x, y, colour, 1, true);
    }
    uint32_t StartColour(int x, int y) const { return LayerColourAt(doc, start, x, y); }
    // Progress and the stop request, once per percent of `count` marks.
    bool Stop(int64_t i, int64_t count, int& shown) const {
        const int percent = int(100 * i / std::max<int64_t>(count, 1));
        if (percent == shown) return false;
        doc.workspace.Progress(shown = percent);
        return doc.workspace.Cancelled();
    }
    void Ink() const {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (edges[size_t(y) * size_t(w) + size_t(x)]) {
                    const uint32_t c = StartColour(x, y);
                    const uint32_t dark = (uint32_t((c & 0xFF) * 2 / 5)) | (uint32_t(((c >> 8) & 0xFF) * 2 / 5) << 8) |
                                          (uint32_t(((c >> 16) & 0xFF) * 2 / 5) << 16);
                    PutPixel(doc, x, y, dark, 1, true);
                }
    }
};

// Runs `mark(frame, x, y)` for `count` pixels drawn at random (row, then column, then
// whatever `mark` draws itself), in place.
template <class Mark>
Status StrokeFrame(COrinDoc& doc, LayerRecord& layer, int threshold, int64_t count, Mark&& mark,
                   const std::function<Status()>& prepare = {}) {
    std::vector<uint8_t> edges;
    if (Status s = EdgeMap(doc, layer, edges, threshold); !s) return s;
    return InPlace(doc, [&] {
        LayerRecord spare;
        const Frame frame{doc, layer, StartImage(doc, layer, spare), edges, layer.width, layer.height};
        if (prepare)
            if (Status s = prepare(); !s) return s;
        int shown = -1;
        for (int64_t i = 0; i < count; ++i) {
            if (frame.Stop(i, count, shown)) return Status::Stopped();
            const int y = RandomIn(frame.h);
            const int x = RandomIn(frame.w);
            mark(frame, x, y);
        }
        frame.Ink();
        return Status::Ok();
    });
}

int OutlineThreshold(int p1) { return 120 - 5 * p1; }

Status Stamp(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int a = std::max(3, v[1]), jitter = v[2];
    const int64_t count = std::max<int64_t>(1, 2LL * layer.width * layer.height / (a * a));
    return StrokeFrame(doc, layer, OutlineThreshold(v[0]), count, [=](const Frame& f, int x, int y) {
        const int shift = RandomIn(2 * jitter) - jitter;
        if (x >= f.w || y >= f.h || LayerAlphaAt(f.start, x, y) == 0) return;
        const uint32_t colour = Shifted(f.StartColour(x, y), shift, shift, shift);
        const uint32_t rim = Shifted(colour, -24, -24, -24);
        const int x0 = x - a / 2, y0 = y - a / 2;
        for (int j = 0; j < a; ++j)
            for (int i = 0; i < a; ++i) f.Put(x0 + i, y0 + j, i == a - 1 || j == 0 ? rim : colour);
    });
}

Status ColouredPaper(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int a = std::max(3, v[1]) + 2, b = a / 2 + 1, spread = 4 * v[2];
    const int64_t count = std::max<int64_t>(1, int64_t(layer.width) * layer.height / (a * b));
    return StrokeFrame(doc, layer, OutlineThreshold(v[0]), count, [=](const Frame& f, int x, int y) {
        const double angle = RandomIn(180) * std::numbers::pi / 180;
        const int dr = RandomIn(2 * spread) - spread, dg = RandomIn(2 * spread) - spread, db = RandomIn(2 * spread) - spread;
        if (x >= f.w || y >= f.h || LayerAlphaAt(f.start, x, y) == 0) return;
        const uint32_t colour = Shifted(f.StartColour(x, y), dr + 10, dg + 10, db + 10);
        const double c = std::cos(angle), s = std::sin(angle);
        const double halfA = a / 2.0, halfB = b / 2.0;
        const int reach = int(std::ceil(std::sqrt(double(a * a + b * b)) / 2)) + 1;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const double u = dx * c + dy * s, t = -dx * s + dy * c;
                if (std::abs(u) > halfA) continue;
                if (std::abs(t) <= halfB) {
                    f.Put(x + dx, y + dy, colour);
                } else if (t > halfB && t <= halfB + 1 && f.Paintable(x + dx, y + dy)) {
                    f.Put(x + dx, y + dy, Shifted(LayerColourAt(f.doc, f.layer, x + dx, y + dy), -40, -40, -40));
                }
            }
    });
}

Status LineColouring(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int l = v[0], passes = v[1];
    std::vector<float> direction;
    if (Status s = DirectionMap(doc, layer, direction); !s) return s;
    const int64_t count = int64_t(passes) * layer.width * layer.height / (2 * (l + 1));
    const int w = layer.width;
    const Status s = StrokeFrame(doc, layer, 60, count, [&](const Frame& f, int x, int y) {
        if (x >= f.w || y >= f.h || LayerAlphaAt(f.start, x, y) == 0) return;
        const double phi = std::atan(double(direction[size_t(y) * size_t(w) + size_t(x)]));
        const int ex = int(std::lround(l * std::cos(phi))), ey = int(std::lround(l * std::sin(phi)));
        const uint32_t colour = f.StartColour(x, y);
        BresenhamLine(x - ex, y - ey, x + ex, y + ey, [&](int px, int py) { f.Put(px, py, colour); });
    }, [&] {
        return ForEachPixel(doc, layer, {}, [](Bgr c) {
            auto pale = [](uint8_t ch) { return uint8_t(ch + (255 - ch) * 3 / 4); };
            return Bgr{pale(c.b), pale(c.g), pale(c.r)};
        });
    });
    return s;
}

}  // namespace

void AddStrokeEffects(OperationTable& table) {
    table.Add(EffectOperation(kCmdStamp, "stamp", "찍어붙이기",
                              {{"윤곽정도", 5, 20, 8}, {"선분길이", 3, 30, 1}, {"색상표현", 1, 99, 1}}, Stamp));
    table.Add(EffectOperation(kCmdColouredPaper, "coloured-paper", "색종이뿌리기",
                              {{"윤곽정도", 5, 20, 10}, {"선분길이", 3, 30, 1}, {"색상표현", 1, 20, 2}}, ColouredPaper));
    table.Add(EffectOperation(kCmdLineColouring, "line-colouring", "선효과채색", {{"선분길이", 0, 7, 5}, {"반복", 1, 3, 1}},
                              LineColouring));
}
