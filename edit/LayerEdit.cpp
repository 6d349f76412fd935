#include "LayerEdit.h"

#include "ClipboardOps.h"
#include "EditSteps.h"
#include "History.h"
#include "Messages.h"

Status EditCurrentLayer(COrinDoc& doc, const LayerEdit& edit, const LayerChange& change) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    if (edit.refuseText)
        if (Status s = RefuseTextLayer(doc); !s) return s;
    BeginLayerStep(doc);
    RefitMask(doc);
    RowSpan rows;
    const Status status = change(*doc.CurrentLayer(), rows);
    if (status) {
        if (rows.lo == RowSpan{}.lo && rows.hi == RowSpan{}.hi) RefreshWorkingCopy(doc);
        else RefreshWorkingCopy(doc, rows.lo, rows.hi);
        if (!edit.label.empty()) {
            MarkLayerChanged(doc);
            RecordStep(doc, edit.label, kStepPixels);
        }
    }
    EndLayerStep(doc);
    return status;
}

void RecordLayerStep(COrinDoc& doc, const std::string& label) {
    BeginLayerStep(doc);
    RecordStep(doc, label, kStepPixels);
    EndLayerStep(doc);
}

Status RestoreStartImage(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    BeginLayerStep(doc);
    const bool restored = RestoreRecordedLayer(doc, doc.layers.current);
    if (restored) {
        RefreshWorkingCopy(doc);
        MarkLayerChanged(doc);
    }
    EndLayerStep(doc);
    return restored ? Status::Ok() : Status::Fail(msg::kCannotRestore);
}

void SaveStartImage(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return;
    BeginLayerStep(doc);
    SaveRecordedLayer(doc, doc.layers.current);
    EndLayerStep(doc);
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
