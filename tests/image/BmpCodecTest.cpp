// BMP reader and writer: round trips, hand-built files of every stored layout, RLE
// streams with deltas and early ends, and broken or hostile headers.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
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

void Append(Bytes& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }
void Append16(Bytes& out, uint16_t v) { Append(out, {uint8_t(v), uint8_t(v >> 8)}); }
void Append32(Bytes& out, uint32_t v) { Append(out, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// A hand-built information header of `size` bytes (40 or more); masks, when given,
// go into a header of 52 bytes or more.
struct InfoHeader {
    uint32_t size = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPpm = 0;
    int32_t yPpm = 0;
    uint32_t colours = 0;
    std::vector<uint32_t> masks;

    Bytes Build() const {
        Bytes b;
        Append32(b, size);
        Append32(b, uint32_t(width));
        Append32(b, uint32_t(height));
        Append16(b, 1);
        Append16(b, bits);
        Append32(b, compression);
        Append32(b, sizeImage);
        Append32(b, uint32_t(xPpm));
        Append32(b, uint32_t(yPpm));
        Append32(b, colours);
        Append32(b, 0);
        for (size_t i = 0; size > 40 && i < masks.size(); ++i) Append32(b, masks[i]);
        b.resize(size, 0);
        return b;
    }
};

// File header + info header + extra (masks, palette) + pixels, with the data offset
// pointing at the pixels.
Bytes WithFileHeader(const Bytes& info, const Bytes& extra, const Bytes& pixels) {
    Bytes b = {'B', 'M'};
    const uint32_t offset = uint32_t(14 + info.size() + extra.size());
    Append32(b, uint32_t(offset + pixels.size()));
    Append32(b, 0);
    Append32(b, offset);
    b.insert(b.end(), info.begin(), info.end());
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

bool Decode(const Bytes& file, CImageBuffer& out) {
    MemoryStream in(file.data(), file.size());
    return codec::DecodeBmp(in, out);
}

Bytes Encode(CImageBuffer& image) {
    MemoryStream out;
    EXPECT_TRUE(codec::EncodeBmp(out, image)) << image.LastError();
    return out.Buffer();
}

uint32_t Rgb(const CImageBuffer& image, int x, int y) {
    const RgbQuad c = image.ColourAt(x, y);
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

void ExpectFails(const Bytes& file, const char* text) {
    CImageBuffer image(kFormatBmp);
    EXPECT_FALSE(Decode(file, image));
    EXPECT_EQ(image.LastError(), text);
    EXPECT_FALSE(image.IsValid());
}

// A picture whose every pixel differs from its neighbours, any depth.
void Pattern(CImageBuffer& image, int width, int height, int bits) {
    ASSERT_TRUE(image.Allocate(width, height, bits, kFormatBmp));
    for (int i = 0; i < image.PaletteCount(); ++i)
        image.SetPaletteEntry(i, uint8_t(i * 7 + 1), uint8_t(255 - i), uint8_t(i * 13 + 5));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bits == 24) {
                uint8_t* p = image.Row(y) + 3 * x;
                p[0] = uint8_t(x * 31 + y);
                p[1] = uint8_t(y * 17 + 3);
                p[2] = uint8_t(x ^ (y * 5));
            } else {
                const int index = (x * 3 + y * 5) % image.PaletteCount();
                CImageBuffer::PutIndex(image.PixelArea(), bits, image.Stride(), x, y, uint8_t(index));
            }
        }
}

void ExpectSamePicture(const CImageBuffer& got, const CImageBuffer& want) {
    ASSERT_EQ(got.Width(), want.Width());
    ASSERT_EQ(got.Height(), want.Height());
    ASSERT_EQ(got.Bpp(), want.Bpp());
    for (int i = 0; i < want.PaletteCount(); ++i) EXPECT_EQ(got.PaletteEntry(i), want.PaletteEntry(i)) << i;
    for (int y = 0; y < want.Height(); ++y)
        for (int x = 0; x < want.Width(); ++x) {
            if (want.Bpp() < 24) {
                EXPECT_EQ(got.IndexAt(x, y), want.IndexAt(x, y)) << x << "," << y;
            }
            EXPECT_EQ(Rgb(got, x, y), Rgb(want, x, y)) << x << "," << y;
        }
}

}  // namespace

TEST(BmpWrite, FileHeaderThenTheBlock) {
    CImageBuffer image(kFormatBmp);
    Pattern(image, 3, 2, 8);
    const Bytes file = Encode(image);
    ASSERT_EQ(file.size(), 14u + 40u + 1024u + 8u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(GetLE32(&file[2]), 14u + image.BlockSize());
    EXPECT_EQ(GetLE32(&file[6]), 0u);
    EXPECT_EQ(GetLE32(&file[10]), 14u + 40u + 1024u);
    const std::vector<uint8_t> dib = image.ToPackedDib();
    ASSERT_EQ(dib.size(), image.BlockSize());
    EXPECT_EQ(0, std::memcmp(&file[14], dib.data(), dib.size()));
}

TEST(BmpWrite, WriteFailureGivesText) {
    CImageBuffer image(kFormatBmp);
    Pattern(image, 2, 2, 24);
    const uint8_t fixed[4] = {};
    MemoryStream readOnly(fixed, sizeof fixed);
    EXPECT_FALSE(codec::EncodeBmp(readOnly, image));
    EXPECT_EQ(image.LastError(), msg::kBmpWrite);
    CImageBuffer empty(kFormatBmp);
    MemoryStream out;
    EXPECT_FALSE(codec::EncodeBmp(out, empty));
    EXPECT_FALSE(empty.LastError().empty());
}

TEST(BmpRoundTrip, EveryDepthAndAwkwardWidths) {
    for (int bits : {1, 4, 8, 24})
        for (int width : {1, 3, 7, 9, 33})
            for (int height : {1, 2, 5}) {
                SCOPED_TRACE(testing::Message() << bits << " bits " << width << "x" << height);
                CImageBuffer image(kFormatBmp);
    Pattern(image, width, height, bits);
                image.SetHorizontalDpi(300);
                image.SetVerticalDpi(150);
                CImageBuffer back(kFormatBmp);
                ASSERT_TRUE(Decode(Encode(image), back)) << back.LastError();
                ExpectSamePicture(back, image);
                EXPECT_EQ(back.Info().dpiX, 300);
                EXPECT_EQ(back.Info().dpiY, 150);
                EXPECT_EQ(back.Type(), 0);
            }
}

TEST(BmpRoundTrip, ThroughTheImageObjectAndAFile) {
    testing_support::TempDir dir;
    CImageBuffer image(kFormatBmp);
    Pattern(image, 5, 4, 24);
    ASSERT_TRUE(image.Save(dir.File("p.bmp"), kFormatBmp));
    CImageBuffer back(dir.File("p.bmp"), kFormatBmp);
    ASSERT_TRUE(back.IsValid()) << back.LastError();
    ExpectSamePicture(back, image);
}

TEST(BmpRead, HeaderlessDataIsTheBlock) {
    CImageBuffer image(kFormatBmp);
    Pattern(image, 7, 3, 4);
    const Bytes file = Encode(image);
    const Bytes dib(file.begin() + 14, file.end());
    CImageBuffer back(kFormatBmp);
    ASSERT_TRUE(Decode(dib, back)) << back.LastError();
    ExpectSamePicture(back, image);
}

TEST(BmpRead, HeaderlessPixelsFollowMasksAndPalette) {
    // 40-byte header, bit fields after it, then two 32-bit pixels (top-down 2x1).
    InfoHeader h;
    h.width = 2;
    h.height = -1;
    h.bits = 32;
    h.compression = 3;
    Bytes masks;
    Append32(masks, 0x0000FF00);  // red in the second byte
    Append32(masks, 0x00FF0000);  // green in the third
    Append32(masks, 0xFF000000);  // blue in the fourth
    const Bytes pixels = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(Concat({h.Build(), masks, pixels}), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(Rgb(image, 0, 0), 0x223344u);
    EXPECT_EQ(Rgb(image, 1, 0), 0x667788u);

    // A 24-bit packed bitmap with an (unused) 2-entry colour table before its pixels.
    InfoHeader t;
    t.colours = 2;
    const Bytes table = {1, 2, 3, 0, 4, 5, 6, 0};
    const Bytes pixel = {0x10, 0x20, 0x30, 0};
    CImageBuffer rgb(kFormatBmp);
    ASSERT_TRUE(Decode(Concat({t.Build(), table, pixel}), rgb)) << rgb.LastError();
    EXPECT_EQ(Rgb(rgb, 0, 0), 0x302010u);
}

TEST(BmpRead, ClipboardDibWithV5HeaderAndNegativeHeight) {
    // 124-byte header with its own masks (5-6-5), 2x2 top-down: the packed form the
    // clipboard gives, read through the image object.
    InfoHeader h;
    h.size = 124;
    h.width = 2;
    h.height = -2;
    h.bits = 16;
    h.compression = 3;
    h.masks = {0xF800, 0x07E0, 0x001F};
    Bytes pixels;
    Append16(pixels, 0xF800);  // top left: red 31 -> 248
    Append16(pixels, 0x07E0);  // top right: green 63 -> 252
    Append16(pixels, 0x001F);  // bottom left: blue 31 -> 248
    Append16(pixels, 0xFFFF);
    const Bytes dib = Concat({h.Build(), pixels});
    CImageBuffer image(kFormatBmp);
    DibHeader header;
    ASSERT_TRUE(image.FromPackedDib(dib.data(), dib.size(), &header)) << image.LastError();
    EXPECT_EQ(header.biHeight, 2);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(Rgb(image, 0, 1), 0xF80000u);
    EXPECT_EQ(Rgb(image, 1, 1), 0x00FC00u);
    EXPECT_EQ(Rgb(image, 0, 0), 0x0000F8u);
    EXPECT_EQ(Rgb(image, 1, 0), 0xF8FCF8u);
}

TEST(BmpRead, SixteenBitsAreShiftedNotRescaled) {
    // Compression 0: 5-5-5. Width 3 makes a 6-byte row padded to 8.
    InfoHeader h;
    h.width = 3;
    h.height = 1;
    h.bits = 16;
    Bytes pixels;
    Append16(pixels, 0x7C00);  // red 31
    Append16(pixels, 0x03E0 | 0x8000);  // green 31, top bit outside every mask
    Append16(pixels, 0x0001);  // blue 1 -> 8
    Append16(pixels, 0);
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), {}, pixels), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(Rgb(image, 0, 0), 0xF80000u);
    EXPECT_EQ(Rgb(image, 1, 0), 0x00F800u);
    EXPECT_EQ(Rgb(image, 2, 0), 0x000008u);
}

TEST(BmpRead, ThirtyTwoBitsWithBitFieldsOnly) {
    InfoHeader h;
    h.size = 108;
    h.bits = 32;
    h.width = 1;
    h.compression = 3;
    h.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};  // 10-bit channels keep their top 8 bits
    Bytes pixel;
    Append32(pixel, (0x3FFu << 20) | (0x200u << 10) | 0x003u);
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), {}, pixel), image)) << image.LastError();
    EXPECT_EQ(Rgb(image, 0, 0), 0xFF8000u);

    h.compression = 0;
    ExpectFails(WithFileHeader(h.Build(), {}, pixel), msg::kBmpUnknownCompression);
}

TEST(BmpRead, CompressionMismatches) {
    InfoHeader h;
    h.compression = 1;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(4)), msg::kBmpUnknownCompression);
    h.bits = 8;
    h.compression = 2;  // RLE4 on an 8-bit picture
    ExpectFails(WithFileHeader(h.Build(), Bytes(1024), Bytes(4)), msg::kBmpCompression);
    h.compression = 4;  // JPEG inside a BMP
    ExpectFails(WithFileHeader(h.Build(), Bytes(1024), Bytes(4)), msg::kBmpCompression);
}

TEST(BmpRead, CoreHeaderHasThreeBytePaletteEntries) {
    // 12-byte header, 1 bit, 10x2, bottom row first.
    Bytes info;
    Append32(info, 12);
    Append16(info, 10);
    Append16(info, 2);
    Append16(info, 1);
    Append16(info, 1);
    const Bytes palette = {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0};  // blue, green, red
    const Bytes pixels = {0x80, 0x40, 0, 0, 0xFF, 0xC0, 0, 0};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(info, palette, pixels), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 1);
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.PaletteEntry(0), 0x302010u);
    EXPECT_EQ(image.PaletteEntry(1), 0xC0B0A0u);
    EXPECT_EQ(image.IndexAt(0, 0), 1);
    EXPECT_EQ(image.IndexAt(1, 0), 0);
    EXPECT_EQ(image.IndexAt(9, 0), 1);  // bit 6 of the second byte
    EXPECT_EQ(image.IndexAt(8, 0), 0);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(image.IndexAt(x, 1), 1) << x;
}

TEST(BmpRead, PaletteStopsAtThePixelOffset) {
    // 8 bits with clrUsed 0 but only two entries stored before the pixels.
    InfoHeader h;
    h.bits = 8;
    h.width = 2;
    const Bytes palette = {0, 0, 255, 0, 0, 255, 0, 0};
    const Bytes pixels = {1, 0, 0, 0};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, pixels), image)) << image.LastError();
    EXPECT_EQ(Rgb(image, 0, 0), 0x00FF00u);
    EXPECT_EQ(Rgb(image, 1, 0), 0xFF0000u);
    EXPECT_EQ(image.PaletteEntry(2), 0u);
}

TEST(BmpRead, TopDownRowsAndResolution) {
    InfoHeader h;
    h.width = 1;
    h.height = -2;
    h.xPpm = 3780;  // 96 dpi
    h.yPpm = 0;     // none: the default stays
    const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), {}, pixels), image)) << image.LastError();
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(Rgb(image, 0, 1), 0x030201u);  // first stored row is the top one
    EXPECT_EQ(Rgb(image, 0, 0), 0x060504u);
    EXPECT_EQ(image.Info().dpiX, 96);
    EXPECT_EQ(image.Info().dpiY, 72);
}

TEST(BmpRead, LastRowMayLackItsPadding) {
    InfoHeader h;
    h.width = 1;
    h.height = 2;
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), {}, {1, 2, 3, 0, 4, 5, 6}), image)) << image.LastError();
    EXPECT_EQ(Rgb(image, 0, 1), 0x060504u);
    ExpectFails(WithFileHeader(h.Build(), {}, {1, 2, 3, 0, 4, 5}), msg::kBmpCorrupted);
}

TEST(BmpRle, EightBitRunsDeltaEndOfLineAndEndOfBitmap) {
    InfoHeader h;
    h.width = 4;
    h.height = 3;
    h.bits = 8;
    h.compression = 1;
    h.colours = 4;
    const Bytes palette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0};  // red, green, blue, black
    const Bytes rle = {
        0x02, 0x01,                    // line 0: x 0..1 = 1
        0x00, 0x02, 0x01, 0x01,        // delta: x 3, line 1
        0x01, 0x02,                    // line 1: x 3 = 2
        0x00, 0x00,                    // end of line: line 2
        0x00, 0x03, 0x00, 0x01, 0x02, 0x00,  // literal 0 1 2, padded to 4 bytes
        0x03, 0x03,                    // x 3 = 3; x 4 and 5 fall in the row padding
        0x00, 0x01,                    // end of bitmap
    };
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, rle), image)) << image.LastError();
    ASSERT_EQ(image.Bpp(), 8);
    const uint32_t W = 0xFFFFFF, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;
    const uint32_t want[3][4] = {{G, G, W, W}, {W, W, W, B}, {R, G, B, K}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Rgb(image, x, y), want[y][x]) << x << "," << y;
    // The white came from the first palette entry no pixel uses.
    EXPECT_EQ(image.PaletteEntry(4), 0xFFFFFFu);
}

TEST(BmpRle, FourBitNibblesAlternate) {
    InfoHeader h;
    h.width = 5;
    h.height = 2;
    h.bits = 4;
    h.compression = 2;
    Bytes palette;
    for (int i = 0; i < 16; ++i) Append(palette, {uint8_t(i), uint8_t(i * 16), uint8_t(200), 0});
    const Bytes rle = {
        0x03, 0x12,              // line 0: 1 2 1
        0x00, 0x03, 0x34, 0x50,  // literal nibbles 3 4 5 (5 lands in the padding)
        0x00, 0x00,              // end of line
        0x00, 0x02, 0x02, 0x00,  // delta right 2
        0x02, 0x67,              // x 2 and 3: 6 7
        0x00, 0x01,
    };
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, rle), image)) << image.LastError();
    ASSERT_EQ(image.Bpp(), 4);
    const int bottom[5] = {1, 2, 1, 3, 4};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.IndexAt(x, 0), bottom[x]) << x;
    EXPECT_EQ(image.IndexAt(2, 1), 6);
    EXPECT_EQ(image.IndexAt(3, 1), 7);
    // No entry is white; entry 0 is the first unused one and becomes white.
    for (int x : {0, 1, 4}) EXPECT_EQ(Rgb(image, x, 1), 0xFFFFFFu) << x;
    EXPECT_EQ(Rgb(image, 2, 1), (200u << 16) | (96u << 8) | 6u);
}

TEST(BmpRle, FullPaletteWithoutWhiteBecomesTrueColour) {
    // 17x16, every line a literal of 16 indices: all 256 entries used, none white,
    // and the last column is never written.
    InfoHeader h;
    h.width = 17;
    h.height = 16;
    h.bits = 8;
    h.compression = 1;
    Bytes palette;
    for (int i = 0; i < 256; ++i) Append(palette, {0, 0, uint8_t(i), 0});
    Bytes rle;
    for (int line = 0; line < 16; ++line) {
        Append(rle, {0x00, 16});
        for (int i = 0; i < 16; ++i) rle.push_back(uint8_t(line * 16 + i));
        Append(rle, {0x00, 0x00});
    }
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, rle), image)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(Rgb(image, 5, 3), uint32_t(3 * 16 + 5) << 16);
    EXPECT_EQ(Rgb(image, 16, 3), 0xFFFFFFu);
}

TEST(BmpRle, OutOfPictureMovesAreClippedAndShortDataFails) {
    InfoHeader h;
    h.width = 2;
    h.height = 2;
    h.bits = 8;
    h.compression = 1;
    const Bytes palette(1024, 0);
    // A delta far above the picture ends it; nothing is written out of bounds.
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, {0x01, 0x05, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0x07}), image));
    EXPECT_EQ(image.IndexAt(0, 0), 5);
    // A long run from the middle of the last line stops at the width.
    ASSERT_TRUE(Decode(WithFileHeader(h.Build(), palette, {0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0xFF, 0x09}), image));
    EXPECT_EQ(image.IndexAt(1, 1), 9);
    // Data cut inside a literal, or before the picture's last line.
    ExpectFails(WithFileHeader(h.Build(), palette, {0x00, 0x04, 0x01, 0x02}), msg::kBmpCorrupted);
    ExpectFails(WithFileHeader(h.Build(), palette, {0x02, 0x01, 0x00, 0x00}), msg::kBmpCorrupted);
}

TEST(BmpHostile, HugeClaimsFailBeforeAllocating) {
    const auto start = std::chrono::steady_clock::now();
    InfoHeader h;
    h.width = 100000;
    h.height = 100000;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(300)), msg::kBmpCorrupted);
    h.height = INT_MIN;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(300)), msg::kBmpCorrupted);
    h.width = 1;
    h.height = 1 << 30;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(300)), msg::kBmpCorrupted);
    // RLE may compress well, but not 10^10 pixels into four bytes.
    h.width = h.height = 100000;
    h.bits = 8;
    h.compression = 1;
    ExpectFails(WithFileHeader(h.Build(), Bytes(1024), {0, 0, 0, 1}), msg::kBmpCorrupted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(BmpHostile, BadSizesCountsAndOffsets) {
    InfoHeader h;
    h.width = -4;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(64)), msg::kBmpCorrupted);
    h.width = 4;
    h.height = 0;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(64)), msg::kBmpCorrupted);
    h.height = 1;
    h.bits = 7;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(64)), msg::kBmpCorrupted);
    h.bits = 8;
    h.colours = 300;
    ExpectFails(WithFileHeader(h.Build(), Bytes(1200), Bytes(4)), msg::kBmpCorrupted);
    // Palette (headerless: 256 entries assumed) longer than the data.
    h.colours = 0;
    ExpectFails(Concat({h.Build(), Bytes(100)}), msg::kBmpCorrupted);
    // Pixel offset past the end of the file.
    h.bits = 24;
    Bytes file = WithFileHeader(h.Build(), {}, Bytes(12));
    PutLE32(&file[10], 5000);
    ExpectFails(file, msg::kBmpCorrupted);
    // Header sizes that no BMP has, and headers cut short.
    h.size = 41;
    ExpectFails(WithFileHeader(h.Build(), {}, Bytes(12)), msg::kBmpCorrupted);
    h.size = 40;
    const Bytes whole = WithFileHeader(h.Build(), {}, Bytes(12));
    ExpectFails(Bytes(whole.begin(), whole.begin() + 30), msg::kBmpCorrupted);
    ExpectFails({}, msg::kBmpCorrupted);
}

TEST(BmpHostile, OtherFormatsAreNotMistakenForHeaderlessBitmaps) {
    for (const Bytes& other : {Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16},
                               Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, Bytes{10, 5, 1, 8, 0, 0}}) {
        Bytes padded = other;
        padded.resize(200, 0);
        ExpectFails(padded, msg::kBmpCorrupted);
    }
}

TEST(BmpHostile, BrokenSampleFilesAreCorrupted) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    for (const char* name : {"gen--bmp-fail-claims-100000x100000.bmp", "gen--bmp-fail-truncated-pixels.bmp"})
        ExpectFails(testing_support::ReadFileBytes(dir + "/" + name), msg::kBmpCorrupted);
}

// Found by fuzzing: a resolution of 2^31 - 1 pixels per metre is 54.5 million DPI,
// whose conversion back to pixels per metre passed the int range. It is held to it.
TEST(BmpRead, HugeResolutionKeepsItsDpiAndTheLargestPixelsPerMetre) {
    MemoryStream in(testing_support::RegressionBytes("bmp/resolution-2147483647-pels-per-metre.bmp"));
    CImageBuffer image;
    ASSERT_TRUE(image.Decode(in, kFormatBmp)) << image.LastError();
    EXPECT_EQ(image.Info().dpiX, 54546085);  // floor(2147483647 x 0.0254 + 0.5)
    EXPECT_EQ(image.Header().biXPelsPerMeter, INT_MAX);
    image.SetVerticalDpi(INT_MIN);
    EXPECT_EQ(image.Header().biYPelsPerMeter, INT_MIN);
}
