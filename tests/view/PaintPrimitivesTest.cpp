#include "PaintPrimitives.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "Random.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

void SelectOnly(COrinDoc& doc, int x0, int y0, int x1, int y1) {
    SelectionMask& m = doc.selection;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) m.bytes[size_t(y) * size_t(m.width) + size_t(x)] = 1;
}

TEST(BresenhamLine, VisitsTheIntegerLinePoints) {
    std::vector<std::pair<int, int>> points;
    BresenhamLine(1, 1, 8, 4, [&](int x, int y) { points.emplace_back(x, y); });
    const std::vector<std::pair<int, int>> shallow = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}};
    EXPECT_EQ(points, shallow);
    points.clear();
    // Steep and backwards: dx = 2, dy = 4, e = 0 first.
    BresenhamLine(3, 5, 1, 1, [&](int x, int y) { points.emplace_back(x, y); });
    const std::vector<std::pair<int, int>> steep = {{3, 5}, {3, 4}, {2, 3}, {2, 2}, {1, 1}};
    EXPECT_EQ(points, steep);
}

TEST(RingPoints, RadiusThreeHasAxisThenSymmetricPoints) {
    std::set<std::pair<int, int>> points;
    int calls = 0;
    RingPoints(10, 10, 3, [&](int x, int y) {
        points.emplace(x, y);
        ++calls;
        return true;
    });
    // k = 1: h = trunc(sqrt(8) + 0.5) = 3, eight points; k = 2: h = trunc(sqrt(5) + 0.5) = 2,
    // the walk ends on k = h with four diagonal points.
    EXPECT_EQ(calls, 4 + 8 + 4);
    const std::set<std::pair<int, int>> expected = {{10, 13}, {10, 7},  {13, 10}, {7, 10}, {11, 13}, {9, 13},
                                                    {11, 7},  {9, 7},   {13, 11}, {7, 11}, {13, 9},  {7, 9},
                                                    {12, 12}, {8, 12},  {12, 8},  {8, 8}};
    EXPECT_EQ(points, expected);
    calls = 0;
    EXPECT_FALSE(RingPoints(0, 0, 3, [&](int, int) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
    calls = 0;
    RingPoints(0, 0, 0, [&](int, int) { return ++calls, true; });  // no square root of a negative
    EXPECT_EQ(calls, 4);
}

TEST(PutPixel, SelectionTestKeepsOpacityAndSkipsUnselectedPixels) {
    TestDoc t(6, 6, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    t.Set(2, 2, 0x000000, 90);
    SelectOnly(doc, 0, 0, 3, 3);
    PutPixel(doc, 2, 2, 0x123456, 1, true);
    EXPECT_EQ(t.Colour(2, 2), 0x123456u);
    EXPECT_EQ(t.Alpha(2, 2), 90);  // e = the old opacity
    PutPixel(doc, 4, 4, 0x123456, 1, true);
    EXPECT_EQ(t.Colour(4, 4), 0u);
    // Without the test the pixel becomes opaque.
    PutPixel(doc, 4, 4, 0x123456, 1, false);
    EXPECT_EQ(t.Alpha(4, 4), 255);
    // The block's far corner outside the layer: nothing.
    PutPixel(doc, 5, 5, 0xFFFFFF, 2, false);
    EXPECT_EQ(t.Colour(5, 5), 0u);
}

TEST(PutPixel, WideBlockPullsItsFirstRowTowardTheOldColourAndStopsAtTheSelection) {
    TestDoc t(10, 10, 0x000000, 255);
    COrinDoc& doc = t.Doc();
    // n = 8: rows carry m = 4, 3, ..., -3; only m = 4 (the first row) has |m| > 3:
    // 200 - (4 - 3) * (200 - 0) / 4 = 150.
    PutPixel(doc, 1, 1, 0x0000C8, 8, false);
    EXPECT_EQ(t.Colour(1, 1), 0x000096u);
    EXPECT_EQ(t.Colour(8, 1), 0x000096u);
    EXPECT_EQ(t.Colour(1, 2), 0x0000C8u);
    EXPECT_EQ(t.Colour(8, 8), 0x0000C8u);
    EXPECT_EQ(t.Colour(9, 9), 0u);
    // Column by column: the first unselected pixel abandons the rest of the block.
    TestDoc u(4, 4, 0x000000, 255);
    SelectOnly(u.Doc(), 0, 0, 3, 3);
    u.Doc().selection.bytes[size_t(1) * 4 + 1] = 0;  // (1, 1)
    PutPixel(u.Doc(), 0, 0, 0xFFFFFF, 3, true);
    EXPECT_EQ(u.Colour(0, 0), 0xFFFFFFu);
    EXPECT_EQ(u.Colour(0, 2), 0xFFFFFFu);
    EXPECT_EQ(u.Colour(1, 0), 0xFFFFFFu);
    EXPECT_EQ(u.Colour(1, 1), 0u);
    EXPECT_EQ(u.Colour(1, 2), 0u);
    EXPECT_EQ(u.Colour(2, 0), 0u);
}

TEST(PutAlpha, MeasurementLayersMirrorCoverageInTheAuxiliaryPlane) {
    TestDoc t(3, 3);
    t.Layer().kind = kLayerMeasure;
    PutAlpha(t.Doc(), 1, 1, 40, false);
    EXPECT_EQ(t.Alpha(1, 1), 40);
    EXPECT_EQ(t.Layer().aux[4], 1);
    PutAlpha(t.Doc(), 1, 1, 0, false);
    EXPECT_EQ(t.Layer().aux[4], 0);
}

TEST(EdgeSpread, WeightFollowsTheSelectedShareOfTheWindow) {
    TestDoc t(6, 6);
    COrinDoc& doc = t.Doc();
    SelectOnly(doc, 0, 0, 5, 5);
    // s = 1: the window is columns x-1..x, rows y-1..y; 2s^2 = 2.
    EXPECT_EQ(EdgeSpreadWeight(doc.selection, 3, 3, 1), 255);  // 4 ones: (4 - 2) * 256 / 2 = 256 -> 255
    doc.selection.bytes[size_t(2) * 6 + 2] = 0;
    EXPECT_EQ(EdgeSpreadWeight(doc.selection, 3, 3, 1), 128);  // 3 ones
    doc.selection.bytes[size_t(2) * 6 + 3] = 2;                // boundary bytes do not count
    EXPECT_EQ(EdgeSpreadWeight(doc.selection, 3, 3, 1), 0);
    // Column 0 and row 0 never count: at (1, 1) only cell (1, 1) is in the window.
    EXPECT_EQ(EdgeSpreadWeight(doc.selection, 1, 1, 1), 0);
}

TEST(EdgeSpread, TableAgreesWithTheDirectCountEverywhere) {
    TestDoc t(23, 17);
    SelectionMask& m = t.Doc().selection;
    rng::Reset(7);
    for (uint8_t& b : m.bytes) b = uint8_t(rng::Next() % 3);
    for (int s : {1, 2, 3, 5}) {
        const EdgeWeights table(m, s);
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) ASSERT_EQ(table.At(x, y), EdgeSpreadWeight(m, x, y, s)) << x << "," << y;
    }
}

TEST(Dab, RadiusOneWritesOneOpaquePixelInsideTheSelection) {
    TestDoc t(5, 5, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    SelectOnly(doc, 0, 0, 2, 4);
    Dab(doc, kDabPaint, 2, 2, 0x00FF00, 1, false);
    EXPECT_EQ(t.Colour(2, 2), 0x00FF00u);
    EXPECT_EQ(t.Alpha(2, 2), 255);
    Dab(doc, kDabPaint, 3, 2, 0x00FF00, 1, false);
    EXPECT_EQ(t.Alpha(3, 2), 0);
    Dab(doc, kDabErase, 2, 2, 0, 1, false);
    EXPECT_EQ(t.Alpha(2, 2), 0);
}

TEST(Dab, RadiusTwoIsAPlusWhoseCentreTheGapFillingCloses) {
    TestDoc t(7, 7, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    Dab(doc, kDabPaint, 3, 3, 0x0000FF, 2, false);
    std::set<std::pair<int, int>> painted;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (t.Alpha(x, y)) {
                painted.emplace(x, y);
                EXPECT_EQ(t.Colour(x, y), 0x0000FFu);
            }
    const std::set<std::pair<int, int>> plus = {{3, 3}, {3, 4}, {3, 2}, {4, 3}, {2, 3}};
    EXPECT_EQ(painted, plus);
}

TEST(Dab, ARingThatLeavesTheLayerStopsTheDab) {
    TestDoc t(20, 20, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    // Radius 6 at two pixels from the bottom edge: ring 2 reaches row 0, ring 3 leaves
    // the layer at its second point, so nothing beyond ring 2 is painted.
    Dab(doc, kDabPaint, 10, 2, 0xFFFFFF, 6, false);
    EXPECT_EQ(t.Alpha(10, 4), 255);  // ring 2
    EXPECT_EQ(t.Alpha(10, 5), 255);  // ring 3's first point came before the stop
    EXPECT_EQ(t.Alpha(13, 2), 0);    // ring 3's third point never came
    EXPECT_EQ(t.Alpha(10, 6), 0);    // ring 4
}

TEST(LineRaster, MarkingWritesBoundaryBytesAndRadiusZeroFails) {
    TestDoc t(10, 10);
    COrinDoc& doc = t.Doc();
    EXPECT_FALSE(LineRaster(doc, kDabPaint, false, 0, 0, 3, 3, 0, 0, false));
    EXPECT_TRUE(LineRaster(doc, kDabPaint, true, 1, 1, 4, 1, 0, 1, false));
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(t.Mask(x, 1), 2);
    EXPECT_EQ(t.Mask(5, 1), 1);
    EXPECT_EQ(t.Alpha(2, 1), 255);
    EXPECT_EQ(t.Colour(2, 1), 0xFFFFFFu);  // marking paints nothing
}

}  // namespace
