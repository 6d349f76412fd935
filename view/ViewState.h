// The state of the windows on a document that the tools and the coordinate math read:
// zoom, scroll position, client area, the anchor points of the stroke under way (view
// coordinates; -1 means unset), the free transform's handles and the outline pauses a
// tool holds. The document keeps it without knowing what is in it; ViewOf makes it on
// first use.
#pragma once

#include <cstdint>
#include <memory>

#include "Document.h"

class OutlinePause;

struct ViewState {
    float zoom = 1.0f;
    bool stretch = false;
    int32_t scrollV = 0;
    int32_t scrollH = 0;
    int32_t display[4] = {0, 0, 0, 0};  // left, top, right, bottom of the client area
    int32_t zoomAnchorX = -1, zoomAnchorY = -1;
    bool addToSelection = false;
    bool keepFrameSize = false;
    int32_t strokeX = -1, strokeY = -1;      // stroke start / circle centre / gradient start
    int32_t lastX = -1, lastY = -1;          // last point
    int32_t polyFirstX = -1, polyFirstY = -1;
    int32_t polyPrevX = -1, polyPrevY = -1;
    int32_t rectEndX = -1, rectEndY = -1;
    int32_t moveLastX = -1, moveLastY = -1;
    int32_t gradEndX = -1, gradEndY = -1;
    // The free transform under way: the layer in `warpSlot` shown with its corners at
    // `warpCorners` (layer points, rows up: where its bottom-left, bottom-right,
    // top-right and top-left corners go, x and y in turn) and the corner held.
    bool warpShown = false;
    int32_t warpSlot = -1;
    int32_t warpHeld = -1;
    double warpCorners[8] = {};
    // The outline pauses a tool holds across mouse events (OutlinePause.h): from the
    // press to the release of a stroke, and while the free transform's handles are shown.
    std::shared_ptr<OutlinePause> strokePause;
    std::shared_ptr<OutlinePause> warpPause;
};

ViewState& ViewOf(COrinDoc& doc);
// A document whose state was never made reads the defaults.
const ViewState& ViewOf(const COrinDoc& doc);
