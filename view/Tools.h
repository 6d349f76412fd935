// The tool table: every mouse tool with the command that chooses it, its batch-tool key,
// whether it paints through the selection mask, its cursor, its place on the tool bar
// and its press, drag and release in view points (zoomed picture, y down). The router,
// the view widget, the main frame's menus and tool bar and the batch tool all read it.
#pragma once

#include <vector>

#include "Document.h"
#include "Status.h"

enum class ToolCursor { kDefault, kMove, kWaterDrop, kZoom, kDot, kColourPick, kText };
enum class ToolBarGroup { kNone, kSelection, kPainting };

// A mouse event of a tool; null: the event does nothing for it.
using ToolEvent = Status (*)(COrinDoc& doc, int x, int y);

struct Tool {
    int id;                   // the command that chooses it (a CommandId)
    const char* key;          // batch-tool key: "brush"
    const char* label;        // its text where no menu entry names it (the tool bar)
    ToolBarGroup bar;
    bool paintsThroughMask;   // chosen without a shown selection, every mask byte opens
    bool painting;            // the cross cursor while the button is down
    bool drawsSelection;      // draws a selection: repaints of an unchanged picture reuse the composite
    bool waitOnRelease;       // its release runs under the wait cursor (a whole-layer fill)
    ToolCursor cursor;
    ToolEvent press, drag, release;
    // What choosing it does besides becoming the current tool; null: only that
    // (ChooseToolCommand). `doc` is null when no picture is open.
    Status (*choose)(COrinDoc* doc, Workspace& ws, int id);
    // A key pressed while it is the current tool (13 Enter, 27 Esc); null: none.
    Status (*onKey)(COrinDoc& doc, int key) = nullptr;
    // What it leaves undone when another tool or command comes (a preview taken back).
    void (*leave)(COrinDoc& doc) = nullptr;
};

// Ends what the current tool has under way before another tool or command runs.
void LeaveCurrentTool(COrinDoc& doc);

// The table, in tool-bar order.
const std::vector<Tool>& Tools();
// The tool chosen by command `id`, null when `id` chooses none.
const Tool* FindTool(int id);

// The plain part of choosing a tool: a new tool starts without the previous tool's
// stroke, a painting tool without a shown selection finds every mask byte open, and it
// becomes the current tool.
Status BecomeCurrentTool(COrinDoc* doc, Workspace& ws, int id);
