#include "AllLayers.h"

#include "ClipboardOps.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "OutlinePause.h"

Status EditAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerChange& change) {
    if (doc.IsEmpty()) return Status::Ok();
    const OutlinePause pause(doc);
    RemoveOutline(doc);
    BeginAllLayerChange(doc);
    const int current = doc.layers.current;
    const SelectionMask selection = doc.selection;
    const CanvasHeader canvas = doc.canvas;
    const std::vector<RgbQuad> palette = doc.palette;
    Status status = Status::Ok();
    for (int slot : doc.layers.Chain()) {
        LayerRecord& layer = doc.layers[slot];
        if (edit.skipText && layer.kind == kLayerText) continue;
        // The mask is fitted to each layer from the user's selection, not from the mask
        // fitted to the layer before (which would lose what lies outside that layer).
        doc.layers.current = slot;
        doc.selection = selection;
        RefitMask(doc);
        status = change(layer, slot);
        if (!status) break;
    }
    doc.layers.current = current;
    doc.selection = selection;
    RefitMask(doc);
    if (status) {
        if (edit.finish) edit.finish();
        // Working copies stand for the layers without the outline; they must hold the
        // changed layers, or taking the outline out would bring old pixels back.
        for (int slot = 0; slot < kMaxLayers; ++slot)
            if (doc.working.entries[size_t(slot)].valid && doc.layers[slot].inUse) SaveToStore(doc, doc.working, slot);
        RefreshWorkingCopy(doc);
        MarkLayerChanged(doc);
        RecordStep(doc, edit.label, kStepAllLayers);
    } else {
        AbandonAllLayerChange(doc);
        doc.canvas = canvas;
        doc.palette = palette;
    }
    return status;
}
