// The TIFF reader and writer: round trips of every depth, page selection, small
// files built here byte by byte for the layouts the reader must turn into indices
// (grey ramps, white-is-zero, 2- and 16-bit samples, extra samples, tiles, colour
// maps, orientation), and hostile or broken files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "TestSupport.h"

namespace {

// ---- A minimal TIFF writer for test files ----

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian = false) : m_big(bigEndian) {}

    // Values of a rational are given as numerator, denominator pairs.
    TiffBuilder& Tag(uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
        m_tags[tag] = {type, std::move(values)};
        return *this;
    }
    // The common tags of an uncompressed picture.
    TiffBuilder& Picture(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t photometric) {
        Tag(256, kLong, {width}).Tag(257, kLong, {height}).Tag(259, kShort, {1}).Tag(262, kShort, {photometric});
        Tag(258, kShort, std::vector<uint32_t>(samples, bits)).Tag(277, kShort, {samples});
        return *this;
    }
    // The file with the data blocks (strips, or tiles when `tiles`) after the header.
    std::vector<uint8_t> Build(const std::vector<std::vector<uint8_t>>& blocks, bool tiles = false) {
        std::vector<uint32_t> offsets, counts;
        size_t at = 8;
        for (const auto& b : blocks) {
            offsets.push_back(uint32_t(at));
            counts.push_back(uint32_t(b.size()));
            at += b.size();
        }
        if (!blocks.empty()) {
            Tag(tiles ? 324 : 273, kLong, offsets);
            Tag(tiles ? 325 : 279, kLong, counts);
            if (!tiles && !m_tags.count(278)) Tag(278, kLong, {m_tags.at(257).values[0]});
        }
        std::vector<uint8_t> out;
        out.push_back(m_big ? 'M' : 'I');
        out.push_back(m_big ? 'M' : 'I');
        Put16(out, 42);
        const size_t ifd = (at + 1) & ~size_t(1);
        Put32(out, uint32_t(ifd));
        for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
        out.resize(ifd);
        std::vector<uint8_t> extra;
        const size_t extraStart = ifd + 2 + 12 * m_tags.size() + 4;
        Put16(out, uint16_t(m_tags.size()));
        for (const auto& [tag, entry] : m_tags) {
            std::vector<uint8_t> value;
            for (uint32_t v : entry.values) entry.type == kShort ? Put16(value, uint16_t(v)) : Put32(value, v);
            const uint32_t count = uint32_t(entry.type == kRational ? entry.values.size() / 2 : entry.values.size());
            Put16(out, tag);
            Put16(out, entry.type);
            Put32(out, count);
            if (value.size() <= 4) {
                value.resize(4, 0);
                out.insert(out.end(), value.begin(), value.end());
            } else {
                Put32(out, uint32_t(extraStart + extra.size()));
                extra.insert(extra.end(), value.begin(), value.end());
            }
        }
        Put32(out, 0);
        out.insert(out.end(), extra.begin(), extra.end());
        return out;
    }

private:
    void Put16(std::vector<uint8_t>& out, uint16_t v) const {
        const uint8_t b[2] = {uint8_t(m_big ? v >> 8 : v), uint8_t(m_big ? v : v >> 8)};
        out.insert(out.end(), b, b + 2);
    }
    void Put32(std::vector<uint8_t>& out, uint32_t v) const {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (m_big ? 24 - 8 * i : 8 * i)));
    }
    struct Entry {
        uint16_t type;
        std::vector<uint32_t> values;
    };
    bool m_big;
    std::map<uint16_t, Entry> m_tags;
};

bool DecodeBytes(const std::vector<uint8_t>& bytes, CImageBuffer& image, int page = 0) {
    MemoryStream in(bytes.data(), bytes.size());
    image.Info().page = page;
    return codec::DecodeTiff(in, image);
}

std::vector<uint8_t> EncodeBytes(CImageBuffer& image) {
    MemoryStream out;
    EXPECT_TRUE(codec::EncodeTiff(out, image)) << image.LastError();
    return out.Buffer();
}

// Grey level (red channel) of each pixel, lines from the top.
std::vector<int> GreyLines(const CImageBuffer& image) {
    std::vector<int> v;
    for (int line = 0; line < image.Height(); ++line)
        for (int x = 0; x < image.Width(); ++x) v.push_back(image.ColourAt(x, image.Height() - 1 - line).red);
    return v;
}

void FillIndices(CImageBuffer& image, int modulo) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            CImageBuffer::PutIndex(image.PixelArea(), image.Bpp(), image.Stride(), x, y, uint8_t((3 * x + 5 * y) % modulo));
}

::testing::AssertionResult SameIndicesAndPalette(const CImageBuffer& a, const CImageBuffer& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Bpp() != b.Bpp())
        return ::testing::AssertionFailure() << "size or depth " << b.Width() << "x" << b.Height() << "x" << b.Bpp();
    for (int i = 0; i < a.PaletteCount(); ++i)
        if ((a.PaletteEntry(i) & 0xFFFFFF) != (b.PaletteEntry(i) & 0xFFFFFF))
            return ::testing::AssertionFailure() << "palette entry " << i;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.IndexAt(x, y) != b.IndexAt(x, y)) return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

// ---- Round trips ----

TEST(TIFFCodec, OneBitRoundTripIsExact) {
    for (bool blackFirst : {true, false}) {
        CImageBuffer image(13, 5, 1, kFormatTiff);
        image.SetPaletteEntry(blackFirst ? 0 : 1, 0, 0, 0);
        image.SetPaletteEntry(blackFirst ? 1 : 0, 255, 255, 255);
        FillIndices(image, 2);
        CImageBuffer back(kFormatTiff);
        ASSERT_TRUE(DecodeBytes(EncodeBytes(image), back)) << back.LastError();
        EXPECT_TRUE(SameIndicesAndPalette(image, back)) << "black first: " << blackFirst;
    }
}

TEST(TIFFCodec, FourBitRoundTripIsExact) {
    CImageBuffer colour(7, 3, 4, kFormatTiff);
    for (int i = 0; i < 16; ++i) colour.SetPaletteEntry(i, uint8_t(i * 16), uint8_t(255 - i), uint8_t(i * 3));
    FillIndices(colour, 16);
    CImageBuffer back(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(colour), back)) << back.LastError();
    EXPECT_TRUE(SameIndicesAndPalette(colour, back));

    CImageBuffer grey(9, 4, 4, kFormatTiff);
    grey.MakeGreyPalette();  // 0, 17, ... 255: written as black-is-zero
    FillIndices(grey, 16);
    CImageBuffer greyBack(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(grey), greyBack));
    EXPECT_TRUE(SameIndicesAndPalette(grey, greyBack));
}

TEST(TIFFCodec, EightBitRoundTripIsExact) {
    CImageBuffer grey(11, 6, 8, kFormatTiff);
    grey.MakeGreyPalette();
    FillIndices(grey, 256);
    CImageBuffer back(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(grey), back));
    EXPECT_TRUE(SameIndicesAndPalette(grey, back));

    CImageBuffer colour(11, 6, 8, kFormatTiff);
    for (int i = 0; i < 256; ++i) colour.SetPaletteEntry(i, uint8_t(i), uint8_t(i * 7), uint8_t(255 - i));
    FillIndices(colour, 256);
    CImageBuffer colourBack(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(colour), colourBack));
    EXPECT_TRUE(SameIndicesAndPalette(colour, colourBack));
}

TEST(TIFFCodec, TrueColourRoundTripIsExact) {
    for (int bpp : {24, 32}) {
        CImageBuffer image(17, 9, bpp, kFormatTiff);
        testing_support::FillTrueColour(image, [](int x, int y) {
            return (uint32_t(40 + 10 * x) << 16) | (uint32_t(200 - 5 * y) << 8) | uint32_t(60 + 3 * x + 2 * y);
        });
        image.Info().quality = 100;
        CImageBuffer back(kFormatTiff);
        ASSERT_TRUE(DecodeBytes(EncodeBytes(image), back)) << back.LastError();
        EXPECT_EQ(back.Bpp(), 24);
        ASSERT_EQ(back.Width(), 17);
        ASSERT_EQ(back.Height(), 9);
        int worst = 0;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 17; ++x) {
                const RgbQuad a = image.ColourAt(x, y), b = back.ColourAt(x, y);
                worst = std::max({worst, std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
            }
        EXPECT_EQ(worst, 0) << bpp << " bits";
    }
}

TEST(TIFFCodec, ResolutionIsWrittenAndRead) {
    CImageBuffer image(5, 5, 8, kFormatTiff);
    image.MakeGreyPalette();
    image.SetHorizontalDpi(300);
    image.SetVerticalDpi(150);
    CImageBuffer back(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(image), back));
    EXPECT_EQ(back.Info().dpiX, 300);
    EXPECT_EQ(back.Info().dpiY, 150);
    EXPECT_EQ(back.Info().pageCount, 1);
}

TEST(TIFFCodec, SaveAndLoadThroughFiles) {
    testing_support::TempDir dir;
    CImageBuffer image(6, 3, 8, kFormatTiff);
    image.MakeGreyPalette();
    FillIndices(image, 256);
    ASSERT_TRUE(image.Save(dir.File("a.tif"), kFormatTiff));
    CImageBuffer back(dir.File("a.tif"), kFormatTiff);
    ASSERT_TRUE(back.IsValid()) << back.LastError();
    EXPECT_TRUE(SameIndicesAndPalette(image, back));
}

// ---- Writing failures ----

TEST(TIFFCodec, WriteFailuresHaveTheirTexts) {
    CImageBuffer image(4, 4, 8, kFormatTiff);
    image.MakeGreyPalette();
    FileStream closed;
    EXPECT_FALSE(codec::EncodeTiff(closed, image));
    EXPECT_EQ(image.LastError(), msg::kTiffFilePointer);

    const uint8_t none[1] = {0};
    MemoryStream readOnly(none, 0);
    EXPECT_FALSE(codec::EncodeTiff(readOnly, image));
    EXPECT_EQ(image.LastError(), msg::kTiffInit);
}

// ---- Pages ----

TEST(TIFFCodec, PagesAreSelectedByIndex) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP() << "no test pictures";
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(dir + "/gen--im-tiff-multipage3.tif");
    CImageBuffer first(kFormatTiff), last(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(bytes, first, 0)) << first.LastError();
    ASSERT_TRUE(DecodeBytes(bytes, last, 2)) << last.LastError();
    EXPECT_EQ(first.Info().pageCount, 3);
    EXPECT_EQ(last.Info().pageCount, 3);
    EXPECT_EQ(first.Bpp(), 24);
    EXPECT_EQ(last.Bpp(), 8);  // the third page is grey

    for (int bad : {3, -1}) {
        CImageBuffer missing(kFormatTiff);
        EXPECT_FALSE(DecodeBytes(bytes, missing, bad));
        EXPECT_EQ(missing.LastError(), msg::kTiffPage);
        EXPECT_FALSE(missing.IsValid());
    }

    // Through the picture's Decode, which hands the page to the codec.
    CImageBuffer image(kFormatTiff);
    image.Info().page = 1;
    MemoryStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(image.Decode(in, kFormatTiff));
    EXPECT_EQ(image.Info().pageCount, 3);
    EXPECT_EQ(image.Info().page, 1);
}

// ---- Layouts read strip by strip ----

TEST(TIFFCodec, GreyRampsAndWhiteIsZero) {
    // 8-bit black-is-zero: the sample is the grey level.
    CImageBuffer a(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(3, 2, 8, 1, 1).Build({{0, 100, 255, 7, 8, 9}}), a)) << a.LastError();
    EXPECT_EQ(a.Bpp(), 8);
    EXPECT_EQ(GreyLines(a), (std::vector<int>{0, 100, 255, 7, 8, 9}));

    // 8-bit white-is-zero: reversed ramp.
    CImageBuffer b(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(3, 1, 8, 1, 0).Build({{0, 100, 255}}), b));
    EXPECT_EQ(GreyLines(b), (std::vector<int>{255, 155, 0}));

    // 4-bit: ramp of 17, reversed for white-is-zero.
    CImageBuffer c(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(3, 1, 4, 1, 1).Build({{0x0F, 0x30}}), c));
    EXPECT_EQ(c.Bpp(), 4);
    EXPECT_EQ(GreyLines(c), (std::vector<int>{0, 255, 51}));
    CImageBuffer d(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(3, 1, 4, 1, 0).Build({{0x0F, 0x30}}), d));
    EXPECT_EQ(GreyLines(d), (std::vector<int>{255, 0, 204}));

    // 1-bit white-is-zero: 0 is white.
    CImageBuffer e(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(10, 1, 1, 1, 0).Build({{0xA0, 0x40}}), e));
    EXPECT_EQ(e.Bpp(), 1);
    EXPECT_EQ(GreyLines(e), (std::vector<int>{0, 255, 0, 255, 255, 255, 255, 255, 255, 0}));
}

TEST(TIFFCodec, TwoAndSixteenBitGrey) {
    // 2-bit samples 0..3 become the grey levels 0, 85, 170, 255.
    CImageBuffer two(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(TiffBuilder().Picture(5, 1, 2, 1, 1).Build({{0x1B, 0xC0}}), two)) << two.LastError();
    EXPECT_EQ(GreyLines(two), (std::vector<int>{0, 85, 170, 255, 255}));

    // 16-bit samples keep their high byte, in either byte order.
    for (bool big : {false, true}) {
        const std::vector<uint8_t> data = big ? std::vector<uint8_t>{0x12, 0x34, 0xFF, 0x01, 0x00, 0xFF}
                                              : std::vector<uint8_t>{0x34, 0x12, 0x01, 0xFF, 0xFF, 0x00};
        CImageBuffer sixteen(kFormatTiff);
        ASSERT_TRUE(DecodeBytes(TiffBuilder(big).Picture(3, 1, 16, 1, 1).Build({data}), sixteen)) << big;
        EXPECT_EQ(sixteen.Bpp(), 8);
        EXPECT_EQ(GreyLines(sixteen), (std::vector<int>{0x12, 0xFF, 0x00})) << (big ? "big-endian" : "little-endian");
    }
}

TEST(TIFFCodec, ExtraSamplesAreSkipped) {
    // Grey with an alpha sample: only the first sample of each pixel counts.
    CImageBuffer image(kFormatTiff);
    TiffBuilder builder;
    builder.Picture(3, 2, 8, 2, 1).Tag(338, kShort, {2});
    ASSERT_TRUE(DecodeBytes(builder.Build({{10, 255, 20, 0, 30, 9, 40, 1, 50, 2, 60, 3}}), image)) << image.LastError();
    EXPECT_EQ(GreyLines(image), (std::vector<int>{10, 20, 30, 40, 50, 60}));
}

TEST(TIFFCodec, SeveralStripsAndTiles) {
    // Rows per strip 2 over 5 rows: the last strip is short.
    CImageBuffer strips(kFormatTiff);
    TiffBuilder s;
    s.Picture(2, 5, 8, 1, 1).Tag(278, kLong, {2});
    ASSERT_TRUE(DecodeBytes(s.Build({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10}}), strips)) << strips.LastError();
    EXPECT_EQ(GreyLines(strips), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // 20 x 18 grey in 16 x 16 tiles: the right and bottom tiles are cut.
    const int width = 20, height = 18;
    std::vector<std::vector<uint8_t>> tiles;
    for (int ty = 0; ty < height; ty += 16)
        for (int tx = 0; tx < width; tx += 16) {
            std::vector<uint8_t> tile(256, 0);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (tx + x < width && ty + y < height) tile[size_t(y * 16 + x)] = uint8_t((tx + x) + 11 * (ty + y));
            tiles.push_back(tile);
        }
    TiffBuilder t;
    t.Picture(width, height, 8, 1, 1).Tag(322, kLong, {16}).Tag(323, kLong, {16});
    CImageBuffer tiled(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(t.Build(tiles, true), tiled)) << tiled.LastError();
    std::vector<int> expected;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) expected.push_back((x + 11 * y) & 0xFF);
    EXPECT_EQ(GreyLines(tiled), expected);
}

TEST(TIFFCodec, ColourMapsAreScaledOnlyWhenWide) {
    std::vector<uint32_t> narrow(3 * 4), wide(3 * 4);
    for (int i = 0; i < 4; ++i) {
        narrow[size_t(i)] = uint32_t(i * 60);  // red
        narrow[size_t(4 + i)] = 7;             // green
        narrow[size_t(8 + i)] = uint32_t(255 - i);
        wide[size_t(i)] = uint32_t(i * 60 * 257);
        wide[size_t(4 + i)] = 1000;  // 1000 x 255 / 65535 = 3.89: truncated to 3
        wide[size_t(8 + i)] = 65535;
    }
    CImageBuffer a(kFormatTiff), b(kFormatTiff);
    TiffBuilder na, wi;
    na.Picture(4, 1, 2, 1, 3).Tag(320, kShort, narrow);
    wi.Picture(4, 1, 2, 1, 3).Tag(320, kShort, wide);
    ASSERT_TRUE(DecodeBytes(na.Build({{0x1B}}), a)) << a.LastError();
    ASSERT_TRUE(DecodeBytes(wi.Build({{0x1B}}), b)) << b.LastError();
    EXPECT_EQ(a.Bpp(), 4);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(a.ColourAt(x, 0).Value(), RgbQuad({uint8_t(255 - x), 7, uint8_t(x * 60), 0}).Value()) << x;
        EXPECT_EQ(b.ColourAt(x, 0).Value(), RgbQuad({255, 3, uint8_t(x * 60), 0}).Value()) << x;
    }
}

TEST(TIFFCodec, ResolutionUnitsAndPosition) {
    TiffBuilder builder;
    // 118 dots per centimetre is 299.72 DPI; position 0.5 cm at 118 per cm is pixel 59.
    builder.Picture(2, 1, 8, 1, 1)
        .Tag(282, kRational, {118, 1})
        .Tag(283, kRational, {40, 1})
        .Tag(286, kRational, {1, 2})
        .Tag(287, kRational, {1, 4})
        .Tag(296, kShort, {3});
    CImageBuffer image(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(builder.Build({{1, 2}}), image)) << image.LastError();
    EXPECT_EQ(image.Info().dpiX, 300);
    EXPECT_EQ(image.Info().dpiY, 102);
    EXPECT_EQ(image.Info().xOffset, 59);
    EXPECT_EQ(image.Info().yOffset, 10);
}

TEST(TIFFCodec, IndexedPictureIsBroughtUpright) {
    // Stored 3 x 2 "1 2 3 / 4 5 6" with orientation 6 (turn a quarter clockwise):
    // upright 2 x 3 "4 1 / 5 2 / 6 3".
    TiffBuilder builder;
    builder.Picture(3, 2, 8, 1, 1).Tag(274, kShort, {6});
    CImageBuffer image(kFormatTiff);
    ASSERT_TRUE(DecodeBytes(builder.Build({{1, 2, 3, 4, 5, 6}}), image)) << image.LastError();
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(GreyLines(image), (std::vector<int>{4, 1, 5, 2, 6, 3}));
}

// ---- Hostile and broken files ----

TEST(TIFFCodec, SizeThatTheDataCannotHoldFailsFast) {
    // 40000 x 40000 grey would be a 1.6 GB picture that fits a signed 32-bit size.
    TiffBuilder builder;
    builder.Picture(40000, 40000, 8, 1, 1);
    const auto start = std::chrono::steady_clock::now();
    CImageBuffer image(kFormatTiff);
    EXPECT_FALSE(DecodeBytes(builder.Build({std::vector<uint8_t>(100, 7)}), image));
    EXPECT_EQ(image.LastError(), msg::kTiffCorrupted);
    EXPECT_FALSE(image.IsValid());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(TIFFCodec, TruncatedDataIsCorrupted) {
    // The strip's byte count says 8 bytes but the file ends 3 bytes after its start.
    TiffBuilder builder;
    builder.Picture(4, 2, 8, 1, 1).Tag(273, kLong, {0}).Tag(279, kLong, {8}).Tag(278, kLong, {2});
    const size_t size = builder.Build({}).size();
    builder.Tag(273, kLong, {uint32_t(size - 3)});
    CImageBuffer image(kFormatTiff);
    EXPECT_FALSE(DecodeBytes(builder.Build({}), image));
    EXPECT_EQ(image.LastError(), msg::kTiffCorrupted);
    EXPECT_FALSE(image.IsValid());

    // An encoded file cut in half fails with a text and no picture.
    CImageBuffer source(40, 40, 8, kFormatTiff);
    for (int i = 0; i < 256; ++i) source.SetPaletteEntry(i, uint8_t(i), 0, uint8_t(255 - i));
    FillIndices(source, 256);
    std::vector<uint8_t> encoded = EncodeBytes(source);
    encoded.resize(encoded.size() / 2);
    CImageBuffer cut(kFormatTiff);
    EXPECT_FALSE(DecodeBytes(encoded, cut));
    EXPECT_FALSE(cut.LastError().empty());
    EXPECT_FALSE(cut.IsValid());
}

TEST(TIFFCodec, NotTiffAtAll) {
    CImageBuffer image(kFormatTiff);
    EXPECT_FALSE(DecodeBytes({}, image));
    EXPECT_EQ(image.LastError(), msg::kTiffOpen);
    EXPECT_FALSE(DecodeBytes({'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F}, image));
    EXPECT_EQ(image.LastError(), msg::kTiffOpen);
    std::vector<uint8_t> noise(300);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 37 + 11);
    noise[0] = noise[1] = 'I';
    noise[2] = 42;
    noise[3] = 0;
    noise[4] = 8;
    noise[5] = noise[6] = noise[7] = 0;
    EXPECT_FALSE(DecodeBytes(noise, image));
    EXPECT_FALSE(image.LastError().empty());
}

TEST(TIFFCodec, FloatingPointGreyIsRefused) {
    TiffBuilder builder;
    builder.Picture(2, 1, 16, 1, 1).Tag(339, kShort, {3});
    CImageBuffer image(kFormatTiff);
    EXPECT_FALSE(DecodeBytes(builder.Build({{0, 60, 0, 56}}), image));
    EXPECT_EQ(image.LastError(), msg::kTiffCorrupted);
}

}  // namespace
