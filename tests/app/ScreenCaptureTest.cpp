#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "ScreenCapture.h"

namespace {

// Pixel (x, y) of the test snapshot: red 10x, green 10y, blue 7.
QImage Snapshot(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(10 * x, 10 * y, 7));
    return image;
}

void Drag(QWidget* w, QPoint from, QPoint to) {
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

}  // namespace

TEST(ScreenCapture, CropsClipsAndStoresBlueGreenRedTopDown) {
    PlainBitmap out;
    // Starts two pixels left of the snapshot and runs past its bottom: clipped to x 0..2,
    // y 1..3.
    ASSERT_TRUE(CropToPlainBitmap(Snapshot(5, 4), QRect(-2, 1, 5, 10), out));
    EXPECT_EQ(out.width, 3);
    EXPECT_EQ(out.height, 3);
    EXPECT_EQ(out.bitsPerPixel, 24);
    EXPECT_TRUE(out.topDown);
    EXPECT_EQ(out.stride, 12);  // 9 bytes padded to 4
    ASSERT_EQ(out.pixels.size(), 36u);
    const std::vector<uint8_t> firstRow = {7, 10, 0, 7, 10, 10, 7, 10, 20, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(out.pixels.begin(), out.pixels.begin() + 12), firstRow);
    const std::vector<uint8_t> lastRow = {7, 30, 0, 7, 30, 10, 7, 30, 20, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(out.pixels.begin() + 24, out.pixels.end()), lastRow);

    // The result turns into a picture with rows bottom-up.
    CImageBuffer image;
    ASSERT_TRUE(image.FromBitmapHandle(&out));
    EXPECT_EQ(image.Row(0)[1], 30) << "the bottom row is the snapshot's y = 3";
}

TEST(ScreenCapture, EmptyAreasGiveNothing) {
    PlainBitmap out;
    out.width = 99;
    EXPECT_FALSE(CropToPlainBitmap(Snapshot(5, 4), QRect(5, 0, 3, 3), out));
    EXPECT_FALSE(CropToPlainBitmap(Snapshot(5, 4), QRect(-4, -4, 4, 4), out));
    EXPECT_FALSE(CropToPlainBitmap(Snapshot(5, 4), QRect(2, 2, 0, 2), out));
    EXPECT_FALSE(CropToPlainBitmap(QImage(), QRect(0, 0, 3, 3), out));
    EXPECT_EQ(out.width, 99) << "untouched";
}

TEST(ScreenCapture, PickerTurnsADragIntoAnArea) {
    const QImage snapshot = Snapshot(40, 30);
    {
        ScreenAreaPicker picker(snapshot);
        picker.resize(40, 30);
        picker.show();
        Drag(&picker, {5, 6}, {15, 20});
        EXPECT_EQ(picker.result(), QDialog::Accepted);
        EXPECT_EQ(picker.SelectedArea(), QRect(5, 6, 10, 14));
    }
    {
        ScreenAreaPicker picker(snapshot);
        picker.resize(40, 30);
        picker.show();
        Drag(&picker, {15, 20}, {5, 6});
        EXPECT_EQ(picker.SelectedArea(), QRect(5, 6, 10, 14)) << "dragged up and left";
    }
    {
        // Shown at half size (a high-density screen): the area is in snapshot pixels.
        ScreenAreaPicker picker(snapshot);
        picker.resize(20, 15);
        picker.show();
        Drag(&picker, {2, 3}, {10, 12});
        EXPECT_EQ(picker.SelectedArea(), QRect(4, 6, 16, 18));
    }
    {
        ScreenAreaPicker picker(snapshot);
        picker.resize(40, 30);
        picker.show();
        Drag(&picker, {7, 7}, {7, 7});
        EXPECT_EQ(picker.result(), QDialog::Rejected) << "a click is no area";
        EXPECT_TRUE(picker.SelectedArea().isEmpty());
    }
}

TEST(ScreenCapture, AClickTakesTheTopmostWindowUnderItClippedToTheScreen) {
    const std::vector<QRect> windows = {{10, 10, 20, 15}, {-5, 20, 20, 20}, {0, 0, 40, 30}};
    EXPECT_EQ(WindowAt(windows, {12, 12}), QRect(10, 10, 20, 15));
    EXPECT_EQ(WindowAt(windows, {50, 50}), QRect());
    const QImage snapshot = Snapshot(40, 30);
    const struct {
        QSize shown;  // the picker's size: half size on a high-density screen
        QPoint click;
        QRect area;
    } clicks[] = {
        {{40, 30}, {12, 12}, {10, 10, 20, 15}},  // the topmost of two windows there
        {{40, 30}, {2, 2}, {0, 0, 40, 30}},      // the window below
        {{40, 30}, {1, 25}, {0, 20, 15, 10}},    // hangs over the left and bottom edges
        {{20, 15}, {6, 6}, {10, 10, 20, 15}},
    };
    for (const auto& c : clicks) {
        ScreenAreaPicker picker(snapshot, nullptr, windows);
        picker.resize(c.shown);
        picker.show();
        Drag(&picker, c.click, c.click);
        EXPECT_EQ(picker.result(), QDialog::Accepted) << c.click.x();
        EXPECT_EQ(picker.SelectedArea(), c.area) << c.click.x() << "," << c.click.y();
    }
    // Off every window a click is still nothing; a drag over a window is still an area.
    ScreenAreaPicker picker(snapshot, nullptr, {{10, 10, 5, 5}});
    picker.resize(40, 30);
    picker.show();
    Drag(&picker, {30, 25}, {30, 25});
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    ScreenAreaPicker dragged(snapshot, nullptr, {{10, 10, 5, 5}});
    dragged.resize(40, 30);
    dragged.show();
    Drag(&dragged, {11, 11}, {21, 16});
    EXPECT_EQ(dragged.SelectedArea(), QRect(11, 11, 10, 5));
}

TEST(ScreenCapture, WithoutADesktopPortalTheWaylandCaptureIsACleanNo) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop")))
        GTEST_SKIP() << "a real portal would ask the user";
    EXPECT_TRUE(PortalScreenshot(2000).isNull());
    if (QGuiApplication::platformName() != QLatin1String("xcb")) EXPECT_TRUE(X11TopLevelWindows().empty());
}

TEST(ScreenCapture, CapturesTheDraggedScreenAreaOrFailsCleanly) {
    // Drives the modal picker once it is up: a drag from (1, 1) to (4, 3).
    bool pickerSeen = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* picker = dynamic_cast<ScreenAreaPicker*>(QApplication::activeModalWidget());
        if (!picker) return;
        pickerSeen = true;
        driver.stop();
        picker->resize(picker->screen()->geometry().size());
        Drag(picker, {1, 1}, {4, 3});
    });
    driver.start(20);
    PlainBitmap out;
    const bool captured = CaptureScreenArea(nullptr, out);
    driver.stop();
    if (!pickerSeen) {
        // The platform gives no screen contents (Wayland without a portal): a clean no.
        EXPECT_FALSE(captured);
        GTEST_SKIP() << "this platform gives no screen snapshot";
    }
    ASSERT_TRUE(captured);
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    EXPECT_EQ(out.width, int(3 * ratio));
    EXPECT_EQ(out.height, int(2 * ratio));
    EXPECT_EQ(out.pixels.size(), size_t(out.stride) * out.height);
}
