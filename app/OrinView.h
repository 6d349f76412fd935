// COrinView: one view of a document in an MDI child window. It draws the composite of
// the visible region at the document's zoom over a grey background with the picture
// rectangle hatched, keeps the scroll bars in step with the zoomed picture, turns
// mouse and keyboard input (window coordinates) into tool calls in view coordinates,
// and runs the 400 ms selection outline timer.
#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QEvent>
#include <QTimer>
#include <utility>
#include <vector>

#include "ViewComposite.h"
#include "ViewGeometry.h"

class COrinDoc;
struct MeasurePoint;
struct ToolOutcome;
struct Workspace;

class COrinView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kHintZoom = 1025;
    // The canvas took a new size (a transform, or its undo): the frame fits it again.
    static constexpr int kHintCanvas = 1026;
    static constexpr int kOutlineMilliseconds = 400;

    COrinView(COrinDoc& doc, Workspace& workspace, QWidget* parent = nullptr);
    ~COrinView() override;

    COrinDoc& Document() const { return m_doc; }
    // Hint 1025: the zoom changed (rescroll, fit the child window); any other hint
    // only resets the scroll sizes.
    void OnUpdate(int hint);
    // Starts or stops the outline timer as the document asks.
    void SyncTimer();
    bool OutlineTimerActive() const { return m_outlineTimer.isActive(); }
    // The client area in window coordinates: device pixels, so that zoom 1 shows one
    // picture pixel on one pixel of a scaled (HiDPI) screen.
    WindowRect ClientRect() const;
    // Widget units (Qt's logical pixels) to device pixels and back.
    qreal Scale() const;
    QPoint DevicePoint(const QPointF& logical) const;
    QSize DeviceSize(const QSize& logical) const;
    QRect LogicalRect(const QRect& device) const;
    // Window point (device pixels) to view point, as every mouse message is converted.
    QPoint ToView(const QPoint& window, bool* clamped = nullptr);
    // The hatch style of the picture rectangle (the options' choice 0..5, 0 the diagonal cross).
    void SetHatchStyle(int style) { m_hatch = style; }
    // The main frame's cursor kind: 1 arrow, 2 up-arrow, 3 our own pointer, 4 I-beam,
    // otherwise the cross.
    void SetCursorKind(int kind) {
        m_cursorKind = kind;
        SetToolCursor(false);
    }
    // Title of the child window: file name, zoom and the current layer's name.
    QString TitleText() const;
    // Repaints what changed in the document since the last paint: the changed rectangle
    // when it is known, else the whole view. With `pixelsOnly` (nothing but reported
    // pixels can have changed) a view whose composite is up to date repaints nothing.
    void RepaintChanged(bool pixelsOnly = false);
    // Puts the title on the child window, with a mark while there are unsaved changes.
    void ShowTitle();
    // The largest zoom step at which the whole picture fits the editor's window area.
    void FitToWindow();

Q_SIGNALS:
    // A tool or key changed the document: panel, titles and commands need a refresh.
    void documentTouched(COrinDoc* doc);
    // A stroke ended: its release changed nothing but the pixels it reported as it
    // painted. As documentTouched, but the views repaint only what changed.
    void strokeEnded(COrinDoc* doc);
    // Every view of the document should repaint (during a drag).
    void repaintWanted(COrinDoc* doc);
    // The picture pixel under the pointer (column, row from the top); -1, -1 off the picture.
    void pointerMoved(COrinDoc* doc, int x, int y);
    // The zoom tool zoomed: every view of the document rescrolls with hint 1025.
    void zoomed(COrinDoc* doc);
    void contextMenuWanted(COrinView* view, const QPoint& globalPos);
    // A press with the colour-range pick (3344) ran the search; `countText` is its
    // pixel-count text (empty when the press fell outside the layer).
    void colourRangePicked(COrinDoc* doc, const QString& countText);
    void activated(COrinView* view);
    // A measurement tool armed on the document took the input (its report), or a key
    // asked for a measurement command (vector undo and redo while measuring).
    void measured(COrinDoc* doc, const ToolOutcome& outcome);
    void commandWanted(int id);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Ctrl+wheel zooms in at the pointer or out; without Ctrl the wheel scrolls.
    void wheelEvent(QWheelEvent* event) override;

    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PaintPicture(QPaintEvent* event);
    // Measurement objects or unfinished points are drawn over the picture.
    bool MeasureOverlayShown() const;
    // The picture's part inside the viewport (viewport coordinates) and the composite
    // region that shows it; false when nothing of the picture is in view.
    bool VisibleRegion(QRect& visible, ComposeParams& params);
    void UpdateScrollBars();
    void StoreScroll();
    void FitFrame();
    void OnOutlineTick();
    void SetToolCursor(bool dragging);
    // `origin` in widget units; the frame's corners come in device pixels.
    void DrawFreeTransform(QPainter& painter, const QPointF& origin, qreal scale);
    void DrawGrid(QPainter& painter, const QRect& picture, const QRect& area, float zoomX, float zoomY);
    // The measurement tools: input in picture pixels; true when one is armed and took it.
    bool Measuring() const;
    MeasurePoint PicturePoint(const QPoint& view) const;
    bool MeasureMouse(QEvent::Type type, const QPoint& window);
    bool MeasureKey(QKeyEvent* event);

    COrinDoc& m_doc;
    Workspace& m_ws;
    QTimer m_outlineTimer;
    bool m_timerRanBeforeFocusLoss = false;
    QPoint m_lastMouse{-1, -1};
    bool m_leftDown = false;
    int m_rangeWidth = 0;   // scroll sizes: the zoomed picture
    int m_rangeHeight = 0;
    int m_hatch = 0;
    int m_cursorKind = 5;
    QCursor m_outlineCursor;  // the brush ring last made, for the size and scale in the key
    std::pair<qreal, qreal> m_outlineCursorKey{-1, -1};
    ViewComposite m_composite;  // everything in view, composed again only where it changed
    std::vector<uint32_t> m_screen;  // the composite with the selection outline over it
};

// Mouse key flags of an event, as the tools read them.
unsigned MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The platform's virtual-key code of a key (37..40 arrows, 27 Escape, 16 Shift ...).
int VirtualKey(int qtKey);
