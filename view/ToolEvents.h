// The tool events of ToolRouter.h with their outcome: a refusal comes back as a failed
// Status carrying the system's message (the router shows it to the host; the batch
// tool prints it and fails). Points are view points; the current tool decides.
#pragma once

#include "Document.h"
#include "Status.h"
#include "ToolRouter.h"

Status ToolPress(COrinDoc& doc, int viewX, int viewY);
// Drag actions run only when `flags` is exactly the left-button flag.
Status ToolDrag(COrinDoc& doc, int viewX, int viewY, unsigned flags);
Status ToolRelease(COrinDoc& doc, int viewX, int viewY);
Status ToolDoubleClickAt(COrinDoc& doc, int viewX, int viewY);
Status ToolKey(COrinDoc& doc, int key, unsigned flags);
// The tool's own command (tool bar or menu): 1344 refuses text layers, 1352 sets the
// inclusion limit to 10, 1353 clears its anchors, 3327/3344 start the colour range,
// 1420 zooms at once or becomes the zoom tool, the others become the current tool.
Status ChooseToolCommand(COrinDoc* doc, Workspace& workspace, int toolId);
