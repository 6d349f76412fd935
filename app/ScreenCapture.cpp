#include "ScreenCapture.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

#include "PortalResponse.h"

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

QRect WindowAt(const std::vector<QRect>& topmostFirst, const QPoint& point) {
    for (const QRect& r : topmostFirst)
        if (r.contains(point)) return r;
    return {};
}

ScreenAreaPicker::ScreenAreaPicker(const QImage& snapshot, QWidget* parent, std::vector<QRect> windows)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_snapshot(snapshot),
      m_windows(std::move(windows)) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);  // the window under the pointer is outlined before a click
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

QRect ScreenAreaPicker::ToWidget(const QRect& r) const {
    if (m_snapshot.width() <= 0 || m_snapshot.height() <= 0) return {};
    const double sx = double(width()) / m_snapshot.width();
    const double sy = double(height()) / m_snapshot.height();
    const int left = int(r.x() * sx), top = int(r.y() * sy);
    const int right = int((r.x() + r.width()) * sx), bottom = int((r.y() + r.height()) * sy);
    return QRect(left, top, right - left, bottom - top);
}

QRect ScreenAreaPicker::WindowUnder(const QPoint& widgetPoint) const {
    const QPoint at = ToSnapshot(QRect(widgetPoint, QSize(1, 1))).topLeft();
    return WindowAt(m_windows, at).intersected(m_snapshot.rect());
}

void ScreenAreaPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_origin = event->position().toPoint();
    m_dragging = true;
    m_band->setGeometry(QRect(m_origin, QSize()));
    m_band->show();
}

void ScreenAreaPicker::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_dragging) {
        m_band->setGeometry(DraggedRect(at));
        return;
    }
    const QRect window = WindowUnder(at);
    m_band->setVisible(!window.isEmpty());
    if (!window.isEmpty()) m_band->setGeometry(ToWidget(window));
}

void ScreenAreaPicker::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) return;
    m_dragging = false;
    m_band->hide();
    const QRect dragged = DraggedRect(event->position().toPoint());
    // A click without a drag takes the window under it, clipped to the screen.
    m_area = dragged.isEmpty() ? WindowUnder(event->position().toPoint())
                               : ToSnapshot(dragged).intersected(m_snapshot.rect());
    if (m_area.isEmpty())
        reject();
    else
        accept();
}

bool CaptureScreenArea(QWidget* parent, PlainBitmap& out) {
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return false;
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        // Only the portal may hand out the screen; its own dialog chose window or area.
        const QImage shot = PortalScreenshot();
        return !shot.isNull() && CropToPlainBitmap(shot, shot.rect(), out);
    }
    // Window 0 is the whole screen; a null or empty pixmap means the window system
    // refused.
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || shot.width() <= 0 || shot.height() <= 0) return false;
    const QImage snapshot = shot.toImage();
    // The windows in snapshot pixels: root pixels less this screen's corner.
    std::vector<QRect> windows = X11TopLevelWindows();
    const QPoint corner = screen->geometry().topLeft() * screen->devicePixelRatio();
    for (QRect& w : windows) w.translate(-corner);

    ScreenAreaPicker picker(snapshot, parent, std::move(windows));
    picker.setGeometry(screen->geometry());
    picker.showFullScreen();
    if (picker.exec() != QDialog::Accepted) return false;
    return CropToPlainBitmap(snapshot, picker.SelectedArea(), out);
}

std::vector<QRect> X11TopLevelWindows() {
    std::vector<QRect> windows;
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return windows;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return windows;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr);
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    // Children come bottom first: ask for all at once, then read them top first.
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (int i = 0; i < count; ++i) {
        attributes.push_back(xcb_get_window_attributes(c, children[i]));
        geometries.push_back(xcb_get_geometry(c, children[i]));
    }
    std::vector<QRect> bottomFirst;
    for (int i = 0; i < count; ++i) {
        xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, attributes[size_t(i)], nullptr);
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, geometries[size_t(i)], nullptr);
        if (a && g && a->map_state == XCB_MAP_STATE_VIEWABLE && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            const int border = g->border_width;
            bottomFirst.emplace_back(g->x, g->y, g->width + 2 * border, g->height + 2 * border);
        }
        std::free(a);
        std::free(g);
    }
    std::free(tree);
    windows.assign(bottomFirst.rbegin(), bottomFirst.rend());
    return windows;
}

QImage PortalScreenshot(int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {};
    const QString token = QStringLiteral("tessaro%1").arg(QCoreApplication::applicationPid());
    // The request's object path is known before the call, so its answer is not missed.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    QEventLoop loop;
    QImage image;
    PortalResponse receiver([&](uint response, const QVariantMap& results) {
        if (response == 0) image.load(QUrl(results.value(QStringLiteral("uri")).toString()).toLocalFile());
        loop.quit();
    });
    bus.connect(QStringLiteral("org.freedesktop.portal.Desktop"), request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), &receiver, SLOT(Response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("interactive"), true);
    call << QString() << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    // The user answers the portal's dialog at leisure (the editor stays painted
    // meanwhile); a portal that never answers gives up after five minutes.
    QTimer::singleShot(5 * 60 * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return image;
}
