// The preferences command (1571): the grid-spacing rule, the dialog's values, and the
// frame applying them to the views and the active picture and writing them back to the
// settings file at once.
#include <QComboBox>
#include <QSpinBox>
#include <QCheckBox>
#include <QToolBar>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CommandMap.h"
#include "MainFrame.h"
#include "PreferencesDialog.h"
#include "SettingsFile.h"

namespace {

using testing_support::TempDir;

TEST(Preferences, GridSpacingRule) {
    struct Case {
        int entered;
        bool shown;
        int gap;
    };
    for (const Case c : {Case{0, true, 4}, Case{3, true, 4}, Case{4, true, 4}, Case{17, true, 17}, Case{40, false, -40},
                         Case{99, true, 40}, Case{2, false, -4}, Case{-5, true, 4}})
        EXPECT_EQ(GridGapFromEntry(c.entered, c.shown), c.gap) << c.entered;
}

TEST(Preferences, DialogShowsAndReturnsEveryValue) {
    PreferenceValues in;
    in.gridGap = 12;
    in.gridColour = 0x102030;
    in.hatch = 3;
    in.outlineKind = 4;
    in.cursorKind = 3;
    in.updateCheck = false;
    in.guide = true;
    in.hasPicture = true;
    in.jpegQuality = 85;
    in.dpiX = 300;
    in.dpiY = 150;
    CDlg_Preferences dialog(in);
    EXPECT_EQ(dialog.GridGapBox()->value(), 12);
    EXPECT_EQ(dialog.CursorKindBox()->currentText(), QString::fromUtf8("프로그램 커서"));
    EXPECT_EQ(dialog.CursorKindBox()->count(), 5);
    dialog.GridGapBox()->setValue(2);
    dialog.HatchBox()->setCurrentIndex(5);
    dialog.CursorKindBox()->setCurrentIndex(0);
    dialog.UpdateBox()->setChecked(true);
    dialog.QualityBox()->setValue(60);
    dialog.SetGridColour(0xFF0000);
    const PreferenceValues out = dialog.Values();
    EXPECT_EQ(out.gridGap, 2);
    EXPECT_EQ(out.gridColour, 0xFF0000u);
    EXPECT_EQ(out.hatch, 5);
    EXPECT_EQ(out.outlineKind, 4);
    EXPECT_EQ(out.cursorKind, 1);
    EXPECT_TRUE(out.updateCheck);
    EXPECT_TRUE(out.guide);
    EXPECT_EQ(out.jpegQuality, 60);
    EXPECT_EQ(out.dpiX, 300);
    EXPECT_EQ(out.dpiY, 150);
}

TEST(Preferences, AppliedValuesReachTheViewsThePictureAndTheSettingsFile) {
    TempDir folder;
    std::unique_ptr<CMainFrame> frame = app_test::StartHidden(folder);
    ASSERT_NE(frame, nullptr);
    const std::string picture = app_test::WritePicture(folder, "p.bmp", 4, 3, [](int, int) { return 0x808080u; });
    ASSERT_NE(frame->OpenFile(QString::fromStdString(picture)), nullptr);
    COrinDoc* doc = frame->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    PreferenceValues v;
    v.gridGap = 3;  // below 4: the spacing becomes 4, the grid stays hidden
    v.gridColour = 0x00FF00;
    v.hatch = 2;
    v.outlineKind = 3;
    v.cursorKind = 3;
    v.updateCheck = false;
    v.guide = true;
    v.hasPicture = true;
    v.jpegQuality = 70;
    v.dpiX = 300;
    v.dpiY = 200;
    frame->ApplyPreferences(v, doc);
    EXPECT_EQ(frame->GetWorkspace().gridGap, -4);
    EXPECT_EQ(frame->GetWorkspace().outlineKind, 3);
    EXPECT_EQ(doc->mainImage->Info().quality, 70);
    EXPECT_EQ(doc->mainImage->Info().dpiX, 300);
    EXPECT_EQ(doc->mainImage->Info().dpiY, 200);
    Settings read;
    ASSERT_TRUE(ReadSettingsFile(folder.Path().string(), read));
    EXPECT_EQ(read.gridGap, 4);
    EXPECT_EQ(read.gridColour, 0x00FF00);
    EXPECT_EQ(read.transpRep, 2);
    EXPECT_EQ(read.cursorKind, 3);
    EXPECT_EQ(read.updateCheck, 0);
    EXPECT_EQ(read.wsCheck, 1);
}

}  // namespace

namespace {

// The tool bars' places are kept beside the settings file and come back at the next start.
TEST(Layout, ToolBarPlacesComeBackAtTheNextStart) {
    TempDir folder;
    {
        std::unique_ptr<CMainFrame> frame = app_test::StartHidden(folder);
        ASSERT_NE(frame, nullptr);
        QToolBar* bar = frame->findChild<QToolBar*>(QStringLiteral("ToolBar"));
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(bar->isHidden());
        bar->setVisible(false);
        EXPECT_TRUE(frame->close());
    }
    std::unique_ptr<CMainFrame> frame = app_test::StartHidden(folder);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->findChild<QToolBar*>(QStringLiteral("ToolBar"))->isHidden());
}

}  // namespace
