// The dialogs of the transforms: the resize dialog's aspect lock and percent rule, the
// canvas dialog's anchors, the free rotation's decimal angle; and each run from its
// menu command on the running main frame, recording its step.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CanvasSize.h"
#include "CommandMap.h"
#include "History.h"
#include "LayerPanel.h"
#include "MainFrame.h"
#include "OrinView.h"
#include "Resize.h"
#include "Rotate.h"
#include "ToolRouter.h"
#include "TransformDialogs.h"
#include "ViewState.h"

namespace {

TEST(TransformDialogs, ResizeKeepsTheAspectAndShowsTheTruncatedPercent) {
    const Operation op = ResizeOperation(nullptr);
    CDlg_ImageSize d(300, 200, op.params[kSizeWidth], op.params[kSizeHeight]);
    EXPECT_EQ(d.WidthPercent()->value(), 100);
    EXPECT_EQ(d.HeightPercent()->value(), 100);
    EXPECT_TRUE(d.Lock()->isChecked());
    struct Case {
        bool lock;
        QSpinBox* (CDlg_ImageSize::*box)() const;
        int value;
        int width, height, widthPercent, heightPercent;
    } cases[] = {
        {true, &CDlg_ImageSize::WidthEdit, 150, 150, 100, 50, 50},
        {true, &CDlg_ImageSize::WidthEdit, 301, 301, 200, 100, 100},  // 100.83: truncated
        {true, &CDlg_ImageSize::HeightEdit, 333, 499, 333, 167, 167},
        {true, &CDlg_ImageSize::WidthPercent, 25, 75, 50, 25, 25},
        {true, &CDlg_ImageSize::HeightPercent, 200, 600, 400, 200, 200},
        {false, &CDlg_ImageSize::WidthEdit, 450, 450, 400, 150, 200},
        {false, &CDlg_ImageSize::HeightPercent, 50, 450, 100, 150, 50},
    };
    for (const Case& c : cases) {
        d.Lock()->setChecked(c.lock);
        (d.*c.box)()->setValue(c.value);
        EXPECT_EQ(d.NewWidth(), c.width) << c.value;
        EXPECT_EQ(d.NewHeight(), c.height) << c.value;
        EXPECT_EQ(d.WidthPercent()->value(), c.widthPercent) << c.value;
        EXPECT_EQ(d.HeightPercent()->value(), c.heightPercent) << c.value;
    }
}

TEST(TransformDialogs, CanvasOffersNineAnchorsFromTheCentre) {
    const Operation op = CanvasSizeOperation();
    CDlg_CanvasSize d(40, 30, op);
    EXPECT_EQ(d.NewWidth(), 40);
    EXPECT_EQ(d.NewHeight(), 30);
    EXPECT_EQ(d.Anchor(), 4);
    EXPECT_EQ(d.AnchorButton(4)->text(), QString::fromUtf8("●"));
    EXPECT_EQ(d.AnchorButton(8)->text(), QString::fromUtf8("↘"));
    d.AnchorButton(0)->click();
    EXPECT_EQ(d.Anchor(), 0);
    EXPECT_EQ(d.AnchorButton(0)->text(), QString::fromUtf8("●"));
    EXPECT_EQ(d.AnchorButton(4)->text(), QString::fromUtf8("↘"));
    EXPECT_EQ(d.AnchorButton(8)->text(), QString());  // two steps away: no arrow
    d.WidthEdit()->setValue(0);  // below the table's range: held at 1
    EXPECT_EQ(d.NewWidth(), 1);
}

TEST(TransformDialogs, TheAngleTakesDecimalsAndBothSigns) {
    const Operation op = FreeRotateOperation();
    CDlg_FreeRotate d(op.params[kRotateAngle], -1725);
    EXPECT_DOUBLE_EQ(d.Edit()->value(), -17.25);
    EXPECT_EQ(d.Angle(), -1725);
    d.Edit()->setValue(33.333);
    EXPECT_EQ(d.Angle(), 3333);
    d.Edit()->setValue(1000);  // past 360 degrees: held at the table's limit
    EXPECT_EQ(d.Angle(), 36000);
}

// The commands from the running main frame, each answering its dialog.
struct TransformFrame : ::testing::Test {
    testing_support::TempDir folder;
    std::unique_ptr<CMainFrame> frame;
    COrinDoc* doc = nullptr;
    void SetUp() override {
        app_test::InstallSettings(folder);
        StartupOptions options;
        options.programFolder = QString::fromStdString(folder.Path().string());
        options.interactive = false;
        options.show = false;
        options.messageHook = [](const QString&) {};
        frame = StartTessaro(options);
        ASSERT_NE(frame, nullptr);
        doc = frame->AdoptDocument(app_test::PlainDocument(frame->GetWorkspace(), 12, 10, 0xFFFFFF));
    }
    std::u16string LastLabel() const { return doc->history.entries[size_t(doc->history.position)].label; }
    // Runs command `id`; `answer` fills its dialog, which is then accepted.
    template <class Dialog, class Answer>
    bool RunWithDialog(int id, Answer answer) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d) return;
            shown = true;
            answer(*d);
            d->accept();
        });
        frame->RunCommand(id);
        return shown;
    }
};

TEST_F(TransformFrame, EachDialogCommandRunsAndRecordsItsStep) {
    ASSERT_TRUE(RunWithDialog<CDlg_FreeRotate>(kCmdFreeRotate, [](CDlg_FreeRotate& d) { d.Edit()->setValue(90); }));
    EXPECT_EQ(doc->canvas.width, 10);
    EXPECT_EQ(doc->canvas.height, 12);
    EXPECT_EQ(LastLabel(), u"자유회전");

    ASSERT_TRUE(RunWithDialog<CDlg_ImageSize>(kCmdResize, [](CDlg_ImageSize& d) { d.WidthPercent()->setValue(200); }));
    EXPECT_EQ(doc->canvas.width, 20);
    EXPECT_EQ(doc->canvas.height, 24);
    EXPECT_EQ(LastLabel(), u"이미지크기");

    ASSERT_TRUE(RunWithDialog<CDlg_CanvasSize>(kCmdCanvasSize, [](CDlg_CanvasSize& d) {
        d.WidthEdit()->setValue(30);
        d.AnchorButton(2)->click();
    }));
    EXPECT_EQ(doc->canvas.width, 30);
    EXPECT_EQ(doc->canvas.height, 24);
    EXPECT_EQ(LastLabel(), u"캔버스크기조정");

    // Cancelling a dialog changes nothing.
    const int position = doc->history.position;
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    frame->RunCommand(kCmdResize);
    EXPECT_EQ(doc->history.position, position);
    EXPECT_EQ(doc->canvas.width, 30);

    frame->RunCommand(kCmdUndo);
    EXPECT_EQ(doc->canvas.width, 20);
}

TEST_F(TransformFrame, AnotherCommandTakesTheFreeTransformPreviewBack) {
    frame->RunCommand(kCmdFreeTransform);
    ASSERT_TRUE(ViewOf(*doc).warpShown);
    const std::vector<uint8_t> before = doc->layers[0].alpha;
    ToolMouseDown(*doc, 12, 0);  // the top-right handle halfway in
    ToolMouseMove(*doc, 6, 0);
    ToolMouseUp(*doc, 6, 0);
    ASSERT_NE(doc->layers[0].alpha, before);
    frame->RunCommand(kCmdRotate90Cw);
    EXPECT_FALSE(ViewOf(*doc).warpShown);
    EXPECT_EQ(LastLabel(), u"90 우회전");
    EXPECT_EQ(doc->canvas.width, 10);
    frame->RunCommand(kCmdRotate90Ccw);
    EXPECT_EQ(doc->layers[0].alpha, before);

    // So do the layer panel's history buttons: its undo takes back the last turn, not
    // the preview, and no later Esc brings the preview's start back over it.
    frame->RunCommand(kCmdFreeTransform);
    ToolMouseDown(*doc, 12, 0);
    ToolMouseUp(*doc, 6, 0);
    frame->LayerPanel()->UndoButton()->click();
    EXPECT_FALSE(ViewOf(*doc).warpShown);
    EXPECT_EQ(doc->canvas.width, 10);
    EXPECT_EQ(LastLabel(), u"90 우회전");
}

TEST_F(TransformFrame, TypedPercentKeepsItsSizeWhenTheFocusMovesOn) {
    // 754 x 649 at 50 %: 377 x 324; figured back from the height it would be 376 wide.
    doc = frame->AdoptDocument(app_test::PlainDocument(frame->GetWorkspace(), 754, 649, 0xFFFFFF));
    ASSERT_TRUE(RunWithDialog<CDlg_ImageSize>(kCmdResize, [](CDlg_ImageSize& d) {
        d.WidthPercent()->setFocus();
        QTest::keyClick(d.WidthPercent(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d.WidthPercent(), "50");
        QTest::keyClick(d.WidthPercent(), Qt::Key_Tab);
        QTest::keyClick(d.HeightPercent(), Qt::Key_Return);
    }));
    EXPECT_EQ(doc->canvas.width, 377);
    EXPECT_EQ(doc->canvas.height, 324);
}

}  // namespace
