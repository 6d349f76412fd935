#include "FreeTransformTool.h"

#include <cmath>

#include "CommandMap.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "Tools.h"
#include "ViewState.h"
#include "Warp.h"

namespace {

constexpr int kKeyEnter = 13, kKeyEscape = 27;
constexpr double kGrabDistance = 8;  // view pixels

std::array<WarpPoint, 4> Corners(const ViewState& v) {
    std::array<WarpPoint, 4> q;
    for (size_t i = 0; i < 4; ++i) q[i] = {v.warpCorners[2 * i], v.warpCorners[2 * i + 1]};
    return q;
}

void SetCorners(ViewState& v, const std::array<WarpPoint, 4>& q) {
    for (size_t i = 0; i < 4; ++i) {
        v.warpCorners[2 * i] = q[i].x;
        v.warpCorners[2 * i + 1] = q[i].y;
    }
}

// A view point as a point of the warped layer (continuous, rows up).
WarpPoint ViewToLayerPoint(const COrinDoc& doc, int viewX, int viewY) {
    const LayerRecord& layer = doc.layers[ViewOf(doc).warpSlot];
    const double zoom = ViewOf(doc).zoom > 0 ? ViewOf(doc).zoom : 1.0;
    return {viewX / zoom - layer.x, layer.y + doc.canvas.height - viewY / zoom};
}

// The free transform concerns the current layer still.
bool Active(const COrinDoc& doc) {
    return ViewOf(doc).warpShown && doc.layers.IsCurrentValid() && doc.layers.current == ViewOf(doc).warpSlot;
}

bool IsRectangle(const COrinDoc& doc) {
    const LayerRecord& layer = doc.layers[ViewOf(doc).warpSlot];
    const std::array<WarpPoint, 4> q = Corners(ViewOf(doc));
    const WarpPoint r[4] = {{0, 0}, {double(layer.width), 0}, {double(layer.width), double(layer.height)},
                            {0, double(layer.height)}};
    for (size_t i = 0; i < 4; ++i)
        if (q[i].x != r[i].x || q[i].y != r[i].y) return false;
    return true;
}

}  // namespace

void CancelFreeTransform(COrinDoc& doc) {
    ViewState& v = ViewOf(doc);
    if (!v.warpShown) return;
    if (IsValidSlot(v.warpSlot) && doc.layers[v.warpSlot].inUse) RestoreFromStore(doc, doc.working, v.warpSlot);
    v.warpShown = false;
    v.warpSlot = v.warpHeld = -1;
    v.warpPause.reset();
    MarkLayerChanged(doc);
}

Status ChooseFreeTransform(COrinDoc* doc, Workspace& ws, int id) {
    if (doc) CancelFreeTransform(*doc);
    if (Status s = BecomeCurrentTool(doc, ws, id); !s || !doc) return s;
    LayerRecord* layer = doc->CurrentLayer();
    if (!layer) return Status::Ok();
    if (Status s = RefuseTextLayer(*doc); !s) return s;
    if (LayerBits(*doc, *layer) != 24) return Status::Fail(msg::kRgbOnly);
    ViewState& v = ViewOf(*doc);
    v.warpPause = std::make_shared<OutlinePause>(*doc);
    RefreshWorkingCopy(*doc);  // every preview starts from the layer as it is now
    v.warpShown = true;
    v.warpSlot = doc->layers.current;
    v.warpHeld = -1;
    const double w = layer->width, h = layer->height;
    SetCorners(v, {{{0, 0}, {w, 0}, {w, h}, {0, h}}});
    MarkLayerChanged(*doc);
    return Status::Ok();
}

Status FreeTransformPress(COrinDoc& doc, int viewX, int viewY) {
    // After a cancel the tool stays chosen: a press shows the handles again.
    if (!ViewOf(doc).warpShown) return ChooseFreeTransform(&doc, doc.workspace, kCmdFreeTransform);
    if (!Active(doc)) return Status::Ok();
    std::array<ViewCorner, 4> view;
    FreeTransformOutline(doc, view);
    double best = kGrabDistance;
    ViewOf(doc).warpHeld = -1;
    for (int i = 0; i < 4; ++i) {
        const double d = std::hypot(view[size_t(i)].x - viewX, view[size_t(i)].y - viewY);
        if (d <= best) {
            best = d;
            ViewOf(doc).warpHeld = i;
        }
    }
    return Status::Ok();
}

Status FreeTransformDrag(COrinDoc& doc, int viewX, int viewY) {
    if (!Active(doc) || ViewOf(doc).warpHeld < 0) return Status::Ok();
    std::array<WarpPoint, 4> q = Corners(ViewOf(doc));
    q[size_t(ViewOf(doc).warpHeld)] = ViewToLayerPoint(doc, viewX, viewY);
    if (!IsConvexQuad(q)) return Status::Ok();  // the corner stays where it was
    SetCorners(ViewOf(doc), q);
    MarkLayerChanged(doc);
    return Status::Ok();
}

Status FreeTransformRelease(COrinDoc& doc, int viewX, int viewY) {
    if (!Active(doc) || ViewOf(doc).warpHeld < 0) return Status::Ok();
    FreeTransformDrag(doc, viewX, viewY);
    ViewOf(doc).warpHeld = -1;
    RestoreFromStore(doc, doc.working, ViewOf(doc).warpSlot);
    if (IsRectangle(doc)) return Status::Ok();
    return WarpToQuad(doc, *doc.CurrentLayer(), Corners(ViewOf(doc)));
}

Status FreeTransformKey(COrinDoc& doc, int key) {
    if (!ViewOf(doc).warpShown) return Status::Ok();
    if (key == kKeyEscape || !Active(doc)) {
        CancelFreeTransform(doc);
        return Status::Ok();
    }
    if (key != kKeyEnter) return Status::Ok();
    const bool changed = !IsRectangle(doc);
    ViewOf(doc).warpShown = false;
    ViewOf(doc).warpSlot = ViewOf(doc).warpHeld = -1;
    const std::shared_ptr<OutlinePause> pause = std::move(ViewOf(doc).warpPause);  // ends after the step
    if (changed) {
        RefreshWorkingCopy(doc);
        MarkLayerChanged(doc);
        RecordStep(doc, "자유 변형", kStepPixels);
    }
    MarkLayerChanged(doc);
    return Status::Ok();
}

bool FreeTransformOutline(const COrinDoc& doc, std::array<ViewCorner, 4>& corners) {
    if (!Active(doc)) return false;
    const LayerRecord& layer = doc.layers[ViewOf(doc).warpSlot];
    const double zoom = ViewOf(doc).zoom > 0 ? ViewOf(doc).zoom : 1.0;
    const std::array<WarpPoint, 4> q = Corners(ViewOf(doc));
    for (size_t i = 0; i < 4; ++i)
        corners[i] = {(q[i].x + layer.x) * zoom, (layer.y + doc.canvas.height - q[i].y) * zoom};
    return true;
}
