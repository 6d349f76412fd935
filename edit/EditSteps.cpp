#include "EditSteps.h"

#include <algorithm>

#include "LayerModel.h"
#include "Messages.h"

namespace {

// The stored copy of `slot` has the live layer's geometry and buffers.
bool InSync(const COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot)) return false;
    const LayerStore::Entry& e = doc.working.entries[size_t(slot)];
    const LayerRecord& live = doc.layers[slot];
    const LayerRecord& kept = e.record;
    return e.valid && kept.width == live.width && kept.height == live.height && kept.x == live.x &&
           kept.y == live.y && kept.stride == live.stride && kept.pixels.size() == live.pixels.size() &&
           kept.alpha.size() == live.alpha.size() && kept.aux.size() == live.aux.size() &&
           e.canvas.bpp == doc.canvas.bpp;
}

}  // namespace

int TopVisibleLayer(const COrinDoc& doc) {
    int top = -1;
    for (int slot : doc.layers.Chain())
        if (doc.layers[slot].visible == 1 && doc.layers[slot].inUse) top = slot;
    return top;
}

void RefreshWorkingCopy(COrinDoc& doc, int rowLo, int rowHi) {
    const int slot = doc.layers.current;
    if (!doc.layers.IsCurrentValid()) return;
    const bool whole = rowLo == INT_MIN && rowHi == INT_MAX;
    if (whole || !InSync(doc, slot)) {
        SaveToStore(doc, doc.working, slot);
        return;
    }
    const LayerRecord& live = doc.layers[slot];
    LayerRecord& kept = doc.working.entries[size_t(slot)].record;
    const int lo = std::max(rowLo, 0), hi = std::min(rowHi, live.height - 1);
    if (hi < lo) return;
    const size_t stride = size_t(live.stride), width = size_t(live.width);
    std::copy(live.pixels.begin() + ptrdiff_t(size_t(lo) * stride),
              live.pixels.begin() + ptrdiff_t(size_t(hi + 1) * stride), kept.pixels.begin() + ptrdiff_t(size_t(lo) * stride));
    std::copy(live.alpha.begin() + ptrdiff_t(size_t(lo) * width), live.alpha.begin() + ptrdiff_t(size_t(hi + 1) * width),
              kept.alpha.begin() + ptrdiff_t(size_t(lo) * width));
    std::copy(live.aux.begin() + ptrdiff_t(size_t(lo) * width), live.aux.begin() + ptrdiff_t(size_t(hi + 1) * width),
              kept.aux.begin() + ptrdiff_t(size_t(lo) * width));
}

void RestoreWorkingCopy(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return;
    RestoreFromStore(doc, doc.working, doc.layers.current);
    doc.TouchLayer(doc.layers.current);
}

void MarkLayerChanged(COrinDoc& doc) {
    doc.Touch();
}

void MarkLayerChanged(COrinDoc& doc, const LayerRecord& layer) {
    for (int slot = 0; slot < kMaxLayers; ++slot)
        if (&doc.layers[slot] == &layer) return doc.TouchLayer(slot);
    doc.Touch();  // a layer outside the stack: nothing says what it stands for
}

void MarkLayerChanged(COrinDoc& doc, int x0, int y0, int x1, int y1) {
    doc.TouchLayer(doc.layers.current, x0, y0, x1, y1);
}

Status RefuseTextLayer(const COrinDoc& doc) {
    const int slot = doc.layers.current;
    if (IsValidSlot(slot) && doc.layers[slot].inUse && doc.layers[slot].kind == kLayerText)
        return Status::Fail(msg::kTextLayer);
    return Status::Ok();
}

Status Report(COrinDoc& doc, Status status) {
    if (!status && !status.message.empty()) doc.workspace.Message(status.message);
    return status;
}
