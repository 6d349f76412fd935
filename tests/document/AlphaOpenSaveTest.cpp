// Pictures with alpha: opening puts the alpha into the backdrop layer's alpha plane;
// saving to PNG, WebP or AVIF writes it back (a lone layer exactly, a stack through
// the flatten with its colour divided back by alpha), and leaves the document as it was.
#include <gtest/gtest.h>

#include "Codecs.h"
#include "DocTestSupport.h"
#include "OpenSave.h"

using namespace doctest;
using testing_support::TempDir;

namespace {

uint8_t AlphaOf(int x, int y) { return uint8_t((x * 50 + y * 90) % 256); }

// Writes a 6 x 4 PNG with Gradient colours and AlphaOf alpha.
std::string WriteRgbaPng(const TempDir& dir) {
    CImageBuffer picture(6, 4, 32, kFormatPng);
    picture.Info().hasAlpha = true;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const uint32_t c = Gradient(x, y);
            uint8_t* p = picture.Row(y) + 4 * x;
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
            p[3] = AlphaOf(x, y);
        }
    const std::string path = dir.File("in.png");
    EXPECT_TRUE(picture.Save(path, kFormatPng));
    return path;
}

TEST(AlphaOpenSave, TheAlphaPlaneComesInAndGoesBackOut) {
    Bench bench;
    TempDir dir;
    COrinDoc doc(bench.workspace);
    ASSERT_TRUE(OpenDocument(doc, WriteRgbaPng(dir)).ok);
    LayerRecord& layer = doc.layers[0];
    EXPECT_EQ(doc.canvas.format, kFormatPng);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(PixelAt(layer, x, y), Gradient(x, y));
            EXPECT_EQ(AlphaAt(layer, x, y), AlphaOf(x, y));
        }
    const DocState before = Capture(doc);
    const int position = doc.history.position;
    CImageBuffer original;
    ASSERT_TRUE(original.Load(dir.File("in.png"), kFormatPng));
    for (const char* name : {"out.png", "out.webp", "out.avif"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SaveDocument(doc, dir.File(name)).ok);
        EXPECT_SAME_STATE(before, Capture(doc));
        EXPECT_EQ(doc.history.position, position);
        CImageBuffer back;
        ASSERT_TRUE(back.Load(dir.File(name), FormatFromPath(name)));
        // Colour under half-covered pixels is the layer's own, not darkened by its alpha
        // (within the lossy codecs' error on this small busy picture); alpha is exact.
        EXPECT_TRUE(testing_support::SameRgba(back, original, FormatFromPath(name) == kFormatPng ? 0 : 40));
    }
}

// A stack is flattened for writing: where the opaque upper layer covers, its colour at
// full alpha; elsewhere the backdrop's colour (divided back within rounding) and alpha.
TEST(AlphaOpenSave, AStackIsFlattenedAndTheFlattenUndone) {
    Bench bench;
    TempDir dir;
    COrinDoc doc(bench.workspace);
    ASSERT_TRUE(OpenDocument(doc, WriteRgbaPng(dir)).ok);
    ASSERT_TRUE(AddLayer(doc).ok);
    LayerRecord& top = doc.layers[doc.layers.current];
    Paint(top, [](int, int) { return 0x2040F0u; }, [](int x, int) { return uint8_t(x < 2 ? 255 : 0); });
    RecordStep(doc, "붓 그리기", kStepPixels);
    const DocState before = Capture(doc);
    ASSERT_TRUE(SaveDocument(doc, dir.File("flat.png")).ok);
    EXPECT_SAME_STATE(before, Capture(doc));
    CImageBuffer back;
    ASSERT_TRUE(back.Load(dir.File("flat.png"), kFormatPng));
    ASSERT_EQ(back.Bpp(), 32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            const RgbQuad c = back.ColourAt(x, y);
            const uint32_t rgb = uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
            if (x < 2) {
                EXPECT_EQ(rgb, 0x2040F0u);
                EXPECT_EQ(c.reserved, 255);
                continue;
            }
            const int a = AlphaOf(x, y);
            EXPECT_EQ(c.reserved, a);
            if (a == 0) continue;
            const uint32_t want = Gradient(x, y);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int((rgb >> shift) & 0xFF), int((want >> shift) & 0xFF), 255 / a + 1) << shift;
        }
}

TEST(AlphaOpenSave, OpaquePicturesAreWrittenWithoutAlpha) {
    Bench bench;
    TempDir dir;
    auto doc = bench.Open(5, 3, Gradient);
    for (const char* name : {"plain.png", "plain.webp", "plain.avif"}) {
        ASSERT_TRUE(SaveDocument(*doc, dir.File(name)).ok) << name;
        CImageBuffer back;
        ASSERT_TRUE(back.Load(dir.File(name), FormatFromPath(name))) << name;
        EXPECT_EQ(back.Bpp(), 24) << name;
    }
}

}  // namespace
