// The effect list and the effect bar in the editor: the Filter menu selects an effect
// and opens its bar with the table's sliders, labels and widths; runs start from the
// start image; "닫기" records the step named after the effect, Cancel restores.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "EffectBar.h"
#include "History.h"
#include "MainFrame.h"
#include "QtHost.h"
#include "Utf16.h"

namespace {


struct EffectBarFixture : app_test::EditorFrame {
    COrinDoc* doc = nullptr;
    void SetUp() override {
        EditorFrame::SetUp();
        if (HasFatalFailure()) return;
        doc = AdoptPlain(40, 30, 0x336699);
        ASSERT_NE(doc, nullptr);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) doc->CurrentLayer()->pixels[size_t(y) * doc->CurrentLayer()->stride + 3 * x] = uint8_t(x * 6);
        RecordStep(*doc, label::kInitialState, kStepPixels);
    }
    // Runs the command; `inside` acts on the bar while it is open and closes it.
    void WithBar(int command, const std::function<void(CEffectBar&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            CEffectBar* bar = frame->EffectBarWindow();
            ASSERT_NE(bar, nullptr);
            seen = true;
            inside(*bar);
            if (bar->isVisible()) bar->reject();
        });
        frame->RunCommand(command);
        EXPECT_TRUE(seen);
    }
    std::string LastLabel() const { return Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label); }
};

TEST_F(EffectBarFixture, FilterMenuOpensTheBarOfItsEffectWithTheTablesSliders) {
    QMenu* filter = nullptr;
    for (QAction* a : frame->menuBar()->actions())
        if (a->menu() && a->menu()->objectName() == QStringLiteral("Filter")) filter = a->menu();
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->actions().size(), 19);
    EXPECT_EQ(frame->EffectList()->count(), 22);
    EXPECT_EQ(frame->EffectList()->currentIndex(), 0);

    WithBar(1453, [&](CEffectBar& bar) {
        EXPECT_EQ(frame->EffectList()->currentIndex(), 3);
        EXPECT_EQ(bar.SliderCount(), 1);
        EXPECT_EQ(bar.width(), 330);
        EXPECT_EQ(bar.Label(0)->text(), QString::fromUtf8("흐림(1‥9)"));
        EXPECT_EQ(bar.Edit(0)->text(), QStringLiteral("4"));
        EXPECT_EQ(bar.Slider(0)->pageStep(), 1);
        EXPECT_FALSE(bar.Slider(1)->isEnabled());
        EXPECT_EQ(bar.Label(1)->text(), QString::fromUtf8("미지정"));
        EXPECT_FALSE(bar.SubModes()->isEnabled());
    });
    WithBar(1455, [&](CEffectBar& bar) {  // the menu's "강조" is the edge emphasis
        EXPECT_EQ(bar.CurrentOperation()->label, "경계강조");
        EXPECT_EQ(bar.width(), 510);
    });
    WithBar(1447, [&](CEffectBar& bar) { EXPECT_EQ(bar.CurrentOperation()->label, "강조"); });
    WithBar(3479, [&](CEffectBar& bar) {
        EXPECT_EQ(bar.SliderCount(), 0);
        EXPECT_EQ(bar.width(), 150);
    });
    WithBar(1461, [&](CEffectBar& bar) {
        EXPECT_EQ(bar.width(), 610);
        EXPECT_EQ(bar.Label(1)->text(), QString::fromUtf8("선분길이(3‥30)"));
        EXPECT_EQ(bar.Parameters()[1], 1);  // the default stands off the scale
        EXPECT_EQ(bar.Slider(1)->value(), 3);
    });
    WithBar(2113, [&](CEffectBar& bar) {
        EXPECT_TRUE(bar.SubModes()->isEnabled());
        EXPECT_FALSE(frame->EffectList()->isEnabled());
        EXPECT_EQ(bar.Label(0)->text(), QString::fromUtf8("농도조절(0‥255)"));
        bar.SubModes()->setCurrentIndex(1);
        EXPECT_EQ(bar.Parameters()[0], 75);
        bar.SubModes()->setCurrentIndex(2);
        EXPECT_EQ(bar.Label(0)->text(), QString::fromUtf8("이진임계치(0‥255)"));
        EXPECT_EQ(bar.CurrentOperation()->id, 1440);
    });
    EXPECT_TRUE(frame->EffectList()->isEnabled());
}

TEST_F(EffectBarFixture, RunsStartOverCloseRecordsCancelRestores) {
    const std::vector<uint8_t> start = doc->CurrentLayer()->pixels;
    const int position = doc->history.position;
    std::vector<uint8_t> twice, once;
    WithBar(1453, [&](CEffectBar& bar) {
        bar.Edit(0)->setText(QStringLiteral("9"));
        Q_EMIT bar.Edit(0)->textEdited(QStringLiteral("9"));
        EXPECT_EQ(bar.Slider(0)->value(), 9);
        bar.RunButton()->click();
        bar.Slider(0)->setValue(2);
        bar.RunButton()->click();
        twice = doc->CurrentLayer()->pixels;
    });
    EXPECT_EQ(doc->CurrentLayer()->pixels, start);  // cancelled
    EXPECT_EQ(doc->history.position, position);
    WithBar(1453, [&](CEffectBar& bar) {
        bar.Slider(0)->setValue(2);
        bar.RunButton()->click();
        once = doc->CurrentLayer()->pixels;
        bar.CloseButton()->click();
    });
    EXPECT_NE(once, start);
    EXPECT_EQ(twice, once);
    EXPECT_EQ(doc->CurrentLayer()->pixels, once);
    EXPECT_EQ(doc->history.position, position + 1);
    EXPECT_EQ(LastLabel(), "흐리게");
    // "시작 영상" then "닫기": a step whose pixels are the start image.
    WithBar(1472, [&](CEffectBar& bar) {
        bar.RunButton()->click();
        bar.StartButton()->click();
        bar.CloseButton()->click();
    });
    EXPECT_EQ(LastLabel(), "유화");
    EXPECT_EQ(doc->CurrentLayer()->pixels, once);
    // Esc while a run goes on stops it: the layer stays as the bar found it.
    frame->Host().cancelAtPoll = 1;
    WithBar(1468, [&](CEffectBar& bar) {
        bar.RunButton()->click();
        EXPECT_EQ(doc->CurrentLayer()->pixels, once);
        EXPECT_TRUE(bar.isVisible());
    });
    frame->Host().cancelAtPoll = 0;
}

TEST_F(EffectBarFixture, ChoosingAnEntryOfTheListOpensItsBar) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        CEffectBar* bar = frame->EffectBarWindow();
        ASSERT_NE(bar, nullptr);
        seen = bar->CurrentOperation()->label == "수채화";
        bar->reject();
    });
    frame->EffectList()->setCurrentIndex(10);
    Q_EMIT frame->EffectList()->activated(10);
    EXPECT_TRUE(seen);
}

}  // namespace
