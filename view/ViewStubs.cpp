#include "LayerCoordinates.h"
#include "ToolRouter.h"
#include "ViewGeometry.h"

WindowRect PictureRect(COrinDoc&, const WindowRect& client) { return client; }
bool WindowToView(COrinDoc&, const WindowRect&, int&, int&) { return false; }
bool ZoomIn(COrinDoc&, int, int) { return false; }
bool ZoomOut(COrinDoc&) { return false; }
bool ZoomActualSize(COrinDoc&) { return false; }
bool CanZoomIn(const COrinDoc&) { return false; }
bool CanZoomOut(const COrinDoc&) { return false; }
bool CanZoomActualSize(const COrinDoc&) { return false; }
ScrollState RescrollAfterZoom(const COrinDoc&, const ScrollState& old, int, int) { return old; }
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
