// Inversion (1413) on every layer kind and canvas depth, with its step, its undo and
// the start from the recorded layer.
#include <gtest/gtest.h>

#include "CommandMap.h"
#include "Invert.h"
#include "Messages.h"
#include "ProcessingOperations.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

Status RunInvert(COrinDoc& doc) {
    OperationTable table;
    AddProcessingOperations(table);
    const Operation* op = table.FindByName("invert");
    EXPECT_EQ(op, table.Find(kCmdInvert));
    return op->run(doc, op->Defaults());
}

TEST(Invert, EveryPixelOfEveryRasterKindIsComplementedAndUndoBringsItBack) {
    for (uint8_t kind : {kLayerRaster, kLayerBackdrop, kLayerFloating, kLayerMeasure}) {
        SCOPED_TRACE(int(kind));
        Bench bench;
        auto doc = bench.Open(5, 3, Gradient);
        LayerRecord& layer = doc->layers[0];
        layer.kind = kind;
        // Transparent pixels and pixels outside a shown selection are inverted too.
        AlphaAt(layer, 1, 1) = 0;
        doc->selection.shown = true;
        doc->selection.bytes.assign(15, 0);
        doc->selection.width = 5;
        doc->selection.height = 3;
        RecordStep(*doc, label::kInitialState, kStepPixels);
        const DocState before = Capture(*doc);

        ASSERT_TRUE(RunInvert(*doc).ok);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(layer, x, y), 0xFFFFFFu - Gradient(x, y)) << x << "," << y;
        EXPECT_EQ(layer.alpha, before.slots[0].alpha);
        EXPECT_EQ(Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label), "반전변환");

        ASSERT_TRUE(Undo(*doc));
        EXPECT_EQ(Difference(Capture(*doc), before), "");
        ASSERT_TRUE(Redo(*doc));
        EXPECT_EQ(PixelAt(layer, 4, 2), 0xFFFFFFu - Gradient(4, 2));
    }
}

TEST(Invert, StartsFromTheRecordedLayer) {
    Bench bench;
    auto doc = bench.Open(4, 2, Gradient);
    SetPixel(doc->layers[0], 0, 0, 0x000000);  // not recorded: a left-over preview
    ASSERT_TRUE(RunInvert(*doc).ok);
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), 0xFFFFFFu - Gradient(0, 0));
}

TEST(Invert, GreyCanvasesComplementTheValuesOtherPalettesTheirEntries) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    LayerRecord& layer = doc->layers[0];
    doc->canvas.bpp = 8;
    doc->canvas.paletteCount = 256;
    doc->palette.resize(256);
    for (int i = 0; i < 256; ++i) doc->palette[size_t(i)] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    layer.stride = 4;
    layer.pixelSize = 8;
    layer.pixels = {0, 1, 200, 9, 255, 128, 77, 9};  // 9: padding
    RefreshCanvasSizes(*doc);
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const std::vector<RgbQuad> grey = doc->palette;
    ASSERT_TRUE(RunInvert(*doc).ok);
    EXPECT_EQ(layer.pixels, (std::vector<uint8_t>{255, 254, 55, 9, 0, 127, 178, 9}));
    EXPECT_EQ(doc->palette.size(), grey.size());
    EXPECT_TRUE(std::equal(grey.begin(), grey.end(), doc->palette.begin(),
                           [](RgbQuad a, RgbQuad b) { return a.Value() == b.Value(); }));

    // Another palette: the entries are complemented, the indices stay.
    doc->palette[3] = RgbQuad{10, 20, 30, 7};
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const std::vector<uint8_t> indices = layer.pixels;
    ASSERT_TRUE(RunInvert(*doc).ok);
    EXPECT_EQ(layer.pixels, indices);
    EXPECT_EQ(doc->palette[3].Value(), (RgbQuad{245, 235, 225, 7}.Value()));
    EXPECT_EQ(doc->palette[0].Value(), (RgbQuad{255, 255, 255, 0}.Value()));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(doc->palette[3].Value(), (RgbQuad{10, 20, 30, 7}.Value()));
}

TEST(Invert, ATextLayerIsRefusedAndNothingIsRecorded) {
    Bench bench;
    auto doc = bench.Open(3, 3, Gradient);
    doc->layers[0].kind = kLayerText;
    const int position = doc->history.position;
    const std::vector<uint8_t> pixels = doc->layers[0].pixels;
    EXPECT_EQ(RunInvert(*doc).message, msg::kTextLayer);
    EXPECT_EQ(doc->history.position, position);
    EXPECT_EQ(doc->layers[0].pixels, pixels);
}

}  // namespace
