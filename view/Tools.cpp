#include "Tools.h"

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "FreeTransformTool.h"
#include "Gradient.h"
#include "PaintPrimitives.h"
#include "PaintTools.h"
#include "Selection.h"
#include "SimilarArea.h"
#include "TextLayer.h"
#include "ViewGeometry.h"
#include "ViewState.h"

namespace {

Status Done() { return Status::Ok(); }

// A new tool starts without the previous tool's stroke.
void ForgetStroke(COrinDoc& doc) {
    ViewState& v = ViewOf(doc);
    v.strokeX = v.strokeY = v.lastX = v.lastY = -1;
    v.polyPrevX = v.polyPrevY = -1;
    v.moveLastX = v.moveLastY = -1;
    v.strokePause.reset();
}

Status ChooseAuto(COrinDoc* doc, Workspace& ws, int id) {
    if (doc) return ChooseAutoSelect(*doc);
    ws.previousTool = ws.currentTool;
    ws.currentTool = id;
    ws.outlineKind = 2;
    ws.inclusionLimit = 25;
    return Done();
}

Status ChooseGradientTool(COrinDoc* doc, Workspace& ws, int id) {
    if (doc) return ChooseGradient(*doc);
    ws.currentTool = id;
    return Done();
}

Status ChooseColourRange(COrinDoc* doc, Workspace& ws, int) {
    if (doc) return ColourRangeCommand(*doc);
    ws.currentTool = ws.previousTool = kCmdColourRangePick;
    return Done();
}

Status ChooseZoom(COrinDoc* doc, Workspace& ws, int id) {
    // While a free or polygon boundary is being drawn the zoom happens at once.
    if (doc && (ws.currentTool == kCmdFreeSelect || (ws.currentTool == kCmdPolygonSelect && !doc->selection.shown))) {
        ZoomIn(*doc);
        return Done();
    }
    ws.currentTool = id;
    return Done();
}

Status ChooseFill(COrinDoc* doc, Workspace& ws, int id) {
    ws.inclusionLimit = 10;
    return BecomeCurrentTool(doc, ws, id);
}

constexpr bool kMask = true, kPaint = true, kSelect = true, kWait = true;

}  // namespace

const std::vector<Tool>& Tools() {
    using B = ToolBarGroup;
    using C = ToolCursor;
    static const std::vector<Tool> table = {
        {kCmdMove, "move-tool", "이동", B::kSelection, kMask, !kPaint, !kSelect, !kWait, C::kMove,
         MovePress, MoveDrag, [](COrinDoc& d, int, int) { return MoveRelease(d); }, nullptr},
        {kCmdRectSelect, "rect-select", "사각선택", B::kSelection, !kMask, !kPaint, !kSelect, !kWait, C::kDefault,
         RectSelectPress,
         [](COrinDoc& d, int x, int y) { return RectSelectDrag(d, x, y), Done(); },
         [](COrinDoc& d, int x, int y) { return RectSelectRelease(d, x, y), Done(); }, nullptr},
        {kCmdPolygonSelect, "polygon-select", "다각형선택", B::kSelection, !kMask, !kPaint, kSelect, !kWait,
         C::kDefault, [](COrinDoc& d, int x, int y) { return PolygonSelectPress(d, x, y), Done(); }, nullptr, nullptr,
         nullptr},
        {kCmdFreeSelect, "free-select", "자유선택", B::kSelection, !kMask, !kPaint, kSelect, !kWait, C::kDefault,
         [](COrinDoc& d, int x, int y) { return FreeSelectPress(d, x, y), Done(); },
         [](COrinDoc& d, int x, int y) { return FreeSelectDrag(d, x, y), Done(); },
         [](COrinDoc& d, int x, int y) { return FreeSelectRelease(d, x, y), Done(); }, nullptr},
        {kCmdAutoSelect, "auto-select", "자동선택", B::kSelection, !kMask, !kPaint, kSelect, !kWait, C::kDefault,
         AutoSelectPress, nullptr, nullptr, ChooseAuto},
        {kCmdBrush, "brush", "붓 그리기", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault,
         [](COrinDoc& d, int x, int y) { return StrokePress(d, kDabPaint, x, y); },
         [](COrinDoc& d, int x, int y) { return StrokeDrag(d, kDabPaint, x, y); },
         [](COrinDoc& d, int, int) { return StrokeRelease(d, kDabPaint); }, nullptr},
        {kCmdLine, "line", "선분", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault, LinePress, LineDrag,
         LineRelease, nullptr},
        {kCmdCircle, "circle", "원 그리기", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault, CirclePress,
         CircleDrag, CircleRelease, nullptr},
        {kCmdPolyline, "polyline", "다각선", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault,
         PolylinePress, nullptr, nullptr, nullptr},
        {kCmdSpray, "spray", "스프레이", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault,
         [](COrinDoc& d, int x, int y) { return SprayAt(d, x, y, true); },
         [](COrinDoc& d, int x, int y) { return SprayAt(d, x, y, false); },
         [](COrinDoc& d, int, int) { return SprayRelease(d); }, nullptr},
        {kCmdEraser, "eraser", "지우개", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault,
         [](COrinDoc& d, int x, int y) { return StrokePress(d, kDabErase, x, y); },
         [](COrinDoc& d, int x, int y) { return StrokeDrag(d, kDabErase, x, y); },
         [](COrinDoc& d, int, int) { return StrokeRelease(d, kDabErase); }, nullptr},
        {kCmdFill, "fill", "채우기", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDefault, FillAt, nullptr,
         nullptr, ChooseFill},
        {kCmdWaterDrop, "water-drop", "물방울", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kWaterDrop,
         [](COrinDoc& d, int x, int y) { return WaterDropAt(d, x, y, true); },
         [](COrinDoc& d, int x, int y) { return WaterDropAt(d, x, y, false); },
         [](COrinDoc& d, int, int) { return WaterDropRelease(d); }, nullptr},
        {kCmdGradient, "gradient", "그라디언트", B::kPainting, kMask, kPaint, !kSelect, kWait, C::kDefault,
         GradientPress, GradientDrag, GradientRelease, ChooseGradientTool},
        {kCmdText, "text-tool", "글자입력", B::kPainting, !kMask, !kPaint, !kSelect, !kWait, C::kText, TextToolPress,
         nullptr, nullptr, nullptr},
        {kCmdDot, "dot", "점찍기", B::kPainting, kMask, kPaint, !kSelect, !kWait, C::kDot, DotAt, nullptr, nullptr,
         nullptr},
        {kCmdColourPick, "colour-pick", "스포이드", B::kPainting, !kMask, !kPaint, !kSelect, !kWait, C::kColourPick,
         ColourPickAt, nullptr, nullptr, nullptr},
        {kCmdColourRange, "colour-range", "색상범위지정 선택", B::kNone, !kMask, !kPaint, !kSelect, !kWait,
         C::kColourPick, nullptr, nullptr, nullptr, ChooseColourRange},
        {kCmdColourRangePick, "colour-range-pick", "색상범위지정", B::kNone, !kMask, !kPaint, !kSelect, !kWait,
         C::kColourPick, [](COrinDoc& d, int x, int y) { return ColourRangePick(d, x, y), Done(); }, nullptr, nullptr,
         ChooseColourRange},
        {kCmdZoomIn, "zoom-in", "확대", B::kNone, !kMask, !kPaint, !kSelect, !kWait, C::kZoom,
         [](COrinDoc& d, int x, int y) { return ZoomIn(d, x, y), Done(); }, nullptr, nullptr, ChooseZoom},
        {kCmdFreeTransform, "free-transform", "자유 변형", B::kNone, !kMask, !kPaint, !kSelect, kWait, C::kDefault,
         FreeTransformPress, FreeTransformDrag, FreeTransformRelease, ChooseFreeTransform, FreeTransformKey,
         CancelFreeTransform},
    };
    return table;
}

void LeaveCurrentTool(COrinDoc& doc) {
    const Tool* tool = FindTool(doc.workspace.currentTool);
    if (tool && tool->leave) tool->leave(doc);
}

const Tool* FindTool(int id) {
    for (const Tool& t : Tools())
        if (t.id == id) return &t;
    return nullptr;
}

Status BecomeCurrentTool(COrinDoc* doc, Workspace& ws, int id) {
    const Tool* tool = FindTool(id);
    if (doc && ws.currentTool != id) ForgetStroke(*doc);
    // Auto select and the colour range clear the mask before anything is selected;
    // a painting tool chosen then must not find every pixel locked: without a shown
    // selection every mask byte is 1.
    if (doc && tool && tool->paintsThroughMask && !doc->selection.shown) {
        RefitMask(*doc);
        SetMaskBytes(*doc, 1);
    }
    ws.currentTool = id;
    return Status::Ok();
}
