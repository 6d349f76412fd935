// Long operations in the editor: the progress bar follows the core, Esc stops the
// operation and the layer stays as it was, other input is dropped meanwhile.
#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QThread>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "AppTestSupport.h"
#include "Application.h"
#include "BrightnessContrastDialog.h"
#include "ColourAdjustDialog.h"
#include "CommandMap.h"
#include "HistogramDialog.h"
#include "History.h"
#include "MainFrame.h"
#include "QtHost.h"
#include "ValueSlider.h"

namespace {


using BusyFixture = app_test::EditorFrame;

TEST_F(BusyFixture, EscapeStopsAMenuCommandAndLeavesTheLayerAndHistoryAsTheyWere) {
    COrinDoc* doc = frame->NewPicture(300, 200, QStringLiteral("c"));
    ASSERT_NE(doc, nullptr);
    const std::vector<uint8_t> before = doc->CurrentLayer()->pixels;
    const int position = doc->history.position;
    frame->Host().cancelAtPoll = 1;
    frame->RunCommand(kCmdInvert);
    EXPECT_EQ(doc->CurrentLayer()->pixels, before);
    EXPECT_EQ(doc->history.position, position);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    frame->Host().cancelAtPoll = 0;
    frame->RunCommand(kCmdInvert);
    EXPECT_NE(doc->CurrentLayer()->pixels, before);
    EXPECT_EQ(doc->history.position, position + 1);
}

TEST_F(BusyFixture, OnlyEscapeReachesTheHostWhileBusyAndTheBarShowsProgress) {
    QtDocumentHost& host = frame->Host();
    EXPECT_FALSE(host.Cancelled());  // not busy: nothing is polled
    QWidget target;
    int keys = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) ++*n;
            return false;
        }
    } counter(&keys);
    target.installEventFilter(&counter);
    {
        BusyScope busy(host);
        host.Progress(40);
        auto* bar = frame->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->value(), 40);
        QApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
        QThread::msleep(60);
        EXPECT_FALSE(host.Cancelled());
        QApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QThread::msleep(60);
        EXPECT_TRUE(host.Cancelled());
        EXPECT_EQ(keys, 0);
    }
    EXPECT_FALSE(host.Cancelled());
    EXPECT_FALSE(frame->findChild<QProgressBar*>()->isVisible());
}

TEST_F(BusyFixture, EscapeStopsEveryAdjustmentAndLongCommandLeavingTheLayerAndHistory) {
    COrinDoc* doc = AdoptPlain(320, 200, 0x808080);
    ASSERT_NE(doc, nullptr);
    LayerRecord& layer = *doc->CurrentLayer();
    for (size_t i = 0; i < layer.pixels.size(); ++i) layer.pixels[i] = uint8_t(i * 7 % 251);
    RecordStep(*doc, "붓 그리기", kStepPixels);
    const std::vector<uint8_t> before = doc->CurrentLayer()->pixels;
    const int position = doc->history.position;
    // The dialogs preview on every change of a value (here stopped at once) and are left
    // with OK: nothing is recorded and the layer stays.
    const std::pair<int, std::function<void(QDialog*)>> dialogs[] = {
        {kCmdBrightness,
         [](QDialog* d) { static_cast<CDlg_BrightnessContrast*>(d)->Brightness()->Edit()->setText(QStringLiteral("60")); }},
        {kCmdColourAdjust, [](QDialog* d) { static_cast<CDlg_ColourAdjust*>(d)->Value(0)->Edit()->setText(QStringLiteral("40")); }},
        {kCmdHistogram,
         [](QDialog* d) {
             auto* h = static_cast<CDlg_Histogram*>(d);
             h->Strip()->SetMarkers({30, 200});
             Q_EMIT h->Strip()->Released();
         }},
    };
    for (const auto& [id, change] : dialogs) {
        SCOPED_TRACE(id);
        bool shown = false;
        QTimer::singleShot(0, [&, change = change] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown = true;
            frame->Host().cancelAtPoll = 1;
            change(dialog);
            EXPECT_EQ(doc->CurrentLayer()->pixels, before);
            frame->Host().cancelAtPoll = 0;
            dialog->accept();
        });
        frame->RunCommand(id);
        ASSERT_TRUE(shown);
        EXPECT_EQ(doc->CurrentLayer()->pixels, before);
        EXPECT_EQ(doc->history.position, position);
        EXPECT_FALSE(frame->findChild<QProgressBar*>()->isVisible());
    }
    // Commands without a dialog, on the layer or on every layer.
    for (int id : {kCmdAutoColour, kCmdInvert, kCmdGreyscale, kCmd8BitColour, kCmdFlipVertical, kCmdRotate90Cw}) {
        SCOPED_TRACE(id);
        frame->Host().cancelAtPoll = 1;
        frame->RunCommand(id);
        frame->Host().cancelAtPoll = 0;
        EXPECT_EQ(doc->CurrentLayer()->pixels, before);
        EXPECT_EQ(doc->canvas.bpp, 24);
        EXPECT_EQ(doc->history.position, position);
    }
    // Unstopped, the preview is what OK records.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlg_BrightnessContrast*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Brightness()->Edit()->setText(QStringLiteral("60"));
        dialog->accept();
    });
    frame->RunCommand(kCmdBrightness);
    EXPECT_NE(doc->CurrentLayer()->pixels, before);
    EXPECT_EQ(doc->history.position, position + 1);
}

}  // namespace
