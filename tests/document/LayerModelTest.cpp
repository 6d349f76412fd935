// The stored layer record and canvas header byte for byte, CreateLayerInSlot's
// geometry rules, the working copies, opening a picture as the first layer and the
// document numbers.
#include <gtest/gtest.h>

#include "DocTestSupport.h"
#include "Endian.h"
#include "LayerModel.h"
#include "Messages.h"

using namespace doctest;

namespace {

std::u16string Letters(size_t n) {
    std::u16string s;
    for (size_t i = 0; i < n; ++i) s.push_back(char16_t(u'A' + i % 26));
    return s;
}

LayerRecord DistinctRecord() {
    LayerRecord r;
    r.inUse = 1;
    r.pictureFlag = 0x01020304;
    r.name = Letters(100);
    r.kind = kLayerText;
    r.blend = 9;
    r.below = -1;
    r.above = 0x1234;
    r.link = 7;
    r.effectOn = 1;
    r.effectSize = 0xAB;
    for (int i = 0; i < 10; ++i) r.extra[size_t(i)] = uint8_t(0xE0 + i);
    r.colour = 0x11223344;
    r.transparency = 0x80;
    r.visible = 1;
    r.x = -3;
    r.y = 70000;
    r.height = 0x0A0B0C0D;
    r.width = 21;
    r.planeSize = 0x00FF00FF;
    r.pixelSize = 0x12345678;
    r.stride = 64;
    r.textLength = 700;
    r.style.first = -2;
    r.style.second = 0x7FFFFFFF;
    r.style.size = 24;
    for (int i = 0; i < 48; ++i) r.style.block[size_t(i)] = uint8_t(i + 1);
    r.style.tail = -300;
    r.pixels.assign(4, 9);  // buffers are never stored
    r.text = u"abc";
    return r;
}

TEST(LayerRecordLayout, EveryFieldAtItsFixedOffset) {
    const LayerRecord r = DistinctRecord();
    uint8_t b[400];
    std::fill(std::begin(b), std::end(b), 0xCC);
    SerializeLayerRecord(r, b, 400);
    EXPECT_EQ(GetLE32(b + 0), 1u);
    EXPECT_EQ(GetLE32(b + 4), 0x01020304u);
    // A 100-character name is stored as its first 99 characters and a terminator.
    for (int i = 0; i < 99; ++i) ASSERT_EQ(GetLE16(b + 8 + 2 * i), uint16_t(u'A' + i % 26)) << i;
    EXPECT_EQ(GetLE16(b + 8 + 198), 0);
    EXPECT_EQ(b[208], kLayerText);
    EXPECT_EQ(b[209], 9);
    EXPECT_EQ(GetLE16(b + 210), 0xFFFF);  // int16 -1
    EXPECT_EQ(GetLE16(b + 212), 0x1234);
    EXPECT_EQ(GetLE16(b + 214), 7);
    EXPECT_EQ(b[216], 1);
    EXPECT_EQ(b[217], 0xAB);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(b[218 + i], 0xE0 + i);
    EXPECT_EQ(GetLE32(b + 228), 0x11223344u);
    EXPECT_EQ(b[232], 0x80);
    EXPECT_EQ(GetLE32(b + 236), 1u);
    EXPECT_EQ(GetLE32(b + 240), 0xFFFFFFFDu);
    EXPECT_EQ(GetLE32(b + 244), 70000u);
    EXPECT_EQ(GetLE32(b + 248), 0x0A0B0C0Du);
    EXPECT_EQ(GetLE32(b + 252), 21u);
    EXPECT_EQ(GetLE32(b + 256), 0x00FF00FFu);
    EXPECT_EQ(GetLE32(b + 260), 0x12345678u);
    EXPECT_EQ(GetLE32(b + 264), 64u);
    EXPECT_EQ(GetLE32(b + 268), 0u);  // text reference
    EXPECT_EQ(GetLE32(b + 272), 700u);
    EXPECT_EQ(GetLE32(b + 276), 0xFFFFFFFEu);
    EXPECT_EQ(GetLE32(b + 280), 0x7FFFFFFFu);
    EXPECT_EQ(GetLE32(b + 284), 24u);
    for (int i = 0; i < 48; ++i) EXPECT_EQ(b[288 + i], i + 1);
    EXPECT_EQ(GetLE16(b + 336), uint16_t(-300));
    for (int i = 388; i < 400; ++i) EXPECT_EQ(b[i], 0) << "buffer reference byte " << i;
}

TEST(LayerRecordLayout, ShortFormsWriteOnlyTheirBytesAndReadBack) {
    const LayerRecord r = DistinctRecord();
    uint8_t full[400];
    SerializeLayerRecord(r, full, 400);
    for (size_t bytes : {kProjectRecordBytes, kHeadRecordBytes, kOldProjectRecordBytes}) {
        SCOPED_TRACE(bytes);
        uint8_t b[400];
        std::fill(std::begin(b), std::end(b), 0xCC);
        SerializeLayerRecord(r, b, bytes);
        for (size_t i = 0; i < bytes; ++i) ASSERT_EQ(b[i], full[i]) << i;
        for (size_t i = bytes; i < 400; ++i) ASSERT_EQ(b[i], 0xCC) << i;
    }
    EXPECT_EQ(kProjectRecordBytes, 397u);
    EXPECT_EQ(kHeadRecordBytes, 388u);
    EXPECT_EQ(kOldProjectRecordBytes, 293u);

    // Reading the 400 bytes back gives the same stored bytes; the name keeps 99 characters.
    LayerRecord back;
    DeserializeLayerRecord(back, full, 400);
    uint8_t again[400];
    SerializeLayerRecord(back, again, 400);
    EXPECT_TRUE(std::equal(std::begin(full), std::end(full), std::begin(again)));
    EXPECT_EQ(back.name, Letters(99));
    EXPECT_EQ(back.below, -1);
    EXPECT_EQ(back.x, -3);
    EXPECT_EQ(back.style.tail, -300);

    // The 293-byte form stops inside the style block: later fields keep their values.
    LayerRecord old;
    old.style.tail = 55;
    old.style.block[10] = 77;
    DeserializeLayerRecord(old, full, 293);
    EXPECT_EQ(old.textLength, 700);
    EXPECT_EQ(old.style.size, 24);
    EXPECT_EQ(old.style.block[4], 5);  // byte 292, the last one read
    EXPECT_EQ(old.style.block[10], 77);
    EXPECT_EQ(old.style.tail, 55);
}

TEST(CanvasHeaderLayout, EveryFieldAtItsFixedOffset) {
    CanvasHeader h;
    h.title = Letters(120);
    h.height = 300;
    h.width = -5;
    for (int i = 0; i < 8; ++i) h.extra[size_t(i)] = uint8_t(0x90 + i);
    h.format = 3;
    h.paletteCount = 256;
    h.bpp = 8;
    h.pixelDataSize = 0x01020304;
    h.area = 77;
    uint8_t b[256];
    std::fill(std::begin(b), std::end(b), 0xCC);
    SerializeCanvasHeader(h, b);
    for (int i = 0; i < 99; ++i) ASSERT_EQ(GetLE16(b + 2 * i), uint16_t(u'A' + i % 26));
    EXPECT_EQ(GetLE16(b + 198), 0);
    EXPECT_EQ(GetLE32(b + 200), 300u);
    EXPECT_EQ(GetLE32(b + 204), uint32_t(-5));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[208 + i], 0x90 + i);
    EXPECT_EQ(GetLE32(b + 216), 3u);
    EXPECT_EQ(GetLE32(b + 220), 256u);
    EXPECT_EQ(GetLE32(b + 224), 8u);
    EXPECT_EQ(GetLE32(b + 228), 0x01020304u);
    EXPECT_EQ(GetLE32(b + 232), 77u);
    for (int i = 236; i < 256; ++i) EXPECT_EQ(b[i], 0) << i;

    CanvasHeader back;
    DeserializeCanvasHeader(back, b);
    EXPECT_EQ(back.title, Letters(99));
    EXPECT_EQ(back.width, -5);
    EXPECT_EQ(back.extra, h.extra);
    EXPECT_EQ(back.pixelDataSize, 0x01020304);
}

// A document with a 6 x 4 canvas and one layer, made directly through CreateLayerInSlot.
struct SlotFixture : ::testing::Test {
    Bench bench;
    COrinDoc doc{bench.workspace};
    LayerSlotParams Params(int slot, int w, int h) {
        LayerSlotParams p;
        p.slot = slot;
        p.width = w;
        p.height = h;
        p.canvasWidth = 6;
        p.canvasHeight = 4;
        p.bpp = 24;
        p.format = kFormatTiff;
        return p;
    }
};

TEST_F(SlotFixture, SmallerThanTheCanvasBecomesTheCanvasSize) {
    LayerSlotParams p = Params(3, 2, 9);
    p.x = 5;
    p.y = -7;
    p.alphaFill = 17;
    p.kind = kLayerFloating;
    p.link = 1;
    p.pictureFlag = 1;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    const LayerRecord& r = doc.layers[3];
    EXPECT_EQ(r.width, 6);   // max(2, 6)
    EXPECT_EQ(r.height, 9);  // max(9, 4)
    EXPECT_EQ(r.stride, 20);  // ((6 * 24 + 31) / 32) * 4
    EXPECT_EQ(r.pixelSize, 180);
    EXPECT_EQ(r.planeSize, 54);
    EXPECT_EQ(r.x, 5);
    EXPECT_EQ(r.y, -7);
    EXPECT_EQ(r.kind, kLayerFloating);
    EXPECT_EQ(r.link, 1);
    EXPECT_EQ(r.pictureFlag, 1);
    EXPECT_EQ(r.pixels, std::vector<uint8_t>(180, 255));
    EXPECT_EQ(r.alpha, std::vector<uint8_t>(54, 17));
    EXPECT_EQ(r.aux, std::vector<uint8_t>(54, 0));
    EXPECT_EQ(doc.canvas.width, 6);
    EXPECT_EQ(doc.canvas.height, 4);
    EXPECT_EQ(doc.canvas.format, kFormatTiff);
    EXPECT_EQ(doc.canvas.pixelDataSize, 80);  // stride 20 x 4 rows
    EXPECT_EQ(doc.canvas.area, 24);
    // Without an active selection the mask is rebuilt: all 1 over the layer.
    EXPECT_EQ(doc.selection.width, 6);
    EXPECT_EQ(doc.selection.height, 9);
    EXPECT_EQ(doc.selection.x, 5);
    EXPECT_EQ(doc.selection.y, -7);
    EXPECT_EQ(doc.selection.bytes, std::vector<uint8_t>(54, 1));
}

TEST_F(SlotFixture, CentringALargerLayerGivesNegativeOffsets) {
    LayerSlotParams p = Params(0, 11, 9);
    p.centre = true;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.layers[0].x, (6 - 11) / 2);  // -2 (integer division toward zero)
    EXPECT_EQ(doc.layers[0].y, (4 - 9) / 2);   // -2
    EXPECT_EQ(doc.layers[0].x, -2);
    // Canvas -1: the canvas takes the requested size.
    p.canvasWidth = -1;
    p.canvasHeight = 123;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.canvas.width, 11);
    EXPECT_EQ(doc.canvas.height, 9);
    EXPECT_EQ(doc.layers[0].x, 0);
}

TEST_F(SlotFixture, InvalidSlotOrSizeChangesNothing) {
    ASSERT_TRUE(CreateLayerInSlot(doc, Params(2, 6, 4)));
    doc.layers[2].pixels[0] = 1;
    const DocState before = Capture(doc);
    const CanvasHeader canvas = doc.canvas;
    for (auto [slot, w, h] : {std::tuple{-1, 6, 4}, {25, 6, 4}, {2, 0, 4}, {2, 6, 0}, {2, -6, 4}, {2, 6, -1}}) {
        LayerSlotParams p = Params(slot, w, h);
        p.canvasWidth = 50;  // would change the canvas if the call went on
        p.canvasHeight = 50;
        p.bpp = 8;
        p.title = u"new title";
        EXPECT_FALSE(CreateLayerInSlot(doc, p)) << slot << " " << w << " " << h;
    }
    // A size that cannot be held in memory fails as well, without allocating.
    EXPECT_FALSE(CreateLayerInSlot(doc, Params(2, 1 << 30, 1 << 30)));
    EXPECT_SAME_STATE(before, Capture(doc));
    EXPECT_EQ(doc.canvas.title, canvas.title);
    EXPECT_EQ(doc.layers[2].pixels[0], 1);
}

TEST_F(SlotFixture, VectorLayerPixelSizeIsThePlaneSizeAtEveryDepth) {
    for (int bpp : {1, 4, 8, 24}) {
        LayerSlotParams p = Params(4, 7, 5);
        p.bpp = bpp;
        p.kind = kLayerText;
        ASSERT_TRUE(CreateLayerInSlot(doc, p));
        const LayerRecord& r = doc.layers[4];
        EXPECT_EQ(r.stride, 7) << bpp;
        EXPECT_EQ(r.pixelSize, r.planeSize) << bpp;
        EXPECT_EQ(r.pixelSize, 35) << bpp;
        EXPECT_EQ(r.pixels.size(), 35u) << bpp;
        EXPECT_EQ(doc.canvas.bpp, bpp);
    }
}

TEST_F(SlotFixture, TitleAndPaletteModes) {
    LayerSlotParams p = Params(0, 6, 4);
    p.title = Letters(150);
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.canvas.title, Letters(100));  // the first 100 characters are kept in memory
    // Mode 1: a fresh palette of the count; mode 2 keeps it; a count of 0 drops it.
    p.title.clear();
    p.bpp = 8;
    p.paletteCount = 256;
    p.paletteMode = 1;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.canvas.title, Letters(100));
    ASSERT_EQ(doc.palette.size(), 256u);
    doc.palette[5] = RgbQuad{1, 2, 3, 0};
    p.paletteMode = 2;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.palette[5].Value(), 0x030201u);
    EXPECT_EQ(doc.layers[0].stride, 8);  // 6 pixels at 8 bits
    // Mode 0 copies the main image's palette.
    doc.mainImage = std::make_unique<CImageBuffer>(2, 2, 8, kFormatGif);
    doc.mainImage->SetPaletteEntry(5, 0xABCDEF);
    p.paletteMode = 0;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.palette[5].Value() & 0xFFFFFF, 0xABCDEFu);
    p.paletteCount = 0;
    p.bpp = 24;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_TRUE(doc.palette.empty());
}

TEST_F(SlotFixture, AnActiveSelectionKeepsItsMaskUnlessAskedToReset) {
    ASSERT_TRUE(CreateLayerInSlot(doc, Params(0, 6, 4)));
    doc.selection.shown = true;
    doc.selection.bytes.assign(24, 0);
    doc.selection.bytes[3] = 1;
    ASSERT_TRUE(CreateLayerInSlot(doc, Params(1, 8, 8)));
    EXPECT_EQ(doc.selection.bytes.size(), 24u);
    EXPECT_EQ(doc.selection.bytes[3], 1);
    LayerSlotParams p = Params(1, 8, 8);
    p.resetMask = true;
    ASSERT_TRUE(CreateLayerInSlot(doc, p));
    EXPECT_EQ(doc.selection.bytes, std::vector<uint8_t>(64, 1));
}

TEST_F(SlotFixture, WorkingCopyRestoresRecordBuffersAndCanvasButKeepsStackFields) {
    ASSERT_TRUE(CreateLayerInSlot(doc, Params(1, 6, 4)));
    LayerRecord& r = doc.layers[1];
    r.inUse = 1;
    r.visible = 1;
    r.below = -1;
    r.above = 2;
    r.name = u"saved";
    r.pixels[0] = 10;
    r.alpha[0] = 20;
    r.aux[0] = 30;
    SaveToStore(doc, doc.working, 1);
    // Change everything, then restore.
    r.name = u"changed";
    r.pixels[0] = 11;
    r.alpha[0] = 21;
    r.aux[0] = 31;
    r.above = 5;
    r.visible = 0;
    r.transparency = 99;
    r.kind = kLayerFloating;
    doc.canvas.bpp = 8;
    doc.canvas.title = u"live title";
    RestoreFromStore(doc, doc.working, 1);
    EXPECT_EQ(r.name, u"saved");
    EXPECT_EQ(r.pixels[0], 10);
    EXPECT_EQ(r.alpha[0], 20);
    EXPECT_EQ(r.aux[0], 30);
    EXPECT_EQ(r.above, 5);             // links kept
    EXPECT_EQ(r.visible, 0);           // visibility kept
    EXPECT_EQ(r.transparency, 99);     // transparency kept
    EXPECT_EQ(r.kind, kLayerFloating); // kind kept
    EXPECT_EQ(doc.canvas.bpp, 24);     // canvas values come back
    // The store holds its own copy: changing the live layer does not change it.
    r.pixels[0] = 12;
    RestoreFromStore(doc, doc.working, 1);
    EXPECT_EQ(r.pixels[0], 10);
    // Not in use, or slot -1: nothing happens.
    r.inUse = 0;
    r.pixels[0] = 13;
    RestoreFromStore(doc, doc.working, 1);
    EXPECT_EQ(r.pixels[0], 13);
    RestoreFromStore(doc, doc.working, -1);
}

TEST(OpenPicture, BecomesBackdropLayerZeroWithItsRows) {
    Bench bench;
    auto doc = bench.Open(5, 3, Gradient);
    const LayerRecord& r = doc->layers[0];
    EXPECT_EQ(r.name, U("배경영상"));
    EXPECT_EQ(r.kind, kLayerBackdrop);
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(r.visible, 1);
    EXPECT_EQ(r.pictureFlag, 1);
    EXPECT_EQ(r.below, -1);
    EXPECT_EQ(r.above, -1);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 5);
    EXPECT_EQ(r.stride, 16);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(PixelAt(r, x, y), Gradient(x, y)) << x << "," << y;
    EXPECT_EQ(r.alpha, std::vector<uint8_t>(15, 255));
    EXPECT_EQ(r.aux, std::vector<uint8_t>(15, 0));
    EXPECT_EQ(doc->layers.bottom, 0);
    EXPECT_EQ(doc->layers.current, 0);
    EXPECT_EQ(doc->history.position, 0);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[0].label), "Opening....");
    EXPECT_EQ(doc->number, 101);
}

TEST(OpenPicture, PaletteAnd32BitPicturesEnterAs24Bits) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    doc.mainImage = std::make_unique<CImageBuffer>(3, 2, 4, kFormatGif);
    doc.mainImage->SetPaletteEntry(0, 0x112233);
    doc.mainImage->SetPaletteEntry(7, 0xA0B0C0);
    CImageBuffer::PutIndex(doc.mainImage->PixelArea(), 4, doc.mainImage->Stride(), 0, 0, 0);
    CImageBuffer::PutIndex(doc.mainImage->PixelArea(), 4, doc.mainImage->Stride(), 1, 0, 7);
    CImageBuffer::PutIndex(doc.mainImage->PixelArea(), 4, doc.mainImage->Stride(), 2, 1, 7);
    ASSERT_TRUE(OpenPictureInDocument(doc).ok);
    EXPECT_EQ(doc.canvas.bpp, 24);
    EXPECT_EQ(doc.canvas.paletteCount, 0);
    EXPECT_TRUE(doc.palette.empty());
    const LayerRecord& r = doc.layers[0];
    EXPECT_EQ(r.stride, 12);
    EXPECT_EQ(PixelAt(r, 0, 0), 0x112233u);
    EXPECT_EQ(PixelAt(r, 1, 0), 0xA0B0C0u);
    EXPECT_EQ(PixelAt(r, 2, 1), 0xA0B0C0u);

    COrinDoc doc32(bench.workspace);
    doc32.mainImage = std::make_unique<CImageBuffer>(2, 2, 32, kFormatTiff);
    uint8_t* p = doc32.mainImage->Row(1) + 4;
    p[0] = 1, p[1] = 2, p[2] = 3, p[3] = 4;
    ASSERT_TRUE(OpenPictureInDocument(doc32).ok);
    EXPECT_EQ(doc32.canvas.bpp, 24);
    EXPECT_EQ(PixelAt(doc32.layers[0], 1, 1), 0x030201u);
    EXPECT_EQ(doc32.canvas.format, kFormatTiff);
}

TEST(OpenPicture, WithoutPixelsFailsWithTheMessageAndStaysEmpty) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    const Status s = OpenPictureInDocument(doc);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kFileMissing);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(doc.layers.Count(), 0);
}

TEST(DocumentNumbers, RunFrom101AndStopAt999) {
    Workspace ws;
    EXPECT_EQ(ws.NextDocumentNumber(), 101);
    for (int n = 102; n <= 999; ++n) ASSERT_EQ(ws.NextDocumentNumber(), n);
    EXPECT_EQ(ws.NextDocumentNumber(), 999);  // the 1000th document
    EXPECT_EQ(ws.NextDocumentNumber(), 999);
}

TEST(DocumentTitle, FileNameZoomPercentAndText) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    doc.fileName = "a.bmp";
    EXPECT_EQ(doc.SetTitle("레이어 2", 0.25f), "a.bmp 25 % 레이어 2");
    EXPECT_EQ(doc.SetTitle("레이어 1"), "a.bmp 25 % 레이어 1");
}

TEST(LayerStackWalk, StopsAtBadSlotsAndNeverLoops) {
    LayerStack s;
    for (int i = 0; i < 3; ++i) s[i].inUse = 1;
    s.bottom = 2;
    s[2].above = 0;
    s[0].above = 1;
    s[1].above = 40;  // outside 0..24
    EXPECT_EQ(s.Chain(), (std::vector<int>{2, 0, 1}));
    s[1].above = 2;  // a loop
    EXPECT_EQ(s.Chain().size(), 25u);
    s[1].above = -1;
    EXPECT_EQ(s.Top(), 1);
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s.FirstFree(), 3);
    s[0].kind = kLayerFloating;
    EXPECT_EQ(s.FirstOfKind(kLayerFloating), 0);
    EXPECT_EQ(s.FirstOfKind(kLayerMeasure), -1);
}

}  // namespace
