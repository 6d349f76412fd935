#include "ToolRouter.h"

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "Gradient.h"
#include "PaintTools.h"
#include "Selection.h"
#include "SimilarArea.h"
#include "ToolEvents.h"
#include "ViewGeometry.h"

namespace {

constexpr unsigned kShiftRepeatFlags = 0x402A;
constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

// A newly chosen tool starts without the previous tool's stroke.
void ForgetStroke(COrinDoc& doc) {
    ViewState& v = doc.view;
    v.strokeX = v.strokeY = v.lastX = v.lastY = -1;
    v.polyPrevX = v.polyPrevY = -1;
    v.moveLastX = v.moveLastY = -1;
}

// Tools that paint through the mask.
bool PaintsThroughTheMask(int id) {
    switch (id) {
    case kCmdSpray: case kCmdBrush: case kCmdDot: case kCmdFill: case kCmdGradient: case kCmdWaterDrop:
    case kCmdEraser: case kCmdLine: case kCmdPolyline: case kCmdCircle: case kCmdMove:
        return true;
    default:
        return false;
    }
}

}  // namespace

Status ToolPress(COrinDoc& doc, int x, int y) {
    if (doc.IsEmpty()) return Status::Ok();
    switch (doc.workspace.currentTool) {
    case kCmdRectSelect: return RectSelectPress(doc, x, y);
    case kCmdFreeSelect: FreeSelectPress(doc, x, y); return Status::Ok();
    case kCmdAutoSelect: return AutoSelectPress(doc, x, y);
    case kCmdPolygonSelect: PolygonSelectPress(doc, x, y); return Status::Ok();
    case kCmdSpray: return SprayAt(doc, x, y, true);
    case kCmdBrush: return StrokePress(doc, 0, x, y);
    case kCmdDot: return DotAt(doc, x, y);
    case kCmdFill: return FillAt(doc, x, y);
    case kCmdGradient: return GradientPress(doc, x, y);
    case kCmdWaterDrop: return WaterDropAt(doc, x, y, true);
    case kCmdEraser: return StrokePress(doc, 1, x, y);
    case kCmdLine: return LinePress(doc, x, y);
    case kCmdPolyline: return PolylinePress(doc, x, y);
    case kCmdCircle: return CirclePress(doc, x, y);
    case kCmdColourPick: return ColourPickAt(doc, x, y);
    case kCmdMove: return MovePress(doc, x, y);
    case kCmdZoomIn: ZoomIn(doc, x, y); return Status::Ok();
    case kCmdColourRangePick: ColourRangePick(doc, x, y); return Status::Ok();
    default: return Status::Ok();
    }
}

Status ToolDrag(COrinDoc& doc, int x, int y, unsigned flags) {
    if (doc.IsEmpty() || flags != kMouseLeft) return Status::Ok();
    switch (doc.workspace.currentTool) {
    case kCmdRectSelect: RectSelectDrag(doc, x, y); return Status::Ok();
    case kCmdFreeSelect: FreeSelectDrag(doc, x, y); return Status::Ok();
    case kCmdSpray: return SprayAt(doc, x, y, false);
    case kCmdBrush: return StrokeDrag(doc, 0, x, y);
    case kCmdGradient: return GradientDrag(doc, x, y);
    case kCmdWaterDrop: return WaterDropAt(doc, x, y, false);
    case kCmdEraser: return StrokeDrag(doc, 1, x, y);
    case kCmdLine: return LineDrag(doc, x, y);
    case kCmdCircle: return CircleDrag(doc, x, y);
    case kCmdMove: return MoveDrag(doc, x, y);
    default: return Status::Ok();
    }
}

Status ToolRelease(COrinDoc& doc, int x, int y) {
    if (doc.IsEmpty()) return Status::Ok();
    switch (doc.workspace.currentTool) {
    case kCmdRectSelect: RectSelectRelease(doc, x, y); return Status::Ok();
    case kCmdFreeSelect: FreeSelectRelease(doc, x, y); return Status::Ok();
    case kCmdSpray: return SprayRelease(doc);
    case kCmdBrush: return StrokeRelease(doc, 0);
    case kCmdGradient: return GradientRelease(doc, x, y);
    case kCmdWaterDrop: return WaterDropRelease(doc);
    case kCmdEraser: return StrokeRelease(doc, 1);
    case kCmdLine: return LineRelease(doc, x, y);
    case kCmdCircle: return CircleRelease(doc, x, y);
    case kCmdMove: return MoveRelease(doc);
    default: return Status::Ok();
    }
}

Status ToolDoubleClickAt(COrinDoc& doc, int x, int y) {
    if (doc.IsEmpty()) return Status::Ok();
    SelectionDoubleClick(doc, doc.workspace.currentTool, x, y);
    return Status::Ok();
}

Status ToolKey(COrinDoc& doc, int key, unsigned flags) {
    doc.view.addToSelection = flags == kShiftRepeatFlags;
    if (doc.IsEmpty() || doc.workspace.currentTool != kCmdMove) return Status::Ok();
    switch (key) {
    case kKeyLeft: return MoveLayerBy(doc, -1, 0);
    case kKeyUp: return MoveLayerBy(doc, 0, -1);
    case kKeyRight: return MoveLayerBy(doc, 1, 0);
    case kKeyDown: return MoveLayerBy(doc, 0, 1);
    default: return Status::Ok();
    }
}

Status ChooseToolCommand(COrinDoc* doc, Workspace& ws, int id) {
    if (doc && doc->IsEmpty()) doc = nullptr;
    switch (id) {
    case kCmdAutoSelect:
        if (doc) return ChooseAutoSelect(*doc);
        ws.previousTool = ws.currentTool;
        ws.currentTool = id;
        ws.outlineKind = 2;
        ws.inclusionLimit = 25;
        return Status::Ok();
    case kCmdGradient:
        if (doc) return ChooseGradient(*doc);
        ws.currentTool = id;
        return Status::Ok();
    case kCmdColourRange:
    case kCmdColourRangePick:
        if (doc) return ColourRangeCommand(*doc);
        ws.currentTool = ws.previousTool = kCmdColourRangePick;
        return Status::Ok();
    case kCmdZoomIn:
        // While a free or polygon boundary is being drawn the zoom happens at once.
        if (doc && (ws.currentTool == kCmdFreeSelect || (ws.currentTool == kCmdPolygonSelect && !doc->selection.shown))) {
            ZoomIn(*doc);
            return Status::Ok();
        }
        ws.currentTool = id;
        return Status::Ok();
    case kCmdFill:
        ws.inclusionLimit = 10;
        break;
    default:
        break;
    }
    if (doc && ws.currentTool != id) ForgetStroke(*doc);
    // Auto select and the colour range clear the mask before anything is selected;
    // a painting tool chosen then must not find every pixel locked: without a shown
    // selection every mask byte is 1.
    if (doc && PaintsThroughTheMask(id) && !doc->selection.shown) {
        RefitMask(*doc);
        SetMaskBytes(*doc, 1);
    }
    ws.currentTool = id;
    return Status::Ok();
}

void ToolMouseDown(COrinDoc& doc, int x, int y, unsigned flags) { Report(doc, ToolPress(doc, x, y)); }

void ToolMouseMove(COrinDoc& doc, int x, int y, unsigned flags) { Report(doc, ToolDrag(doc, x, y, flags)); }

void ToolMouseUp(COrinDoc& doc, int x, int y) { Report(doc, ToolRelease(doc, x, y)); }

void ToolDoubleClick(COrinDoc& doc, int x, int y) { Report(doc, ToolDoubleClickAt(doc, x, y)); }

void ToolKeyDown(COrinDoc& doc, int key, unsigned flags) { Report(doc, ToolKey(doc, key, flags)); }

void ToolKeyUp(COrinDoc& doc, int key, int repeatCount) {
    if (repeatCount == 1) doc.view.addToSelection = false;
}

void ChooseTool(COrinDoc* doc, Workspace& workspace, int toolId) {
    const Status s = ChooseToolCommand(doc, workspace, toolId);
    if (!s && !s.message.empty()) workspace.Message(s.message);
}

void AddToolOperations(OperationTable& table) {
    static const struct {
        int id;
        const char* key;
        const char* label;
    } tools[] = {
        {kCmdRectSelect, "rect-select", "사각선택"},   {kCmdFreeSelect, "free-select", "자유선택"},
        {kCmdAutoSelect, "auto-select", "자동선택"},   {kCmdPolygonSelect, "polygon-select", "다각형선택"},
        {kCmdSpray, "spray", "스프레이"},             {kCmdBrush, "brush", "붓 그리기"},
        {kCmdDot, "dot", "점찍기"},                   {kCmdFill, "fill", "채우기"},
        {kCmdGradient, "gradient", "그라디언트"},      {kCmdWaterDrop, "water-drop", "물방울"},
        {kCmdEraser, "eraser", "지우개"},             {kCmdLine, "line", "선분"},
        {kCmdPolyline, "polyline", "다각선"},          {kCmdCircle, "circle", "원 그리기"},
        {kCmdColourPick, "colour-pick", "스포이드"},   {kCmdMove, "move-tool", "이동"},
        {kCmdColourRange, "colour-range", "색상범위지정 선택"},
        {kCmdColourRangePick, "colour-range-pick", "색상범위지정 선택"},
        {kCmdZoomIn, "zoom-in", "확대"},
    };
    for (const auto& t : tools) {
        Operation op;
        op.id = t.id;
        op.menuId = FindCommand(t.id) ? t.id : 0;
        op.key = t.key;
        op.label = t.label;
        op.run = [id = t.id](COrinDoc& doc, const OpValues&) { return ChooseToolCommand(&doc, doc.workspace, id); };
        table.Add(std::move(op));
    }
}

void OutlineTimerTick(COrinDoc& doc) {
    if (doc.view.timerSuspended || doc.busy || doc.IsEmpty()) return;
    RedrawSelectionOutline(doc);
}
