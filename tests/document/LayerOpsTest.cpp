// Layer operations: the layer limit, deleting with its checks and questions, the
// lowest free slot, merging, flattening, rasterizing, the drop-shadow effect computed
// by hand and drawn by the compositor, swapping places, renaming and the panel rows.
#include <gtest/gtest.h>

#include "ClipboardOps.h"
#include "Compositor.h"
#include "DocTestSupport.h"
#include "LayerOps.h"
#include "Messages.h"

using namespace doctest;

namespace {

TEST(AddLayer, TakesTheLowestFreeSlotAboveTheCurrentLayer) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(AddLayer(*doc).ok);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 1, 2, 3}));
    const LayerRecord& r = doc->layers[3];
    EXPECT_EQ(r.name, U("레이어 3"));
    EXPECT_EQ(r.alpha, std::vector<uint8_t>(12, 0));  // fully transparent
    EXPECT_EQ(r.pixels, std::vector<uint8_t>(36, 255));  // stride 12 x 3 rows
    EXPECT_EQ(r.visible, 1);
    EXPECT_EQ(r.kind, kLayerRaster);
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[3].label), "레이어추가");
    EXPECT_EQ(doc->history.entries[3].code, kStepAdd);
    EXPECT_EQ(doc->history.entries[3].slot, 3);
    // Delete slot 1; the next layer takes slot 1 again, above the current layer (2).
    SelectLayer(*doc, 1);
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    EXPECT_EQ(doc->layers.current, 2);
    ASSERT_TRUE(AddLayer(*doc).ok);
    EXPECT_EQ(doc->layers.current, 1);
    EXPECT_EQ(doc->layers[1].name, U("레이어 1"));
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 2, 1, 3}));
}

TEST(AddLayer, TheTwentySixthIsRefusedAlsoAfterAFlatten) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    for (int i = 1; i < kMaxLayers; ++i) ASSERT_TRUE(AddLayer(*doc).ok) << i;
    const DocState full = Capture(*doc);
    const int position = doc->history.position;
    Status s = AddLayer(*doc);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kTooManyLayers);
    EXPECT_SAME_STATE(full, Capture(*doc));
    EXPECT_EQ(doc->history.position, position);
    // Flattening leaves one layer in the stack, but every slot stays taken.
    ASSERT_TRUE(FlattenLayers(*doc).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 1u);
    EXPECT_EQ(doc->layers.Count(), 25);
    s = AddLayer(*doc);
    EXPECT_EQ(s.message, msg::kTooManyLayers);
}

TEST(DeleteLayer, TheOnlyLayerIsRefusedAlsoWhenAFlattenLeftOthersInUse) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    const DocState one = Capture(*doc);
    Status s = DeleteLayer(*doc);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kOnlyOneLayer);
    EXPECT_SAME_STATE(one, Capture(*doc));
    EXPECT_TRUE(bench.host.questions.empty());  // refused before the backdrop question
    ASSERT_TRUE(AddLayer(*doc).ok);
    ASSERT_TRUE(AddLayer(*doc).ok);
    ASSERT_TRUE(FlattenLayers(*doc).ok);
    s = DeleteLayer(*doc);
    EXPECT_EQ(s.message, msg::kOnlyOneLayer);
    EXPECT_EQ(doc->layers.Chain(), std::vector<int>{0});
}

TEST(DeleteLayer, BackdropAsksAndNoChangesNothing) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    SelectLayer(*doc, 0);
    const DocState before = Capture(*doc);
    bench.host.answer = false;
    EXPECT_FALSE(DeleteLayer(*doc).ok);
    ASSERT_EQ(bench.host.questions, std::vector<std::string>{"배경영상 레이어를 삭제합니다"});
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, 1);
    bench.host.answer = true;
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    EXPECT_EQ(doc->layers.bottom, 1);
    EXPECT_EQ(doc->layers[1].below, -1);
    EXPECT_EQ(doc->layers.current, 1);
    EXPECT_EQ(doc->history.entries[2].code, kStepDelete);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[2].label), "레이어삭제");
    EXPECT_TRUE(doc->layers[0].pixels.empty());  // it lives in its step file now
}

TEST(DeleteLayer, MeasurementLayerIsRefused) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    doc->layers[1].kind = kLayerMeasure;
    const DocState before = Capture(*doc);
    const Status s = DeleteLayer(*doc);
    EXPECT_EQ(s.message, msg::kMeasureLayerDelete);
    EXPECT_SAME_STATE(before, Capture(*doc));
    // Without the checks (a merge deletes this way) it goes.
    EXPECT_TRUE(DeleteLayer(*doc, 1, false, false).ok);
    EXPECT_EQ(doc->layers.Chain(), std::vector<int>{0});
}

TEST(DeleteLayer, NeighboursAreJoinedAndTheUpperOneBecomesCurrent) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 1);
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(doc->layers[2].below, 0);
    EXPECT_EQ(doc->layers.current, 2);
    EXPECT_EQ(doc->layers[2].name, U("레이어 2"));  // the new current layer is renamed
    // The top layer: the one below becomes current.
    ASSERT_TRUE(DeleteLayer(*doc, 3).ok);
    EXPECT_EQ(doc->layers.current, 2);
    EXPECT_EQ(doc->layers[2].above, -1);
}

TEST(MergeLayers, TopWithAboveAndBottomWithBelowDoNothing) {
    Bench bench;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    EXPECT_TRUE(MergeWithLayerAbove(*doc).ok);  // slot 3 is the top
    SelectLayer(*doc, 0);
    EXPECT_TRUE(MergeWithLayerBelow(*doc).ok);
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, 6);
}

TEST(MergeLayers, ThePairBecomesTheirCompositeInTheLowerSlot) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 2);
    ComposeParams p;
    p.width = 6;
    p.height = 4;
    p.startSlot = 1;
    p.layerLimit = 2;
    std::vector<uint32_t> pair;
    ComposeLayers(*doc, p, pair);
    ASSERT_TRUE(MergeWithLayerBelow(*doc).ok);  // slot 1 and slot 2
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(doc->layers.current, 1);
    EXPECT_EQ(doc->layers[2].inUse, 0);
    const LayerRecord& m = doc->layers[1];
    ASSERT_EQ(m.width, 6);
    ASSERT_EQ(m.height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const uint32_t v = pair[size_t(3 - y) * 6 + size_t(x)];
            ASSERT_EQ(PixelAt(m, x, y), v & 0xFFFFFF);
            ASSERT_EQ(AlphaAt(doc->layers[1], x, y), v >> 24);
        }
    EXPECT_EQ(doc->history.entries[7].code, kStepMerge);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[7].label), "레이어병합");
    EXPECT_EQ(doc->history.entries[7].slot, 1);
}

TEST(FlattenLayers, VisibleLayersGoIntoTheBottomAndTheOthersLeaveTheStack) {
    Bench bench;
    auto doc = OpenRich(bench);
    ComposeParams p;
    p.width = 6;
    p.height = 4;
    std::vector<uint32_t> all;
    ComposeLayers(*doc, p, all);
    ASSERT_TRUE(FlattenLayers(*doc).ok);
    EXPECT_EQ(doc->layers.Chain(), std::vector<int>{0});
    EXPECT_EQ(doc->layers.current, 0);
    EXPECT_EQ(doc->layers.Count(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(PixelAt(doc->layers[0], x, y), all[size_t(3 - y) * 6 + size_t(x)] & 0xFFFFFF);
    EXPECT_EQ(doc->history.entries[7].code, kStepFlatten);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[7].label), "떡그림");
}

// A text layer in slot 1 over the backdrop with colour blue 0x11, green 0x22, red 0x33.
LayerRecord& TextLayer(COrinDoc& doc) {
    LayerSlotParams p;
    p.slot = 1;
    p.width = doc.canvas.width + 2;
    p.height = doc.canvas.height;
    p.x = -1;
    p.bpp = doc.canvas.bpp;
    p.paletteCount = doc.canvas.paletteCount;
    p.canvasWidth = doc.canvas.width;
    p.canvasHeight = doc.canvas.height;
    p.kind = kLayerText;
    p.pictureFlag = 1;
    EXPECT_TRUE(CreateLayerInSlot(doc, p));
    LayerRecord& t = doc.layers[1];
    t.inUse = 1;
    t.visible = 1;
    t.below = 0;
    t.above = -1;
    doc.layers[0].above = 1;
    t.colour = 0x00332211;
    t.text = u"hi";
    t.textLength = 2;
    for (size_t i = 0; i < t.alpha.size(); ++i) t.alpha[i] = uint8_t(i * 40);
    SelectLayer(doc, 1);
    return t;
}

TEST(Rasterize, RasterLayerStaysAsItIs) {
    Bench bench;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    EXPECT_TRUE(RasterizeLayer(*doc).ok);
    EXPECT_SAME_STATE(before, Capture(*doc));
}

TEST(Rasterize, TextLayerPaintsItsColourThroughItsAlpha) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    LayerRecord& t = TextLayer(*doc);
    const std::vector<uint8_t> alpha = t.alpha;
    ComposeParams p;
    p.width = 4;
    p.height = 3;
    std::vector<uint32_t> before, after;
    ComposeLayers(*doc, p, before);
    const int position = doc->history.position;
    ASSERT_TRUE(RasterizeLayer(*doc).ok);
    const LayerRecord& r = doc->layers[1];
    EXPECT_EQ(r.kind, kLayerRaster);
    EXPECT_EQ(r.pictureFlag, 1);
    EXPECT_EQ(r.width, 6);
    EXPECT_EQ(r.x, -1);
    EXPECT_EQ(r.stride, 20);
    EXPECT_EQ(r.alpha, alpha);
    EXPECT_EQ(r.textLength, 0);
    EXPECT_TRUE(r.text.empty());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(PixelAt(r, x, y), 0x332211u);  // blue 0x11 first
    ComposeLayers(*doc, p, after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(doc->history.position, position);  // no history step
}

TEST(Rasterize, OnAPaletteCanvasKeepsTheCanvasDepth) {
    // Every layer of an 8-bit canvas has one byte per pixel; the rasterized layer must
    // too, or the canvas would claim 24 bits for layers that have 8.
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    LayerRecord& back = doc->layers[0];
    back.stride = 4;
    back.pixelSize = 12;
    back.pixels.assign(12, 2);
    doc->canvas.bpp = 8;
    doc->canvas.paletteCount = 256;
    doc->palette.assign(256, RgbQuad{});
    doc->palette[2] = RgbQuad::FromValue(0x0000FF);
    doc->palette[7] = RgbQuad::FromValue(0x332211);
    RefreshCanvasSizes(*doc);
    LayerRecord& t = TextLayer(*doc);
    std::fill(t.alpha.begin(), t.alpha.end(), 0);
    t.alpha[5] = 255;  // layer (5, 0) = canvas (4, 0): outside; (1, 0) below:
    t.alpha[1] = 255;  // layer (1, 0) = canvas (0, 0), the bottom-left pixel
    ASSERT_TRUE(RasterizeLayer(*doc).ok);
    EXPECT_EQ(doc->canvas.bpp, 8);
    EXPECT_EQ(doc->canvas.pixelDataSize, 12);
    const LayerRecord& r = doc->layers[1];
    EXPECT_EQ(r.stride, 8);
    for (int y = 0; y < 3; ++y)  // 6 pixels and 2 padding bytes a row: the entry of the colour
        EXPECT_EQ(std::vector<uint8_t>(r.pixels.begin() + 8 * y, r.pixels.begin() + 8 * y + 6), std::vector<uint8_t>(6, 7));
    ComposeParams p;
    p.width = 4;
    p.height = 3;
    std::vector<uint32_t> out;
    ComposeLayers(*doc, p, out);
    EXPECT_EQ(out[0], 0xFF0000FFu);          // top-left: the backdrop's blue
    EXPECT_EQ(out[2 * 4 + 0], 0xFF332211u);  // bottom-left: the rasterized colour
}

// ---- The layer effect ----

// A 5 x 5 layer over the backdrop, empty but for (2, 2) = 255 and (0, 0) = 128.
LayerRecord& ShadowLayer(COrinDoc& doc) {
    EXPECT_TRUE(AddLayer(doc).ok);
    LayerRecord& r = doc.layers[1];
    AlphaAt(r, 2, 2) = 255;
    AlphaAt(r, 0, 0) = 128;
    r.aux[size_t(2 * 5 + 2)] = 77;  // covered pixels keep their auxiliary byte
    return r;
}

std::vector<uint8_t> AuxRows(const LayerRecord& r) { return r.aux; }

TEST(LayerEffect, AuxiliaryPlaneComputedByHand) {
    Bench bench;
    auto doc = bench.Open(5, 5, Gradient);
    LayerRecord& r = ShadowLayer(*doc);
    // s = 0: every empty pixel gets 0.
    r.effectSize = 0;
    std::fill(r.aux.begin(), r.aux.end(), 9);
    r.aux[12] = 77;
    RenderLayerEffect(*doc, 1);
    std::vector<uint8_t> expected(25, 0);
    expected[0] = 9;  // (0, 0) is covered: left alone
    expected[12] = 77;
    EXPECT_EQ(AuxRows(r), expected);

    // s = 1: the window is x - 1 .. x, y - 1 .. y. trunc(sum / 255 / 1.5 x 255):
    // 255 -> 170, 128 -> 85.
    r.effectSize = 1;
    RenderLayerEffect(*doc, 1);
    expected.assign(25, 0);
    expected[0] = 9;
    expected[12] = 77;
    expected[0 * 5 + 1] = expected[1 * 5 + 0] = expected[1 * 5 + 1] = 85;
    expected[2 * 5 + 3] = expected[3 * 5 + 2] = expected[3 * 5 + 3] = 170;
    EXPECT_EQ(AuxRows(r), expected);

    // s = 2: the window is x - 2 .. x + 1; divided by 6: 255 -> 42, 128 -> 21, both -> 63.
    r.effectSize = 2;
    RenderLayerEffect(*doc, 1);
    const std::vector<uint8_t> s2 = {
        9,  21, 21, 0,  0,   // y = 0
        21, 63, 63, 42, 42,  // y = 1
        21, 63, 77, 42, 42,  // y = 2
        0,  42, 42, 42, 42,  // y = 3
        0,  42, 42, 42, 42,  // y = 4
    };
    EXPECT_EQ(AuxRows(r), s2);

    // Four full neighbours with s = 1: 2 x 765 / 3 = 510, clamped to 255.
    std::fill(r.alpha.begin(), r.alpha.end(), 255);
    AlphaAt(r, 4, 4) = 0;
    r.effectSize = 1;
    RenderLayerEffect(*doc, 1);
    EXPECT_EQ(r.aux[24], 255);
}

TEST(LayerEffect, ApplyRecordsTheStepAndTheCompositorDrawsTheShadow) {
    Bench bench;
    auto doc = bench.Open(5, 5, [](int, int) { return 0xFFFFFFu; });
    ShadowLayer(*doc);
    ASSERT_TRUE(ApplyLayerEffect(*doc, 1, 0x0000FF).ok);  // red, red in the low byte
    const LayerRecord& r = doc->layers[1];
    EXPECT_EQ(r.effectOn, 1);
    EXPECT_EQ(r.effectSize, 1);
    EXPECT_EQ(r.extra[3], 3);  // record byte 221
    EXPECT_EQ(doc->history.entries[doc->history.position].code, kStepPixels);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[doc->history.position].label), "레이어효과(그림자)");
    EXPECT_EQ(r.aux[size_t(2 * 5 + 3)], 170);  // rendered before the step was written
    ComposeParams p;
    p.width = 5;
    p.height = 5;
    std::vector<uint32_t> out;
    ComposeLayers(*doc, p, out);
    // Layer pixel (3, 2) is view row 2: red shadow at 170/255 over white:
    // red (170 x 255 + 85 x 255) / 255 = 255, green and blue 85 x 255 / 255 = 85.
    EXPECT_EQ(out[size_t(2 * 5 + 3)], 0xFFFF5555u);
    // Where the auxiliary plane is 0 the backdrop shows unchanged.
    EXPECT_EQ(out[size_t(0 * 5 + 4)], 0xFFFFFFFFu);
    // Removing the effect stops drawing it.
    RemoveLayerEffect(*doc);
    ComposeLayers(*doc, p, out);
    EXPECT_EQ(out[size_t(2 * 5 + 3)], 0xFFFFFFFFu);
}

TEST(LayerEffect, TextLayerIsRefused) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    TextLayer(*doc);
    const Status s = ApplyLayerEffect(*doc, 2, 0);
    EXPECT_EQ(s.message, msg::kTextLayer);
    EXPECT_EQ(doc->layers[1].effectOn, 0);
}

// ---- Stack order, names, panel ----

TEST(SwapLayers, NeighboursAndNonNeighboursWithTheBottomFollowing) {
    Bench bench;
    auto doc = OpenRich(bench);
    ASSERT_TRUE(SwapLayers(*doc, 2, 3).ok);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 1, 3, 2}));
    EXPECT_EQ(doc->layers[3].below, 1);
    EXPECT_EQ(doc->layers[2].above, -1);
    EXPECT_EQ(doc->history.entries[7].code, kStepMove);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[7].label), "레이어 위치 이동");
    ASSERT_TRUE(SwapLayers(*doc, 0, 3).ok);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{3, 1, 0, 2}));
    EXPECT_EQ(doc->layers.bottom, 3);
    EXPECT_EQ(doc->layers[3].below, -1);
    EXPECT_EQ(doc->history.position, 8);
    // The same slot twice, or a slot outside the stack: nothing.
    EXPECT_TRUE(SwapLayers(*doc, 1, 1).ok);
    EXPECT_TRUE(SwapLayers(*doc, 1, 9).ok);
    EXPECT_EQ(doc->history.position, 8);
}

TEST(RenameLayer, KeepsFifteenCharactersAndRecordsNothing) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(RenameLayer(*doc, u"abcdefghijklmnopq").ok);
    EXPECT_EQ(doc->layers[0].name, u"abcdefghijklmno");
    EXPECT_EQ(doc->history.position, 0);
}

TEST(LayerPanel, RowsInStackOrderAndVisibilityWithoutAStep) {
    Bench bench;
    auto doc = OpenRich(bench);
    SetLayerVisible(*doc, 1, false);
    const std::vector<LayerRow> rows = LayerRows(*doc);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].slot, 0);
    EXPECT_EQ(rows[1].visible, false);
    EXPECT_EQ(rows[3].name, u"Sky");
    EXPECT_TRUE(rows[3].current);
    EXPECT_FALSE(rows[2].current);
    EXPECT_EQ(doc->history.position, 6);
}

TEST(DuplicateLayer, PaletteCanvasIsRefused) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    doc->canvas.paletteCount = 16;
    doc->palette.assign(16, RgbQuad{});
    EXPECT_EQ(DuplicateLayer(*doc).message, msg::kRgbOnly);
    EXPECT_EQ(doc->layers.Count(), 1);
}

}  // namespace
