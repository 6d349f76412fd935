// Mirror, flip, transpose and the eight TIFF orientations on a 3 x 2 picture whose
// expected layouts are written out by hand, at every depth.
#include <gtest/gtest.h>

#include <string>

#include "ImageBuffer.h"
#include "Orientation.h"

namespace {

// The picture as shown, lines from the top:   a b c
//                                             d e f
// Each letter is a pixel value; 1-bit pictures can tell only two values apart, so
// they use a 1-bit pattern of their own (a, d, e set).
uint32_t ValueOf(char letter, int bpp) {
    const int n = letter - 'a';
    if (bpp == 1) return (letter == 'a' || letter == 'd' || letter == 'e') ? 1 : 0;
    if (bpp == 4) return uint32_t(n + 3);
    if (bpp == 8) return uint32_t(n * 40 + 7);
    return 0x102030u * uint32_t(n + 1) + 0x010000u;  // distinct blue, green and red bytes
}

// Builds a picture from its lines, top first (rows are stored bottom-up).
void Build(CImageBuffer& image, const std::vector<std::string>& lines, int bpp) {
    const int height = int(lines.size()), width = int(lines[0].size());
    ASSERT_TRUE(image.Allocate(width, height, bpp, kFormatTiff));
    for (int line = 0; line < height; ++line)
        for (int x = 0; x < width; ++x) {
            const uint32_t v = ValueOf(lines[size_t(line)][size_t(x)], bpp);
            const int y = height - 1 - line;
            if (bpp < 24) {
                CImageBuffer::PutIndex(image.PixelArea(), bpp, image.Stride(), x, y, uint8_t(v));
            } else {
                uint8_t* p = image.Row(y) + x * (bpp / 8);
                p[0] = uint8_t(v);
                p[1] = uint8_t(v >> 8);
                p[2] = uint8_t(v >> 16);
                if (bpp == 32) p[3] = uint8_t(v >> 4);
            }
        }
}

// Same size and the same pixels (for 32 bits the fourth byte too).
::testing::AssertionResult Shows(const CImageBuffer& image, const std::vector<std::string>& lines, int bpp) {
    CImageBuffer expected(kFormatTiff);
    Build(expected, lines, bpp);
    if (image.Width() != expected.Width() || image.Height() != expected.Height())
        return ::testing::AssertionFailure() << "size " << image.Width() << "x" << image.Height();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const bool same = bpp < 24 ? image.IndexAt(x, y) == expected.IndexAt(x, y)
                                       : image.ColourAt(x, y).Value() == expected.ColourAt(x, y).Value();
            if (!same)
                return ::testing::AssertionFailure()
                       << "pixel " << x << " of line " << image.Height() - 1 - y << " from the top";
        }
    return ::testing::AssertionSuccess();
}

class TIFFOrientation : public ::testing::TestWithParam<int> {};

const std::vector<std::string> kStored = {"abc", "def"};

TEST_P(TIFFOrientation, MirrorFlipAndTranspose) {
    const int bpp = GetParam();
    CImageBuffer image(kFormatTiff);
    Build(image, kStored, bpp);
    orientation::Mirror(image);
    EXPECT_TRUE(Shows(image, {"cba", "fed"}, bpp));
    orientation::Flip(image);
    EXPECT_TRUE(Shows(image, {"fed", "cba"}, bpp));

    Build(image, kStored, bpp);
    ASSERT_TRUE(orientation::Transpose(image));
    EXPECT_TRUE(Shows(image, {"ad", "be", "cf"}, bpp));
    EXPECT_EQ(image.Bpp(), bpp);
}

TEST_P(TIFFOrientation, EachValueComesUpright) {
    const int bpp = GetParam();
    // What a stored "abc / def" shows once brought upright, by orientation value.
    const std::vector<std::vector<std::string>> upright = {
        {"abc", "def"},        // 1 as stored
        {"cba", "fed"},        // 2 mirrored
        {"fed", "cba"},        // 3 turned half round
        {"def", "abc"},        // 4 flipped
        {"ad", "be", "cf"},    // 5 transposed
        {"da", "eb", "fc"},    // 6 turned a quarter clockwise
        {"fc", "eb", "da"},    // 7 transverse
        {"cf", "be", "ad"},    // 8 turned a quarter anticlockwise
    };
    for (int value = 1; value <= 8; ++value) {
        CImageBuffer image(kFormatTiff);
        Build(image, kStored, bpp);
        ASSERT_TRUE(orientation::MakeUpright(image, value));
        EXPECT_TRUE(Shows(image, upright[size_t(value - 1)], bpp)) << "orientation " << value;
    }
    CImageBuffer image(kFormatTiff);
    Build(image, kStored, bpp);
    ASSERT_TRUE(orientation::MakeUpright(image, 9));  // not an orientation: left alone
    EXPECT_TRUE(Shows(image, kStored, bpp));
}

INSTANTIATE_TEST_SUITE_P(Depths, TIFFOrientation, ::testing::Values(1, 4, 8, 24, 32),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "bit"; });

TEST(TIFFOrientationRecords, TransposeKeepsPaletteAndRecordsAndSwapsResolution) {
    CImageBuffer image(kFormatTiff);
    Build(image, kStored, 8);
    image.SetPaletteEntry(47, 1, 2, 3);
    image.SetHorizontalDpi(300);
    image.SetVerticalDpi(100);
    image.Info().page = 2;
    image.Info().pageCount = 3;
    ASSERT_TRUE(orientation::Transpose(image));
    EXPECT_EQ(image.PaletteEntry(47), RgbQuad({3, 2, 1, 0}).Value());
    EXPECT_EQ(image.Info().dpiX, 100);
    EXPECT_EQ(image.Info().dpiY, 300);
    EXPECT_EQ(image.Header().biXPelsPerMeter, 3937);
    EXPECT_EQ(image.Info().pageCount, 3);
    EXPECT_EQ(image.Stride(), 4u);
    EXPECT_EQ(image.Header().biSizeImage, 12u);
}

TEST(TIFFOrientationRecords, WideOneBitRowsKeepTheirPadding) {
    // 11 pixels: the mirror must move pixels across the byte boundary.
    CImageBuffer image(11, 1, 1, kFormatTiff);
    for (int x = 0; x < 11; ++x) CImageBuffer::PutIndex(image.PixelArea(), 1, image.Stride(), x, 0, x == 0 || x == 9);
    orientation::Mirror(image);
    for (int x = 0; x < 11; ++x) EXPECT_EQ(image.IndexAt(x, 0), (x == 10 || x == 1) ? 1 : 0) << x;
}

}  // namespace
