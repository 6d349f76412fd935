#include "ScreenCapture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstring>

bool CaptureScreenArea(QWidget*, PlainBitmap& out) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return false;
    out.width = image.width();
    out.height = image.height();
    out.bitsPerPixel = 32;
    out.topDown = true;
    out.stride = out.width * 4;
    out.pixels.resize(size_t(out.stride) * size_t(out.height));
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.pixels.data() + size_t(y) * size_t(out.stride), image.constScanLine(y), size_t(out.stride));
    return true;
}
