#include "ToolRouter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "CommandMap.h"
#include "FreeTransformTool.h"
#include "OutlinePause.h"
#include "Selection.h"
#include "SelectionCommands.h"
#include "ToolEvents.h"
#include "ViewState.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

TEST(ToolKeys, HeldShiftSetsTheAddFlagUntilASingleKeyUp) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    ToolKeyDown(doc, 16, 0x402A);
    EXPECT_TRUE(ViewOf(doc).addToSelection);
    ToolKeyUp(doc, 16, 3);
    EXPECT_TRUE(ViewOf(doc).addToSelection);
    ToolKeyUp(doc, 16, 1);
    EXPECT_FALSE(ViewOf(doc).addToSelection);
    ToolKeyDown(doc, 16, 0x402A);
    ToolKeyDown(doc, 65, 0x001E);  // any other key flags clear it
    EXPECT_FALSE(ViewOf(doc).addToSelection);
}

// Shift is read at the click: an automatic selection with Shift held adds to the one
// shown, a click without it starts again.
TEST(ToolClicks, ShiftAtTheClickAddsToTheAutomaticSelection) {
    TestDoc t(6, 2, 0x000000);
    for (int y = 0; y < 2; ++y) t.Set(3, y, 0xFFFFFF);  // a white column splits two black halves
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    auto selected = [&] { return int(std::count(doc.selection.bytes.begin(), doc.selection.bytes.end(), 1)); };
    ToolMouseDown(doc, 0, 0, kMouseLeft);
    ToolMouseUp(doc, 0, 0);
    EXPECT_EQ(selected(), 6);  // columns 0..2
    ToolMouseDown(doc, 5, 0, kMouseLeft | kMouseShift);
    ToolMouseUp(doc, 5, 0);
    EXPECT_EQ(selected(), 10);  // and columns 4..5
    EXPECT_EQ(t.Mask(3, 0), 0);
    ToolMouseDown(doc, 5, 0, kMouseLeft);
    ToolMouseUp(doc, 5, 0);
    EXPECT_EQ(selected(), 4);
    EXPECT_EQ(t.Mask(0, 0), 0);
}

TEST(ToolKeys, ArrowsMoveOnlyWithTheMoveTool) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    ToolKeyDown(doc, 39, 0);
    EXPECT_EQ(t.Layer().x, 0);
    doc.workspace.currentTool = kCmdMove;
    ToolKeyDown(doc, 39, 0);
    ToolKeyDown(doc, 40, 0);
    ToolKeyDown(doc, 40, 0);
    EXPECT_EQ(t.Layer().x, 1);
    EXPECT_EQ(t.Layer().y, 2);
}

TEST(ChooseTool, SetsTheToolAndForgetsTheOldStroke) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    Workspace& ws = doc.workspace;
    ChooseTool(&doc, ws, kCmdPolyline);
    ToolMouseDown(doc, 1, 1);
    EXPECT_EQ(ViewOf(doc).polyPrevX, 1);
    ChooseTool(&doc, ws, kCmdBrush);
    EXPECT_EQ(ws.currentTool, kCmdBrush);
    EXPECT_EQ(ViewOf(doc).polyPrevX, -1);
    ChooseTool(&doc, ws, kCmdFill);
    EXPECT_EQ(ws.inclusionLimit, 10);
    // Without a picture the tool is still chosen.
    ChooseTool(nullptr, ws, kCmdAutoSelect);
    EXPECT_EQ(ws.currentTool, kCmdAutoSelect);
    EXPECT_EQ(ws.outlineKind, 2);
    // Choosing auto select on a text layer shows the message.
    t.Layer().kind = kLayerText;
    ChooseTool(&doc, ws, kCmdAutoSelect);
    ASSERT_FALSE(t.host.messages.empty());
    EXPECT_EQ(t.host.messages.back(), msg::kTextLayer);
}

TEST(ChooseTool, APaintingToolAfterAnUnusedAutoSelectCanPaint) {
    TestDoc t(4, 4, 0x000000);
    COrinDoc& doc = t.Doc();
    ChooseTool(&doc, doc.workspace, kCmdAutoSelect);
    EXPECT_EQ(t.Mask(1, 1), 0);
    ChooseTool(&doc, doc.workspace, kCmdBrush);
    doc.workspace.foreground = 0xFFFFFF;
    ToolMouseDown(doc, 1, 1);
    ToolMouseUp(doc, 1, 1);
    EXPECT_EQ(t.Colour(1, 2), 0xFFFFFFu);
    // A shown selection is kept when a painting tool is chosen.
    SelectionMask& m = doc.selection;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    m.shown = true;
    ChooseTool(&doc, doc.workspace, kCmdFill);
    EXPECT_EQ(t.Mask(1, 1), 0);
}

TEST(ChooseTool, MoveRefusesToLiftASelectionOfATextLayer) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    doc.selection.shown = true;
    t.Layer().kind = kLayerText;
    ChooseTool(&doc, doc.workspace, kCmdMove);
    EXPECT_EQ(ToolPress(doc, 1, 1).message, msg::kTextLayer);
    EXPECT_TRUE(ToolDrag(doc, 3, 3, kMouseLeft).ok);
    EXPECT_EQ(t.Layer().x, 0);
    EXPECT_EQ(doc.layers.FirstOfKind(kLayerFloating), -1);
}

TEST(ChooseTool, ZoomBecomesTheToolUnlessABoundaryIsBeingDrawn) {
    TestDoc t(4, 4);
    COrinDoc& doc = t.Doc();
    Workspace& ws = doc.workspace;
    ws.currentTool = kCmdFreeSelect;
    ChooseTool(&doc, ws, kCmdZoomIn);
    EXPECT_EQ(ws.currentTool, kCmdFreeSelect);
    ws.currentTool = kCmdPolygonSelect;
    ChooseTool(&doc, ws, kCmdZoomIn);
    EXPECT_EQ(ws.currentTool, kCmdPolygonSelect);
    doc.selection.shown = true;
    ChooseTool(&doc, ws, kCmdZoomIn);
    EXPECT_EQ(ws.currentTool, kCmdZoomIn);
}

TEST(OutlineTimer, SuspendedTimerDoesNothingAndKindZeroCompletesTheBoundary) {
    TestDoc t(12, 12);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdFreeSelect;
    doc.workspace.outlineKind = 0;
    ToolMouseDown(doc, 2, 2);
    ToolMouseMove(doc, 9, 2);
    ToolMouseMove(doc, 9, 9);
    ToolMouseMove(doc, 2, 9);
    ToolMouseUp(doc, 2, 9);
    ASSERT_TRUE(OutlineRunning(doc));
    {
        const OutlinePause pause(doc);
        OutlineTimerTick(doc);
        EXPECT_FALSE(doc.selection.built);
    }
    doc.selection.outlineEnabled = false;
    OutlineTimerTick(doc);  // kind 0 turns outline drawing back on
    EXPECT_TRUE(doc.selection.outlineEnabled);
    EXPECT_TRUE(doc.selection.built);
    EXPECT_EQ(t.Mask(5, 5), 1);
    EXPECT_EQ(t.Mask(0, 0), 0);
}

}  // namespace

namespace {

TEST(SetTransparency, TheNextClickPicksTheColourWhateverTheTool) {
    TestDoc t(3, 2, 0x00FF00);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    doc.setTransparency = true;
    doc.workspace.foreground = 0x0000FF;
    ToolMouseDown(doc, 1, t.ViewY(0), 0);  // layer pixel (1, 0)
    EXPECT_TRUE(std::all_of(t.Layer().alpha.begin(), t.Layer().alpha.end(), [](uint8_t a) { return a == 0; }));
    ToolMouseMove(doc, 2, t.ViewY(1), 1);  // the click's drag and release paint nothing
    ToolMouseUp(doc, 2, t.ViewY(1));
    EXPECT_EQ(doc.setTransparency, 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(t.Colour(x, 1), 0x00FF00u);
    const int position = doc.history.position;
    ToolMouseDown(doc, 0, t.ViewY(0), 1);  // the brush again
    ToolMouseUp(doc, 0, t.ViewY(0));
    EXPECT_EQ(doc.history.position, position + 1);
}

}  // namespace

namespace {

// The outline stays still while any pause is held, nested ones included, and runs again
// when the last one ends; a tool's pause spans its press and release, and a stroke that
// is forgotten (another tool chosen before the release) does not keep the outline still.
TEST(OutlineTimer, PausesNestAndToolsHoldThemFromPressToRelease) {
    TestDoc t(12, 12);
    COrinDoc& doc = t.Doc();
    ASSERT_TRUE(SelectWholeLayer(doc));
    ASSERT_TRUE(OutlineRunning(doc));
    {
        const OutlinePause outer(doc);
        { const OutlinePause inner(doc); }
        EXPECT_FALSE(OutlineRunning(doc));
    }
    EXPECT_TRUE(OutlineRunning(doc));

    for (int tool : {kCmdLine, kCmdGradient}) {
        SCOPED_TRACE(tool);
        ChooseToolCommand(&doc, doc.workspace, tool);
        ASSERT_TRUE(SelectWholeLayer(doc));
        ToolMouseDown(doc, 2, 2, kMouseLeft);
        EXPECT_FALSE(OutlineRunning(doc));
        ToolMouseMove(doc, 8, 8);
        EXPECT_FALSE(OutlineRunning(doc));
        ToolMouseUp(doc, 8, 8);
        EXPECT_TRUE(OutlineRunning(doc));
        ToolMouseDown(doc, 2, 2, kMouseLeft);
        ChooseToolCommand(&doc, doc.workspace, kCmdBrush);
        EXPECT_TRUE(OutlineRunning(doc));
        EXPECT_EQ(doc.outlinePauses, 0);
    }

    // The free transform keeps the outline still while its handles are shown.
    ASSERT_TRUE(ChooseToolCommand(&doc, doc.workspace, kCmdFreeTransform));
    ASSERT_TRUE(ViewOf(doc).warpShown);
    EXPECT_FALSE(OutlineRunning(doc));
    FreeTransformKey(doc, 27);  // Esc
    EXPECT_TRUE(OutlineRunning(doc));
    EXPECT_EQ(doc.outlinePauses, 0);
}

}  // namespace
