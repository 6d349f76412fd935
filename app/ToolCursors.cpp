#include "ToolCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kSide = 32;

// Draws `path` filled with `fill`, rimmed in white then outlined in black.
QCursor DrawnCursor(const QPainterPath& path, const QColor& fill, const QPoint& hotSpot) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setBrush(fill);
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.end();
    return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

// A four-way arrow around the centre.
QCursor MakeMoveCursor() {
    QPainterPath path;
    const double c = 15.5;
    // Shaft of each arm and its head, drawn as one outline going round.
    const QPointF pts[] = {
        {c - 1.5, c - 1.5}, {c - 1.5, c - 9}, {c - 4.5, c - 9}, {c, c - 14}, {c + 4.5, c - 9}, {c + 1.5, c - 9},
        {c + 1.5, c - 1.5}, {c + 9, c - 1.5}, {c + 9, c - 4.5}, {c + 14, c}, {c + 9, c + 4.5}, {c + 9, c + 1.5},
        {c + 1.5, c + 1.5}, {c + 1.5, c + 9}, {c + 4.5, c + 9}, {c, c + 14}, {c - 4.5, c + 9}, {c - 1.5, c + 9},
        {c - 1.5, c + 1.5}, {c - 9, c + 1.5}, {c - 9, c + 4.5}, {c - 14, c}, {c - 9, c - 4.5}, {c - 9, c - 1.5},
    };
    path.moveTo(pts[0]);
    for (const QPointF& p : pts) path.lineTo(p);
    path.closeSubpath();
    return DrawnCursor(path, Qt::black, QPoint(15, 15));
}

// A falling drop whose tip is the hot spot.
QCursor MakeWaterDropCursor() {
    QPainterPath path;
    path.moveTo(6, 2);
    path.cubicTo(8, 10, 16, 12, 16, 19);
    path.cubicTo(16, 25, 11, 28, 6, 28);
    path.cubicTo(1, 28, -4, 25, -4, 19);
    path.cubicTo(-4, 12, 4, 10, 6, 2);
    path.translate(8, 1);
    return DrawnCursor(path, QColor(80, 150, 255), QPoint(14, 3));
}

// A magnifying glass; the hot spot is the lens's centre.
QCursor MakeZoomCursor() {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 5));
    p.drawLine(18, 18, 28, 28);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(18, 18, 28, 28);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(11, 11), 8, 8);
    p.drawLine(7, 11, 15, 11);
    p.drawLine(11, 7, 11, 15);
    p.end();
    return QCursor(pixmap, 11, 11);
}

// A thin cross with a gap in the middle and a dot on the hot spot.
QCursor MakeDotCursor() {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const auto cross = [&p](const QColor& colour, int width) {
        p.setPen(QPen(colour, width));
        p.drawLine(15, 4, 15, 11);
        p.drawLine(15, 19, 15, 26);
        p.drawLine(4, 15, 11, 15);
        p.drawLine(19, 15, 26, 15);
    };
    cross(Qt::white, 3);
    cross(Qt::black, 1);
    p.fillRect(14, 14, 3, 3, Qt::white);
    p.fillRect(15, 15, 1, 1, Qt::black);
    p.end();
    return QCursor(pixmap, 15, 15);
}

// An eyedropper leaning to the right; the hot spot is its tip at the lower left.
QCursor MakeColourPickCursor() {
    QPainterPath path;
    path.moveTo(2, 29);
    path.lineTo(4, 23);
    path.lineTo(17, 10);
    path.lineTo(21, 14);
    path.lineTo(8, 27);
    path.closeSubpath();
    path.addEllipse(QPointF(23, 8), 5, 5);
    return DrawnCursor(path, QColor(200, 200, 200), QPoint(2, 29));
}

}  // namespace

const QCursor& MoveCursor() {
    static const QCursor cursor = MakeMoveCursor();
    return cursor;
}

const QCursor& WaterDropCursor() {
    static const QCursor cursor = MakeWaterDropCursor();
    return cursor;
}

const QCursor& ZoomCursor() {
    static const QCursor cursor = MakeZoomCursor();
    return cursor;
}

namespace {

// The program's own pointer (cursor kind 3 of the preferences): a slim arrow whose tip
// is the hot spot.
QCursor MakeProgramCursor() {
    QPainterPath path;
    path.moveTo(2, 2);
    path.lineTo(2, 22);
    path.lineTo(7, 17);
    path.lineTo(11, 26);
    path.lineTo(14, 25);
    path.lineTo(10, 16);
    path.lineTo(17, 16);
    path.closeSubpath();
    return DrawnCursor(path, QColor(255, 140, 0), QPoint(2, 2));
}

}  // namespace

const QCursor& ProgramCursor() {
    static const QCursor cursor = MakeProgramCursor();
    return cursor;
}

const QCursor& DotCursor() {
    static const QCursor cursor = MakeDotCursor();
    return cursor;
}

const QCursor& ColourPickCursor() {
    static const QCursor cursor = MakeColourPickCursor();
    return cursor;
}

QCursor BrushOutlineCursor(qreal radius, qreal scale) {
    // Large brushes are drawn at most 256 device pixels wide: some servers refuse more.
    const qreal deviceRadius = std::min(radius * scale, 127.0);
    const int side = int(std::ceil(deviceRadius)) * 2 + 5;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    const QPointF c(side / 2.0, side / 2.0);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        // Black inside white: the ring shows on dark and on light pictures.
        p.setPen(QPen(Qt::white, 3));
        p.drawEllipse(c, deviceRadius, deviceRadius);
        p.setPen(QPen(Qt::black, 1));
        p.drawEllipse(c, deviceRadius, deviceRadius);
        // The point that paints: a small cross at the centre.
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
        p.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
    }
    pixmap.setDevicePixelRatio(scale);
    const int hot = int(std::floor(side / 2.0 / scale));
    return QCursor(pixmap, hot, hot);
}
