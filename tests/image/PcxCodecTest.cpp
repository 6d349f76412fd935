// PCX reader: hand-built files of every supported layout, runs that cross lines or
// pass the end of the picture, colour maps, and every refusal.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Endian.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct PcxHeader {
    uint8_t manufacturer = 10;
    uint8_t encoding = 1;
    uint8_t bits = 8;
    uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    uint8_t planes = 1;
    uint16_t bytesPerLine = 1;
    Bytes colours;  // up to 16 red, green, blue triplets

    Bytes Build() const {
        Bytes h(128, 0);
        h[0] = manufacturer;
        h[1] = 5;
        h[2] = encoding;
        h[3] = bits;
        PutLE16(&h[4], xmin);
        PutLE16(&h[6], ymin);
        PutLE16(&h[8], xmax);
        PutLE16(&h[10], ymax);
        for (size_t i = 0; i < colours.size() && i < 48; ++i) h[16 + i] = colours[i];
        h[65] = planes;
        PutLE16(&h[66], bytesPerLine);
        return h;
    }
};

PcxHeader Sized(int width, int height, int bits, int planes, int bytesPerLine) {
    PcxHeader h;
    h.xmin = 3;  // the size is xmax - xmin + 1, wherever the picture starts
    h.xmax = uint16_t(3 + width - 1);
    h.ymax = uint16_t(height - 1);
    h.bits = uint8_t(bits);
    h.planes = uint8_t(planes);
    h.bytesPerLine = uint16_t(bytesPerLine);
    return h;
}

// Run-length encodes bytes the simple way: runs of equal bytes, and any byte of 192
// or more as a run of one.
Bytes Encode(const Bytes& raw) {
    Bytes out;
    for (size_t i = 0; i < raw.size();) {
        size_t n = 1;
        while (i + n < raw.size() && raw[i + n] == raw[i] && n < 63) ++n;
        if (n > 1 || raw[i] >= 192) out.insert(out.end(), {uint8_t(0xC0 | n), raw[i]});
        else out.push_back(raw[i]);
        i += n;
    }
    return out;
}

Bytes ColourMap(uint8_t marker = 12) {
    Bytes map = {marker};
    for (int i = 0; i < 256; ++i) map.insert(map.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    return map;
}

Bytes File(const PcxHeader& h, const Bytes& data, const Bytes& tail = {}) {
    Bytes b = h.Build();
    b.insert(b.end(), data.begin(), data.end());
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

bool Decode(const Bytes& file, CImageBuffer& out) {
    MemoryStream in(file.data(), file.size());
    return codec::DecodePcx(in, out);
}

uint32_t Rgb(const CImageBuffer& image, int x, int y) {
    const RgbQuad c = image.ColourAt(x, y);
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

void ExpectFails(const Bytes& file, const char* text) {
    CImageBuffer image(kFormatPcx);
    EXPECT_FALSE(Decode(file, image));
    EXPECT_EQ(image.LastError(), text);
    EXPECT_FALSE(image.IsValid());
}

}  // namespace

TEST(PcxRead, EightBitsThroughTheColourMap) {
    // 3x2, 4 bytes per line (the fourth is ignored), top line first.
    const Bytes raw = {7, 200, 7, 99, 1, 2, 3, 99};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(Sized(3, 2, 8, 1, 4), Encode(raw), ColourMap()), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 8);
    EXPECT_EQ(image.Type(), kFormatPcx);
    EXPECT_EQ(image.Width(), 3);
    const int top[3] = {7, 200, 7}, bottom[3] = {1, 2, 3};
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(image.IndexAt(x, 1), top[x]);
        EXPECT_EQ(image.IndexAt(x, 0), bottom[x]);
    }
    EXPECT_EQ(Rgb(image, 1, 1), (200u << 16) | (55u << 8) | 100u);
}

TEST(PcxRead, RunsMayCrossLines) {
    // 2x3, one run of 5 and a literal: the run covers line 0, line 1 and half of line 2.
    const Bytes data = {0xC5, 9, 4};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(Sized(2, 3, 8, 1, 2), data, ColourMap()), image)) << image.LastError();
    EXPECT_EQ(image.IndexAt(0, 2), 9);
    EXPECT_EQ(image.IndexAt(1, 1), 9);
    EXPECT_EQ(image.IndexAt(0, 0), 9);
    EXPECT_EQ(image.IndexAt(1, 0), 4);
}

TEST(PcxRead, RunPastTheEndOfThePicture) {
    // 8x2: a run of 8, then a run of 20 where 8 bytes remain.
    ExpectFails(File(Sized(8, 2, 8, 1, 8), {0xC8, 5, 0xD4, 7}, ColourMap()), msg::kPcxRepeat);
    ExpectFails(File(Sized(8, 2, 8, 1, 8), {0xC8, 5, 0xC9, 7}, ColourMap()), msg::kPcxRepeat);
    // A run that ends exactly at the last byte is fine.
    CImageBuffer image(kFormatBmp);
    EXPECT_TRUE(Decode(File(Sized(8, 2, 8, 1, 8), {0xC8, 5, 0xC8, 7}, ColourMap()), image)) << image.LastError();
}

TEST(PcxRead, ShortDataAndColourMap) {
    const PcxHeader h = Sized(2, 2, 8, 1, 2);
    ExpectFails(File(h, {1, 2, 3}), msg::kPcxCorrupted);
    ExpectFails(File(h, {1, 2, 3, 0xC1}), msg::kPcxCorrupted);  // run without its value
    ExpectFails(File(h, {1, 2, 3, 4}, ColourMap(11)), msg::kPcxColourMap);
    ExpectFails(File(h, {1, 2, 3, 4}), msg::kPcxColourMap);
    Bytes cut = ColourMap();
    cut.resize(500);
    ExpectFails(File(h, {1, 2, 3, 4}, cut), msg::kPcxColourMap);
}

TEST(PcxRead, OneBitOnePlaneIsBlackAndWhite) {
    // 10 pixels in 3 bytes per line (odd; the third byte is extra).
    PcxHeader h = Sized(10, 1, 1, 1, 3);
    h.colours = {10, 20, 30, 40, 50, 60};  // ignored for one plane
    const Bytes raw = {0xA0, 0x40, 0xFF};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(h, Encode(raw)), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 1);
    const int want[10] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(Rgb(image, x, 0), want[x] ? 0xFFFFFFu : 0u) << x;
}

TEST(PcxRead, BitPlanesCombineIntoIndices) {
    PcxHeader h = Sized(3, 1, 1, 4, 1);
    for (int i = 0; i < 16; ++i) h.colours.insert(h.colours.end(), {uint8_t(i * 16), uint8_t(i), uint8_t(255 - i)});
    // Plane k holds bit k of the index: planes A0 60 A0 60 give 0b0101, 0b1010, 0b1111.
    const Bytes raw = {0xA0, 0x60, 0xA0, 0x60};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(h, Encode(raw)), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 4);
    EXPECT_EQ(image.IndexAt(0, 0), 0b0101);
    EXPECT_EQ(image.IndexAt(1, 0), 0b1010);
    EXPECT_EQ(image.IndexAt(2, 0), 0b1111);
    EXPECT_EQ(Rgb(image, 1, 0), (160u << 16) | (10u << 8) | 245u);

    // Two planes: four colours, still a 4-bit picture so no index is lost.
    h.planes = 2;
    ASSERT_TRUE(Decode(File(h, Encode({0xA0, 0x60})), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 4);
    EXPECT_EQ(image.IndexAt(0, 0), 1);
    EXPECT_EQ(image.IndexAt(1, 0), 2);
    EXPECT_EQ(image.IndexAt(2, 0), 3);

    // Three planes give a 24-bit picture in the header colours.
    h.planes = 3;
    ASSERT_TRUE(Decode(File(h, Encode({0xA0, 0x60, 0x20})), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(Rgb(image, 0, 0), (16u << 16) | (1u << 8) | 254u);   // index 1
    EXPECT_EQ(Rgb(image, 2, 0), (112u << 16) | (7u << 8) | 248u);  // index 7
}

TEST(PcxRead, PackedTwoAndFourBits) {
    PcxHeader h = Sized(5, 1, 2, 1, 2);
    for (int i = 0; i < 16; ++i) h.colours.insert(h.colours.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(h, Encode({0x1B, 0xC0})), image)) << image.LastError();  // 0 1 2 3 | 3
    EXPECT_EQ(image.Bpp(), 4);
    const int want2[5] = {0, 1, 2, 3, 3};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.IndexAt(x, 0), want2[x]) << x;

    h = Sized(3, 2, 4, 1, 3);
    for (int i = 0; i < 16; ++i) h.colours.insert(h.colours.end(), {uint8_t(i * 10), 0, 0});
    ASSERT_TRUE(Decode(File(h, Encode({0x12, 0x30, 0xEE, 0xF0, 0x0A, 0x00})), image)) << image.LastError();
    EXPECT_EQ(image.IndexAt(0, 1), 1);
    EXPECT_EQ(image.IndexAt(2, 1), 3);
    EXPECT_EQ(image.IndexAt(1, 0), 0);
    EXPECT_EQ(Rgb(image, 0, 0), 150u << 16);
}

TEST(PcxRead, ThreePlanesOfEightBitsAreRedGreenBlue) {
    // 2x1 with 3 bytes per line: red plane, green plane, blue plane.
    const Bytes raw = {10, 20, 0, 30, 40, 0, 250, 60, 0};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(File(Sized(2, 1, 8, 3, 3), Encode(raw)), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(Rgb(image, 0, 0), 0x0A1EFAu);
    EXPECT_EQ(Rgb(image, 1, 0), 0x14283Cu);
}

TEST(PcxRead, HeaderRefusals) {
    ExpectFails(Bytes(100, 10), msg::kPcxShort);
    PcxHeader h = Sized(2, 2, 8, 1, 2);
    h.manufacturer = 11;
    ExpectFails(File(h, {1, 2, 3, 4}), msg::kPcxNotPcx);
    h.manufacturer = 10;
    h.encoding = 0;
    ExpectFails(File(h, {1, 2, 3, 4}), msg::kPcxEncoding);
    ExpectFails(File(Sized(2, 2, 1, 5, 1), Bytes(10)), msg::kPcxPlanes);
    ExpectFails(File(Sized(2, 2, 8, 2, 2), Bytes(10)), msg::kPcxBitsPlanes);
    ExpectFails(File(Sized(2, 2, 16, 1, 4), Bytes(10)), msg::kPcxBitsPlanes);
    ExpectFails(File(Sized(2, 2, 4, 3, 1), Bytes(10)), msg::kPcxPackedPlanes);
}

TEST(PcxHostile, BadSizesFailBeforeAllocating) {
    const auto start = std::chrono::steady_clock::now();
    // Lines shorter than their pixels.
    ExpectFails(File(Sized(9, 1, 8, 1, 8), Bytes(9)), msg::kPcxCorrupted);
    // xmax below xmin.
    PcxHeader h = Sized(2, 2, 8, 1, 2);
    h.xmin = 10;
    h.xmax = 2;
    ExpectFails(File(h, Bytes(8)), msg::kPcxCorrupted);
    // 65535 x 65535 with a few bytes of data.
    h = Sized(1, 1, 8, 3, 65535);
    h.xmin = 0;
    h.xmax = 65534;
    h.ymax = 65534;
    ExpectFails(File(h, {0xFF, 1, 0xFF, 2}, ColourMap()), msg::kPcxCorrupted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(PcxRead, BrokenSampleFilesGiveTheirOwnTexts) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    ExpectFails(testing_support::ReadFileBytes(dir + "/gen--pcx-fail-run-past-end.pcx"), msg::kPcxRepeat);
    ExpectFails(testing_support::ReadFileBytes(dir + "/gen--pcx-fail-manufacturer-11.pcx"), msg::kPcxNotPcx);
}
