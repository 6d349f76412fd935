// The project file: the bytes of a one-layer file, write and read round trips of
// several layers (hidden, shifted, text), files of versions 15, 16 and 20 built in the
// test, the version and name checks, and truncated and hostile files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ByteStream.h"
#include "Compositor.h"
#include "DocTestSupport.h"
#include "Endian.h"
#include "Messages.h"
#include "OpenSave.h"
#include "ProjectFile.h"

using namespace doctest;

namespace {

std::vector<uint8_t> Written(COrinDoc& doc) {
    MemoryStream out;
    EXPECT_TRUE(WriteProject(doc, out).ok);
    return out.Buffer();
}

Status ReadBytes(COrinDoc& doc, const std::vector<uint8_t>& bytes) {
    MemoryStream in(bytes);
    return ReadProject(doc, in);
}

std::string Ascii(const std::vector<uint8_t>& b, size_t from, size_t n) {
    return std::string(b.begin() + long(from), b.begin() + long(from + n));
}

TEST(ProjectBytes, OneLayerDocumentByteForByte) {
    Bench bench;
    auto doc = bench.Open(5, 3, Gradient);  // stride 16: pixels 48, planes 15
    AlphaAt(doc->layers[0], 4, 2) = 0;      // one empty pixel: preview colour 0
    const std::vector<uint8_t> b = Written(*doc);
    ASSERT_EQ(b.size(), 7u + 256 + 48 + 5 + 397 + 48 + 15 + 15);
    EXPECT_EQ(Ascii(b, 0, 7), "\n31 0 0");
    uint8_t header[256];
    SerializeCanvasHeader(doc->canvas, header);
    EXPECT_TRUE(std::equal(header, header + 256, b.begin() + 7));
    EXPECT_EQ(GetLE32(b.data() + 7 + 228), 48u);
    // Preview: 24-bit rows bottom-up of the composite; the padding byte stays 255.
    const size_t preview = 7 + 256;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = b.data() + preview + size_t(y) * 16 + size_t(x) * 3;
            const uint32_t expected = x == 4 && y == 2 ? 0 : Gradient(x, y);
            ASSERT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16), expected) << x << "," << y;
        }
        EXPECT_EQ(b[preview + size_t(y) * 16 + 15], 255);
    }
    const size_t line = preview + 48;
    EXPECT_EQ(Ascii(b, line, 5), "\n 0 0");
    uint8_t record[397];
    SerializeLayerRecord(doc->layers[0], record, 397);
    EXPECT_TRUE(std::equal(record, record + 397, b.begin() + long(line + 5)));
    const size_t pixels = line + 5 + 397;
    EXPECT_TRUE(std::equal(doc->layers[0].pixels.begin(), doc->layers[0].pixels.end(), b.begin() + long(pixels)));
    EXPECT_EQ(b[pixels + 48], 255);
    EXPECT_EQ(b[pixels + 48 + 14], 0);  // the empty pixel's alpha
    EXPECT_EQ(b.back(), 0);             // auxiliary plane

    // Saving by path writes the same bytes.
    const std::string path = bench.folder.File("one.tsr");
    ASSERT_TRUE(SaveDocument(*doc, path).ok);
    EXPECT_EQ(testing_support::ReadFileBytes(path), b);
}

TEST(ProjectRoundTrip, SeveralLayersComeBackAsTheyWere) {
    Bench bench;
    auto doc = OpenRich(bench);
    doc->layers[2].transparency = 77;
    doc->layers[1].visible = 0;  // two hidden layers now
    const DocState before = Capture(*doc);
    const std::vector<uint8_t> bytes = Written(*doc);
    EXPECT_SAME_STATE(before, Capture(*doc));  // writing changes nothing

    COrinDoc back(bench.workspace);
    ASSERT_TRUE(ReadBytes(back, bytes).ok);
    // The reader clears the picture flag and the link index; the bottom layer is a backdrop.
    doc->layers[0].pictureFlag = 0;
    EXPECT_SAME_STATE(Capture(*doc), Capture(back));
    EXPECT_EQ(back.layers.bottom, 0);
    EXPECT_EQ(back.layers.current, 3);
    EXPECT_EQ(back.layers[0].kind, kLayerBackdrop);
    EXPECT_EQ(back.layers[1].visible, 0);
    EXPECT_EQ(back.layers[3].visible, 0);
    EXPECT_EQ(back.layers[3].name, u"Sky");
    EXPECT_EQ(back.layers[2].x, -2);
    EXPECT_EQ(back.history.position, 0);
    EXPECT_EQ(Utf16ToUtf8(back.history.entries[0].label), "Opening....");
    EXPECT_EQ(back.history.entries[0].slot, 3);
    // Written again, the file is the same but for the cleared picture flag.
    EXPECT_EQ(Written(back), Written(*doc));
}

TEST(ProjectRoundTrip, RasterLayerBecomesABackdropAtTheBottom) {
    Bench bench;
    auto doc = bench.Open(4, 2, Gradient);
    doc->layers[0].kind = kLayerRaster;
    COrinDoc back(bench.workspace);
    ASSERT_TRUE(ReadBytes(back, Written(*doc)).ok);
    EXPECT_EQ(back.layers[0].kind, kLayerBackdrop);
    EXPECT_EQ(back.layers[0].pixels, doc->layers[0].pixels);
}

// Adds a text layer above the current one (slot `slot`, canvas-size).
LayerRecord& AddTextLayer(COrinDoc& doc, int slot, const char* text) {
    LayerSlotParams p;
    p.slot = slot;
    p.width = doc.canvas.width;
    p.height = doc.canvas.height;
    p.bpp = doc.canvas.bpp;
    p.canvasWidth = doc.canvas.width;
    p.canvasHeight = doc.canvas.height;
    p.kind = kLayerText;
    EXPECT_TRUE(CreateLayerInSlot(doc, p));
    LayerRecord& t = doc.layers[slot];
    t.inUse = 1;
    t.visible = 1;
    t.name = u"글";
    const int below = doc.layers.Top();
    t.below = int16_t(below);
    t.above = -1;
    doc.layers[below].above = int16_t(slot);
    t.text = U(text);
    t.textLength = int(t.text.size());
    t.colour = 0x00A1B2C3;
    t.style.first = 3;
    t.style.second = -4;
    t.style.size = 36;
    for (int i = 0; i < 48; ++i) t.style.block[size_t(i)] = uint8_t(100 + i);
    t.style.tail = 700;
    for (size_t i = 0; i < t.alpha.size(); ++i) t.alpha[i] = uint8_t(i * 17);
    return t;
}

TEST(ProjectRoundTrip, TextLayerKeepsTextColourStyleAndAlpha) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    AddTextLayer(*doc, 6, "안녕 abc");
    const DocState before = Capture(*doc);
    const std::vector<uint8_t> bytes = Written(*doc);
    // The text follows the text layer's planes, without a terminator: 6 characters.
    EXPECT_EQ(GetLE16(bytes.data() + bytes.size() - 12), 0xC548);  // 안
    EXPECT_EQ(GetLE16(bytes.data() + bytes.size() - 2), u'c');
    COrinDoc back(bench.workspace);
    ASSERT_TRUE(ReadBytes(back, bytes).ok);
    doc->layers[0].pictureFlag = 0;
    EXPECT_SAME_STATE(Capture(*doc), Capture(back));
    EXPECT_EQ(back.layers[6].text, U("안녕 abc"));
    EXPECT_EQ(back.layers[6].style.size, 36);
    EXPECT_EQ(back.layers[6].colour, 0x00A1B2C3u);
    EXPECT_EQ(back.layers[6].kind, kLayerText);
    EXPECT_EQ(back.layers[6].pixelSize, 12);
    (void)before;
}

// ---- Files of older versions, built here ----

struct FileBuilder {
    std::vector<uint8_t> bytes;
    void Text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
    void Raw(const uint8_t* p, size_t n) { bytes.insert(bytes.end(), p, p + n); }
    void Fill(size_t n, uint8_t v) { bytes.insert(bytes.end(), n, v); }
    void Canvas(int w, int h, int bpp = 24) {
        CanvasHeader c;
        c.title = u"old";
        c.width = w;
        c.height = h;
        c.bpp = bpp;
        c.format = kFormatBmp;
        c.pixelDataSize = int32_t(uint32_t(int64_t(RowStride(w, bpp)) * h));  // may wrap in hostile files
        c.area = int32_t(uint32_t(int64_t(w) * h));
        uint8_t b[256];
        SerializeCanvasHeader(c, b);
        Raw(b, 256);
    }
    void Record(const LayerRecord& r, size_t n) {
        uint8_t b[400];
        SerializeLayerRecord(r, b, 400);
        Raw(b, n);
    }
};

LayerRecord OldRecord(int kind, int below, int above, int w, int h, int bpp) {
    LayerRecord r;
    r.inUse = 1;
    r.visible = 1;
    r.name = u"old layer";
    r.kind = uint8_t(kind);
    r.below = int16_t(below);
    r.above = int16_t(above);
    r.link = 4;
    r.width = w;
    r.height = h;
    r.stride = kind == kLayerText ? w : RowStride(w, bpp);
    r.pixelSize = r.stride * h;
    r.planeSize = w * h;
    r.colour = 0x00123456;
    r.style.size = 24;
    r.style.block[0] = r.style.block[1] = 0x55;
    for (int i = 2; i < 48; ++i) r.style.block[size_t(i)] = uint8_t(i);
    r.style.tail = 9;
    return r;
}

// A raster layer in slot 0 and a text layer "AB" in slot 1 on a 4 x 2 canvas.
std::vector<uint8_t> OldFile(int version) {
    FileBuilder f;
    f.Text("\n" + std::to_string(version) + " 0 1");
    f.Canvas(4, 2);
    if (version == 31) f.Fill(24, 0xEE);
    const size_t recordBytes = version <= 16 ? 293 : 397;
    f.Text(version == 15 ? "\n 0 " : "\n 0 0");
    f.Record(OldRecord(kLayerRaster, -1, 1, 4, 2, 24), recordBytes);
    for (int i = 0; i < 24; ++i) f.Fill(1, uint8_t(i));
    f.Fill(8, 255);
    f.Fill(8, 3);
    f.Text(version == 15 ? "\n 1 " : "\n 1 2");
    LayerRecord t = OldRecord(kLayerText, 0, -1, 4, 2, 24);
    t.textLength = 2;
    f.Record(t, recordBytes);
    f.Fill(8, 0x80);
    for (int i = 0; i < 8; ++i) f.Fill(1, uint8_t(i * 30));
    f.Fill(8, 0);
    if (version != 15) f.Text(std::string("A\0B\0", 4));
    return f.bytes;
}

TEST(ProjectVersions, SixteenLoadsWithTextSizeTen) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    ASSERT_TRUE(ReadBytes(doc, OldFile(16)).ok);
    ASSERT_EQ(doc.layers.Chain(), (std::vector<int>{0, 1}));
    const LayerRecord& t = doc.layers[1];
    EXPECT_EQ(t.kind, kLayerText);
    EXPECT_EQ(t.style.size, 10);
    EXPECT_EQ(t.style.block[0], 0);
    EXPECT_EQ(t.style.block[1], 0);
    EXPECT_EQ(t.style.block[4], 4);   // byte 292: the last one a 293-byte record holds
    EXPECT_EQ(t.style.block[5], 0);   // beyond it: not stored in this version
    EXPECT_EQ(t.style.tail, 0);
    EXPECT_EQ(t.colour, 0x00123456u);
    EXPECT_EQ(t.text, u"AB");
    EXPECT_EQ(t.textLength, 2);
    EXPECT_EQ(t.link, -1);
    EXPECT_EQ(t.alpha[3], 90);
    EXPECT_EQ(doc.layers[0].kind, kLayerBackdrop);
    EXPECT_EQ(doc.layers[0].pixels[23], 23);
    EXPECT_EQ(doc.layers[0].aux[7], 3);
    EXPECT_EQ(doc.layers.current, 1);
    EXPECT_EQ(doc.canvas.title, u"old");
}

TEST(ProjectVersions, FifteenHasNoTextAndTwentyKeepsTheWholeRecord) {
    Bench bench;
    COrinDoc v15(bench.workspace);
    ASSERT_TRUE(ReadBytes(v15, OldFile(15)).ok);
    EXPECT_EQ(v15.layers[1].text, u"");
    EXPECT_EQ(v15.layers[1].textLength, 0);
    EXPECT_EQ(v15.layers[1].style.size, 10);
    EXPECT_EQ(v15.layers[1].alpha[7], 210);

    COrinDoc v20(bench.workspace);
    ASSERT_TRUE(ReadBytes(v20, OldFile(20)).ok);
    EXPECT_EQ(v20.layers[1].text, u"AB");
    EXPECT_EQ(v20.layers[1].style.size, 24);  // kept as read
    EXPECT_EQ(v20.layers[1].style.block[0], 0x55);
    EXPECT_EQ(v20.layers[1].style.tail, 9);

    COrinDoc v31(bench.workspace);
    ASSERT_TRUE(ReadBytes(v31, OldFile(31)).ok);  // the preview is skipped
    EXPECT_EQ(v31.layers[0].pixels[5], 5);
    EXPECT_EQ(v31.layers[1].text, u"AB");
}

TEST(ProjectVersions, UnknownVersionIsRefusedWithItsMessage) {
    for (int version : {14, 17, 21, 30, 32}) {
        Bench bench;
        COrinDoc doc(bench.workspace);
        std::vector<uint8_t> bytes = OldFile(20);
        bytes[1] = uint8_t('0' + version / 10);
        bytes[2] = uint8_t('0' + version % 10);
        const Status s = ReadBytes(doc, bytes);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.message, msg::kProjectVersion) << version;
        EXPECT_EQ(doc.layers.Count(), 0);
    }
}

TEST(ProjectNames, AHundredCharacterNameIsRefused) {
    Bench bench;
    const std::string dir = bench.folder.Path().string() + "/";
    COrinDoc doc(bench.workspace);
    const std::string long100 = std::string(96, 'n') + ".tsr";
    Status s = ReadProjectFile(doc, dir + long100);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kNameTooLong);
    // 99 characters are accepted.
    const std::string name99 = std::string(95, 'n') + ".tsr";
    testing_support::WriteFileBytes(dir + name99, OldFile(20));
    EXPECT_TRUE(ReadProjectFile(doc, dir + name99).ok);
    // Characters are counted, not bytes: 80 Korean characters are 240 bytes.
    std::string korean;
    for (int i = 0; i < 80; ++i) korean += "가";
    testing_support::WriteFileBytes(dir + korean + ".tsr", OldFile(20));
    COrinDoc k(bench.workspace);
    EXPECT_TRUE(ReadProjectFile(k, dir + korean + ".tsr").ok);
    COrinDoc other(bench.workspace);
    s = OpenDocument(other, dir + long100);
    EXPECT_EQ(s.message, msg::kNameTooLong);
    EXPECT_TRUE(other.IsEmpty());
}

// ---- Truncated and hostile files ----

TEST(ProjectHostile, EveryTruncationFailsCleanlyAndLeavesTheDocumentEmpty) {
    Bench bench;
    auto doc = OpenRich(bench);
    const std::vector<uint8_t> bytes = Written(*doc);
    for (size_t n = 0; n < bytes.size(); n += (n < 300 ? 1 : 7)) {
        COrinDoc back(bench.workspace);
        const Status s = ReadBytes(back, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n)));
        ASSERT_FALSE(s.ok) << n;
        ASSERT_EQ(back.layers.Count(), 0) << n;
        ASSERT_TRUE(back.IsEmpty()) << n;
    }
}

// A valid two-layer version-20 file with one field of the second record changed.
std::vector<uint8_t> WithSecondRecord(const std::function<void(LayerRecord&)>& change, const std::string& line = "\n 1 2") {
    FileBuilder f;
    f.Text("\n20 0 1");
    f.Canvas(4, 2);
    f.Text("\n 0 0");
    f.Record(OldRecord(kLayerRaster, -1, 1, 4, 2, 24), 397);
    f.Fill(24 + 16, 7);
    f.Text(line);
    LayerRecord t = OldRecord(kLayerText, 0, -1, 4, 2, 24);
    t.textLength = 2;
    change(t);
    f.Record(t, 397);
    f.Fill(24, 1);
    f.Text(std::string("A\0B\0", 4));
    return f.bytes;
}

TEST(ProjectHostile, HugeSizesLoopsAndBadSlotsFailWithoutAllocating) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> files = {
        {"huge layer", WithSecondRecord([](LayerRecord& r) { r.width = r.height = 1 << 20; })},
        {"huge width", WithSecondRecord([](LayerRecord& r) { r.width = INT32_MAX; })},
        {"negative size", WithSecondRecord([](LayerRecord& r) { r.height = -2; })},
        {"loop back to slot 0", WithSecondRecord([](LayerRecord& r) { r.above = 0; })},
        {"loop onto itself", WithSecondRecord([](LayerRecord& r) { r.above = 1; })},
        {"loop with the group repeated", [] {
             std::vector<uint8_t> b = WithSecondRecord([](LayerRecord& r) { r.above = 0; });
             const std::vector<uint8_t> again = WithSecondRecord([](LayerRecord& r) { r.above = 0; });
             b.insert(b.end(), again.begin() + 7 + 256, again.end());
             return b;
         }()},
        {"above outside the table", WithSecondRecord([](LayerRecord& r) { r.above = 25; })},
        {"slot outside the table", WithSecondRecord([](LayerRecord&) {}, "\n 40 2")},
        {"negative slot", WithSecondRecord([](LayerRecord&) {}, "\n -1 2")},
        {"huge text length, short file", WithSecondRecord([](LayerRecord&) {}, "\n 1 2000000000")},
        {"not a number", WithSecondRecord([](LayerRecord&) {}, "\n x 2")},
    };
    for (const auto& [name, bytes] : files) {
        Bench bench;
        COrinDoc doc(bench.workspace);
        const Status s = ReadBytes(doc, bytes);
        EXPECT_FALSE(s.ok) << name;
        EXPECT_EQ(doc.layers.Count(), 0) << name;
    }
    // The valid file itself loads.
    Bench bench;
    COrinDoc doc(bench.workspace);
    EXPECT_TRUE(ReadBytes(doc, WithSecondRecord([](LayerRecord&) {})).ok);
    // Bad canvas headers.
    for (int k = 0; k < 5; ++k) {
        FileBuilder f;
        f.Text("\n20 0 0");
        const int w = k == 0 ? 0 : k == 1 ? -4 : 4, bpp = k == 2 ? 7 : k == 3 ? 32 : 24;
        f.Canvas(w, k == 4 ? 1 << 30 : 2, bpp);
        f.Text("\n 0 0");
        f.Record(OldRecord(kLayerRaster, -1, -1, 4, 2, 24), 397);
        f.Fill(40, 0);
        COrinDoc bad(bench.workspace);
        EXPECT_FALSE(ReadBytes(bad, f.bytes).ok) << k;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ProjectHostile, TextLengthIsCutTo700AndTheStackIsRepaired) {
    // A text length above 699 reads 700 characters; links below are rebuilt from the walk
    // and every layer read is in use, whatever the records said.
    FileBuilder f;
    f.Text("\n20 0 0");
    f.Canvas(4, 2);
    f.Text("\n 0 0");
    LayerRecord first = OldRecord(kLayerRaster, 9, 1, 4, 2, 24);  // "below" points at a free slot
    first.inUse = 0;
    f.Record(first, 397);
    f.Fill(40, 0);
    f.Text("\n 1 5000");
    LayerRecord t = OldRecord(kLayerText, 17, -1, 4, 2, 24);
    f.Record(t, 397);
    f.Fill(24, 0);
    for (int i = 0; i < 700; ++i) f.Text(std::string("Z\0", 2));
    Bench bench;
    COrinDoc doc(bench.workspace);
    ASSERT_TRUE(ReadBytes(doc, f.bytes).ok);
    EXPECT_EQ(doc.layers[1].textLength, 700);
    EXPECT_EQ(doc.layers[1].text.size(), 700u);
    EXPECT_EQ(doc.layers[0].inUse, 1);
    EXPECT_EQ(doc.layers[1].inUse, 1);
    EXPECT_EQ(doc.layers[0].below, -1);
    EXPECT_EQ(doc.layers[1].below, 0);
    EXPECT_EQ(doc.layers.current, 0);  // the header's current slot
    // A layer added now takes a free slot and the stack stays a proper list.
    ASSERT_TRUE(AddLayer(doc).ok);
    EXPECT_EQ(doc.layers.current, 2);
    EXPECT_EQ(doc.layers.Chain(), (std::vector<int>{0, 2, 1}));
    ASSERT_TRUE(DeleteLayer(doc, 0).ok);
    EXPECT_EQ(doc.layers.Chain(), (std::vector<int>{2, 1}));
}

TEST(ProjectWriter, BrokenStackOrBuffersFailAndRestoreTheDocument) {
    Bench bench;
    {
        auto doc = OpenRich(bench);
        doc->layers[3].above = 1;  // a loop
        MemoryStream out;
        EXPECT_FALSE(WriteProject(*doc, out).ok);
    }
    {
        auto doc = OpenRich(bench);
        doc->layers[3].above = 30;  // outside the table
        MemoryStream out;
        EXPECT_FALSE(WriteProject(*doc, out).ok);
    }
    {
        auto doc = OpenRich(bench);
        doc->layers[2].pixels.resize(10);  // buffers that disagree with the record
        MemoryStream out;
        EXPECT_FALSE(WriteProject(*doc, out).ok);
    }
    {
        auto doc = OpenRich(bench);
        doc->flattenRequest = true;
        const DocState before = Capture(*doc);
        MemoryStream out;
        EXPECT_TRUE(WriteProject(*doc, out).ok);
        EXPECT_FALSE(doc->flattenRequest);
        EXPECT_SAME_STATE(before, Capture(*doc));
    }
}

}  // namespace

// The format keeps no palette: a palette canvas read back black. It is written as the
// colours it shows, at 24 bits, and reads back with the same composite.
TEST(ProjectRoundTrip, PaletteCanvasKeepsWhatTheUserSaw) {
    Bench bench;
    auto doc = bench.Open(5, 3, Gradient);
    BeginAllLayerChange(*doc);
    LayerRecord& r = doc->layers[0];
    r.stride = RowStride(5, 4);
    r.pixelSize = r.stride * 3;
    r.pixels.assign(size_t(r.pixelSize), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) CImageBuffer::PutIndex(r.pixels.data(), 4, uint32_t(r.stride), x, y, uint8_t(x + 5 * y));
    doc->canvas.bpp = 4;
    doc->canvas.paletteCount = 16;
    doc->palette.assign(16, RgbQuad{});
    for (int i = 0; i < 16; ++i) doc->palette[size_t(i)] = RgbQuad::FromValue(uint32_t(0x0F1F2F * i + 0x010203));
    RefreshCanvasSizes(*doc);
    RecordStep(*doc, "16 컬러 표현", kStepAllLayers);
    AddTextLayer(*doc, 1, "t");
    ComposeParams p;
    p.width = 5;
    p.height = 3;
    std::vector<uint32_t> seen, back;
    ComposeLayers(*doc, p, seen);
    const DocState before = Capture(*doc);

    COrinDoc read(bench.workspace);
    ASSERT_TRUE(ReadBytes(read, Written(*doc)).ok);
    EXPECT_EQ(read.canvas.bpp, 24);
    EXPECT_EQ(read.canvas.paletteCount, 0);
    EXPECT_EQ(read.layers[0].stride, RowStride(5, 24));
    EXPECT_EQ(read.layers[1].kind, kLayerText);
    ComposeLayers(read, p, back);
    EXPECT_EQ(back, seen);
    EXPECT_NE(seen[0] & 0xFFFFFF, 0u);
    // Writing changed nothing in the document itself.
    EXPECT_SAME_STATE(before, Capture(*doc));
}
