#include "MeasureTools.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Messages.h"

namespace {

struct Vec {
    double x, y;
};
Vec V(MeasurePoint p) { return {double(p.x), double(p.y)}; }
MeasurePoint Round(Vec v) { return {int32_t(std::lround(v.x)), int32_t(std::lround(v.y))}; }

// The point of segment a-b nearest to p, as the parameter along it (0..1).
double Nearest(Vec a, Vec b, Vec p) {
    const double dx = b.x - a.x, dy = b.y - a.y, l = dx * dx + dy * dy;
    return l == 0 ? 0.0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l, 0.0, 1.0);
}
Vec At(Vec a, Vec b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
double Dist(Vec a, Vec b) { return std::hypot(a.x - b.x, a.y - b.y); }
double SegmentDistance(MeasurePoint a, MeasurePoint b, MeasurePoint p) {
    return Dist(At(V(a), V(b), Nearest(V(a), V(b), V(p))), V(p));
}

std::vector<MeasureObject> ParallelObjects(const std::vector<MeasurePoint>& q) {
    // The parallel of a-b through c, as long as a-b, and the perpendicular from c to a-b.
    const MeasurePoint a = q[0], b = q[1], c = q[2];
    const MeasurePoint d{c.x + (b.x - a.x), c.y + (b.y - a.y)};
    const Vec va = V(a), vb = V(b), vc = V(c);
    const double dx = vb.x - va.x, dy = vb.y - va.y, l = dx * dx + dy * dy;
    const double t = l == 0 ? 0 : ((vc.x - va.x) * dx + (vc.y - va.y) * dy) / l;
    const MeasurePoint foot = Round(At(va, vb, t));
    std::vector<MeasureObject> out;
    for (auto pair : {std::pair{a, b}, std::pair{c, d}, std::pair{c, foot}})
        if (auto o = MakeObject(MeasureKind::Segment, {pair.first, pair.second})) out.push_back(*o);
    return out;
}

}  // namespace

const std::vector<MeasureToolInfo>& MeasureToolTable() {
    static const std::vector<MeasureToolInfo> table = {
        {MeasureTool::Segment, 3409, "선분표시"},       {MeasureTool::Parallel, 3410, "평행선표시"},
        {MeasureTool::Rectangle, 3411, "사각영역표시"}, {MeasureTool::SegmentDistance, 3412, "선분사이거리"},
        {MeasureTool::Circle, 3413, "원영역표시"},      {MeasureTool::Angle, 3414, "사이각표시"},
        {MeasureTool::Point, 3415, "점"},               {MeasureTool::SelectModify, 3416, "선택과수정"},
        {MeasureTool::Polyline, 3417, "다각선표시"},    {MeasureTool::Polygon, 3418, "다각형면적"},
        {MeasureTool::Text, 3419, "글자"},              {MeasureTool::Standard, 3420, "기준설정"},
    };
    return table;
}

const std::vector<MeasureCommandInfo>& MeasureMenuCommands() {
    static const std::vector<MeasureCommandInfo> table = {
        {kCmdVectorUndo, "벡터 편집 취소\tCtrl+Z", true},
        {kCmdVectorRedo, "벡터 편집 반복\tCtrl+Y"},
        {kCmdEndContinuous, "벡터 연속 측정 해제"},
        {kCmdShowLabels, "측정값 표시", true},
        {kCmdStandards, "측정 기준..."},
        {kCmdScaleBar, "축척 막대..."},
        {kCmdMeasureSettings, "분석 환경 설정\tCtrl+D"},
        {kCmdExportText, "텍스트 파일로 (MicroMeasure.txt)", true},
        {kCmdExportCsv, "CSV 파일로 (MicroMeasure.csv)"},
        {kCmdExportSheet, "엑셀로 변환..."},
    };
    return table;
}

std::vector<MeasureCommandInfo> MeasurePanelCommands() {
    std::vector<MeasureCommandInfo> out;
    for (const MeasureCommandInfo& c : MeasureMenuCommands())
        if (c.id != kCmdMeasureSettings) out.push_back(c);
    return out;
}

const MeasureToolInfo* FindMeasureTool(int id) {
    for (const MeasureToolInfo& t : MeasureToolTable())
        if (t.id == id) return &t;
    return nullptr;
}

const MeasureToolInfo* FindMeasureTool(MeasureTool tool) {
    for (const MeasureToolInfo& t : MeasureToolTable())
        if (t.tool == tool) return &t;
    return nullptr;
}

std::optional<MeasureObject> MakeObject(MeasureKind kind, std::vector<MeasurePoint> points, std::string text) {
    if (!PointsFitKind(kind, points.size())) return std::nullopt;
    MeasureObject o;
    o.kind = kind;
    o.points = std::move(points);
    if (IsCurveKind(kind)) {
        o.control1 = o.points;
        o.control2 = o.points;
    }
    if (kind == MeasureKind::Text) o.text = std::move(text);
    return o;
}

std::pair<MeasurePoint, MeasurePoint> ShortestConnection(MeasurePoint a0, MeasurePoint a1, MeasurePoint b0,
                                                         MeasurePoint b1) {
    // The shortest connection between two segments that do not cross has an end point of
    // one of them at one end; crossing segments are at distance 0 where they cross.
    const Vec p = V(a0), r{double(a1.x) - a0.x, double(a1.y) - a0.y};
    const Vec q = V(b0), s{double(b1.x) - b0.x, double(b1.y) - b0.y};
    const double denom = r.x * s.y - r.y * s.x;
    if (denom != 0) {
        const double t = ((q.x - p.x) * s.y - (q.y - p.y) * s.x) / denom;
        const double u = ((q.x - p.x) * r.y - (q.y - p.y) * r.x) / denom;
        if (t >= 0 && t <= 1 && u >= 0 && u <= 1) {
            const MeasurePoint x = Round(At(p, {p.x + r.x, p.y + r.y}, t));
            return {x, x};
        }
    }
    std::pair<MeasurePoint, MeasurePoint> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    auto consider = [&](MeasurePoint from, MeasurePoint s0, MeasurePoint s1, bool fromFirst) {
        const MeasurePoint to = Round(At(V(s0), V(s1), Nearest(V(s0), V(s1), V(from))));
        const double d = Dist(V(from), At(V(s0), V(s1), Nearest(V(s0), V(s1), V(from))));
        if (d < bestDistance) {
            bestDistance = d;
            best = fromFirst ? std::pair{from, to} : std::pair{to, from};
        }
    };
    consider(a0, b0, b1, true);
    consider(a1, b0, b1, true);
    consider(b0, a0, a1, false);
    consider(b1, a0, a1, false);
    return best;
}

double DistanceToObject(const MeasureObject& o, MeasurePoint p) {
    const auto& q = o.points;
    if (q.empty()) return std::numeric_limits<double>::infinity();
    double d = std::numeric_limits<double>::infinity();
    switch (o.kind) {
    case MeasureKind::Circle:
        if (q.size() >= 2) return std::fabs(Dist(V(q[0]), V(p)) - CircleRadius(o));
        break;
    case MeasureKind::Rectangle:
        if (q.size() >= 2) {
            const MeasurePoint c[4] = {q[0], {q[1].x, q[0].y}, q[1], {q[0].x, q[1].y}};
            for (int i = 0; i < 4; ++i) d = std::min(d, SegmentDistance(c[i], c[(i + 1) % 4], p));
            return d;
        }
        break;
    case MeasureKind::Polygon:
    case MeasureKind::CurveArea:
        for (size_t i = 0; i < q.size(); ++i) d = std::min(d, SegmentDistance(q[i], q[(i + 1) % q.size()], p));
        return d;
    default:
        for (size_t i = 0; i + 1 < q.size(); ++i) d = std::min(d, SegmentDistance(q[i], q[i + 1], p));
        break;
    }
    for (const MeasurePoint& m : q) d = std::min(d, Dist(V(m), V(p)));
    return d;
}

int HitTest(const std::vector<MeasureObject>& objects, MeasurePoint p, int tolerance) {
    for (size_t i = objects.size(); i-- > 0;)
        if (objects[i].visible && DistanceToObject(objects[i], p) <= tolerance) return int(i);
    return -1;
}

void MeasureToolState::Choose(MeasureTool tool) {
    m_tool = tool;
    m_pending.clear();
    m_pressed = false;
    m_moving.reset();
    if (tool != MeasureTool::SelectModify) m_selected = -1;
}

void MeasureToolState::EndContinuous() { Choose(MeasureTool::None); }

int MeasureToolState::PointsNeeded() const {
    switch (m_tool) {
    case MeasureTool::Point:
    case MeasureTool::Text:
        return 1;
    case MeasureTool::Angle:
    case MeasureTool::Parallel:
        return 3;
    case MeasureTool::SegmentDistance:
        return 4;
    case MeasureTool::Polyline:
    case MeasureTool::Polygon:
        return 0;  // finished by a double click or Enter
    default:
        return 2;
    }
}

ToolOutcome MeasureToolState::Press(MeasureSheet& sheet, MeasurePoint p, int tolerance) {
    ToolOutcome out;
    if (m_tool == MeasureTool::None) return out;
    if (m_tool == MeasureTool::SelectModify) {
        m_selected = HitTest(sheet.Objects(), p, tolerance);
        m_grabbedPoint = -1;
        m_moving.reset();
        if (m_selected < 0) return out;
        const MeasureObject& o = sheet.Objects()[size_t(m_selected)];
        for (size_t i = 0; i < o.points.size(); ++i)
            if (std::hypot(double(o.points[i].x) - p.x, double(o.points[i].y) - p.y) <= tolerance) m_grabbedPoint = int(i);
        m_grabAt = p;
        m_moving = o;
        m_pressed = true;
        return out;
    }
    if (m_tool == MeasureTool::Point || m_tool == MeasureTool::Text) {
        m_pending = {p};
        return out;
    }
    if (m_pending.empty()) m_pending = {p, p};
    else m_pending.push_back(p);
    m_pressed = true;
    return out;
}

void MeasureToolState::Drag(MeasureSheet& sheet, MeasurePoint p) {
    if (!m_pressed) return;
    if (m_tool == MeasureTool::SelectModify) {
        if (!m_moving || m_selected < 0 || size_t(m_selected) >= sheet.Count()) return;
        MeasureObject o = sheet.Objects()[size_t(m_selected)];
        const int64_t dx = int64_t(p.x) - m_grabAt.x, dy = int64_t(p.y) - m_grabAt.y;
        auto shift = [&](MeasurePoint& q) { q = {int32_t(q.x + dx), int32_t(q.y + dy)}; };
        if (m_grabbedPoint >= 0) {
            shift(o.points[size_t(m_grabbedPoint)]);
            if (IsCurveKind(o.kind)) {
                shift(o.control1[size_t(m_grabbedPoint)]);
                shift(o.control2[size_t(m_grabbedPoint)]);
            }
        } else {
            for (auto* list : {&o.points, &o.control1, &o.control2})
                for (MeasurePoint& q : *list) shift(q);
        }
        m_moving = std::move(o);
        return;
    }
    if (!m_pending.empty()) m_pending.back() = p;
}

ToolOutcome MeasureToolState::Release(MeasureSheet& sheet, MeasurePoint p) {
    ToolOutcome out;
    if (m_tool == MeasureTool::SelectModify) {
        if (m_pressed && m_moving && m_selected >= 0) {
            Drag(sheet, p);
            if (!(*m_moving == sheet.Objects()[size_t(m_selected)])) {
                sheet.Replace(size_t(m_selected), *m_moving);
                out.changed = true;
            }
        }
        m_moving.reset();
        m_pressed = false;
        return out;
    }
    if (m_tool == MeasureTool::Text) {
        if (!m_pending.empty()) out.textAt = m_pending.front();
        m_pending.clear();
        return out;
    }
    if (m_pending.empty()) return out;
    if (m_pressed) m_pending.back() = p;
    m_pressed = false;
    // A click adds one point: a press and release in one place leaves no second point.
    if (m_pending.size() >= 2 && m_pending.back() == m_pending[m_pending.size() - 2]) m_pending.pop_back();
    const int needed = PointsNeeded();
    if (needed > 0 && int(m_pending.size()) >= needed) return Complete(sheet);
    return out;
}

ToolOutcome MeasureToolState::DoubleClick(MeasureSheet& sheet, MeasurePoint p) {
    if (m_tool != MeasureTool::Polyline && m_tool != MeasureTool::Polygon) return {};
    return Complete(sheet);
}

ToolOutcome MeasureToolState::Key(MeasureSheet& sheet, int key) {
    ToolOutcome out;
    if (key == kKeyEscape) {
        EndContinuous();
    } else if (key == kKeyEnter) {
        if (m_tool == MeasureTool::Polyline || m_tool == MeasureTool::Polygon) return Complete(sheet);
    } else if (key == kKeyDelete) {
        if (m_tool != MeasureTool::SelectModify) {
            out.message = msg::kChooseObject;
        } else if (m_selected < 0 || size_t(m_selected) >= sheet.Count()) {
            out.message = msg::kSelectToRemove;
        } else {
            sheet.Remove(size_t(m_selected));
            m_selected = -1;
            out.changed = true;
        }
    }
    return out;
}

ToolOutcome MeasureToolState::Complete(MeasureSheet& sheet) {
    ToolOutcome out;
    std::vector<MeasurePoint> q = std::move(m_pending);
    m_pending.clear();
    m_pressed = false;
    std::vector<MeasureObject> made;
    switch (m_tool) {
    case MeasureTool::Segment:
        if (q[0] != q[1]) made.push_back(*MakeObject(MeasureKind::Segment, {q[0], q[1]}));
        break;
    case MeasureTool::Rectangle:
        if (q[0].x != q[1].x && q[0].y != q[1].y) made.push_back(*MakeObject(MeasureKind::Rectangle, {q[0], q[1]}));
        break;
    case MeasureTool::Circle:
        if (q[0] != q[1]) made.push_back(*MakeObject(MeasureKind::Circle, {q[0], q[1]}));
        break;
    case MeasureTool::Point:
        made.push_back(*MakeObject(MeasureKind::Point, {q[0]}));
        break;
    case MeasureTool::Angle:
        made.push_back(*MakeObject(MeasureKind::Angle, {q[0], q[1], q[2]}));
        break;
    case MeasureTool::Parallel:
        if (q[0] != q[1]) made = ParallelObjects(q);
        break;
    case MeasureTool::SegmentDistance: {
        const auto link = ShortestConnection(q[0], q[1], q[2], q[3]);
        for (auto pair : {std::pair{q[0], q[1]}, std::pair{q[2], q[3]}, link})
            if (pair.first != pair.second) made.push_back(*MakeObject(MeasureKind::Segment, {pair.first, pair.second}));
        break;
    }
    case MeasureTool::Polyline:
    case MeasureTool::Polygon: {
        const MeasureKind kind = m_tool == MeasureTool::Polyline ? MeasureKind::Polyline : MeasureKind::Polygon;
        if (auto o = MakeObject(kind, q)) made.push_back(*o);
        break;
    }
    case MeasureTool::Standard:
        if (q[0] != q[1]) {
            // The standard's pixels: the segment's length in pixels, across and down alike
            // (square pixels), so that a level or upright scale bar gives no 0.
            const int length = int(std::lround(std::hypot(double(q[1].x) - q[0].x, double(q[1].y) - q[0].y)));
            out.standard = MeasurePoint{length, length};
        }
        return out;
    default:
        break;
    }
    if (made.empty()) return out;
    sheet.Edit([&](std::vector<MeasureObject>& list) { list.insert(list.end(), made.begin(), made.end()); });
    out.changed = true;
    return out;
}
