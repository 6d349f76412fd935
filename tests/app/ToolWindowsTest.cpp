// The tool values bar, the gradient window and the colour-range window in the running
// main frame: the values they show are the workspace's (as the core sets them when a
// tool is chosen) and what they change goes back to it; the colour-range window's
// searches on a 4 x 4 picture whose top-left quarter is red.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "OutlinePause.h"
#include "AppTestSupport.h"
#include "Application.h"
#include "BrushSizeDialog.h"
#include "ColourDisplay.h"
#include "ColourRangeWindow.h"
#include "CommandMap.h"
#include "GradientWindow.h"
#include "MainFrame.h"
#include "OrinView.h"
#include "ToolRouter.h"
#include "ToolValuesBar.h"
#include "ViewGeometry.h"

namespace {


constexpr uint32_t kRed = 0x0000FF;   // red in the low byte
constexpr uint32_t kGrey = 0x808080;
const char* const kFourOfSixteen = "픽셀수 4   (25.00)%           ";

struct ToolFrame : app_test::EditorFrame {

    // A 4 x 4 picture, grey with its top-left 2 x 2 (layer rows 2 and 3) red.
    COrinDoc* QuarterRed() {
        auto doc = app_test::PlainDocument(Ws(), 4, 4, kGrey);
        LayerRecord& layer = doc->layers[0];
        for (int y = 2; y < 4; ++y)
            for (int x = 0; x < 2; ++x) {
                uint8_t* p = layer.pixels.data() + size_t(y) * size_t(layer.stride) + size_t(x) * 3;
                p[0] = p[1] = 0;  // blue, green
                p[2] = 0xFF;      // red
            }
        return frame->AdoptDocument(std::move(doc));
    }

    // Presses the left button on the view at a view point (zoom 1, not scrolled).
    void PressAt(COrinView* view, int viewX, int viewY) {
        const WindowRect r = PictureRect(view->Document(), view->ClientRect());
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + viewX, r.top + viewY));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + viewX, r.top + viewY));
    }

    static int MaskCount(const COrinDoc& doc, uint8_t value) {
        return int(std::count(doc.selection.bytes.begin(), doc.selection.bytes.end(), value));
    }
};

// ---------------------------------------------------------------------------------
// Tool values bar

TEST(BrushSizeDialog, OffersEightSizesFromEightDownToOne) {
    CDlg_BrushSize dialog;
    QList<QPushButton*> inOrder;
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->isCheckable()) inOrder << b;
    ASSERT_EQ(inOrder.size(), 8);
    dialog.show();  // laid out
    std::sort(inOrder.begin(), inOrder.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (int i = 0; i < 8; ++i) EXPECT_EQ(inOrder[i]->text(), QString::number(8 - i));
    dialog.SetSize(5);
    EXPECT_TRUE(dialog.SizeButton(5)->isChecked());
    EXPECT_FALSE(dialog.SizeButton(1)->isChecked());
    dialog.SizeButton(2)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Size(), 2);
}

TEST_F(ToolFrame, TheBrushSizeDialogSetsTheWorkspaceValue) {
    CToolValuesBar* bar = frame->ToolValues();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->BrushSizeButton()->text(), QString::fromUtf8("붓크기 1"));
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlg_BrushSize*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = true;
        EXPECT_TRUE(dialog->SizeButton(1)->isChecked());  // opens on the current size
        dialog->SizeButton(6)->click();
    });
    bar->BrushSizeButton()->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Ws().brushSize, 6);
    EXPECT_EQ(bar->BrushSizeButton()->text(), QString::fromUtf8("붓크기 6"));

    // Cancel keeps the size.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    bar->ChooseBrushSize();
    EXPECT_EQ(Ws().brushSize, 6);
}

TEST_F(ToolFrame, SoftFlagAndEdgeSpreadGoToTheWorkspace) {
    CToolValuesBar* bar = frame->ToolValues();
    EXPECT_FALSE(bar->SoftButton()->isChecked());
    bar->SoftButton()->click();
    EXPECT_EQ(Ws().soft, 1);
    bar->SoftButton()->click();
    EXPECT_EQ(Ws().soft, 0);
    bar->SpreadEdit()->setValue(7);
    EXPECT_EQ(Ws().edgeSpread, 7);
    bar->LimitSlider()->setValue(33);
    EXPECT_EQ(Ws().inclusionLimit, 33);
    EXPECT_EQ(bar->LimitValue()->text(), QStringLiteral("33"));
    EXPECT_EQ(bar->LimitSlider()->maximum(), 60);
    EXPECT_EQ(bar->LimitSlider()->minimum(), 0);
}

TEST_F(ToolFrame, AutoSelectShowsTwentyFiveAndFillTenInTheLimitSlider) {
    CToolValuesBar* bar = frame->ToolValues();
    QuarterRed();
    bar->LimitSlider()->setValue(40);
    bar->SpreadEdit()->setValue(3);
    frame->RunCommand(kCmdAutoSelect);
    EXPECT_EQ(Ws().currentTool, kCmdAutoSelect);
    EXPECT_EQ(bar->LimitSlider()->value(), 25);
    EXPECT_EQ(bar->LimitValue()->text(), QStringLiteral("25"));
    EXPECT_EQ(bar->SpreadEdit()->value(), 3);  // the edge spread stays
    frame->RunCommand(kCmdFill);
    EXPECT_EQ(bar->LimitSlider()->value(), 10);
    EXPECT_EQ(Ws().inclusionLimit, 10);
    frame->RunCommand(kCmdAutoSelect);
    EXPECT_EQ(bar->LimitSlider()->value(), 25);
}

TEST_F(ToolFrame, TheColourDisplayChoosesSwapsAndFollowsTheColourPick) {
    CToolValuesBar* bar = frame->ToolValues();
    CColourDisplay* display = bar->Colours();
    Ws().foreground = 0x000000;
    Ws().background = 0xFFFFFF;
    bar->Refresh();
    QStringList titles;
    QList<QColor> initials;
    QColor next(10, 20, 30);
    bar->colourChooser = [&](const QColor& initial, const QString& title) {
        titles << title;
        initials << initial;
        return next;
    };
    QTest::mouseClick(display, Qt::LeftButton, Qt::NoModifier, display->ForegroundRect().center());
    EXPECT_EQ(Ws().foreground, 0x1E140Au);
    EXPECT_EQ(display->Foreground(), 0x1E140Au);
    next = QColor(200, 100, 50);
    QTest::mouseClick(display, Qt::LeftButton, Qt::NoModifier, display->BackgroundRect().bottomRight() - QPoint(1, 1));
    EXPECT_EQ(Ws().background, 0x3264C8u);
    EXPECT_EQ(titles, (QStringList{QString::fromUtf8("전경색"), QString::fromUtf8("배경색")}));
    EXPECT_EQ(initials, (QList<QColor>{QColor(0, 0, 0), QColor(255, 255, 255)}));
    // Cancel changes nothing.
    next = QColor();
    QTest::mouseClick(display, Qt::LeftButton, Qt::NoModifier, display->ForegroundRect().center());
    EXPECT_EQ(Ws().foreground, 0x1E140Au);

    bar->SwapButton()->click();
    EXPECT_EQ(Ws().foreground, 0x3264C8u);
    EXPECT_EQ(Ws().background, 0x1E140Au);
    EXPECT_EQ(display->Foreground(), 0x3264C8u);
    EXPECT_EQ(display->Background(), 0x1E140Au);

    // The colour pick tool on the red corner: the display follows.
    QuarterRed();
    frame->RunCommand(kCmdColourPick);
    EXPECT_EQ(Ws().currentTool, kCmdColourPick);
    PressAt(frame->ActiveView(), 0, 0);
    EXPECT_EQ(Ws().foreground, kRed);
    EXPECT_EQ(display->Foreground(), kRed);
}

// ---------------------------------------------------------------------------------
// Gradient window

TEST_F(ToolFrame, TheGradientWindowSetsKindAndShapeAndOkEndsTheTool) {
    QuarterRed();
    frame->RunCommand(kCmdGradient);
    CDlg_Gradient* window = frame->GradientWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("그라디언트"));
    EXPECT_TRUE(frame->CommandAction(kCmdGradient)->isChecked());

    window->KindButton(2)->click();
    EXPECT_EQ(Ws().gradientKind, 2);
    EXPECT_TRUE(window->KindButton(2)->isChecked());
    EXPECT_FALSE(window->KindButton(1)->isChecked());
    window->KindButton(1)->click();
    EXPECT_EQ(Ws().gradientKind, 1);
    EXPECT_FALSE(window->KindButton(2)->isChecked());

    window->ShapeButton(2)->click();
    EXPECT_EQ(Ws().gradientShape, 2);
    EXPECT_TRUE(window->ShapeButton(2)->isChecked());
    EXPECT_FALSE(window->ShapeButton(1)->isChecked());
    window->ShapeButton(1)->click();
    EXPECT_EQ(Ws().gradientShape, 1);
    EXPECT_FALSE(window->ShapeButton(2)->isChecked());
    // Pressing the pressed button keeps it pressed.
    window->ShapeButton(1)->click();
    EXPECT_TRUE(window->ShapeButton(1)->isChecked());
    EXPECT_EQ(Ws().gradientShape, 1);

    window->OkButton()->click();
    EXPECT_EQ(Ws().currentTool, -1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(frame->CommandAction(kCmdGradient)->isChecked());
}

TEST_F(ToolFrame, ChoosingTheGradientAgainWhileItIsTheToolDoesNothing) {
    QuarterRed();
    frame->RunCommand(kCmdGradient);
    CDlg_Gradient* window = frame->GradientWindow();
    ASSERT_NE(window, nullptr);
    window->close();  // the title bar: the tool stays
    EXPECT_EQ(Ws().currentTool, kCmdGradient);
    frame->RunCommand(kCmdGradient);
    EXPECT_FALSE(window->isVisible());
    frame->RunCommand(kCmdBrush);
    frame->RunCommand(kCmdGradient);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(frame->GradientWindow(), window);
}

// ---------------------------------------------------------------------------------
// Colour-range window

TEST_F(ToolFrame, TheColourRangeWindowIsMadeOnceWithItsControls) {
    QuarterRed();
    EXPECT_EQ(frame->ColourRangeWindow(), nullptr);
    frame->RunCommand(kCmdColourRange);
    CDlg_ColourRange* window = frame->ColourRangeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ws().currentTool, kCmdColourRangePick);
    EXPECT_TRUE(frame->CommandAction(kCmdColourRange)->isChecked());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(" 색상범위 영역지정"));
    QSlider* slider = window->Slider();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->value(), 10);
    EXPECT_EQ(slider->pageStep(), 5);
    EXPECT_EQ(slider->singleStep(), 4);
    EXPECT_EQ(slider->tickInterval(), 10);
    EXPECT_EQ(window->ValueLabel()->text(), QStringLiteral("10"));
    EXPECT_EQ(window->NewButton()->text(), QString::fromUtf8("색상추출"));
    EXPECT_EQ(window->AddButton()->text(), QString::fromUtf8("색상추출더하기"));
    EXPECT_TRUE(window->NewButton()->isChecked());
    EXPECT_FALSE(window->AddButton()->isChecked());
    QStringList labels;
    for (QLabel* l : window->findChildren<QLabel*>()) labels << l->text();
    for (const char* text : {"픽셀수", "표시색상", "선택색상", "효과", "0     허용정도   255"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    // Every mask byte 0: nothing selected yet.
    EXPECT_EQ(MaskCount(*frame->ActiveDocument(), 0), 16);

    window->close();
    frame->RunCommand(kCmdBrush);  // another tool does not close it, and it is kept
    frame->RunCommand(kCmdColourRange);
    EXPECT_EQ(frame->ColourRangeWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ToolFrame, TheToleranceSliderRunsTheSearch) {
    COrinDoc* doc = QuarterRed();
    frame->RunCommand(kCmdColourRange);
    CDlg_ColourRange* window = frame->ColourRangeWindow();
    ASSERT_NE(window, nullptr);
    Ws().searchColour = kRed;
    window->Slider()->setValue(20);
    EXPECT_EQ(Ws().rangeTolerance, 20);
    EXPECT_EQ(window->ValueLabel()->text(), QStringLiteral("20"));
    EXPECT_EQ(window->CountLabel()->text(), QString::fromUtf8(kFourOfSixteen));
    EXPECT_EQ(MaskCount(*doc, 1), 4);
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(doc->selection.bytes[size_t(y) * 4 + size_t(x)], 1) << x << "," << y;
    EXPECT_TRUE(doc->selection.shown);
    EXPECT_EQ(window->SelectedColour(), kRed);
    EXPECT_TRUE(frame->CommandAction(kCmdInvertSelection)->isEnabled());

    // Grey is 383 away from red: within 255 nothing more joins; the arrow keys step by 4.
    QTest::keyClick(window->Slider(), Qt::Key_Right);
    EXPECT_EQ(window->Slider()->value(), 24);
    EXPECT_EQ(window->ValueLabel()->text(), QStringLiteral("24"));
    EXPECT_EQ(MaskCount(*doc, 1), 4);
}

TEST_F(ToolFrame, ModeButtonsExcludeEachOtherAndAddExtendsTheSelection) {
    COrinDoc* doc = QuarterRed();
    frame->RunCommand(kCmdColourRange);
    CDlg_ColourRange* window = frame->ColourRangeWindow();
    ASSERT_NE(window, nullptr);
    Ws().searchColour = kRed;
    window->Search();
    EXPECT_EQ(MaskCount(*doc, 1), 4);

    window->AddButton()->click();
    EXPECT_EQ(Ws().rangeMode, 1);
    EXPECT_TRUE(window->AddButton()->isChecked());
    EXPECT_FALSE(window->NewButton()->isChecked());
    // The grey twelve join the red four.
    window->colourChooser = [](const QColor& initial, const QString&) {
        EXPECT_EQ(initial, QColor(255, 0, 0));
        return QColor(0x80, 0x80, 0x80);
    };
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, CDlg_ColourRange::kSelectedSwatch.center());
    EXPECT_EQ(Ws().searchColour, kGrey);
    EXPECT_EQ(window->CountLabel()->text(), QString::fromUtf8("픽셀수 12   (75.00)%           "));
    EXPECT_EQ(MaskCount(*doc, 1), 16);
    EXPECT_EQ(window->DisplayColour(), kGrey);

    window->NewButton()->click();
    EXPECT_EQ(Ws().rangeMode, 0);
    EXPECT_TRUE(window->NewButton()->isChecked());
    EXPECT_FALSE(window->AddButton()->isChecked());
    // A new search replaces the selection.
    window->Slider()->setValue(11);
    EXPECT_EQ(MaskCount(*doc, 1), 12);
    EXPECT_EQ(window->CountLabel()->text(), QString::fromUtf8("픽셀수 12   (75.00)%           "));

    // A press outside the swatches opens nothing.
    int asked = 0;
    window->colourChooser = [&](const QColor&, const QString&) {
        ++asked;
        return QColor();
    };
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(asked, 0);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, CDlg_ColourRange::kDisplaySwatch.center());
    EXPECT_EQ(asked, 1);  // Cancel: nothing searched
    EXPECT_EQ(MaskCount(*doc, 1), 12);
}

TEST_F(ToolFrame, ResetClearsTheSelectionAndTheOutlineNeverEntersTheLayer) {
    COrinDoc* doc = QuarterRed();
    const std::vector<uint8_t> original = doc->layers[0].pixels;
    frame->RunCommand(kCmdColourRange);
    CDlg_ColourRange* window = frame->ColourRangeWindow();
    ASSERT_NE(window, nullptr);
    Ws().searchColour = kRed;
    window->Search();
    ASSERT_TRUE(OutlineRunning(*doc));
    // The outline is drawn on screen only: a tick leaves the layer's pixels alone.
    OutlineTimerTick(*doc);
    EXPECT_EQ(doc->layers[0].pixels, original);
    window->close();
    EXPECT_EQ(doc->layers[0].pixels, original);

    frame->RunCommand(kCmdColourRange);
    Ws().searchColour = kRed;
    window->Search();
    EXPECT_EQ(MaskCount(*doc, 1), 4);
    window->ResetButton()->click();
    EXPECT_EQ(MaskCount(*doc, 0), 16);
    EXPECT_FALSE(doc->selection.shown);
    EXPECT_TRUE(window->CountLabel()->text().isEmpty());
    EXPECT_EQ(doc->layers[0].pixels, original);
}

TEST_F(ToolFrame, PickingInThePictureUpdatesTheSwatchAndTheCount) {
    COrinDoc* doc = QuarterRed();
    frame->RunCommand(kCmdColourRange);
    CDlg_ColourRange* window = frame->ColourRangeWindow();
    ASSERT_NE(window, nullptr);
    Ws().searchColour = kGrey;
    window->Refresh();
    EXPECT_EQ(window->DisplayColour(), kGrey);
    PressAt(frame->ActiveView(), 1, 1);  // view y down: the red corner
    EXPECT_EQ(Ws().searchColour, kRed);
    EXPECT_EQ(window->DisplayColour(), kRed);
    EXPECT_EQ(window->SelectedColour(), kRed);
    EXPECT_EQ(window->CountLabel()->text(), QString::fromUtf8(kFourOfSixteen));
    EXPECT_EQ(MaskCount(*doc, 1), 4);
}

}  // namespace
