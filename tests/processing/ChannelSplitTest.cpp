// Channel split: the YUV and HSL formulas, the three grey documents with their titles,
// and the source left as it was.
#include <gtest/gtest.h>

#include "ChannelSplit.h"
#include "ColourSpace.h"
#include "CommandMap.h"
#include "ProcessingOperations.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

struct KeepingHost : SilentHost {
    void NewDocument(std::unique_ptr<COrinDoc> doc) override { made.push_back(std::move(doc)); }
    std::vector<std::unique_ptr<COrinDoc>> made;
};

}  // namespace

TEST(ColourSpace, YuvOfTheChannelSplit) {
    struct Case {
        int r, g, b;
        Yuv want;
    } cases[] = {
        {255, 0, 0, {76, 85, 255}},   // V = (255 - 76) x 0.713 + 128 = 255.6, clamped
        {0, 255, 0, {149, 43, 21}},
        {0, 0, 255, {29, 255, 107}},
        {10, 20, 33, {18, 136, 122}},
        {0, 0, 0, {0, 128, 128}},
        {200, 200, 200, {200, 128, 128}},
        {255, 255, 255, {255, 128, 128}},
    };
    for (const Case& k : cases) {
        const Yuv c = RgbToYuv(k.r, k.g, k.b);
        EXPECT_EQ(int(c.y), int(k.want.y)) << k.r << "," << k.g << "," << k.b;
        EXPECT_EQ(int(c.u), int(k.want.u)) << k.r << "," << k.g << "," << k.b;
        EXPECT_EQ(int(c.v), int(k.want.v)) << k.r << "," << k.g << "," << k.b;
    }
}

TEST(ChannelSplit, ThreeGreyDocumentsWithNumberedTitles) {
    Bench bench;
    KeepingHost host;
    bench.workspace.host = &host;
    auto doc = bench.Open(3, 2, [](int x, int y) { return x == 0 ? 0xFF0000u : x == 1 ? 0x0000FFu : uint32_t(y * 0x4D4D4D); });
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    OperationTable table;
    AddProcessingOperations(table);

    ASSERT_TRUE(table.Find(kCmdSplitHsl)->run(*doc, {}).ok);
    ASSERT_EQ(host.made.size(), 3u);
    const char* titles[] = {"Hue Channel 1 from test.bmp", "Saturation Channel 2 from test.bmp",
                            "Lightness Channel 3 from test.bmp"};
    const uint8_t red[] = {0, 255, 128}, blue[] = {170, 255, 128}, grey[] = {170, 0, 77};
    for (int c = 0; c < 3; ++c) {
        const COrinDoc& made = *host.made[size_t(c)];
        EXPECT_EQ(made.fileName, titles[c]);
        const LayerRecord& layer = made.layers[made.layers.bottom];
        ASSERT_EQ(layer.width, 3);
        ASSERT_EQ(layer.height, 2);
        EXPECT_EQ(PixelAt(layer, 0, 1), red[c] * 0x010101u) << c;
        EXPECT_EQ(PixelAt(layer, 1, 0), blue[c] * 0x010101u) << c;
        EXPECT_EQ(PixelAt(layer, 2, 1), grey[c] * 0x010101u) << c;
    }
    ASSERT_TRUE(table.Find(kCmdSplitYuv)->run(*doc, {}).ok);
    ASSERT_EQ(host.made.size(), 6u);
    EXPECT_EQ(host.made[3]->fileName, "Y Channel 4 from test.bmp");
    EXPECT_EQ(host.made[5]->fileName, "V Channel 6 from test.bmp");
    EXPECT_EQ(PixelAt(host.made[3]->layers[0], 0, 0), 76 * 0x010101u);
    EXPECT_EQ(PixelAt(host.made[4]->layers[0], 1, 0), 255 * 0x010101u);

    // The source keeps its pixels and records nothing.
    EXPECT_EQ(Difference(Capture(*doc), before), "");
    EXPECT_EQ(doc->history.position, position);
}

TEST(ChannelSplit, RgbPlanesAreTheCurrentLayersBytesInItsSize) {
    Bench bench;
    auto doc = bench.Open(2, 2, [](int x, int y) { return uint32_t(0x102030 + x * 0x010000 + y * 0x000001); });
    AlphaAt(doc->layers[0], 1, 1) = 0;  // transparent pixels are split too
    ChannelPlanes planes;
    ASSERT_TRUE(LayerRgbPlanes(*doc, planes).ok);
    EXPECT_EQ(planes.width, 2);
    EXPECT_EQ(planes.planes[0], (std::vector<uint8_t>{0x10, 0x11, 0x10, 0x11}));
    EXPECT_EQ(planes.planes[1], (std::vector<uint8_t>{0x20, 0x20, 0x20, 0x20}));
    EXPECT_EQ(planes.planes[2], (std::vector<uint8_t>{0x30, 0x30, 0x31, 0x31}));
    EXPECT_EQ(ChannelTitle(ChannelModel::kRgb, 1, 7, "a.jpg"), "G Channel 7 from a.jpg");
}
