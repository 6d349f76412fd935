// The row loop against a plain per-pixel reference: 24-bit and palette layers (8, 4
// and 1 bits), with and without the selection, transparent pixels, the edge spread,
// point and neighbourhood operations, on one thread and on several, and in place under
// a step's copy of the layer. A stop asked for by the host leaves the layer as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "AllLayers.h"
#include "MaskWeights.h"
#include "RowLoop.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

constexpr int kW = 13, kH = 11;  // odd sizes: padded rows, blocks that do not divide

// The bench's one layer turned into a `bits`-deep layer of the canvas: palette layers
// get a palette of distinct colours (with one duplicate entry) and varied indices.
void MakeDepth(COrinDoc& doc, int bits) {
    LayerRecord& layer = doc.layers[0];
    if (bits == 24) {
        Paint(layer, [](int x, int y) { return uint32_t((x * 53 + y * 17) & 0xFF) << 16 | uint32_t((x * 7 + 90) & 0xFF) << 8 | uint32_t((y * 29) & 0xFF); });
        return;
    }
    const int count = 1 << bits;
    doc.canvas.bpp = bits;
    doc.canvas.paletteCount = count;
    doc.palette.assign(size_t(count), RgbQuad{});
    for (int i = 0; i < count; ++i) doc.palette[size_t(i)] = RgbQuad{uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 97), 0};
    if (count > 2) doc.palette[size_t(count - 1)] = doc.palette[1];  // a duplicate entry
    layer.stride = RowStride(layer.width, bits);
    layer.pixelSize = layer.stride * layer.height;
    layer.pixels.assign(size_t(layer.pixelSize), 0xA5);  // padding bytes that must survive
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x)
            CImageBuffer::PutIndex(layer.pixels.data(), bits, uint32_t(layer.stride), x, y, uint8_t((x * 3 + y * 5) % count));
    RefreshCanvasSizes(doc);
}

int IndexAt(const LayerRecord& l, int bits, int x, int y) {
    const uint8_t* row = l.pixels.data() + size_t(y) * size_t(l.stride);
    if (bits == 8) return row[x];
    if (bits == 4) return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

Bgr ColourAt(const COrinDoc& doc, const LayerRecord& l, int bits, int x, int y) {
    if (bits == 24) {
        const uint8_t* p = l.pixels.data() + size_t(y) * size_t(l.stride) + size_t(x) * 3;
        return {p[0], p[1], p[2]};
    }
    const RgbQuad q = doc.palette[size_t(IndexAt(l, bits, x, y))];
    return {q.blue, q.green, q.red};
}

Bgr Point(Bgr c) { return {uint8_t(c.r / 2 + 10), uint8_t(255 - c.b), c.g}; }

// A neighbourhood operation: the mean of the pixel, its left neighbour and the pixel
// below-right, each clamped into the layer.
Bgr Neighbourhood(const std::function<Bgr(int, int)>& at, int x, int y, int w, int h) {
    auto px = [&](int xx, int yy) { return at(std::clamp(xx, 0, w - 1), std::clamp(yy, 0, h - 1)); };
    const Bgr a = px(x, y), b = px(x - 1, y), c = px(x + 1, y - 1);
    return {uint8_t((a.b + b.b + c.b) / 3), uint8_t((a.g + b.g + c.g) / 3), uint8_t((a.r + b.r + c.r) / 3)};
}

struct Case {
    int bits;
    bool selection;
    int spread;
    bool skipTransparent;
    bool neighbourhood;
};

TEST(RowLoop, MatchesThePerPixelReferenceOnEveryDepthAndRuleWithAnyThreadCount) {
    const Case cases[] = {
        {24, false, 0, false, false}, {24, true, 0, true, false},  {24, true, 3, true, true},
        {24, true, 0, false, true},   {8, true, 0, true, false},   {8, false, 0, false, true},
        {8, true, 2, true, true},     {4, true, 0, true, false},   {4, true, 0, true, true},
        {1, true, 0, false, false},   {1, false, 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bits " << c.bits << " selection " << c.selection << " spread " << c.spread
                                        << " skip " << c.skipTransparent << " rows " << c.neighbourhood);
        std::vector<std::vector<uint8_t>> results;
        for (int run = 0; run < 8; ++run) {
            // Runs 4..7 change the layer in place, reading the copy a step holds of it.
            const int threads = std::array{1, 2, 3, 8}[size_t(run % 4)];
            const bool inPlace = run >= 4;
            Bench bench(true);
            auto doc = bench.Open(kW, kH, Gradient);
            MakeDepth(*doc, c.bits);
            LayerRecord& layer = doc->layers[0];
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) AlphaAt(layer, x, y) = (x + 2 * y) % 7 == 0 ? 0 : uint8_t(40 + x * 9);
            SelectionMask& m = doc->selection;
            m.width = kW;
            m.height = kH;
            m.x = layer.x;
            m.y = layer.y;
            m.bytes.assign(size_t(kW) * kH, 1);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    if (x < 3 || (y > 7 && x > 9)) m.bytes[size_t(y) * kW + size_t(x)] = 0;
            const LayerRecord before = layer;
            const uint64_t revisionBefore = doc->revision;
            if (inPlace) {
                BeginAllLayerChange(*doc);
                doc->history.untouchedSlot = 0;
            }
            const COrinDoc& d = *doc;
            auto was = [&](int x, int y) { return ColourAt(d, before, c.bits, x, y); };

            RowLoopOptions options;
            options.selection = c.selection;
            options.spread = c.spread;
            options.skipTransparent = c.skipTransparent;
            options.threads = threads;
            const Status s = c.neighbourhood
                                 ? ForEachRow(*doc, layer, options,
                                              [](const RowSource& src, int y, std::span<Bgr> out) {
                                                  auto at = [&](int xx, int yy) { return src.Row(yy)[size_t(xx)]; };
                                                  for (int x = 0; x < src.Width(); ++x)
                                                      out[size_t(x)] = Neighbourhood(at, x, y, src.Width(), src.Height());
                                              })
                                 : ForEachPixel(*doc, layer, options, Point);
            ASSERT_TRUE(s.ok) << s.message;

            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const uint8_t a = before.alpha[size_t(y) * kW + size_t(x)];
                    const bool changes = (!c.selection || m.At(x, y) != 0) && (!c.skipTransparent || a != 0);
                    const Bgr want = c.neighbourhood ? Neighbourhood(was, x, y, kW, kH) : Point(was(x, y));
                    if (c.bits == 24) {
                        EXPECT_EQ(ColourAt(d, layer, 24, x, y), changes ? want : was(x, y)) << x << "," << y;
                    } else {
                        const int old = IndexAt(before, c.bits, x, y);
                        const Bgr oldColour = was(x, y);
                        int expected = old;
                        if (changes && !(want == oldColour))
                            expected = NearestPaletteIndex(d.palette.data(), int(d.palette.size()),
                                                           want.b | (uint32_t(want.g) << 8) | (uint32_t(want.r) << 16));
                        EXPECT_EQ(IndexAt(layer, c.bits, x, y), expected) << x << "," << y;
                    }
                    const bool spreads = changes && c.selection && c.spread > 0;
                    const int spreadAlpha = spreads ? std::max<int>(a, EdgeSpreadWeight(m, x, y, c.spread)) : a;
                    EXPECT_EQ(layer.alpha[size_t(y) * kW + size_t(x)], spreadAlpha);
                }
            // Bytes past the pixels of each row are kept.
            for (int y = 0; y < kH; ++y) {
                const size_t used = (size_t(kW) * size_t(c.bits) + 7) / 8;
                const size_t row = size_t(y) * size_t(layer.stride);
                if (c.bits >= 8) {
                    EXPECT_TRUE(std::equal(layer.pixels.begin() + ptrdiff_t(row + used), layer.pixels.begin() + ptrdiff_t(row) + layer.stride,
                                           before.pixels.begin() + ptrdiff_t(row + used)));
                }
            }
            EXPECT_NE(doc->revision, revisionBefore);
            if (inPlace) {
                EXPECT_TRUE(doc->workPixels.empty() && doc->workAlpha.empty()) << "no working buffer in place";
                EXPECT_EQ(doc->history.untouchedSlot, -1) << "the layer no longer matches the copy";
            }
            results.push_back(layer.pixels);
            results.back().insert(results.back().end(), layer.alpha.begin(), layer.alpha.end());
        }
        for (const auto& r : results) EXPECT_EQ(r, results.front());
    }
}

// Answers Cancelled() with yes from its `stopAt`-th question on, and keeps the progress.
class StoppingHost : public SilentHost {
public:
    bool Cancelled() override { return ++asked >= stopAt; }
    void Progress(int percent) override { progress.push_back(percent); }
    int asked = 0;
    int stopAt = 1 << 30;
    std::vector<int> progress;
};

TEST(RowLoop, AStopLeavesTheLayerAsItWasAndProgressEndsAtZero) {
    for (int threads : {1, 4}) {
        for (int bits : {24, 8, -24}) {  // -24: 24 bits changed in place under a step's copy
            SCOPED_TRACE(testing::Message() << threads << " threads, " << bits << " bits");
            Bench bench(true);
            StoppingHost host;
            bench.workspace.host = &host;
            auto doc = bench.Open(40, 64, Gradient);
            MakeDepth(*doc, std::abs(bits));
            LayerRecord& layer = doc->layers[0];
            const std::vector<uint8_t> pixels = layer.pixels, alpha = layer.alpha;
            if (bits < 0) {
                BeginAllLayerChange(*doc);
                doc->history.untouchedSlot = 0;
            }
            RowLoopOptions options;
            options.threads = threads;
            options.selection = false;
            options.skipTransparent = false;
            // One thread stops after two rows; with several the workers may finish every row
            // before the calling thread asks again, so the stop comes at the first question.
            host.stopAt = threads == 1 ? 3 : 1;
            const uint64_t revision = doc->revision;
            const Status s = ForEachPixel(*doc, layer, options, [](Bgr c) { return Bgr{c.r, c.b, uint8_t(c.g ^ 0xFF)}; });
            EXPECT_FALSE(s.ok);
            EXPECT_EQ(s.message, "");
            EXPECT_EQ(layer.pixels, pixels);
            EXPECT_EQ(layer.alpha, alpha);
            EXPECT_EQ(doc->revision, revision);
            ASSERT_FALSE(host.progress.empty());
            EXPECT_EQ(host.progress.back(), 0);

            // Run to the end, the percentages rise and the bar is cleared afterwards.
            host.stopAt = 1 << 30;
            host.progress.clear();
            ASSERT_TRUE(ForEachPixel(*doc, layer, options, [](Bgr c) { return c; }).ok);
            EXPECT_EQ(layer.pixels, pixels);  // the identity keeps every byte, palette entries too
            ASSERT_GE(host.progress.size(), 2u);
            EXPECT_TRUE(std::is_sorted(host.progress.begin(), host.progress.end() - 1));
            EXPECT_EQ(host.progress.end()[-2], 100);
            EXPECT_EQ(host.progress.back(), 0);
        }
    }
}

// A change of every layer that runs two loops on a layer: only the first may read the
// step's copy; the second reads what the first made. Undo gives the picture back.
TEST(RowLoop, ASecondLoopOnTheSameLayerReadsTheFirstResult) {
    Bench bench(true);
    auto doc = bench.Open(kW, kH, Gradient);
    MakeDepth(*doc, 24);
    RecordStep(*doc, "paint", kStepPixels);
    doc->selection.shown = false;
    const std::vector<uint8_t> was = doc->layers[0].pixels;
    RowLoopOptions options;
    options.selection = false;
    options.skipTransparent = false;
    auto twice = [&](LayerRecord& layer) {
        if (Status s = ForEachPixel(*doc, layer, options, Point); !s) return s;
        return ForEachRow(*doc, layer, options, [](const RowSource& src, int y, std::span<Bgr> out) {
            auto at = [&](int xx, int yy) { return src.Row(yy)[size_t(xx)]; };
            for (int x = 0; x < src.Width(); ++x) out[size_t(x)] = Neighbourhood(at, x, y, src.Width(), src.Height());
        });
    };
    LayerRecord reference = doc->layers[0];
    ASSERT_TRUE(twice(reference).ok);  // outside any step: through the working buffer
    ASSERT_TRUE(EditAllLayers(*doc, {"twice"}, [&](LayerRecord& layer, int) { return twice(layer); }).ok);
    EXPECT_EQ(doc->layers[0].pixels, reference.pixels);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(doc->layers[0].pixels, was);
}

}  // namespace
