// Mouse and keyboard input for the current tool (Workspace::currentTool), in view
// coordinates: the editor's view widget and the batch tool both deliver events here,
// and the tool's document operation runs. Messages (refusals) go to the host.
#pragma once

#include <string>

#include "Document.h"
#include "Operations.h"

// Key flags of a mouse event, as the platform gives them.
enum MouseKeyFlags : unsigned {
    kMouseLeft = 0x0001,
    kMouseRight = 0x0002,
    kMouseShift = 0x0004,
    kMouseControl = 0x0008,
};

void ToolMouseDown(COrinDoc& doc, int viewX, int viewY, unsigned flags = kMouseLeft);
// Drag actions run only when `flags` is exactly kMouseLeft.
void ToolMouseMove(COrinDoc& doc, int viewX, int viewY, unsigned flags = kMouseLeft);
void ToolMouseUp(COrinDoc& doc, int viewX, int viewY);
void ToolDoubleClick(COrinDoc& doc, int viewX, int viewY);
// Key codes as the platform's virtual keys: 37 left, 38 up, 39 right, 40 down, 27 Esc.
// `flags` carries the key-state bits (0x402A: left Shift, auto-repeating).
void ToolKeyDown(COrinDoc& doc, int key, unsigned flags);
void ToolKeyUp(COrinDoc& doc, int key, int repeatCount);

// Choosing a tool (menu or tool-bar press): runs the tool's own command; `doc` may be
// null when no picture is open.
void ChooseTool(COrinDoc* doc, Workspace& workspace, int toolId);

// Choosing each tool by its id, as its menu entry or tool-bar button does (keys such as
// "brush", "rect-select").
void AddToolOperations(OperationTable& table);

// One tick of the 400 ms selection outline timer (call only while OutlineRunning(doc)).
void OutlineTimerTick(COrinDoc& doc);
