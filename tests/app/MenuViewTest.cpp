// The command map in the menus (labels, ids, shortcuts, enabled states), the picture's
// pop-up menu, and the view: window to view to layer on a picture smaller than the
// window, the zoom tool anchored at a click, the zoom limits through the commands.
#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScrollBar>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <map>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CommandMap.h"
#include "History.h"
#include "LayerCoordinates.h"
#include "MainFrame.h"
#include "OrinView.h"
#include "OutlinePause.h"
#include "Preferences.h"
#include "StartPage.h"
#include "ToolButtons.h"
#include "ToolRouter.h"
#include "Tools.h"
#include "ViewState.h"

namespace {

using testing_support::TempDir;

struct FrameFixture : app_test::EditorFrame {
    QMenu* TopMenu(const char* name) const {
        for (QAction* a : frame->menuBar()->actions())
            if (a->menu() && a->menu()->objectName() == QLatin1String(name)) return a->menu();
        return nullptr;
    }
};

TEST_F(FrameFixture, EveryEntryOfTheCommandMapIsInItsMenuWithItsLabel) {
    for (const CommandEntry& e : MenuCommands()) {
        QMenu* menu = TopMenu(e.menu);
        ASSERT_NE(menu, nullptr) << e.menu;
        EXPECT_EQ(menu->title(), QString::fromUtf8(MenuTitle(e.menu)));
        const QAction* found = nullptr;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->data().toInt() == e.id) found = a;
        ASSERT_NE(found, nullptr) << e.id;
        EXPECT_EQ(found->text(), QString::fromUtf8(e.label)) << e.id;
        EXPECT_EQ(frame->CommandAction(e.id), found);
        // Every entry prompts in the status bar.
        EXPECT_FALSE(found->statusTip().isEmpty()) << e.id;
    }
    EXPECT_EQ(frame->CommandAction(kCmdFlatten)->statusTip(), QString::fromUtf8("레이어 없는 영상을 만듬"));
    EXPECT_EQ(frame->CommandAction(kCmdAutoSelect)->statusTip(),
              QString::fromUtf8("클릭지점과 같은 색상의 영역을 자동으로 선택"));
    EXPECT_EQ(frame->CommandAction(kCmdUndo)->statusTip(), QString::fromStdString(MenuText(*FindCommand(kCmdUndo))));
}

TEST_F(FrameFixture, EveryMenuEntryPromptsInTheStatusBar) {
    // The lists the menus fill as they open too: recent files and open windows.
    const std::string picture = app_test::WritePicture(folder, "p.bmp", 4, 3, [](int, int) { return 0x808080u; });
    ASSERT_NE(frame->OpenFile(QString::fromStdString(picture)), nullptr);
    int entries = 0;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        Q_EMIT menu->aboutToShow();
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu()) walk(a->menu());
            else EXPECT_FALSE(a->statusTip().isEmpty()) << menu->title().toStdString() << ": " << a->text().toStdString();
            ++entries;
        }
    };
    for (QAction* top : frame->menuBar()->actions())
        if (top->menu()) walk(top->menu());
    EXPECT_GT(entries, int(MenuCommands().size()));
    EXPECT_EQ(frame->CommandAction(kCmdEllipseTransform)->statusTip(), QStringLiteral("Ellipse transform"));
}

TEST_F(FrameFixture, AnEmptyEditorShowsTheStartPageWhoseRecentFilesOpenWithOneClick) {
    EXPECT_TRUE(frame->StartPageShown());
    const auto buttons = frame->StartPage()->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->defaultAction(), frame->CommandAction(kCmdNew));
    EXPECT_EQ(buttons[1]->defaultAction(), frame->CommandAction(kCmdOpen));
    const std::string picture = app_test::WritePicture(folder, "recent.bmp", 5, 4, [](int, int) { return 0x336699u; });
    ASSERT_NE(frame->OpenFile(QString::fromStdString(picture)), nullptr);
    EXPECT_FALSE(frame->StartPageShown());
    frame->RunCommand(kCmdCloseAll);
    ASSERT_EQ(frame->DocumentCount(), 0);
    EXPECT_TRUE(frame->StartPageShown());
    QListWidget* list = frame->StartPage()->RecentList();
    ASSERT_GE(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("recent.bmp")));
    frame->resize(900, 700);
    frame->show();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(frame->DocumentCount(), 1);
    EXPECT_EQ(frame->DocumentAt(0)->fileName, "recent.bmp");
    EXPECT_FALSE(frame->StartPageShown());
}

// A tool chosen by its key before any picture is open stays the chosen one, and the
// tool bar checks it, once a picture opens; so does one chosen with a picture open.
TEST_F(FrameFixture, AToolChosenBeforeAPictureOpensStaysCheckedAndChosen) {
    frame->resize(900, 700);
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    const auto checkedTools = [&] {
        std::vector<int> ids;
        for (const Tool& t : Tools())
            if (QAction* a = frame->CommandAction(t.id); a && a->isChecked()) ids.push_back(t.id);
        return ids;
    };
    for (const auto& [key, id] : {std::pair{Qt::Key_B, kCmdBrush}, std::pair{Qt::Key_E, kCmdEraser}}) {
        frame->RunCommand(kCmdCloseAll);
        ASSERT_EQ(frame->DocumentCount(), 0);
        // The key goes where the keyboard is: the start page's recent list or a button.
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : frame.get(), key);
        EXPECT_EQ(Ws().currentTool, id) << (focus ? focus->metaObject()->className() : "no focus");
        EXPECT_EQ(checkedTools(), std::vector<int>{id});
        const std::string picture = app_test::WritePicture(folder, "tool.bmp", 6, 5, [](int, int) { return 0x336699u; });
        ASSERT_NE(frame->OpenFile(QString::fromStdString(picture)), nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(Ws().currentTool, id);
        EXPECT_EQ(checkedTools(), std::vector<int>{id});
    }
    QTest::keyClick(frame->ActiveView(), Qt::Key_V);
    EXPECT_EQ(Ws().currentTool, kCmdMove);
    EXPECT_EQ(checkedTools(), std::vector<int>{kCmdMove});
}

TEST(ToolPlaces, TheSettingsFilesNumberAndGroupNameEveryButtonOnce) {
    const struct {
        int id;
        ToolPlace place;
    } cases[] = {{kCmdMove, {1, 0}},  {kCmdAutoSelect, {5, 0}}, {kCmdBrush, {1, 1}},
                 {kCmdColourPick, {12, 1}}, {kCmdZoomIn, {0, 0}}, {kCmdColourRangePick, {0, 0}}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToolBarPlace(c.id), c.place) << c.id;
        if (c.place.number) EXPECT_EQ(ToolAtPlace(c.place.number, c.place.group), c.id) << c.id;
    }
    // Every button round-trips; places past a group's end, 0 and unknown groups fall back.
    for (const Tool& t : Tools())
        if (t.bar != ToolBarGroup::kNone) EXPECT_EQ(ToolAtPlace(ToolBarPlace(t.id).number, ToolBarPlace(t.id).group), t.id);
    EXPECT_EQ(ToolAtPlace(6, 0), kCmdMove);
    EXPECT_EQ(ToolAtPlace(99, 1), kCmdBrush);
    EXPECT_EQ(ToolAtPlace(2, 7), kCmdRectSelect);
}

TEST_F(FrameFixture, ToolButtonsHaveIconsAndOneKeyShortcutsThatClashWithNothing) {
    int buttons = 0;
    for (const Tool& t : Tools()) {
        if (t.bar == ToolBarGroup::kNone) continue;
        ++buttons;
        QAction* a = frame->CommandAction(t.id);
        ASSERT_NE(a, nullptr) << t.key;
        // One key without modifiers, named in the tooltip after the tool.
        ASSERT_EQ(a->shortcut().count(), 1) << t.key;
        const QKeyCombination key = a->shortcut()[0];
        EXPECT_EQ(key.keyboardModifiers(), Qt::NoModifier) << t.key;
        EXPECT_TRUE(a->toolTip().endsWith(QStringLiteral(" (%1)").arg(a->shortcut().toString()))) << t.key;
        EXPECT_FALSE(a->toolTip().contains(QLatin1Char('&'))) << t.key;
        // Drawn from its SVG at the size and scale asked: a 2x screen gets 48 device pixels.
        ASSERT_FALSE(a->icon().isNull()) << t.key;
        const QPixmap sharp = a->icon().pixmap(QSize(24, 24), 2.0);
        EXPECT_EQ(sharp.size(), QSize(48, 48)) << t.key;
        const QImage image = sharp.toImage();
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(inked, 20) << t.key;
    }
    EXPECT_EQ(buttons, 17);
    // No key sequence triggers two actions of the window.
    std::map<QString, QString> owner;
    for (QAction* a : frame->findChildren<QAction*>()) {
        for (const QKeySequence& k : a->shortcuts()) {
            const QString name = k.toString();
            const auto [at, fresh] = owner.emplace(name, a->text());
            EXPECT_TRUE(fresh) << name.toStdString() << ": " << at->second.toStdString() << " / " << a->text().toStdString();
        }
    }
    EXPECT_GT(owner.size(), 30u);
}

TEST_F(FrameFixture, ShortcutsComeFromTheTextAfterTheTab) {
    const std::pair<int, const char*> expected[] = {
        {kCmdNew, "Ctrl+N"},   {kCmdOpen, "Ctrl+O"},     {kCmdSave, "Ctrl+S"}, {kCmdSaveAs, "Ctrl+Shift+S"},
        {kCmdPrint, "Ctrl+P"}, {kCmdUndo, "Ctrl+Z"},     {kCmdRedo, "Ctrl+Y"}, {kCmdCut, "Ctrl+X"},
        {kCmdCopy, "Ctrl+C"},  {kCmdPaste, "Ctrl+V"},    {kCmdReleaseSelection, "Ctrl+D"},
        {kCmdZoomIn, "Ctrl++"}, {kCmdZoomOut, "Ctrl+-"}, {kCmdActualSize, "Ctrl+1"},
    };
    for (const auto& [id, keys] : expected)
        EXPECT_EQ(frame->CommandAction(id)->shortcut(), QKeySequence(QString::fromLatin1(keys))) << id;
    EXPECT_TRUE(frame->CommandAction(kCmdClose)->shortcut().isEmpty());
}

TEST_F(FrameFixture, EnabledStatesFollowTheCore) {
    EXPECT_TRUE(frame->CommandAction(kCmdNew)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdSave)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdUndo)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdZoomIn)->isEnabled());
    // Entries whose commands are not built stay visible and disabled.
    for (int id : {1450, 1503, 1431, 3379, 1511})
        EXPECT_FALSE(frame->CommandAction(id)->isEnabled()) << id;
    EXPECT_TRUE(frame->CommandAction(kCmdGradient)->isEnabled());
    EXPECT_TRUE(frame->CommandAction(kCmdScanSource)->isEnabled());  // says so when there is no scanner
    EXPECT_TRUE(frame->CommandAction(kCmdScanAcquire)->isEnabled());

    COrinDoc* doc = frame->NewPicture(20, 10, QString());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->fileName, "이름없음");
    EXPECT_TRUE(frame->CommandAction(kCmdSave)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdUndo)->isEnabled());
    EXPECT_TRUE(frame->CommandAction(kCmdZoomOut)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdActualSize)->isEnabled());
    frame->RunCommand(kCmdAddLayer);
    EXPECT_TRUE(frame->CommandAction(kCmdUndo)->isEnabled());
    frame->RunCommand(kCmdUndo);
    EXPECT_FALSE(frame->CommandAction(kCmdUndo)->isEnabled());
    EXPECT_TRUE(frame->CommandAction(kCmdRedo)->isEnabled());
}

TEST_F(FrameFixture, ThePictureMenuOffersItsSevenEntries) {
    QStringList labels;
    QList<int> ids;
    for (QAction* a : frame->PictureMenu()->actions()) {
        labels << a->text();
        ids << a->data().toInt();
    }
    EXPECT_EQ(labels.join(QLatin1Char('|')),
              QString::fromUtf8("확대\tCtrl++|축소\tCtrl--|선택/명령 해제\tCtrl+D|복사\tCtrl+C|붙이기\tCtrl+V|"
                                "실행취소\tCtrl+Z|실행반복\tCtrl+Y"));
    EXPECT_EQ(ids, (QList<int>{kCmdZoomIn, kCmdZoomOut, kCmdReleaseSelection, kCmdCopy, kCmdPaste, kCmdUndo,
                               kCmdRedo}));
}

TEST_F(FrameFixture, ZoomCommandsStopAtTheirLimits) {
    COrinDoc* doc = frame->NewPicture(64, 48, QStringLiteral("z"));
    ASSERT_NE(doc, nullptr);
    for (int i = 0; i < 6; ++i) frame->RunCommand(kCmdZoomOut);
    EXPECT_EQ(ViewOf(*doc).zoom, 0.125f);
    EXPECT_FALSE(frame->CommandAction(kCmdZoomOut)->isEnabled());
    frame->RunCommand(kCmdActualSize);
    EXPECT_EQ(ViewOf(*doc).zoom, 1.0f);
    // Zoom in chooses the zoom tool; each click then zooms at the clicked point.
    frame->RunCommand(kCmdZoomIn);
    EXPECT_EQ(frame->GetWorkspace().currentTool, kCmdZoomIn);
    EXPECT_EQ(ViewOf(*doc).zoom, 1.0f);
    // With the free selection tool the zoom happens at once.
    frame->GetWorkspace().currentTool = kCmdFreeSelect;
    frame->RunCommand(kCmdZoomIn);
    EXPECT_EQ(ViewOf(*doc).zoom, 2.0f);
    // Stretch mode turns every zoom off.
    frame->RunCommand(kCmdStretch);
    EXPECT_TRUE(ViewOf(*doc).stretch);
    EXPECT_FALSE(frame->CommandAction(kCmdZoomIn)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdZoomOut)->isEnabled());
    EXPECT_FALSE(frame->CommandAction(kCmdActualSize)->isEnabled());
}

TEST_F(FrameFixture, TheGridCommandFlipsTheSignOfTheGap) {
    const int gap = frame->GetWorkspace().gridGap;
    EXPECT_LE(gap, 0);  // hidden at start-up
    frame->RunCommand(kCmdGrid);
    EXPECT_EQ(frame->GetWorkspace().gridGap, -gap);
    EXPECT_EQ(frame->CommandAction(kCmdGrid)->isChecked(), -gap > 0);
}

TEST_F(FrameFixture, InvertFromTheMenuIsOneStepThatUndoTakesBack) {
    EXPECT_FALSE(frame->CommandAction(kCmdInvert)->isEnabled());
    COrinDoc* doc = frame->NewPicture(7, 5, QStringLiteral("i"));
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(frame->CommandAction(kCmdInvert)->isEnabled());
    LayerRecord& layer = *doc->CurrentLayer();
    ASSERT_EQ(doc->canvas.bpp, 24);
    layer.pixels[0] = 0x12;
    RecordStep(*doc, label::kInitialState, kStepPixels);
    const std::vector<uint8_t> before = layer.pixels;
    frame->CommandAction(kCmdInvert)->trigger();
    for (int y = 0; y < layer.height; ++y)
        for (int i = 0; i < 3 * layer.width; ++i) {
            const size_t at = size_t(y) * size_t(layer.stride) + size_t(i);
            ASSERT_EQ(layer.pixels[at], 255 - before[at]) << y << "," << i;
        }
    EXPECT_EQ(doc->history.entries[size_t(doc->history.position)].label, u"반전변환");
    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(layer.pixels, before);
}

struct ViewFixture : ::testing::Test {
    TempDir steps;
    Workspace ws;
    SilentHost host;
    std::unique_ptr<COrinDoc> doc;
    std::unique_ptr<COrinView> view;

    void Open(int width, int height) {
        ws.stepFolder = steps.Path().string();
        ws.host = &host;
        doc = app_test::PlainDocument(ws, width, height, 0x808080);
        view = std::make_unique<COrinView>(*doc, ws);
        view->setFrameShape(QFrame::NoFrame);
        view->resize(400, 300);
        view->show();
        QCoreApplication::processEvents();  // scroll bars show or hide on a queued signal
        ASSERT_EQ(view->maximumViewportSize(), QSize(400, 300));
    }
};

TEST_F(ViewFixture, ASmallPictureIsCentredAndClicksOutsideActAtItsEdge) {
    Open(100, 50);
    EXPECT_EQ(view->ToView(QPoint(160, 130)), QPoint(10, 5));  // picture at (150, 125)
    bool clamped = false;
    EXPECT_EQ(view->ToView(QPoint(5, 290), &clamped), QPoint(0, 49));
    EXPECT_TRUE(clamped);
    EXPECT_EQ(view->ToView(QPoint(399, 0), &clamped), QPoint(99, 0));
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
}

TEST_F(ViewFixture, ViewPointsBecomeBottomUpLayerPoints) {
    Open(100, 50);
    if (ViewToLayer(*doc, 0, 0, false, false).y != 49) GTEST_SKIP() << "layer coordinates are not built yet";
    const QPoint at = view->ToView(QPoint(160, 130));
    const LayerPoint p = ViewToLayer(*doc, at.x(), at.y(), false, false);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 44);  // 50 - 5 - 1
    const QPoint corner = view->ToView(QPoint(0, 0));
    const LayerPoint q = ViewToLayer(*doc, corner.x(), corner.y(), false, false);
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 49);
}

TEST_F(ViewFixture, TheZoomToolCentresTheClickedPoint) {
    Open(1000, 800);
    ws.currentTool = kCmdZoomIn;
    int zoomedTimes = 0;
    QObject::connect(view.get(), &COrinView::zoomed, [&](COrinDoc* d) {
        ++zoomedTimes;
        view->OnUpdate(COrinView::kHintZoom);
        EXPECT_EQ(d, doc.get());
    });
    const QSize client = view->viewport()->size();  // scroll bars take room
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    EXPECT_EQ(zoomedTimes, 1);
    EXPECT_EQ(ViewOf(*doc).zoom, 2.0f);
    EXPECT_EQ(ViewOf(*doc).zoomAnchorX, 200);
    EXPECT_EQ(ViewOf(*doc).zoomAnchorY, 150);
    // fraction 200 / 1000 of 2000, less half the client width
    EXPECT_EQ(view->horizontalScrollBar()->value(), 400 - client.width() / 2);
    EXPECT_EQ(view->verticalScrollBar()->value(), 300 - client.height() / 2);
    EXPECT_EQ(ViewOf(*doc).scrollH, view->horizontalScrollBar()->value());
    // The clicked point is in the middle of the window now.
    EXPECT_NEAR(view->ToView(QPoint(client.width() / 2, client.height() / 2)).x(), 400, 1);
}

TEST_F(ViewFixture, ScrollBarsFollowTheZoomedSize) {
    Open(1000, 800);
    const QSize client = view->viewport()->size();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 1000 - client.width());
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 800 - client.height());
    ASSERT_TRUE(ZoomOut(*doc));
    ASSERT_TRUE(ZoomOut(*doc));  // 250 x 200 fits
    view->OnUpdate(COrinView::kHintZoom);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->ToView(QPoint(75, 50)), QPoint(0, 0));  // centred at (75, 50)
}

TEST_F(ViewFixture, PaintingShowsThePictureOverTheGreyBackground) {
    Open(100, 50);
    const QImage shot = view->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixel(10, 10) & 0xFFFFFF, 0x787878u);
    EXPECT_EQ(shot.pixel(200, 150) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(shot.pixel(149, 150) & 0xFFFFFF, 0x787878u);
    EXPECT_EQ(shot.pixel(150, 125) & 0xFFFFFF, 0x808080u);
}

TEST_F(ViewFixture, TheOutlineTimerRunsWhileTheDocumentAsks) {
    Open(10, 10);
    EXPECT_FALSE(view->OutlineTimerActive());
    doc->selection.shown = true;
    view->SyncTimer();
    EXPECT_TRUE(view->OutlineTimerActive());
    {
        const OutlinePause pause(*doc);
        view->SyncTimer();
        EXPECT_FALSE(view->OutlineTimerActive());
    }
    doc->selection.shown = false;
    view->SyncTimer();
    EXPECT_FALSE(view->OutlineTimerActive());
}

TEST(VirtualKeyTest, ArrowsEscapeAndLetters) {
    EXPECT_EQ(VirtualKey(Qt::Key_Left), 37);
    EXPECT_EQ(VirtualKey(Qt::Key_Up), 38);
    EXPECT_EQ(VirtualKey(Qt::Key_Right), 39);
    EXPECT_EQ(VirtualKey(Qt::Key_Down), 40);
    EXPECT_EQ(VirtualKey(Qt::Key_Escape), 27);
    EXPECT_EQ(VirtualKey(Qt::Key_A), 'A');
    EXPECT_EQ(MouseFlags(Qt::LeftButton, Qt::NoModifier), unsigned(kMouseLeft));
    EXPECT_EQ(MouseFlags(Qt::LeftButton, Qt::ShiftModifier), unsigned(kMouseLeft | kMouseShift));
}

}  // namespace

namespace {

TEST(PrintTest, TheCompositeGoesToThePrinter) {
    TempDir folder;
    Workspace ws;
    ws.stepFolder = folder.Path().string();
    auto doc = app_test::PlainDocument(ws, 64, 32, 0x2050A0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = folder.File("print.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    CMainFrame::PrintDocument(printer, *doc);
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(pdf);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "%PDF");
}

}  // namespace

namespace {

// The EXIF orientation preference sits in the File menu right after the preferences
// entry; toggling it changes what the next open does and is remembered.
TEST_F(FrameFixture, ExifOrientationPreferenceFollowsItsMenuEntry) {
    QMenu* file = TopMenu("File");
    ASSERT_NE(file, nullptr);
    const QList<QAction*> entries = file->actions();
    const qsizetype preferences = entries.indexOf(frame->CommandAction(kCmdPreferences));
    ASSERT_GE(preferences, 0);
    ASSERT_LT(preferences + 1, entries.size());
    QAction* exif = entries[preferences + 1];
    EXPECT_EQ(exif->objectName(), QStringLiteral("exifOrientation"));
    const bool before = exif->isChecked();
    EXPECT_EQ(frame->GetWorkspace().exifOrientation, before);
    exif->toggle();
    EXPECT_EQ(frame->GetWorkspace().exifOrientation, !before);
    EXPECT_EQ(ExifOrientationPreference(), !before);
    exif->toggle();
    EXPECT_EQ(ExifOrientationPreference(), before);
}

}  // namespace
