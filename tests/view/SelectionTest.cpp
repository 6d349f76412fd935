#include "Selection.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "ChannelSplit.h"
#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "ImageBuffer.h"
#include "LayerOps.h"
#include "OpenSave.h"
#include "SelectionCommands.h"
#include "SelectionOutline.h"
#include "ToolRouter.h"
#include "ViewState.h"
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
    EXPECT_TRUE(doc.selection.rubber);
    RectSelectRelease(doc, 6, t.ViewY(4));
    const SelectionMask& m = doc.selection;
    EXPECT_TRUE(m.shown);
    EXPECT_TRUE(m.built);
    EXPECT_TRUE(OutlineRunning(doc));
    EXPECT_EQ(m.rect[0], 2);
    EXPECT_EQ(m.rect[1], 1);
    EXPECT_EQ(m.rect[2], 6);
    EXPECT_EQ(m.rect[3], 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(t.Mask(x, y), (x >= 2 && x <= 6 && y >= 1 && y <= 4) ? 1 : 0) << x << "," << y;
    // The rubber band is shown on screen only: the layer is as it was.
    EXPECT_FALSE(m.rubber);
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
    EXPECT_FALSE(OutlineRunning(doc));
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
    EXPECT_TRUE(OutlineRunning(doc));
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
    EXPECT_EQ(ViewOf(doc).polyFirstX, -1);
    PolygonSelectPress(doc, 3, 3);
    EXPECT_EQ(ViewOf(doc).polyFirstX, 3);
}

// The outline over a screen image of the view: the border of the selection one screen
// pixel wide at any zoom, dashed in fours along x + y; the two blink phases split the
// border between them. The layers never change.
TEST(SelectionOutline, DrawnOverTheScreenImageOnly) {
    TestDoc t(16, 16, 0x000000);
    COrinDoc& doc = t.Doc();
    const int top = t.AddLayerAbove(0x000000, 0);
    SelectLayer(doc, 0);
    const std::vector<uint8_t> bottom = t.Snapshot();
    const std::vector<uint8_t> topPixels = doc.layers[top].pixels, topAlpha = doc.layers[top].alpha;
    // Drawn from view (2, 2) to (12, 12): canvas columns and rows (from the top) 2..12.
    RectSelectPress(doc, 2, 2);
    RectSelectDrag(doc, 12, 12);
    struct Case {
        float zoom;
        int first, last;  // view columns and rows of the border
    };
    const bool rubberShown = SelectionOutlineVisible(doc);
    for (const Case c : {Case{1.0f, 2, 12}, Case{2.0f, 4, 25}, Case{0.5f, 1, 6}}) {
        const int size = int(16 * c.zoom);
        ComposeParams p;
        p.zoomX = p.zoomY = c.zoom;
        p.width = p.height = size;
        std::vector<std::vector<uint32_t>> phases;
        for (int round = 0; round < 2; ++round) {
            doc.workspace.blinkPhase = round == 1;
            phases.emplace_back(size_t(size * size), 0u);
            DrawSelectionOutline(doc, p, phases.back().data());
        }
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const bool border = (x == c.first || x == c.last || y == c.first || y == c.last) && x >= c.first &&
                                    x <= c.last && y >= c.first && y <= c.last;
                const uint32_t a = phases[0][size_t(y * size + x)], b = phases[1][size_t(y * size + x)];
                ASSERT_EQ(a | b, border ? 0xFFFFFFFFu : 0u) << c.zoom << ": " << x << "," << y;
                ASSERT_EQ(a & b, 0u);
                // Dashes and gaps of four along x + y.
                if (border) ASSERT_EQ(a != 0, (((x + y + doc.selection.phase) >> 2) & 1) == 0) << x << "," << y;
            }
    }
    EXPECT_TRUE(rubberShown);
    RectSelectRelease(doc, 12, 12);
    OutlineTimerTick(doc);
    OutlineTimerTick(doc);
    EXPECT_TRUE(SelectionOutlineVisible(doc));
    EXPECT_EQ(t.Snapshot(), bottom);
    EXPECT_EQ(doc.layers[top].pixels, topPixels);
    EXPECT_EQ(doc.layers[top].alpha, topAlpha);
    ReleaseSelection(doc);
    EXPECT_FALSE(SelectionOutlineVisible(doc));
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
    EXPECT_EQ(ViewOf(doc).strokeX, -1);
    EXPECT_EQ(ViewOf(doc).rectEndX, -1);
}

}  // namespace

// Undo and redo with the outline shown: the ticks in between never bring back pixels
// that undo took away.
TEST(SelectionOutline, UndoWithTheOutlineShownKeepsTheUndonePixels) {
    TestDoc t(12, 10, 0x808080);
    COrinDoc& doc = t.Doc();
    doc.workspace.currentTool = kCmdRectSelect;
    ToolMouseDown(doc, 1, 1);
    ToolMouseMove(doc, 8, 7);
    ToolMouseUp(doc, 8, 7);
    ASSERT_TRUE(doc.selection.shown);
    const std::vector<uint8_t> before = t.Layer().pixels;
    OutlineTimerTick(doc);
    doc.workspace.currentTool = kCmdBrush;
    doc.workspace.foreground = 0x0000FF;
    ToolMouseDown(doc, 4, 4);
    ToolMouseUp(doc, 4, 4);
    OutlineTimerTick(doc);
    ASSERT_TRUE(Undo(doc));
    OutlineTimerTick(doc);
    OutlineTimerTick(doc);
    EXPECT_EQ(t.Layer().pixels, before);
    ASSERT_TRUE(Redo(doc));
    OutlineTimerTick(doc);
    EXPECT_EQ(t.Colour(4, t.Height() - 1 - 4), 0x0000FFu);
}

// Every reader of the layers sees the picture without the outline: saving in every
// written format, flattening, merging, copying, duplicating a layer, the channel split
// and the step files. The picture is one colour under a clear top layer, so any dash
// that reached the layers would show as a white pixel.
TEST(SelectionOutline, NoReaderOfTheLayersSeesIt) {
    constexpr uint32_t kColour = 0x336699;  // red 0x99, green 0x66, blue 0x33
    TestDoc t(24, 20, kColour);
    COrinDoc& doc = t.Doc();
    const int top = t.AddLayerAbove(0x000000, 0);
    SelectLayer(doc, 0);
    t.Restart();  // the history starts with both layers
    doc.workspace.currentTool = kCmdRectSelect;
    ToolMouseDown(doc, 3, 3);
    ToolMouseMove(doc, 10, 9);
    ToolMouseMove(doc, 18, 15);
    ToolMouseUp(doc, 18, 15);
    ASSERT_TRUE(doc.selection.shown);
    for (int i = 0; i < 3; ++i) OutlineTimerTick(doc);

    auto isColour = [](RgbQuad q, int tolerance) {
        return std::abs(q.red - 0x99) <= tolerance && std::abs(q.green - 0x66) <= tolerance &&
               std::abs(q.blue - 0x33) <= tolerance;
    };
    auto picturePlain = [&](const CImageBuffer& image, int tolerance) {
        if (image.Width() != 24 || image.Height() != 20) return false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 24; ++x)
                if (!isColour(image.ColourAt(x, y), tolerance)) return false;
        return true;
    };
    auto layerPlain = [&](const LayerRecord& l) {
        for (int y = 0; y < l.height; ++y)
            for (int x = 0; x < l.width; ++x) {
                const uint8_t* p = l.pixels.data() + size_t(y) * size_t(l.stride) + size_t(x) * 3;
                if (p[0] != 0x33 || p[1] != 0x66 || p[2] != 0x99 || l.alpha[size_t(y) * size_t(l.width) + size_t(x)] != 255)
                    return false;
            }
        return true;
    };
    const std::vector<uint8_t> topAlpha = doc.layers[top].alpha;
    const std::vector<uint8_t> mask = doc.selection.bytes;

    struct Save {
        const char* name;
        int code;
        int tolerance;  // lossy formats come back near the colour
    };
    for (const Save s : {Save{"a.bmp", kFormatBmp, 0}, Save{"a.jpg", kFormatJpeg, 6}, Save{"a.tif", kFormatTiff, 0},
                         Save{"a.gif", kFormatGif, 0}, Save{"a.png", kFormatPng, 0}, Save{"a.webp", kFormatWebp, 6},
                         Save{"a.avif", kFormatAvif, 6}}) {
        const std::string path = t.folder.File(s.name);
        ASSERT_TRUE(SaveDocument(doc, path).ok) << s.name;
        CImageBuffer back;
        ASSERT_TRUE(back.Load(path, s.code)) << s.name;
        EXPECT_TRUE(picturePlain(back, s.tolerance)) << s.name;
        // Saving keeps the selection as it was (the flatten it undoes had another).
        EXPECT_EQ(doc.selection.bytes, mask) << s.name;
        EXPECT_TRUE(doc.selection.shown);
    }
    {
        const std::string path = t.folder.File("a.tsr");
        ASSERT_TRUE(SaveDocument(doc, path).ok);
        Workspace ws;
        // The reopened project keeps its step files apart: removing them must not
        // take the first document's.
        const std::filesystem::path own = t.folder.Path() / "project-steps";
        std::filesystem::create_directories(own);
        ws.stepFolder = own.string();
        COrinDoc project(ws);
        ASSERT_TRUE(OpenDocument(project, path).ok);
        EXPECT_TRUE(layerPlain(project.layers[project.layers.bottom]));
        RemoveStepFiles(project);
    }
    // The clipboard holds the selected box of the current layer.
    ASSERT_TRUE(CopyToClipboard(doc).ok);
    CImageBuffer copied;
    ASSERT_TRUE(copied.FromPackedDib(doc.workspace.copied.dib.data(), doc.workspace.copied.dib.size()));
    EXPECT_GT(copied.Width(), 0);
    for (int y = 0; y < copied.Height(); ++y)
        for (int x = 0; x < copied.Width(); ++x) ASSERT_TRUE(isColour(copied.ColourAt(x, y), 0)) << x << "," << y;
    ChannelPlanes planes;
    ASSERT_TRUE(LayerRgbPlanes(doc, planes).ok);
    for (size_t i = 0; i < planes.planes[0].size(); ++i)
        ASSERT_TRUE(planes.planes[0][i] == 0x99 && planes.planes[1][i] == 0x66 && planes.planes[2][i] == 0x33) << i;

    // The duplicate of the clear top layer holds no dash.
    SelectLayer(doc, top);
    const int before = doc.history.position;
    ASSERT_TRUE(DuplicateLayer(doc).ok);
    const LayerRecord& copy = *doc.CurrentLayer();
    for (size_t i = 0; i < copy.alpha.size(); ++i) {
        const uint8_t* p = copy.pixels.data() + (i / size_t(copy.width)) * size_t(copy.stride) + (i % size_t(copy.width)) * 3;
        ASSERT_FALSE(copy.alpha[i] != 0 && p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) << i;
    }
    while (doc.history.position > before) ASSERT_TRUE(Undo(doc));
    OutlineTimerTick(doc);
    SelectLayer(doc, top);
    ASSERT_TRUE(MergeWithLayerBelow(doc).ok);
    ASSERT_EQ(doc.history.position, before + 1);
    EXPECT_TRUE(layerPlain(*doc.CurrentLayer()));
    // The merge's step file, read back by undo and redo.
    ASSERT_TRUE(Undo(doc));
    OutlineTimerTick(doc);
    EXPECT_TRUE(layerPlain(doc.layers[0]));
    EXPECT_EQ(doc.layers[top].alpha, topAlpha);
    ASSERT_TRUE(Redo(doc));
    EXPECT_TRUE(layerPlain(*doc.CurrentLayer()));
    ASSERT_TRUE(Undo(doc));
    OutlineTimerTick(doc);
    ASSERT_TRUE(FlattenLayers(doc).ok);
    EXPECT_TRUE(layerPlain(doc.layers[doc.layers.bottom]));
}

// Ctrl+A selects the whole current layer; Delete clears the selected pixels: transparent
// above the bottom layer, the background colour on the bottom layer; one step each.
TEST(SelectionCommands, SelectAllAndClear) {
    TestDoc t(5, 4, 0x336699);
    COrinDoc& doc = t.Doc();
    doc.workspace.background = 0x00FF00;
    const int top = t.AddLayerAbove(0x0000FF, 255);
    t.Restart();
    SelectLayer(doc, top);
    ASSERT_TRUE(SelectWholeLayer(doc).ok);
    EXPECT_TRUE(doc.selection.shown && doc.selection.built);
    EXPECT_EQ(CountMask(t, 1), 20);
    ASSERT_TRUE(ClearSelected(doc).ok);
    EXPECT_EQ(std::count(doc.layers[top].alpha.begin(), doc.layers[top].alpha.end(), 0), 20);
    EXPECT_EQ(doc.history.entries[size_t(doc.history.position)].label, u"선택영역 지우기");
    // On the bottom layer only the rectangle (layer x 1..2, rows 1..2) turns green.
    SelectLayer(doc, 0);
    doc.workspace.currentTool = kCmdRectSelect;
    RectSelectPress(doc, 1, t.ViewY(1));
    RectSelectDrag(doc, 2, t.ViewY(2));
    RectSelectRelease(doc, 2, t.ViewY(2));
    ASSERT_TRUE(ClearSelected(doc).ok);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool in = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(t.Colour(x, y), in ? 0x00FF00u : 0x336699u) << x << "," << y;
            EXPECT_EQ(t.Alpha(x, y), 255);
        }
    ASSERT_TRUE(Undo(doc));
    SelectLayer(doc, 0);  // undo made the layer of the step before current
    EXPECT_EQ(t.Colour(1, 1), 0x336699u);
}
