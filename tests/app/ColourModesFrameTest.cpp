// Colour modes and channels in the editor: the Image menu's entries follow the canvas
// depth, a conversion from the menu undoes, the channel splits open their documents in
// windows, and the channel viewer shows the planes and puts them into new windows.
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "ChannelViewerDialog.h"
#include "CommandMap.h"
#include "History.h"
#include "MainFrame.h"
#include "OrinView.h"
#include "Utf16.h"

namespace {


struct ColourFrame : app_test::EditorFrame {
    bool Enabled(int id) {
        frame->UpdateCommandStates();
        return frame->CommandAction(id)->isEnabled();
    }
};

}  // namespace

TEST_F(ColourFrame, DepthEntriesFollowTheCanvasAndConversionsUndo) {
    EXPECT_FALSE(Enabled(kCmd8BitColour));
    COrinDoc* doc = AdoptPlain(4, 3, 0x0A1421);
    RecordStep(*doc, label::kInitialState, kStepPixels);  // the painted pixels are the start
    struct State {
        int bits;
        bool rgb, eight, four;
    };
    auto check = [&](const State& s) {
        EXPECT_EQ(doc->canvas.bpp, s.bits);
        EXPECT_EQ(Enabled(kCmdRgbColour), s.rgb) << s.bits;
        EXPECT_EQ(Enabled(kCmd8BitColour), s.eight) << s.bits;
        EXPECT_EQ(Enabled(kCmd4BitOptimal), s.four) << s.bits;
        EXPECT_EQ(Enabled(kCmd4BitStandard), s.four) << s.bits;
    };
    check({24, false, true, true});
    EXPECT_FALSE(Enabled(kCmdRemoveTransparency));  // no transparent entry
    frame->CommandAction(kCmd8BitColour)->trigger();
    check({8, true, false, true});
    frame->CommandAction(kCmd4BitStandard)->trigger();
    check({4, true, false, false});
    frame->RunCommand(kCmdUndo);
    frame->RunCommand(kCmdUndo);
    check({24, false, true, true});

    frame->CommandAction(kCmdGreyscale)->trigger();
    EXPECT_EQ(messages.back(), QString::fromUtf8("그레이스케일 변환 완료"));
    EXPECT_EQ(doc->layers[0].pixels[0], 21);
}

TEST_F(ColourFrame, SplitsOpenWindowsAndTheViewerPutsPlanesIntoNewOnes) {
    COrinDoc* doc = AdoptPlain(4, 3, 0xFF0000);
    doc->fileName = "red.bmp";
    frame->CommandAction(kCmdSplitHsl)->trigger();
    ASSERT_EQ(frame->DocumentCount(), 4);
    EXPECT_EQ(frame->DocumentAt(1)->fileName, "Hue Channel 1 from red.bmp");
    EXPECT_EQ(frame->DocumentAt(3)->fileName, "Lightness Channel 3 from red.bmp");
    EXPECT_EQ(frame->DocumentAt(2)->layers[0].pixels[0], 255);  // saturation of pure red
    EXPECT_EQ(frame->ViewsOf(frame->DocumentAt(3)).size(), 1u);

    for (QMdiSubWindow* sub : frame->MdiArea()->subWindowList())
        if (sub->isAncestorOf(frame->ViewsOf(doc).front()))
            frame->MdiArea()->setActiveSubWindow(sub);
    ASSERT_EQ(frame->ActiveDocument(), doc);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* viewer = qobject_cast<CDlg_ChannelViewer*>(QApplication::activeModalWidget());
        ASSERT_NE(viewer, nullptr);
        shown = true;
        EXPECT_EQ(viewer->SignalText(0), QString::fromUtf8("R-시그널"));
        viewer->Representation()->setCurrentIndex(1);
        EXPECT_EQ(viewer->SignalText(0), QString::fromUtf8("Y-시그널"));
        EXPECT_EQ(viewer->SignalText(2), QString::fromUtf8("V-시그널"));
        EXPECT_EQ(viewer->Tabs()->count(), 4);
        EXPECT_EQ(viewer->TakeButton(3)->text(), QString::fromUtf8("선택 후 새창에 담기"));
        viewer->TakeButton(3)->click();  // the V plane alone
        viewer->Representation()->setCurrentIndex(0);
        viewer->TakeButton(0)->click();  // R, G and B
        viewer->accept();
    });
    frame->RunCommand(kCmdSplitRgb);
    ASSERT_TRUE(shown);
    ASSERT_EQ(frame->DocumentCount(), 8);
    EXPECT_EQ(frame->DocumentAt(4)->fileName, "V Channel 4 from red.bmp");
    EXPECT_EQ(frame->DocumentAt(4)->layers[0].pixels[0], 255);  // (255 - 76) x 0.713 + 128, clamped
    EXPECT_EQ(frame->DocumentAt(5)->fileName, "R Channel 5 from red.bmp");
    EXPECT_EQ(frame->DocumentAt(5)->layers[0].pixels[0], 255);
    EXPECT_EQ(frame->DocumentAt(6)->layers[0].pixels[0], 0);
}
