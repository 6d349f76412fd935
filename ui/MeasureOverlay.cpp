#include "MeasureOverlay.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QColor kObjectColour(230, 30, 30);
const QColor kChosenColour(20, 90, 255);
const QColor kPendingColour(255, 160, 0);

QPointF At(const MeasureOverlayView& v, MeasurePoint p) {
    return v.origin + QPointF((p.x + 0.5) * v.zoom, (p.y + 0.5) * v.zoom);
}

// The direction of the arm from the vertex to (x, y), in degrees counter-clockwise
// from the x axis as the picture shows it; a level arm counts as slightly tilted.
double Direction(MeasurePoint vertex, MeasurePoint p) {
    double dy = double(p.y) - vertex.y;
    if (std::fabs(dy) < 0.01) dy = 0.1;
    return -std::atan2(dy, double(p.x) - vertex.x) * 57.29582790879778;
}

void Label(QPainter& painter, QPointF at, const QString& text) {
    if (text.isEmpty()) return;
    const QRectF box = painter.fontMetrics().boundingRect(text).adjusted(-2, -1, 2, 1);
    const QRectF placed(at.x() - box.width() / 2, at.y() - box.height() / 2, box.width(), box.height());
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRect(placed);
    painter.restore();
    painter.drawText(placed, Qt::AlignCenter, text);
}

void DrawShape(QPainter& painter, const MeasureObject& o, const MeasureOverlayView& v) {
    const auto& q = o.points;
    if (q.empty()) return;
    QPolygonF line;
    for (const MeasurePoint& p : q) line << At(v, p);
    switch (o.kind) {
    case MeasureKind::Point: {
        const QPointF c = line[0];
        painter.drawLine(c - QPointF(5, 0), c + QPointF(5, 0));
        painter.drawLine(c - QPointF(0, 5), c + QPointF(0, 5));
        break;
    }
    case MeasureKind::Circle: {
        if (q.size() < 2) break;
        const double r = CircleRadius(o) * v.zoom;
        painter.drawEllipse(line[0], r, r);
        painter.drawLine(line[0], line[1]);
        break;
    }
    case MeasureKind::Rectangle:
        if (q.size() >= 2) painter.drawRect(QRectF(line[0], line[1]).normalized());
        break;
    case MeasureKind::Angle: {
        painter.drawPolyline(line);
        if (q.size() < 3) break;
        const double a = Direction(q[1], q[0]), b = Direction(q[1], q[2]);
        const double from = std::min(a, b), to = std::max(a, b);
        const double r = 10 * v.zoom;
        painter.drawArc(QRectF(line[1] - QPointF(r, r), QSizeF(2 * r, 2 * r)), int(from * 16), int((to - from) * 16));
        break;
    }
    case MeasureKind::Polygon:
        painter.drawPolygon(line);
        break;
    case MeasureKind::Curve:
    case MeasureKind::CurveArea: {
        QPainterPath path(line[0]);
        for (size_t i = 1; i < q.size(); ++i) {
            const MeasurePoint c1 = i - 1 < o.control2.size() ? o.control2[i - 1] : q[i - 1];
            const MeasurePoint c2 = i < o.control1.size() ? o.control1[i] : q[i];
            path.cubicTo(At(v, c1), At(v, c2), line[int(i)]);
        }
        if (o.kind == MeasureKind::CurveArea) path.closeSubpath();
        painter.drawPath(path);
        break;
    }
    case MeasureKind::Text:
        break;
    default:
        painter.drawPolyline(line);
        break;
    }
}

QPointF LabelAt(const MeasureObject& o, const MeasureOverlayView& v) {
    switch (o.kind) {
    case MeasureKind::Circle:
        return At(v, o.points[0]) + QPointF(0, -(CircleRadius(o) * v.zoom) - 10);
    case MeasureKind::Angle:
        return At(v, o.points.size() > 1 ? o.points[1] : o.points[0]) + QPointF(0, 20);
    case MeasureKind::Text:
        return At(v, o.points[0]);
    default:
        return At(v, LabelPlace(o, v.pictureHeight));
    }
}

}  // namespace

void PaintMeasurements(QPainter& painter, const MeasureSheet& sheet, const MeasureToolState& tool,
                       const Calibration& calibration, const MeasureOverlayView& v) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const auto& objects = sheet.Objects();
    for (size_t i = 0; i < objects.size(); ++i) {
        const bool chosen = int(i) == tool.Selected();
        const MeasureObject& o = chosen && tool.Moving() ? *tool.Moving() : objects[i];
        if (!o.visible || o.points.empty()) continue;
        painter.setPen(QPen(chosen ? kChosenColour : kObjectColour, chosen ? 2 : 1));
        DrawShape(painter, o, v);
        if (chosen)
            for (const MeasurePoint& p : o.points) painter.drawRect(QRectF(At(v, p) - QPointF(3, 3), QSizeF(6, 6)));
        // Text labels are the object itself; values are labels while labels are shown.
        if (o.kind == MeasureKind::Text || v.showLabels)
            Label(painter, LabelAt(o, v), QString::fromStdString(ValueLabel(o, calibration)));
    }
    if (!tool.Pending().empty()) {
        painter.setPen(QPen(kPendingColour, 1, Qt::DashLine));
        QPolygonF line;
        for (const MeasurePoint& p : tool.Pending()) line << At(v, p);
        if (tool.Tool() == MeasureTool::Circle && line.size() >= 2) {
            const double r = std::hypot(line[1].x() - line[0].x(), line[1].y() - line[0].y());
            painter.drawEllipse(line[0], r, r);
        } else if (tool.Tool() == MeasureTool::Rectangle && line.size() >= 2) {
            painter.drawRect(QRectF(line[0], line[1]).normalized());
        } else if (line.size() == 1) {
            painter.drawEllipse(line[0], 2, 2);
        } else {
            painter.drawPolyline(line);
        }
    }
    painter.restore();
}
