// Long operations in the editor: the progress bar follows the core, Esc stops the
// operation and the layer stays as it was, other input is dropped meanwhile.
#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QThread>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CommandMap.h"
#include "History.h"
#include "MainFrame.h"
#include "QtHost.h"

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

}  // namespace
