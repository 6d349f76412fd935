#include "LayerCoordinates.h"
#include "ToolRouter.h"

LayerPoint ViewToLayer(COrinDoc&, int x, int y, bool, bool) { return {x, y}; }
LayerPoint ViewToLayerOf(const COrinDoc&, int, int x, int y) { return {x, y}; }
void ToolMouseDown(COrinDoc&, int, int, unsigned) {}
void ToolMouseMove(COrinDoc&, int, int, unsigned) {}
void ToolMouseUp(COrinDoc&, int, int) {}
void ToolDoubleClick(COrinDoc&, int, int) {}
void ToolKeyDown(COrinDoc&, int, unsigned) {}
void ToolKeyUp(COrinDoc&, int, int) {}
void ChooseTool(COrinDoc*, Workspace&, int) {}
void OutlineTimerTick(COrinDoc&) {}
