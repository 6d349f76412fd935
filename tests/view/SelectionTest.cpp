#include "Selection.h"

#include <gtest/gtest.h>

#include "CommandMap.h"
#include "EditSteps.h"
#include "ToolRouter.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

// Draws a closed free selection through layer points (rows bottom-up).
void FreeSelect(TestDoc& t, std::initializer_list<std::pair<int, int>> points) {
    COrinDoc& doc = t.Doc();
    auto it = points.begin();
    FreeSelectPress(doc, it->first, t.ViewY(it->second));
    for (++it; it != points.end(); ++it) FreeSelectDrag(doc, it->first, t.ViewY(it->second));
    const auto last = *(points.end() - 1);
    FreeSelectRelease(doc, last.first, t.ViewY(last.second));
}

int CountMask(TestDoc& t, uint8_t value) {
    int n = 0;
    for (uint8_t b : t.Doc().selection.bytes) n += b == value;
    return n;
}

TEST(RectangleSelection, DragAndReleaseSelectTheRectangle) {
    TestDoc t(10, 8, 0x336699);
    COrinDoc& doc = t.Doc();
    const std::vector<uint8_t> before = t.Snapshot();
    ASSERT_TRUE(RectSelectPress(doc, 2, t.ViewY(1)).ok);
    RectSelectDrag(doc, 5, t.ViewY(3));
    RectSelectDrag(doc, 6, t.ViewY(4));
    EXPECT_EQ(t.host.messages.size(), 0u);
    RectSelectRelease(doc, 6, t.ViewY(4));
    const SelectionMask& m = doc.selection;
    EXPECT_TRUE(m.shown);
    EXPECT_TRUE(m.built);
    EXPECT_TRUE(doc.view.timerRunning);
    EXPECT_EQ(m.rect[0], 2);
    EXPECT_EQ(m.rect[1], 1);
    EXPECT_EQ(m.rect[2], 6);
    EXPECT_EQ(m.rect[3], 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(t.Mask(x, y), (x >= 2 && x <= 6 && y >= 1 && y <= 4) ? 1 : 0) << x << "," << y;
    // The rubber outline was drawn into the only (topmost) layer and comes out again.
    EXPECT_EQ(m.outlineSurface, 0);
    EXPECT_NE(t.Snapshot(), before);
    RemoveOutline(doc);
    EXPECT_EQ(t.Snapshot(), before);
}

TEST(RectangleSelection, ClickWithoutDragReleases) {
    TestDoc t(6, 6);
    COrinDoc& doc = t.Doc();
    RectSelectPress(doc, 1, 1);
    RectSelectDrag(doc, 4, 4);
    RectSelectRelease(doc, 4, 4);
    ASSERT_TRUE(doc.selection.shown);
    RectSelectPress(doc, 3, 3);
    RectSelectRelease(doc, 3, 3);
    EXPECT_FALSE(doc.selection.shown);
    EXPECT_FALSE(doc.view.timerRunning);
    EXPECT_EQ(CountMask(t, 1), 36);
    EXPECT_TRUE(doc.selection.polygonSkip);
}

TEST(RectangleSelection, RefusedOnATextLayer) {
    TestDoc t(6, 6);
    t.Layer().kind = kLayerText;
    const Status s = RectSelectPress(t.Doc(), 1, 1);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kTextLayer);
}

TEST(CompleteMask, SquareFreeSelectionSelectsItsInside) {
    TestDoc t(12, 12);
    FreeSelect(t, {{2, 2}, {9, 2}, {9, 9}, {2, 9}});
    COrinDoc& doc = t.Doc();
    EXPECT_TRUE(doc.selection.closed);
    EXPECT_TRUE(doc.selection.shown);
    EXPECT_FALSE(doc.selection.built);
    CompleteMask(doc);
    EXPECT_TRUE(doc.selection.built);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool edge = (x == 2 || x == 9) && y >= 2 && y <= 9;
            const bool side = (y == 2 || y == 9) && x >= 2 && x <= 9;
            const bool inside = x > 2 && x < 9 && y > 2 && y < 9;
            ASSERT_EQ(t.Mask(x, y), edge || side ? 2 : inside ? 1 : 0) << x << "," << y;
        }
}

TEST(CompleteMask, ThinSliverSelectsOnlyItsBoundary) {
    TestDoc t(10, 12);
    FreeSelect(t, {{3, 1}, {5, 1}, {5, 10}, {3, 10}});
    COrinDoc& doc = t.Doc();
    CompleteMask(doc);
    EXPECT_EQ(t.Mask(4, 5), 0);  // inside the sliver: no seed, no fill
    EXPECT_EQ(t.Mask(3, 5), 2);
    EXPECT_EQ(t.Mask(5, 5), 2);
    EXPECT_EQ(t.Mask(0, 0), 0);
    EXPECT_EQ(CountMask(t, 1), 0);
    EXPECT_EQ(CountMask(t, 2), 2 * 10 + 2);  // two sides of 10 rows, column 4 on the ends
}

TEST(CompleteMask, RunResetsAfterEveryPairOfBoundaryBytes) {
    // Row 1 holds boundary bytes at 1, 2 (too close: reset) and 6, 11: the candidate is
    // 6 + trunc(5 * 0.5) = 8, closed below by row 0 and above by row 3 in column 8.
    TestDoc t(14, 5);
    COrinDoc& doc = t.Doc();
    SelectionMask& m = doc.selection;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    auto mark = [&](int x, int y) { m.bytes[size_t(y) * 14 + size_t(x)] = 2; };
    for (int x = 6; x <= 11; ++x) {
        mark(x, 0);
        mark(x, 3);
    }
    for (int y = 1; y <= 2; ++y) {
        mark(6, y);
        mark(11, y);
    }
    mark(1, 1);
    mark(2, 1);
    CompleteMask(doc);
    for (int x = 7; x <= 10; ++x) {
        EXPECT_EQ(t.Mask(x, 1), 1);
        EXPECT_EQ(t.Mask(x, 2), 1);
    }
    EXPECT_EQ(t.Mask(4, 1), 0);
    EXPECT_EQ(t.Mask(12, 2), 0);
}

TEST(InvertSelection, TwiceRestoresExceptBoundaryBytes) {
    TestDoc t(5, 4);
    COrinDoc& doc = t.Doc();
    SelectionMask& m = doc.selection;
    for (size_t i = 0; i < m.bytes.size(); ++i) m.bytes[i] = uint8_t(i % 3);
    const std::vector<uint8_t> before = m.bytes;
    // Not shown: the command does nothing.
    InvertSelection(doc);
    EXPECT_EQ(m.bytes, before);
    m.shown = true;
    InvertSelection(doc);
    EXPECT_TRUE(m.inverted);
    for (size_t i = 0; i < m.bytes.size(); ++i) ASSERT_EQ(m.bytes[i], before[i] == 0 ? 1 : 0);
    InvertSelection(doc);
    EXPECT_FALSE(m.inverted);
    for (size_t i = 0; i < m.bytes.size(); ++i) ASSERT_EQ(m.bytes[i], before[i] == 0 ? 0 : 1);
}

TEST(PolygonSelection, EdgesThenDoubleClickCloseAndTheTimerFillsIt) {
    TestDoc t(12, 12);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdPolygonSelect;
    doc.workspace.outlineKind = 2;
    ASSERT_FALSE(doc.selection.polygonSkip);
    PolygonSelectPress(doc, 1, t.ViewY(1));
    PolygonSelectPress(doc, 10, t.ViewY(1));
    PolygonSelectPress(doc, 10, t.ViewY(10));
    PolygonSelectPress(doc, 1, t.ViewY(10));
    EXPECT_EQ(doc.selection.edgeCount, 3);
    EXPECT_FALSE(doc.selection.shown);
    ToolDoubleClick(doc, 1, t.ViewY(10));
    EXPECT_TRUE(doc.selection.closed);
    EXPECT_TRUE(doc.selection.shown);
    EXPECT_TRUE(doc.view.timerRunning);
    EXPECT_EQ(t.Mask(5, 5), 1);  // boundary not filled yet: every byte was 1 before
    OutlineTimerTick(doc);
    EXPECT_TRUE(doc.selection.built);
    EXPECT_EQ(t.Mask(5, 5), 1);
    EXPECT_EQ(t.Mask(1, 5), 2);
    EXPECT_EQ(t.Mask(0, 5), 0);
    EXPECT_EQ(t.Mask(11, 11), 0);
    // A double click on the shown selection releases it; the next press only clears
    // the polygon-skip flag.
    ToolDoubleClick(doc, 5, 5);
    EXPECT_FALSE(doc.selection.shown);
    EXPECT_TRUE(doc.selection.polygonSkip);
    PolygonSelectPress(doc, 3, 3);
    EXPECT_FALSE(doc.selection.polygonSkip);
    EXPECT_EQ(doc.view.polyFirstX, -1);
    PolygonSelectPress(doc, 3, 3);
    EXPECT_EQ(doc.view.polyFirstX, 3);
}

TEST(SelectionOutline, TimerDrawsIntoTheTopmostVisibleLayerAndReleaseTakesItOut) {
    TestDoc t(16, 16, 0x000000);
    COrinDoc& doc = t.Doc();
    const int top = t.AddLayerAbove(0x000000, 0);
    SelectLayer(doc, 0);
    const std::vector<uint8_t> bottom = t.Snapshot();
    const std::vector<uint8_t> topPixels = doc.layers[top].pixels;
    const std::vector<uint8_t> topAlpha = doc.layers[top].alpha;
    RectSelectPress(doc, 2, 2);
    RectSelectDrag(doc, 12, 12);
    RectSelectRelease(doc, 12, 12);
    const bool phase = doc.workspace.blinkPhase;
    OutlineTimerTick(doc);
    EXPECT_NE(doc.workspace.blinkPhase, phase);
    EXPECT_EQ(doc.selection.outlineSurface, top);
    EXPECT_EQ(doc.selection.outlineHost, 0);
    EXPECT_EQ(t.Snapshot(), bottom);  // the current layer is not drawn into
    int white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const LayerRecord& s = doc.layers[top];
            const uint8_t* p = s.pixels.data() + size_t(y) * size_t(s.stride) + size_t(x) * 3;
            if (s.alpha[size_t(y) * 16 + size_t(x)] == 255) {
                ++white;
                EXPECT_EQ(p[0] & p[1] & p[2], 255);
                // Only on the selection's edge: columns 2 and 12, layer rows 3 and 13.
                EXPECT_TRUE(x == 2 || x == 12 || y == 3 || y == 13) << x << "," << y;
            }
        }
    EXPECT_GT(white, 10);
    OutlineTimerTick(doc);  // the other dash phase, drawn over a restored layer
    ReleaseSelection(doc);
    EXPECT_EQ(doc.layers[top].pixels, topPixels);
    EXPECT_EQ(doc.layers[top].alpha, topAlpha);
    EXPECT_EQ(doc.selection.outlineSurface, -1);
}

TEST(ReleaseCommand, ReleasesAndClearsTheTool) {
    TestDoc t(6, 6);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdRectSelect;
    RectSelectPress(doc, 1, 1);
    RectSelectDrag(doc, 3, 3);
    RectSelectRelease(doc, 3, 3);
    ReleaseCommand(doc);
    EXPECT_EQ(doc.workspace.currentTool, -1);
    EXPECT_FALSE(doc.selection.shown);
    EXPECT_EQ(CountMask(t, 1), 36);
    EXPECT_EQ(doc.view.strokeX, -1);
    EXPECT_EQ(doc.view.rectEndX, -1);
}

}  // namespace

// Undo with an outline drawn into the picture: the outline leaves the layers before they
// come back, so the next outline tick never restores the pixels that undo took away.
TEST(SelectionOutline, UndoWithTheOutlineShownKeepsTheUndonePixels) {
    TestDoc t(12, 10, 0x808080);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdRectSelect;
    ToolMouseDown(doc, 1, 1);
    ToolMouseMove(doc, 8, 7);
    ToolMouseUp(doc, 8, 7);
    ASSERT_TRUE(doc.selection.shown);
    RemoveOutline(doc);
    const std::vector<uint8_t> before = t.Layer().pixels;
    OutlineTimerTick(doc);
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.foreground = 0x0000FF;
    ToolMouseDown(doc, 4, 4);
    ToolMouseUp(doc, 4, 4);
    OutlineTimerTick(doc);  // the outline is drawn into the layer again
    ASSERT_TRUE(Undo(doc));
    OutlineTimerTick(doc);
    OutlineTimerTick(doc);
    RemoveOutline(doc);
    EXPECT_EQ(t.Layer().pixels, before);
    ASSERT_TRUE(Redo(doc));
    OutlineTimerTick(doc);
    RemoveOutline(doc);
    EXPECT_EQ(t.Colour(4, t.Height() - 1 - 4), 0x0000FFu);
}
