#include "ViewGeometry.h"
#include "ViewState.h"

#include <algorithm>

namespace {

constexpr float kMaxZoom = 16.0f;
constexpr float kMinZoom = 0.0625f;       // the step itself refuses below this
constexpr float kMinMenuZoom = 0.125f;    // the zoom-out command is disabled here already

int Zoomed(int size, float zoom) { return int(float(size) * zoom); }  // truncation toward zero

// Every stored anchor point scales with the picture; -1 marks an unset coordinate.
void RescaleAnchors(ViewState& v, bool doubling) {
    int32_t* const coordinates[] = {&v.strokeX,   &v.strokeY,   &v.lastX,     &v.lastY,    &v.polyFirstX,
                                    &v.polyFirstY, &v.polyPrevX, &v.polyPrevY, &v.rectEndX, &v.rectEndY,
                                    &v.moveLastX, &v.moveLastY, &v.gradEndX,  &v.gradEndY};
    for (int32_t* c : coordinates)
        if (*c != -1) *c = doubling ? *c * 2 : *c / 2;
}

// One axis of the rescroll: the anchor's (or the old position's) fraction of the old
// range, carried into the new range and centred in the client extent.
int RescrollAxis(int oldPos, int oldRange, int newRange, int anchor, int client) {
    double fraction = double(anchor != -1 ? anchor : oldPos) / double(oldRange);
    if (fraction < 0) fraction = 0;
    const int limit = std::max(0, newRange - client);
    int pos = std::min(int(double(newRange) * fraction), limit);
    if (anchor != -1) {
        // At the end of the range the anchor stays in view from the other side.
        if (pos == limit) pos += client / 2;
        else pos -= client / 2;
    }
    return std::clamp(pos, 0, limit);
}

}  // namespace

WindowRect PictureRect(COrinDoc& doc, const WindowRect& client) {
    ViewState& v = ViewOf(doc);
    const int zoomedWidth = Zoomed(doc.canvas.width, v.zoom);
    const int zoomedHeight = Zoomed(doc.canvas.height, v.zoom);
    const int clientWidth = client.right - client.left + 1;
    const int clientHeight = client.bottom - client.top + 1;
    WindowRect r;
    int width = clientWidth, height = clientHeight;
    r.left = (clientWidth - zoomedWidth) / 2;
    if (r.left >= 0) {
        width = zoomedWidth;
        v.scrollH = 0;
    } else {
        r.left = 0;
    }
    r.top = (clientHeight - zoomedHeight) / 2;
    if (r.top >= 0) {
        height = zoomedHeight;
        v.scrollV = 0;
    } else {
        r.top = 0;
    }
    r.right = r.left + width - 1;
    r.bottom = r.top + height - 1;
    v.display[0] = client.left;
    v.display[1] = client.top;
    v.display[2] = client.right;
    v.display[3] = client.bottom;
    return r;
}

bool WindowToView(COrinDoc& doc, const WindowRect& client, int& x, int& y) {
    const WindowRect r = PictureRect(doc, client);
    bool clamped = false;
    if (x < r.left || x > r.right || y < r.top || y > r.bottom) {
        x = std::clamp(x, r.left, std::max(r.left, r.right));
        y = std::clamp(y, r.top, std::max(r.top, r.bottom));
        clamped = true;
    }
    x += ViewOf(doc).scrollH - r.left;
    y += ViewOf(doc).scrollV - r.top;
    return clamped;
}

bool CanZoomIn(const COrinDoc& doc) { return !ViewOf(doc).stretch && ViewOf(doc).zoom < kMaxZoom; }
bool CanZoomOut(const COrinDoc& doc) { return !ViewOf(doc).stretch && ViewOf(doc).zoom > kMinMenuZoom; }
bool CanZoomActualSize(const COrinDoc& doc) { return !ViewOf(doc).stretch && ViewOf(doc).zoom != 1.0f; }

bool ZoomIn(COrinDoc& doc, int anchorX, int anchorY) {
    ViewState& v = ViewOf(doc);
    if (v.stretch || v.zoom >= kMaxZoom) return false;
    v.zoom *= 2.0f;
    doc.Touch();
    RescaleAnchors(v, true);
    v.zoomAnchorX = anchorX;
    v.zoomAnchorY = anchorY;
    return true;
}

bool ZoomOut(COrinDoc& doc) {
    ViewState& v = ViewOf(doc);
    if (v.stretch || v.zoom <= kMinZoom) return false;
    v.zoom *= 0.5f;
    doc.Touch();
    RescaleAnchors(v, false);
    v.zoomAnchorX = v.zoomAnchorY = -1;
    return true;
}

float FitZoom(int width, int height, int roomWidth, int roomHeight) {
    float zoom = kMaxZoom;
    while (zoom > kMinZoom && (double(width) * zoom > roomWidth || double(height) * zoom > roomHeight)) zoom *= 0.5f;
    return zoom;
}

bool ZoomActualSize(COrinDoc& doc) {
    if (!CanZoomActualSize(doc)) return false;
    ViewOf(doc).zoom = 1.0f;
    doc.Touch();
    return true;
}

ScrollState RescrollAfterZoom(const COrinDoc& doc, const ScrollState& old, int clientWidth, int clientHeight) {
    const ViewState& v = ViewOf(doc);
    ScrollState next;
    next.rangeWidth = Zoomed(doc.canvas.width, v.zoom);
    next.rangeHeight = Zoomed(doc.canvas.height, v.zoom);
    if (old.rangeWidth > 0 && old.rangeHeight > 0) {
        next.posX = RescrollAxis(old.posX, old.rangeWidth, next.rangeWidth, v.zoomAnchorX, clientWidth);
        next.posY = RescrollAxis(old.posY, old.rangeHeight, next.rangeHeight, v.zoomAnchorY, clientHeight);
    } else {
        next.posX = std::clamp(old.posX, 0, std::max(0, next.rangeWidth - clientWidth));
        next.posY = std::clamp(old.posY, 0, std::max(0, next.rangeHeight - clientHeight));
    }
    return next;
}
