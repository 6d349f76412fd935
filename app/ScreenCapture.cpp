#include "ScreenCapture.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstring>

bool CropToPlainBitmap(const QImage& snapshot, const QRect& area, PlainBitmap& out) {
    const QRect clipped = area.normalized().intersected(snapshot.rect());
    if (clipped.isEmpty()) return false;
    const QImage part = snapshot.copy(clipped).convertToFormat(QImage::Format_BGR888);
    if (part.isNull()) return false;
    PlainBitmap bitmap;
    bitmap.width = part.width();
    bitmap.height = part.height();
    bitmap.bitsPerPixel = 24;
    bitmap.topDown = true;
    bitmap.stride = RowStride(bitmap.width, 24);
    bitmap.pixels.assign(size_t(bitmap.stride) * size_t(bitmap.height), 0);
    const size_t rowBytes = size_t(bitmap.width) * 3;
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(bitmap.pixels.data() + size_t(y) * size_t(bitmap.stride), part.constScanLine(y), rowBytes);
    out = std::move(bitmap);
    return true;
}

ScreenAreaPicker::ScreenAreaPicker(const QImage& snapshot, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_snapshot(snapshot) {
    setCursor(Qt::CrossCursor);
    setModal(true);
    m_band = new QRubberBand(QRubberBand::Rectangle, this);
}

void ScreenAreaPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), m_snapshot);
}

// The rectangle between the press and `to`, corners exclusive on the far side, so a
// click without movement is empty.
QRect ScreenAreaPicker::DraggedRect(const QPoint& to) const {
    const int left = std::min(m_origin.x(), to.x()), right = std::max(m_origin.x(), to.x());
    const int top = std::min(m_origin.y(), to.y()), bottom = std::max(m_origin.y(), to.y());
    return QRect(left, top, right - left, bottom - top);
}

QRect ScreenAreaPicker::ToSnapshot(const QRect& r) const {
    if (width() <= 0 || height() <= 0) return {};
    const double sx = double(m_snapshot.width()) / width();
    const double sy = double(m_snapshot.height()) / height();
    const int left = int(r.x() * sx), top = int(r.y() * sy);
    const int right = int((r.x() + r.width()) * sx), bottom = int((r.y() + r.height()) * sy);
    return QRect(left, top, right - left, bottom - top);
}

void ScreenAreaPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_origin = event->position().toPoint();
    m_dragging = true;
    m_band->setGeometry(QRect(m_origin, QSize()));
    m_band->show();
}

void ScreenAreaPicker::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) m_band->setGeometry(DraggedRect(event->position().toPoint()));
}

void ScreenAreaPicker::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) return;
    m_dragging = false;
    m_band->hide();
    m_area = ToSnapshot(DraggedRect(event->position().toPoint())).intersected(m_snapshot.rect());
    if (m_area.isEmpty())
        reject();
    else
        accept();
}

bool CaptureScreenArea(QWidget* parent, PlainBitmap& out) {
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return false;
    // Window 0 is the whole screen; a null or empty pixmap means the window system
    // refused (Wayland).
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || shot.width() <= 0 || shot.height() <= 0) return false;
    const QImage snapshot = shot.toImage();

    ScreenAreaPicker picker(snapshot, parent);
    picker.setGeometry(screen->geometry());
    picker.showFullScreen();
    if (picker.exec() != QDialog::Accepted) return false;
    return CropToPlainBitmap(snapshot, picker.SelectedArea(), out);
}
