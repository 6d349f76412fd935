// The dialogs of the text tool, the calendar, the photo frame and the face transform:
// what they list first, the values they hand back, Hangul composed through an input
// method, the month's wrap, the frame's live changes.
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <memory>

#include "BrushSizeDialog.h"
#include "CalendarDialog.h"
#include "CalibrationDialog.h"
#include "LayerNameDialog.h"
#include "NewPictureDialog.h"
#include "PreferencesDialog.h"
#include "TestSupport.h"
#include "FaceTransformWindow.h"
#include "FrameDialog.h"
#include "TextControls.h"
#include "TextInputDialog.h"
#include "TextRenderer.h"

namespace {

TEST(TextDialogsTest, TextDialogListsAndValues) {
    TextSettings start;
    start.face = "NanumMyeongjo";
    start.size = 2000;  // brought into 4..1000: shown as 500
    start.style = 2;
    start.underline = true;
    start.colour = 0x123456;
    start.text = u"첫 줄\r\n둘째";
    CDlg_TextInput dialog(start);
    EXPECT_EQ(dialog.FaceBox()->itemText(0), QStringLiteral("NanumMyeongjo"));
    // Korean faces come before the others.
    bool other = false;
    for (int i = 1; i < dialog.FaceBox()->count(); ++i) {
        const bool korean = IsKnownFontFamily(dialog.FaceBox()->itemText(i).toStdString()) &&
                            dialog.FaceBox()->itemText(i).startsWith(QStringLiteral("Nanum"));
        if (!korean) other = true;
        else ASSERT_FALSE(other) << dialog.FaceBox()->itemText(i).toStdString();
    }
    EXPECT_EQ(dialog.SizeBox()->itemText(0), QStringLiteral("500"));
    EXPECT_EQ(dialog.SizeBox()->itemText(1), QStringLiteral("4"));
    EXPECT_EQ(dialog.SizeBox()->itemText(dialog.SizeBox()->count() - 1), QStringLiteral("120"));
    EXPECT_EQ(dialog.StyleBox()->itemText(0), QStringLiteral("Bold"));
    EXPECT_EQ(dialog.StyleBox()->count(), 5);
    EXPECT_EQ(dialog.TextEdit()->toPlainText(), QString::fromUtf8("첫 줄\n둘째"));
    TextSettings v = dialog.Values();
    EXPECT_EQ(v.text, u"첫 줄\r\n둘째");
    EXPECT_EQ(v.size, 1000);
    EXPECT_EQ(v.style, 2);
    EXPECT_TRUE(v.underline);
    EXPECT_FALSE(v.strikeout);
    EXPECT_EQ(v.colour, 0x123456u);
    dialog.SizeBox()->setCurrentText(QStringLiteral("20"));
    dialog.StyleBox()->setCurrentIndex(2);  // "Italic"
    dialog.StrikeoutBox()->setChecked(true);
    dialog.ColourButton()->chooser = [](const QColor&, const QString&) { return QColor(1, 2, 3); };
    dialog.ColourButton()->click();
    v = dialog.Values();
    EXPECT_EQ(v.size, 40);
    EXPECT_EQ(v.style, 1);
    EXPECT_TRUE(v.strikeout);
    EXPECT_EQ(v.colour, 0x030201u);
    // An unknown face is replaced by the Korean face at the top.
    start.face = "No Such Face 123";
    CDlg_TextInput fallback(start);
    EXPECT_EQ(fallback.FaceBox()->itemText(0), QStringLiteral("NanumGothic"));
}

TEST(TextDialogsTest, HangulThroughAnInputMethod) {
    CDlg_TextInput dialog(TextSettings{});
    QPlainTextEdit* edit = dialog.TextEdit();
    edit->setFocus();
    EXPECT_TRUE(edit->testAttribute(Qt::WA_InputMethodEnabled));
    // The input method composes "한" from ㅎ, 하, 한: the preedit is shown in place.
    for (const char* step : {"ㅎ", "하", "한"}) {
        QInputMethodEvent preedit(QString::fromUtf8(step), {});
        QCoreApplication::sendEvent(edit, &preedit);
        EXPECT_EQ(edit->textCursor().block().layout()->preeditAreaText(), QString::fromUtf8(step));
        EXPECT_TRUE(edit->toPlainText().isEmpty());
    }
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("한"));
    QCoreApplication::sendEvent(edit, &commit);
    QInputMethodEvent next(QString::fromUtf8("ㄱ"), {});
    QCoreApplication::sendEvent(edit, &next);
    QInputMethodEvent done;
    done.setCommitString(QString::fromUtf8("글"));
    QCoreApplication::sendEvent(edit, &done);
    EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("한글"));
    EXPECT_TRUE(edit->textCursor().block().layout()->preeditAreaText().isEmpty());
    EXPECT_EQ(dialog.Values().text, u"한글");
}

TEST(TextDialogsTest, CalendarDialog) {
    CalendarSettings start;
    start.year = 2024;
    start.month = 12;
    start.face = "NanumGothic";
    CDlg_Calendar dialog(start);
    EXPECT_EQ(dialog.SizeBox()->itemText(0), QStringLiteral("12"));
    EXPECT_EQ(dialog.SizeBox()->count(), 60);
    EXPECT_EQ(dialog.StyleBox()->itemText(0), QStringLiteral("Regular"));
    EXPECT_TRUE(dialog.Preview()->text().contains(QString::fromUtf8("2024년 12월")));
    dialog.MonthBox()->stepBy(1);  // 12 wraps to 1
    EXPECT_EQ(dialog.MonthBox()->value(), 1);
    EXPECT_TRUE(dialog.Preview()->text().contains(QString::fromUtf8("2024년  1월")));
    dialog.MonthBox()->stepBy(-1);
    EXPECT_EQ(dialog.MonthBox()->value(), 12);
    dialog.YearBox()->setValue(1);
    dialog.YearBox()->stepBy(-1);  // never below 1
    EXPECT_EQ(dialog.YearBox()->value(), 1);
    dialog.SizeBox()->setCurrentText(QStringLiteral("30"));
    const CalendarSettings v = dialog.Values();
    EXPECT_EQ(v.year, 1);
    EXPECT_EQ(v.month, 12);
    EXPECT_EQ(v.size, 30);
    EXPECT_EQ(v.face, "NanumGothic");
}

TEST(TextDialogsTest, FrameDialogAsksForEveryChange) {
    CDlg_PhotoFrame dialog(FrameSettings{});
    QSignalSpy changes(&dialog, &CDlg_PhotoFrame::settingsChanged);
    EXPECT_EQ(dialog.Prompt()->text(), QString::fromUtf8("먼저, 위 사진틀을 선택하세요"));
    EXPECT_EQ(dialog.Values().style, 0);
    EXPECT_EQ(dialog.Values().thickness, 30);
    dialog.StyleButton(2)->click();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.last().at(0).value<FrameSettings>().style, 2);
    dialog.ThicknessBox()->stepBy(1);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(dialog.Values().thickness, 31);
    dialog.ThicknessBox()->setValue(2);  // never below 5
    EXPECT_EQ(dialog.Values().thickness, 5);
    dialog.MainButton()->chooser = [](const QColor& c, const QString& title) {
        EXPECT_EQ(title, QString::fromUtf8("메인색상"));
        return QColor(200, 10, 20);
    };
    dialog.MainButton()->click();
    EXPECT_EQ(dialog.Values().main, 0x140AC8u);
    EXPECT_EQ(changes.count(), 4);
}

TEST(TextDialogsTest, FaceWindowValues) {
    CDlg_FaceTransform window;
    EXPECT_EQ(window.size(), QSize(260, 180));
    FaceSettings v = window.Values();
    EXPECT_EQ(v.mode, 0);
    EXPECT_DOUBLE_EQ(v.strength, 1.0);
    window.ModeButton(1)->setChecked(true);
    window.StrengthBox()->stepBy(3);
    window.StrengthBox()->setValue(12.0);  // kept within 0 .. 10
    v = window.Values();
    EXPECT_EQ(v.mode, 1);
    EXPECT_DOUBLE_EQ(v.strength, 10.0);
    EXPECT_EQ(window.StrengthBox()->text(), QStringLiteral("10.0"));
}

// Every field that takes free text takes it from an input method (ibus, fcitx5): the
// preedit shows in place and the committed syllable lands in the field. Number boxes
// are left out: their validators refuse letters, whatever types them.
TEST(TextDialogsTest, EveryTextFieldTakesHangulFromAnInputMethod) {
    testing_support::TempDir dir;
    Calibration calibration;
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<CDlg_TextInput>(TextSettings{}));
    dialogs.push_back(std::make_unique<CDlg_Change_LayerName>());
    dialogs.push_back(std::make_unique<CDlg_NewPicture>());
    dialogs.push_back(std::make_unique<CDlg_Preferences>(PreferenceValues{}));
    dialogs.push_back(std::make_unique<CDlg_Calendar>(CalendarSettings{}));
    dialogs.push_back(std::make_unique<CDlg_PhotoFrame>(FrameSettings{}));
    dialogs.push_back(std::make_unique<CDlg_BrushSize>());
    dialogs.push_back(std::make_unique<Dlg_Calibration>(dir.Path().string(), calibration));
    int fields = 0;
    for (const auto& dialog : dialogs) {
        const QString name = QString::fromUtf8(dialog->metaObject()->className());
        for (QPlainTextEdit* edit : dialog->findChildren<QPlainTextEdit*>()) {
            EXPECT_TRUE(edit->testAttribute(Qt::WA_InputMethodEnabled)) << name.toStdString();
            ++fields;
        }
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) || edit->validator() || edit->isReadOnly())
                continue;
            ++fields;
            EXPECT_TRUE(edit->testAttribute(Qt::WA_InputMethodEnabled)) << name.toStdString();
            edit->clear();
            QInputMethodEvent preedit(QString::fromUtf8("하"), {});
            QCoreApplication::sendEvent(edit, &preedit);
            EXPECT_TRUE(edit->text().isEmpty()) << name.toStdString();
            QInputMethodEvent commit;
            commit.setCommitString(QString::fromUtf8("한"));
            QCoreApplication::sendEvent(edit, &commit);
            EXPECT_EQ(edit->text(), QString::fromUtf8("한")) << name.toStdString();
        }
    }
    EXPECT_GE(fields, 4);  // the text, a layer name, a standard's name and unit at least
}

}  // namespace
