// The whole-picture transforms (flips, turns, resizing, canvas size) and the mirror:
// pixel rules computed by hand on small pictures, layers of other sizes and places,
// palette canvases, text layers, refusals, stops, and undo and redo of every step.
#include <gtest/gtest.h>

#include <cmath>

#include "CanvasSize.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "Compositor.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "ProcessingOperations.h"
#include "Resample.h"
#include "Rotate.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

Status RunOp(COrinDoc& doc, const char* key, std::vector<int> values = {}, const TextRedraw& redraw = {}) {
    OperationTable table;
    AddProcessingOperations(table, redraw);
    const Operation* op = table.FindByName(key);
    EXPECT_NE(op, nullptr) << key;
    return op->run(doc, ClampedValues(*op, std::move(values)));
}

std::string LastLabel(const COrinDoc& doc) {
    return Utf16ToUtf8(doc.history.entries[size_t(doc.history.position)].label);
}


uint8_t Grey(const LayerRecord& r, int x, int y) { return uint8_t(PixelAt(r, x, y)); }
uint32_t G(int v) { return uint32_t(v) * 0x010101u; }

// A host that stops the first operation that asks.
struct StoppingHost : SilentHost {
    bool Cancelled() override { return true; }
};

TEST(Flip, TheCompositeTurnsOverWithMovedAndLargerLayersAndTwiceRestoresAll) {
    for (const char* key : {"flip-horizontal", "flip-vertical"}) {
        SCOPED_TRACE(key);
        Bench bench;
        auto doc = OpenRich(bench);
        doc->layers[3].visible = 1;  // every layer shows
        const DocState before = Capture(*doc);
        const std::vector<uint32_t> was = Composite(*doc);
        const int W = doc->canvas.width, H = doc->canvas.height;
        // Working copies lend their memory to the new layers and are given up, not made
        // again: a restore from them (a preview's Cancel) leaves the flipped layer.
        for (int slot : {0, 2}) SaveToStore(*doc, doc->working, slot);
        ASSERT_TRUE(RunOp(*doc, key).ok);
        for (const LayerStore::Entry& e : doc->working.entries) EXPECT_FALSE(e.valid);
        const std::vector<uint8_t> turned = doc->CurrentLayer()->pixels;
        RestoreWorkingCopy(*doc);
        EXPECT_EQ(doc->CurrentLayer()->pixels, turned);
        EXPECT_EQ(LastLabel(*doc), std::string(key) == "flip-horizontal" ? "수평제비회전" : "수직제비회전");
        EXPECT_EQ(doc->history.entries[size_t(doc->history.position)].code, kStepAllLayers);
        const std::vector<uint32_t> now = Composite(*doc);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int fx = std::string(key) == "flip-horizontal" ? W - 1 - x : x;
                const int fy = std::string(key) == "flip-horizontal" ? y : H - 1 - y;
                ASSERT_EQ(now[size_t(y * W + x)], was[size_t(fy * W + fx)]) << x << "," << y;
            }
        // The 9 x 7 layer at (-2, 1) keeps covering the canvas from the other side.
        EXPECT_EQ(doc->layers[2].x, std::string(key) == "flip-horizontal" ? 6 - (-2) - 9 : -2);
        EXPECT_EQ(doc->layers[2].y, std::string(key) == "flip-horizontal" ? 1 : 7 - 4 - 1);
        const DocState flipped = Capture(*doc);
        // A step painted after the flip undoes to the flipped layers (the current one
        // from the flip's step file), the flip to the start, and both redo.
        SetPixel(*doc->CurrentLayer(), 0, 0, 0x123456);
        RecordStep(*doc, "붓 그리기", kStepPixels);
        const DocState painted = Capture(*doc);
        ASSERT_TRUE(Undo(*doc));
        EXPECT_SAME_STATE(Capture(*doc), flipped);
        ASSERT_TRUE(Undo(*doc));
        EXPECT_SAME_STATE(Capture(*doc), before);
        ASSERT_TRUE(Redo(*doc));
        EXPECT_SAME_STATE(Capture(*doc), flipped);
        ASSERT_TRUE(Redo(*doc));
        EXPECT_SAME_STATE(Capture(*doc), painted);
        ASSERT_TRUE(Undo(*doc));
        ASSERT_TRUE(RunOp(*doc, key).ok);
        EXPECT_EQ(Difference(Capture(*doc), before).find("pixels"), std::string::npos);
        EXPECT_EQ(Capture(*doc).slots[2].alpha, before.slots[2].alpha);
    }
}

TEST(Flip, PaletteCanvasesMoveIndicesOfEveryDepth) {
    // A 3 x 2 layer of indices 0..5: a flip left to right reverses each row's indices.
    for (int bits : {8, 4, 1}) {
        SCOPED_TRACE(bits);
        Bench bench;
        auto doc = bench.Open(3, 2, Gradient);
        LayerRecord& r = doc->layers[0];
        doc->canvas.bpp = bits;
        doc->canvas.paletteCount = 1 << bits;
        doc->palette.assign(size_t(1) << bits, RgbQuad{});
        r.stride = RowStride(3, bits);
        r.pixelSize = r.stride * 2;
        r.pixels.assign(size_t(r.pixelSize), 0);
        const int mask = (1 << bits) - 1;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) CImageBuffer::PutIndex(r.pixels.data(), bits, uint32_t(r.stride), x, y, uint8_t((y * 3 + x) & mask));
        RefreshCanvasSizes(*doc);
        ASSERT_TRUE(RunOp(*doc, "flip-horizontal").ok);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const uint8_t* row = doc->layers[0].pixels.data() + size_t(y) * size_t(r.stride);
                const int index = bits == 8 ? row[x] : bits == 4 ? (x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                                              : (row[x / 8] >> (7 - x % 8)) & 1;
                EXPECT_EQ(index, (y * 3 + 2 - x) & mask) << x << "," << y;
            }
    }
}

TEST(Mirror, ReversesTheCurrentLayerAsEditedWithItsOpacityAndRefusesText) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 1);
    SetPixel(doc->layers[1], 0, 0, 0x123456);  // an unrecorded edit is mirrored too
    const DocState before = Capture(*doc);
    const LayerRecord was = doc->layers[1];
    ASSERT_TRUE(RunOp(*doc, "mirror").ok);
    const LayerRecord& now = doc->layers[1];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(PixelAt(now, x, y), PixelAt(was, 5 - x, y));
            EXPECT_EQ(now.alpha[size_t(y * 6 + x)], was.alpha[size_t(y * 6 + 5 - x)]);
        }
    EXPECT_EQ(PixelAt(now, 5, 0), 0x123456u);
    EXPECT_EQ(LastLabel(*doc), "거울변환");
    EXPECT_EQ(Capture(*doc).slots[0].pixels, before.slots[0].pixels);  // other layers stay
    doc->layers[1].kind = kLayerText;
    EXPECT_EQ(RunOp(*doc, "mirror").message, msg::kTextLayer);
}

TEST(Rotate, QuarterTurnsMovePixelsExactlyAndBackAgain) {
    Bench bench;
    auto doc = bench.Open(5, 3, Gradient);
    AlphaAt(doc->layers[0], 4, 0) = 7;
    RecordStep(*doc, "붓 그리기", kStepPixels);
    const DocState before = Capture(*doc);
    const LayerRecord in = doc->layers[0];
    ASSERT_TRUE(RunOp(*doc, "1491").ok);  // clockwise as seen: out(i, k) = in(W-1-k, i), rows up
    LayerRecord& r = doc->layers[0];
    ASSERT_EQ(std::make_pair(r.width, r.height), std::make_pair(3, 5));
    EXPECT_EQ(std::make_pair(doc->canvas.width, doc->canvas.height), std::make_pair(3, 5));
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < 3; ++i) EXPECT_EQ(PixelAt(r, i, k), PixelAt(in, 4 - k, i));
    EXPECT_EQ(AlphaAt(r, 0, 0), 7);  // the bottom-right pixel turns to the bottom-left
    EXPECT_EQ(LastLabel(*doc), "90 우회전");
    ASSERT_TRUE(RunOp(*doc, "1492").ok);
    EXPECT_EQ(LastLabel(*doc), "90 좌회전");
    const DocState back = Capture(*doc);
    EXPECT_EQ(back.slots[0].pixels, before.slots[0].pixels);
    EXPECT_EQ(back.slots[0].alpha, before.slots[0].alpha);
    EXPECT_EQ(back.canvas, before.canvas);

    ASSERT_TRUE(RunOp(*doc, "1501").ok);  // half turn: out(i, k) = in(W-1-i, H-1-k)
    EXPECT_EQ(std::make_pair(doc->layers[0].width, doc->layers[0].height), std::make_pair(5, 3));
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), PixelAt(in, 4, 2));
    EXPECT_EQ(LastLabel(*doc), "180 우회전");
    ASSERT_TRUE(RunOp(*doc, "1502").ok);
    EXPECT_EQ(Capture(*doc).slots[0].pixels, before.slots[0].pixels);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(Capture(*doc), before);
}

TEST(Rotate, LayersOfOtherSizesAndPlacesAllTakeTheBoxThatHoldsThem) {
    Bench bench;
    auto doc = OpenRich(bench);  // 6 x 4 canvas; slot 2 is 9 x 7 at (-2, 1)
    doc->layers[1].kind = kLayerMeasure;
    const LayerRecord backdrop = doc->layers[0], tree = doc->layers[2];
    ASSERT_TRUE(RunOp(*doc, "rotate-90").ok);
    EXPECT_EQ(std::make_pair(doc->canvas.width, doc->canvas.height), std::make_pair(7, 9));
    for (int slot : doc->layers.Chain()) {
        const LayerRecord& r = doc->layers[slot];
        EXPECT_EQ(std::make_tuple(r.width, r.height, r.x, r.y), std::make_tuple(7, 9, 0, 0)) << slot;
    }
    // By hand: canvas point (x, y) turns to (y, -x); the tree's box spans x' -1..5 and
    // y' -6..2, so canvas (x, y) lands at (y + 1, 6 - x) and tree (x, y) at (y, 8 - x).
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 6), PixelAt(backdrop, 0, 0));
    EXPECT_EQ(PixelAt(doc->layers[0], 4, 1), PixelAt(backdrop, 5, 3));
    EXPECT_EQ(AlphaAt(doc->layers[0], 0, 0), 0);  // outside the old canvas: transparent
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(PixelAt(doc->layers[2], y, 8 - x), PixelAt(tree, x, y));
            EXPECT_EQ(AlphaAt(doc->layers[2], y, 8 - x), tree.alpha[size_t(y * 9 + x)]);
        }
    // The measurement layer takes the size and stays empty.
    EXPECT_EQ(std::count(doc->layers[1].alpha.begin(), doc->layers[1].alpha.end(), 0), 63);
}

TEST(Rotate, FreeAnglesTakeTheTruncatedCornerBoxAndTheNearestPixel) {
    // 5 x 3 by 30 degrees: the corners turn to (0,0), (3,-2), (1,1), (4,0) -> 5 x 4.
    double c = 0, s = 0;
    TurnCosSin(30, c, s);
    const TurnedBox box = TurnCorners(c, s, 0, 0, 5, 3);
    EXPECT_EQ(std::make_tuple(box.minX, box.maxX, box.minY, box.maxY), std::make_tuple(0, 4, -2, 1));
    TurnCosSin(-270, c, s);
    EXPECT_EQ(std::make_pair(c, s), std::make_pair(0.0, -1.0));  // as exact as 90

    Bench bench;
    auto doc = bench.Open(5, 3, Gradient);
    const LayerRecord in = doc->layers[0];
    ASSERT_TRUE(RunOp(*doc, "rotate", {3000}).ok);
    const LayerRecord& r = doc->layers[0];
    ASSERT_EQ(std::make_pair(r.width, r.height), std::make_pair(5, 4));
    // Destination (2, 2) is the turned point (2, 0): back at (1.73, 1.0) -> pixel (2, 1).
    EXPECT_EQ(PixelAt(r, 2, 2), PixelAt(in, 2, 1));
    // Destination (0, 0) is (0, -2): back at (1.0, -1.73) -> outside, white and transparent.
    EXPECT_EQ(PixelAt(r, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(AlphaAt(const_cast<LayerRecord&>(r), 0, 0), 0);
    EXPECT_EQ(LastLabel(*doc), "자유회전");
    ASSERT_TRUE(RunOp(*doc, "rotate", {-3000}).ok);  // both signs
    // No turn at all (0, a full turn either way) leaves the layers and records nothing.
    const int position = doc->history.position;
    const LayerRecord before = doc->layers[0];
    for (int angle : {0, 36000, -36000}) {
        ASSERT_TRUE(RunOp(*doc, "rotate", {angle}).ok);
        EXPECT_EQ(doc->history.position, position) << angle;
        EXPECT_EQ(doc->layers[0].pixels, before.pixels) << angle;
    }
}

TEST(Resize, TheDialogRules) {
    struct Case { int value, present, percent; };
    for (const Case& c : {Case{150, 200, 75}, Case{1, 3, 33}, Case{2, 3, 67}, Case{100, 100, 100}, Case{600, 200, 300}})
        EXPECT_EQ(SizePercent(c.value, c.present), c.percent) << c.value << "/" << c.present;
    EXPECT_EQ(PercentSize(75, 200), 150);
    EXPECT_EQ(PercentSize(1, 10), 1);  // never 0 pixels
    EXPECT_EQ(LockedSide(300, 200, 100), 150);
    EXPECT_EQ(LockedSide(1, 1000, 3), 1);
}

TEST(Resize, BilinearEnlargingKeepsFlatPicturesAndClampsAtTheEdges) {
    // 2 x 1 grey (0, 255) to 4 x 1: u = -0.25, 0.25, 0.75, 1.25 ->
    // 0, (192*0 + 64*255)/256 = 63.75, 191.25, 255 rounded once.
    Bench bench;
    auto doc = bench.Open(2, 1, [](int x, int) { return G(x * 255); });
    AlphaAt(doc->layers[0], 1, 0) = 255;
    AlphaAt(doc->layers[0], 0, 0) = 0;
    ASSERT_TRUE(RunOp(*doc, "resize", {4, 1}).ok);
    const LayerRecord& r = doc->layers[0];
    const int expect[4] = {0, 64, 191, 255};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Grey(r, x, 0), expect[x]) << x;
    EXPECT_EQ(r.alpha, (std::vector<uint8_t>{0, 0, 0, 255}));  // opacity from (trunc(u), trunc(v))
    EXPECT_EQ(LastLabel(*doc), "이미지크기");
    EXPECT_EQ(std::make_pair(bench.workspace.newWidth, bench.workspace.newHeight), std::make_pair(4, 1));

    auto white = bench.Open(3, 2, [](int, int) { return 0xFFFFFFu; });
    ASSERT_TRUE(RunOp(*white, "resize", {7, 5}).ok);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(PixelAt(white->layers[0], x, y), 0xFFFFFFu);
}

TEST(Resize, ReducingAveragesTheCoveredAreaRoundingOnce) {
    // 4 x 2 to 2 x 1: each target averages a 2 x 2 block, halves rounding up.
    Bench bench;
    auto doc = bench.Open(4, 2, [](int x, int y) { return G(10 + x + 2 * y); });
    ASSERT_TRUE(RunOp(*doc, "resize", {2, 1}).ok);
    // (10 + 11 + 12 + 13) / 4 = 11.5 -> 12; (12 + 13 + 14 + 15) / 4 = 13.5 -> 14.
    EXPECT_EQ(Grey(doc->layers[0], 0, 0), 12);
    EXPECT_EQ(Grey(doc->layers[0], 1, 0), 14);
    // 3 x 1 to 2 x 1: boxes of 1.5 pixels: (2*a + b) / 3 and (b + 2*c) / 3.
    auto three = bench.Open(3, 1, [](int x, int) { return G(x == 0 ? 30 : x == 1 ? 60 : 91); });
    ASSERT_TRUE(RunOp(*three, "resize", {2, 1}).ok);
    EXPECT_EQ(Grey(three->layers[0], 0, 0), 40);
    EXPECT_EQ(Grey(three->layers[0], 1, 0), 81);  // 80.67
    // One way larger, the other smaller: the box is averaged too (4 x 1 to 2 x 3).
    auto mixed = bench.Open(4, 1, [](int x, int) { return G(x * 10); });
    ASSERT_TRUE(RunOp(*mixed, "resize", {2, 3}).ok);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(Grey(mixed->layers[0], 1, y), 25);
    const ResampleTaps taps = AreaTaps(2, 3, 1.5f);
    EXPECT_EQ(taps.weight, (std::vector<uint32_t>{2731, 1365, 1365, 2731}));
}

TEST(Resize, LayersScaleWithTheirPlacesTextKeepsItsTextAndUndoRestores) {
    Bench bench;
    auto doc = OpenRich(bench);  // 6 x 4; slot 2 is 9 x 7 at (-2, 1)
    LayerRecord& text = doc->layers[1];
    text.kind = kLayerText;
    text.text = u"글자";
    text.textLength = 2;
    text.style.size = 25;
    text.style.first = 3;
    text.style.second = 1;
    const DocState before = Capture(*doc);
    LayerRecord drawn;
    auto redraw = [&](COrinDoc&, LayerRecord& layer) {
        drawn = layer;
        layer.alpha[0] = 255;
        return Status::Ok();
    };
    ASSERT_TRUE(RunOp(*doc, "resize", {12, 6}, redraw).ok);  // x 2, x 1.5
    EXPECT_EQ(std::make_tuple(doc->layers[2].width, doc->layers[2].height, doc->layers[2].x, doc->layers[2].y),
              std::make_tuple(18, 11, -4, 2));  // 10.5 -> 11, -2 x 2 = -4 (not -3), 1.5 -> 2
    EXPECT_EQ(drawn.text, u"글자");
    EXPECT_EQ(std::make_tuple(drawn.style.size, drawn.style.first, drawn.style.second), std::make_tuple(37, 6, 2));
    EXPECT_EQ(doc->layers[1].alpha[0], 255);
    EXPECT_EQ(doc->history.entries[size_t(doc->history.position)].code, kStepAllLayers);
    const DocState after = Capture(*doc);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(Capture(*doc), before);
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(Capture(*doc), after);
}

TEST(Resize, RefusalsAndStopsLeaveTheDocumentAsItWas) {
    Bench bench;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    char range[96];
    std::snprintf(range, sizeof range, msg::kIntegerRange, 1, kMaxPictureSide);
    EXPECT_EQ(ResizeDocument(*doc, 0, 5, {}).message, range);
    EXPECT_EQ(ResizeDocument(*doc, 50000, 50000, {}).message, msg::kPictureTooLarge);
    EXPECT_EQ(CanvasSizeDocument(*doc, 6, 4 + 1, 9).message.empty(), false);
    EXPECT_TRUE(ResizeDocument(*doc, 6, 4, {}).ok);  // unchanged: nothing happens
    EXPECT_EQ(doc->history.position, position);
    StoppingHost stopping;
    bench.workspace.host = &stopping;
    for (const char* key : {"flip-horizontal", "rotate-90", "resize", "canvas-size"}) {
        const Status s = RunOp(*doc, key, {12, 8, 0});
        EXPECT_TRUE(!s.ok && s.message.empty()) << key;
    }
    EXPECT_SAME_STATE(Capture(*doc), before);
    EXPECT_EQ(doc->history.position, position);
}

TEST(Resize, PaletteCanvasesTakeTheNearestEntryOfTheBlend) {
    Bench bench;
    auto doc = bench.Open(2, 1, Gradient);
    LayerRecord& r = doc->layers[0];
    doc->canvas.bpp = 8;
    doc->canvas.paletteCount = 256;
    doc->palette.resize(256);
    for (int i = 0; i < 256; ++i) doc->palette[size_t(i)] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    r.stride = 4;
    r.pixelSize = 4;
    r.pixels = {0, 255, 0, 0};
    RefreshCanvasSizes(*doc);
    ASSERT_TRUE(RunOp(*doc, "resize", {4, 1}).ok);
    EXPECT_EQ(std::vector<uint8_t>(doc->layers[0].pixels.begin(), doc->layers[0].pixels.begin() + 4),
              (std::vector<uint8_t>{0, 64, 191, 255}));
}

TEST(CanvasSize, EveryAnchorPlacesThePictureAndTextKeepsItsPlace) {
    // 2 x 1 into 5 x 3; rows bottom-up: anchors 0..2 keep the top row (y = 2).
    struct Case { int anchor, x, y; };
    for (const Case& c : {Case{0, 0, 2}, Case{1, 1, 2}, Case{2, 3, 2}, Case{3, 0, 1}, Case{4, 1, 1}, Case{5, 3, 1},
                          Case{6, 0, 0}, Case{7, 1, 0}, Case{8, 3, 0}}) {
        SCOPED_TRACE(c.anchor);
        Bench bench;
        auto doc = bench.Open(2, 1, [](int x, int) { return x ? 0x0000FFu : 0xFF0000u; });
        ASSERT_TRUE(RunOp(*doc, "canvas-size", {5, 3, c.anchor}).ok);
        const LayerRecord& r = doc->layers[0];
        ASSERT_EQ(std::make_pair(r.width, r.height), std::make_pair(5, 3));
        EXPECT_EQ(PixelAt(r, c.x, c.y), 0xFF0000u);
        EXPECT_EQ(PixelAt(r, c.x + 1, c.y), 0x0000FFu);
        EXPECT_EQ(std::count(r.alpha.begin(), r.alpha.end(), 255), 2);  // the rest is new and empty
        EXPECT_EQ(LastLabel(*doc), "캔버스크기조정");
    }
    // Smaller: the layer is cut, keeping the anchored part; a text layer's place
    // (from its top row) follows the picture.
    Bench bench;
    auto doc = OpenRich(bench);
    doc->layers[1].kind = kLayerText;
    doc->layers[1].style.first = 2;
    doc->layers[1].style.second = 1;
    const LayerRecord backdrop = doc->layers[0];
    ASSERT_TRUE(RunOp(*doc, "canvas-size", {4, 6, 4}).ok);  // dx = -1, dy = 1
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 1), PixelAt(backdrop, 1, 0));
    EXPECT_EQ(std::make_pair(doc->layers[1].style.first, doc->layers[1].style.second), std::make_pair(1, 2));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(doc->canvas.width, 6);
}

}  // namespace
