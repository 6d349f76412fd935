// The measurement tools: mouse input in picture pixels (origin top left, y down) turned
// into measurement objects on a sheet. A tool stays armed after each object (continuous
// measurement) until Escape or "벡터 연속 측정 해제" ends it. A point is added by a
// click or by pressing, dragging and releasing; the multi-point kinds are finished by a
// double click or Enter.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MeasureSheet.h"

enum class MeasureTool {
    None,
    Segment,          // "선분표시"
    Parallel,         // "평행선표시": a segment, then a point the parallel goes through
    Rectangle,        // "사각영역표시"
    SegmentDistance,  // "선분사이거리": two segments and the shortest one between them
    Circle,           // "원영역표시": centre, then a point on the rim
    Angle,            // "사이각표시": end of the first arm, vertex, end of the second arm
    Point,            // "점"
    SelectModify,     // "선택과수정"
    Polyline,
    Polygon,
    Text,
    Standard,         // the segment that defines a new standard (nothing is added)
};

struct MeasureToolInfo {
    MeasureTool tool;
    int id;             // command id
    const char* label;  // as the tools dialog and the menu show it
};
// Every tool with its command id and label, the tools dialog's eight first.
const std::vector<MeasureToolInfo>& MeasureToolTable();
const MeasureToolInfo* FindMeasureTool(int id);
const MeasureToolInfo* FindMeasureTool(MeasureTool tool);

inline constexpr int kCmdVectorUndo = 3165;
inline constexpr int kCmdVectorRedo = 3166;
inline constexpr int kCmdEndContinuous = 3306;
inline constexpr int kCmdMeasureSettings = 3453;
// The measurement commands beside the tools.
inline constexpr int kCmdStandards = 3421;    // the standards dialog "측정 기준"
inline constexpr int kCmdExportText = 3422;   // "MicroMeasure.txt"
inline constexpr int kCmdExportCsv = 3423;    // "MicroMeasure.csv"
inline constexpr int kCmdExportSheet = 3424;  // "엑셀로 변환"
inline constexpr int kCmdShowLabels = 3425;   // value labels shown or not
inline constexpr int kCmdScaleBar = 3426;     // "축척 막대...": add or edit a scale bar

struct MeasureCommandInfo {
    int id;
    const char* label;  // with the shortcut text after "\t"
    bool groupStart = false;
};
// The commands the view's measurement menu lists after the tools.
const std::vector<MeasureCommandInfo>& MeasureMenuCommands();
// The commands the measurement panel offers as buttons (the menu's, but the panel itself).
std::vector<MeasureCommandInfo> MeasurePanelCommands();

struct ToolOutcome {
    bool changed = false;                    // the sheet changed (one undo step)
    std::optional<MeasurePoint> standard;    // the standard tool's pixels across and down
    std::optional<MeasurePoint> textAt;      // the text tool wants a label here
    std::string message;                     // a refusal to show
};

class MeasureToolState {
public:
    void Choose(MeasureTool tool);
    MeasureTool Tool() const { return m_tool; }

    // `tolerance`: how near (picture pixels) a click must come to pick an object.
    ToolOutcome Press(MeasureSheet& sheet, MeasurePoint p, int tolerance = 5);
    void Drag(MeasureSheet& sheet, MeasurePoint p);
    ToolOutcome Release(MeasureSheet& sheet, MeasurePoint p);
    ToolOutcome DoubleClick(MeasureSheet& sheet, MeasurePoint p);
    // Enter finishes a polyline or polygon; Escape ends the continuous measurement;
    // Delete removes the chosen object.
    ToolOutcome Key(MeasureSheet& sheet, int key);
    // Drops the unfinished object and disarms the tool.
    void EndContinuous();

    // Drawn over the picture while the user works: the unfinished points (kind and
    // points), and the chosen object as it is being moved.
    const std::vector<MeasurePoint>& Pending() const { return m_pending; }
    int Selected() const { return m_selected; }
    void ClearSelection() { m_selected = -1; }
    const std::optional<MeasureObject>& Moving() const { return m_moving; }

    static constexpr int kKeyEnter = 13;
    static constexpr int kKeyEscape = 27;
    static constexpr int kKeyDelete = 46;

private:
    ToolOutcome Complete(MeasureSheet& sheet);
    int PointsNeeded() const;

    MeasureTool m_tool = MeasureTool::None;
    std::vector<MeasurePoint> m_pending;
    bool m_pressed = false;
    int m_selected = -1;
    int m_grabbedPoint = -1;  // -1: the whole object moves
    MeasurePoint m_grabAt;
    std::optional<MeasureObject> m_moving;
};

// Distance in picture pixels from `p` to the drawn shape of the object.
double DistanceToObject(const MeasureObject& object, MeasurePoint p);
// The topmost object within `tolerance` of `p`, -1 when none.
int HitTest(const std::vector<MeasureObject>& objects, MeasurePoint p, int tolerance);
// The shortest segment between segments a0-a1 and b0-b1 (ends rounded to pixels).
std::pair<MeasurePoint, MeasurePoint> ShortestConnection(MeasurePoint a0, MeasurePoint a1, MeasurePoint b0,
                                                         MeasurePoint b1);
// The points of an object of the kind from points given as the batch tool and the
// tools give them; nullopt when the count does not fit the kind.
std::optional<MeasureObject> MakeObject(MeasureKind kind, std::vector<MeasurePoint> points, std::string text = {});
