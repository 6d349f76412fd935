// Colour depth changes: the palette mapper against the plain nearest-entry scan, the
// optimal palette, 8-bit reduction and the way back to true colour, and the row
// packing helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ByteStream.h"
#include "ImageBuffer.h"
#include "Parallel.h"
#include "Quantize.h"
#include "Random.h"
#include "TestSupport.h"

using testing_support::FillTrueColour;

namespace {

uint32_t RandomColour() { return uint32_t(rng::Next() & 0xFF) | uint32_t(rng::Next() & 0xFF) << 8 | uint32_t(rng::Next() & 0xFF) << 16; }

uint32_t Rgb(const RgbQuad& c) { return (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue; }

TEST(PaletteMapper, AgreesWithTheNearestEntryScanEverywhere) {
    rng::Reset();
    for (int bits : {1, 4, 8}) {
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE(testing::Message() << bits << " bits, round " << round);
            CImageBuffer image(1, 1, bits, kFormatGif);
            const int n = image.PaletteCount();
            // Random entries with deliberate duplicates and near-duplicates, so that
            // equal distances occur and the first entry has to win.
            for (int i = 0; i < n; ++i) {
                const uint32_t c = (i > 2 && rng::Next() % 4 == 0) ? image.PaletteEntry(rng::Next() % i) ^ (rng::Next() % 2)
                                                                   : RandomColour();
                image.SetPaletteEntry(i, c);
            }
            if (round == 3) image.MakeGreyPalette();  // many equal distances off the grey axis
            PaletteMapper mapper(image);
            for (int k = 0; k < 15000; ++k) {
                const uint32_t colour = RandomColour();
                ASSERT_EQ(mapper.Map(colour), image.NearestPaletteIndex(colour)) << std::hex << colour;
            }
            // Again from the cache, and the palette entries themselves.
            rng::Reset(uint32_t(round + 7));
            for (int k = 0; k < 2000; ++k) {
                const uint32_t colour = RandomColour();
                ASSERT_EQ(mapper.Map(colour), image.NearestPaletteIndex(colour));
            }
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(mapper.Map(image.PaletteEntry(i)), image.NearestPaletteIndex(image.PaletteEntry(i)));
            // Every colour of a block that straddles several 8 x 8 x 8 cells.
            if (round == 0)
                for (uint32_t r = 100; r < 125; ++r)
                    for (uint32_t g = 3; g < 28; ++g)
                        for (uint32_t b = 230; b < 256; ++b) {
                            const uint32_t colour = r << 16 | g << 8 | b;
                            ASSERT_EQ(mapper.Map(colour), image.NearestPaletteIndex(colour)) << std::hex << colour;
                        }
        }
    }
    rng::Reset();
}

TEST(PaletteMapper, EqualDistancesGoToTheFirstEntry) {
    // (10,10,10) lies at distance 300 from both entries 2 and 3; entries 0 and 4 are
    // both exact matches for (200,0,0).
    const RgbQuad entries[5] = {{0, 0, 200, 0}, {255, 255, 255, 0}, {0, 0, 0, 0}, {20, 20, 20, 0}, {0, 0, 200, 0}};
    PaletteMapper mapper(entries, 5);
    EXPECT_EQ(mapper.Map(0x0A0A0A), 2);
    EXPECT_EQ(mapper.Map(0xC80000), 0);
    EXPECT_EQ(mapper.Map(0xFFFFFF), 1);
    // (7,7,7) is the far corner of its 8 x 8 x 8 block as seen from entry 1 at the
    // origin, and entry 0 is exactly as far away just outside the block: the first
    // entry must still be found there.
    const RgbQuad corner[2] = {{14, 14, 14, 0}, {0, 0, 0, 0}};
    EXPECT_EQ(PaletteMapper(corner, 2).Map(0x070707), 0);
    EXPECT_EQ(PaletteMapper(corner, 2).Map(0x060707), 1);
    const RgbQuad above[2] = {{0, 20, 0, 0}, {10, 10, 0, 0}};
    EXPECT_EQ(PaletteMapper(above, 2).Map(0x000A00), 0);
    PaletteMapper none(nullptr, 0);
    EXPECT_EQ(none.Map(0x123456), 0);
}

TEST(OptimalPalette, GivesExactlyTheColoursOfAPictureWithFewOfThem) {
    CImageBuffer image(13, 9, 24, kFormatBmp);
    FillTrueColour(image, [](int x, int y) { return uint32_t(((x * 37) % 5) * 0x330000 + y * 0x000F01); });
    std::set<uint32_t> distinct;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) distinct.insert(Rgb(image.ColourAt(x, y)));
    const std::vector<RgbQuad> palette = OptimalPalette(image);
    ASSERT_EQ(palette.size(), distinct.size());
    std::vector<uint32_t> got;
    for (const RgbQuad& c : palette) got.push_back(Rgb(c));
    EXPECT_EQ(got, std::vector<uint32_t>(distinct.begin(), distinct.end()));  // ascending 0xRRGGBB

    // Three colours and a limit of two: two entries that split them.
    CImageBuffer three(3, 1, 32, kFormatBmp);
    FillTrueColour(three, [](int x, int) { return x == 0 ? 0x000000u : x == 1 ? 0x080808u : 0xF0F0F0u; });
    const std::vector<RgbQuad> two = OptimalPalette(three, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(Rgb(two[0]), 0x040404u);  // mean of the two dark colours
    EXPECT_EQ(Rgb(two[1]), 0xF0F0F0u);

    CImageBuffer indexed(2, 2, 8, kFormatBmp);
    EXPECT_TRUE(OptimalPalette(indexed).empty());
}

TEST(OptimalPalette, RepresentsAManyColouredPictureWellAndAlwaysTheSame) {
    // A smooth two-dimensional ramp with 64 x 64 x 4 distinct colours.
    CImageBuffer image(256, 256, 24, kFormatBmp);
    FillTrueColour(image, [](int x, int y) { return uint32_t(x << 16 | y << 8 | ((x + y) & 3) * 60); });
    const std::vector<RgbQuad> palette = OptimalPalette(image);
    EXPECT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette.size(), std::set<uint32_t>([&] {
                                  std::set<uint32_t> s;
                                  for (const RgbQuad& c : palette) s.insert(Rgb(c));
                                  return s;
                              }()).size());
    const std::vector<RgbQuad> again = OptimalPalette(image);
    ASSERT_EQ(again.size(), palette.size());
    for (size_t i = 0; i < palette.size(); ++i) EXPECT_EQ(again[i].Value(), palette[i].Value());

    CImageBuffer reduced(image, true);
    ASSERT_TRUE(ReduceTo8Bit(reduced));
    // 256 boxes over a 256 x 256 x 4 ramp: about 16 x 16 x 1 colours each, so an
    // error of roughly 2 x (16^2 / 12) + the blue spread; a poor palette is far worse.
    double error = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const RgbQuad a = image.ColourAt(x, y), b = reduced.ColourAt(x, y);
            error += (a.red - b.red) * (a.red - b.red) + (a.green - b.green) * (a.green - b.green) +
                     (a.blue - b.blue) * (a.blue - b.blue);
        }
    EXPECT_LT(error / (256 * 256), 400.0);
}

TEST(OptimalPalette, IsTheSameOnOneThreadAndOnEveryCore) {
    // Random colours over enough rows for several blocks, and a second source whose
    // transparent pixels do not count.
    rng::Reset();
    CImageBuffer image(61, 1500, 24, kFormatBmp);
    FillTrueColour(image, [](int, int) { return RandomColour(); });
    std::vector<uint8_t> alpha(size_t(61) * 1500);
    for (uint8_t& a : alpha) a = uint8_t(rng::Next() & 1);
    ColourRows first{image.Row(0), image.Stride(), 61, 1500, 24};
    ColourRows second = first;
    second.alpha = alpha.data();
    second.height = 1499;
    const std::vector<ColourRows> sources{first, second};
    SetParallelThreadLimit(1);
    const std::vector<RgbQuad> single = OptimalPalette(sources);
    CImageBuffer reducedSingle(image, true);
    ASSERT_TRUE(ReduceTo8Bit(reducedSingle));
    SetParallelThreadLimit(0);
    const std::vector<RgbQuad> every = OptimalPalette(sources);
    CImageBuffer reducedEvery(image, true);
    ASSERT_TRUE(ReduceTo8Bit(reducedEvery));
    ASSERT_EQ(single.size(), 256u);
    ASSERT_EQ(every.size(), single.size());
    for (size_t i = 0; i < single.size(); ++i) EXPECT_EQ(every[i].Value(), single[i].Value()) << i;
    for (int y = 0; y < image.Height(); ++y)
        ASSERT_EQ(std::memcmp(reducedSingle.Row(y), reducedEvery.Row(y), size_t(image.Width())), 0) << y;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(reducedSingle.Palette()[i].Value(), reducedEvery.Palette()[i].Value());
}

TEST(ReduceTo8Bit, IsLosslessForFewColoursAndExactEverywhere) {
    rng::Reset();
    std::vector<uint32_t> colours;
    for (int i = 0; i < 256; ++i) colours.push_back(RandomColour());
    CImageBuffer image(37, 21, 24, kFormatBmp);
    FillTrueColour(image, [&](int x, int y) { return colours[size_t(x * 7 + y * 13) % 256]; });
    image.SetHorizontalDpi(300);
    CImageBuffer reduced(image, true);
    ASSERT_TRUE(ReduceTo8Bit(reduced));
    EXPECT_EQ(reduced.Bpp(), 8);
    EXPECT_EQ(reduced.PaletteCount(), 256);
    EXPECT_EQ(reduced.Info().dpiX, 300);
    EXPECT_EQ(reduced.Header().biXPelsPerMeter, 11811);
    EXPECT_EQ(reduced.Type(), kFormatBmp);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(Rgb(reduced.ColourAt(x, y)), Rgb(image.ColourAt(x, y))) << x << "," << y;

    // More colours than entries: every pixel is the nearest entry by the plain scan.
    CImageBuffer many(64, 48, 32, kFormatBmp);
    FillTrueColour(many, [](int, int) { return RandomColour(); });
    CImageBuffer manyReduced(many, true);
    ASSERT_TRUE(ReduceTo8Bit(manyReduced));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(manyReduced.IndexAt(x, y), manyReduced.NearestPaletteIndex(many.ColourAt(x, y).Value() & 0xFFFFFF));
    rng::Reset();
}

TEST(ReduceTo8Bit, LeavesEightBitsAloneAndRefusesFewer) {
    CImageBuffer eight(3, 3, 8, kFormatGif);
    eight.SetPaletteEntry(255, 1, 2, 3);
    EXPECT_TRUE(ReduceTo8Bit(eight));
    EXPECT_EQ(eight.PaletteEntry(255), 0x010203u);
    CImageBuffer four(3, 3, 4, kFormatGif);
    EXPECT_FALSE(ReduceTo8Bit(four));
    EXPECT_EQ(four.Bpp(), 4);
    CImageBuffer empty(kFormatBmp);
    EXPECT_FALSE(ReduceTo8Bit(empty));
    EXPECT_FALSE(ToTrueColour(empty));
}

TEST(ToTrueColour, GivesEachPixelItsPaletteColour) {
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        CImageBuffer image(11, 3, bits, kFormatGif);
        for (int i = 0; i < image.PaletteCount(); ++i) image.SetPaletteEntry(i, uint8_t(i), uint8_t(100 + i / 2), 7);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                CImageBuffer::PutIndex(image.PixelArea(), bits, image.Stride(), x, y,
                                       uint8_t((x * 3 + y) % image.PaletteCount()));
        image.Info().backgroundIndex = 1;
        CImageBuffer rgb(image, true);
        ASSERT_TRUE(ToTrueColour(rgb));
        EXPECT_EQ(rgb.Bpp(), 24);
        EXPECT_EQ(rgb.Stride(), 36u);
        EXPECT_EQ(rgb.Type(), kFormatGif);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x) ASSERT_EQ(Rgb(rgb.ColourAt(x, y)), Rgb(image.ColourAt(x, y)));
        // Out-of-picture reads keep the transparent entry's colour.
        EXPECT_EQ(Rgb(rgb.ColourAt(-1, 0)), Rgb(image.ColourAt(-1, 0)));
    }
    CImageBuffer deep(5, 2, 32, kFormatBmp);
    FillTrueColour(deep, [](int x, int y) { return uint32_t(x * 0x102030 + y); });
    deep.Row(1)[3] = 0x55;
    ASSERT_TRUE(ToTrueColour(deep));
    EXPECT_EQ(deep.Bpp(), 24);
    EXPECT_EQ(Rgb(deep.ColourAt(4, 1)), 4u * 0x102030 + 1);
    CImageBuffer same(5, 2, 24, kFormatBmp);
    const uint8_t* before = same.Block();
    EXPECT_TRUE(ToTrueColour(same));
    EXPECT_EQ(same.Block(), before);
}

TEST(ReduceTo8Bit, KeepsATransparentColourThroughTrueColour) {
    // The path of a transparent GIF that is opened as true colour and saved again.
    CImageBuffer gif(4, 1, 8, kFormatGif);
    gif.SetPaletteEntry(0, 10, 20, 30);
    gif.SetPaletteEntry(1, 200, 100, 0);
    for (int x = 0; x < 4; ++x) gif.Row(0)[x] = uint8_t(x & 1);
    gif.Info().backgroundIndex = 1;
    ASSERT_TRUE(ToTrueColour(gif));
    ASSERT_TRUE(ReduceTo8Bit(gif));
    ASSERT_GE(gif.Info().backgroundIndex, 0);
    EXPECT_EQ(gif.PaletteEntry(gif.Info().backgroundIndex), 0xC86400u);
    EXPECT_EQ(gif.IndexAt(1, 0), gif.Info().backgroundIndex);
    MemoryStream out;
    EXPECT_TRUE(gif.Encode(out, kFormatGif));
}

TEST(IndexRows, PackAndUnpackAtOddWidthsKeepingThePadding) {
    for (int bits : {1, 4, 8}) {
        for (int width : {1, 3, 7, 8, 9, 17}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            std::vector<uint8_t> indices(static_cast<size_t>(width));
            for (int x = 0; x < width; ++x) indices[size_t(x)] = uint8_t((x * 5 + 3) & ((1 << bits) - 1));
            std::vector<uint8_t> row(24, 0xA5);
            PackIndexRow(indices.data(), width, bits, row.data());
            std::vector<uint8_t> back(static_cast<size_t>(width));
            UnpackIndexRow(row.data(), width, bits, back.data());
            EXPECT_EQ(back, indices);
            // Bits past the last pixel are as they were.
            const int usedBits = width * bits;
            for (int bit = usedBits; bit < 24 * 8; ++bit)
                EXPECT_EQ((row[size_t(bit / 8)] >> (7 - bit % 8)) & 1, (0xA5 >> (7 - bit % 8)) & 1) << bit;
            // The same layout as the image object's own pixel access.
            CImageBuffer image(width, 1, bits, kFormatBmp);
            PackIndexRow(indices.data(), width, bits, image.Row(0));
            for (int x = 0; x < width; ++x) EXPECT_EQ(image.IndexAt(x, 0), indices[size_t(x)]);
        }
    }
}

}  // namespace
