#include "MeasureObject.h"

#include <algorithm>
#include <cmath>

#include "MeasureText.h"

namespace {

struct KindInfo {
    MeasureKind kind;
    const char* name;
    int points;
    bool more;
};

constexpr KindInfo kKinds[kMeasureKindCount] = {
    {MeasureKind::Point, "점표시", 1, false},     {MeasureKind::Segment, "선분", 2, false},
    {MeasureKind::Circle, "원", 2, false},         {MeasureKind::Rectangle, "사각형", 2, false},
    {MeasureKind::Angle, "사이각", 3, false},      {MeasureKind::Polyline, "다각선", 2, true},
    {MeasureKind::Polygon, "다각형", 3, true},     {MeasureKind::Curve, "곡선", 2, true},
    {MeasureKind::CurveArea, "곡선영역", 3, true}, {MeasureKind::Text, "글자", 1, false},
};

const KindInfo& Info(MeasureKind kind) { return kKinds[int(kind)]; }

}  // namespace

const char* KindName(MeasureKind kind) { return Info(kind).name; }
int KindPoints(MeasureKind kind) { return Info(kind).points; }
bool KindTakesMorePoints(MeasureKind kind) { return Info(kind).more; }
bool IsCurveKind(MeasureKind kind) { return kind == MeasureKind::Curve || kind == MeasureKind::CurveArea; }

std::optional<MeasureKind> KindFromName(std::string_view name) {
    for (const KindInfo& k : kKinds)
        if (name == k.name) return k.kind;
    return std::nullopt;
}

bool PointsFitKind(MeasureKind kind, size_t count) {
    const size_t least = size_t(KindPoints(kind));
    return KindTakesMorePoints(kind) ? count >= least : count == least;
}

double AngleAt(MeasurePoint p1, MeasurePoint vertex, MeasurePoint p3) {
    // 64-bit products: 32-bit coordinates of a few ten thousand pixels already overflow
    // a 32-bit dot product.
    const int64_t ux = int64_t(vertex.x) - p1.x, uy = int64_t(vertex.y) - p1.y;
    const int64_t vx = int64_t(p3.x) - vertex.x, vy = int64_t(p3.y) - vertex.y;
    const long double dot = static_cast<long double>(ux) * vx + static_cast<long double>(uy) * vy;
    const long double uu = static_cast<long double>(ux) * ux + static_cast<long double>(uy) * uy;
    const long double vv = static_cast<long double>(vx) * vx + static_cast<long double>(vy) * vy;
    if (uu == 0 || vv == 0) return 0.0;
    const long double cosine = std::clamp(dot / std::sqrt(vv * uu), -1.0L, 1.0L);
    return double(180.0L - std::acos(cosine) * 57.2957795L);
}

int64_t PolygonPixelCount(const std::vector<MeasurePoint>& polygon, int width, int height) {
    if (polygon.size() < 3 || width <= 0 || height <= 0) return 0;
    int64_t top = INT64_MAX, bottom = INT64_MIN;
    for (const MeasurePoint& p : polygon) {
        top = std::min<int64_t>(top, p.y);
        bottom = std::max<int64_t>(bottom, p.y);
    }
    const int64_t firstRow = std::max<int64_t>(0, top), lastRow = std::min<int64_t>(height - 1, bottom);
    int64_t count = 0;
    std::vector<double> crossings;
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        // Pixel centres of this row: y = row + 0.5, x = column + 0.5.
        const double y = double(row) + 0.5;
        crossings.clear();
        for (size_t i = 0; i < polygon.size(); ++i) {
            const MeasurePoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            if ((a.y <= y) == (b.y <= y)) continue;
            crossings.push_back(a.x + (y - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Columns c with c + 0.5 in [left, right).
            const int64_t from = std::max<int64_t>(0, int64_t(std::ceil(crossings[i] - 0.5)));
            const int64_t to = std::min<int64_t>(width, int64_t(std::ceil(crossings[i + 1] - 0.5)));
            if (to > from) count += to - from;
        }
    }
    return count;
}

int CircleRadius(const MeasureObject& circle) {
    if (circle.points.size() < 2) return 0;
    const double dx = double(circle.points[1].x) - circle.points[0].x;
    const double dy = double(circle.points[1].y) - circle.points[0].y;
    return int(std::sqrt(dx * dx + dy * dy));
}

void ComputeValues(MeasureObject& o, const Calibration& c, int width, int height) {
    o.values = {};
    const auto& p = o.points;
    switch (o.kind) {
    case MeasureKind::Segment:
        if (p.size() >= 2) o.values[kValueLength] = float(CalibratedLength(p[0].x, p[0].y, p[1].x, p[1].y, c));
        break;
    case MeasureKind::Circle:
        if (p.size() >= 2) {
            o.values[kValueCircle] = float(CalibratedLength(p[0].x, p[0].y, p[1].x, p[1].y, c));
            o.values[kValueRadius] = o.values[kValueCircle];
        }
        break;
    case MeasureKind::Angle:
        if (p.size() >= 3) o.values[kValueAngle] = float(AngleAt(p[0], p[1], p[2]));
        break;
    case MeasureKind::Polyline: {
        // One segment that cannot be measured makes the whole length the error value.
        double sum = 0;
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            const double part = CalibratedLength(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, c);
            if (part < 0) {
                sum = -1;
                break;
            }
            sum += part;
        }
        o.values[kValueLength] = float(sum);
        break;
    }
    case MeasureKind::Polygon:
        if (p.size() > 2) o.values[kValueArea] = float(PolygonPixelCount(p, width, height));
        break;
    default:
        break;
    }
}

void ComputeAllValues(std::vector<MeasureObject>& objects, const Calibration& c, int width, int height) {
    for (MeasureObject& o : objects)
        if (o.visible && !o.points.empty()) ComputeValues(o, c, width, height);
}

std::string ValueLabel(const MeasureObject& o, const Calibration& c) {
    using measuretext::Fixed2;
    switch (o.kind) {
    case MeasureKind::Segment:
    case MeasureKind::Polyline:
        return Fixed2(o.values[kValueLength]) + " " + c.unit;
    case MeasureKind::Circle:
        return Fixed2(o.values[kValueCircle]) + " " + c.unit;
    case MeasureKind::Angle:
        return Fixed2(o.values[kValueAngle]) + "\u00B0";
    case MeasureKind::Polygon:
        return measuretext::Int((long long)(o.values[kValueArea])) + " px";
    case MeasureKind::Text:
        return o.text;
    default:
        return {};
    }
}

MeasurePoint LabelPlace(const MeasureObject& o, int height) {
    if (o.points.empty()) return {};
    const MeasurePoint last = o.points.back();
    const bool down = o.points.size() >= 2 && last.y > o.points[o.points.size() - 2].y;
    const int64_t y = down ? std::min<int64_t>(int64_t(last.y) + 10, std::max(0, height - 1))
                           : std::max<int64_t>(int64_t(last.y) - 10, 0);
    return {last.x, int32_t(y)};
}

std::optional<std::vector<MeasurePoint>> ParsePoints(std::string_view text) {
    std::vector<MeasurePoint> points;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(';', at), text.size());
        const std::string_view item = text.substr(at, end - at);
        const size_t colon = item.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const auto x = measuretext::ParseInt(item.substr(0, colon));
        const auto y = measuretext::ParseInt(item.substr(colon + 1));
        if (!x || !y || *x < INT32_MIN || *x > INT32_MAX || *y < INT32_MIN || *y > INT32_MAX) return std::nullopt;
        points.push_back({int32_t(*x), int32_t(*y)});
        at = end + 1;
    }
    return points;
}

std::string FormatPoints(const std::vector<MeasurePoint>& points) {
    std::string text;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i) text += ';';
        text += std::to_string(points[i].x) + ":" + std::to_string(points[i].y);
    }
    return text;
}
