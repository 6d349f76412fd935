#include "LayerCoordinates.h"

#include <gtest/gtest.h>

#include "ViewState.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

TEST(ViewToLayer, FlipsRowsAndAppliesZoomAndOffsets) {
    TestDoc t(8, 6);
    COrinDoc& doc = t.Doc();
    LayerPoint p = ViewToLayer(doc, 3, 1, false);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);  // 0 + 6 - 1 - 1
    ViewOf(doc).zoom = 2.0f;
    p = ViewToLayer(doc, 7, 11, false);  // canvas (3, 5)
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 0);
    ViewOf(doc).zoom = 0.5f;
    p = ViewToLayer(doc, 2, 1, false);  // canvas (4, 2)
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.y, 3);
    ViewOf(doc).zoom = 1.0f;
    t.Layer().x = -2;
    t.Layer().y = 3;
    p = ViewToLayer(doc, 0, 0, false);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 8);  // 3 + 6 - 0 - 1
    // Another layer's coordinates, never grown.
    const int top = t.AddLayerAbove(0, 0);
    doc.layers[top].x = 5;
    p = ViewToLayerOf(doc, top, 4, 0);
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, 5);
    EXPECT_EQ(doc.layers[top].width, 8);
}

TEST(ViewToLayer, GrowsToTheLeftByOvershootPlus15AndShiftsTheOldPixels) {
    TestDoc t(4, 3, 0x102030);
    COrinDoc& doc = t.Doc();
    t.Set(0, 0, 0x0000FF, 77);
    t.Layer().x = 2;  // the layer starts at canvas column 2
    doc.selection.x = 2;
    const LayerPoint p = ViewToLayer(doc, 0, 1, true);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 1);
    LayerRecord& l = t.Layer();
    EXPECT_EQ(l.width, 4 + 2 + 15);
    EXPECT_EQ(l.height, 3);
    EXPECT_EQ(l.x, 0);
    EXPECT_EQ(l.stride, ((21 * 24 + 31) / 32) * 4);
    EXPECT_EQ(l.planeSize, 21 * 3);
    EXPECT_EQ(t.Colour(2, 0), 0x0000FFu);
    EXPECT_EQ(t.Alpha(2, 0), 77);
    EXPECT_EQ(t.Colour(3, 0), 0x102030u);
    EXPECT_EQ(t.Alpha(3, 1), 255);
    // The new columns are empty, on the left and the 15 extra ones on the right.
    EXPECT_EQ(t.Alpha(0, 0), 0);
    EXPECT_EQ(t.Alpha(1, 2), 0);
    EXPECT_EQ(t.Alpha(6, 0), 0);
    EXPECT_EQ(t.Alpha(20, 2), 0);
    // No selection: the mask is all 1 at the new size and offsets.
    EXPECT_EQ(doc.selection.width, 21);
    EXPECT_EQ(doc.selection.x, 0);
    for (uint8_t b : doc.selection.bytes) ASSERT_EQ(b, 1);
}

TEST(ViewToLayer, GrowsBelowRowZeroAndRaisesTheVerticalOffset) {
    TestDoc t(3, 4, 0x445566);
    COrinDoc& doc = t.Doc();
    t.Set(1, 0, 0xABCDEF, 9);
    t.Layer().y = -2;  // canvas row r is layer row r - 2
    doc.selection.y = -2;
    const LayerPoint p = ViewToLayer(doc, 1, 3, true);  // canvas row 0 -> layer row -2
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(t.Layer().height, 4 + 2 + 15);
    EXPECT_EQ(t.Layer().y, 0);
    EXPECT_EQ(t.Colour(1, 2), 0xABCDEFu);
    EXPECT_EQ(t.Alpha(1, 2), 9);
    EXPECT_EQ(t.Alpha(1, 0), 0);
    EXPECT_EQ(t.Alpha(1, 6), 0);
}

TEST(ViewToLayer, GrowsRightAndUpWithoutShifting) {
    TestDoc t(3, 3, 0x010203);
    COrinDoc& doc = t.Doc();
    t.Layer().x = -3;  // canvas column 2 is layer column 5: 3 columns past the edge
    doc.selection.x = -3;
    LayerPoint p = ViewToLayer(doc, 2, 1, true);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(t.Layer().width, 3 + 3 + 15);
    EXPECT_EQ(t.Layer().x, -3);
    EXPECT_EQ(t.Colour(0, 0), 0x010203u);
    EXPECT_EQ(t.Alpha(2, 2), 255);
    EXPECT_EQ(t.Alpha(3, 0), 0);
    t.Layer().y = 2;  // canvas row 2 is layer row 4: 2 rows above the top
    doc.selection.y = 2;
    p = ViewToLayer(doc, 0, 0, true);
    EXPECT_EQ(p.y, 4);
    EXPECT_EQ(t.Layer().height, 3 + 2 + 15);
    EXPECT_EQ(t.Layer().y, 2);
    EXPECT_EQ(t.Alpha(0, 2), 255);
    EXPECT_EQ(t.Alpha(0, 3), 0);
}

TEST(ViewToLayer, WithoutGrowingAPointOutsideStaysOutside) {
    TestDoc t(3, 3);
    t.Layer().x = 2;
    const LayerPoint p = ViewToLayer(t.Doc(), 0, 0, false);
    EXPECT_EQ(p.x, -2);
    EXPECT_EQ(t.Layer().width, 3);
}

TEST(ViewToLayer, GrowingReplacesAShownSelectionByTheOffsets) {
    TestDoc t(6, 4);
    COrinDoc& doc = t.Doc();
    t.Layer().x = 3;
    SelectionMask& m = doc.selection;
    m.x = 3;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    m.bytes[size_t(1) * 6 + 2] = 1;  // layer pixel (2, 1) is selected
    m.shown = true;
    const LayerPoint p = ViewToLayer(doc, 0, 0, true);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(m.width, 6 + 3 + 15);
    EXPECT_EQ(m.x, 0);
    // The selected pixel keeps its canvas place: layer column 2 + 3.
    EXPECT_EQ(t.Mask(5, 1), 1);
    EXPECT_EQ(t.Mask(2, 1), 0);
    int selected = 0;
    for (uint8_t b : m.bytes) selected += b;
    EXPECT_EQ(selected, 1);
}

}  // namespace
