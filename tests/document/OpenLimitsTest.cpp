// How large a picture a document may be made from: the pixel limit, the memory
// estimate and the readers' budgets, with small files that claim huge pictures.
#include <gtest/gtest.h>

#include "ByteStream.h"
#include "Codecs.h"
#include "DocTestSupport.h"
#include "Messages.h"
#include "OpenSave.h"
#include "PictureLimits.h"
#include "ProjectFile.h"

using namespace doctest;
using testing_support::RegressionBytes;

namespace {

std::string Reason(const Status& s) {
    const size_t newline = s.message.find('\n');
    EXPECT_EQ(s.message.substr(0, newline), msg::kCannotOpen);
    return newline == std::string::npos ? "" : s.message.substr(newline + 1);
}

Status OpenBytes(COrinDoc& doc, const std::vector<uint8_t>& bytes, int code) {
    MemoryStream in(bytes);
    return OpenDocumentFrom(doc, in, code);
}

}  // namespace

TEST(PictureLimits, PixelsAndMemoryAreBothChecked) {
    struct Case {
        int64_t width, height, maxPixels, available;
        const char* expected;
    } cases[] = {
        {20000, 15000, kDefaultPixelLimit, -1, nullptr},  // a 300-megapixel panorama
        {20000, 20000, kDefaultPixelLimit, -1, msg::kTooManyPixels},
        {65535, 32767, 0, -1, nullptr},                  // no limit set
        {1000, 1000, 1000000, -1, nullptr},
        {1000, 1001, 1000000, -1, msg::kTooManyPixels},
        {1000, 1000, 0, 6000000, nullptr},               // six bytes per pixel to open
        {1000, 1000, 0, 5999999, msg::kNotEnoughMemory},
        {int64_t(1) << 40, int64_t(1) << 40, kDefaultPixelLimit, -1, msg::kTooManyPixels},
        {0, 5, 10, 0, nullptr},
    };
    for (const Case& c : cases) {
        PictureLimits limits;
        limits.maxPixels = c.maxPixels;
        limits.availableBytes = c.available;
        EXPECT_STREQ(limits.Refusal(c.width, c.height), c.expected) << c.width << " x " << c.height;
    }
}

// Small files that decode to gigabytes: the default limit refuses them before any
// buffer of the picture's size exists, and the document stays empty.
TEST(OpenLimits, SmallFilesClaimingHugePicturesAreRefusedWithTheReason) {
    struct Case {
        const char* file;
        int code;
        const char* reason;
    } cases[] = {
        {"tiff/g4-blank-20000x20000.tif", kFormatTiff, msg::kTooManyPixels},
        // Its strips hold 4 KB; the padding in its description does not buy pixels.
        {"tiff/g4-blank-65535x32767-padded.tif", kFormatTiff, msg::kTiffCorrupted},
        {"gif/lzw-run-20000x20000.gif.gz", kFormatGif, msg::kTooManyPixels},
        // 1 MB of comment segments and a few bytes of scan data.
        {"jpeg/progressive-30000x30000-padded.jpg.gz", kFormatJpeg, msg::kJpegLimits},
    };
    Bench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        COrinDoc doc(bench.workspace);
        const Status s = OpenBytes(doc, RegressionBytes(c.file), c.code);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(Reason(s), c.reason);
        EXPECT_TRUE(doc.IsEmpty());
    }
    // Without a pixel limit the readers' budgets still refuse the padded files.
    bench.workspace.pixelLimit = 0;
    bench.workspace.availableMemory = [] { return int64_t(1) << 50; };
    COrinDoc doc(bench.workspace);
    EXPECT_EQ(Reason(OpenBytes(doc, RegressionBytes("jpeg/progressive-30000x30000-padded.jpg.gz"), kFormatJpeg)),
              msg::kJpegLimits);
    EXPECT_EQ(Reason(OpenBytes(doc, RegressionBytes("tiff/g4-blank-65535x32767-padded.tif"), kFormatTiff)),
              msg::kTiffCorrupted);
}

// The preference and the memory estimate hold for every reader and for projects.
TEST(OpenLimits, PreferenceAndMemoryEstimateHoldForEveryFormat) {
    Bench bench;
    auto source = bench.Open(40, 25, Gradient);  // 1000 pixels
    std::vector<std::pair<int, std::vector<uint8_t>>> files;
    for (int code : {kFormatBmp, kFormatGif, kFormatJpeg, kFormatTiff}) {
        CImageBuffer image(40, 25, 24, code);
        if (code == kFormatGif) image.Allocate(40, 25, 8, code);
        MemoryStream out;
        ASSERT_TRUE(image.Encode(out, code));
        files.emplace_back(code, out.Buffer());
    }
    MemoryStream project;
    ASSERT_TRUE(WriteProject(*source, project).ok);
    files.emplace_back(kFormatProject, project.Buffer());

    struct Setting {
        int64_t pixelLimit, available;
        const char* reason;  // nullptr: opens
    } settings[] = {
        {1000, -1, nullptr},
        {999, -1, msg::kTooManyPixels},
        {0, 1000 * kOpenBytesPerPixel + 1000 * 4, nullptr},
        {0, 999, msg::kNotEnoughMemory},
    };
    for (const Setting& setting : settings) {
        bench.workspace.pixelLimit = setting.pixelLimit;
        bench.workspace.availableMemory = [a = setting.available] { return a; };
        for (const auto& [code, bytes] : files) {
            SCOPED_TRACE(std::to_string(code) + " limit " + std::to_string(setting.pixelLimit) + " memory " +
                         std::to_string(setting.available));
            COrinDoc doc(bench.workspace);
            const Status s = OpenBytes(doc, bytes, code);
            if (!setting.reason) {
                EXPECT_TRUE(s.ok) << s.message;
            } else {
                EXPECT_EQ(Reason(s), setting.reason);
                EXPECT_TRUE(doc.IsEmpty());
            }
            RemoveStepFiles(doc);
        }
    }
}
