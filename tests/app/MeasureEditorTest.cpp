// Measuring in the running editor: tools chosen by command id take the view's mouse
// input in picture pixels and stay armed until Escape, Ctrl+Z and Ctrl+Y undo and redo
// vector edits while measuring (the picture's history untouched), the view offers the
// measurement menu, a new standard measured on the picture reaches the standards
// dialog, and measurement files open and ask to be saved when changed.
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CommandMap.h"
#include "MainFrame.h"
#include "MeasureExport.h"
#include "MeasureFile.h"
#include "MeasureFrame.h"
#include "MeasureState.h"
#include "MeasureToolsDialog.h"
#include "Messages.h"
#include "OrinView.h"
#include "QtHost.h"
#include "ViewGeometry.h"

namespace {


struct MeasureFrameTest : app_test::EditorFrame {
    COrinDoc* doc = nullptr;
    COrinView* view = nullptr;

    void SetUp() override {
        // 10 pixels across and down are 1 mm.
        const std::string standards = "\r\n 1 0\r\n scale mm 10 10 1.00";
        testing_support::WriteFileBytes(folder.File(kCalibrationFile),
                                        std::vector<uint8_t>(standards.begin(), standards.end()));
        EditorFrame::SetUp();
        if (HasFatalFailure()) return;
        doc = AdoptPlain(60, 50, 0xFFFFFF);
        view = frame->ActiveView();
        ASSERT_NE(view, nullptr);
        view->resize(300, 300);
    }
    const std::vector<MeasureObject>& Objects() { return Measures(*doc).sheet.Objects(); }
    MeasureTool Armed() { return Measures(*doc).tool.Tool(); }

    QPoint At(int x, int y) const {
        const WindowRect r = PictureRect(*doc, view->ClientRect());
        return {r.left + x, r.top + y};
    }
    void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF at(At(p.x(), p.y()));
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    void Click(QPoint p) {
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    void DragLine(QPoint from, QPoint to) {
        Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
};

}  // namespace

TEST_F(MeasureFrameTest, ContinuousMeasuringVectorUndoAndEscape) {
    const size_t steps = doc->history.entries.size();
    frame->RunCommand(3409);  // "선분표시"
    ASSERT_EQ(Armed(), MeasureTool::Segment);
    EXPECT_TRUE(frame->Measure()->WantsMenu(doc));
    DragLine({0, 0}, {30, 40});
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_FLOAT_EQ(Objects()[0].values[0], 5.0f);  // 50 pixels, 10 to the mm
    // The tool stays armed: a second segment, by two clicks.
    Click({10, 10});
    Click({10, 30});
    ASSERT_EQ(Objects().size(), 2u);
    EXPECT_FLOAT_EQ(Objects()[1].values[0], 2.0f);
    EXPECT_TRUE(Measures(*doc).changed);

    // Ctrl+Z and Ctrl+Y reach the vector edits while measuring, not the picture's steps.
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Objects().size(), 1u);
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Objects().size(), 2u);
    frame->RunCommand(kCmdVectorUndo);
    EXPECT_EQ(Objects().size(), 1u);
    frame->RunCommand(kCmdVectorRedo);
    EXPECT_EQ(Objects().size(), 2u);
    EXPECT_EQ(doc->history.entries.size(), steps);

    // Escape ends the continuous measurement: clicks measure nothing more.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(Armed(), MeasureTool::None);
    Click({40, 40});
    Click({50, 45});
    EXPECT_EQ(Objects().size(), 2u);
    EXPECT_FALSE(frame->Measure()->WantsMenu(doc));

    // Circle, angle and a polygon finished by a double click; a picture tool disarms.
    frame->RunCommand(3413);
    DragLine({20, 20}, {23, 24});
    ASSERT_EQ(Objects().size(), 3u);
    EXPECT_FLOAT_EQ(Objects()[2].values[3], 0.5f);
    frame->RunCommand(3414);
    Click({0, 0});
    Click({10, 0});
    Click({10, 10});
    ASSERT_EQ(Objects().size(), 4u);
    EXPECT_NEAR(Objects()[3].values[2], 90.0, 1e-4);
    frame->RunCommand(3418);
    Click({0, 0});
    Click({9, 0});
    Click({9, 9});
    Click({0, 9});
    Send(QEvent::MouseButtonDblClick, {0, 9}, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, {0, 9}, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(Objects().size(), 5u);
    EXPECT_EQ(Objects()[4].kind, MeasureKind::Polygon);
    EXPECT_EQ(Objects()[4].points.size(), 4u);
    EXPECT_GT(Objects()[4].values[1], 0.0f);
    frame->RunCommand(kCmdBrush);
    EXPECT_EQ(Armed(), MeasureTool::None);

    // The select-and-modify tool moves an object; Delete without a choice is refused.
    frame->RunCommand(3416);
    QTest::keyClick(view, Qt::Key_Delete);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().toStdString(), msg::kSelectToRemove);
    DragLine({10, 18}, {15, 18});  // the second segment, grabbed between its ends
    EXPECT_EQ(Objects()[1].points[0].x, 15);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(Objects().size(), 4u);
}

TEST_F(MeasureFrameTest, TextLabelsStandardsAndExports) {
    frame->Measure()->askText = [](QString& text) {
        text = QString::fromUtf8("세포 a");
        return true;
    };
    frame->RunCommand(3419);
    Click({5, 5});
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(Objects()[0].text, "세포 a");

    // "기준설정": the segment measured on the picture goes to the standards dialog.
    std::optional<MeasurePoint> measured;
    frame->Measure()->standardsDialog = [&](const MeasurePoint* p) {
        if (p) measured = *p;
    };
    frame->RunCommand(3420);
    DragLine({0, 10}, {40, 10});
    ASSERT_TRUE(measured.has_value());
    EXPECT_EQ(measured->x, 40);
    EXPECT_EQ(measured->y, 40);
    EXPECT_EQ(Armed(), MeasureTool::None);
    EXPECT_EQ(Objects().size(), 1u);

    frame->RunCommand(kCmdExportText);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().toStdString(), msg::kTextSaved);
    EXPECT_TRUE(std::filesystem::exists(folder.File(kMeasureTextFile)));
    // The default workbook is not in this folder: the sheet export says so.
    frame->RunCommand(kCmdExportSheet);
    EXPECT_EQ(messages.back().toStdString(), msg::kExcelVersion);

    // The panel's buttons run the same commands.
    CMeasureToolsDialog* panel = frame->Measure()->Panel();
    ASSERT_NE(panel->CommandButton(kCmdExportCsv), nullptr);
    panel->CommandButton(kCmdExportCsv)->click();
    EXPECT_EQ(messages.back().toStdString(), msg::kCsvSaved);
    panel->ToolButton(3409)->click();
    EXPECT_EQ(Armed(), MeasureTool::Segment);
    EXPECT_TRUE(panel->ToolButton(3409)->isChecked());

    // Value labels off: the option the standards dialog's check box shows follows.
    MeasureSettings& settings = Measurement(frame->GetWorkspace());
    ASSERT_TRUE(settings.showLabels);
    frame->RunCommand(kCmdShowLabels);
    EXPECT_FALSE(settings.showLabels);
    EXPECT_FALSE(settings.calibration.option);
}

TEST_F(MeasureFrameTest, MeasurementFilesOpenAndChangesAreAskedAbout) {
    frame->RunCommand(3409);
    DragLine({0, 0}, {30, 40});
    const std::string path = folder.File("cells.sco");
    ASSERT_TRUE(SaveMeasurements(*doc, Measures(*doc).sheet, path));
    int asked = 0;
    frame->saveQuestion = [&](const QString&) {
        ++asked;
        return QMessageBox::No;
    };
    EXPECT_TRUE(frame->CloseDocument(doc, true));
    EXPECT_EQ(asked, 1);  // the picture is unchanged, its measurements are not

    COrinDoc* opened = frame->OpenFile(QString::fromStdString(path));
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(Measures(*opened).sheet.Count(), 1u);
    EXPECT_FLOAT_EQ(Measures(*opened).sheet.Objects()[0].values[0], 5.0f);
    EXPECT_FALSE(Measures(*opened).changed);
}
