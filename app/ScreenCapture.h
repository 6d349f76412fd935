// Screen capture: over a still snapshot of the screen the user either clicks a window,
// which is taken whole (clipped to the screen), or drags a rectangle; the result is a
// 24-bit top-down bitmap (the caller makes it a document titled "Captured Image %d"
// with the workspace's picture counter).
//
// What the window systems allow: under X11 a client may read the root window, so
// QScreen::grabWindow(0) returns the screen's contents, and the top-level windows'
// places come from the X server (listed before the snapshot is shown). Under Wayland a
// client sees only its own surfaces; the compositor hands out screen contents only
// through the desktop portal's screenshot interface (D-Bus), whose own dialog lets the
// user choose a window or an area with consent. Without a portal the capture fails
// cleanly.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <vector>

#include "ImageBuffer.h"

class QRubberBand;
class QWidget;

// Takes the snapshot, lets the user pick a window or an area and fills `out`; false
// when the screen cannot be read, the user cancels (Escape) or the area is empty.
bool CaptureScreenArea(QWidget* parent, PlainBitmap& out);

// The first of `topmostFirst` (window rectangles, topmost first) that holds `point`;
// empty when none does.
QRect WindowAt(const std::vector<QRect>& topmostFirst, const QPoint& point);

// The X server's viewable top-level windows (frames included) in root-window pixels,
// topmost first; empty when the editor does not run on X11.
std::vector<QRect> X11TopLevelWindows();

// The desktop portal's screenshot (interactive: the portal lets the user choose);
// a null image when there is no portal, the user cancels or `timeoutMs` passes before
// the portal answers at all.
QImage PortalScreenshot(int timeoutMs = 3000);

// The part of `snapshot` inside `area` (snapshot pixels, y down), clipped to the
// snapshot, as 24-bit blue-green-red rows, top-down, each padded to 4 bytes; false
// when the clipped area is empty.
bool CropToPlainBitmap(const QImage& snapshot, const QRect& area, PlainBitmap& out);

// The full-screen window that shows the snapshot and a rubber band while the user drags
// (or, over a window, around that window). Accepted when a drag ends with a non-empty
// area or a click falls on a window; Escape or a click on no window rejects.
class ScreenAreaPicker : public QDialog {
public:
    // `windows`: top-level window rectangles in snapshot pixels, topmost first.
    ScreenAreaPicker(const QImage& snapshot, QWidget* parent = nullptr, std::vector<QRect> windows = {});
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
    QRect ToWidget(const QRect& snapshotRect) const;
    // The window under a widget point, in snapshot pixels clipped to the snapshot.
    QRect WindowUnder(const QPoint& widgetPoint) const;

    QImage m_snapshot;
    QRubberBand* m_band = nullptr;
    QPoint m_origin;
    bool m_dragging = false;
    QRect m_area;
    std::vector<QRect> m_windows;
};
