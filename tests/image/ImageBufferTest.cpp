#include <gtest/gtest.h>

#include <cstring>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "Random.h"
#include "TestSupport.h"

TEST(ImageBuffer, AllocateNormalisesDepthAndFillsRows) {
    CImageBuffer image(kFormatBmp);
    ASSERT_NE(image.Allocate(5, 3, 3, 0), nullptr);
    EXPECT_EQ(image.Bpp(), 4);
    EXPECT_EQ(image.PaletteCount(), 16);
    EXPECT_EQ(image.Stride(), 4u);
    EXPECT_EQ(image.Header().biSizeImage, 12u);
    EXPECT_EQ(image.BlockSize(), 40u + 64u + 12u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(image.PaletteEntry(i), 0u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(image.PixelArea()[i], 0xFF);
    // The block starts with the stored header, field by field.
    const DibHeader stored = DibHeader::ReadFrom(image.Block());
    EXPECT_EQ(stored.biSize, 40u);
    EXPECT_EQ(stored.biWidth, 5);
    EXPECT_EQ(stored.biBitCount, 4);
    EXPECT_EQ(stored.biClrUsed, 16u);
    EXPECT_EQ(stored.biXPelsPerMeter, 2835);
}

TEST(ImageBuffer, AllocateRefusesEmptyAndOversizedPictures) {
    CImageBuffer image(24, 2, 24, 1);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.Allocate(0, 10, 24, 0), nullptr);
    EXPECT_TRUE(image.IsValid());
    EXPECT_EQ(image.Width(), 24);
    // 100000 x 100000 x 3 bytes does not fit a signed 32-bit size.
    EXPECT_EQ(image.Allocate(100000, 100000, 24, 0), nullptr);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Allocate(2000000000, 1, 32, 0), nullptr);
}

TEST(ImageBuffer, StridesOfNarrowPictures) {
    CImageBuffer bits(9, 2, 1, 1);
    EXPECT_EQ(bits.Stride(), 4u);
    bits.SetPaletteEntry(1, 255, 255, 255);
    std::memset(bits.PixelArea(), 0, bits.Header().biSizeImage);
    CImageBuffer::PutIndex(bits.PixelArea(), 1, bits.Stride(), 8, 1, 1);
    EXPECT_EQ(bits.Row(1)[1], 0x80);
    EXPECT_EQ(bits.IndexAt(8, 1), 1);
    EXPECT_EQ(bits.IndexAt(7, 1), 0);
    CImageBuffer one(1, 1, 24, 1);
    EXPECT_EQ(one.Stride(), 4u);
}

TEST(ImageBuffer, ColourOutsideThePicture) {
    CImageBuffer indexed(4, 4, 8, 1);
    indexed.SetPaletteEntry(3, 10, 20, 30);
    indexed.Info().backgroundIndex = 3;
    const RgbQuad c = indexed.ColourAt(-1, 0);
    EXPECT_EQ(c.red, 10);
    EXPECT_EQ(c.green, 20);
    EXPECT_EQ(c.blue, 30);
    EXPECT_EQ(indexed.IndexAt(-1, 0), 3);

    CImageBuffer rgb(4, 4, 24, 1);
    rgb.Info().backgroundIndex = 3;
    rgb.Info().backgroundColour = RgbQuad{1, 2, 3, 0};
    const RgbQuad d = rgb.ColourAt(-1, 0);
    EXPECT_EQ(d.blue, 1);
    EXPECT_EQ(d.red, 3);
}

TEST(ImageBuffer, PaletteHelpers) {
    CImageBuffer image(2, 2, 4, 1);
    image.MakeGreyPalette();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(image.PaletteEntry(i) & 0xFF, uint32_t(i * 17));
    EXPECT_FALSE(image.HasGreyPalette());
    CImageBuffer grey(2, 2, 8, 1);
    grey.MakeGreyPalette();
    EXPECT_TRUE(grey.HasGreyPalette());
    grey.SetPaletteEntry(5, 0, 0, 0);
    grey.SetPaletteEntry(9, 0, 0, 0);
    EXPECT_EQ(grey.NearestPaletteIndex(0x000000), 0);  // exact match returns at once
    grey.SetPaletteEntry(0, 1, 1, 1);
    EXPECT_EQ(grey.NearestPaletteIndex(0x000000), 5);  // the first of equal entries
    CImageBuffer none(2, 2, 24, 1);
    EXPECT_EQ(none.NearestPaletteIndex(0x123456), 0);
}

TEST(ImageBuffer, ResolutionKeepsPixelsPerMetreInStep) {
    CImageBuffer image(2, 2, 24, 1);
    image.SetHorizontalDpi(300);
    EXPECT_EQ(image.Header().biXPelsPerMeter, 11811);
    EXPECT_EQ(image.Info().dpiY, 72);
    CImageBuffer small(3, 2, 24, 1);
    const std::vector<uint8_t> dib = small.ToPackedDib();
    CImageBuffer copy(kFormatBmp);
    ASSERT_TRUE(copy.FromPackedDib(dib.data(), dib.size()));
    EXPECT_EQ(copy.Info().dpiX, 72);
    EXPECT_EQ(copy.Width(), 3);
}

TEST(ImageBuffer, PackedDibIsCheckedAgainstItsSize) {
    CImageBuffer image(30, 20, 24, 1);
    std::vector<uint8_t> dib = image.ToPackedDib();
    dib.resize(dib.size() - 1);
    CImageBuffer copy(kFormatBmp);
    EXPECT_FALSE(copy.FromPackedDib(dib.data(), dib.size()));
    EXPECT_FALSE(copy.FromPackedDib(dib.data(), 10));
}

TEST(ImageBuffer, CloneAndTakeOver) {
    CImageBuffer image(3, 2, 8, 2);
    image.SetPaletteEntry(7, 1, 2, 3);
    image.Row(1)[2] = 7;
    image.Info().quality = 80;
    CImageBuffer copy(image, true);
    EXPECT_EQ(copy.IndexAt(2, 1), 7);
    EXPECT_EQ(copy.PaletteEntry(7), image.PaletteEntry(7));
    EXPECT_EQ(copy.Info().quality, 80);
    CImageBuffer target(kFormatBmp);
    target.TakeOver(copy);
    EXPECT_FALSE(copy.IsValid());
    EXPECT_EQ(target.IndexAt(2, 1), 7);
    EXPECT_EQ(target.Type(), 2);
}

TEST(ImageBuffer, SwapRedBlueValue) { EXPECT_EQ(CImageBuffer::SwapRedBlue(0x11223344u), 0x11443322u); }

TEST(ProgramRandom, FollowsTheClassicSequence) {
    rng::Reset();
    EXPECT_EQ(rng::Next(), 41);
    EXPECT_EQ(rng::Next(), 18467);
    EXPECT_EQ(rng::Next(), 6334);
    rng::Reset();
}

TEST(FormatCodes, ByLowerCasedExtension) {
    EXPECT_EQ(FormatFromPath("/a/b.JPEG"), kFormatJpeg);
    EXPECT_EQ(FormatFromPath("x.Tif"), kFormatTiff);
    EXPECT_EQ(FormatFromPath("x.png"), kFormatPng);
    EXPECT_EQ(FormatFromPath("x.WebP"), kFormatWebp);
    EXPECT_EQ(FormatFromPath("x.avif"), kFormatAvif);
    EXPECT_EQ(FormatFromPath("x.apng"), kFormatUnknown);
    EXPECT_EQ(FormatFromPath("dir.tsr/file"), kFormatUnknown);
    EXPECT_EQ(FormatFromPath("x.psd"), kFormatPsd);
    EXPECT_EQ(SaveFilterPosition("TSR"), 4);
    EXPECT_EQ(SaveFilterPosition("PCX"), -1);
    EXPECT_STREQ(NthFilter(4, true)->label, "TSR");
    EXPECT_STREQ(FilterLabel(7), "PSD");
}

TEST(ImageBuffer, RowsSwappedOutAndBack) {
    CImageBuffer image(3, 2, 24, kFormatBmp);
    image.Row(0)[0] = 9;
    const std::vector<uint8_t> dib = image.ToPackedDib();
    std::vector<uint8_t> wrong(5), rows;
    EXPECT_FALSE(image.SwapPixels(wrong));  // not this picture's size: nothing changes
    EXPECT_EQ(wrong.size(), 5u);
    ASSERT_TRUE(image.SwapPixels(rows));
    ASSERT_EQ(rows.size(), 2u * 12u);
    EXPECT_EQ(rows[0], 9);
    // Without rows the picture keeps its header but reads, copies and writes nothing.
    EXPECT_TRUE(image.IsValid());
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.PixelArea(), nullptr);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.ColourAt(0, 0).Value(), image.Info().backgroundColour.Value());
    EXPECT_TRUE(image.ToPackedDib().empty());
    const CImageBuffer copy(image, true);
    EXPECT_FALSE(copy.HasPixels());
    MemoryStream out;
    EXPECT_FALSE(image.Encode(out, kFormatBmp));
    // The rows come back whole, and a fresh Allocate gives the picture rows again.
    ASSERT_TRUE(image.SwapPixels(rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(image.ToPackedDib(), dib);
    CImageBuffer header(kFormatBmp);
    ASSERT_NE(header.AllocateHeader(3, 2, 8, kFormatBmp), nullptr);
    EXPECT_FALSE(header.HasPixels());
    EXPECT_EQ(header.PaletteCount(), 256);
    ASSERT_NE(header.Allocate(3, 2, 8, kFormatBmp), nullptr);
    EXPECT_EQ(header.PixelArea()[0], 0xFF);
}
