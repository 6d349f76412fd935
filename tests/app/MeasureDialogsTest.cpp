// The standards dialog "측정 기준" over a real standards file, the measurement tools
// dialog and the sheet choice of "엑셀로 변환".
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "CalibrationDialog.h"
#include "MeasureToolsDialog.h"
#include "MeasureTools.h"
#include "Messages.h"
#include "TestSupport.h"

namespace {

std::string FileText(const testing_support::TempDir& dir) {
    const auto bytes = testing_support::ReadFileBytes(dir.File(kCalibrationFile));
    return std::string(bytes.begin(), bytes.end());
}

struct StandardsDialog : ::testing::Test {
    testing_support::TempDir dir;
    Calibration current;
    std::vector<QString> messages;
    std::unique_ptr<Dlg_Calibration> Open() {
        auto d = std::make_unique<Dlg_Calibration>(dir.Path().string(), current);
        d->showMessage = [this](const QString& text) { messages.push_back(text); };
        return d;
    }
    void Type(Dlg_Calibration& d, const char* name, const char* x, const char* y, const char* unit, const char* length) {
        d.NameBox()->setEditText(QString::fromUtf8(name));
        d.XField()->setText(x);
        d.YField()->setText(y);
        d.UnitBox()->setEditText(unit);
        d.LengthField()->setText(length);
    }
};

}  // namespace

TEST_F(StandardsDialog, AddSaveSelectDeleteAndOk) {
    const std::string text = "\r\n 2 1\r\n a mm 10 10 1.00\r\n b um 20 25 2.35";
    testing_support::WriteFileBytes(dir.File(kCalibrationFile), std::vector<uint8_t>(text.begin(), text.end()));
    current.xPixels = 7;
    auto d = Open();
    ASSERT_EQ(d->NameBox()->count(), 2);
    EXPECT_EQ(d->NameBox()->currentText(), "b");
    EXPECT_EQ(d->LengthField()->text(), "2.35");
    EXPECT_EQ(d->XField()->text(), "7");  // the current calibration's pixels

    d->AddButton()->click();
    EXPECT_EQ(d->NameBox()->currentText(), "New Unit");
    EXPECT_EQ(d->XField()->text(), "0");
    EXPECT_EQ(d->UnitBox()->currentText(), "um");
    // Saved as offered, 0 pixels: refused, the file unchanged.
    const std::string before = FileText(dir);
    d->SaveButton()->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QString::fromUtf8(msg::kStandardPixels));
    EXPECT_EQ(FileText(dir), before);

    Type(*d, "New Unit", "100", "100", "um", "50");
    d->SaveButton()->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(FileText(dir), "\r\n 3 2\r\n a mm 10 10 1.00\r\n b um 20 25 2.35\r\n New_Unit um 100 100 50.00");
    EXPECT_EQ(d->NameBox()->currentText(), "New_Unit");

    d->NameBox()->setCurrentIndex(0);
    Q_EMIT d->NameBox()->activated(0);
    EXPECT_EQ(d->XField()->text(), "10");
    EXPECT_EQ(d->UnitBox()->currentText(), "mm");

    d->NameBox()->setEditText("b");
    d->DeleteButton()->click();
    EXPECT_EQ(FileText(dir), "\r\n 2 0\r\n a mm 10 10 1.00\r\n New_Unit um 100 100 50.00");
    EXPECT_EQ(d->NameBox()->count(), 2);

    // OK: the shown standard becomes current, in the file and the calibration.
    d->NameBox()->setCurrentIndex(1);
    Q_EMIT d->NameBox()->activated(1);
    d->OptionBox()->setChecked(true);
    d->OkButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(current.name, "New_Unit");
    EXPECT_EQ(current.xPixels, 100);
    EXPECT_FLOAT_EQ(current.length, 50.0f);
    EXPECT_TRUE(current.option);
    EXPECT_EQ(FileText(dir), "\r\n 2 1\r\n a mm 10 10 1.00\r\n New_Unit um 100 100 50.00");
}

TEST_F(StandardsDialog, NewStandardFormAndTheThirtyFirst) {
    auto d = Open();
    EXPECT_EQ(d->NameBox()->count(), 0);
    d->ShowNewStandard(240, 240);
    EXPECT_EQ(d->NameBox()->currentText(), QString::fromUtf8("새기준"));
    EXPECT_EQ(d->XField()->text(), "240");
    EXPECT_EQ(d->LengthField()->text(), "1.0");
    d->MeasureButton()->click();
    EXPECT_TRUE(d->MeasureRequested());

    for (int i = 0; i < kMaxStandards; ++i) {
        Type(*d, ("s" + std::to_string(i)).c_str(), "5", "5", "mm", "1");
        d->SaveButton()->click();
    }
    EXPECT_TRUE(messages.empty());
    Type(*d, "s30", "5", "5", "mm", "1");
    d->SaveButton()->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QString::fromUtf8(msg::kStandardsFull));
    StandardsTable table;
    ReadCalibration(dir.Path().string(), table);
    EXPECT_EQ(table.standards.size(), size_t(kMaxStandards));
}

// A picture's own scale is listed after the table's standards; picked, OK makes it
// current and writes it to the file; listed only, the current standard stays shown.
TEST_F(StandardsDialog, PicturesOwnScaleIsOffered) {
    MeasureStandard offered;
    offered.name = "cells.tif";
    offered.unit = "meter";
    offered.xPixels = offered.yPixels = 39370;
    offered.length = 1.0f;
    {
        // An empty table: listed only, nothing is named, and OK asks for a name.
        auto d = Open();
        d->OfferStandard(offered, false);
        EXPECT_EQ(d->NameBox()->count(), 1);
        EXPECT_TRUE(d->NameBox()->currentText().isEmpty());
        d->OkButton()->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], QString::fromUtf8(msg::kStandardName));
        messages.clear();
    }
    const std::string text = "\r\n 1 0\r\n a mm 10 10 1.00";
    testing_support::WriteFileBytes(dir.File(kCalibrationFile), std::vector<uint8_t>(text.begin(), text.end()));
    {
        auto d = Open();
        d->OfferStandard(offered, false);
        ASSERT_EQ(d->NameBox()->count(), 2);
        EXPECT_EQ(d->NameBox()->currentText(), "a");
        EXPECT_EQ(d->UnitBox()->currentText(), "mm");
    }
    auto d = Open();
    d->OfferStandard(offered, true);
    EXPECT_EQ(d->NameBox()->currentText(), "cells.tif");
    EXPECT_EQ(d->XField()->text(), "39370");
    EXPECT_EQ(d->UnitBox()->currentText(), "meter");
    EXPECT_EQ(d->LengthField()->text(), "1.00");
    // Showing the table's standard and coming back to the offered one.
    Q_EMIT d->NameBox()->activated(0);
    EXPECT_EQ(d->XField()->text(), "10");
    Q_EMIT d->NameBox()->activated(1);
    EXPECT_EQ(d->YField()->text(), "39370");
    d->OkButton()->click();
    EXPECT_EQ(current.name, "cells.tif");
    EXPECT_EQ(current.xPixels, 39370);
    EXPECT_EQ(FileText(dir), "\r\n 2 1\r\n a mm 10 10 1.00\r\n cells.tif meter 39370 39370 1.00");
}

TEST(MeasureToolsDialog, EightToolsAndTheStandard) {
    CMeasureToolsDialog d;
    const char* eight[] = {"선분표시", "평행선표시", "사각영역표시", "선분사이거리", "원영역표시", "사이각표시", "점", "선택과수정"};
    for (int i = 0; i < 8; ++i) {
        const MeasureToolInfo& t = MeasureToolTable()[size_t(i)];
        EXPECT_STREQ(t.label, eight[i]);
        ASSERT_NE(d.ToolButton(t.id), nullptr);
        EXPECT_EQ(d.ToolButton(t.id)->text(), QString::fromUtf8(eight[i]));
    }
    QSignalSpy chosen(&d, &CMeasureToolsDialog::toolChosen);
    d.ToolButton(3413)->click();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 3413);
    d.SetCurrentTool(3409);
    EXPECT_TRUE(d.ToolButton(3409)->isChecked());
    EXPECT_FALSE(d.ToolButton(3413)->isChecked());
    Calibration c;
    c.name = "obj40";
    c.unit = "um";
    d.SetStandard(c);
    EXPECT_TRUE(d.StandardLabel()->text().startsWith(QString::fromUtf8("측정기준: obj40")));

    DlgExcel excel({"Sheet1", "Sheet2", "Sheet3"});
    EXPECT_EQ(excel.windowTitle(), QString::fromUtf8("엑셀로 변환"));
    EXPECT_EQ(excel.SheetList()->count(), 3);
    excel.SheetList()->setCurrentRow(2);
    EXPECT_EQ(excel.Sheet(), 3);
}
