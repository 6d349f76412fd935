// The adjustment dialogs: each change of a value previews from the start image, OK
// records one step, Cancel brings the start image back; the slider rules, the mode
// switch of the channel offsets and the histogram's markers.
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include "BrightnessContrast.h"
#include "BrightnessContrastDialog.h"
#include "ChannelOffsets.h"
#include "ColourAdjustDialog.h"
#include "CommandMap.h"
#include "HistogramDialog.h"
#include "LevelStretch.h"
#include "LivePreview.h"
#include "ProcessingOperations.h"
#include "ValueSlider.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

struct Adjusting {
    Bench bench;
    OperationTable table;
    std::unique_ptr<COrinDoc> doc = bench.Open(2, 1, [](int x, int) { return x ? 0x646464u : 0xC8C8C8u; });
    Adjusting() {
        AddProcessingOperations(table);
        RecordStep(*doc, label::kInitialState, kStepPixels);
    }
    uint32_t Pixel(int x) const { return PixelAt(doc->layers[0], x, 0); }
};

}  // namespace

TEST(AdjustDialogs, PreviewsFromTheStartImageOkRecordsCancelRestores) {
    Adjusting a;
    const Operation& op = *a.table.Find(kCmdBrightness);
    {
        int refreshed = 0;
        LivePreview preview(*a.doc, op, [&] { ++refreshed; });
        ASSERT_TRUE(preview.Begin().ok);
        EXPECT_EQ(a.doc->workspace.currentCommand, kCmdBrightness);
        CDlg_BrightnessContrast dialog(op);
        QObject::connect(&dialog, &CDlg_BrightnessContrast::Changed, [&] { preview.Show(dialog.Values()); });
        dialog.Brightness()->Edit()->setText(QStringLiteral("10"));
        dialog.Brightness()->Edit()->setText(QStringLiteral("20"));  // from the start image, not 30
        EXPECT_EQ(a.Pixel(0), 0xDCDCDCu);
        EXPECT_EQ(dialog.Brightness()->Slider()->value(), 20);
        dialog.Brightness()->Edit()->setText(QStringLiteral("0"));  // back to 0, 0: the start image
        EXPECT_EQ(a.Pixel(0), 0xC8C8C8u);
        dialog.Contrast()->Edit()->setText(QStringLiteral("255"));
        EXPECT_EQ(a.Pixel(1), 0x484848u);  // 100 -> 72
        EXPECT_GE(refreshed, 4);
        preview.Cancel();
        EXPECT_EQ(a.Pixel(1), 0x646464u);
    }
    EXPECT_EQ(a.doc->workspace.currentCommand, -1);
    const int position = a.doc->history.position;
    {
        LivePreview preview(*a.doc, op, nullptr);
        ASSERT_TRUE(preview.Begin().ok);
        ASSERT_TRUE(preview.Show({0, 255}).ok);
        preview.Accept();
    }
    EXPECT_EQ(a.doc->history.position, position + 1);
    EXPECT_EQ(Utf16ToUtf8(a.doc->history.entries[size_t(a.doc->history.position)].label), "명도·대비 조절");
    EXPECT_EQ(a.Pixel(1), 0x484848u);
    {
        // Left without OK (the dialog closed): Cancel.
        LivePreview preview(*a.doc, op, nullptr);
        ASSERT_TRUE(preview.Begin().ok);
        ASSERT_TRUE(preview.Show({-100, 0}).ok);
    }
    EXPECT_EQ(a.Pixel(1), 0x484848u);
}

TEST(AdjustDialogs, SliderReleaseAndEditBoxRules) {
    OpParam p{"b", "명도", -255, 255, 0};
    ValueSlider v(p, QStringLiteral("-255           0         +255"));
    QSignalSpy changed(&v, &ValueSlider::Changed);
    EXPECT_EQ(v.Edit()->maxLength(), 5);
    v.Slider()->setSliderDown(true);
    v.Slider()->setSliderPosition(40);  // dragging: nothing yet
    EXPECT_EQ(changed.count(), 0);
    v.Slider()->setSliderDown(false);  // released: copied into the box
    EXPECT_EQ(v.Edit()->text(), QStringLiteral("40"));
    EXPECT_EQ(changed.count(), 1);
    v.Edit()->setText(QStringLiteral("999"));
    EXPECT_EQ(v.Value(), 255);
    EXPECT_EQ(v.Slider()->value(), 255);
    v.Edit()->setText(QStringLiteral("-12x"));
    EXPECT_EQ(v.Value(), -12);
}

TEST(AdjustDialogs, ChannelOffsetModesResetTheValues) {
    Adjusting a;
    const Operation& op = *a.table.Find(kCmdColourAdjust);
    CDlg_ColourAdjust dialog(op);
    dialog.show();
    QSignalSpy changed(&dialog, &CDlg_ColourAdjust::Changed);
    dialog.Value(0)->Edit()->setText(QStringLiteral("30"));
    dialog.Value(2)->Edit()->setText(QStringLiteral("-5"));
    EXPECT_EQ(dialog.Values(), (std::vector<int>{30, 0, -5, kOffsetRgb}));
    dialog.HslMode()->setChecked(true);
    EXPECT_EQ(dialog.Values(), (std::vector<int>{0, 0, 0, kOffsetHsl}));
    EXPECT_FALSE(dialog.Value(2)->isVisible());
    EXPECT_EQ(changed.count(), 3);
    dialog.RgbMode()->setChecked(true);
    EXPECT_TRUE(dialog.Value(2)->isVisible());
}

TEST(AdjustDialogs, HistogramMarkersMoveTheNearerOne) {
    Adjusting a;
    const Operation& op = *a.table.Find(kCmdHistogram);
    CDlg_Histogram dialog(op, LayerHistogram(*a.doc, a.doc->layers[0]));
    dialog.show();
    EXPECT_EQ(dialog.MaximumText(), QString::fromUtf8("최대도수 1"));
    EXPECT_EQ(dialog.RangeText(), QString::fromUtf8("명암범위 100 ~ 200"));
    QSignalSpy changed(&dialog, &CDlg_Histogram::Changed);
    HistogramStrip* strip = dialog.Strip();
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(dialog.Values(), (std::vector<int>{60, 255, 0}));
    EXPECT_EQ(changed.count(), 1);
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(dialog.Values()[kLevelHigh], 200);
    // A drag past the middle takes the other marker; a level outside the strip is clamped.
    for (int x : {140, 100, 300}) {  // high to 140; 100 is as near to both: low; high to 255
        QMouseEvent drag(QEvent::MouseMove, QPointF(x, 20), QPointF(x, 20), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(strip, &drag);
    }
    EXPECT_EQ(dialog.Values(), (std::vector<int>{100, 255, 0}));
    dialog.Channel(kHistGreen)->setChecked(true);
    EXPECT_EQ(dialog.Values()[kLevelChannel], kHistGreen);
    EXPECT_EQ(changed.count(), 2);
}
