#include "Gradient.h"

#include <gtest/gtest.h>

#include "CommandMap.h"
#include "ToolEvents.h"
#include "ViewState.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

constexpr uint32_t kFg = 0x0000C8;  // red 200
constexpr uint32_t kBg = 0x640000;  // blue 100

// A 40 x 10 layer with the box columns x0..x1, rows 3..8 selected.
void SelectBox(COrinDoc& doc, int x0, int x1) {
    SelectionMask& m = doc.selection;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    for (int y = 3; y <= 8; ++y)
        for (int x = x0; x <= x1; ++x) m.bytes[size_t(y) * size_t(m.width) + size_t(x)] = 1;
    m.shown = true;
    m.built = true;
}

// Drags between two layer points with the gradient tool.
Status Drag(TestDoc& t, int x0, int y0, int x1, int y1) {
    COrinDoc& doc = t.Doc();
    ToolPress(doc, x0, t.ViewY(y0));
    ToolDrag(doc, x1, t.ViewY(y1), kMouseLeft);
    return ToolRelease(doc, x1, t.ViewY(y1));
}

struct GradientFixture : ::testing::Test {
    GradientFixture() : t(40, 10, 0x0A0A0A, 77) {
        COrinDoc& doc = t.Doc();
        ChooseToolCommand(&doc, doc.workspace, kCmdGradient);
        doc.workspace.foreground = kFg;
        doc.workspace.background = kBg;
    }
    TestDoc t;
};

TEST_F(GradientFixture, KindTwoShapeOneRunsFromForegroundAtTheLeftToBackgroundAtTheRight) {
    COrinDoc& doc = t.Doc();
    doc.workspace.gradientKind = 2;
    doc.workspace.gradientShape = 1;
    SelectBox(doc, 2, 9);
    // A shallow drag: slope 1/39, so the lines of equal colour are nearly vertical.
    ASSERT_TRUE(Drag(t, 0, 1, 39, 2).ok);
    for (int y = 3; y <= 8; ++y) {
        EXPECT_EQ(t.Colour(2, y), kFg) << y;
        EXPECT_EQ(t.Colour(9, y), kBg) << y;
        EXPECT_EQ(t.Alpha(2, y), 255);
        EXPECT_EQ(t.Alpha(9, y), 255);
        // Inside: between the two.
        const uint32_t mid = t.Colour(5, y);
        EXPECT_GT(mid & 0xFF, 0u);
        EXPECT_LT(mid & 0xFF, 200u);
        // Outside the selection nothing changes.
        EXPECT_EQ(t.Colour(1, y), 0x0A0A0Au);
        EXPECT_EQ(t.Alpha(10, y), 77);
    }
    EXPECT_EQ(t.Colour(5, 2), 0x0A0A0Au);
    EXPECT_EQ(doc.history.entries[size_t(doc.history.position)].label, u"그라디언트");
}

TEST_F(GradientFixture, RightToLeftDragReversesTheRamp) {
    COrinDoc& doc = t.Doc();
    doc.workspace.gradientKind = 2;
    doc.workspace.gradientShape = 1;
    SelectBox(doc, 2, 9);
    Drag(t, 39, 2, 0, 1);
    for (int y = 3; y <= 8; ++y) {
        EXPECT_EQ(t.Colour(2, y), kBg) << y;
        EXPECT_EQ(t.Colour(9, y), kFg) << y;
    }
}

TEST_F(GradientFixture, ShapeTwoPutsTheOtherColourInTheMiddle) {
    COrinDoc& doc = t.Doc();
    doc.workspace.gradientShape = 2;
    SelectBox(doc, 2, 10);  // w = 8, half 4: the middle is column 6
    doc.workspace.gradientKind = 2;
    Drag(t, 0, 1, 39, 2);
    for (int y = 3; y <= 8; ++y) {
        EXPECT_EQ(t.Colour(2, y), kFg);
        EXPECT_EQ(t.Colour(10, y), kFg);
        EXPECT_EQ(t.Colour(6, y), kBg);
        // Column 4: t = |4 - 2| / 4 = 0.5: red trunc(0.5 * 200) = 100, blue 50.
        EXPECT_EQ(t.Colour(4, y), 0x320064u);
    }
    doc.workspace.gradientKind = 1;
    Drag(t, 0, 1, 39, 2);
    for (int y = 3; y <= 8; ++y) {
        EXPECT_EQ(t.Colour(6, y), 0u);
        EXPECT_EQ(t.Colour(2, y), kFg);
        EXPECT_EQ(t.Colour(4, y), 0x000064u);
    }
}

TEST_F(GradientFixture, ClickWithoutDragShowsTheMessageAndChangesNothing) {
    COrinDoc& doc = t.Doc();
    const std::vector<uint8_t> before = t.Snapshot();
    const int position = doc.history.position;
    const Status s = Drag(t, 5, 5, 5, 5);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kGradientDrag);
    EXPECT_EQ(t.Snapshot(), before);
    EXPECT_EQ(doc.history.position, position);
    ToolMouseDown(doc, 3, 3);
    ToolMouseUp(doc, 3, 3);
    ASSERT_FALSE(t.host.messages.empty());
    EXPECT_EQ(t.host.messages.back(), msg::kGradientDrag);
}

TEST_F(GradientFixture, HorizontalDragRampsToBlackWhateverKindAndShape) {
    COrinDoc& doc = t.Doc();
    doc.workspace.gradientKind = 2;
    doc.workspace.gradientShape = 2;
    doc.workspace.foreground = 0x2864C8;  // red 200, green 100, blue 40
    Drag(t, 30, 4, 10, 4);              // right to left: still the same ramp
    // Column j: channel * (40 - j) / 40.
    EXPECT_EQ(t.Colour(0, 0), 0x2864C8u);
    EXPECT_EQ(t.Colour(10, 7), 0x1E4B96u);  // 30/40: 150, 75, 30
    EXPECT_EQ(t.Colour(39, 9), 0x010205u);  // 1/40: 5, 2, 1
    EXPECT_EQ(t.Alpha(10, 7), 77);          // opacity kept
}

TEST_F(GradientFixture, VerticalDragRampsDownToBlack) {
    COrinDoc& doc = t.Doc();
    Drag(t, 7, 1, 7, 8);
    EXPECT_EQ(t.Colour(3, 9), kFg);         // the top row
    EXPECT_EQ(t.Colour(3, 0), 0x000014u);   // 200 * 1 / 10
    EXPECT_EQ(t.Colour(3, 4), 0x000064u);   // 200 * 5 / 10
    EXPECT_EQ(doc.history.entries[size_t(doc.history.position)].label, u"그라디언트");
}

TEST_F(GradientFixture, RefusedOnATextLayer) {
    t.Layer().kind = kLayerText;
    const std::vector<uint8_t> before = t.Snapshot();
    COrinDoc& doc = t.Doc();
    ViewOf(doc).strokeX = 1;
    ViewOf(doc).strokeY = 1;
    ViewOf(doc).gradEndX = 9;
    ViewOf(doc).gradEndY = 4;
    EXPECT_EQ(ApplyGradient(doc).message, msg::kTextLayer);
    EXPECT_EQ(t.Snapshot(), before);
}

TEST(GradientTool, ChoosingItAgainChangesNothing) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdGradient);
    ViewOf(doc).strokeX = 2;
    ChooseToolCommand(&doc, doc.workspace, kCmdGradient);
    EXPECT_EQ(ViewOf(doc).strokeX, 2);
    EXPECT_EQ(doc.workspace.currentTool, kCmdGradient);
}

}  // namespace
