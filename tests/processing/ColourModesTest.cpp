// Colour modes: grey over every layer, the depth changes with their palettes, a
// stopped conversion, and the transparency and alpha commands, each undone.
#include <gtest/gtest.h>

#include <memory>

#include "AlphaCommands.h"
#include "ColourDepth.h"
#include "CommandMap.h"
#include "Greyscale.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "ProcessingOperations.h"
#include "Quantize.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

struct Modes {
    Bench bench;
    OperationTable table;
    Modes() { AddProcessingOperations(table); }
    Status Run(COrinDoc& doc, int id) { return table.Find(id)->run(doc, {}); }
    std::string LastLabel(const COrinDoc& doc) {
        return Utf16ToUtf8(doc.history.entries[size_t(doc.history.position)].label);
    }
};

struct StoppingHost : SilentHost {
    int asked = 0;
    int stopAt = 2;
    bool Cancelled() override { return ++asked >= stopAt; }
};

uint32_t Grey(uint32_t rgb) {
    const uint32_t g = (((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF)) / 3;
    return g << 16 | g << 8 | g;
}

// The colour of a layer pixel at any depth, 0xRRGGBB.
uint32_t ColourAt(const COrinDoc& doc, const LayerRecord& r, int x, int y) {
    if (doc.canvas.bpp == 24) return PixelAt(r, x, y);
    std::vector<uint8_t> indices(size_t(r.width));
    UnpackIndexRow(r.pixels.data() + size_t(y) * size_t(r.stride), r.width, doc.canvas.bpp, indices.data());
    return doc.palette[indices[size_t(x)]].Value() & 0xFFFFFF;
}

}  // namespace

TEST(ColourModes, GreyTurnsEveryLayerGreyInsideTheSelectionAndUndoes) {
    Modes m;
    auto doc = OpenRich(m.bench);
    const DocState before = Capture(*doc);
    SetPixel(doc->layers[0], 0, 0, 0x0A1421);  // (10, 20, 33)
    RecordStep(*doc, "붓 그리기", kStepPixels, 0);
    const DocState painted = Capture(*doc);
    std::vector<LayerRecord> old(doc->layers.slots.begin(), doc->layers.slots.begin() + 4);

    ASSERT_TRUE(m.Run(*doc, kCmdGreyscale).ok);
    EXPECT_EQ(m.bench.host.messages.back(), msg::kGreyDone);
    EXPECT_EQ(m.LastLabel(*doc), "그레이스케일 변환");
    EXPECT_EQ(PixelAt(doc->layers[0], 0, 0), 0x151515u);  // 21
    for (int s = 0; s < 4; ++s)
        for (int y = 0; y < doc->layers[s].height; ++y)
            for (int x = 0; x < doc->layers[s].width; ++x)
                ASSERT_EQ(PixelAt(doc->layers[s], x, y), Grey(PixelAt(old[size_t(s)], x, y))) << s << " " << x << "," << y;
    EXPECT_EQ(doc->layers.current, 3);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(painted, Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(before, Capture(*doc));

    // A selection of canvas columns 0..1 on every layer: layer 2 starts at canvas column
    // -2, so its columns 2..3 are the selected ones.
    SelectionMask& mask = doc->selection;
    const LayerRecord& top = doc->layers[3];
    mask.bytes.assign(size_t(top.width) * size_t(top.height), 0);
    for (int y = 0; y < top.height; ++y) mask.bytes[size_t(y) * size_t(top.width)] = mask.bytes[size_t(y) * size_t(top.width) + 1] = 1;
    mask.width = top.width;
    mask.height = top.height;
    mask.x = top.x;
    mask.y = top.y;
    mask.shown = mask.built = true;
    ASSERT_TRUE(m.Run(*doc, kCmdGreyscale).ok);
    const LayerRecord& tree = doc->layers[2];
    EXPECT_EQ(PixelAt(tree, 2, 1), Grey(PixelAt(old[2], 2, 1)));
    EXPECT_EQ(PixelAt(tree, 4, 1), PixelAt(old[2], 4, 1));
    EXPECT_EQ(PixelAt(doc->layers[0], 2, 0), PixelAt(old[0], 2, 0));
    EXPECT_EQ(doc->selection.width, top.width);  // the user's selection stays
}

TEST(ColourModes, DepthChangesKeepTheColoursAndUndo) {
    Modes m;
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xC8C8C8};
    auto doc = m.bench.Open(5, 2, [&](int x, int) { return colours[x]; });
    const DocState start = Capture(*doc);

    ASSERT_TRUE(m.Run(*doc, kCmd8BitColour).ok);  // five colours: the palette holds them exactly
    EXPECT_EQ(doc->canvas.bpp, 8);
    EXPECT_EQ(doc->palette.size(), 256u);
    EXPECT_EQ(doc->reductionDepth, 8);
    EXPECT_EQ(doc->workspace.currentCommand, -1);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(ColourAt(*doc, doc->layers[0], x, 1), colours[x]);
    const int position = doc->history.position;
    ASSERT_TRUE(m.Run(*doc, kCmd8BitColour).ok);  // already 8 bits: nothing happens
    EXPECT_EQ(doc->history.position, position);

    ASSERT_TRUE(m.Run(*doc, kCmdRgbColour).ok);
    EXPECT_EQ(m.LastLabel(*doc), "RGB 컬러영상으로 변환");
    EXPECT_EQ(doc->canvas.bpp, 24);
    EXPECT_TRUE(doc->palette.empty());
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(doc->layers[0], x, 0), colours[x]);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(doc->canvas.bpp, 8);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(start, Capture(*doc));

    // The standard 16 colours: (200, 10, 10) is nearer to red (3225) than to maroon (5384).
    SetPixel(doc->layers[0], 4, 0, 0xC80A0A);
    RecordStep(*doc, "붓 그리기", kStepPixels);
    ASSERT_TRUE(m.Run(*doc, kCmd4BitStandard).ok);
    EXPECT_EQ(doc->canvas.bpp, 4);
    EXPECT_EQ(doc->palette.size(), 16u);
    EXPECT_FALSE(doc->reductionOptimal);
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 4, 0), 0xFF0000u);
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 3, 0), 0x000000u);  // (16, 32, 48): black
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(m.Run(*doc, kCmd4BitOptimal).ok);  // six colours fit 16 entries
    EXPECT_TRUE(doc->reductionOptimal);
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 4, 0), 0xC80A0Au);
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 3, 1), 0x102030u);
    ASSERT_TRUE(m.Run(*doc, kCmdGreyscale).ok);  // the palette itself turns grey
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 4, 0), 0x494949u);  // (200 + 10 + 10) / 3 = 73
    EXPECT_EQ(ColourAt(*doc, doc->layers[0], 0, 1), 0x555555u);
}

TEST(ColourModes, AStoppedConversionLeavesEveryLayer) {
    Modes m;
    auto doc = OpenRich(m.bench);
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    for (int stopAt : {1, 3}) {  // in the first layer; in a later one
        StoppingHost host;
        host.stopAt = stopAt;
        doc->workspace.host = &host;
        for (int id : {kCmd8BitColour, kCmdGreyscale}) {
            host.asked = 0;
            const Status s = m.Run(*doc, id);
            EXPECT_FALSE(s.ok) << id;
            EXPECT_TRUE(s.message.empty()) << s.message;
            EXPECT_SAME_STATE(before, Capture(*doc));
            EXPECT_EQ(doc->history.position, position);
        }
        doc->workspace.host = &m.bench.host;
    }
}

TEST(ColourModes, ALayerConvertedFromTheStepsCopyMatchesOneConvertedAloneAndComesBack) {
    struct Case {
        int from, to;
        bool standard;
    };
    for (const Case c : {Case{24, 8, false}, Case{24, 4, true}, Case{8, 4, false}, Case{8, 24, false}}) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        Modes m;
        auto alone = OpenRich(m.bench), whole = OpenRich(m.bench);
        if (c.from == 8) {
            for (COrinDoc* d : {alone.get(), whole.get()}) ASSERT_TRUE(m.Run(*d, kCmd8BitColour).ok);
        }
        const DocState start = Capture(*whole);
        const std::vector<RgbQuad> fromPalette = alone->palette;
        std::vector<RgbQuad> palette;
        if (c.standard) palette.assign(StandardPalette16().begin(), StandardPalette16().end());
        else if (c.to < 24) palette = DocumentOptimalPalette(*alone, 1 << c.to);
        std::vector<RgbQuad> entries = palette;
        std::unique_ptr<PaletteMapper> mapper;
        if (c.to < 24) {
            entries.resize(size_t(1) << c.to);
            mapper = std::make_unique<PaletteMapper>(entries.data(), int(entries.size()));
        }
        // Slot 2: odd width (padded rows), off the canvas, partly transparent.
        const int slot = 2;
        ASSERT_TRUE(ConvertLayerDepth(*alone, alone->layers[slot], c.from, fromPalette, c.to, mapper.get()).ok);
        const LayerRecord& want = alone->layers[slot];
        EXPECT_EQ(want.stride, RowStride(want.width, c.to));

        // The command over every layer reads each layer from its step's copy.
        ASSERT_TRUE(ConvertDocumentDepth(*whole, c.to, palette, "변환").ok);
        const LayerRecord& got = whole->layers[slot];
        EXPECT_EQ(got.pixels, want.pixels);
        EXPECT_EQ(got.stride, want.stride);
        EXPECT_EQ(got.pixelSize, want.pixelSize);
        EXPECT_EQ(got.alpha, want.alpha);
        EXPECT_EQ(whole->history.untouchedSlot, -1);
        ASSERT_TRUE(Undo(*whole));
        EXPECT_SAME_STATE(start, Capture(*whole));

        // Stopped under the step's copy (whose buffer it had let go): the layer itself is
        // put back before the step is abandoned.
        StoppingHost host;
        host.stopAt = 1;
        whole->workspace.host = &host;
        const LayerRecord before = whole->layers[slot];
        BeginAllLayerChange(*whole);
        whole->history.untouchedSlot = slot;
        const Status s = ConvertLayerDepth(*whole, whole->layers[slot], c.from, fromPalette, c.to, mapper.get());
        EXPECT_FALSE(s.ok);
        EXPECT_TRUE(s.message.empty()) << s.message;
        EXPECT_EQ(whole->layers[slot].pixels, before.pixels);
        EXPECT_EQ(whole->layers[slot].stride, before.stride);
        AbandonAllLayerChange(*whole);
        whole->workspace.host = &m.bench.host;
        EXPECT_SAME_STATE(start, Capture(*whole));
    }
}

TEST(ColourModes, TransparencyAndAlphaCommandsUndo) {
    Modes m;
    auto doc = m.bench.Open(3, 1, [](int x, int) { return x == 1 ? 0x00FF00u : 0xFF0000u; });
    AlphaAt(doc->layers[0], 0, 0) = 40;
    ImageInfo& info = doc->mainImage->Info();
    info.backgroundIndex = 3;
    info.maxOpacity = 100;
    RecordStep(*doc, "붓 그리기", kStepPixels);
    struct Case {
        int id;
        const char* label;
        std::function<bool()> changed;
    } cases[] = {
        {kCmdRemoveTransparency, "Removetransparency", [&] { return info.backgroundIndex == -1; }},
        {kCmdRemoveAlpha, "Removealphachannel",
         [&] { return info.maxOpacity == 255 && AlphaAt(doc->layers[0], 0, 0) == 255; }},
        {kCmdInvertAlpha, "Invetalpha",
         [&] { return AlphaAt(doc->layers[0], 0, 0) == 215 && AlphaAt(doc->layers[0], 1, 0) == 0; }},
        {kCmdToggleAlphaPalette, "Alphapalettetoggle", [&] { return info.alphaPalette; }},
        {kCmdStripAlpha, "Alphastrip", [&] { return (info.backgroundColour.Value() & 0xFFFFFF) == 0xFFFFFFu; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        const DocState before = Capture(*doc);
        EXPECT_FALSE(k.changed());
        ASSERT_TRUE(m.Run(*doc, k.id).ok);
        EXPECT_EQ(m.LastLabel(*doc), k.label);
        EXPECT_TRUE(k.changed());
        ASSERT_TRUE(Undo(*doc));
        EXPECT_FALSE(k.changed());
        EXPECT_SAME_STATE(before, Capture(*doc));
    }

    // Set Transparency waits for a click: on true colour every pixel of the clicked
    // colour turns transparent; on a palette canvas its entry becomes the transparent one.
    ASSERT_TRUE(m.Run(*doc, kCmdSetTransparency).ok);
    EXPECT_TRUE(doc->setTransparency);
    ASSERT_TRUE(PickTransparentColour(*doc, 2, 0).ok);
    EXPECT_EQ(doc->setTransparency, 0);
    EXPECT_EQ(AlphaAt(doc->layers[0], 0, 0), 0);
    EXPECT_EQ(AlphaAt(doc->layers[0], 1, 0), 255);
    EXPECT_EQ(AlphaAt(doc->layers[0], 2, 0), 0);
    ASSERT_TRUE(m.Run(*doc, kCmd8BitColour).ok);
    ASSERT_TRUE(PickTransparentColour(*doc, 1, 0).ok);
    EXPECT_EQ(doc->palette[size_t(info.backgroundIndex)].Value() & 0xFFFFFF, 0x00FF00u);
}
