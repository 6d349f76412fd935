#include "PaintTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <utility>

#include "BrushOutline.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "Gradient.h"
#include "PaintPrimitives.h"
#include "Random.h"
#include "Selection.h"
#include "ToolEvents.h"
#include "ToolRouter.h"
#include "ViewState.h"
#include "ViewComposite.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

void SelectRect(COrinDoc& doc, int x0, int y0, int x1, int y1) {
    SelectionMask& m = doc.selection;
    std::fill(m.bytes.begin(), m.bytes.end(), 0);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) m.bytes[size_t(y) * size_t(m.width) + size_t(x)] = 1;
    m.shown = true;
    m.built = true;
}

std::u16string LastLabel(COrinDoc& doc) { return doc.history.entries[size_t(doc.history.position)].label; }

TEST(Brush, TheOutlineRadiusIsWhatADabReaches) {
    const struct {
        int tool, size, radius;
    } cases[] = {{kCmdBrush, 1, 0},  {kCmdBrush, 2, 2},   {kCmdBrush, 24, 24}, {kCmdBrush, 26, 25}, {kCmdEraser, 7, 7},
                 {kCmdSpray, 3, 20}, {kCmdLine, 9, 0},    {kCmdFill, 9, 0},    {-1, 9, 0}};
    for (const auto& c : cases) {
        Workspace ws;
        ws.currentTool = c.tool;
        ws.brushSize = c.size;
        EXPECT_EQ(BrushOutlineRadius(ws), c.radius) << c.tool << " " << c.size;
    }
}

TEST(Brush, SizeOneWritesTheBresenhamPixelsOpaqueInsideTheSelectionOnly) {
    TestDoc t(10, 6, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.brushSize = 1;
    doc.workspace.foreground = 0x3050F0;
    t.Set(7, 4, 0x010101, 33);
    t.Restart();
    SelectRect(doc, 0, 0, 5, 5);  // columns 6..9 are outside
    const std::vector<uint8_t> before = t.Snapshot();
    ToolMouseDown(doc, 1, t.ViewY(1));
    ToolMouseMove(doc, 8, t.ViewY(4));
    ToolMouseUp(doc, 8, t.ViewY(4));
    // The line (1,1) -> (8,4): (1,1) (2,1) (3,2) (4,2) (5,3) (6,3) (7,4) (8,4).
    const std::set<std::pair<int, int>> line = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            if (line.count({x, y})) {
                EXPECT_EQ(t.Colour(x, y), 0x3050F0u) << x << "," << y;
                EXPECT_EQ(t.Alpha(x, y), 255) << x << "," << y;
            } else {
                EXPECT_EQ(t.Alpha(x, y), x == 7 && y == 4 ? 33 : 0) << x << "," << y;
            }
        }
    EXPECT_EQ(t.Colour(7, 4), 0x010101u);  // on the line, outside the selection
    EXPECT_EQ(LastLabel(doc), u"붓그리기");
    EXPECT_EQ(ViewOf(doc).lastX, -1);
    EXPECT_TRUE(Undo(doc));
    EXPECT_EQ(t.Snapshot(), before);
}

TEST(Brush, WithoutSelectionPaintsEverywhereAndShiftDragsPaintNothing) {
    TestDoc t(6, 3, 0xFFFFFF);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.foreground = 0x000000;
    ToolMouseDown(doc, 0, 1);
    ToolMouseMove(doc, 5, 1, kMouseLeft | kMouseShift);
    EXPECT_EQ(t.Colour(0, 1), 0u);
    EXPECT_EQ(t.Colour(3, 1), 0xFFFFFFu);
    ToolMouseMove(doc, 5, 1);
    ToolMouseUp(doc, 5, 1);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(t.Colour(x, 1), 0u);
}

// A stroke tells the views each dab's rectangle; recording its step at the release
// does not make them compose the whole picture again, and what they keep is exact.
TEST(Brush, ViewsComposeOnlyTheStrokesRectanglesAgain) {
    TestDoc t(40, 30, 0x204060);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.brushSize = 2;
    doc.workspace.foreground = 0xF08010;
    ComposeParams p;
    p.width = 40;
    p.height = 30;
    ViewComposite view;
    view.Compose(doc, p);
    ToolMouseDown(doc, 3, 4);
    ToolMouseMove(doc, 9, 6);
    ToolMouseUp(doc, 9, 6);
    EXPECT_EQ(LastLabel(doc), u"붓그리기");
    const RegionRect pending = view.Pending(doc, p);
    EXPECT_FALSE(pending.Empty());
    EXPECT_LT(pending.x1, 20);  // not the whole picture
    EXPECT_LT(pending.y1, 15);
    std::vector<uint32_t> fresh;
    ComposeLayers(doc, p, fresh);
    EXPECT_EQ(view.Compose(doc, p), fresh);
}

TEST(Eraser, ClearsOpacityAlongTheStroke) {
    TestDoc t(6, 3, 0x808080);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdEraser;
    ToolMouseDown(doc, 1, 1);
    ToolMouseMove(doc, 4, 1);
    ToolMouseUp(doc, 4, 1);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(t.Alpha(x, 1), x >= 1 && x <= 4 ? 0 : 255);
    EXPECT_EQ(t.Colour(2, 1), 0x808080u);
    EXPECT_EQ(LastLabel(doc), u"영역지우기");
}

TEST(Painting, RefusedOnATextLayerWithTheMessage) {
    TestDoc t(6, 6);
    COrinDoc& doc = t.Doc();
    t.Layer().kind = kLayerText;
    const std::vector<uint8_t> before = t.Snapshot();
    for (int tool : {kCmdBrush, kCmdEraser, kCmdSpray, kCmdDot, kCmdFill, kCmdWaterDrop, kCmdLine, kCmdPolyline,
                     kCmdCircle, kCmdGradient}) {
        doc.workspace.currentTool = tool;
        const Status s = ToolPress(doc, 2, 2);
        EXPECT_EQ(s.message, msg::kTextLayer) << tool;
        ToolDrag(doc, 4, 4, kMouseLeft);
        ToolRelease(doc, 4, 4);
    }
    EXPECT_EQ(t.Snapshot(), before);
    doc.workspace.currentTool = kCmdBrush;
    ToolMouseDown(doc, 1, 1);  // the router shows the message
    ASSERT_FALSE(t.host.messages.empty());
    EXPECT_EQ(t.host.messages.back(), msg::kTextLayer);
}

TEST(Painting, OutsideTheLayerGrowsItAndPaintsAtTheNewPlace) {
    TestDoc t(8, 4, 0x000000);
    COrinDoc& doc = t.Doc();
    t.Layer().x = 3;  // canvas columns 0..2 are left of the layer
    doc.selection.x = 3;
    RefreshWorkingCopy(doc);
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.foreground = 0xFFFFFF;
    ToolMouseDown(doc, 1, 0);
    ToolMouseUp(doc, 1, 0);
    EXPECT_EQ(t.Layer().width, 8 + 2 + 15);
    EXPECT_EQ(t.Layer().x, 1);
    EXPECT_EQ(t.Colour(0, 3), 0xFFFFFFu);
    EXPECT_EQ(t.Alpha(0, 3), 255);
    EXPECT_EQ(t.Alpha(2, 3), 255);  // the old column 0
    EXPECT_EQ(t.Colour(2, 3), 0u);
}

TEST(Spray, OnATransparentLayerGivesOpaqueBrushColourAndRepeatsFromTheSameSeed) {
    auto spray = [](TestDoc& t) {
        COrinDoc& doc = t.Doc();
        doc.workspace.currentTool = kCmdSpray;
        doc.workspace.foreground = 0x2468AC;
        rng::Reset(1);
        ToolMouseDown(doc, 30, 30);
        ToolMouseUp(doc, 30, 30);
        return t.Snapshot();
    };
    TestDoc a(61, 61, 0x000000, 0);
    const std::vector<uint8_t> first = spray(a);
    int painted = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 61; ++x) {
            if (!a.Alpha(x, y)) continue;
            ++painted;
            EXPECT_EQ(a.Alpha(x, y), 255);
            EXPECT_EQ(a.Colour(x, y), 0x2468ACu) << x << "," << y;
            EXPECT_LE((x - 30) * (x - 30) + (y - 30) * (y - 30), 19 * 19 + 19) << x << "," << y;
        }
    EXPECT_GT(painted, 900);  // rings 1..19 and the closed holes
    EXPECT_EQ(a.Alpha(30, 30), 255);
    EXPECT_EQ(LastLabel(a.Doc()), u"스프레이");
    TestDoc b(61, 61, 0x000000, 0);
    EXPECT_EQ(spray(b), first);
}

TEST(Spray, SoftRingsBlendTowardThePictureAtTheRim) {
    TestDoc t(61, 61, 0x000000, 255);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdSpray;
    doc.workspace.foreground = 0x0000C8;  // red 200 over black
    rng::Reset(1);
    ToolMouseDown(doc, 30, 30);
    ToolMouseUp(doc, 30, 30);
    // Ring 1: w = 1/20 + noise * 0.1 - 0.2 < 0 -> 0: the plain colour.
    EXPECT_EQ(t.Colour(31, 30), 0x0000C8u);
    // Ring 19: w = 0.95 - 0.2 + (0..0.1): red = 200 - trunc(w * 200) lies in 30..50.
    const int rim = int(t.Colour(49, 30) & 0xFF);
    EXPECT_GE(rim, 30);
    EXPECT_LE(rim, 50);
}

TEST(Dot, WritesABrushSizeBlockShiftedFromThePoint) {
    TestDoc t(10, 10, 0x000000, 255);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdDot;
    doc.workspace.brushSize = 2;
    doc.workspace.foreground = 0x00FF00;
    ToolMouseDown(doc, 5, t.ViewY(5));  // view (5, 4) -> (3, 5) -> layer (3, 4)
    std::set<std::pair<int, int>> green;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (t.Colour(x, y) == 0x00FF00u) green.emplace(x, y);
    const std::set<std::pair<int, int>> block = {{3, 4}, {4, 4}, {3, 5}, {4, 5}};
    EXPECT_EQ(green, block);
    EXPECT_EQ(LastLabel(doc), u"점찍기");
}

TEST(WaterDrop, OnATransparentPixelDoesNothing) {
    TestDoc t(9, 9, 0x000000, 255);
    COrinDoc& doc = t.Doc();
    t.Set(4, 4, 0xC8C8C8, 0);
    const std::vector<uint8_t> before = t.Snapshot();
    EXPECT_FALSE(WaterDrop(doc, 4, 4));
    EXPECT_EQ(t.Snapshot(), before);
}

TEST(WaterDrop, PullsTheCentreColourOutward) {
    TestDoc t(9, 9, 0x000000, 255);
    COrinDoc& doc = t.Doc();
    doc.workspace.brushSize = 1;  // s = 2, D = sqrt(8)
    t.Set(4, 4, 0x0000C8);       // red 200 on black
    t.Set(3, 4, 0x000000, 0);    // transparent pixels are recoloured, their opacity kept
    doc.workspace.currentTool = kCmdWaterDrop;
    ToolMouseDown(doc, 4, t.ViewY(4));
    ToolMouseUp(doc, 4, t.ViewY(4));
    EXPECT_EQ(t.Colour(4, 4), 0x0000C8u);
    // d = 1: b = 1.5 / sqrt(8) = 0.5303; red = trunc(0.4697 * 200) = 93.
    EXPECT_EQ(t.Colour(5, 4), 0x00005Du);
    EXPECT_EQ(t.Colour(3, 4), 0x00005Du);
    EXPECT_EQ(t.Alpha(3, 4), 0);
    // d = sqrt(2): b = 0.75; red = 50.
    EXPECT_EQ(t.Colour(5, 5), 0x000032u);
    // d = sqrt(8): b = 1, own colour; columns x + 2 are outside the square.
    EXPECT_EQ(t.Colour(2, 2), 0u);
    EXPECT_EQ(t.Colour(6, 4), 0u);
    EXPECT_EQ(LastLabel(doc), u"물방울");
}

TEST(Fill, FloodsAFullyTransparentLayer) {
    TestDoc t(7, 5, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdFill);
    EXPECT_EQ(doc.workspace.inclusionLimit, 10);
    doc.workspace.foreground = 0x123456;
    ASSERT_TRUE(ToolPress(doc, 3, 2).ok);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            ASSERT_EQ(t.Colour(x, y), 0x123456u);
            ASSERT_EQ(t.Alpha(x, y), 255);
        }
    EXPECT_EQ(LastLabel(doc), u"채우기");
}

TEST(Fill, ClickedOutsideTheSelectionChangesNothing) {
    TestDoc t(7, 5, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    SelectRect(doc, 0, 0, 2, 4);
    doc.workspace.currentTool = kCmdFill;
    const std::vector<uint8_t> before = t.Snapshot();
    const int position = doc.history.position;
    ToolPress(doc, 5, 2);
    EXPECT_EQ(t.Snapshot(), before);
    EXPECT_EQ(doc.history.position, position);
}

TEST(Fill, InsideASelectionOnATransparentLayerLeavesTheRestEmpty) {
    TestDoc t(7, 5, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    SelectRect(doc, 1, 1, 3, 3);
    doc.workspace.currentTool = kCmdFill;
    doc.workspace.foreground = 0xFFFFFF;
    ToolPress(doc, 2, t.ViewY(2));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool in = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            ASSERT_EQ(t.Alpha(x, y), in ? 255 : 0) << x << "," << y;
            ASSERT_EQ(t.Colour(x, y), in ? 0xFFFFFFu : 0u) << x << "," << y;
        }
}

TEST(Fill, ComparesNeighbourWithNeighbourAndStopsAtAnEdge) {
    // Red 0, 5, 10, ... 45 along x (a ramp that auto select with limit 10 would cut),
    // then a jump to 200 in columns 10 and 11.
    TestDoc t(12, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x) t.Set(x, y, uint32_t(5 * x));
        t.Set(10, y, 200);
        t.Set(11, y, 200);
    }
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdFill;
    doc.workspace.inclusionLimit = 10;
    doc.workspace.foreground = 0x00FF00;
    ToolPress(doc, 0, 0);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(t.Colour(x, 1), 0x00FF00u) << x;
    EXPECT_EQ(t.Colour(10, 1), 200u);
    EXPECT_EQ(t.Colour(11, 0), 200u);
}

TEST(Fill, EdgeSpreadFadesTheOpacityTowardTheSelectionEdge) {
    TestDoc t(10, 10, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    SelectRect(doc, 2, 2, 7, 7);
    doc.workspace.edgeSpread = 1;
    doc.workspace.currentTool = kCmdFill;
    doc.workspace.foreground = 0xFFFFFF;
    ToolPress(doc, 5, 5);
    // Window columns x-1..x, rows y-1..y: (5, 5) has 4 selected cells -> 255;
    // (2, 5) has 2 -> 0; (5, 2) likewise; (2, 2) has 1 -> 0.
    EXPECT_EQ(t.Alpha(5, 5), 255);
    EXPECT_EQ(t.Alpha(3, 3), 255);
    EXPECT_EQ(t.Alpha(2, 5), 0);
    EXPECT_EQ(t.Colour(2, 5), 0xFFFFFFu);  // coloured with weight 0
    EXPECT_EQ(t.Alpha(8, 5), 0);
    EXPECT_EQ(t.Colour(8, 5), 0u);
}

// The fill as a plain pixel-by-pixel last-in-first-out walk, the clicked pixel marked.
void ReferenceFill(TestDoc& t, int sx, int sy, uint32_t paint, int limit) {
    LayerRecord& l = t.Layer();
    const int w = l.width, h = l.height;
    std::vector<uint8_t> visited(size_t(w) * size_t(h), 0);
    std::vector<std::pair<int, int>> stack = {{sx, sy}};
    visited[size_t(sy) * size_t(w) + size_t(sx)] = 1;
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        const uint32_t p = t.Colour(x, y);
        if (t.Mask(x, y)) t.Set(x, y, paint, 255);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if ((!dx && !dy) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const size_t q = size_t(ny) * size_t(w) + size_t(nx);
                if (visited[q]) continue;
                if (t.Alpha(nx, ny) != 0 && ColourDistance(t.Colour(nx, ny), p) >= limit) continue;
                visited[q] = 1;
                stack.push_back({nx, ny});
            }
    }
}

TEST(Fill, AgreesWithAPlainPixelWalkOnRandomPictures) {
    for (int round = 0; round < 40; ++round) {
        rng::Reset(uint32_t(100 + round));
        const int w = 5 + rng::Next() % 20, h = 5 + rng::Next() % 20;
        TestDoc fast(w, h), slow(w, h);
        const int levels = 2 + rng::Next() % 4;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t c = uint32_t(rng::Next() % levels) * 6u;
                const uint8_t a = rng::Next() % 7 == 0 ? 0 : 255;
                const uint8_t m = rng::Next() % 9 == 0 ? 0 : 1;
                for (TestDoc* t : {&fast, &slow}) {
                    t->Set(x, y, c, a);
                    t->Doc().selection.bytes[size_t(y) * size_t(w) + size_t(x)] = m;
                }
            }
        const int sx = rng::Next() % w, sy = rng::Next() % h;
        fast.Doc().workspace.foreground = 0xABCDEF;
        fast.Doc().workspace.inclusionLimit = 10;
        FloodFill(fast.Doc(), sx, sy);
        ReferenceFill(slow, sx, sy, 0xABCDEF, 10);
        ASSERT_EQ(fast.Snapshot(), slow.Snapshot()) << "round " << round;
    }
}

TEST(Line, RubberLineLeavesOnlyTheFinalLine) {
    TestDoc t(10, 10, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdLine;
    doc.workspace.foreground = 0xFFFFFF;
    ToolMouseDown(doc, 1, 1);
    ToolMouseMove(doc, 8, 8);
    EXPECT_EQ(t.Alpha(5, t.Height() - 1 - 5), 255);  // the rubber line shows
    ToolMouseMove(doc, 8, 1);
    ToolMouseUp(doc, 8, 1);
    int painted = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) painted += t.Alpha(x, y) != 0;
    EXPECT_EQ(painted, 8);
    for (int x = 1; x <= 8; ++x) EXPECT_EQ(t.Alpha(x, t.Height() - 1 - 1), 255);
    EXPECT_EQ(LastLabel(doc), u"선그리기");
}

TEST(Polyline, EachPressAfterTheFirstDrawsAndRecords) {
    TestDoc t(10, 10, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    ChooseToolCommand(&doc, doc.workspace, kCmdPolyline);
    const int position = doc.history.position;
    ToolPress(doc, 1, 1);
    EXPECT_EQ(doc.history.position, position);
    ToolPress(doc, 5, 1);
    ToolPress(doc, 5, 6);
    EXPECT_EQ(doc.history.position, position + 2);
    EXPECT_EQ(LastLabel(doc), u"다각형그리기");
    EXPECT_EQ(t.Alpha(3, 8), 255);
    EXPECT_EQ(t.Alpha(5, 5), 255);
    EXPECT_EQ(t.Alpha(1, 5), 0);
}

TEST(Circle, CentreFollowsTheMouseAndTheRimStaysOnThePressPoint) {
    TestDoc t(30, 30, 0x000000, 0);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdCircle;
    doc.workspace.brushSize = 1;
    ToolMouseDown(doc, 20, 15);   // rim: layer (20, 14)
    ToolMouseMove(doc, 10, 10);   // a first rubber circle
    ToolMouseMove(doc, 15, 15);   // centre (15, 14), radius 5
    ToolMouseUp(doc, 15, 15);
    std::set<std::pair<int, int>> painted;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (t.Alpha(x, y)) painted.emplace(x, y);
    // r = 5: axis points, k = 1 (h = 5), k = 2 (h = 5), k = 3 (h = 4), then k = 4 > h.
    std::set<std::pair<int, int>> ring;
    for (auto [dx, dy] : std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 4}})
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) {
                ring.emplace(15 + sx * dx, 14 + sy * dy);
                ring.emplace(15 + sx * dy, 14 + sy * dx);
            }
    EXPECT_EQ(painted, ring);
    EXPECT_TRUE(painted.count({20, 14}));
    EXPECT_EQ(LastLabel(doc), u"원 그리기");
}

TEST(ColourPick, TakesThePixelColourOrTheBackgroundOutside) {
    struct Host : SilentHost {
        int changes = 0;
        void ColoursChanged() override { ++changes; }
    } host;
    TestDoc t(6, 6, 0x000000);
    COrinDoc& doc = t.Doc();
    t.workspace.host = &host;
    t.Set(2, 3, 0x5A6B7C);
    doc.workspace.currentTool = kCmdColourPick;
    ToolPress(doc, 2, t.ViewY(3));
    EXPECT_EQ(doc.workspace.foreground, 0x5A6B7Cu);
    EXPECT_EQ(host.changes, 1);
    t.Layer().x = 3;  // canvas column 0 is outside the layer now
    doc.mainImage->Info().backgroundColour = RgbQuad{0x11, 0x22, 0x33, 0};
    ToolPress(doc, 0, 0);
    EXPECT_EQ(doc.workspace.foreground, 0x112233u);
    t.workspace.host = &t.host;
}

TEST(Move, DragMovesTheLayerAndTheMaskAndIsRefusedBeyondTheLimits) {
    TestDoc t(10, 8);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdMove;
    ToolPress(doc, 2, 2);
    ToolDrag(doc, 5, 4, kMouseLeft);
    EXPECT_EQ(t.Layer().x, 3);
    EXPECT_EQ(t.Layer().y, 2);  // moving down on screen raises the row offset
    EXPECT_EQ(doc.selection.x, 3);
    EXPECT_EQ(doc.selection.y, 2);
    EXPECT_EQ(doc.history.entries[size_t(doc.history.position)].xs[0], 3);
    ToolDrag(doc, 13, 4, kMouseLeft);  // x would be 11 > 10: refused
    EXPECT_EQ(t.Layer().x, 3);
    ToolDrag(doc, 20, 4, kMouseLeft);  // 7 more: x 10 is allowed
    EXPECT_EQ(t.Layer().x, 10);
    ToolRelease(doc, 20, 4);
    EXPECT_EQ(doc.working.entries[0].record.x, 10);
    // Arrow keys move by one pixel.
    ToolKeyDown(doc, 37, 0);
    ToolKeyDown(doc, 38, 0);
    EXPECT_EQ(t.Layer().x, 9);
    EXPECT_EQ(t.Layer().y, 1);
    // At zoom 2 the layer follows the mouse in canvas pixels.
    ViewOf(doc).zoom = 2.0f;
    ToolPress(doc, 10, 0);
    ToolDrag(doc, 5, 0, kMouseLeft);  // canvas columns 5 -> 2
    EXPECT_EQ(t.Layer().x, 6);
}

TEST(Move, LiftsTheSelectionIntoAFloatingLayerAndReleaseMergesItBack) {
    TestDoc t(8, 6, 0x000000);
    COrinDoc& doc = t.Doc();
    t.Set(2, 2, 0x0000FF);
    t.Set(3, 2, 0x00FF00);
    doc.workspace.currentTool = kCmdRectSelect;
    ToolPress(doc, 2, t.ViewY(2));
    ToolDrag(doc, 3, t.ViewY(2), kMouseLeft);
    ToolRelease(doc, 3, t.ViewY(2));
    ASSERT_TRUE(doc.selection.shown);
    doc.workspace.currentTool = kCmdMove;
    ToolPress(doc, 2, 2);
    ToolDrag(doc, 3, 2, kMouseLeft);  // the first step lifts
    const int floating = doc.layers.FirstOfKind(kLayerFloating);
    ASSERT_GE(floating, 0);
    EXPECT_EQ(doc.layers.current, floating);
    EXPECT_EQ(doc.layers[floating].link, 0);
    EXPECT_EQ(doc.layers[floating].x, 0);
    EXPECT_EQ(doc.layers[0].alpha[size_t(2) * 8 + 2], 0);  // cleared from the layer
    EXPECT_EQ(doc.layers[0].alpha[size_t(2) * 8 + 4], 255);
    EXPECT_FALSE(doc.selection.shown);
    EXPECT_TRUE(doc.selection.lifted);
    ToolDrag(doc, 5, 2, kMouseLeft);  // then moves it two columns right
    EXPECT_EQ(doc.layers[floating].x, 2);
    ToolRelease(doc, 5, 2);
    ReleaseSelection(doc);
    EXPECT_LT(doc.layers.FirstOfKind(kLayerFloating), 0);
    EXPECT_EQ(doc.layers.current, 0);
    EXPECT_EQ(LastLabel(doc), u"레이어병합");
    EXPECT_EQ(t.Colour(4, 2), 0x0000FFu);
    EXPECT_EQ(t.Colour(5, 2), 0x00FF00u);
    EXPECT_EQ(t.Alpha(2, 2), 0);
    EXPECT_EQ(t.Alpha(4, 2), 255);
}

// Every tool step is one history step: undo brings the layer back bit for bit.
TEST(Painting, UndoOfEachToolStepRestoresTheLayer) {
    struct Case {
        int tool;
        std::function<void(COrinDoc&)> run;
    };
    const std::vector<Case> cases = {
        {kCmdBrush, [](COrinDoc& d) { ToolPress(d, 2, 2), ToolDrag(d, 9, 6, kMouseLeft), ToolRelease(d, 9, 6); }},
        {kCmdEraser, [](COrinDoc& d) { ToolPress(d, 2, 2), ToolDrag(d, 9, 6, kMouseLeft), ToolRelease(d, 9, 6); }},
        {kCmdSpray, [](COrinDoc& d) { ToolPress(d, 6, 6), ToolDrag(d, 7, 6, kMouseLeft), ToolRelease(d, 7, 6); }},
        {kCmdDot, [](COrinDoc& d) { ToolPress(d, 5, 5); }},
        {kCmdWaterDrop, [](COrinDoc& d) { ToolPress(d, 5, 5), ToolDrag(d, 6, 5, kMouseLeft), ToolRelease(d, 6, 5); }},
        {kCmdFill, [](COrinDoc& d) { ToolPress(d, 1, 1); }},
        {kCmdLine, [](COrinDoc& d) { ToolPress(d, 1, 1), ToolDrag(d, 9, 3, kMouseLeft), ToolRelease(d, 9, 3); }},
        {kCmdPolyline, [](COrinDoc& d) { ToolPress(d, 1, 1), ToolPress(d, 9, 3); }},
        {kCmdCircle, [](COrinDoc& d) { ToolPress(d, 6, 6), ToolDrag(d, 7, 5, kMouseLeft), ToolRelease(d, 7, 5); }},
        {kCmdGradient, [](COrinDoc& d) { ToolPress(d, 1, 1), ToolDrag(d, 9, 3, kMouseLeft), ToolRelease(d, 9, 3); }},
    };
    for (const Case& c : cases) {
        TestDoc t(12, 12, 0x406080);
        COrinDoc& doc = t.Doc();
        for (int x = 0; x < 12; ++x) t.Set(x, 5, 0x102030, 128);
        t.Restart();
        doc.workspace.brushSize = 3;
        doc.workspace.soft = 1;
        doc.workspace.foreground = 0xF0E0D0;
        ChooseToolCommand(&doc, doc.workspace, c.tool);
        const std::vector<uint8_t> before = t.Snapshot();
        const int position = doc.history.position;
        c.run(doc);
        EXPECT_NE(t.Snapshot(), before) << c.tool;
        EXPECT_EQ(doc.history.position, position + 1) << c.tool;
        EXPECT_TRUE(Undo(doc)) << c.tool;
        EXPECT_EQ(t.Snapshot(), before) << c.tool;
    }
}

}  // namespace
