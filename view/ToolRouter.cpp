#include "TextLayer.h"
#include "ToolRouter.h"

#include "AlphaCommands.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "LayerCoordinates.h"
#include "PaintTools.h"
#include "Selection.h"
#include "ToolEvents.h"
#include "Tools.h"
#include "ViewState.h"

namespace {

constexpr unsigned kShiftRepeatFlags = 0x402A;
constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

// The current tool's handler for one kind of event, null when it has none.
ToolEvent Handler(const COrinDoc& doc, ToolEvent Tool::*event) {
    const Tool* tool = FindTool(doc.workspace.currentTool);
    return tool ? tool->*event : nullptr;
}

}  // namespace

Status ToolPress(COrinDoc& doc, int x, int y) {
    const ToolEvent press = Handler(doc, &Tool::press);
    return doc.IsEmpty() || !press ? Status::Ok() : press(doc, x, y);
}

Status ToolDrag(COrinDoc& doc, int x, int y, unsigned flags) {
    const ToolEvent drag = Handler(doc, &Tool::drag);
    return doc.IsEmpty() || flags != kMouseLeft || !drag ? Status::Ok() : drag(doc, x, y);
}

Status ToolRelease(COrinDoc& doc, int x, int y) {
    const ToolEvent release = Handler(doc, &Tool::release);
    return doc.IsEmpty() || !release ? Status::Ok() : release(doc, x, y);
}

Status ToolDoubleClickAt(COrinDoc& doc, int x, int y) {
    if (doc.IsEmpty()) return Status::Ok();
    SelectionDoubleClick(doc, doc.workspace.currentTool, x, y);
    TextDoubleClick(doc, x, y);
    return Status::Ok();
}

Status ToolKey(COrinDoc& doc, int key, unsigned flags) {
    ViewOf(doc).addToSelection = flags == kShiftRepeatFlags;
    if (doc.IsEmpty()) return Status::Ok();
    if (const Tool* tool = FindTool(doc.workspace.currentTool); tool && tool->onKey) return tool->onKey(doc, key);
    if (doc.workspace.currentTool != kCmdMove) return Status::Ok();
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
    if (doc && ws.currentTool != id) LeaveCurrentTool(*doc);
    const Tool* tool = FindTool(id);
    return tool && tool->choose ? tool->choose(doc, ws, id) : BecomeCurrentTool(doc, ws, id);
}

void ToolMouseDown(COrinDoc& doc, int x, int y, unsigned flags) {
    // "Set Transparency" takes the next click, whatever the tool.
    if (doc.setTransparency) {
        const LayerPoint p = ViewToLayerOf(doc, doc.layers.current, x, y);
        Report(doc, PickTransparentColour(doc, p.x, p.y));
        doc.setTransparency = 2;
        return;
    }
    // Shift held at the click adds to the automatic selection. Modifier keys do not
    // repeat on X11 or Wayland, so the key-repeat path alone never sees it.
    ViewOf(doc).addToSelection = (flags & kMouseShift) != 0;
    Report(doc, ToolPress(doc, x, y));
}

void ToolMouseMove(COrinDoc& doc, int x, int y, unsigned flags) {
    if (doc.setTransparency == 2) return;
    Report(doc, ToolDrag(doc, x, y, flags));
}

void ToolMouseUp(COrinDoc& doc, int x, int y) {
    if (doc.setTransparency == 2) {
        doc.setTransparency = 0;
        return;
    }
    Report(doc, ToolRelease(doc, x, y));
}

void ToolDoubleClick(COrinDoc& doc, int x, int y) { Report(doc, ToolDoubleClickAt(doc, x, y)); }

void ToolKeyDown(COrinDoc& doc, int key, unsigned flags) { Report(doc, ToolKey(doc, key, flags)); }

void ToolKeyUp(COrinDoc& doc, int key, int repeatCount) {
    if (repeatCount == 1) ViewOf(doc).addToSelection = false;
}

void ChooseTool(COrinDoc* doc, Workspace& workspace, int toolId) {
    const Status s = ChooseToolCommand(doc, workspace, toolId);
    if (!s && !s.message.empty()) workspace.Message(s.message);
}

void AddToolOperations(OperationTable& table) {
    for (const Tool& t : Tools()) {
        if (table.Find(t.id)) continue;  // an operation of its own stands for it (the text tool's "text")
        Operation op;
        op.id = t.id;
        op.menuId = FindCommand(t.id) ? t.id : 0;
        op.key = t.key;
        op.label = FindCommand(t.id) ? MenuText(*FindCommand(t.id)) : t.label;
        op.run = [id = t.id](COrinDoc& doc, const OpValues&) { return ChooseToolCommand(&doc, doc.workspace, id); };
        table.Add(std::move(op));
    }
}

void OutlineTimerTick(COrinDoc& doc) {
    if (doc.outlinePauses > 0 || doc.busy || doc.IsEmpty()) return;
    RedrawSelectionOutline(doc);
}
