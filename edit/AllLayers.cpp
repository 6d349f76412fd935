#include "AllLayers.h"

#include <array>

#include "ClipboardOps.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "OutlinePause.h"

namespace {

using LayerVisit = std::function<Status(LayerRecord& layer, int slot, size_t index, size_t count)>;

// Visits the chain from the bottom (see the header); stops at the first failed status.
Status Walk(COrinDoc& doc, const AllLayerEdit& edit, const LayerVisit& visit) {
    const int current = doc.layers.current;
    const SelectionMask selection = doc.selection;
    const std::vector<int> chain = doc.layers.Chain();
    Status status = Status::Ok();
    for (size_t i = 0; i < chain.size(); ++i) {
        LayerRecord& layer = doc.layers[chain[i]];
        if (edit.skipText && layer.kind == kLayerText) continue;
        // The mask is fitted to each layer from the user's selection, not from the mask
        // fitted to the layer before (which would lose what lies outside that layer).
        doc.layers.current = chain[i];
        doc.selection = selection;
        RefitMask(doc);
        status = visit(layer, chain[i], i, chain.size());
        if (!status) break;
    }
    doc.layers.current = current;
    doc.selection = selection;
    RefitMask(doc);
    return status;
}

// Working copies are given up rather than made again after a change of every layer:
// a kept copy would be one more copy of each layer at the change's peak. A restore
// from a slot without a copy leaves the layer as it is, which is what a copy of the
// changed layer would give, and whoever needs a copy makes it first.
void DropWorkingCopies(COrinDoc& doc) {
    for (LayerStore::Entry& e : doc.working.entries) e = LayerStore::Entry{};
}

void Commit(COrinDoc& doc, const AllLayerEdit& edit) {
    if (edit.finish) edit.finish();
    DropWorkingCopies(doc);
    MarkLayerChanged(doc);
    RecordStep(doc, edit.label, kStepAllLayers);
}

}  // namespace

Status EditAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerChange& change) {
    if (doc.IsEmpty()) return Status::Ok();
    const OutlinePause pause(doc);
    DropWorkingCopies(doc);
    BeginAllLayerChange(doc);
    const CanvasHeader canvas = doc.canvas;
    const std::vector<RgbQuad> palette = doc.palette;
    const Status status = Walk(doc, edit, [&](LayerRecord& layer, int slot, size_t, size_t) {
        // The layer is still as copied: the row loop may change it in place.
        doc.history.untouchedSlot = slot;
        const Status s = change(layer, slot);
        doc.history.untouchedSlot = -1;
        return s;
    });
    if (status) {
        Commit(doc, edit);
    } else {
        AbandonAllLayerChange(doc);
        doc.canvas = canvas;
        doc.palette = palette;
    }
    return status;
}

Status RebuildAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerRebuild& rebuild) {
    if (doc.IsEmpty() || !doc.layers.IsCurrentValid()) return Status::Ok();
    const OutlinePause pause(doc);
    // A layer's old working copy lends its memory to the layer's new buffers
    // (AllocateLayer keeps what is big enough), the others are freed first; none is made
    // again. The peak stays at one new layer per old one, and a new layer of the old
    // size costs no fresh memory.
    std::array<LayerRecord, kMaxLayers> spare;
    for (size_t slot = 0; slot < spare.size(); ++slot) {
        LayerStore::Entry& e = doc.working.entries[slot];
        if (e.valid) spare[slot] = std::move(e.record);
        e = LayerStore::Entry{};
    }
    for (int slot = 0; slot < kMaxLayers; ++slot)
        if (!doc.layers[slot].inUse || (edit.skipText && doc.layers[slot].kind == kLayerText)) spare[size_t(slot)] = {};
    std::vector<std::pair<int, LayerRecord>> built;
    Status status = Walk(doc, edit, [&](LayerRecord& layer, int slot, size_t i, size_t count) {
        LayerRecord& out = built.emplace_back(slot, LayerRecord(static_cast<const LayerFields&>(layer))).second;
        LayerRecord& lent = spare[size_t(slot)];
        out.pixels = std::move(lent.pixels);
        out.alpha = std::move(lent.alpha);
        out.aux = std::move(lent.aux);
        lent = {};
        out.text = layer.text;
        const int first = int(i * 100 / count), next = int((i + 1) * 100 / count);
        return rebuild(layer, out, ProgressShare{first, next - first});
    });
    doc.workspace.Progress(0);
    if (!status) {
        built.clear();
        return status;
    }
    // The old layers become the step's "before"; every slot in use is kept there.
    std::vector<LayerCopy> before;
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        if (!doc.layers[slot].inUse) continue;
        bool rebuilt = false;
        for (const auto& b : built) rebuilt = rebuilt || b.first == slot;
        if (!rebuilt) before.push_back({slot, doc.layers[slot]});
    }
    for (auto& [slot, record] : built) {
        before.push_back({slot, std::move(doc.layers[slot])});
        doc.layers[slot] = std::move(record);
    }
    doc.history.pendingBefore = std::move(before);
    Commit(doc, edit);
    return Status::Ok();
}
