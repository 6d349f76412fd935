// The ring the view shows around the pointer of a brush tool.
#pragma once

#include "Workspace.h"

// The radius in picture pixels of the round dab a press of the current tool paints
// (brush and eraser at the brush size, whose rings stop at 25; the spray's 20), 0 for
// a tool that paints no round dab or a brush of one pixel.
int BrushOutlineRadius(const Workspace& ws);
