// PNG, WebP and AVIF writers and readers on pictures built here: lossless round trips
// keep colour and alpha exactly, lossy ones stay near and follow the quality, palette
// pictures stay palette PNGs, resolution travels in pHYs, and the reader of another
// format takes over when a name lies.
#include <gtest/gtest.h>

#include <cmath>

#include "ByteStream.h"
#include "CodecRows.h"
#include "Codecs.h"
#include "Messages.h"
#include "TestSupport.h"

using testing_support::AlphaAt;
using testing_support::SameRgba;

namespace {

// A 7 x 5 picture with every kind of alpha (0, 1, half, 254, 255) and varied colour.
void MakeRgba(CImageBuffer& image) {
    ASSERT_TRUE(image.Allocate(7, 5, 32, kFormatBmp));
    image.Info().hasAlpha = true;
    static constexpr uint8_t kAlpha[] = {0, 1, 128, 254, 255};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            uint8_t* p = image.Row(y) + 4 * x;
            p[0] = uint8_t(x * 40);
            p[1] = uint8_t(y * 60 + 3);
            p[2] = uint8_t(255 - x * y * 7);
            p[3] = kAlpha[(x + y) % 5];
        }
}

std::vector<uint8_t> Encode(CImageBuffer& image, int code) {
    MemoryStream out;
    EXPECT_TRUE(image.Encode(out, code)) << image.LastError();
    return out.Buffer();
}

bool Decode(const std::vector<uint8_t>& bytes, int code, CImageBuffer& image) {
    MemoryStream in(bytes.data(), bytes.size());
    return image.Decode(in, code);
}

TEST(AlphaCodecs, LosslessRoundTripsKeepColourAndAlpha) {
    for (int code : {kFormatPng, kFormatWebp, kFormatAvif}) {
        SCOPED_TRACE(code);
        CImageBuffer rgba;
        MakeRgba(rgba);
        rgba.Info().lossless = true;
        CImageBuffer back;
        ASSERT_TRUE(Decode(Encode(rgba, code), code, back)) << back.LastError();
        EXPECT_EQ(back.Bpp(), 32);
        EXPECT_EQ(back.Type(), code);
        // The colour under alpha 0 is kept too by these writers.
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                ASSERT_EQ(back.ColourAt(x, y).Value(), rgba.ColourAt(x, y).Value()) << x << "," << y;
                ASSERT_EQ(AlphaAt(back, x, y), AlphaAt(rgba, x, y));
            }

        // Opaque pictures, and pictures whose alpha is everywhere 255, are written without alpha.
        CImageBuffer opaque(7, 5, 24, kFormatBmp);
        testing_support::FillTrueColour(opaque, [](int x, int y) { return uint32_t(x * 0x102030 + y * 0x050301); });
        opaque.Info().lossless = true;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) rgba.Row(y)[4 * x + 3] = 255;
        for (CImageBuffer* source : {&opaque, &rgba}) {
            CImageBuffer again;
            ASSERT_TRUE(Decode(Encode(*source, code), code, again)) << again.LastError();
            EXPECT_EQ(again.Bpp(), 24);
            EXPECT_FALSE(again.Info().hasAlpha);
            EXPECT_TRUE(SameRgba(again, *source));
        }
    }
}

// A smooth picture written lossy: near the original, alpha exact, and a lower quality
// gives a smaller file.
TEST(AlphaCodecs, LossyWritersFollowTheQuality) {
    for (int code : {kFormatWebp, kFormatAvif}) {
        SCOPED_TRACE(code);
        CImageBuffer image;
        ASSERT_TRUE(image.Allocate(48, 32, 32, kFormatBmp));
        image.Info().hasAlpha = true;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                uint8_t* p = image.Row(y) + 4 * x;
                p[0] = uint8_t(x * 5);
                p[1] = uint8_t(y * 7);
                p[2] = uint8_t(128 + (x - y));
                p[3] = x < 8 ? 0 : 255;
            }
        const std::vector<uint8_t> best = Encode(image, code);
        image.Info().quality = 30;
        const std::vector<uint8_t> low = Encode(image, code);
        EXPECT_LT(low.size(), best.size());
        CImageBuffer back;
        ASSERT_TRUE(Decode(best, code, back)) << back.LastError();
        EXPECT_TRUE(SameRgba(back, image, 12));
    }
}

// Palette pictures are written as palette PNGs at their own depth (IHDR bytes 24, 25).
TEST(AlphaCodecs, PalettePicturesStayPalettePngs) {
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        CImageBuffer image(13, 3, bits, kFormatBmp);
        const int entries = 1 << bits;
        for (int i = 0; i < entries; ++i) image.SetPaletteEntry(i, uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x)
                CImageBuffer::PutIndex(image.PixelArea(), bits, image.Stride(), x, y, uint8_t((x * 3 + y) % entries));
        const std::vector<uint8_t> png = Encode(image, kFormatPng);
        ASSERT_GT(png.size(), 26u);
        EXPECT_EQ(png[24], bits);
        EXPECT_EQ(png[25], 3);
        CImageBuffer back;
        ASSERT_TRUE(Decode(png, kFormatPng, back)) << back.LastError();
        EXPECT_TRUE(SameRgba(back, image));
    }
}

TEST(AlphaCodecs, ResolutionTravelsInPhys) {
    CImageBuffer image(4, 4, 24, kFormatBmp);
    image.SetHorizontalDpi(300);
    image.SetVerticalDpi(150);
    CImageBuffer back;
    ASSERT_TRUE(Decode(Encode(image, kFormatPng), kFormatPng, back));
    EXPECT_EQ(back.Info().dpiX, 300);
    EXPECT_EQ(back.Info().dpiY, 150);
}

// A file under the wrong name is read by the reader of its real format, after the
// others have refused it; a lossless WebP says so, so that it is written back losslessly.
TEST(AlphaCodecs, FallBackOrderAndLosslessMark) {
    CImageBuffer rgba;
    MakeRgba(rgba);
    rgba.Info().lossless = true;
    for (int code : {kFormatPng, kFormatWebp, kFormatAvif}) {
        SCOPED_TRACE(code);
        CImageBuffer back;
        ASSERT_TRUE(Decode(Encode(rgba, code), kFormatUnknown, back)) << back.LastError();
        EXPECT_EQ(back.Type(), code);
        EXPECT_EQ(back.Info().lossless, code == kFormatWebp);
        EXPECT_TRUE(SameRgba(back, rgba));
    }
}

// Cut and empty files fail with a text; the hostile header is refused before anything
// is allocated for it.
TEST(AlphaCodecs, BrokenFilesFailWithAText) {
    CImageBuffer rgba;
    MakeRgba(rgba);
    for (int code : {kFormatPng, kFormatWebp, kFormatAvif}) {
        SCOPED_TRACE(code);
        std::vector<uint8_t> bytes = Encode(rgba, code);
        for (size_t keep : {size_t(0), size_t(12), bytes.size() / 2}) {
            CImageBuffer back;
            EXPECT_FALSE(Decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep)), code, back));
            EXPECT_FALSE(back.LastError().empty());
            EXPECT_FALSE(back.IsValid());
        }
    }
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) return;
    CImageBuffer huge;
    EXPECT_FALSE(huge.Load(dir + "/gen--png-fail-ihdr-100000x100000.png", kFormatPng));
    FileStream in;
    ASSERT_TRUE(in.Open(dir + "/gen--png-fail-ihdr-100000x100000.png", "rb"));
    EXPECT_FALSE(codec::DecodePng(in, huge));
    EXPECT_EQ(huge.LastError(), msg::kPngLimits);
}

}  // namespace
