// Copy, cut and paste: the whole layer without a selection, the selected box with its
// coverage, pasting as a new layer or as a floating layer, duplicating layers (text
// layers too), foreign pictures, the refusals and cutting out into a new document.
#include <gtest/gtest.h>

#include "ClipboardOps.h"
#include "DocTestSupport.h"
#include "History.h"
#include "LayerOps.h"
#include "Messages.h"

using namespace doctest;

namespace {

// Pixel colours and alpha of a 24-bit layer, without the row padding.
struct Content {
    std::vector<uint32_t> colours;
    std::vector<uint8_t> alpha;
    bool operator==(const Content&) const = default;
};
Content ContentOf(const LayerRecord& r) {
    Content c;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) c.colours.push_back(PixelAt(r, x, y));
    c.alpha = r.alpha;
    return c;
}

// Selects the layer box x0..x1, y0..y1 (inclusive, layer coordinates) of the current layer.
void SelectBox(COrinDoc& doc, int x0, int y0, int x1, int y1) {
    const LayerRecord& r = *doc.CurrentLayer();
    SelectionMask& m = doc.selection;
    m.width = r.width;
    m.height = r.height;
    m.x = r.x;
    m.y = r.y;
    m.bytes.assign(size_t(r.width) * size_t(r.height), 0);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) m.bytes[size_t(y) * size_t(r.width) + size_t(x)] = 1;
    m.shown = true;
}

TEST(Copy, WithoutSelectionTakesTheWholeLayer) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 2);  // 9 x 7 at (-2, 1)
    ASSERT_TRUE(CopyToClipboard(*doc).ok);
    const std::vector<uint8_t> dib = bench.host.ClipboardDib();
    CImageBuffer picture(kFormatBmp);
    ASSERT_TRUE(picture.FromPackedDib(dib.data(), dib.size()));
    ASSERT_EQ(picture.Width(), 9);
    ASSERT_EQ(picture.Height(), 7);
    const LayerRecord& r = doc->layers[2];
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) ASSERT_EQ(picture.ColourAt(x, y).Value() & 0xFFFFFF, PixelAt(r, x, y));
    EXPECT_EQ(bench.workspace.copied.coverage, r.alpha);
    EXPECT_EQ(doc->history.position, 6);  // copying records nothing
    EXPECT_FALSE(doc->busy);
}

TEST(Paste, MakesANewLayerAboveTheCurrentOneWithTheSamePixels) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 2);
    ASSERT_TRUE(CopyToClipboard(*doc).ok);
    ASSERT_TRUE(PasteFromClipboard(*doc).ok);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{0, 1, 2, 4, 3}));
    EXPECT_EQ(doc->layers.current, 4);
    const LayerRecord& p = doc->layers[4];
    EXPECT_EQ(p.kind, kLayerRaster);
    EXPECT_EQ(p.name, U("레이어 4"));
    EXPECT_EQ(p.x, -2);
    EXPECT_EQ(p.y, 1);
    EXPECT_EQ(ContentOf(p), ContentOf(doc->layers[2]));
    EXPECT_EQ(doc->history.entries[7].code, kStepPaste);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[7].label), "붙이기");
    EXPECT_EQ(doc->history.entries[7].slot, 4);
}

TEST(Paste, DuplicateGivesAnIdenticalLayer) {
    Bench bench;
    auto doc = OpenRich(bench);
    for (int source : {0, 1, 3}) {
        SCOPED_TRACE(source);
        SelectLayer(*doc, source);
        ASSERT_TRUE(DuplicateLayer(*doc).ok);
        const int copy = doc->layers.current;
        ASSERT_NE(copy, source);
        const LayerRecord& a = doc->layers[source];
        const LayerRecord& b = doc->layers[copy];
        EXPECT_EQ(b.below, source);
        EXPECT_EQ(b.kind, a.kind);
        EXPECT_EQ(b.x, a.x);
        EXPECT_EQ(b.y, a.y);
        EXPECT_EQ(b.width, a.width);
        EXPECT_EQ(ContentOf(b), ContentOf(a));
    }
}

TEST(Paste, DuplicateOfATextLayerCarriesItsTextColourAndStyle) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    LayerSlotParams p;
    p.slot = 1;
    p.width = 4;
    p.height = 3;
    p.bpp = 24;
    p.canvasWidth = 4;
    p.canvasHeight = 3;
    p.kind = kLayerText;
    ASSERT_TRUE(CreateLayerInSlot(*doc, p));
    LayerRecord& t = doc->layers[1];
    t.inUse = 1;
    t.visible = 1;
    t.below = 0;
    doc->layers[0].above = 1;
    t.colour = 0x00102030;
    t.text = U("글자");
    t.textLength = 2;
    t.style.size = 48;
    t.style.block[7] = 99;
    for (size_t i = 0; i < t.alpha.size(); ++i) t.alpha[i] = uint8_t(i * 20);
    SelectLayer(*doc, 1);
    ASSERT_TRUE(DuplicateLayer(*doc).ok);
    const LayerRecord& d = doc->layers[2];
    EXPECT_EQ(d.kind, kLayerText);
    EXPECT_EQ(d.text, U("글자"));
    EXPECT_EQ(d.textLength, 2);
    EXPECT_EQ(d.colour, 0x00102030u);
    EXPECT_EQ(d.style.size, 48);
    EXPECT_EQ(d.style.block[7], 99);
    EXPECT_EQ(d.alpha, doc->layers[1].alpha);
    EXPECT_EQ(d.pixelSize, 12);
}

TEST(Paste, WithASelectionMakesOneFloatingLayerLinkedToTheCurrentOne) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 2);
    SelectBox(*doc, 3, 2, 5, 4);  // 3 x 3 of the 9 x 7 layer
    AlphaAt(doc->layers[2], 4, 3) = 0;
    ASSERT_TRUE(CopyToClipboard(*doc).ok);
    EXPECT_EQ(bench.workspace.copied.boxWidth, 3);
    EXPECT_EQ(bench.workspace.copied.coverage.size(), 9u);
    ASSERT_TRUE(PasteFromClipboard(*doc).ok);
    const int f = doc->layers.current;
    const LayerRecord& fl = doc->layers[f];
    EXPECT_EQ(fl.kind, kLayerFloating);
    EXPECT_EQ(fl.link, 2);
    EXPECT_EQ(fl.x, -2);
    EXPECT_EQ(fl.y, 1);
    const LayerRecord& src = doc->layers[2];
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = x >= 3 && x <= 5 && y >= 2 && y <= 4;
            ASSERT_EQ(AlphaAt(doc->layers[f], x, y), inside ? src.alpha[size_t(y) * 9 + size_t(x)] : 0) << x << "," << y;
            if (inside) ASSERT_EQ(PixelAt(fl, x, y), PixelAt(src, x, y));
        }
    EXPECT_EQ(AlphaAt(doc->layers[f], 4, 3), 0);
    EXPECT_EQ(doc->layers.FirstOfKind(kLayerFloating), f);
    // With a floating layer already there, the next paste is a plain layer.
    SelectLayer(*doc, 2);
    ASSERT_TRUE(PasteFromClipboard(*doc).ok);
    EXPECT_EQ(doc->layers[doc->layers.current].kind, kLayerRaster);
    EXPECT_EQ(doc->layers[doc->layers.current].link, -1);
}

TEST(Paste, AForeignPictureGoesToTheTopLeftCorner) {
    Bench bench;
    auto doc = bench.Open(6, 4, Gradient);
    CImageBuffer foreign(2, 3, 24, kFormatBmp);
    testing_support::FillTrueColour(foreign, [](int x, int y) { return uint32_t(0x100000 * (x + 1) + y); });
    bench.host.SetClipboardDib(foreign.ToPackedDib());
    ASSERT_TRUE(PasteFromClipboard(*doc).ok);
    const LayerRecord& p = doc->layers[1];
    EXPECT_EQ(p.width, 6);
    EXPECT_EQ(p.height, 4);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x < 2 && y >= 1;  // the picture's rows are the top three
            ASSERT_EQ(AlphaAt(doc->layers[1], x, y), inside ? 255 : 0) << x << "," << y;
            if (inside) ASSERT_EQ(PixelAt(p, x, y), uint32_t(0x100000 * (x + 1) + (y - 1)));
        }
}

TEST(Paste, NothingOnTheClipboardDoesNothing) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    const DocState before = Capture(*doc);
    EXPECT_TRUE(PasteFromClipboard(*doc).ok);
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, 0);
    EXPECT_FALSE(doc->busy);
}

TEST(Paste, TheTwentySixthLayerIsRefused) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    for (int i = 1; i < kMaxLayers; ++i) ASSERT_TRUE(AddLayer(*doc).ok);
    ASSERT_TRUE(CopyToClipboard(*doc).ok);
    const Status s = PasteFromClipboard(*doc);
    EXPECT_EQ(s.message, msg::kTooManyLayers);
    EXPECT_FALSE(doc->busy);
}

TEST(Copy, MeasurementLayerIsRefused) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    doc->layers[1].kind = kLayerMeasure;
    const Status s = CopyToClipboard(*doc);
    EXPECT_EQ(s.message, msg::kCopyVector);
    EXPECT_TRUE(bench.host.ClipboardDib().empty());
}

TEST(Cut, ClearsTheCopiedPixelsAndRecordsTheStep) {
    Bench bench;
    auto doc = OpenRich(bench);
    SelectLayer(*doc, 1);
    SelectBox(*doc, 1, 1, 2, 2);
    const DocState before = Capture(*doc);
    const Content content = ContentOf(doc->layers[1]);
    ASSERT_TRUE(CutToClipboard(*doc).ok);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            ASSERT_EQ(AlphaAt(doc->layers[1], x, y), inside ? 0 : content.alpha[size_t(y) * 6 + size_t(x)]);
        }
    EXPECT_EQ(doc->history.entries[7].code, kStepPixels);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[7].label), "자르기");
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(before, Capture(*doc));
    // Pasting puts the cut pixels back as a layer.
    ASSERT_TRUE(Redo(*doc));
    ASSERT_TRUE(PasteFromClipboard(*doc).ok);
    const LayerRecord& p = doc->layers[doc->layers.current];
    EXPECT_EQ(AlphaAt(doc->layers[doc->layers.current], 2, 2), content.alpha[2 * 6 + 2]);
    EXPECT_EQ(PixelAt(p, 2, 2), content.colours[2 * 6 + 2]);
}

TEST(CutToNewDocument, NeedsASelection) {
    Bench bench;
    auto doc = OpenRich(bench);
    std::unique_ptr<COrinDoc> created;
    const Status s = CutToNewDocument(*doc, created);
    EXPECT_EQ(s.message, msg::kSelectFirst);
    EXPECT_FALSE(created);
    EXPECT_EQ(doc->history.position, 6);
}

TEST(CutToNewDocument, TheSelectedBoxBecomesANewDocument) {
    Bench bench;
    auto doc = bench.Open(6, 4, Gradient);
    SelectBox(*doc, 1, 0, 3, 1);
    std::unique_ptr<COrinDoc> created;
    ASSERT_TRUE(CutToNewDocument(*doc, created).ok);
    ASSERT_TRUE(created);
    EXPECT_EQ(created->fileName, "이름없음");
    EXPECT_EQ(created->canvas.title, U("이름없음"));
    EXPECT_EQ(created->canvas.width, 3);
    EXPECT_EQ(created->canvas.height, 2);
    EXPECT_EQ(created->layers[0].kind, kLayerBackdrop);
    EXPECT_NE(created->number, doc->number);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(created->layers[0], x, y), Gradient(x + 1, y));
    EXPECT_EQ(AlphaAt(doc->layers[0], 2, 1), 0);  // cut from the source
    EXPECT_EQ(AlphaAt(doc->layers[0], 4, 1), 255);
}

}  // namespace
