// Opening and saving: formats by the lower-cased extension, refused saves that write
// nothing, failed saves that leave an existing file as it was, saving as a picture
// (flatten, write, undo) that leaves every layer as it was, and the save dialog's names.
#include <gtest/gtest.h>

#include <filesystem>

#include "Codecs.h"
#include "Compositor.h"
#include "DocTestSupport.h"
#include "History.h"
#include "Messages.h"
#include "OpenSave.h"
#include "ProjectFile.h"

using namespace doctest;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

std::vector<std::string> FilesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OpenDocument, ExtensionsAreComparedInLowerCase) {
    Bench bench;
    TempDir dir;
    CImageBuffer picture(3, 2, 24, kFormatJpeg);
    testing_support::FillTrueColour(picture, [](int x, int) { return x == 0 ? 0x000000u : 0xFFFFFFu; });
    ASSERT_TRUE(picture.Save(dir.File("PIC.JPG"), kFormatJpeg));
    ASSERT_TRUE(picture.Save(dir.File("Pic.Bmp"), kFormatBmp));
    COrinDoc jpeg(bench.workspace);
    ASSERT_TRUE(OpenDocument(jpeg, dir.File("PIC.JPG")).ok);
    EXPECT_EQ(jpeg.canvas.format, kFormatJpeg);
    EXPECT_EQ(jpeg.fileName, "PIC.JPG");
    EXPECT_EQ(jpeg.layers[0].kind, kLayerBackdrop);
    EXPECT_EQ(jpeg.canvas.width, 3);
    COrinDoc bmp(bench.workspace);
    ASSERT_TRUE(OpenDocument(bmp, dir.File("Pic.Bmp")).ok);
    EXPECT_EQ(bmp.canvas.format, kFormatBmp);
    EXPECT_EQ(PixelAt(bmp.layers[0], 1, 0), 0xFFFFFFu);
    EXPECT_EQ(FormatFromPath("a.TIFF"), kFormatTiff);
    EXPECT_EQ(FormatFromPath("a.Tsr"), kFormatProject);
    EXPECT_EQ(FormatFromPath("a.jpeg"), kFormatJpeg);
    EXPECT_EQ(FormatFromPath("a.png"), kFormatPng);
    EXPECT_EQ(FormatFromPath("a"), kFormatUnknown);
}

TEST(OpenDocument, UnknownOrUnreadableFilesLeaveTheDocumentEmpty) {
    Bench bench;
    TempDir dir;
    WriteFileBytes(dir.File("x.png"), {1, 2, 3});
    WriteFileBytes(dir.File("x.bmp"), {'B', 'M', 0, 0});
    COrinDoc doc(bench.workspace);
    EXPECT_FALSE(OpenDocument(doc, dir.File("x.png")).ok);
    EXPECT_TRUE(doc.IsEmpty());
    // The reader of the name's format says why, under the open message.
    const Status s = OpenDocument(doc, dir.File("x.bmp"));
    EXPECT_EQ(s.message, std::string(msg::kCannotOpen) + "\n" + msg::kBmpCorrupted);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(OpenDocument(doc, dir.File("missing.gif")).message, msg::kCannotOpen);
    EXPECT_TRUE(doc.IsEmpty());
}

TEST(SaveDocument, RefusedFormatsWriteNothingAndChangeNothing) {
    Bench bench;
    TempDir dir;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    for (const char* name : {"out.pcx", "out.psd", "out.xyz", "noextension", "out.", "out.sco"}) {
        EXPECT_FALSE(SaveDocument(*doc, dir.File(name)).ok) << name;
        EXPECT_SAME_STATE(before, Capture(*doc));
        EXPECT_EQ(doc->history.position, position) << name;
        EXPECT_EQ(doc->history.top, position) << name;
    }
    EXPECT_TRUE(FilesIn(dir).empty());
}

// Writes the rich document as a project and opens it again: current layer 3 (the top),
// hidden layers, a shifted larger layer.
std::unique_ptr<COrinDoc> OpenedProject(Bench& bench, const TempDir& dir) {
    auto rich = OpenRich(bench);
    rich->layers[1].visible = 0;
    EXPECT_TRUE(SaveDocument(*rich, dir.File("rich.tsr")).ok);
    auto doc = std::make_unique<COrinDoc>(bench.workspace);
    EXPECT_TRUE(OpenDocument(*doc, dir.File("rich.tsr")).ok);
    return doc;
}


TEST(SaveAsPicture, EveryFormatLeavesTheLayersExactlyAsBefore) {
    for (const char* name : {"out.bmp", "out.gif", "out.jpg", "out.tif", "OUT.BMP"}) {
        SCOPED_TRACE(name);
        Bench bench;
        TempDir dir;
        auto doc = OpenedProject(bench, dir);
        ASSERT_EQ(doc->layers.current, 3);
        ASSERT_EQ(doc->layers.Chain().size(), 4u);
        SelectLayer(*doc, 2);
        const DocState before = Capture(*doc);
        const std::vector<uint32_t> composite = Composite(*doc);
        const int position = doc->history.position;
        ASSERT_TRUE(SaveDocument(*doc, dir.File(name)).ok);
        EXPECT_SAME_STATE(before, Capture(*doc));
        EXPECT_EQ(doc->layers.current, 2);  // the layer the user works on stays current
        EXPECT_EQ(doc->history.position, position);
        EXPECT_FALSE(CanRedo(*doc));  // the flatten made for writing is not offered for redo
        EXPECT_FALSE(doc->changed);
        EXPECT_EQ(doc->fileName, name);
        // The file holds the flattened picture (exactly, for the lossless formats; 24-bit
        // TIFF files are JPEG-compressed).
        CImageBuffer back(dir.File(name), FormatFromPath(name));
        ASSERT_TRUE(back.IsValid());
        ASSERT_EQ(back.Width(), 6);
        ASSERT_EQ(back.Height(), 4);
        if (FormatFromPath(name) == kFormatBmp || FormatFromPath(name) == kFormatGif) {
            if (FormatFromPath(name) == kFormatGif) EXPECT_EQ(back.Bpp(), 8);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x)
                    ASSERT_EQ(back.ColourAt(x, y).Value() & 0xFFFFFF, composite[size_t(3 - y) * 6 + size_t(x)] & 0xFFFFFF)
                        << x << "," << y;
        }
        EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{name, "rich.tsr"}));
    }
}

TEST(SaveAsPicture, AnOpaqueSingleLayerIsWrittenWithoutAFlattenStep) {
    // Rows of 5 pixels: 15 bytes and a padding byte, which the file gets as 0 (as a
    // flatten leaves it) while the layer keeps its own; an undone step stays redoable.
    Bench bench;
    TempDir dir;
    auto doc = bench.Open(5, 3, Gradient);
    LayerRecord& layer = doc->layers[0];
    ASSERT_EQ(layer.stride, 16);
    SetPixel(layer, 1, 1, 0x123456);
    RecordStep(*doc, "붓 그리기", kStepPixels);
    ASSERT_TRUE(Undo(*doc));
    layer.pixels[15] = 0xAB;
    layer.aux[2] = 7;
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    for (const char* name : {"a.bmp", "a.jpg"}) {
        ASSERT_TRUE(SaveDocument(*doc, dir.File(name)).ok) << name;
        EXPECT_SAME_STATE(before, Capture(*doc));
        EXPECT_EQ(doc->history.position, position);
        EXPECT_TRUE(CanRedo(*doc));
    }
    const std::vector<uint8_t> file = ReadFileBytes(dir.File("a.bmp"));
    ASSERT_EQ(file.size(), 54u + 3 * 16);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54 + 16 * y, file.begin() + 54 + 16 * y + 15),
                  std::vector<uint8_t>(layer.pixels.begin() + 16 * y, layer.pixels.begin() + 16 * y + 15));
        EXPECT_EQ(file[size_t(54 + 16 * y + 15)], 0) << y;
    }
}

TEST(SaveAsPicture, HiddenBottomAndUndoneStepsStayAsTheyWere) {
    Bench bench;
    TempDir dir;
    auto doc = OpenRich(bench);
    doc->layers[0].visible = 0;
    ASSERT_TRUE(Undo(*doc));  // position 5: "Sky" as added, not yet painted
    const DocState before = Capture(*doc);
    ASSERT_TRUE(SaveDocument(*doc, dir.File("a.bmp")).ok);
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, 5);
    EXPECT_EQ(doc->layers[0].visible, 0);
}

TEST(SaveAsPicture, WrittenWhileALayersStepFileIsMissing) {
    // A full disk lost the step of "Sky": the picture is flattened without a step and
    // without touching the layers, so it is written all the same.
    Bench bench;
    TempDir dir;
    auto storage = std::make_shared<FailingStorage>();
    bench.workspace.steps = storage;
    auto doc = OpenRich(bench);
    const int sky = doc->layers.current;
    storage->failWrites = true;
    doc->layers[sky].pixels[0] ^= 0xFF;
    RecordStep(*doc, "붓 그리기", kStepPixels, sky);
    storage->failWrites = false;
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{msg::kStepNotKept});
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    EXPECT_TRUE(SaveDocument(*doc, dir.File("a.bmp")).ok);
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, position);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(bench.host.messages.size(), 1u);
}

TEST(SaveFailure, AFailedProjectWriteLeavesTheOldFileAndNoTemporaryFile) {
    Bench bench;
    TempDir dir;
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFileBytes(dir.File("keep.tsr"), old);
    auto doc = OpenRich(bench);
    doc->layers[2].pixels.resize(5);  // buffers that disagree with the record
    const Status s = SaveDocument(*doc, dir.File("keep.tsr"));
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kSaveFailed);
    EXPECT_EQ(ReadFileBytes(dir.File("keep.tsr")), old);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"keep.tsr"});
    EXPECT_EQ(doc->fileName, "test.bmp");  // a failed save keeps the document's name
}

TEST(SaveFailure, AnEncoderFailureLeavesTheOldFileAndTheLayers) {
    // An indexed canvas with a coloured palette cannot be written as JPEG.
    Bench bench;
    TempDir dir;
    auto doc = bench.Open(4, 3, Gradient);
    BeginAllLayerChange(*doc);
    LayerRecord& r = doc->layers[0];
    r.stride = 4;
    r.pixelSize = 12;
    r.pixels.assign(12, 1);
    doc->canvas.bpp = 8;
    doc->canvas.paletteCount = 256;
    doc->palette.assign(256, RgbQuad{});
    doc->palette[1] = RgbQuad::FromValue(0x00FF00);
    RefreshCanvasSizes(*doc);
    RecordStep(*doc, "8 비트 컬러 표현", kStepAllLayers);
    const DocState before = Capture(*doc);
    const std::vector<uint8_t> old = {1, 2, 3, 4};
    WriteFileBytes(dir.File("x.jpg"), old);
    const Status s = SaveDocument(*doc, dir.File("x.jpg"));
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kJpegOnlyRgbGrey);
    EXPECT_EQ(ReadFileBytes(dir.File("x.jpg")), old);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"x.jpg"});
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, 1);
    // The same document saves as BMP, with its palette.
    ASSERT_TRUE(SaveDocument(*doc, dir.File("x.bmp")).ok);
    CImageBuffer back(dir.File("x.bmp"), kFormatBmp);
    EXPECT_EQ(back.Bpp(), 8);
    EXPECT_EQ(back.ColourAt(2, 1).Value() & 0xFFFFFF, 0x00FF00u);
    EXPECT_SAME_STATE(before, Capture(*doc));
}

TEST(SaveFailure, ATargetThatCannotBeReplacedLeavesNoTemporaryFile) {
    Bench bench;
    TempDir dir;
    std::filesystem::create_directory(dir.File("taken.bmp"));
    WriteFileBytes(dir.File("taken.bmp/inside"), {7});
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    EXPECT_FALSE(SaveDocument(*doc, dir.File("taken.bmp")).ok);
    EXPECT_FALSE(SaveDocument(*doc, dir.File("taken.bmp.tsr/x.tsr")).ok);  // no such folder
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"taken.bmp"});
    EXPECT_EQ(ReadFileBytes(dir.File("taken.bmp/inside")), std::vector<uint8_t>{7});
    EXPECT_SAME_STATE(before, Capture(*doc));
}

TEST(SaveFailure, ReplacingAFileKeepsItsPermissions) {
    Bench bench;
    TempDir dir;
    WriteFileBytes(dir.File("p.bmp"), {1});
    std::filesystem::permissions(dir.File("p.bmp"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto doc = bench.Open(2, 2, Gradient);
    ASSERT_TRUE(SaveDocument(*doc, dir.File("p.bmp")).ok);
    EXPECT_EQ(std::filesystem::status(dir.File("p.bmp")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_GT(ReadFileBytes(dir.File("p.bmp")).size(), 1u);
}

// ---- The save dialog's names ----

TEST(SaveNames, SuggestedNameFromPathOrTitle) {
    Bench bench;
    COrinDoc doc(bench.workspace);
    doc.mainImage = std::make_unique<CImageBuffer>(1, 1, 24, kFormatBmp);
    doc.path = "/pictures/photo.bmp";
    doc.fileName = "photo.bmp";
    EXPECT_EQ(SuggestedSaveName(doc, false), "/pictures/photo.bmp");
    EXPECT_EQ(SuggestedSaveName(doc, true), "/pictures/photo.bmp");
    doc.mainImage->Info().typeCode = kFormatTiff;
    EXPECT_EQ(SuggestedSaveName(doc, false), "/pictures/photo.tif");
    // No path: the title, "UntitledImage" when it holds any of # % ; / \.
    doc.path.clear();
    doc.mainImage->Info().typeCode = kFormatJpeg;
    doc.fileName = "Captured Image 3";
    EXPECT_EQ(SuggestedSaveName(doc, true), "Captured Image 3.jpg");
    for (const char* title : {"a/b", "50%", "x#1", "a;b", "c\\d"}) {
        doc.fileName = title;
        EXPECT_EQ(SuggestedSaveName(doc, false), "UntitledImage.jpg") << title;
    }
    doc.mainImage->Info().typeCode = kFormatGif;
    doc.fileName = "anim.gif";
    EXPECT_EQ(SuggestedSaveName(doc, true), "anim.gif");
    doc.mainImage->Info().typeCode = kFormatProject;
    EXPECT_EQ(SuggestedSaveName(doc, true), "anim.tsr");
}

TEST(SaveNames, ExtensionAddedWithoutAPointInTheLastFiveCharacters) {
    EXPECT_EQ(WithFormatExtension("abc", kFormatJpeg), "abc.jpg");
    EXPECT_EQ(WithFormatExtension("abc.bmp", kFormatJpeg), "abc.bmp");
    EXPECT_EQ(WithFormatExtension("a.jpeg", kFormatBmp), "a.jpeg");
    EXPECT_EQ(WithFormatExtension("photo.tiff", kFormatBmp), "photo.tiff");
    EXPECT_EQ(WithFormatExtension("v1.2/abcdef", kFormatTiff), "v1.2/abcdef.tif");
    EXPECT_EQ(WithFormatExtension("pic", kFormatProject), "pic.tsr");
    EXPECT_EQ(WithFormatExtension("pic", kFormatGif), "pic.gif");
    EXPECT_EQ(WithFormatExtension("pic", kFormatWebp), "pic.webp");
    EXPECT_EQ(WithFormatExtension("pic", kFormatAvif), "pic.avif");
    EXPECT_EQ(WithFormatExtension("pic.webp", kFormatJpeg), "pic.webp");
    // Characters, not bytes: ". b c d 사" are the last five characters.
    EXPECT_EQ(WithFormatExtension("a.bcd사", kFormatJpeg), "a.bcd사");
    EXPECT_EQ(WithFormatExtension("사진.그림파일이", kFormatJpeg), "사진.그림파일이.jpg");
}

// A folder picked in the save dialog, or an empty name, never becomes a hidden ".jpg"
// in it: the name is refused and so is a save to it.
TEST(SaveNames, AFolderOrAnEmptyNameIsNotSavedTo) {
    testing_support::TempDir dir;
    const std::string folder = dir.Path().string();
    struct Case {
        std::string path;
        bool usable;
    };
    for (const Case& c : {Case{folder + "/pic.jpg", true}, Case{folder + "/.pic.jpg", true},
                          Case{WithFormatExtension(folder + "/", kFormatJpeg), false}, Case{folder + "/.jpg", false},
                          Case{folder, false}, Case{"", false}, Case{folder + "/..", false}})
        EXPECT_EQ(IsUsableSaveName(c.path), c.usable) << c.path;
    Workspace ws;
    ws.stepFolder = folder;
    auto doc = std::make_unique<COrinDoc>(ws);
    doc->mainImage->Allocate(2, 2, 24, kFormatBmp);
    ASSERT_TRUE(OpenPictureInDocument(*doc).ok);
    EXPECT_FALSE(SaveDocument(*doc, folder + "/.jpg").ok);
    EXPECT_FALSE(std::filesystem::exists(folder + "/.jpg"));
    EXPECT_TRUE(SaveDocument(*doc, folder + "/pic.jpg").ok);
    RemoveStepFiles(*doc);
}

}  // namespace

namespace {

// The workspace's EXIF orientation preference decides how a JPEG with orientation 6
// (stored 70 x 50) opens.
TEST(OpenDocument, ExifOrientationFollowsThePreference) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    for (bool upright : {true, false}) {
        Bench bench;
        bench.workspace.exifOrientation = upright;
        COrinDoc doc(bench.workspace);
        ASSERT_TRUE(OpenDocument(doc, dir + "/go-imaging--orientation_6.jpg").ok);
        EXPECT_EQ(doc.canvas.width, upright ? 50 : 70);
        EXPECT_EQ(doc.canvas.height, upright ? 70 : 50);
    }
}

}  // namespace

TEST(SaveAsPicture, AnOpenedPictureIsHeldOnceAndWrittenFromTheLayersRows) {
    // 5 x 7: rows with padding, a height that is no multiple of any band; a 24-bit and a
    // 4-bit palette picture. The layer takes the decoded rows, the main image keeps only
    // the header; each writer reads the layer's rows and gives them back, twice over.
    const auto colour = [](int x, int y) { return uint32_t(x * 50) << 16 | uint32_t(y * 30) << 8 | uint32_t(x + y); };
    for (const int bits : {24, 4}) {
        SCOPED_TRACE(bits);
        Bench bench;
        TempDir dir;
        CImageBuffer picture(5, 7, bits, kFormatBmp);
        if (bits == 24) {
            testing_support::FillTrueColour(picture, colour);
        } else {
            for (int i = 0; i < 16; ++i) picture.SetPaletteEntry(i, uint8_t(i * 16), uint8_t(255 - i), uint8_t(i * 3));
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 5; ++x) CImageBuffer::PutIndex(picture.PixelArea(), 4, picture.Stride(), x, y, uint8_t((x * 3 + y) % 16));
        }
        ASSERT_TRUE(picture.Save(dir.File("in.bmp"), kFormatBmp));
        COrinDoc doc(bench.workspace);
        ASSERT_TRUE(OpenDocument(doc, dir.File("in.bmp")).ok);
        EXPECT_FALSE(doc.mainImage->HasPixels());
        EXPECT_EQ(doc.mainImage->Bpp(), bits);
        const LayerRecord& layer = doc.layers[0];
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(PixelAt(layer, x, y), picture.ColourAt(x, y).Value() & 0xFFFFFF);
        const std::vector<uint8_t> rows = layer.pixels;
        for (const char* name : {"a.bmp", "a.tif", "a.png", "a.jpg", "b.bmp", "b.tif", "b.png", "b.jpg"}) {
            ASSERT_TRUE(SaveDocument(doc, dir.File(name)).ok) << name;
            EXPECT_EQ(layer.pixels, rows) << name;
        }
        for (const char* name : {"bmp", "tif", "png", "jpg"})
            EXPECT_EQ(ReadFileBytes(dir.File(std::string("a.") + name)), ReadFileBytes(dir.File(std::string("b.") + name)));
        for (const char* name : {"a.bmp", "a.tif", "a.png"}) {
            CImageBuffer back(dir.File(name), FormatFromPath(name));
            ASSERT_TRUE(back.IsValid()) << name;
            ASSERT_EQ(back.Height(), 7);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 5; ++x)
                    ASSERT_EQ(back.ColourAt(x, y).Value() & 0xFFFFFF, picture.ColourAt(x, y).Value() & 0xFFFFFF) << name;
        }
    }
}
