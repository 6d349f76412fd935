// Every file of the shared test pictures folder, as its manifest says: `exact` files
// decode to exactly their reference pixels, `fails` files fail with an error text,
// `no-crash` files may do either.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "TestSupport.h"

using testing_support::ReadPpm;
using testing_support::ManifestRow;
using testing_support::ReadManifest;
using testing_support::TestDataDir;

namespace {

// Decodes a file the way the editor's Open does: PSD through its importer, every
// other format through the codec of its extension with the fall-back order.
bool DecodeAsEditor(const std::string& path, CImageBuffer& image, std::string& error) {
    const int code = FormatFromPath(path);
    if (code == kFormatPsd) {
        PlainBitmap bitmap;
        const int rc = ImportPsdFile(path, bitmap);
        if (rc != 0) {
            error = "PSD result " + std::to_string(rc);
            return false;
        }
        return image.FromBitmapHandle(&bitmap);
    }
    const bool ok = image.Load(path, code) && image.IsValid();
    error = image.LastError();
    return ok;
}

// Pixel-exact comparison with a true-colour reference, whatever the decoded depth.
::testing::AssertionResult SamePixels(const CImageBuffer& got, const CImageBuffer& ref) {
    if (got.Width() != ref.Width() || got.Height() != ref.Height())
        return ::testing::AssertionFailure() << "size " << got.Width() << "x" << got.Height() << " vs "
                                             << ref.Width() << "x" << ref.Height();
    int differ = 0;
    std::string first;
    for (int y = 0; y < ref.Height(); ++y)
        for (int x = 0; x < ref.Width(); ++x) {
            const RgbQuad a = got.ColourAt(x, y), b = ref.ColourAt(x, y);
            if (a.red != b.red || a.green != b.green || a.blue != b.blue) {
                if (differ++ == 0) {
                    std::ostringstream os;
                    os << "first at (" << x << "," << ref.Height() - 1 - y << " from top): got " << int(a.red) << ","
                       << int(a.green) << "," << int(a.blue) << " want " << int(b.red) << "," << int(b.green) << ","
                       << int(b.blue);
                    first = os.str();
                }
            }
        }
    if (differ) return ::testing::AssertionFailure() << differ << " pixels differ; " << first;
    return ::testing::AssertionSuccess();
}

class TestDataFile : public ::testing::TestWithParam<ManifestRow> {};

TEST_P(TestDataFile, DecodesAsTheManifestSays) {
    const ManifestRow& row = GetParam();
    const std::string dir = TestDataDir();
    const std::string path = dir + "/" + row.file;
    CImageBuffer image(kFormatBmp);
    std::string error;
    const bool ok = DecodeAsEditor(path, image, error);
    if (row.expect == "exact") {
        ASSERT_TRUE(ok) << row.file << ": " << error;
        CImageBuffer ref(kFormatBmp);
        ASSERT_TRUE(ReadPpm(dir + "/" + row.reference, ref));
        EXPECT_TRUE(SamePixels(image, ref)) << row.file << " (" << row.variant << ")";
    } else if (row.expect == "fails") {
        EXPECT_FALSE(ok) << row.file << " should fail (" << row.variant << ")";
        EXPECT_FALSE(error.empty()) << row.file << " failed without an error text";
    }
}

std::string RowName(const ::testing::TestParamInfo<ManifestRow>& info) {
    std::string name = info.param.format + "_" + std::to_string(info.index) + "_";
    for (char c : info.param.file) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Manifest, TestDataFile, ::testing::ValuesIn(ReadManifest()), RowName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TestDataFile);

// The PNG, WebP, AVIF and EXIF orientation files: colour and alpha as the reference
// (PAM references carry alpha); every decoder's failure has a text.
class BeyondFile : public ::testing::TestWithParam<ManifestRow> {};

TEST_P(BeyondFile, DecodesAsTheManifestSays) {
    const ManifestRow& row = GetParam();
    const std::string dir = TestDataDir();
    CImageBuffer image(kFormatBmp);
    std::string error;
    const bool ok = DecodeAsEditor(dir + "/" + row.file, image, error);
    if (row.expect == "exact") {
        ASSERT_TRUE(ok) << row.file << ": " << error;
        CImageBuffer ref(kFormatBmp);
        ASSERT_TRUE(testing_support::ReadReference(dir + "/" + row.reference, ref));
        EXPECT_TRUE(testing_support::SameRgba(image, ref)) << row.file << " (" << row.variant << ")";
    } else if (row.expect == "fails") {
        EXPECT_FALSE(ok) << row.file << " should fail (" << row.variant << ")";
        EXPECT_FALSE(error.empty()) << row.file << " failed without an error text";
    } else if (ok) {
        EXPECT_GT(image.Width(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Beyond, BeyondFile, ::testing::ValuesIn(ReadManifest("MANIFEST-beyond.tsv")), RowName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BeyondFile);

}  // namespace
