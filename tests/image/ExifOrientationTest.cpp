// EXIF orientation of JPEG files: the picture is turned upright when asked to (and only
// then), the EXIF block is written back with the orientation reset so that no viewer
// turns the picture a second time, and a broken block never stops a picture opening.
#include <gtest/gtest.h>

#include "ByteStream.h"
#include "Codecs.h"
#include "ExifBlock.h"
#include "TestSupport.h"

namespace {

// A big-endian EXIF block with one IFD: Orientation (SHORT) = `value`, the IFD's next
// link `next` (0 for none).
std::vector<uint8_t> ExifWithOrientation(int value, uint32_t next = 0) {
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,  // header, IFD at 8
                              0, 1,                                                  // one entry
                              0x01, 0x12, 0, 3, 0, 0, 0, 1, uint8_t(value >> 8), uint8_t(value), 0, 0};
    for (int shift : {24, 16, 8, 0}) b.push_back(uint8_t(next >> shift));
    return b;
}

// A JPEG of a 16 x 8 picture (left half red, right half blue) with `block` as its APP1 marker.
std::vector<uint8_t> JpegWithBlock(const std::vector<uint8_t>& block) {
    CImageBuffer picture(16, 8, 24, kFormatJpeg);
    testing_support::FillTrueColour(picture, [](int x, int) { return x < 8 ? 0xFF0000u : 0x0000FFu; });
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, kFormatJpeg));
    std::vector<uint8_t> bytes = out.Buffer();
    const size_t length = block.size() + 2;
    std::vector<uint8_t> marker = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)};
    marker.insert(marker.end(), block.begin(), block.end());
    bytes.insert(bytes.begin() + 2, marker.begin(), marker.end());
    return bytes;
}

bool DecodeJpeg(const std::vector<uint8_t>& bytes, CImageBuffer& image, bool upright) {
    image.Info().exifUpright = upright;
    MemoryStream in(bytes.data(), bytes.size());
    return image.Decode(in, kFormatJpeg);
}

// Orientation values and broken blocks: the size the picture opens at, and the
// orientation its kept block carries (-1: no block kept).
TEST(ExifOrientation, ValuesAndBrokenBlocks) {
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        int width, height, kept;
    };
    std::vector<uint8_t> cut = ExifWithOrientation(6);
    cut.resize(20);
    std::vector<uint8_t> pastEnd = ExifWithOrientation(6);
    pastEnd[13] = 200;  // the first IFD lies past the end
    const std::vector<Case> cases = {
        {"as stored", ExifWithOrientation(1), 16, 8, 1},
        {"rotate 90 clockwise", ExifWithOrientation(6), 8, 16, 1},
        {"rotate 180", ExifWithOrientation(3), 16, 8, 1},
        {"value 0", ExifWithOrientation(0), 16, 8, 0},
        {"value 9", ExifWithOrientation(9), 16, 8, 0},
        {"IFD chain that loops", ExifWithOrientation(8, 8), 8, 16, 1},
        {"IFD past the end", pastEnd, 16, 8, 0},
        {"cut block", cut, 16, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CImageBuffer image;
        ASSERT_TRUE(DecodeJpeg(JpegWithBlock(c.block), image, true)) << image.LastError();
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        if (image.Info().exif) EXPECT_EQ(exif::Orientation(image.Info().exif->data(), image.Info().exif->size()), c.kept);
    }
}

// Rotation 90 clockwise: the red left half becomes the top half.
TEST(ExifOrientation, TurnedPictureIsSavedUprightWithOrientationOne) {
    CImageBuffer image;
    ASSERT_TRUE(DecodeJpeg(JpegWithBlock(ExifWithOrientation(6)), image, true));
    ASSERT_EQ(image.Width(), 8);
    EXPECT_GT(image.ColourAt(0, 15).red, 200);  // top line
    EXPECT_LT(image.ColourAt(0, 0).red, 60);    // bottom line
    MemoryStream out;
    ASSERT_TRUE(image.Encode(out, kFormatJpeg));
    CImageBuffer again;
    ASSERT_TRUE(DecodeJpeg(out.Buffer(), again, true));
    EXPECT_EQ(again.Width(), 8);  // not turned a second time
    ASSERT_TRUE(again.Info().exif);
    EXPECT_EQ(exif::Orientation(again.Info().exif->data(), again.Info().exif->size()), 1);
}

// With the preference off the picture stays as stored and keeps its orientation, so
// that a viewer still shows it upright.
TEST(ExifOrientation, PreferenceOffKeepsThePictureAndTheTag) {
    CImageBuffer image;
    ASSERT_TRUE(DecodeJpeg(JpegWithBlock(ExifWithOrientation(6)), image, false));
    EXPECT_EQ(image.Width(), 16);
    MemoryStream out;
    ASSERT_TRUE(image.Encode(out, kFormatJpeg));
    CImageBuffer upright;
    ASSERT_TRUE(DecodeJpeg(out.Buffer(), upright, true));
    EXPECT_EQ(upright.Width(), 8);
}

}  // namespace
