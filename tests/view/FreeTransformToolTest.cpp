#include "FreeTransformTool.h"

#include <gtest/gtest.h>

#include "CommandMap.h"
#include "ToolRouter.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

constexpr uint32_t kRed = 0x0000FF;

// A 32 x 32 white layer with a red top-right pixel, the free transform chosen: its
// handles sit on the layer's corners, (32, 0) the top-right one in view points.
struct Warping : ::testing::Test {
    TestDoc t{32, 32};
    COrinDoc& doc = t.Doc();
    std::vector<uint8_t> before;
    void SetUp() override {
        t.Set(31, 31, kRed);
        t.Restart();
        before = t.Snapshot();
        ChooseTool(&doc, doc.workspace, kCmdFreeTransform);
    }
    // Drags the top-right handle to the middle of the top edge.
    void Squeeze() {
        ToolMouseDown(doc, 32, 0);
        ToolMouseMove(doc, 24, 0);
        ToolMouseUp(doc, 16, 0);
    }
    std::u16string LastStep() { return doc.history.entries[size_t(doc.history.position)].label; }
};

TEST_F(Warping, HandlesFollowTheCornersAndAConcaveDragIsRefused) {
    std::array<ViewCorner, 4> c;
    ASSERT_TRUE(FreeTransformOutline(doc, c));
    EXPECT_EQ(c[0].x, 0);  // bottom-left
    EXPECT_EQ(c[0].y, 32);
    EXPECT_EQ(c[2].x, 32);  // top-right
    EXPECT_EQ(c[2].y, 0);
    // The top-right corner pulled past the diagonal would fold the shape: it stays.
    ToolMouseDown(doc, 31, 1);
    ToolMouseMove(doc, 4, 28);
    ASSERT_TRUE(FreeTransformOutline(doc, c));
    EXPECT_EQ(c[2].x, 32);
    EXPECT_EQ(c[2].y, 0);
    ToolMouseUp(doc, 4, 28);
    EXPECT_EQ(t.Snapshot(), before);
    // A press far from every handle takes none: dragging moves nothing.
    ToolMouseDown(doc, 16, 16);
    ToolMouseMove(doc, 12, 12);
    ToolMouseUp(doc, 12, 12);
    EXPECT_EQ(t.Snapshot(), before);
}

TEST_F(Warping, ReleaseShowsTheWarpAndEscapeBringsTheLayerBack) {
    const int position = doc.history.position;
    Squeeze();
    EXPECT_EQ(t.Alpha(31, 31), 0);  // the top-right pixel lies outside the new shape
    EXPECT_EQ(t.Colour(0, 0), 0xFFFFFFu);
    EXPECT_EQ(doc.history.position, position);  // a preview records nothing
    ToolKeyDown(doc, 27, 0);
    EXPECT_EQ(t.Snapshot(), before);
    std::array<ViewCorner, 4> c;
    EXPECT_FALSE(FreeTransformOutline(doc, c));
    // A later press shows the handles again on the layer as it is.
    ToolMouseDown(doc, 16, 16);
    EXPECT_TRUE(FreeTransformOutline(doc, c));
}

TEST_F(Warping, EnterKeepsTheResultAsOneStepThatUndoes) {
    const int position = doc.history.position;
    Squeeze();
    const std::vector<uint8_t> warped = t.Snapshot();
    ToolKeyDown(doc, 13, 0);
    EXPECT_EQ(t.Snapshot(), warped);
    EXPECT_EQ(doc.history.position, position + 1);
    EXPECT_EQ(LastStep(), u"자유 변형");
    std::array<ViewCorner, 4> c;
    EXPECT_FALSE(FreeTransformOutline(doc, c));
    ASSERT_TRUE(Undo(doc));
    EXPECT_EQ(t.Snapshot(), before);
}

TEST_F(Warping, AnotherToolTakesThePreviewBackAndEnterOnTheRectangleRecordsNothing) {
    Squeeze();
    ChooseTool(&doc, doc.workspace, kCmdBrush);
    EXPECT_EQ(t.Snapshot(), before);
    const int position = doc.history.position;
    ChooseTool(&doc, doc.workspace, kCmdFreeTransform);
    ToolKeyDown(doc, 13, 0);
    EXPECT_EQ(doc.history.position, position);
    EXPECT_EQ(t.Snapshot(), before);
}

}  // namespace
