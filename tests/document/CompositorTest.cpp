// Layer compositing: every blend mode on pixels computed by hand, a plain scalar
// version of the formulas (exact integer rationals) compared with ComposeLayers on
// random stacks, the edge cases of hidden, transparent and shifted layers, zoom
// sampling, palette canvases, flattening a stack back into a layer and exporting a
// layer into the main image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Compositor.h"
#include "DocTestSupport.h"
#include "Parallel.h"
#include "Random.h"
#include "ViewComposite.h"

using namespace doctest;

namespace {

// A display pixel: blue in the low byte, then green, red, alpha.
constexpr uint32_t Px(int r, int g, int b, int a) { return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24; }

// A document of w x h at `bpp` whose layers are made directly (no history).
struct Canvas {
    Bench bench;
    COrinDoc doc{bench.workspace};
    int w, h, bpp;
    Canvas(int width, int height, int bits = 24) : w(width), h(height), bpp(bits) {
        doc.canvas.width = w;
        doc.canvas.height = h;
        doc.canvas.bpp = bpp;
        if (bpp <= 8) {
            doc.canvas.paletteCount = 1 << bpp;
            doc.palette.assign(size_t(1) << bpp, RgbQuad{});
        }
    }
    // Adds a layer in `slot` on top of the stack.
    LayerRecord& Add(int slot, int lw, int lh, int x = 0, int y = 0, int kind = kLayerRaster) {
        LayerSlotParams p;
        p.slot = slot;
        p.width = lw;
        p.height = lh;
        p.x = x;
        p.y = y;
        p.bpp = bpp;
        p.paletteCount = doc.canvas.paletteCount;
        p.paletteMode = 2;
        p.canvasWidth = w;
        p.canvasHeight = h;
        p.kind = kind;
        EXPECT_TRUE(CreateLayerInSlot(doc, p));
        LayerRecord& r = doc.layers[slot];
        r.inUse = 1;
        r.visible = 1;
        const int top = doc.layers.Top();
        r.below = int16_t(top);
        r.above = -1;
        if (top >= 0) doc.layers[top].above = int16_t(slot);
        else doc.layers.bottom = slot;
        doc.layers.current = slot;
        return r;
    }
    std::vector<uint32_t> Compose(float zoom = 1.0f, int viewX = 0, int viewY = 0, int width = -1, int height = -1,
                                  int start = -1, int limit = 0) const {
        ComposeParams p;
        p.zoomX = p.zoomY = zoom;
        p.viewX = viewX;
        p.viewY = viewY;
        p.width = width < 0 ? w : width;
        p.height = height < 0 ? h : height;
        p.startSlot = start;
        p.layerLimit = limit;
        std::vector<uint32_t> out;
        ComposeLayers(doc, p, out);
        return out;
    }
};

// Bottom pixel d = (200, 100, 30), layer pixel s = (50, 150, 240), both fully covered.
uint32_t TwoPixelBlend(int mode, int coverage = 255, int transparency = 0) {
    Canvas c(1, 1);
    Paint(c.Add(0, 1, 1), [](int, int) { return 0xC8641Eu; }, [](int, int) { return 255; });
    LayerRecord& top = c.Add(1, 1, 1);
    Paint(top, [](int, int) { return 0x3296F0u; }, [&](int, int) { return uint8_t(coverage); });
    top.blend = uint8_t(mode);
    top.transparency = uint8_t(transparency);
    return c.Compose()[0];
}

TEST(BlendModes, EachModeOnPixelsComputedByHand) {
    // normal, fully covered and opaque: the layer's own colour
    EXPECT_EQ(TwoPixelBlend(0), Px(50, 150, 240, 255));
    // multiply (d s) >> 8: 10000 >> 8, 15000 >> 8, 7200 >> 8
    EXPECT_EQ(TwoPixelBlend(2), Px(39, 58, 28, 255));
    // screen 255 - ((255 - d)(255 - s) >> 8): 11275 >> 8 = 44, 16275 >> 8 = 63, 3375 >> 8 = 13
    EXPECT_EQ(TwoPixelBlend(3), Px(211, 192, 242, 255));
    EXPECT_EQ(TwoPixelBlend(4), Px(50, 100, 30, 255));    // darken
    EXPECT_EQ(TwoPixelBlend(5), Px(200, 150, 240, 255));  // lighten
    EXPECT_EQ(TwoPixelBlend(6), Px(150, 50, 210, 255));   // difference
    // negation 255 - |255 - d - s|: |5|, |5|, |-15|
    EXPECT_EQ(TwoPixelBlend(7), Px(250, 250, 240, 255));
    // exclusion d + s - d s / 128: 250 - 78, 250 - 117, 270 - 56
    EXPECT_EQ(TwoPixelBlend(8), Px(172, 133, 214, 255));
    // hard light: red s = 50 < 128: 10000 >> 7 = 78; green 255 - (16275 >> 7 = 127);
    // blue 255 - (3375 >> 7 = 26)
    EXPECT_EQ(TwoPixelBlend(9), Px(78, 128, 229, 255));
    // 1 and anything above 9 are normal
    EXPECT_EQ(TwoPixelBlend(1), Px(50, 150, 240, 255));
    EXPECT_EQ(TwoPixelBlend(10), Px(50, 150, 240, 255));
    EXPECT_EQ(TwoPixelBlend(200), Px(50, 150, 240, 255));
}

TEST(BlendModes, NormalUsesCoverageTimesOpacity) {
    // N = 128/255 x 204/255 = 26112/65025; N s + (1 - N) d:
    // red (26112 x 50 + 38913 x 200) / 65025 = 139.76, green 120.07, blue 114.33
    EXPECT_EQ(TwoPixelBlend(0, 128, 51), Px(139, 120, 114, 255));
    // The modes ignore N: any coverage takes the full result.
    EXPECT_EQ(TwoPixelBlend(2, 1, 200), Px(39, 58, 28, 255));
}

TEST(BlendModes, BottomLayerIsWeightedAndAlphaAccumulates) {
    Canvas c(2, 1);
    LayerRecord& bottom = c.Add(0, 2, 1);
    Paint(bottom, [](int, int) { return 0xC8641Eu; }, [](int x, int) { return x == 0 ? 128 : 3; });
    bottom.blend = kBlendMultiply;  // the bottom slot never blends
    LayerRecord& top = c.Add(1, 2, 1);
    Paint(top, [](int, int) { return 0x3296F0u; }, [](int x, int) { return x == 0 ? 0 : 2; });
    const std::vector<uint32_t> out = c.Compose();
    // N = 128/255: 200 x 128 / 255 = 100.39, 100 x 128 / 255 = 50.19, 30 x 128 / 255 = 15.06
    EXPECT_EQ(out[0], Px(100, 50, 15, 128));
    // Right pixel: alpha 3 from the bottom, then min(255, 3 x (2 + 1)) = 9.
    EXPECT_EQ(out[1] >> 24, 9u);
}

// ---- The scalar oracle ----

uint32_t OracleColour(const COrinDoc& doc, const LayerRecord& r, int col, int row) {
    if (r.kind == kLayerText) return r.colour & 0xFFFFFF;
    const uint8_t* line = r.pixels.data() + size_t(row) * size_t(r.stride);
    const int bits = doc.canvas.bpp;
    if (bits == 24) return line[3 * col] | line[3 * col + 1] << 8 | uint32_t(line[3 * col + 2]) << 16;
    int index = 0;
    if (bits == 8) index = line[col];
    if (bits == 4) index = (line[col / 2] >> (col % 2 ? 0 : 4)) & 15;
    if (bits == 1) index = (line[col / 8] >> (7 - col % 8)) & 1;
    return size_t(index) < doc.palette.size() ? doc.palette[size_t(index)].Value() & 0xFFFFFF : 0;
}

int OracleChannel(int mode, bool bottom, int d, int s, int64_t c, int64_t opacity) {
    // N = (c / 255) x (opacity / 255), kept as the exact fraction c x opacity / 65025.
    const int64_t n = c * opacity, full = 255 * 255;
    if (bottom) return int(n * s / full);
    switch (mode) {
    case 2: return (d * s) >> 8;
    case 3: return 255 - (((255 - d) * (255 - s)) >> 8);
    case 4: return std::min(d, s);
    case 5: return std::max(d, s);
    case 6: return std::abs(d - s);
    case 7: return 255 - std::abs(255 - d - s);
    case 8: return d + s - (d * s) / 128;
    case 9: return s >= 128 ? 255 - (((255 - d) * (255 - s)) >> 7) : (d * s) >> 7;
    default: return int((n * s + (full - n) * d) / full);
    }
}

std::vector<uint32_t> OracleCompose(const COrinDoc& doc, const ComposeParams& p) {
    std::vector<uint32_t> out(size_t(p.width) * size_t(p.height), 0);
    std::vector<int> chain = doc.layers.Chain(p.startSlot);
    if (p.layerLimit > 0 && int(chain.size()) > p.layerLimit) chain.resize(size_t(p.layerLimit));
    const int cw = doc.canvas.width, ch = doc.canvas.height;
    for (int slot : chain) {
        const LayerRecord& r = doc.layers[slot];
        if (r.visible != 1) continue;
        for (int oy = 0; oy < p.height; ++oy)
            for (int ox = 0; ox < p.width; ++ox) {
                const int col = std::clamp(int(std::floor(double(p.viewX + ox) / double(p.zoomX))), 0, cw - 1);
                const int top = std::clamp(int(std::floor(double(p.viewY + oy) / double(p.zoomY))), 0, ch - 1);
                const int canvasRow = ch - 1 - top;  // rows are stored bottom-up
                const int lc = col - r.x;            // canvas column = layer column + x offset
                const int lr = canvasRow + r.y;      // canvas row = layer row - y offset
                if (lc < 0 || lc >= r.width || lr < 0 || lr >= r.height) continue;
                const int c = r.alpha[size_t(lr) * size_t(r.width) + size_t(lc)];
                if (c == 0) continue;
                const uint32_t s = OracleColour(doc, r, lc, lr);
                uint32_t& d = out[size_t(oy) * size_t(p.width) + size_t(ox)];
                const int mode = r.blend;
                uint32_t rgb = 0;
                for (int k = 0; k < 3; ++k) {
                    const int v = OracleChannel(mode, slot == doc.layers.bottom, int(d >> (8 * k) & 0xFF),
                                                int(s >> (8 * k) & 0xFF), c, 255 - r.transparency);
                    rgb |= uint32_t(v & 0xFF) << (8 * k);
                }
                const uint32_t a = d >> 24;
                const uint32_t alpha = a != 0 ? std::min<uint32_t>(255, a * uint32_t(c + 1)) : uint32_t(c);
                d = rgb | alpha << 24;
            }
    }
    return out;
}

int Rand(int n) { return rng::Next() % n; }

// A random stack: sizes around the canvas, offsets both ways, partial and zero
// coverage, every transparency and mode, hidden layers and text layers.
void BuildRandomStack(Canvas& c, int layers) {
    for (size_t i = 0; i < c.doc.palette.size(); ++i)
        c.doc.palette[i] = RgbQuad::FromValue(uint32_t(rng::Next()) << 9 ^ uint32_t(rng::Next()));
    std::vector<int> slots;
    for (int i = 0; i < kMaxLayers; ++i) slots.push_back(i);
    for (int i = 0; i < layers; ++i) {
        const int pick = Rand(int(slots.size()));
        const int slot = slots[size_t(pick)];
        slots.erase(slots.begin() + pick);
        const int lw = c.w + Rand(5) - 1, lh = c.h + Rand(5) - 1;
        const int kind = Rand(6) == 0 ? kLayerText : Rand(2) ? kLayerRaster : kLayerFloating;
        LayerRecord& r = c.Add(slot, lw, lh, Rand(9) - 5, Rand(9) - 5, kind);
        for (uint8_t& b : r.pixels) b = uint8_t(rng::Next());
        for (uint8_t& a : r.alpha) {
            const int k = Rand(10);
            a = k < 3 ? 0 : k < 6 ? 255 : uint8_t(rng::Next());
        }
        const int t = Rand(4);
        r.transparency = t == 0 ? 0 : t == 1 ? 255 : uint8_t(rng::Next());
        r.blend = uint8_t(Rand(12));
        const int v = Rand(10);
        r.visible = v == 0 ? 0 : v == 1 ? 2 : 1;
        r.colour = uint32_t(rng::Next()) << 12 ^ uint32_t(rng::Next());
    }
}

TEST(ComposeOracle, AgreesWithTheFormulasOnRandomStacks) {
    rng::Reset(11);
    const float zooms[] = {1.0f / 16, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 16.0f, 0.3f, 3.0f};
    for (int bpp : {24, 8, 4, 1}) {
        for (int round = 0; round < 48; ++round) {
            // Every sixth picture is wide: rows long enough for whole vectors and runs.
            const bool wide = round % 6 == 0;
            Canvas c(wide ? 100 + Rand(400) : 3 + Rand(14), 2 + Rand(11), bpp);
            BuildRandomStack(c, 1 + Rand(6));
            ComposeParams p;
            p.zoomX = p.zoomY = wide && Rand(2) ? 1.0f : zooms[Rand(9)];
            if (Rand(4) == 0) p.zoomY = zooms[Rand(9)];
            p.viewX = Rand(3) == 0 ? 0 : Rand(40);
            p.viewY = Rand(3) == 0 ? 0 : Rand(40);
            p.width = 1 + Rand(wide ? 600 : 40);
            p.height = 1 + Rand(30);
            if (Rand(5) == 0) p.startSlot = c.doc.layers.Chain()[size_t(Rand(int(c.doc.layers.Chain().size())))];
            if (Rand(5) == 0) p.layerLimit = 1 + Rand(3);
            std::vector<uint32_t> out;
            ComposeLayers(c.doc, p, out);
            const std::vector<uint32_t> expected = OracleCompose(c.doc, p);
            ASSERT_EQ(out.size(), expected.size());
            for (size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ(out[i], expected[i]) << "bpp " << bpp << " round " << round << " pixel " << i << " zoom "
                                               << p.zoomX << "/" << p.zoomY;
        }
    }
}

TEST(ComposeOracle, LargeRegionsSplitAcrossThreadsGiveTheSameResult) {
    rng::Reset(5);
    Canvas c(37, 300);
    BuildRandomStack(c, 4);
    ComposeParams p;
    p.width = 37;
    p.height = 300;
    std::vector<uint32_t> out;
    ComposeLayers(c.doc, p, out);
    EXPECT_EQ(out, OracleCompose(c.doc, p));
}

TEST(ComposeEdges, HiddenBottomLetsTheNextLayerBlendWithNothing) {
    Canvas c(2, 1);
    LayerRecord& bottom = c.Add(0, 2, 1);
    Paint(bottom, [](int, int) { return 0xFFFFFFu; }, [](int, int) { return 255; });
    bottom.visible = 0;
    LayerRecord& mid = c.Add(1, 2, 1);
    Paint(mid, [](int, int) { return 0x808080u; }, [](int, int) { return 255; });
    mid.blend = kBlendScreen;
    // screen over an empty image: 255 - ((255 x 127) >> 8) = 255 - 126 = 129
    EXPECT_EQ(c.Compose()[0], Px(129, 129, 129, 255));
    mid.blend = kBlendMultiply;
    EXPECT_EQ(c.Compose()[0], Px(0, 0, 0, 255));
    // Normal with half coverage over nothing: 128/255 x 128 = 64.25
    mid.blend = kBlendNormal;
    AlphaAt(mid, 1, 0) = 128;
    EXPECT_EQ(c.Compose()[1], Px(64, 64, 64, 128));
}

TEST(ComposeEdges, FullTransparencyGivesColourZeroButRaisesAlpha) {
    Canvas c(1, 1);
    LayerRecord& bottom = c.Add(0, 1, 1);
    Paint(bottom, [](int, int) { return 0x405060u; }, [](int, int) { return 100; });
    bottom.transparency = 255;
    EXPECT_EQ(c.Compose()[0], Px(0, 0, 0, 100));
    bottom.transparency = 0;
    LayerRecord& top = c.Add(1, 1, 1);
    Paint(top, [](int, int) { return 0xFFFFFFu; }, [](int, int) { return 2; });
    top.transparency = 255;
    // Colour stays the bottom's 100/255 x colour; alpha min(255, 100 x 3).
    // 0x40 = 64 -> 25.09, 0x50 = 80 -> 31.37, 0x60 = 96 -> 37.64
    EXPECT_EQ(c.Compose()[0], Px(25, 31, 37, 255));
}

TEST(ComposeEdges, MultiplyIgnoresTransparency) {
    rng::Reset(3);
    Canvas c(7, 5);
    Paint(c.Add(2, 7, 5), [](int, int) { return uint32_t(rng::Next()) << 9 ^ uint32_t(rng::Next()); },
          [](int, int) { return uint8_t(rng::Next() % 2 ? 255 : rng::Next()); });
    LayerRecord& top = c.Add(0, 9, 6, -1, 1);
    Paint(top, [](int, int) { return uint32_t(rng::Next()) << 9 ^ uint32_t(rng::Next()); },
          [](int, int) { return uint8_t(1 + rng::Next() % 255); });
    top.blend = kBlendMultiply;
    top.transparency = 0;
    const std::vector<uint32_t> opaque = c.Compose();
    top.transparency = 128;
    EXPECT_EQ(c.Compose(), opaque);
    // ... which a normal layer does not.
    top.blend = kBlendNormal;
    const std::vector<uint32_t> normal128 = c.Compose();
    top.transparency = 0;
    EXPECT_NE(c.Compose(), normal128);
}

TEST(ComposeEdges, LayerShiftedRightLeavesUncoveredColumns) {
    Canvas c(16, 3);
    Paint(c.Add(0, 16, 3, 10, 0), [](int x, int) { return uint32_t(x); }, [](int, int) { return 255; });
    const std::vector<uint32_t> out = c.Compose();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 10; ++x) ASSERT_EQ(out[size_t(y) * 16 + size_t(x)], 0u) << x;
        for (int x = 10; x < 16; ++x) ASSERT_EQ(out[size_t(y) * 16 + size_t(x)], Px(0, 0, x - 10, 255)) << x;
    }
}

TEST(ComposeEdges, RowsMapThroughTheYOffset) {
    // A layer 2 rows taller than the canvas with y offset 2: canvas row 0 (the bottom)
    // shows layer row 2; the view's first row is the canvas top.
    Canvas c(1, 3);
    Paint(c.Add(0, 1, 5, 0, 2), [](int, int y) { return uint32_t(y); }, [](int, int) { return 255; });
    EXPECT_EQ(c.Compose(), (std::vector<uint32_t>{Px(0, 0, 4, 255), Px(0, 0, 3, 255), Px(0, 0, 2, 255)}));
    // y offset -1: canvas row 0 is uncovered, canvas row 1 takes layer row 0.
    c.doc.layers[0].y = -1;
    EXPECT_EQ(c.Compose(), (std::vector<uint32_t>{Px(0, 0, 1, 255), Px(0, 0, 0, 255), 0u}));
}

TEST(ComposeEdges, LayerLimitAndStartSlot) {
    Canvas c(1, 1);
    const uint32_t colours[] = {0x000010, 0x000020, 0x000030};
    for (int i = 0; i < 3; ++i)
        Paint(c.Add(4 - i, 1, 1), [&](int, int) { return colours[i]; }, [](int, int) { return 255; });
    c.doc.layers[3].blend = kBlendLighten;
    c.doc.layers[2].blend = kBlendDifference;
    EXPECT_EQ(c.Compose()[0], Px(0, 0, 0x10, 255));                   // |0x20 - 0x30|
    EXPECT_EQ(c.Compose(1, 0, 0, 1, 1, -1, 2)[0], Px(0, 0, 0x20, 255));  // bottom and the next only
    EXPECT_EQ(c.Compose(1, 0, 0, 1, 1, -1, 1)[0], Px(0, 0, 0x10, 255));
    // Starting above the bottom, the start layer blends (lighten) with nothing.
    EXPECT_EQ(c.Compose(1, 0, 0, 1, 1, 3, 1)[0], Px(0, 0, 0x20, 255));
    // Hidden layers count toward the limit.
    c.doc.layers[3].visible = 0;
    EXPECT_EQ(c.Compose(1, 0, 0, 1, 1, -1, 2)[0], Px(0, 0, 0x10, 255));
}

TEST(ComposeEdges, ZoomSamplesByFloorAndClampsToTheCanvas) {
    Canvas c(3, 2);
    // Canvas pixel (x, y-from-top) holds blue = 10 x (y-from-top) + x.
    Paint(c.Add(0, 3, 2), [](int x, int y) { return uint32_t(10 * (1 - y) + x); }, [](int, int) { return 255; });
    auto blue = [](const std::vector<uint32_t>& v) {
        std::vector<int> b;
        for (uint32_t p : v) b.push_back(int(p & 0xFF));
        return b;
    };
    EXPECT_EQ(blue(c.Compose(2.0f, 0, 0, 7, 1)), (std::vector<int>{0, 0, 1, 1, 2, 2, 2}));  // last one clamped
    EXPECT_EQ(blue(c.Compose(2.0f, 0, 1, 1, 5)), (std::vector<int>{0, 10, 10, 10, 10}));
    EXPECT_EQ(blue(c.Compose(0.5f, 0, 0, 3, 1)), (std::vector<int>{0, 2, 2}));
    EXPECT_EQ(blue(c.Compose(0.5f, 1, 0, 1, 1)), (std::vector<int>{2}));  // floor(1 / 0.5) = 2
    EXPECT_EQ(blue(c.Compose(4.0f, 5, 3, 2, 2)), (std::vector<int>{1, 1, 11, 11}));
    EXPECT_EQ(blue(c.Compose(1.0f, 100, 100, 1, 1)), (std::vector<int>{12}));
}

TEST(ComposeEdges, EmptyCanvasDrawsNothing) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    ComposeParams p;
    p.width = 3;
    p.height = 2;
    std::vector<uint32_t> out;
    ComposeLayers(doc, p, out);
    EXPECT_EQ(out, std::vector<uint32_t>(6, 0));
}

TEST(ComposePalette, IndexedPixelsTakeTheirPaletteColours) {
    for (int bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        Canvas c(9, 1, bpp);
        const int n = 1 << bpp;
        for (int i = 0; i < n; ++i) c.doc.palette[size_t(i)] = RgbQuad::FromValue(uint32_t(0x010203 * (i + 1)));
        LayerRecord& r = c.Add(0, 9, 1);
        std::fill(r.alpha.begin(), r.alpha.end(), 255);
        for (int x = 0; x < 9; ++x) CImageBuffer::PutIndex(r.pixels.data(), bpp, uint32_t(r.stride), x, 0, uint8_t((x * 3) % n));
        const std::vector<uint32_t> out = c.Compose();
        for (int x = 0; x < 9; ++x) ASSERT_EQ(out[size_t(x)], (0x010203u * uint32_t((x * 3) % n + 1)) | 0xFF000000u) << x;
    }
}

TEST(ComposePalette, EightBitCanvasWithoutPaletteReadsNoFurtherThanItsRows) {
    // A project of an 8-bit canvas carries no palette: its pixels are indices with no
    // colours. Rows of exactly 4 pixels have no padding; reading them as three colour
    // bytes would run past the last row.
    Canvas c(4, 2, 8);
    c.doc.palette.clear();
    LayerRecord& r = c.Add(0, 4, 2);
    std::fill(r.alpha.begin(), r.alpha.end(), 255);
    EXPECT_EQ(r.pixels.size(), 8u);
    const std::vector<uint32_t> out = c.Compose();
    for (uint32_t p : out) EXPECT_EQ(p, Px(0, 0, 0, 255));
}

TEST(ComposePalette, ALayerLeftAtAnotherDepthIsNotReadPastItsRows) {
    // A layer whose rows are shorter than the canvas depth needs (left at 8 bits when
    // the canvas became 24) is not drawn, rather than read past its buffer.
    Canvas c(4, 2);
    Paint(c.Add(0, 4, 2), [](int, int) { return 0x010203u; }, [](int, int) { return 255; });
    LayerRecord& odd = c.Add(1, 4, 2);
    std::fill(odd.alpha.begin(), odd.alpha.end(), 255);
    odd.stride = 4;
    odd.pixelSize = 8;
    odd.pixels.assign(8, 0x77);
    for (uint32_t p : c.Compose()) EXPECT_EQ(p, 0xFF010203u);
    std::vector<uint32_t> out;
    DrawOneLayer(c.doc, 1, 4, 2, out);
    EXPECT_EQ(out, std::vector<uint32_t>(8, 0));
}

TEST(ComposeText, VectorLayerIsItsColourThroughItsAlpha) {
    Canvas c(3, 1);
    LayerRecord& r = c.Add(0, 3, 1, 0, 0, kLayerText);
    r.colour = 0x00112233;  // blue in the low byte
    r.alpha = {0, 255, 51};
    EXPECT_EQ(c.Compose(), (std::vector<uint32_t>{0u, 0xFF112233u, Px(3, 6, 10, 51)}));  // 0x11 x 51/255 = 3.4 ...
}

// ---- Flatten and export ----

// The composite turned back into 24-bit layer rows and an alpha plane.
void ExpectLayerIsComposite(const LayerRecord& r, const std::vector<uint32_t>& composite, int w, int h) {
    ASSERT_EQ(r.width, w);
    ASSERT_EQ(r.height, h);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.stride, RowStride(w, 24));
    EXPECT_EQ(r.pixelSize, r.stride * h);
    EXPECT_EQ(r.planeSize, w * h);
    ASSERT_EQ(r.pixels.size(), size_t(r.pixelSize));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t v = composite[size_t(h - 1 - y) * size_t(w) + size_t(x)];
            ASSERT_EQ(PixelAt(r, x, y), v & 0xFFFFFF) << x << "," << y;
            ASSERT_EQ(r.alpha[size_t(y) * size_t(w) + size_t(x)], v >> 24) << x << "," << y;
        }
        for (int k = w * 3; k < r.stride; ++k) ASSERT_EQ(r.pixels[size_t(y) * size_t(r.stride) + size_t(k)], 0) << "padding";
    }
    EXPECT_EQ(r.aux, std::vector<uint8_t>(size_t(w) * size_t(h), 0));
}

TEST(Flatten, IntoSlotEqualsTheCompositeConvertedBack) {
    rng::Reset(17);
    for (int round = 0; round < 20; ++round) {
        Canvas c(2 + Rand(9), 2 + Rand(7));
        BuildRandomStack(c, 2 + Rand(5));
        const int bottom = c.doc.layers.bottom;
        const std::vector<uint32_t> composite = c.Compose();
        ASSERT_TRUE(FlattenIntoSlot(c.doc, bottom, bottom));
        ExpectLayerIsComposite(c.doc.layers[bottom], composite, c.w, c.h);
        if (c.doc.layers[bottom].kind == kLayerText) FAIL() << "a flattened text layer must become raster";
    }
}

TEST(Flatten, OneOpaqueLayerKeepsItsPixelsClearsPaddingAndAux) {
    Canvas c(5, 3);  // stride 16: one padding byte per row
    LayerRecord& r = c.Add(0, 5, 3);
    Paint(r, Gradient, [](int, int) { return 255; });
    for (int y = 0; y < 3; ++y) r.pixels[size_t(y) * 16 + 15] = 0xEE;
    std::fill(r.aux.begin(), r.aux.end(), 9);
    const std::vector<uint32_t> composite = c.Compose();
    ASSERT_TRUE(FlattenIntoSlot(c.doc, 0));
    ExpectLayerIsComposite(c.doc.layers[0], composite, 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(PixelAt(c.doc.layers[0], x, y), Gradient(x, y));

    // The same through the general path (one pixel not quite opaque) agrees byte for byte
    // except at that pixel's alpha.
    Canvas d(5, 3);
    LayerRecord& q = d.Add(0, 5, 3);
    Paint(q, Gradient, [](int x, int y) { return x == 4 && y == 2 ? 254 : 255; });
    const std::vector<uint32_t> composite2 = d.Compose();
    ASSERT_TRUE(FlattenIntoSlot(d.doc, 0));
    ExpectLayerIsComposite(d.doc.layers[0], composite2, 5, 3);
}

TEST(Flatten, LayersOffTheCanvasAreCutToIt) {
    Canvas c(4, 3);
    LayerRecord& r = c.Add(0, 7, 6, -2, 1);
    Paint(r, Gradient, [](int, int) { return 255; });
    const std::vector<uint32_t> composite = c.Compose();
    ASSERT_TRUE(FlattenIntoSlot(c.doc, 0));
    ExpectLayerIsComposite(c.doc.layers[0], composite, 4, 3);
    // Canvas (0, 0) showed layer (2, 1).
    EXPECT_EQ(PixelAt(c.doc.layers[0], 0, 0), Gradient(2, 1));
}

TEST(Flatten, PaletteCanvasTakesTheNearestOfItsOwnEntries) {
    // A 4-bit canvas has 16 entries, none of them black. A black pixel must map to the
    // nearest of those 16, never to an index beyond them.
    Canvas c(3, 1, 4);
    for (int i = 0; i < 16; ++i) c.doc.palette[size_t(i)] = RgbQuad::FromValue(uint32_t(0x404040 + 0x080808 * i));
    c.doc.palette[0] = RgbQuad::FromValue(0xFFFFFF);
    c.doc.palette[3] = RgbQuad::FromValue(0x0000FF);   // pure blue
    c.doc.palette[15] = RgbQuad::FromValue(0x060606);  // the nearest to black
    LayerRecord& r = c.Add(0, 3, 1);
    std::fill(r.alpha.begin(), r.alpha.end(), 255);
    CImageBuffer::PutIndex(r.pixels.data(), 4, uint32_t(r.stride), 0, 0, 15);
    CImageBuffer::PutIndex(r.pixels.data(), 4, uint32_t(r.stride), 1, 0, 3);
    CImageBuffer::PutIndex(r.pixels.data(), 4, uint32_t(r.stride), 2, 0, 7);
    AlphaAt(r, 2, 0) = 0;  // empty: black after flattening
    ASSERT_TRUE(FlattenIntoSlot(c.doc, 0));
    const LayerRecord& f = c.doc.layers[0];
    auto index = [&](int x) { return (f.pixels[size_t(x / 2)] >> (x % 2 ? 0 : 4)) & 15; };
    EXPECT_EQ(index(0), 15);  // 0x060606 is itself
    EXPECT_EQ(index(1), 3);
    EXPECT_EQ(index(2), 15);  // black: 0x060606 is the nearest entry (white entry 0 is far)
    EXPECT_EQ(f.alpha, (std::vector<uint8_t>{255, 255, 0}));
}

TEST(Export, LayerRowsWithOffsetsGoIntoTheMainImage) {
    Canvas c(4, 3);
    c.doc.mainImage = std::make_unique<CImageBuffer>(1, 1, 24, kFormatJpeg);
    c.doc.canvas.format = kFormatJpeg;
    // A layer larger than the canvas at x -2, y 1: canvas (x, y) shows layer (x + 2, y + 1).
    LayerRecord& r = c.Add(0, 7, 5, -2, 1);
    Paint(r, Gradient);
    ASSERT_TRUE(ExportLayerToMainImage(c.doc, 0));
    const CImageBuffer& img = *c.doc.mainImage;
    ASSERT_EQ(img.Width(), 4);
    ASSERT_EQ(img.Height(), 3);
    ASSERT_EQ(img.Bpp(), 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = img.Row(y) + 3 * x;
            ASSERT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16), Gradient(x + 2, y + 1)) << x << "," << y;
        }
    // Shifted right by one column and down: the uncovered column and row stay 0xFF.
    r.x = 1;
    r.y = -1;
    ASSERT_TRUE(ExportLayerToMainImage(c.doc, 0));
    const CImageBuffer& img2 = *c.doc.mainImage;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = img2.Row(y) + 3 * x;
            const uint32_t v = uint32_t(p[0] | p[1] << 8 | p[2] << 16);
            if (x == 0 || y == 0) ASSERT_EQ(v, 0xFFFFFFu) << x << "," << y;
            else ASSERT_EQ(v, Gradient(x - 1, y - 1)) << x << "," << y;
        }
    EXPECT_EQ(img2.Type(), kFormatJpeg);
}

TEST(Export, PaletteCanvasCarriesTheDocumentPalette) {
    Canvas c(5, 2, 8);
    c.doc.palette[9] = RgbQuad::FromValue(0x123456);
    LayerRecord& r = c.Add(0, 5, 2);
    std::fill(r.pixels.begin(), r.pixels.end(), 9);
    ASSERT_TRUE(ExportLayerToMainImage(c.doc, 0));
    EXPECT_EQ(c.doc.mainImage->Bpp(), 8);
    EXPECT_EQ(c.doc.mainImage->PaletteEntry(9) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(c.doc.mainImage->IndexAt(4, 1), 9);
}

TEST(DrawOne, ScalesOneLayerWithoutOpacity) {
    Canvas c(4, 2);
    LayerRecord& r = c.Add(0, 4, 2);
    Paint(r, [](int x, int y) { return uint32_t(x + 10 * y); }, [](int, int) { return 255; });
    r.transparency = 200;
    std::vector<uint32_t> out;
    DrawOneLayer(c.doc, 0, 2, 1, out);
    // zoom 0.5: columns 0 and 2 of the top row (y = 1)
    EXPECT_EQ(out, (std::vector<uint32_t>{Px(0, 0, 10, 255), Px(0, 0, 12, 255)}));
}

}  // namespace

// The view's kept composite equals the full chain after every kind of change: pixels of
// any layer changed over a rectangle (reported as such), the current layer moved,
// layers hidden, the region scrolled or zoomed, and a change reported as a whole;
// and whatever it leaves outside the part it said was pending is unchanged.
TEST(ViewComposite, EqualsTheFullChainAfterRandomEdits) {
    rng::Reset(23);
    const float zooms[] = {0.25f, 0.5f, 1.0f, 2.0f, 0.3f, 3.0f, 0.125f, 0.2f};
    for (int bpp : {24, 8, 4}) {
        for (int round = 0; round < 12; ++round) {
            Canvas c(20 + Rand(30), 16 + Rand(30), bpp);
            BuildRandomStack(c, 2 + Rand(7));
            for (int slot : c.doc.layers.Chain()) {
                LayerRecord& r = c.doc.layers[slot];
                if (Rand(4) == 0 && r.aux.size() == r.alpha.size()) {  // a drop shadow shows through
                    r.effectOn = 1;
                    for (uint8_t& b : r.aux) b = uint8_t(Rand(3) ? 0 : rng::Next());
                }
            }
            ComposeParams p;
            p.zoomX = p.zoomY = zooms[Rand(8)];
            p.width = 1 + Rand(60);
            p.height = 1 + Rand(60);
            ViewComposite view;
            std::vector<uint32_t> shown = view.Compose(c.doc, p), fresh;
            for (int step = 0; step < 25; ++step) {
                const std::vector<int> chain = c.doc.layers.Chain();
                const int slot = chain[size_t(Rand(int(chain.size())))];
                LayerRecord& r = c.doc.layers[slot];
                switch (Rand(10)) {
                case 0: c.doc.layers.current = slot; break;
                case 1:
                    r.visible = r.visible == 1 ? 0 : 1;
                    c.doc.Touch();
                    break;
                case 2:
                    p.viewX = std::max(0, p.viewX + Rand(21) - 10);
                    p.viewY = std::max(0, p.viewY + Rand(21) - 10);
                    break;
                case 3:
                    p.zoomX = p.zoomY = zooms[Rand(8)];
                    if (Rand(3) == 0) p.zoomY = zooms[Rand(8)];
                    break;
                case 4:
                    // A setting of the layer changed (the copies sampled at the zoom must see it).
                    if (Rand(2)) r.blend = uint8_t(Rand(12));
                    else if (Rand(2)) r.transparency = uint8_t(rng::Next());
                    else r.colour = uint32_t(rng::Next()) << 12 ^ uint32_t(rng::Next());
                    break;
                case 5:
                    r.x += Rand(5) - 2;
                    r.y += Rand(5) - 2;
                    c.doc.Touch();
                    break;
                case 6:
                    // Pixels here and there and the shadow of one layer changed, told as a
                    // change of that whole layer.
                    for (int k = 0; k < 12; ++k) r.pixels[size_t(Rand(int(r.pixels.size())))] = uint8_t(rng::Next());
                    for (int k = 0; k < 6; ++k) r.alpha[size_t(Rand(int(r.alpha.size())))] = uint8_t(rng::Next());
                    if (!r.aux.empty()) r.aux[size_t(Rand(int(r.aux.size())))] = uint8_t(rng::Next());
                    c.doc.TouchLayer(slot);
                    break;
                default: {
                    // A rectangle of one layer repainted, reported with its rectangle
                    // (or, now and then, as a change of everything).
                    const int x0 = Rand(r.width), y0 = Rand(r.height);
                    const int x1 = std::min(r.width, x0 + 1 + Rand(8)), y1 = std::min(r.height, y0 + 1 + Rand(8));
                    const int bytes = r.kind == kLayerText ? 1 : bpp / 8;
                    for (int y = y0; y < y1; ++y) {
                        for (int x = x0; x < x1; ++x) {
                            r.alpha[size_t(y) * size_t(r.width) + size_t(x)] = uint8_t(Rand(2) ? 255 : rng::Next());
                            uint8_t* row = r.pixels.data() + size_t(y) * size_t(r.stride);
                            for (int k = 0; k < bytes; ++k) row[x * bytes + k] = uint8_t(rng::Next());
                            if (bytes == 0)  // 4 bits: this pixel's half of the byte only
                                row[x / 2] = uint8_t(x % 2 ? (row[x / 2] & 0xF0) | Rand(16) : (row[x / 2] & 0x0F) | Rand(16) << 4);
                        }
                    }
                    if (Rand(6) == 0) c.doc.Touch();
                    else c.doc.TouchLayer(slot, x0, y0, x1, y1);
                }
                }
                const RegionRect pending = view.Pending(c.doc, p);
                ComposeLayers(c.doc, p, fresh);
                const bool sameRegion = shown.size() == fresh.size();
                const std::vector<uint32_t>& kept = view.Compose(c.doc, p);
                ASSERT_EQ(kept, fresh) << "bpp " << bpp << " round " << round << " step " << step;
                if (sameRegion)
                    for (int y = 0; y < p.height; ++y)
                        for (int x = 0; x < p.width; ++x)
                            if (x < pending.x0 || x >= pending.x1 || y < pending.y0 || y >= pending.y1) {
                                ASSERT_EQ(shown[size_t(y) * size_t(p.width) + size_t(x)],
                                          fresh[size_t(y) * size_t(p.width) + size_t(x)])
                                    << "outside the pending part, step " << step;
                            }
                shown = kept;
            }
        }
    }
}

// At a small zoom a change told for one whole layer samples that layer's copy again and
// keeps the others'; a change of everything samples every layer; the composite stays
// the full chain's, on one thread and on every core.
TEST(ViewComposite, AOneLayerChangeSamplesOnlyThatLayerAgain) {
    for (int threads : {1, 0}) {
        SetParallelThreadLimit(threads);
        Canvas c(64, 48);
        for (int slot : {0, 1, 2}) {
            LayerRecord& r = c.Add(slot, 64, 48);
            for (uint8_t& b : r.pixels) b = uint8_t(rng::Next());
            for (uint8_t& a : r.alpha) a = uint8_t(rng::Next());
            r.blend = uint8_t(slot * 3);
        }
        c.doc.layers.current = 0;
        ComposeParams p;
        p.zoomX = p.zoomY = 0.25f;
        p.width = 16;
        p.height = 12;
        ViewComposite view;
        std::vector<uint32_t> fresh;
        view.Compose(c.doc, p);
        const uint64_t plane = view.SampledRows() / 3;  // rows of one copy
        EXPECT_EQ(plane, 13u);
        // Changed in place: nothing but the notice tells the copies.
        LayerRecord& upper = c.doc.layers[2];
        for (size_t i = 0; i < upper.pixels.size(); i += 7) upper.pixels[i] ^= 0x5A;
        c.doc.TouchLayer(2);
        ComposeLayers(c.doc, p, fresh);
        EXPECT_EQ(view.Compose(c.doc, p), fresh) << threads;
        EXPECT_EQ(view.SampledRows(), 4 * plane);
        // A layer below the current one, then everything.
        c.doc.layers.current = 2;
        view.Compose(c.doc, p);
        for (size_t i = 0; i < c.doc.layers[0].alpha.size(); i += 5) c.doc.layers[0].alpha[i] ^= 0x33;
        c.doc.TouchLayer(0);
        ComposeLayers(c.doc, p, fresh);
        EXPECT_EQ(view.Compose(c.doc, p), fresh) << threads;
        EXPECT_EQ(view.SampledRows(), 5 * plane);
        c.doc.Touch();
        EXPECT_EQ(view.Compose(c.doc, p), fresh) << threads;
        EXPECT_EQ(view.SampledRows(), 8 * plane);
    }
    SetParallelThreadLimit(0);
}

TEST(ExportComposite, EqualsTheFlattenedBottomLayerExported) {
    // The rich stack (blends, a hidden and a shifted larger layer, transparency), and a
    // tall two-layer stack composed in several bands.
    for (int tall : {0, 1}) {
        SCOPED_TRACE(tall);
        Bench bench;
        std::unique_ptr<COrinDoc> doc;
        if (tall) {
            doc = bench.Open(7, 1300, Gradient);
            ASSERT_TRUE(AddLayer(*doc).ok);
            LayerRecord& top = *doc->CurrentLayer();
            Paint(top, [](int x, int y) { return uint32_t(0x010203 * (x + y)); },
                  [](int x, int y) { return uint8_t((x * 37 + y) % 256); });
            top.blend = kBlendScreen;
            top.transparency = 60;
        } else {
            doc = OpenRich(bench);
            doc->layers[3].visible = 1;
        }
        std::vector<uint8_t> cover;
        ASSERT_TRUE(ExportCompositeToMainImage(*doc, &cover));
        const CImageBuffer direct(*doc->mainImage, true);
        ASSERT_TRUE(FlattenLayers(*doc).ok);
        const int bottom = doc->layers.bottom;
        ASSERT_TRUE(ExportLayerToMainImage(*doc, bottom));
        EXPECT_EQ(cover, doc->layers[bottom].alpha);
        ASSERT_EQ(direct.Height(), doc->mainImage->Height());
        ASSERT_EQ(direct.Stride(), doc->mainImage->Stride());
        for (int y = 0; y < direct.Height(); ++y)
            ASSERT_EQ(std::memcmp(direct.Row(y), doc->mainImage->Row(y), direct.Stride()), 0) << y;
    }
}
