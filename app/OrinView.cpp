#include "OrinView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "CommandMap.h"
#include "Compositor.h"
#include "Document.h"
#include "EditSteps.h"
#include "FreeTransformTool.h"
#include "History.h"
#include "MeasureOverlay.h"
#include "MeasureState.h"
#include "BrushOutline.h"
#include "QtHost.h"
#include "SelectionCommands.h"
#include "SelectionOutline.h"
#include "SimilarArea.h"
#include "ToolCursors.h"
#include "ToolEvents.h"
#include "ToolRouter.h"
#include "Tools.h"
#include "Utf16.h"
#include "ViewState.h"
#include "Workspace.h"

namespace {

constexpr QRgb kBackground = 0x787878;
constexpr QRgb kHatch = 0xBFBFBF;
constexpr int kFrameRoom = 12;   // kept free between a fitted child window and the main window's edge
constexpr int kFrameExtra = 4;

// The options' choices of the hatch that shows transparency; the first is the default.
Qt::BrushStyle HatchStyle(int style) {
    switch (style) {
    case 1: return Qt::CrossPattern;
    case 2: return Qt::FDiagPattern;
    case 3: return Qt::BDiagPattern;
    case 4: return Qt::HorPattern;
    case 5: return Qt::VerPattern;
    default: return Qt::DiagCrossPattern;
    }
}

int Zoomed(int size, float zoom) { return int(float(size) * zoom); }

}  // namespace

unsigned MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned flags = 0;
    if (buttons & Qt::LeftButton) flags |= kMouseLeft;
    if (buttons & Qt::RightButton) flags |= kMouseRight;
    if (modifiers & Qt::ShiftModifier) flags |= kMouseShift;
    if (modifiers & Qt::ControlModifier) flags |= kMouseControl;
    return flags;
}

int VirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Space: return 32;
    case Qt::Key_Delete: return 46;
    default:
        if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) return qtKey;
        return 0;
    }
}

COrinView::COrinView(COrinDoc& doc, Workspace& workspace, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_ws(workspace) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_KeyCompression, false);
    m_outlineTimer.setInterval(kOutlineMilliseconds);
    connect(&m_outlineTimer, &QTimer::timeout, this, &COrinView::OnOutlineTick);
    m_rangeWidth = Zoomed(doc.canvas.width, ViewOf(doc).zoom);
    m_rangeHeight = Zoomed(doc.canvas.height, ViewOf(doc).zoom);
    horizontalScrollBar()->setValue(ViewOf(doc).scrollH);
    verticalScrollBar()->setValue(ViewOf(doc).scrollV);
    UpdateScrollBars();
    SetToolCursor(false);
}

COrinView::~COrinView() { m_outlineTimer.stop(); }

qreal COrinView::Scale() const { return viewport()->devicePixelRatioF(); }

QPoint COrinView::DevicePoint(const QPointF& logical) const {
    const qreal s = Scale();
    return {int(std::floor(logical.x() * s)), int(std::floor(logical.y() * s))};
}

QSize COrinView::DeviceSize(const QSize& logical) const {
    const qreal s = Scale();
    return {int(std::lround(logical.width() * s)), int(std::lround(logical.height() * s))};
}

QRect COrinView::LogicalRect(const QRect& device) const {
    const qreal s = Scale();
    return QRectF(device.x() / s, device.y() / s, device.width() / s, device.height() / s).toAlignedRect();
}

WindowRect COrinView::ClientRect() const {
    const QSize size = DeviceSize(viewport()->size());
    return {0, 0, size.width() - 1, size.height() - 1};
}

QString COrinView::TitleText() const {
    // After a redo the title lists the redo positions until the next layer change or
    // step; otherwise it names the current layer.
    if (m_doc.redoTitle) return QString::fromStdString(m_doc.SetTitle(RedoTitleText(m_doc), ViewOf(m_doc).zoom));
    const LayerRecord* layer = m_doc.CurrentLayer();
    return QString::fromStdString(m_doc.SetTitle(layer ? Utf16ToUtf8(layer->name) : std::string(), ViewOf(m_doc).zoom));
}

void COrinView::ShowTitle() {
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame) return;
    // The window's own title bar marks unsaved changes; the title text stays as it is.
    frame->setWindowTitle(TitleText() + QStringLiteral("[*]"));
    frame->setWindowModified(m_doc.changed);
}

void COrinView::StoreScroll() {
    ViewOf(m_doc).scrollH = horizontalScrollBar()->value();
    ViewOf(m_doc).scrollV = verticalScrollBar()->value();
}

QPoint COrinView::ToView(const QPoint& window, bool* clamped) {
    StoreScroll();
    int x = window.x(), y = window.y();
    const bool c = WindowToView(m_doc, ClientRect(), x, y);
    if (clamped) *clamped = c;
    return {x, y};
}

void COrinView::UpdateScrollBars() {
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (ViewOf(m_doc).stretch) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        h->setRange(0, 0);
        v->setRange(0, 0);
        return;
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_rangeWidth = Zoomed(m_doc.canvas.width, ViewOf(m_doc).zoom);
    m_rangeHeight = Zoomed(m_doc.canvas.height, ViewOf(m_doc).zoom);
    // Decide the bars from the room without them, so that a picture that fits shows none.
    // In device pixels, as the view's coordinates are.
    const QSize room = DeviceSize(maximumViewportSize());
    const int barWidth = int(std::lround(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) * Scale()));
    bool needH = m_rangeWidth > room.width();
    const bool needV = m_rangeHeight > room.height() - (needH ? barWidth : 0);
    needH = m_rangeWidth > room.width() - (needV ? barWidth : 0);
    const QSize client(room.width() - (needV ? barWidth : 0), room.height() - (needH ? barWidth : 0));
    h->setRange(0, needH ? std::max(0, m_rangeWidth - client.width()) : 0);
    v->setRange(0, needV ? std::max(0, m_rangeHeight - client.height()) : 0);
    h->setPageStep(std::max(1, client.width()));
    v->setPageStep(std::max(1, client.height()));
    h->setSingleStep(std::max(1, client.width() / 16));
    v->setSingleStep(std::max(1, client.height() / 16));
}

void COrinView::OnUpdate(int hint) {
    if (hint == kHintZoom) {
        const ScrollState old{m_rangeWidth, m_rangeHeight, horizontalScrollBar()->value(), verticalScrollBar()->value()};
        const QSize client = DeviceSize(viewport()->size());
        const ScrollState next = RescrollAfterZoom(m_doc, old, client.width(), client.height());
        FitFrame();
        UpdateScrollBars();
        horizontalScrollBar()->setValue(next.posX);
        verticalScrollBar()->setValue(next.posY);
    } else if (hint == kHintCanvas) {
        FitFrame();
        UpdateScrollBars();
    } else {
        UpdateScrollBars();
    }
    m_doc.Touch();
    StoreScroll();
    PictureRect(m_doc, ClientRect());  // stores the client rectangle
    ShowTitle();
    viewport()->update();
}

void COrinView::FitFrame() {
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || frame->isMinimized() || frame->isMaximized()) return;
    if (ViewOf(m_doc).keepFrameSize) {
        ViewOf(m_doc).keepFrameSize = false;
        return;
    }
    QMdiArea* area = frame->mdiArea();
    if (!area || !area->isVisible()) return;
    const QRect room = area->viewport()->rect();
    // The frame's borders and title bar, without scroll bars.
    int viewWidth = viewport()->width(), viewHeight = viewport()->height();
    if (verticalScrollBar()->isVisible()) viewWidth += verticalScrollBar()->width();
    if (horizontalScrollBar()->isVisible()) viewHeight += horizontalScrollBar()->height();
    const int borderWidth = frame->width() - viewWidth;
    const int borderHeight = frame->height() - viewHeight;
    // The whole child window stays inside the MDI area, 12 pixels short of its edge.
    const int zoomedWidth = int(std::ceil(Zoomed(m_doc.canvas.width, ViewOf(m_doc).zoom) / Scale()));
    const int zoomedHeight = int(std::ceil(Zoomed(m_doc.canvas.height, ViewOf(m_doc).zoom) / Scale()));
    const int roomWidth = room.right() - frame->x() - kFrameRoom - borderWidth - kFrameExtra;
    const int roomHeight = room.bottom() - frame->y() - kFrameRoom - borderHeight - kFrameExtra;
    const int clientWidth = std::max(1, std::min(zoomedWidth, roomWidth));
    const int clientHeight = std::max(1, std::min(zoomedHeight, roomHeight));
    frame->resize(clientWidth + borderWidth + kFrameExtra, clientHeight + borderHeight + kFrameExtra);
}

void COrinView::FitToWindow() {
    if (m_doc.IsEmpty() || ViewOf(m_doc).stretch) return;
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    QMdiArea* area = frame ? frame->mdiArea() : nullptr;
    if (!area) return;
    QSize room = viewport()->size();
    if (!frame->isMaximized()) {
        // The child window moves to the corner and may then take the whole area.
        frame->move(0, 0);
        const int borderWidth = frame->width() - viewport()->width();
        const int borderHeight = frame->height() - viewport()->height();
        room = area->viewport()->size() - QSize(borderWidth + kFrameRoom + kFrameExtra, borderHeight + kFrameRoom + kFrameExtra);
    }
    room = DeviceSize(room);
    ViewOf(m_doc).zoom = FitZoom(m_doc.canvas.width, m_doc.canvas.height, room.width(), room.height());
    ViewOf(m_doc).zoomAnchorX = ViewOf(m_doc).zoomAnchorY = -1;
    m_doc.Touch();
    Q_EMIT zoomed(&m_doc);
}

void COrinView::SyncTimer() {
    if (OutlineRunning(m_doc)) {
        if (!m_outlineTimer.isActive()) m_outlineTimer.start();
    } else {
        m_outlineTimer.stop();
    }
}

void COrinView::OnOutlineTick() {
    if (!OutlineRunning(m_doc)) {
        m_outlineTimer.stop();
        return;
    }
    OutlineTimerTick(m_doc);
    viewport()->update();
}

bool COrinView::VisibleRegion(QRect& visible, ComposeParams& params) {
    if (m_doc.IsEmpty() || m_doc.canvas.width <= 0 || m_doc.canvas.height <= 0) return false;
    const WindowRect client = ClientRect();
    WindowRect r = PictureRect(m_doc, client);
    float zoomX = ViewOf(m_doc).zoom, zoomY = ViewOf(m_doc).zoom;
    int scrollX = ViewOf(m_doc).scrollH, scrollY = ViewOf(m_doc).scrollV;
    if (ViewOf(m_doc).stretch) {
        r = client;
        zoomX = float(client.right + 1) / float(m_doc.canvas.width);
        zoomY = float(client.bottom + 1) / float(m_doc.canvas.height);
        scrollX = scrollY = 0;
    }
    const QRect picture(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    visible = picture & QRect(QPoint(0, 0), DeviceSize(viewport()->size()));
    params = ComposeParams{};
    params.zoomX = zoomX;
    params.zoomY = zoomY;
    params.viewX = scrollX + visible.left() - r.left;
    params.viewY = scrollY + visible.top() - r.top;
    params.width = visible.width();
    params.height = visible.height();
    return !visible.isEmpty();
}

bool COrinView::MeasureOverlayShown() const {
    // Every opened file has its measurement state; only objects or points drawn count.
    if (!m_doc.measure) return false;
    const MeasureState& m = *m_doc.measure;
    return !m.sheet.Objects().empty() || !m.tool.Pending().empty() || m.tool.Moving();
}

void COrinView::RepaintChanged(bool pixelsOnly) {
    QRect visible;
    ComposeParams params;
    // The measurement objects and the free transform's frame are drawn over the picture
    // and follow the mouse.
    std::array<ViewCorner, 4> corners;
    if (MeasureOverlayShown() || FreeTransformOutline(m_doc, corners) || !VisibleRegion(visible, params)) {
        viewport()->update();
        return;
    }
    const RegionRect pending = m_composite.Pending(m_doc, params);
    const bool whole = pending.x0 == 0 && pending.y0 == 0 && pending.x1 == params.width && pending.y1 == params.height;
    if (pending.Empty() && pixelsOnly) return;
    if (pending.Empty() || whole) viewport()->update();
    else viewport()->update(LogicalRect(QRect(visible.left() + pending.x0, visible.top() + pending.y0,
                                              pending.x1 - pending.x0, pending.y1 - pending.y0)));
}

namespace {

// With TESSARO_PAINT_LOG set, every paint of a view writes a line to the standard error:
// its time since the first paint, the part painted and the milliseconds it took.
struct PaintLog {
    bool on = qEnvironmentVariableIsSet("TESSARO_PAINT_LOG");
    QElapsedTimer clock;
    void Write(const QRect& rect, qint64 startNs) {
        if (!clock.isValid()) clock.start();
        std::fprintf(stderr, "paint %.1f ms %dx%d took %.2f ms\n", double(clock.nsecsElapsed()) / 1e6, rect.width(),
                     rect.height(), double(clock.nsecsElapsed() - startNs) / 1e6);
    }
};

PaintLog& ThePaintLog() {
    static PaintLog log;
    return log;
}

}  // namespace

void COrinView::paintEvent(QPaintEvent* event) {
    PaintLog& log = ThePaintLog();
    if (log.on && !log.clock.isValid()) log.clock.start();
    const qint64 started = log.on ? log.clock.nsecsElapsed() : 0;
    PaintPicture(event);
    if (log.on) log.Write(event->rect(), started);
}

void COrinView::PaintPicture(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(kBackground));
    StoreScroll();
    QRect visible;
    ComposeParams params;
    if (!VisibleRegion(visible, params)) return;
    // The view's coordinates are device pixels: at zoom 1 one picture pixel covers one
    // pixel of the screen whatever its scale. The picture, the hatch and the grid are
    // drawn in them; the overlays with text and handles in the widget's own units.
    const qreal scale = Scale();
    const QRect dirty = QRectF(event->rect().x() * scale, event->rect().y() * scale, event->rect().width() * scale,
                               event->rect().height() * scale).toAlignedRect();
    const QRect area = visible & dirty;
    if (area.isEmpty()) return;
    painter.save();
    painter.scale(1.0 / scale, 1.0 / scale);

    const WindowRect client = ClientRect();
    WindowRect r = PictureRect(m_doc, client);
    float zoomX = params.zoomX, zoomY = params.zoomY;
    int scrollX = ViewOf(m_doc).scrollH, scrollY = ViewOf(m_doc).scrollV;
    if (ViewOf(m_doc).stretch) {
        r = client;
        scrollX = scrollY = 0;
    }
    // Transparent areas show the hatch: lines in 0xBFBFBF on white, aligned to 8 pixels
    // of the picture's corner (they move with the picture when it scrolls).
    painter.fillRect(area, Qt::white);
    painter.setBrushOrigin(r.left - scrollX, r.top - scrollY);
    painter.fillRect(area, QBrush(QColor(kHatch), HatchStyle(m_hatch)));

    // Everything in view is composed (again only where the document changed since), the
    // part asked for is drawn. The image is wrapped, not copied: blue, green, red, alpha
    // premultiplied.
    const std::vector<uint32_t>* display = &m_composite.Compose(m_doc, params);
    if (SelectionOutlineVisible(m_doc)) {
        // The outline goes onto a copy: neither the layers nor the kept composite hold it.
        m_screen = *display;
        DrawSelectionOutline(m_doc, params, m_screen.data());
        display = &m_screen;
    }
    const QImage image(reinterpret_cast<const uchar*>(display->data()), visible.width(), visible.height(),
                       visible.width() * 4, QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(area.topLeft(), image, area.translated(-visible.topLeft()));
    if (m_ws.gridGap > 0) DrawGrid(painter, QRect(r.left - scrollX, r.top - scrollY, 0, 0), area, zoomX, zoomY);
    painter.restore();
    const QPointF origin(r.left - scrollX, r.top - scrollY);
    DrawFreeTransform(painter, origin / scale, scale);
    if (m_doc.measure) {
        // The measurement objects over the picture, in the current unit.
        MeasureOverlayView overlay;
        overlay.origin = origin / scale;
        overlay.zoom = zoomX / scale;
        overlay.pictureHeight = m_doc.canvas.height;
        overlay.showLabels = Measurement(m_ws).showLabels;
        painter.setClipRect(LogicalRect(area));
        PaintMeasurements(painter, m_doc.measure->sheet, m_doc.measure->tool, Measurement(m_ws).calibration, overlay);
    }
}

void COrinView::DrawFreeTransform(QPainter& painter, const QPointF& origin, qreal scale) {
    std::array<ViewCorner, 4> corners;
    if (!FreeTransformOutline(m_doc, corners)) return;
    QPolygonF outline;
    for (const ViewCorner& c : corners) outline << origin + QPointF(c.x, c.y) / scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(outline);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (const QPointF& p : outline) painter.drawRect(QRectF(p.x() - 4, p.y() - 4, 8, 8));
    painter.restore();
}

void COrinView::DrawGrid(QPainter& painter, const QRect& origin, const QRect& area, float zoomX, float zoomY) {
    const uint32_t c = m_ws.gridColour;
    painter.setPen(QPen(QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)), 0));
    const int gap = m_ws.gridGap;
    const double stepX = double(gap) * zoomX, stepY = double(gap) * zoomY;
    if (stepX < 2 || stepY < 2) return;  // denser than every other pixel: nothing readable
    const int firstX = std::max(1, int(std::ceil((area.left() - origin.left()) / stepX)));
    for (int k = firstX;; ++k) {
        const int x = origin.left() + int(std::floor(k * stepX));
        if (x > area.right()) break;
        painter.drawLine(x, area.top(), x, area.bottom());
    }
    const int firstY = std::max(1, int(std::ceil((area.top() - origin.top()) / stepY)));
    for (int k = firstY;; ++k) {
        const int y = origin.top() + int(std::floor(k * stepY));
        if (y > area.bottom()) break;
        painter.drawLine(area.left(), y, area.right(), y);
    }
}

void COrinView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    StoreScroll();
    m_doc.Touch();
}

void COrinView::scrollContentsBy(int dx, int dy) {
    // The composite keeps what stays in view; only the strips that came in are composed.
    // The screen keeps its pixels too where nothing drawn over the picture stays put: the
    // picture, its hatch and its grid move together.
    StoreScroll();
    std::array<ViewCorner, 4> corners;
    if (Scale() == 1.0 && !MeasureOverlayShown() && !ViewOf(m_doc).stretch && !FreeTransformOutline(m_doc, corners))
        viewport()->scroll(dx, dy);
    else
        viewport()->update();
}

void COrinView::SetToolCursor(bool dragging) {
    if (Measuring()) {
        viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    const Tool* tool = FindTool(m_ws.currentTool);
    if (dragging && tool && tool->painting) {
        viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    switch (tool ? tool->cursor : ToolCursor::kDefault) {
    case ToolCursor::kMove: viewport()->setCursor(MoveCursor()); return;
    case ToolCursor::kWaterDrop: viewport()->setCursor(WaterDropCursor()); return;
    case ToolCursor::kZoom: viewport()->setCursor(ZoomCursor()); return;
    case ToolCursor::kDot: viewport()->setCursor(DotCursor()); return;
    case ToolCursor::kColourPick: viewport()->setCursor(ColourPickCursor()); return;
    case ToolCursor::kText: viewport()->setCursor(Qt::IBeamCursor); return;
    case ToolCursor::kDefault: break;
    }
    // Where the cross-hair would be, the brush tools show the ring their dab covers at
    // the current zoom (too small a ring keeps the cross-hair).
    const int radius = BrushOutlineRadius(m_ws);
    const qreal onScreen = ViewOf(m_doc).stretch ? 0 : radius * ViewOf(m_doc).zoom / Scale();
    if (m_cursorKind >= 5 || m_cursorKind <= 0) {
        if (onScreen >= 3) {
            const std::pair<qreal, qreal> key{onScreen, Scale()};
            if (key != m_outlineCursorKey) {
                m_outlineCursor = BrushOutlineCursor(onScreen, Scale());
                m_outlineCursorKey = key;
            }
            viewport()->setCursor(m_outlineCursor);
            return;
        }
    }
    switch (m_cursorKind) {
    case 1: viewport()->setCursor(Qt::ArrowCursor); break;
    case 2: viewport()->setCursor(Qt::UpArrowCursor); break;
    case 3: viewport()->setCursor(ProgramCursor()); break;
    case 4: viewport()->setCursor(Qt::IBeamCursor); break;
    default: viewport()->setCursor(Qt::CrossCursor); break;
    }
}

void COrinView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || m_doc.IsEmpty()) return;
    m_leftDown = true;
    if (MeasureMouse(QEvent::MouseButtonPress, DevicePoint(event->position()))) return;
    const QPoint at = ToView(DevicePoint(event->position()));
    m_lastMouse = DevicePoint(event->position());
    SetToolCursor(true);
    if (m_ws.currentTool == kCmdZoomIn) {
        if (ZoomIn(m_doc, at.x(), at.y())) Q_EMIT zoomed(&m_doc);
        return;
    }
    if (m_ws.currentTool == kCmdColourRangePick) {
        // The colour-range window shows the picked colour and the search's pixel count.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::string text;
        if (auto* host = dynamic_cast<QtDocumentHost*>(m_ws.host)) {
            const BusyScope busy(*host);  // a long search stops with Esc
            text = ColourRangePick(m_doc, at.x(), at.y());
        } else {
            text = ColourRangePick(m_doc, at.x(), at.y());
        }
        QApplication::restoreOverrideCursor();
        SyncTimer();
        Q_EMIT colourRangePicked(&m_doc, QString::fromStdString(text));
        Q_EMIT repaintWanted(&m_doc);
        return;
    }
    ToolMouseDown(m_doc, at.x(), at.y(), MouseFlags(event->buttons(), event->modifiers()));
    SyncTimer();
    Q_EMIT repaintWanted(&m_doc);
}

void COrinView::mouseMoveEvent(QMouseEvent* event) {
    SetToolCursor(m_leftDown);
    const QPoint window = DevicePoint(event->position());
    if (window == m_lastMouse || m_doc.IsEmpty()) return;
    if (m_leftDown && MeasureMouse(QEvent::MouseMove, window)) return;
    m_lastMouse = window;
    bool outside = false;
    const QPoint at = ToView(window, &outside);
    if (outside || ViewOf(m_doc).stretch) Q_EMIT pointerMoved(&m_doc, -1, -1);
    else Q_EMIT pointerMoved(&m_doc, int(at.x() / ViewOf(m_doc).zoom), int(at.y() / ViewOf(m_doc).zoom));
    const unsigned flags = MouseFlags(event->buttons(), event->modifiers());
    ToolMouseMove(m_doc, at.x(), at.y(), flags);
    if (flags & kMouseLeft) Q_EMIT repaintWanted(&m_doc);
}

void COrinView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_leftDown) return;
    m_leftDown = false;
    SetToolCursor(false);
    if (MeasureMouse(QEvent::MouseButtonRelease, DevicePoint(event->position()))) return;
    if (m_doc.IsEmpty() || m_ws.currentTool == kCmdZoomIn) return;
    const QPoint at = ToView(DevicePoint(event->position()));
    // A whole-layer fill (the gradient) runs under the wait cursor; a refusal is shown after it.
    const Tool* tool = FindTool(m_ws.currentTool);
    const bool wait = tool && tool->waitOnRelease;
    if (wait) QApplication::setOverrideCursor(Qt::WaitCursor);
    // A stroke's release records its step and changes nothing on screen beyond the dabs
    // already reported: the views keep what they show unless something else was touched.
    const uint64_t floor = m_doc.damageFloor;
    const Status status = ToolRelease(m_doc, at.x(), at.y());
    if (wait) QApplication::restoreOverrideCursor();
    Report(m_doc, status);
    SyncTimer();
    if (tool && tool->painting && status && m_doc.damageFloor == floor) Q_EMIT strokeEnded(&m_doc);
    else Q_EMIT documentTouched(&m_doc);
}

void COrinView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_doc.IsEmpty() || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) return;
    if (event->button() == Qt::LeftButton && Measuring()) m_leftDown = true;
    if (MeasureMouse(QEvent::MouseButtonDblClick, DevicePoint(event->position()))) return;
    const QPoint at = ToView(DevicePoint(event->position()));
    ToolDoubleClick(m_doc, at.x(), at.y());
    SyncTimer();
    Q_EMIT documentTouched(&m_doc);
}

void COrinView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || m_doc.IsEmpty()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    const QPoint at = ToView(DevicePoint(event->position()));
    if (delta > 0 ? ZoomIn(m_doc, at.x(), at.y()) : ZoomOut(m_doc)) Q_EMIT zoomed(&m_doc);
}

void COrinView::keyPressEvent(QKeyEvent* event) {
    if (MeasureKey(event)) return;
    // Delete clears the selected pixels (measurement objects take it first, above).
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && !m_doc.IsEmpty()) {
        Q_EMIT commandWanted(kCmdClearSelected);
        return;
    }
    const int key = VirtualKey(event->key());
    unsigned flags = event->isAutoRepeat() ? 0x4000u : 0u;
    // Scan code in the low byte: left Shift 0x2A, right Shift 0x36 (X11 key codes 50 and 62).
    if (event->key() == Qt::Key_Shift) flags |= event->nativeScanCode() == 62 ? 0x36u : 0x2Au;
    if (!m_doc.IsEmpty()) ToolKeyDown(m_doc, key, flags);
    const bool arrow = key >= 37 && key <= 40;
    if (arrow && m_ws.currentTool == kCmdMove) {
        event->accept();
        Q_EMIT documentTouched(&m_doc);
        return;
    }
    if (key == 27 || key == 13) {
        SyncTimer();
        Q_EMIT documentTouched(&m_doc);
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void COrinView::keyReleaseEvent(QKeyEvent* event) {
    if (!m_doc.IsEmpty() && !event->isAutoRepeat()) ToolKeyUp(m_doc, VirtualKey(event->key()), 1);
    QAbstractScrollArea::keyReleaseEvent(event);
}

void COrinView::focusInEvent(QFocusEvent* event) {
    // Nothing drawn depends on the focus: the view keeps its composite.
    QAbstractScrollArea::focusInEvent(event);
    if (m_timerRanBeforeFocusLoss && OutlineRunning(m_doc)) m_outlineTimer.start();
    m_timerRanBeforeFocusLoss = false;
    Q_EMIT activated(this);
}

void COrinView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_timerRanBeforeFocusLoss = m_outlineTimer.isActive();
    m_outlineTimer.stop();
}

void COrinView::contextMenuEvent(QContextMenuEvent* event) { Q_EMIT contextMenuWanted(this, event->globalPos()); }

// ---------------------------------------------------------------------------------
// Measuring

bool COrinView::Measuring() const {
    return !m_doc.IsEmpty() && m_doc.measure && m_doc.measure->tool.Tool() != MeasureTool::None;
}

MeasurePoint COrinView::PicturePoint(const QPoint& view) const {
    float zoomX = ViewOf(m_doc).zoom, zoomY = ViewOf(m_doc).zoom;
    if (ViewOf(m_doc).stretch) {
        const WindowRect client = ClientRect();
        zoomX = float(client.right + 1) / float(std::max(1, m_doc.canvas.width));
        zoomY = float(client.bottom + 1) / float(std::max(1, m_doc.canvas.height));
    }
    const int x = int(view.x() / zoomX), y = int(view.y() / zoomY);
    return {std::clamp(x, 0, std::max(0, m_doc.canvas.width - 1)), std::clamp(y, 0, std::max(0, m_doc.canvas.height - 1))};
}

bool COrinView::MeasureMouse(QEvent::Type type, const QPoint& window) {
    if (!Measuring()) return false;
    MeasureState& m = Measures(m_doc);
    const MeasurePoint p = PicturePoint(ToView(window));
    m_lastMouse = window;
    // Five screen pixels of reach, in picture pixels.
    const int tolerance = std::max(1, int(std::lround(5.0 / std::max(0.0625f, ViewOf(m_doc).zoom))));
    ToolOutcome outcome;
    switch (type) {
    case QEvent::MouseButtonPress:
        outcome = m.tool.Press(m.sheet, p, tolerance);
        break;
    case QEvent::MouseMove:
        m.tool.Drag(m.sheet, p);
        Q_EMIT repaintWanted(&m_doc);
        return true;
    case QEvent::MouseButtonRelease:
        m_leftDown = false;
        outcome = m.tool.Release(m.sheet, p);
        break;
    default: {
        // A double click ends a polyline or polygon; with the other tools it is a click.
        const MeasureTool tool = m.tool.Tool();
        outcome = tool == MeasureTool::Polyline || tool == MeasureTool::Polygon ? m.tool.DoubleClick(m.sheet, p)
                                                                                 : m.tool.Press(m.sheet, p, tolerance);
        break;
    }
    }
    Q_EMIT measured(&m_doc, outcome);
    return true;
}

bool COrinView::MeasureKey(QKeyEvent* event) {
    if (!Measuring()) return false;
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() != Qt::Key_Z && event->key() != Qt::Key_Y) return false;
        Q_EMIT commandWanted(event->key() == Qt::Key_Z ? kCmdVectorUndo : kCmdVectorRedo);
        event->accept();
        return true;
    }
    int key = 0;
    switch (event->key()) {
    case Qt::Key_Escape: key = MeasureToolState::kKeyEscape; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = MeasureToolState::kKeyEnter; break;
    case Qt::Key_Delete: key = MeasureToolState::kKeyDelete; break;
    default: return false;
    }
    MeasureState& m = Measures(m_doc);
    const ToolOutcome outcome = m.tool.Key(m.sheet, key);
    event->accept();
    SetToolCursor(false);
    Q_EMIT measured(&m_doc, outcome);
    return true;
}

bool COrinView::event(QEvent* event) {
    // While measuring, Ctrl+Z and Ctrl+Y undo and redo vector edits, not picture steps.
    if (event->type() == QEvent::ShortcutOverride && Measuring()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}
