#include "SimilarArea.h"

#include <gtest/gtest.h>


#include "CommandMap.h"
#include "OutlinePause.h"
#include "PaintTools.h"
#include "Selection.h"
#include "ToolEvents.h"
#include "ViewState.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

int Selected(TestDoc& t) {
    int n = 0;
    for (uint8_t b : t.Doc().selection.bytes) n += b != 0;
    return n;
}

TEST(AutoSelect, ChoosingTheToolSetsItsValuesAndClearsTheMask) {
    TestDoc t(5, 5);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.inclusionLimit = 3;
    ASSERT_TRUE(ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect).ok);
    EXPECT_EQ(doc.workspace.currentTool, kCmdAutoSelect);
    EXPECT_EQ(doc.workspace.previousTool, kCmdBrush);
    EXPECT_EQ(doc.workspace.outlineKind, 2);
    EXPECT_EQ(doc.workspace.inclusionLimit, 25);
    EXPECT_EQ(Selected(t), 0);
    t.Layer().kind = kLayerText;
    const Status s = ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    EXPECT_EQ(s.message, msg::kTextLayer);
}

TEST(AutoSelect, LimitZeroSelectsOnlyTheClickedPixel) {
    TestDoc t(6, 5, 0x808080);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    doc.workspace.inclusionLimit = 0;
    ASSERT_TRUE(ToolPress(doc, 2, t.ViewY(3)).ok);
    EXPECT_EQ(Selected(t), 1);
    EXPECT_EQ(t.Mask(2, 3), 1);
    EXPECT_TRUE(doc.selection.shown);
    EXPECT_TRUE(doc.selection.built);
    EXPECT_TRUE(OutlineRunning(doc));
}

TEST(AutoSelect, UniformLayerIsSelectedWholeExceptATransparentHole) {
    TestDoc t(7, 6, 0x204060);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    ToolPress(doc, 0, 0);
    EXPECT_EQ(Selected(t), 42);
    t.Set(3, 2, 0x204060, 0);
    t.Set(4, 2, 0x204060, 0);
    ToolPress(doc, 0, 0);
    EXPECT_EQ(Selected(t), 40);
    EXPECT_EQ(t.Mask(3, 2), 0);
    EXPECT_EQ(t.Mask(4, 2), 0);
    // The clicked pixel itself is taken even when it is transparent; its neighbour
    // in the hole is not.
    ToolPress(doc, 3, t.ViewY(2));
    EXPECT_EQ(t.Mask(3, 2), 1);
    EXPECT_EQ(t.Mask(4, 2), 0);
    EXPECT_EQ(Selected(t), 41);
}

TEST(AutoSelect, ComparesWithTheClickedColourNotTheNeighbour) {
    // A ramp of red 0, 10, 20, ... along x: limit 25 takes 0, 10 and 20 only.
    TestDoc t(8, 1);
    for (int x = 0; x < 8; ++x) t.Set(x, 0, uint32_t(10 * x));
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    ToolPress(doc, 0, 0);
    EXPECT_EQ(Selected(t), 3);
    EXPECT_EQ(t.Mask(2, 0), 1);
    EXPECT_EQ(t.Mask(3, 0), 0);
}

TEST(AutoSelect, AddingKeepsTheMaskAndTurnsBoundaryBytesIntoSelected) {
    TestDoc t(8, 4, 0x000000);
    for (int y = 0; y < 4; ++y) t.Set(6, y, 0xFFFFFF);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    ToolPress(doc, 0, 0);
    EXPECT_EQ(Selected(t), 24);  // the black columns 0..5
    EXPECT_EQ(t.Mask(7, 0), 0);  // black too, but cut off by the white column
    doc.selection.bytes[7] = 2;  // a boundary byte left by a free selection at (7, 0)
    ViewOf(doc).addToSelection = true;
    ToolPress(doc, 6, 0);
    EXPECT_EQ(t.Mask(6, 3), 1);
    EXPECT_EQ(t.Mask(0, 0), 1);
    EXPECT_EQ(t.Mask(7, 0), 1);
    EXPECT_EQ(t.Mask(7, 3), 0);
    EXPECT_EQ(Selected(t), 24 + 1 + 4);
    // Without the flag a double click with no outline releases; with it, not.
    doc.selection.shown = false;
    ToolDoubleClickAt(doc, 1, 1);
    EXPECT_EQ(Selected(t), 29);
    ViewOf(doc).addToSelection = false;
    ToolDoubleClickAt(doc, 1, 1);
    EXPECT_EQ(Selected(t), 32);  // released: every byte 1
    EXPECT_FALSE(doc.selection.shown);
}

TEST(ColourRange, ToleranceZeroSelectsExactlyTheSearchColourAndReportsTheShare) {
    TestDoc t(4, 4, 0x000000);
    t.Set(0, 0, 0x112233);
    t.Set(3, 1, 0x112233);
    t.Set(2, 3, 0x112233);
    t.Set(1, 1, 0x112233, 0);  // transparent: never selected, but counted in the area
    t.Set(1, 2, 0x112234);
    COrinDoc& doc = t.Doc();
    ASSERT_TRUE(ChooseToolCommand(&doc, doc.workspace, kCmdColourRange).ok);
    EXPECT_EQ(doc.workspace.currentTool, kCmdColourRangePick);
    EXPECT_EQ(Selected(t), 0);
    doc.workspace.rangeTolerance = 0;
    const std::string text = ColourRangePick(doc, 0, t.ViewY(0));
    EXPECT_EQ(doc.workspace.searchColour, 0x112233u);
    EXPECT_EQ(text, "픽셀수 3   (18.75)%           ");
    EXPECT_EQ(Selected(t), 3);
    EXPECT_EQ(t.Mask(3, 1), 1);
    EXPECT_EQ(t.Mask(1, 1), 0);
    EXPECT_EQ(t.Mask(1, 2), 0);
    EXPECT_TRUE(doc.selection.shown);
    EXPECT_TRUE(OutlineRunning(doc));
    // Tolerance 1 takes the neighbouring colour too; mode 0 starts again.
    doc.workspace.rangeTolerance = 1;
    EXPECT_EQ(ColourRangeSearch(doc), "픽셀수 4   (25.00)%           ");
    EXPECT_EQ(doc.workspace.currentTool, kCmdColourRangePick);
    // Stopped by the user (Esc): the selection stays as the last search left it.
    struct Stopping : SilentHost {
        bool Cancelled() override { return true; }
    } stopping;
    const SelectionMask before = doc.selection;
    doc.workspace.host = &stopping;
    doc.workspace.rangeTolerance = 60;
    EXPECT_EQ(ColourRangeSearch(doc), "");
    doc.workspace.host = &t.host;
    EXPECT_EQ(doc.selection.bytes, before.bytes);
    EXPECT_EQ(Selected(t), 4);
    EXPECT_TRUE(doc.selection.shown);
}

TEST(ColourRange, AddModeKeepsTheSelectionAndCountsOnlyThisScan) {
    TestDoc t(4, 2, 0x000000);
    t.Set(3, 1, 0xFF0000);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdColourRange);
    doc.workspace.rangeTolerance = 0;
    ColourRangePick(doc, 0, 0);  // black: 7 pixels
    EXPECT_EQ(Selected(t), 7);
    doc.selection.bytes[0] = 2;
    doc.workspace.rangeMode = 1;
    EXPECT_EQ(ColourRangePick(doc, 3, 0), "픽셀수 1   (12.50)%           ");
    EXPECT_EQ(Selected(t), 8);
    EXPECT_EQ(t.Mask(0, 0), 1);
}

TEST(SimilarArea, SearchesCoverAWholeLargeLayer) {
    // 24 megapixels: every search reaches the far corners (their speed is in bench/SearchBench.cpp).
    TestDoc t(6000, 4000, 0x3366CC);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    AutoSelectAt(doc, 3000, 2000);
    EXPECT_EQ(Selected(t), 6000 * 4000);

    doc.workspace.searchColour = 0x3366CC;
    doc.workspace.rangeTolerance = 0;
    EXPECT_EQ(ColourRangeScan(doc, 0x3366CC, 0), 6000 * 4000);

    SetMaskBytes(doc, 1);
    doc.workspace.foreground = 0x00FF00;
    doc.workspace.inclusionLimit = 10;
    FloodFill(doc, 10, 10);
    EXPECT_EQ(t.Colour(5999, 3999), 0x00FF00u);
    EXPECT_EQ(t.Colour(0, 0), 0x00FF00u);
}

}  // namespace
