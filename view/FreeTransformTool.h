// "자유 변형" (3338), a tool: choosing it shows the current layer's four corners as
// handles in the view; pressing within 8 view pixels of a handle takes it, dragging
// moves it (the corners must keep a convex shape), and on release the layer is shown
// mapped onto the new shape by the projective map that takes its rectangle to it,
// from the working copy. Enter (13) keeps the result as the step "자유 변형"; Esc (27),
// choosing another tool or running another command brings the layer back as it was.
// Text layers and palette canvases are refused.
#pragma once

#include <array>

#include "Document.h"
#include "Status.h"

Status ChooseFreeTransform(COrinDoc* doc, Workspace& ws, int id);
Status FreeTransformPress(COrinDoc& doc, int viewX, int viewY);
Status FreeTransformDrag(COrinDoc& doc, int viewX, int viewY);
Status FreeTransformRelease(COrinDoc& doc, int viewX, int viewY);
Status FreeTransformKey(COrinDoc& doc, int key);
// Brings the layer back as it was and hides the handles (nothing when none are shown).
void CancelFreeTransform(COrinDoc& doc);

// The corners in view coordinates (zoomed picture, y down) for drawing the outline;
// false when no free transform is under way.
struct ViewCorner {
    double x = 0, y = 0;
};
bool FreeTransformOutline(const COrinDoc& doc, std::array<ViewCorner, 4>& corners);
