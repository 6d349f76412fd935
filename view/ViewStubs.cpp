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
