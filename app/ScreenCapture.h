// Screen capture: the user drags a rectangle over a still snapshot of the whole screen
// and gets that area as a 24-bit top-down bitmap (the caller makes it a document titled
// "Captured Image %d" with the workspace's picture counter).
//
// What the window systems allow: under X11 a client may read the root window, so
// QScreen::grabWindow(0) returns the screen's contents. Under Wayland a client sees only
// its own surfaces; the compositor hands out screen contents only through the desktop
// portal's screenshot interface (with the user's consent), which this program does not
// use. There grabWindow(0) returns a null pixmap (or, under XWayland, black or only the
// X clients' windows) and the capture fails cleanly.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>

#include "ImageBuffer.h"

class QRubberBand;
class QWidget;

// Takes the snapshot, lets the user pick the area and fills `out`; false when the
// screen cannot be read, the user cancels (Escape) or the area is empty.
bool CaptureScreenArea(QWidget* parent, PlainBitmap& out);

// The part of `snapshot` inside `area` (snapshot pixels, y down), clipped to the
// snapshot, as 24-bit blue-green-red rows, top-down, each padded to 4 bytes; false
// when the clipped area is empty.
bool CropToPlainBitmap(const QImage& snapshot, const QRect& area, PlainBitmap& out);

// The full-screen window that shows the snapshot and a rubber band while the user drags.
// Accepted when a drag ends with a non-empty area; Escape or a plain click rejects.
class ScreenAreaPicker : public QDialog {
public:
    ScreenAreaPicker(const QImage& snapshot, QWidget* parent = nullptr);
    // The dragged area in snapshot pixels (the window may show the snapshot scaled,
    // e.g. on a high-density screen); empty before a drag.
    QRect SelectedArea() const { return m_area; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect DraggedRect(const QPoint& to) const;
    QRect ToSnapshot(const QRect& widgetRect) const;

    QImage m_snapshot;
    QRubberBand* m_band = nullptr;
    QPoint m_origin;
    bool m_dragging = false;
    QRect m_area;
};
