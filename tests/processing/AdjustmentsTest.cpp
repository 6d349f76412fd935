// Tone and colour adjustments: brightness and contrast, channel offsets (RGB and HSL),
// the level statistics and stretches, the automatic stretch and the mean-grey check.
#include <gtest/gtest.h>

#include <cstdlib>

#include "AutoColour.h"
#include "BrightnessContrast.h"
#include "ChannelOffsets.h"
#include "ColourSpace.h"
#include "CommandMap.h"
#include "LayerEdit.h"
#include "LevelStretch.h"
#include "Messages.h"
#include "ProcessingOperations.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

struct Table {
    OperationTable ops;
    Table() { AddProcessingOperations(ops); }
    Status Run(COrinDoc& doc, int id, std::vector<int> numbers) {
        const Operation* op = ops.Find(id);
        EXPECT_NE(op, nullptr) << id;
        return op->run(doc, ClampedValues(*op, std::move(numbers)));
    }
};

std::string LastLabel(const COrinDoc& doc) {
    return Utf16ToUtf8(doc.history.entries[size_t(doc.history.position)].label);
}

uint32_t Rgb3(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

}  // namespace

TEST(BrightnessContrast, LevelsFollowTheFormula) {
    struct Case {
        int b, c, v, want;
    } cases[] = {
        {0, 0, 0, 0},      {0, 0, 77, 77},    {0, 0, 255, 255},   // nothing changes
        {0, -255, 0, 128}, {0, -255, 255, 128}, {50, -255, 10, 178},  // all 128 + B
        {0, 255, 200, 255}, {0, 255, 100, 72},                      // distance from 128 doubled
        {100, 0, 200, 255}, {-100, 0, 50, 0}, {-20, 0, 50, 30},
        {10, 20, 60, 64},  // 10 + (-68) x 275/255 + 128 = 64.67
        {0, 255, 0, 0},    // -128 x 2 + 128 = -128, clamped
    };
    for (const Case& k : cases)
        EXPECT_EQ(BrightnessContrastTable(k.b, k.c)[size_t(k.v)], k.want) << k.b << " " << k.c << " " << k.v;
}

TEST(BrightnessContrast, ChangesPresentPixelsInsideTheSelectionAndUndoes) {
    Bench bench;
    Table table;
    auto doc = bench.Open(3, 2, [](int x, int) { return Rgb3(100, 100 + x, 200); });
    LayerRecord& layer = doc->layers[0];
    AlphaAt(layer, 2, 1) = 0;
    doc->selection.shown = true;
    doc->selection.width = 3;
    doc->selection.height = 2;
    doc->selection.bytes = {1, 1, 0, 1, 1, 1};  // (2, 0) outside
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const DocState before = Capture(*doc);
    ASSERT_TRUE(table.Run(*doc, kCmdBrightness, {20, 0}).ok);
    EXPECT_EQ(PixelAt(layer, 0, 0), Rgb3(120, 120, 220));
    EXPECT_EQ(PixelAt(layer, 1, 1), Rgb3(120, 121, 220));
    EXPECT_EQ(PixelAt(layer, 2, 0), Rgb3(100, 102, 200));  // outside the selection
    EXPECT_EQ(PixelAt(layer, 2, 1), Rgb3(100, 102, 200));  // transparent
    EXPECT_EQ(LastLabel(*doc), "명도·대비 조절");
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(Difference(Capture(*doc), before), "");
}

TEST(ChannelOffsets, RgbModeMovesEachChannelClamped) {
    struct Case {
        Rgb in;
        int r, g, b;
        Rgb want;
    } cases[] = {
        {{200, 50, 10}, 99, -99, 0, {255, 0, 10}},
        {{10, 20, 30}, 5, -5, 99, {15, 15, 129}},
        {{0, 0, 0}, -1, 0, 1, {0, 0, 1}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(OffsetColour(k.in, kOffsetRgb, k.r, k.g, k.b), k.want) << int(k.in.r) << " " << k.r;

    Bench bench;
    Table table;
    auto doc = bench.Open(2, 1, [](int x, int) { return x ? Rgb3(200, 50, 10) : Rgb3(10, 20, 30); });
    RecordStep(*doc, label::kInitialState, kStepPixels);
    ASSERT_TRUE(table.Run(*doc, kCmdColourAdjust, {99, -99, 5, kOffsetRgb}).ok);
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), Rgb3(109, 0, 35));
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 0), Rgb3(255, 0, 15));
    EXPECT_EQ(LastLabel(*doc), "색상조정");
}

TEST(ColourSpace, HslOfTheChannelSplit) {
    struct Case {
        Rgb in;
        Hsl want;
    } cases[] = {
        {{255, 0, 0}, {0, 255, 128}},     {{0, 255, 0}, {85, 255, 128}},  {{0, 0, 255}, {170, 255, 128}},
        {{0, 0, 0}, {170, 0, 0}},         {{77, 77, 77}, {170, 0, 77}},   {{255, 255, 255}, {170, 0, 255}},
        {{255, 255, 0}, {42, 255, 128}},  {{255, 0, 255}, {214, 255, 128}},  // -42 wraps to 214
        {{128, 64, 32}, {14, 153, 80}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << int(k.in.r) << "," << int(k.in.g) << "," << int(k.in.b));
        const Hsl h = RgbToHsl(k.in.r, k.in.g, k.in.b);
        EXPECT_EQ(int(h.h), int(k.want.h));
        EXPECT_EQ(int(h.s), int(k.want.s));
        EXPECT_EQ(int(h.l), int(k.want.l));
    }
}

// 42 hue steps per sixth of the circle: a saturated channel between two primaries can
// only come back within about 255 / 84 levels.
TEST(ColourSpace, HslBackToRgbComesWithinFourLevels) {
    int worst = 0;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5) {
                const Rgb back = HslToRgb(RgbToHsl(r, g, b));
                worst = std::max({worst, std::abs(back.r - r), std::abs(back.g - g), std::abs(back.b - b)});
            }
    EXPECT_LE(worst, 4);
    EXPECT_EQ(HslToRgb({170, 0, 90}), (Rgb{90, 90, 90}));
}

TEST(ChannelOffsets, HslModeTurnsTheHueAndMovesTheSaturationKeepingTheLightness) {
    auto near = [](Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1; };
    // A third of the circle turns red into green, two thirds into blue; backwards wraps.
    EXPECT_TRUE(near(OffsetColour({255, 0, 0}, kOffsetHsl, 85, 0, 0), {0, 255, 0}));
    EXPECT_TRUE(near(OffsetColour({0, 255, 0}, kOffsetHsl, 85, 0, 0), {0, 0, 255}));
    EXPECT_TRUE(near(OffsetColour({255, 0, 0}, kOffsetHsl, -86, 0, 0), {0, 0, 255}));
    // Saturation down to 0 leaves the grey of the lightness; the third value plays no part.
    const Rgb grey = OffsetColour({128, 64, 32}, kOffsetHsl, 0, -99, 50);
    const Hsl before = RgbToHsl(128, 64, 32), after = RgbToHsl(grey.r, grey.g, grey.b);
    EXPECT_EQ(int(after.s), 153 - 99);
    EXPECT_EQ(int(after.l), int(before.l));
    EXPECT_EQ(int(after.h), int(before.h));
    EXPECT_EQ(OffsetColour({128, 64, 32}, kOffsetHsl, 0, 0, 99), (Rgb{128, 64, 32}));
    // Not the channel offsets: red and green are not moved.
    EXPECT_NE(OffsetColour({10, 200, 30}, kOffsetHsl, 20, 0, 0).b, 30);
}

TEST(LevelStatistics, LimitsStretchTablesAndMeanGrey) {
    LevelCounts counts{};
    counts[5] = 10;
    counts[100] = 80;
    counts[200] = 10;
    EXPECT_EQ(ThresholdLimits(counts, 9), (LevelLimits{5, 200}));
    EXPECT_EQ(ThresholdLimits(counts, 10), (LevelLimits{100, 100}));
    EXPECT_EQ(AutomaticLimits(counts, 1000), (LevelLimits{5, 200}));  // 100..100 falls back
    counts[6] = 1;
    EXPECT_EQ(AutomaticLimits(counts, 1000), (LevelLimits{6, 100}));
    EXPECT_EQ(OccupiedLimits(counts), (LevelLimits{5, 200}));
    EXPECT_EQ(OccupiedLimits(LevelCounts{}), (LevelLimits{0, 255}));

    struct Case {
        int low, high, v, want;
    } cases[] = {{50, 150, 49, 0}, {50, 150, 50, 0}, {50, 150, 100, 127}, {50, 150, 150, 255},
                 {50, 150, 151, 255}, {0, 255, 77, 77}, {7, 7, 3, 3}, {7, 7, 200, 200}};  // one level: unchanged
    for (const Case& k : cases)
        EXPECT_EQ(StretchTable({k.low, k.high})[size_t(k.v)], k.want) << k.low << ".." << k.high << " " << k.v;

    Bench bench;
    auto doc = bench.Open(2, 1, [](int x, int) { return x ? Rgb3(254, 255, 255) : Rgb3(10, 20, 33); });
    EXPECT_EQ(MeanGrey(*doc, doc->layers[0]), (21 + 254) / 2);
    const HistogramSet set = LayerHistogram(*doc, doc->layers[0]);
    EXPECT_EQ(set.pixels, 2u);
    EXPECT_EQ(set.tables[kHistLuminance][(11 * 33 + 59 * 20 + 30 * 10) / 100], 1u);  // 18
    EXPECT_EQ(set.tables[kHistRed][254], 1u);
    EXPECT_EQ(set.tables[kHistBlue][255], 1u);
}

TEST(LevelStretch, ChosenChannelsSpreadOverTheWholeRange) {
    Bench bench;
    Table table;
    auto doc = bench.Open(3, 1, [](int x, int) { return Rgb3(50 + 50 * x, 50 + 50 * x, 50 + 50 * x); });
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const LayerRecord& layer = doc->layers[0];
    ASSERT_TRUE(table.Run(*doc, kCmdHistogram, {50, 150, kHistRed}).ok);
    EXPECT_EQ(PixelAt(layer, 0, 0), Rgb3(0, 50, 50));
    EXPECT_EQ(PixelAt(layer, 1, 0), Rgb3(127, 100, 100));
    EXPECT_EQ(PixelAt(layer, 2, 0), Rgb3(255, 150, 150));
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(table.Run(*doc, kCmdHistogram, {50, 150, kHistLuminance}).ok);
    EXPECT_EQ(PixelAt(layer, 1, 0), Rgb3(127, 127, 127));
    // low must stay below high.
    const Status refused = table.Run(*doc, kCmdHistogram, {150, 150, 0});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, msg::kLevelOrder);

    // A flat picture: nothing changes.
    auto flat = bench.Open(2, 2, [](int, int) { return Rgb3(90, 90, 90); });
    RecordStep(*flat, label::kInitialState, kStepPixels);
    ASSERT_TRUE(table.Run(*flat, kCmdHistogram, {50, 150, 0}).ok);
    EXPECT_EQ(PixelAt(flat->layers[0], 1, 1), Rgb3(90, 90, 90));
}

TEST(AutoColour, EachChannelStretchesBetweenItsOwnLimits) {
    Bench bench;
    Table table;
    // 10 pixels: 1 % is 0 pixels, so the limits are the occupied levels. Blue is one
    // level throughout: its limits coincide and it stays (no division by zero).
    auto doc = bench.Open(5, 2, [](int x, int y) { return Rgb3(50 + 50 * (x % 3), y ? 20 : 10, 77); });
    LayerRecord& layer = doc->layers[0];
    doc->selection.shown = true;  // the automatic stretch ignores the selection
    doc->selection.width = 5;
    doc->selection.height = 2;
    doc->selection.bytes.assign(10, 0);
    AlphaAt(layer, 4, 1) = 0;  // but not the opacity
    RecordStep(*doc, label::kInitialState, kStepPixels);
    ASSERT_TRUE(table.Run(*doc, kCmdAutoColour, {}).ok);
    EXPECT_EQ(PixelAt(layer, 0, 0), Rgb3(0, 0, 77));
    EXPECT_EQ(PixelAt(layer, 1, 1), Rgb3(127, 255, 77));
    EXPECT_EQ(PixelAt(layer, 2, 0), Rgb3(255, 0, 77));
    EXPECT_EQ(PixelAt(layer, 4, 1), Rgb3(100, 20, 77));
    EXPECT_EQ(LastLabel(*doc), "자동 색상 조정");
    EXPECT_EQ(bench.host.messages.back(), "자동 색상 조정 완료");

    // 100 pixels: one pixel at each end is cut off.
    auto cut = bench.Open(10, 10, [](int x, int y) {
        const int i = y * 10 + x;
        const int r = i == 0 ? 0 : i == 99 ? 255 : (i % 2 ? 100 : 200);
        return Rgb3(r, r, r);
    });
    RecordStep(*cut, label::kInitialState, kStepPixels);
    ASSERT_TRUE(table.Run(*cut, kCmdAutoColour, {}).ok);
    EXPECT_EQ(PixelAt(cut->layers[0], 0, 0), 0u);
    EXPECT_EQ(PixelAt(cut->layers[0], 1, 0), 0u);  // 100
    EXPECT_EQ(PixelAt(cut->layers[0], 2, 0), 0xFFFFFFu);  // 200
    EXPECT_EQ(PixelAt(cut->layers[0], 9, 9), 0xFFFFFFu);

    // A flat picture changes nothing, yet the step and the message follow.
    auto flat = bench.Open(3, 3, [](int, int) { return Rgb3(30, 60, 90); });
    RecordStep(*flat, label::kInitialState, kStepPixels);
    bench.host.messages.clear();
    ASSERT_TRUE(table.Run(*flat, kCmdAutoColour, {}).ok);
    EXPECT_EQ(PixelAt(flat->layers[0], 1, 1), Rgb3(30, 60, 90));
    EXPECT_EQ(LastLabel(*flat), "자동 색상 조정");
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{"자동 색상 조정 완료"});
}

TEST(DarkImageCheck, RefusesDarkPicturesAndBrightensTheOthers) {
    Bench bench;
    auto dark = bench.Open(2, 1, [](int x, int) { return x ? Rgb3(230, 230, 230) : Rgb3(10, 20, 33); });
    const Status refused = DarkImageCheck(*dark, dark->layers[0]);  // (21 + 230) / 2
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, "Too Dark Image. (Current Gray 125)");
    EXPECT_EQ(PixelAt(dark->layers[0], 0, 0), Rgb3(10, 20, 33));

    // Mean (21 + 254) / 2 = 137: brightness 113, contrast 128 (q = 383 / 255).
    auto light = bench.Open(2, 1, [](int x, int) { return x ? Rgb3(254, 255, 255) : Rgb3(10, 20, 33); });
    ASSERT_TRUE(DarkImageCheck(*light, light->layers[0]).ok);
    const LevelTable t = BrightnessContrastTable(113, 128);
    EXPECT_EQ(PixelAt(light->layers[0], 0, 0), Rgb3(t[10], t[20], t[33]));
    EXPECT_EQ(int(t[10]), 63);  // 113 - 118 x 1.50196 + 128 = 63.77
}
