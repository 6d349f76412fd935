// Measurement objects: the vector marks a user draws over a picture (points, segments,
// circles, rectangles, angles, polylines, polygons, curves, curve areas, text labels),
// their measured values and their labels. Points are picture pixels, origin at the top
// left, y growing downward.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Calibration.h"

enum class MeasureKind { Point, Segment, Circle, Rectangle, Angle, Polyline, Polygon, Curve, CurveArea, Text };
inline constexpr int kMeasureKindCount = 10;

// The stored names ("점표시", "선분", ...), which are also the export's item names.
const char* KindName(MeasureKind kind);
std::optional<MeasureKind> KindFromName(std::string_view name);
// Points the kind is defined by: exact count, or the least for polylines, polygons and
// curves (which take any number from that on).
int KindPoints(MeasureKind kind);
bool KindTakesMorePoints(MeasureKind kind);
bool IsCurveKind(MeasureKind kind);

struct MeasurePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const MeasurePoint&) const = default;
};

// Value slots (0-based here): 0 length, 1 area, 2 angle, 3 circle radius, 4 the radius
// again for the export's radius column.
enum MeasureValue { kValueLength = 0, kValueArea = 1, kValueAngle = 2, kValueCircle = 3, kValueRadius = 4 };

struct MeasureObject {
    MeasureKind kind = MeasureKind::Point;
    std::string text;  // label of a text object (UTF-8)
    std::array<float, 5> values{};
    std::vector<MeasurePoint> points;
    // Curve kinds only: the two control points of each point.
    std::vector<MeasurePoint> control1, control2;
    int32_t style = 0;
    bool visible = true;
    bool operator==(const MeasureObject&) const = default;
};

// The inner angle in degrees at the vertex p2 between the arms to p1 and p3, 0..180;
// 0 when an arm has no length. Exact for any 32-bit coordinates.
double AngleAt(MeasurePoint p1, MeasurePoint vertex, MeasurePoint p3);
// Pixels whose centres lie inside the polygon (even-odd rule), counted inside the
// picture of `width` x `height` pixels.
int64_t PolygonPixelCount(const std::vector<MeasurePoint>& polygon, int width, int height);
// The circle's radius in pixels (whole pixels, as it is drawn).
int CircleRadius(const MeasureObject& circle);

// Recomputes the object's values from its points and the calibration; slots the kind
// does not fill are 0. `width` and `height` are the picture's, for polygon areas.
void ComputeValues(MeasureObject& object, const Calibration& calibration, int width, int height);
void ComputeAllValues(std::vector<MeasureObject>& objects, const Calibration& calibration, int width, int height);

// The label shown beside the object ("12.34 mm", "90.00°", "1520 px"), empty for kinds
// without a value.
std::string ValueLabel(const MeasureObject& object, const Calibration& calibration);
// Where the label goes: 10 pixels beyond the last point, downward when the last
// segment runs downward (at most height - 1), upward otherwise (at least 0).
MeasurePoint LabelPlace(const MeasureObject& object, int height);

// "x:y;x:y;..." (points of the batch tool); nullopt when malformed.
std::optional<std::vector<MeasurePoint>> ParsePoints(std::string_view text);
std::string FormatPoints(const std::vector<MeasurePoint>& points);
// Checks the number of points against the kind; false when it cannot be drawn.
bool PointsFitKind(MeasureKind kind, size_t count);
