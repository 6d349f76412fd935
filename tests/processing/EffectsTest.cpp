// The effects of the effect list and the binary conversion: each formula pinned by a
// few hand-computed cases, the catalogue and its dispatch, the bar's frame, and the
// contract that every effect keeps (pixels outside the selection and transparent
// pixels untouched, a stop leaves the layer as it was, undo restores it bit for bit).
#include <gtest/gtest.h>

#include "Distortion.h"
#include "EffectCatalogue.h"
#include "EffectSupport.h"
#include "ProcessingOperations.h"
#include "Random.h"
#include "RowLoop.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

const OperationTable& Table() {
    static const OperationTable table = [] {
        OperationTable t;
        AddProcessingOperations(t);
        return t;
    }();
    return table;
}

Status Apply(COrinDoc& doc, const std::string& key, std::vector<int> values = {}) {
    const Operation* op = Table().Find(key);
    EXPECT_NE(op, nullptr) << key;
    OpValues v = op->Defaults();
    for (size_t i = 0; i < values.size(); ++i) v.numbers[i] = values[i];
    return op->run(doc, v);
}

uint32_t Grey(int v) { return uint32_t(v) * 0x010101u; }

// A host that asks every long operation to stop.
struct StoppingHost : SilentHost {
    bool Cancelled() override { return true; }
};

TEST(EffectCatalogue, ListMenuAndDispatch) {
    ASSERT_EQ(EffectNames().size(), 22u);
    EXPECT_STREQ(EffectNames()[0], "경계강조");
    EXPECT_STREQ(EffectNames()[10], "수채화");
    EXPECT_STREQ(EffectNames()[21], "욕실효과");
    const std::pair<int, int> commands[] = {{1455, 0}, {1470, 0}, {1447, 1}, {1453, 3}, {3479, 20},
                                            {3477, 21}, {2106, 19}, {1457, 5}, {2113, -1}, {1413, -1}};
    for (auto [id, index] : commands) EXPECT_EQ(FilterCommandIndex(id), index) << id;
    // Every effect of the list dispatches to its own entry, labelled with its name.
    for (const char* name : EffectNames()) {
        const Operation* op = FindEffect(Table(), name);
        ASSERT_NE(op, nullptr) << name;
        EXPECT_EQ(op->label, name);
    }
    EXPECT_EQ(FindEffect(Table(), "흐리게")->id, 1453);
    EXPECT_EQ(FindEffect(Table(), kBinaryEffect, 0)->id, 1435);
    EXPECT_EQ(FindEffect(Table(), kBinaryEffect, 2)->id, 1440);
    const TranslationPairs translations = {{"흐리게", "Blur"}, {"유화", "Oil"}};
    EXPECT_EQ(FindEffect(Table(), "Blur", 0, translations)->id, 1453);
    EXPECT_EQ(FindEffect(Table(), "Oil", 0, translations)->id, 1472);
    EXPECT_EQ(FindEffect(Table(), "........", 0, translations), nullptr);
    EXPECT_EQ(FindEffect(Table(), "blur", 0, translations), nullptr);  // case counts
    EXPECT_EQ(EffectNameOf("3"), "흐리게");
    EXPECT_EQ(EffectNameOf("0"), "경계강조");
    EXPECT_EQ(EffectNameOf("22"), "");
    EXPECT_EQ(EffectNameOf("유화"), "유화");
    EXPECT_EQ(EffectNameOf(kBinaryEffect), "");
    // A default off its slider's scale stands until the value is set.
    const Operation* stamp = Table().Find(1461);
    EXPECT_EQ(stamp->Defaults()[1], 1);
    EXPECT_EQ(ClampedValues(*stamp, {8, 1, 1})[1], 1);
    EXPECT_EQ(ClampedValues(*stamp, {8, 2, 1})[1], 3);
}

struct KernelCase {
    const char* key;
    std::vector<int> values;
    uint32_t (*picture)(int, int);
    int x, y;
    uint32_t expected;
};

TEST(Effects, KernelsSmoothingAndMorphologyByHand) {
    auto flat80 = [](int, int) { return Grey(80); };
    auto flat16 = [](int, int) { return Grey(16); };
    auto flat100 = [](int, int) { return Grey(100); };
    auto ramp = [](int x, int y) { return Grey(10 * x + 20 * y); };
    auto quarter = [](int x, int y) { return Grey(10 * x + 40 * y); };
    // Channels that differ: red, green, blue of four pixels in a row.
    auto mixed = [](int x, int) {
        const uint32_t c[4] = {0x0AC832u, 0x64143Cu, 0x1E28FAu, 0x00FF00u};
        return c[x & 3];
    };
    const KernelCase cases[] = {
        {"sharpen", {}, flat80, 2, 2, Grey(80)},        // 12 v - 8 v = 4 v; / 3 of three channels; / 4
        {"sharpen", {}, flat80, 0, 2, 0},               // the outermost columns and rows are black
        {"outline", {8}, flat80, 2, 2, 0},              // weight sum 0: no division
        {"outline", {10}, flat16, 2, 2, Grey(16)},      // (10 - 8) 48 / 3 / 2
        {"emboss", {2}, ramp, 2, 2, Grey(120)},         // (-2 s(1,1) + 2 s(3,3)) / 3 = (-180 + 540) / 3
        {"emboss", {2}, ramp, 6, 4, 0},
        {"soften", {4}, flat100, 3, 3, Grey(193)},      // 31 v / 16
        {"soften", {1}, ramp, 2, 1, Grey(40)},          // one pixel: unchanged
        {"blur", {2}, quarter, 1, 1, Grey(25)},         // window reaches left and down: (0 + 10 + 40 + 50) / 4
        {"erode", {3}, mixed, 1, 0, 0x0A1432u},         // per channel over columns 0..2
        {"erode", {3}, mixed, 3, 0, 0x002800u},
        {"dilate", {2}, mixed, 0, 0, 0x0AC832u},        // offsets -1..0: the pixel alone
        {"dilate", {2}, mixed, 1, 0, 0x64C83Cu},
    };
    for (const KernelCase& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        Bench bench;
        const bool row = c.key == std::string("erode") || c.key == std::string("dilate");
        auto doc = bench.Open(row ? 4 : 7, row ? 1 : 7, c.picture);
        ASSERT_TRUE(Apply(*doc, c.key, c.values).ok);
        EXPECT_EQ(PixelAt(doc->layers[0], c.x, c.y), c.expected);
    }
    // Blur counts present pixels only; the centre counts once.
    Bench bench;
    auto doc = bench.Open(3, 3, [](int x, int y) { return x == 0 && y == 0 ? Grey(255) : x == 2 && y == 2 ? Grey(120) : Grey(30); });
    AlphaAt(doc->layers[0], 0, 0) = 0;
    RecordStep(*doc, label::kInitialState, kStepPixels);
    ASSERT_TRUE(Apply(*doc, "blur", {3}).ok);
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 1), Grey(41));  // (7 x 30 + 120) / 8
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), Grey(255));
}

TEST(Effects, WatercolourTakesTheFullestLevelAndTheDarkerOnATie) {
    for (const auto& [given, expected] : std::vector<std::pair<std::vector<uint32_t>, uint32_t>>{
             {{0x000000, 0xFFFFFF}, 0x000000}, {{0x000000, 0xFFFFFF, 0xFFFFFF}, 0xFFFFFF}, {{0x030303, 0x080808}, 0x050505}}) {
        const std::vector<uint32_t>& row = given;  // a lambda may not capture a binding in clang 14
        Bench bench;
        auto doc = bench.Open(int(row.size()), 1, [&](int x, int) { return row[size_t(x)]; });
        ASSERT_TRUE(Apply(*doc, "watercolour").ok);
        // 3 and 8 share level 0: their mean.
        for (int x = 0; x < int(row.size()); ++x) EXPECT_EQ(PixelAt(doc->layers[0], x, 0), expected) << x;
    }
}

TEST(Effects, FrostedGlassPicksAColourOfTheWindowAndSkipsLongRunsOfEmptyDraws) {
    // Radius 0: every pixel keeps its colour, after exactly the draws the formula makes.
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    const std::vector<uint8_t> before = doc->layers[0].pixels;
    rng::Reset(7);
    ASSERT_TRUE(Apply(*doc, "frosted-glass", {0}).ok);
    EXPECT_EQ(doc->layers[0].pixels, before);
    const int after = rng::Next();
    rng::Reset(7);
    for (int pixel = 0; pixel < 6; ++pixel) {
        const bool black = Gradient(pixel % 3, pixel / 3) == 0;
        for (int draw = 0; draw <= 10000; ++draw)
            if (rng::Next() == 32767 || black) break;
    }
    EXPECT_EQ(rng::Next(), after);
    // The skip is exact from any state.
    for (uint32_t state : {1u, 12345u, 0xDEADBEEFu, 0x7FFF0000u}) {
        for (int limit : {1, 10001, 200000}) {
            rng::Reset(state);
            int brute = 0;
            while (brute < limit && (++brute, rng::Next() != 32767)) {}
            const int next = rng::Next();
            rng::Reset(state);
            EXPECT_EQ(rng::DrawUntil(32767, limit), brute) << state << " " << limit;
            EXPECT_EQ(rng::Next(), next);
        }
    }
    // Two colours: each result is one of the window's bins.
    auto two = bench.Open(4, 3, [](int x, int) { return x < 2 ? 0x102030u : 0xC0C0C0u; });
    ASSERT_TRUE(Apply(*two, "frosted-glass", {1}).ok);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint32_t c = PixelAt(two->layers[0], x, y);
            EXPECT_TRUE(c == 0x102030u || c == 0xC0C0C0u) << x << "," << y;
        }
}

TEST(Effects, BinaryConversionsByHandOnEveryLayer) {
    struct Case {
        const char* key;
        int p;
        std::vector<uint32_t> row;
        std::vector<uint32_t> expected;
    };
    const uint32_t B = 0x000000, W = 0xFFFFFF;
    const Case cases[] = {
        {"threshold", 255, {0xFFFFFF, 0x808080}, {W, W}},
        {"threshold", 0, {0x000000, 0x000001, 0x000003}, {W, W, B}},  // g = 0, 0, 1
        {"ordered-dither", 0, {Grey(100), Grey(100)}, {B, B}},          // L = 16: level 1
        {"ordered-dither", 0, {Grey(50), Grey(50)}, {B, W}},            // L = 8: matrix 0 and 8 against 8
        {"fs-dither", 128, {Grey(100), Grey(100), Grey(100)}, {B, W, B}},  // 100 + 43 = 143; 143 - 49 = 94
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Bench bench;
        auto doc = bench.Open(int(c.row.size()), 1, [&](int x, int) { return c.row[size_t(x)]; });
        ASSERT_TRUE(Apply(*doc, c.key, {c.p}).ok);
        for (size_t x = 0; x < c.row.size(); ++x) EXPECT_EQ(PixelAt(doc->layers[0], int(x), 0), c.expected[x]) << x;
    }
    // Errors go down a row too: row 1 receives 31 + 6 from the first pixel, -21 - 35 from
    // the second; layer rows count from the bottom.
    Bench bench;
    auto doc = bench.Open(2, 2, [](int, int) { return Grey(100); });
    AddLayer(*doc);
    const int top = doc->layers.current;
    Paint(doc->layers[top], [](int, int) { return Grey(200); }, [](int x, int) { return uint8_t(x == 0 ? 0 : 255); });
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const DocState before = Capture(*doc);
    ASSERT_TRUE(Apply(*doc, "fs-dither", {128}).ok);
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), B);
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 0), W);
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 1), B);
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 1), B);
    // The other layer too, its transparent pixel included and its opacity kept.
    EXPECT_EQ(PixelAt(doc->layers[top], 0, 0), W);
    EXPECT_EQ(AlphaAt(doc->layers[top], 0, 0), 0);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label), kBinaryEffect);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(Difference(Capture(*doc), before), "");
}

TEST(Effects, EdgeEmphasisAndDalmatianBrightening) {
    Bench bench;
    // Centre (100,100,100); above (120,100,100), left (100,100,40): D = 80 / 4 = 20.
    auto doc = bench.Open(3, 3, [](int x, int y) {
        if (x == 1 && y == 2) return 0x786464u;
        if (x == 0 && y == 1) return 0x646428u;
        return Grey(100);
    });
    ASSERT_TRUE(Apply(*doc, "edge-emphasis", {20, 5}).ok);  // g = 20 - trunc(0.1 x 5 x 20) = 10
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 1), Grey(90));
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 1), 0x646428u);  // a neighbour outside the layer
    auto same = bench.Open(3, 3, [](int x, int y) { return x == 0 && y == 1 ? 0x646428u : Grey(100); });
    ASSERT_TRUE(Apply(*same, "edge-emphasis", {16, 10}).ok);  // D = 15 < 16
    EXPECT_EQ(PixelAt(same->layers[0], 1, 1), Grey(100));

    auto spots = bench.Open(3, 1, [](int x, int) { return x == 0 ? Grey(100) : x == 1 ? Grey(30) : 0x0A0AC8u; });
    ASSERT_TRUE(Apply(*spots, "dalmatian", {40, 0}).ok);
    EXPECT_EQ(PixelAt(spots->layers[0], 0, 0), Grey(170));
    EXPECT_EQ(PixelAt(spots->layers[0], 1, 0), Grey(30));
    EXPECT_EQ(PixelAt(spots->layers[0], 2, 0), 0x5050CDu);
}

TEST(Effects, LensBathroomGlassAndTheDistortionMends) {
    Bench bench;
    auto colour = [](int x, int) { return uint32_t(x * 5 + 1); };
    // Lens: a 5 x 1 row, R = 2: columns 1 and 3 take the centre, 0 and 4 lie on the
    // radius and take the corner (0, 0).
    auto lens = bench.Open(5, 1, colour);
    ASSERT_TRUE(Apply(*lens, "lens").ok);
    const uint32_t expected[5] = {colour(0, 0), colour(2, 0), colour(2, 0), colour(2, 0), colour(0, 0)};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(lens->layers[0], x, 0), expected[x]) << x;
    // Bathroom glass on 40 x 1, in place: a source right of the layer is the last column.
    auto glass = bench.Open(40, 1, colour);
    ASSERT_TRUE(Apply(*glass, "bathroom-glass", {30, -30}).ok);
    const std::pair<int, int> sources[] = {{5, 0}, {16, 16}, {17, 18}, {28, 39}, {31, 39}, {32, 16}, {33, 20}, {39, 39}};
    for (auto [x, from] : sources) EXPECT_EQ(PixelAt(glass->layers[0], x, 0), colour(from, 0)) << x;
    // Feathering over a rectangle one pixel tall changes nothing (weight 0, no division by 0).
    auto thin = bench.Open(6, 3, Gradient);
    const std::vector<uint8_t> before = thin->layers[0].pixels;
    DistortParams p;
    p.feather = true;
    p.right = 6;
    p.top = 1;
    p.bottom = 2;
    ASSERT_TRUE(Distort(*thin, 0, p));
    EXPECT_EQ(thin->layers[0].pixels, before);
}

TEST(Effects, DistortionModesByHand) {
    // A 21 x 21 layer, the rectangle the whole layer: centre (10, 10), R = trunc(sqrt(200)) = 14.
    // Blue holds 12 x, green y, so every source is known by its colour.
    auto colour = [](int x, int y) { return uint32_t(12 * x) | uint32_t(y) << 8; };
    struct Case {
        int mode;
        double strength;
        bool feather;
        int x, y;
        int fromX, fromY;  // the pixel whose colour (x, y) ends with
    };
    const Case cases[] = {
        {0, 1.0, false, 0, 0, 0, 0},     // r = 14.1 >= R: the corner (L, T), itself
        {0, 1.0, false, 1, 0, 0, 0},     // (10 - 12, 10 - 19) clamped into the layer
        {0, 1.0, false, 10, 10, 10, 10}, // the centre keeps its colour
        {0, 1.0, false, 10, 5, 10, 7},   // 10 - trunc(2 x 25 / 14): a row not yet visited
        {0, 1.0, false, 10, 15, 10, 10}, // in place: (10, 13) <- (10, 11) <- (10, 10)
        {0, 2.0, false, 7, 10, 9, 10},   // 10 - trunc(1.5 x 2 x 9 / 14), later in the row
        {1, 1.0, false, 1, 0, 4, 3},     // q = sqrt(14 r): 10 - trunc(6.43), 10 - trunc(7.14)
        {1, 1.0, false, 10, 10, 10, 10},
        {1, 1.0, false, 10, 12, 10, 13}, // 10 - trunc(-0.7 sqrt(28))
        {3, 1.0, false, 1, 0, 2, 20},    // trunc(21 atan2(10, 9) / 2 pi), trunc(21 r / 14)
        {3, 1.0, false, 10, 0, 5, 15},
        {3, 1.0, false, 10, 10, 0, 0},   // r = 0: angle 0, radius 0
        {3, 1.0, false, 12, 10, 5, 10},  // from (10, 3), already rewritten from (5, 10)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        Bench bench;
        auto doc = bench.Open(21, 21, colour);
        DistortParams p{c.mode, c.feather, c.strength, 0, 0, 21, 0, 21};
        ASSERT_TRUE(Distort(*doc, 0, p));
        EXPECT_EQ(PixelAt(doc->layers[0], c.x, c.y), colour(c.fromX, c.fromY));
    }
    // Feathering, mode 4: at (2, 10) w = min(1, 3 x 2 / 10, 3 x 10 / 10) = 0.6 of the source
    // (0, 10) (which, on the edge, kept its colour): blue trunc(24 x 0.4) = 9.
    Bench bench;
    auto doc = bench.Open(21, 21, colour);
    ASSERT_TRUE(Distort(*doc, 0, DistortParams{4, true, 1.0, 0, 0, 21, 0, 21}));
    EXPECT_EQ(PixelAt(doc->layers[0], 2, 10), 9u | 10u << 8);
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 10), colour(0, 10));
    EXPECT_EQ(PixelAt(doc->layers[0], 20, 20), colour(20, 20));
}

TEST(Effects, DalmatianSpotAndTheDrawsOfThePaintingEffects) {
    // From state 1 the generator gives 41, 18467, 6334: S = trunc(41 x 20 / 32767 + 5) = 5,
    // h = 2, centre row trunc(18467 x 29 / 32767) = 16, column trunc(6334 x 29 / 32767) = 5;
    // the spot is every offset with i^2 + j^2 <= 4 (sqrt <= 2.2).
    Bench bench;
    auto doc = bench.Open(30, 30, [](int, int) { return Grey(100); });
    rng::Reset();
    ASSERT_TRUE(Apply(*doc, "dalmatian", {25, 1}).ok);
    for (int y = 12; y <= 20; ++y)
        for (int x = 1; x <= 9; ++x) {
            const int i = y - 16, j = x - 5;
            EXPECT_EQ(PixelAt(doc->layers[0], x, y), i * i + j * j <= 4 ? 0u : Grey(170)) << x << "," << y;
        }
    // The painting effects draw in a fixed order: a row, then each column of it, then
    // what the mark draws itself (a stroke length for "유화"); a draw one past the picture
    // marks nothing and draws no more. A picture one pixel wide gets no dab from "유화" (its
    // strokes run to the right), drops of size 0 paint nothing.
    struct Draws {
        const char* key;
        int w, h;
        int perMark;     // draws a mark makes after its row and column
        int rowsTimes;   // rows drawn per picture row
        bool columnPerRow;
    };
    const Draws draws[] = {{"oil-painting", 1, 4, 1, 1, true}, {"bubbles", 5, 4, 0, 20, false}};
    for (const Draws& d : draws) {
        SCOPED_TRACE(d.key);
        auto flat = bench.Open(d.w, d.h, [](int, int) { return Grey(60); });
        rng::Reset(99);
        ASSERT_TRUE(Apply(*flat, d.key, {0}).ok);
        const int after = rng::Next();
        rng::Reset(99);
        for (int i = 0; i < d.rowsTimes * d.h; ++i) {
            const int y = RandomIn(d.h);
            for (int j = 0; j < (d.columnPerRow ? d.w : 1); ++j) {
                const int x = RandomIn(d.w);
                if (y < d.h && x < d.w)
                    for (int k = 0; k < d.perMark; ++k) RandomIn(0);
            }
        }
        EXPECT_EQ(rng::Next(), after);
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x) EXPECT_EQ(PixelAt(flat->layers[0], x, y), Grey(60));
    }
}

TEST(Effects, EveryEffectKeepsTheContract) {
    for (const Operation& op : Table().All()) {
        if (op.label != kBinaryEffect && !FindEffect(Table(), op.label)) continue;
        SCOPED_TRACE(op.key);
        const bool binary = op.label == kBinaryEffect, spotsEverywhere = op.key == "dalmatian";
        Bench bench;
        auto doc = bench.Open(9, 7, Gradient);
        LayerRecord& layer = doc->layers[0];
        AlphaAt(layer, 4, 3) = 0;
        SelectionMask& m = doc->selection;
        m.width = 9;
        m.height = 7;
        m.bytes.assign(63, 0);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x) m.bytes[size_t(y * 9 + x)] = 1;
        RecordStep(*doc, label::kInitialState, kStepPixels);
        const DocState before = Capture(*doc);

        // A stop leaves everything as it was and records nothing.
        StoppingHost stopping;
        bench.workspace.host = &stopping;
        const int position = doc->history.position;
        EXPECT_FALSE(op.run(*doc, op.Defaults()).ok);
        EXPECT_EQ(Difference(Capture(*doc), before), "");
        EXPECT_EQ(doc->history.position, position);
        bench.workspace.host = &bench.host;

        rng::Reset();
        ASSERT_TRUE(op.run(*doc, op.Defaults()).ok);
        EXPECT_EQ(Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label), op.label);
        for (int y = 0; y < 7; ++y)
            for (int x = 5; x < 9; ++x)
                if (!spotsEverywhere) EXPECT_EQ(PixelAt(layer, x, y), Gradient(x, y)) << x << "," << y;
        if (!binary) EXPECT_EQ(PixelAt(layer, 4, 3), Gradient(4, 3));
        EXPECT_EQ(layer.alpha, before.slots[0].alpha);
        ASSERT_TRUE(Undo(*doc));
        EXPECT_EQ(Difference(Capture(*doc), before), "");
    }
}

TEST(Effects, ResultsDoNotDependOnTheNumberOfThreads) {
    for (const Operation& op : Table().All()) {
        if (op.label != kBinaryEffect && !FindEffect(Table(), op.label)) continue;
        SCOPED_TRACE(op.key);
        std::vector<uint8_t> results[2];
        for (int i = 0; i < 2; ++i) {
            SetRowLoopThreadLimit(i == 0 ? 1 : 5);
            Bench bench(true);
            auto doc = bench.Open(33, 200, Gradient);
            rng::Reset();
            ASSERT_TRUE(op.run(*doc, op.Defaults()).ok);
            results[i] = doc->layers[0].pixels;
        }
        SetRowLoopThreadLimit(0);
        EXPECT_EQ(results[0], results[1]);
    }
}

TEST(Effects, TheBarFrameRunsFromTheStartImageAndKeepsOrDiscards) {
    Bench bench;
    auto doc = bench.Open(8, 6, Gradient);
    const Operation& blur = *Table().Find("blur");
    const std::vector<uint8_t> start = doc->layers[0].pixels;
    auto fresh = bench.Open(8, 6, Gradient);
    ASSERT_TRUE(Apply(*fresh, "blur", {2}).ok);

    BeginEffect(*doc, blur);
    ASSERT_TRUE(RunEffect(*doc, blur, ClampedValues(blur, {9})).ok);
    ASSERT_TRUE(RunEffect(*doc, blur, ClampedValues(blur, {2})).ok);  // not on top of the first run
    EXPECT_EQ(doc->layers[0].pixels, fresh->layers[0].pixels);
    const int position = doc->history.position;
    EndEffect(*doc, blur, false);
    EXPECT_EQ(doc->layers[0].pixels, start);
    EXPECT_EQ(doc->history.position, position);

    BeginEffect(*doc, blur);
    ASSERT_TRUE(RunEffect(*doc, blur, ClampedValues(blur, {5})).ok);
    ASSERT_TRUE(RestoreEffectStart(*doc, blur).ok);
    EndEffect(*doc, blur, true);
    EXPECT_EQ(doc->history.position, position + 1);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label), "흐리게");
    EXPECT_EQ(doc->layers[0].pixels, start);
}

TEST(Effects, TheBarOfTheBinaryConversionKeepsOrDiscardsEveryLayer) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    AddLayer(*doc);
    Paint(doc->layers[doc->layers.current], [](int x, int y) { return Grey(40 * x + 20 * y); },
          [](int, int) { return uint8_t(255); });
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    const Operation& ordered = *FindEffect(Table(), kBinaryEffect, 1);
    const Operation& absolute = *FindEffect(Table(), kBinaryEffect, 2);

    // Cancel brings back every layer, after runs of two sub-modes.
    BeginEffect(*doc, ordered);
    ASSERT_TRUE(RunEffect(*doc, ordered, ClampedValues(ordered, {75})).ok);
    ASSERT_TRUE(RunEffect(*doc, absolute, ClampedValues(absolute, {128})).ok);
    EXPECT_NE(Difference(Capture(*doc), before), "");
    EndEffect(*doc, absolute, false);
    EXPECT_EQ(Difference(Capture(*doc), before), "");
    EXPECT_EQ(doc->history.position, position);

    // "닫기" keeps the last run on every layer as one step; undo restores them all.
    BeginEffect(*doc, ordered);
    ASSERT_TRUE(RunEffect(*doc, absolute, ClampedValues(absolute, {255})).ok);
    EndEffect(*doc, absolute, true);
    EXPECT_EQ(doc->history.position, position + 1);
    for (int slot : doc->layers.Chain())
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(doc->layers[slot], x, y), 0xFFFFFFu) << slot;
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(Difference(Capture(*doc), before), "");
}

}  // namespace
