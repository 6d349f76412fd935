#include "LayerEdit.h"

#include "ClipboardOps.h"
#include "EditSteps.h"
#include "History.h"
#include "Messages.h"

Status EditCurrentLayer(COrinDoc& doc, const LayerEdit& edit, const LayerChange& change) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    if (edit.refuseText)
        if (Status s = RefuseTextLayer(doc); !s) return s;
    const OutlinePause pause(doc);
    RefitMask(doc);
    RowSpan rows;
    const Status status = change(*doc.CurrentLayer(), rows);
    if (status) {
        if (rows.lo == RowSpan{}.lo && rows.hi == RowSpan{}.hi) RefreshWorkingCopy(doc);
        else RefreshWorkingCopy(doc, rows.lo, rows.hi);
        if (!edit.label.empty()) {
            MarkLayerChanged(doc, *doc.CurrentLayer());
            RecordStep(doc, edit.label, kStepPixels);
        }
    }
    return status;
}

void RecordLayerStep(COrinDoc& doc, const std::string& label) {
    const OutlinePause pause(doc);
    RecordStep(doc, label, kStepPixels);
}

void RecordStrokeStep(COrinDoc& doc, const std::string& label) {
    // Recording tells the views that the whole layer changed; a stroke's pixels were told
    // dab by dab, so they keep their composites, unless the step draws the layer's shadow
    // again or something else was told meanwhile.
    const int slot = doc.layers.current;
    const bool shadowRedrawn = IsValidSlot(slot) && doc.layers[slot].effectOn == 1;
    const uint64_t floor = doc.damageFloor;
    const size_t told = doc.damage.size();
    RecordLayerStep(doc, label);
    if (shadowRedrawn || doc.damageFloor != floor || doc.damage.size() != told + 1 || doc.damage.back().slot != slot)
        return;
    doc.damage.pop_back();
}

Status RestoreStartImage(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    const OutlinePause pause(doc);
    const bool restored = RestoreRecordedLayer(doc, doc.layers.current);
    if (restored) {
        RefreshWorkingCopy(doc);
        MarkLayerChanged(doc, *doc.CurrentLayer());
    }
    return restored ? Status::Ok() : Status::Fail(msg::kCannotRestore);
}

void SaveStartImage(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return;
    const OutlinePause pause(doc);
    SaveRecordedLayer(doc, doc.layers.current);
}

Operation LayerOperation(Operation op) {
    if (!op.run && op.change) {
        op.run = [label = op.label, change = op.change](COrinDoc& doc, const OpValues& values) {
            return EditCurrentLayer(doc, {label},
                                    [&](LayerRecord& layer, RowSpan&) { return change(doc, layer, values); });
        };
    }
    return op;
}
