// The JPEG reader and writer: round trips through memory, the writer's colour
// rules, the resolution read from the JFIF header, and hostile or cut-short data.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "TestSupport.h"

namespace {

std::vector<uint8_t> EncodeToMemory(CImageBuffer& image, bool expectOk = true) {
    MemoryStream out;
    const bool ok = codec::EncodeJpeg(out, image);
    EXPECT_EQ(ok, expectOk) << image.LastError();
    return out.Buffer();
}

bool DecodeFromMemory(const std::vector<uint8_t>& bytes, CImageBuffer& image) {
    MemoryStream in(bytes.data(), bytes.size());
    return codec::DecodeJpeg(in, image);
}

// Largest difference of any channel between two pictures of the same size.
int MaxChannelDifference(const CImageBuffer& a, const CImageBuffer& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const RgbQuad p = a.ColourAt(x, y), q = b.ColourAt(x, y);
            worst = std::max({worst, std::abs(p.red - q.red), std::abs(p.green - q.green), std::abs(p.blue - q.blue)});
        }
    return worst;
}

// A smooth 24-bit picture (odd size), red rising to the right, blue rising upward.
void FillSmooth(CImageBuffer& image) {
    testing_support::FillTrueColour(image, [&](int x, int y) {
        const uint32_t r = uint32_t(40 + 160 * x / image.Width());
        const uint32_t g = 90;
        const uint32_t b = uint32_t(30 + 180 * y / image.Height());
        return (r << 16) | (g << 8) | b;
    });
}

// Offset of the first marker `code` (0xFF code) in a JPEG stream, or 0.
size_t FindMarker(const std::vector<uint8_t>& bytes, uint8_t code, size_t from = 2) {
    for (size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
    return 0;
}

TEST(JPEGCodec, ColourRoundTripStaysClose) {
    CImageBuffer image(37, 21, 24, kFormatJpeg);
    FillSmooth(image);
    image.Info().quality = 95;
    const std::vector<uint8_t> bytes = EncodeToMemory(image);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    CImageBuffer back(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, back)) << back.LastError();
    EXPECT_EQ(back.Width(), 37);
    EXPECT_EQ(back.Height(), 21);
    EXPECT_EQ(back.Bpp(), 24);
    EXPECT_EQ(back.Type(), kFormatJpeg);
    EXPECT_LE(MaxChannelDifference(image, back), 6);
}

TEST(JPEGCodec, RowsKeepTheirPlaceAndChannelsTheirOrder) {
    // Top half pure red, bottom half pure blue: a swapped channel or a flipped
    // picture shows at once.
    CImageBuffer image(16, 16, 24, kFormatJpeg);
    testing_support::FillTrueColour(image, [](int, int y) { return y >= 8 ? 0xFF0000u : 0x0000FFu; });
    image.Info().quality = 100;
    CImageBuffer back(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(EncodeToMemory(image), back));
    const RgbQuad top = back.ColourAt(3, 14), bottom = back.ColourAt(3, 1);
    EXPECT_GT(top.red, 240);
    EXPECT_LT(top.blue, 15);
    EXPECT_GT(bottom.blue, 240);
    EXPECT_LT(bottom.red, 15);
}

TEST(JPEGCodec, ThirtyTwoBitPicturesAreWrittenFromTheirColourBytes) {
    CImageBuffer rgb(9, 5, 24, kFormatJpeg), rgbx(9, 5, 32, kFormatJpeg);
    FillSmooth(rgb);
    FillSmooth(rgbx);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) rgbx.Row(y)[x * 4 + 3] = uint8_t(x * 31);  // the fourth byte is ignored
    EXPECT_EQ(EncodeToMemory(rgb), EncodeToMemory(rgbx));
}

TEST(JPEGCodec, GreyRampPictureIsWrittenAsOneComponent) {
    CImageBuffer image(11, 7, 8, kFormatJpeg);
    image.MakeGreyPalette();
    ASSERT_TRUE(image.HasGreyPalette());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x) image.Row(y)[x] = uint8_t(100 + 5 * x + y);
    image.Info().quality = 100;
    const std::vector<uint8_t> bytes = EncodeToMemory(image);
    const size_t sof = FindMarker(bytes, 0xC0);
    ASSERT_NE(sof, 0u);
    EXPECT_EQ(bytes[sof + 9], 1) << "component count in the frame header";

    CImageBuffer back(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, back));
    EXPECT_EQ(back.Bpp(), 8);
    EXPECT_TRUE(back.HasGreyPalette());
    EXPECT_LE(MaxChannelDifference(image, back), 2);
}

TEST(JPEGCodec, OtherGreyPalettesAreWrittenThroughTheirLevels) {
    // A black-and-white 1-bit picture is grey too: each pixel is written as the
    // grey level of its entry.
    CImageBuffer image(10, 8, 1, kFormatJpeg);
    image.SetPaletteEntry(0, 0, 0, 0);
    image.SetPaletteEntry(1, 255, 255, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) CImageBuffer::PutIndex(image.PixelArea(), 1, image.Stride(), x, y, x < 5);
    image.Info().quality = 100;
    CImageBuffer back(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(EncodeToMemory(image), back));
    EXPECT_EQ(back.Bpp(), 8);
    EXPECT_GT(back.ColourAt(0, 4).red, 230);
    EXPECT_LT(back.ColourAt(9, 4).red, 25);
}

TEST(JPEGCodec, ColourPaletteIsRefused) {
    CImageBuffer image(4, 4, 8, kFormatJpeg);
    image.MakeGreyPalette();
    image.SetPaletteEntry(5, 255, 0, 0);
    MemoryStream out;
    EXPECT_FALSE(codec::EncodeJpeg(out, image));
    EXPECT_EQ(image.LastError(), msg::kJpegOnlyRgbGrey);
    EXPECT_TRUE(out.Buffer().empty());
    // The same through the picture's own Encode.
    CImageBuffer four(4, 4, 4, kFormatJpeg);
    four.SetPaletteEntry(1, 0, 0, 200);
    MemoryStream out2;
    EXPECT_FALSE(four.Encode(out2, kFormatJpeg));
    EXPECT_EQ(four.LastError(), msg::kJpegOnlyRgbGrey);
}

TEST(JPEGCodec, QualityAbove100ActsAs100) {
    CImageBuffer image(24, 16, 24, kFormatJpeg);
    FillSmooth(image);
    image.Info().quality = 150;
    const std::vector<uint8_t> at150 = EncodeToMemory(image);
    image.Info().quality = 100;
    EXPECT_EQ(at150, EncodeToMemory(image));
    image.Info().quality = 10;
    EXPECT_LT(EncodeToMemory(image).size(), at150.size());
}

TEST(JPEGCodec, ResolutionComesFromTheJfifDensity) {
    CImageBuffer image(8, 8, 24, kFormatJpeg);
    std::vector<uint8_t> bytes = EncodeToMemory(image);
    ASSERT_EQ(bytes[2], 0xFF);
    ASSERT_EQ(bytes[3], 0xE0);  // JFIF segment: unit at 13, densities at 14 and 16
    auto setDensity = [&](uint8_t unit, int x, int y) {
        bytes[13] = unit;
        bytes[14] = uint8_t(x >> 8);
        bytes[15] = uint8_t(x);
        bytes[16] = uint8_t(y >> 8);
        bytes[17] = uint8_t(y);
    };
    setDensity(1, 300, 150);
    CImageBuffer inch(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, inch));
    EXPECT_EQ(inch.Info().dpiX, 300);
    EXPECT_EQ(inch.Info().dpiY, 150);
    EXPECT_EQ(inch.Header().biXPelsPerMeter, 11811);

    setDensity(2, 118, 40);  // dots per centimetre: 299.72 and 101.6
    CImageBuffer cm(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, cm));
    EXPECT_EQ(cm.Info().dpiX, 300);
    EXPECT_EQ(cm.Info().dpiY, 102);

    setDensity(0, 1, 1);  // aspect ratio only
    CImageBuffer none(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, none));
    EXPECT_EQ(none.Info().dpiX, 72);
}

TEST(JPEGCodec, StreamCutShortGivesTheFilledPicture) {
    CImageBuffer image(64, 64, 24, kFormatJpeg);
    FillSmooth(image);
    std::vector<uint8_t> bytes = EncodeToMemory(image);
    bytes.resize(bytes.size() * 2 / 3);
    CImageBuffer back(kFormatJpeg);
    ASSERT_TRUE(DecodeFromMemory(bytes, back)) << back.LastError();
    EXPECT_EQ(back.Width(), 64);
    EXPECT_EQ(back.Height(), 64);
    // The top lines were in the data.
    EXPECT_LE(std::abs(back.ColourAt(2, 62).red - image.ColourAt(2, 62).red), 8);
}

TEST(JPEGCodec, BrokenStreamsFailWithTheLibraryText) {
    CImageBuffer image(kFormatJpeg);
    const std::vector<uint8_t> empty;
    EXPECT_FALSE(DecodeFromMemory(empty, image));
    EXPECT_EQ(image.LastError(), "Empty input file");
    EXPECT_FALSE(image.IsValid());

    const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0, 0, 0};
    EXPECT_FALSE(DecodeFromMemory(notJpeg, image));
    EXPECT_EQ(image.LastError(), "Not a JPEG file: starts with 0x42 0x4d");

    // A marker segment whose length runs past the end of the data.
    const std::vector<uint8_t> longSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0};
    EXPECT_FALSE(DecodeFromMemory(longSegment, image));
    EXPECT_FALSE(image.LastError().empty());

    CImageBuffer small(8, 8, 24, kFormatJpeg);
    std::vector<uint8_t> headerOnly = EncodeToMemory(small);
    headerOnly.resize(FindMarker(headerOnly, 0xC0));  // cut before the frame header
    EXPECT_FALSE(DecodeFromMemory(headerOnly, image));
    EXPECT_FALSE(image.LastError().empty());
    EXPECT_FALSE(image.IsValid());
}

TEST(JPEGCodec, SizeThatTheDataCannotHoldIsRefusedBeforeAllocating) {
    // 20000 x 20000 grey pixels would fit a picture (400 MB), but not in 300 bytes.
    CImageBuffer image(8, 8, 8, kFormatJpeg);
    image.MakeGreyPalette();
    std::vector<uint8_t> bytes = EncodeToMemory(image);
    const size_t sof = FindMarker(bytes, 0xC0);
    ASSERT_NE(sof, 0u);
    bytes[sof + 5] = 20000 >> 8;  // height
    bytes[sof + 6] = 20000 & 0xFF;
    bytes[sof + 7] = 20000 >> 8;  // width
    bytes[sof + 8] = 20000 & 0xFF;
    const auto start = std::chrono::steady_clock::now();
    CImageBuffer back(kFormatJpeg);
    EXPECT_FALSE(DecodeFromMemory(bytes, back));
    EXPECT_EQ(back.LastError(), msg::kJpegLimits);
    EXPECT_FALSE(back.IsValid());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(JPEGCodec, ProgressiveFileWithThousandsOfScansIsRefused) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP() << "no test pictures";
    const std::vector<uint8_t> original =
        testing_support::ReadFileBytes(dir + "/golang-src--video-001-progressive.jpeg");
    ASSERT_GT(original.size(), 100u);
    // Repeat the last scan (from its SOS marker to the end-of-image marker).
    size_t lastScan = 0;
    for (size_t at = FindMarker(original, 0xDA); at; at = FindMarker(original, 0xDA, at + 2)) lastScan = at;
    ASSERT_NE(lastScan, 0u);
    const size_t end = original.size() - 2;
    std::vector<uint8_t> bytes(original.begin(), original.begin() + long(end));
    for (int i = 0; i < 600; ++i) bytes.insert(bytes.end(), original.begin() + long(lastScan), original.begin() + long(end));
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    CImageBuffer image(kFormatJpeg);
    EXPECT_FALSE(DecodeFromMemory(bytes, image));
    EXPECT_EQ(image.LastError(), msg::kJpegLimits);
    // The untouched file still reads.
    EXPECT_TRUE(DecodeFromMemory(original, image)) << image.LastError();
}

TEST(JPEGCodec, WriteFailureIsReported) {
    CImageBuffer image(8, 8, 24, kFormatJpeg);
    const uint8_t none[1] = {0};
    MemoryStream readOnly(none, 0);
    EXPECT_FALSE(codec::EncodeJpeg(readOnly, image));
    EXPECT_FALSE(image.LastError().empty());
}

TEST(JPEGCodec, SaveAndLoadThroughFiles) {
    testing_support::TempDir dir;
    CImageBuffer image(41, 29, 24, kFormatJpeg);
    FillSmooth(image);
    ASSERT_TRUE(image.Save(dir.File("a.jpg"), kFormatJpeg));
    CImageBuffer back(dir.File("a.jpg"), kFormatJpeg);
    ASSERT_TRUE(back.IsValid()) << back.LastError();
    EXPECT_EQ(back.Width(), 41);
    EXPECT_EQ(back.Height(), 29);
    EXPECT_LE(MaxChannelDifference(image, back), 6);
}

}  // namespace
