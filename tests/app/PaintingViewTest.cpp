// Painting and selecting through the view widget of the running main frame: mouse
// events on the view's viewport reach the current tool, the history records the tool's
// step and undo takes it back; the Select menu, the status texts and the cursors.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CommandMap.h"
#include "History.h"
#include "MainFrame.h"
#include "Messages.h"
#include "OrinView.h"
#include "QtHost.h"
#include "SelectionCommands.h"
#include "ToolCursors.h"
#include "ViewGeometry.h"
#include "ViewState.h"

namespace {


constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0xFF0000;  // blue: red in the low byte

struct PaintFrame : app_test::EditorFrame {
    COrinDoc* doc = nullptr;
    COrinView* view = nullptr;

    void SetUp() override {
        EditorFrame::SetUp();
        if (HasFatalFailure()) return;
        doc = AdoptPlain(12, 10, kWhite);
        view = frame->ActiveView();
        ASSERT_NE(view, nullptr);
        view->resize(200, 200);
    }

    // Window point of a view point (zoom 1, the picture fits).
    QPoint At(int viewX, int viewY) const {
        const WindowRect r = PictureRect(*doc, view->ClientRect());
        return {r.left + viewX, r.top + viewY};
    }
    void Send(QEvent::Type type, QPoint viewPoint, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF at(At(viewPoint.x(), viewPoint.y()));
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    void Press(QPoint p) { Send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void Drag(QPoint p) { Send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint p) { Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }

    // The colour of layer 0 at a view point (rows are bottom-up), red in the low byte.
    uint32_t Colour(int viewX, int viewY) const {
        const LayerRecord& layer = doc->layers[0];
        const uint8_t* p = layer.pixels.data() + size_t(layer.height - 1 - viewY) * size_t(layer.stride) + size_t(viewX) * 3;
        return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    }
    std::u16string LastLabel() const { return doc->history.entries[size_t(doc->history.position)].label; }
    QString StatusText() const {
        for (QLabel* l : frame->statusBar()->findChildren<QLabel*>())
            if (!l->text().isEmpty() && !l->text().contains(QLatin1Char('%')) && l->objectName() != "pointerInfo")
                return l->text();
        return {};
    }
    QMenu* TopMenu(const char* name) const {
        for (QAction* a : frame->menuBar()->actions())
            if (a->menu() && a->menu()->objectName() == QLatin1String(name)) return a->menu();
        return nullptr;
    }
};

// What desktop users reach for: Ctrl+A and Delete, the unsaved-changes mark, Ctrl+wheel
// zooming, and the pointer and selection in the status bar.
TEST_F(PaintFrame, SelectAllDeleteMarkWheelAndStatusBar) {
    Ws().background = kBlue;
    frame->CommandAction(kCmdSelectAll)->trigger();
    ASSERT_TRUE(doc->selection.shown);
    EXPECT_EQ(frame->CommandAction(kCmdSelectAll)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(Colour(0, 0), kBlue);  // the bottom layer takes the background colour
    EXPECT_EQ(LastLabel(), u"선택영역 지우기");
    EXPECT_TRUE(view->parentWidget()->isWindowModified());
    QString info;
    for (QLabel* l : frame->statusBar()->findChildren<QLabel*>())
        if (l->text().contains(QString::fromUtf8("선택"))) info = l->text();
    EXPECT_TRUE(info.contains(QString::fromUtf8("선택 12 x 10"))) << info.toStdString();
    Drag({3, 4});
    const QLabel* pointer = frame->statusBar()->findChild<QLabel*>(QStringLiteral("pointerInfo"));
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->text(), QStringLiteral("3, 4"));
    const QPointF at(At(2, 2));
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_EQ(ViewOf(*doc).zoom, 2.0f);
    EXPECT_EQ(frame->CommandAction(kCmdExit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST_F(PaintFrame, ABrushStrokeThroughTheViewPaintsAndRecordsItsStep) {
    frame->RunCommand(kCmdBrush);
    ASSERT_EQ(Ws().currentTool, kCmdBrush);
    Ws().brushSize = 1;
    Ws().foreground = kBlue;
    const std::vector<uint8_t> before = doc->layers[0].pixels;
    Press({2, 3});
    Drag({6, 3});
    Drag({6, 7});
    Release({6, 7});
    for (int x = 2; x <= 6; ++x) EXPECT_EQ(Colour(x, 3), kBlue) << x;
    for (int y = 3; y <= 7; ++y) EXPECT_EQ(Colour(6, y), kBlue) << y;
    EXPECT_EQ(Colour(1, 3), kWhite);
    EXPECT_EQ(Colour(7, 3), kWhite);
    EXPECT_EQ(Colour(2, 4), kWhite);
    EXPECT_EQ(LastLabel(), u"붓그리기");
    EXPECT_TRUE(frame->CommandAction(kCmdUndo)->isEnabled());
    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(doc->layers[0].pixels, before);
}

// The parts of the view painted while events run; the frame is shown so that paints happen.
struct PaintRecorder : QObject {
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

// A stroke's release and the view taking the focus repaint no more than the stroke's
// dabs: neither composes the whole window again, and what is shown stays exact.
TEST_F(PaintFrame, AStrokesReleaseAndTheFocusRepaintOnlyWhatTheStrokeTouched) {
    doc = AdoptPlain(120, 100, kWhite);
    view = frame->ActiveView();
    ASSERT_EQ(&view->Document(), doc);
    frame->resize(700, 600);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    frame->RunCommand(kCmdBrush);
    Ws().brushSize = 1;
    Ws().foreground = kBlue;
    PaintRecorder recorder;
    view->viewport()->installEventFilter(&recorder);
    QTest::qWait(30);
    const WindowRect picture = PictureRect(*doc, view->ClientRect());
    const QSize whole(picture.right - picture.left + 1, picture.bottom - picture.top + 1);
    ASSERT_EQ(whole, QSize(120, 100));

    Press({10, 10});
    Drag({20, 12});
    QTest::qWait(30);
    recorder.rects.clear();
    Drag({30, 14});
    QTest::qWait(30);
    ASSERT_FALSE(recorder.rects.empty());  // the dabs were shown
    for (const QRect& r : recorder.rects) EXPECT_LT(r.width(), 40) << r.width() << "x" << r.height();
    recorder.rects.clear();
    Release({30, 14});
    QTest::qWait(30);
    EXPECT_EQ(LastLabel(), u"붓그리기");
    EXPECT_TRUE(recorder.rects.empty()) << recorder.rects.front().width() << "x" << recorder.rects.front().height();

    // The focus going elsewhere and back repaints nothing of the picture either.
    const uint64_t floor = doc->damageFloor;
    frame->EffectList()->setFocus();
    view->setFocus();
    QTest::qWait(30);
    EXPECT_EQ(doc->damageFloor, floor);
    for (const QRect& r : recorder.rects) EXPECT_LT(r.width(), 40) << r.width() << "x" << r.height();

    // What the view shows is the picture as composed from nothing.
    const QImage shown = view->viewport()->grab().toImage();
    const QPoint at = At(30, 14);
    EXPECT_EQ(shown.pixel(at) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown.pixel(At(30, 30)) & 0xFFFFFF, 0xFFFFFFu);
    view->viewport()->removeEventFilter(&recorder);
}

TEST_F(PaintFrame, ADragWithShiftHeldPaintsNothing) {
    frame->RunCommand(kCmdBrush);
    Ws().foreground = kBlue;
    Press({2, 3});
    const QPointF at(At(8, 3));
    QMouseEvent shifted(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                        Qt::ShiftModifier);
    QCoreApplication::sendEvent(view->viewport(), &shifted);
    Release({8, 3});
    EXPECT_EQ(Colour(2, 3), kBlue);  // the press
    for (int x = 3; x <= 8; ++x) EXPECT_EQ(Colour(x, 3), kWhite) << x;
}

TEST_F(PaintFrame, SelectFillLiftMoveAndUndo) {
    // A rectangle: "영역지정" while dragging, invert offered once it is shown.
    frame->RunCommand(kCmdRectSelect);
    EXPECT_FALSE(frame->CommandAction(kCmdInvertSelection)->isEnabled());
    Press({2, 2});
    Drag({5, 5});
    EXPECT_EQ(StatusText(), QString::fromUtf8("영역지정"));
    Release({5, 5});
    EXPECT_TRUE(doc->selection.shown);
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->CommandAction(kCmdInvertSelection)->isEnabled());

    // The fill stays inside the selection.
    frame->RunCommand(kCmdFill);
    Ws().foreground = kBlue;
    Press({3, 3});
    Release({3, 3});
    EXPECT_EQ(LastLabel(), u"채우기");
    frame->RunCommand(kCmdReleaseSelection);
    EXPECT_EQ(Ws().currentTool, -1);
    EXPECT_FALSE(frame->CommandAction(kCmdInvertSelection)->isEnabled());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(Colour(x, y), x >= 2 && x <= 5 && y >= 2 && y <= 5 ? kBlue : kWhite) << x << "," << y;
    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(Colour(3, 3), kWhite);
    frame->RunCommand(kCmdRedo);
    EXPECT_EQ(Colour(3, 3), kBlue);
    // The window shows the redo list until the next step or layer change.
    const QString redoTitle = view->parentWidget()->windowTitle();
    EXPECT_TRUE(redoTitle.contains(QString::fromUtf8("REDO : 언두리스트(Top "))) << redoTitle.toStdString();
    EXPECT_TRUE(redoTitle.endsWith(QString::fromUtf8("채우기[*]"))) << redoTitle.toStdString();
    EXPECT_TRUE(view->parentWidget()->isWindowModified());  // the title bar marks the changes
    EXPECT_TRUE(view->TitleText().contains("REDO"));

    // Select again and lift the blue square with the move tool.
    frame->RunCommand(kCmdRectSelect);
    Press({2, 2});
    Drag({5, 5});
    Release({5, 5});
    frame->RunCommand(kCmdMove);
    EXPECT_EQ(view->viewport()->cursor().pixmap().cacheKey(), MoveCursor().pixmap().cacheKey());
    Press({3, 3});
    Drag({4, 3});  // the first step lifts
    Drag({6, 3});
    Release({6, 3});
    int floating = -1;
    for (int slot : doc->layers.Chain())
        if (doc->layers[slot].kind == kLayerFloating) floating = slot;
    ASSERT_GE(floating, 0);
    EXPECT_EQ(doc->layers.current, floating);
    EXPECT_EQ(doc->layers[floating].x, 2);  // the first step lifted, the second moved by 2
    const auto alphaAt = [&](int slot, int x, int viewY) {
        const LayerRecord& l = doc->layers[slot];
        return l.alpha[size_t(l.height - 1 - viewY) * size_t(l.width) + size_t(x)];
    };
    EXPECT_EQ(alphaAt(0, 3, 3), 0);         // cut out of the picture
    EXPECT_EQ(alphaAt(0, 6, 3), 255);
    EXPECT_EQ(alphaAt(floating, 3, 3), 255);
    EXPECT_EQ(alphaAt(floating, 6, 3), 0);
    EXPECT_EQ(LastLabel(), u"붙이기");
    // Undo takes the paste and then the cut back.
    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(doc->layers.FirstOfKind(kLayerFloating), -1);
    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(alphaAt(0, 3, 3), 255);
    EXPECT_EQ(Colour(3, 3), kBlue);
}

TEST_F(PaintFrame, TheGradientIsAppliedOnReleaseAndAClickIsRefused) {
    frame->RunCommand(kCmdGradient);
    ASSERT_EQ(Ws().currentTool, kCmdGradient);
    Ws().foreground = kBlue;
    Ws().gradientKind = 2;
    Ws().gradientShape = 1;
    const std::vector<uint8_t> before = doc->layers[0].pixels;
    Press({3, 3});
    Release({3, 3});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QtDocumentHost::BoxText(msg::kGradientDrag));
    EXPECT_EQ(doc->layers[0].pixels, before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Press({1, 2});
    Drag({10, 6});
    Release({10, 6});
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(LastLabel(), u"그라디언트");
    // Kind 2, one way, dragged to the right: from the foreground colour on the left to
    // the background colour (white) on the right.
    EXPECT_NE(doc->layers[0].pixels, before);
    EXPECT_LT(Colour(0, 5) & 0xFF, 0x40u);
    EXPECT_GT(Colour(11, 5) & 0xFF, 0xC0u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PaintFrame, TheSelectMenuOffersItsEntriesInOrder) {
    QMenu* menu = TopMenu("Select");
    ASSERT_NE(menu, nullptr);
    QList<int> ids;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) ids << a->data().toInt();
    EXPECT_EQ(ids, (QList<int>{kCmdMove, kCmdRectSelect, kCmdPolygonSelect, kCmdFreeSelect, kCmdAutoSelect,
                               kCmdColourRange, kCmdInvertSelection, kCmdReleaseSelection, kCmdSelectAll}));
    EXPECT_EQ(frame->CommandAction(kCmdReleaseSelection)->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    for (int id : {kCmdMove, kCmdRectSelect, kCmdPolygonSelect, kCmdFreeSelect, kCmdAutoSelect, kCmdColourRange,
                   kCmdReleaseSelection, kCmdGradient, kCmdBrush, kCmdFill, kCmdWaterDrop, kCmdSpray, kCmdEraser})
        EXPECT_TRUE(frame->CommandAction(id)->isEnabled()) << id;
    // Dot and colour pick are on the tool bar.
    for (int id : {kCmdDot, kCmdColourPick}) {
        ASSERT_NE(frame->CommandAction(id), nullptr) << id;
        frame->RunCommand(id);
        EXPECT_EQ(Ws().currentTool, id);
        EXPECT_TRUE(frame->CommandAction(id)->isChecked());
    }
}

TEST_F(PaintFrame, AutoSelectShowsItsStatusAndSelectsTheSimilarArea) {
    frame->RunCommand(kCmdAutoSelect);
    EXPECT_EQ(StatusText(), QString::fromUtf8("인접한 유사영역 탐색지정"));
    Press({0, 0});
    Release({0, 0});
    EXPECT_TRUE(doc->selection.shown);
    EXPECT_EQ(std::count(doc->selection.bytes.begin(), doc->selection.bytes.end(), 1), 12 * 10);
}

TEST_F(PaintFrame, CursorsFollowTheTool) {
    view->SetCursorKind(1);  // the main frame's arrow
    frame->RunCommand(kCmdBrush);
    view->SetCursorKind(1);
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::ArrowCursor);
    Press({2, 2});
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::CrossCursor);  // while a painting tool drags
    Drag({3, 2});
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::CrossCursor);
    Release({3, 2});
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::ArrowCursor);

    const std::pair<int, const QCursor*> own[] = {
        {kCmdMove, &MoveCursor()}, {kCmdWaterDrop, &WaterDropCursor()}, {kCmdDot, &DotCursor()},
        {kCmdColourPick, &ColourPickCursor()}, {kCmdZoomIn, &ZoomCursor()},
    };
    for (const auto& [tool, cursor] : own) {
        frame->RunCommand(tool);
        ASSERT_EQ(Ws().currentTool, tool);
        EXPECT_EQ(view->viewport()->cursor().shape(), Qt::BitmapCursor) << tool;
        EXPECT_EQ(view->viewport()->cursor().pixmap().cacheKey(), cursor->pixmap().cacheKey()) << tool;
    }

    // With the cross-hair kind the brush shows the ring its dab covers, at the zoom.
    frame->RunCommand(kCmdBrush);
    const struct {
        int size;
        float zoom;
        int side;  // 0: the plain cross-hair
    } rings[] = {{10, 1, 25}, {10, 2, 45}, {2, 1, 0}, {1, 4, 0}, {40, 1, 55}};
    for (const auto& r : rings) {
        Ws().brushSize = r.size;
        ViewOf(*doc).zoom = r.zoom;
        view->SetCursorKind(5);
        const QCursor shown = view->viewport()->cursor();
        if (r.side == 0) {
            EXPECT_EQ(shown.shape(), Qt::CrossCursor) << r.size;
        } else {
            ASSERT_EQ(shown.shape(), Qt::BitmapCursor) << r.size;
            EXPECT_EQ(shown.pixmap().width(), r.side) << r.size << " " << r.zoom;
            EXPECT_EQ(shown.hotSpot(), QPoint(r.side / 2, r.side / 2));
        }
    }
    view->SetCursorKind(1);  // a pointer the user chose stays
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
