// The one way a command changes the current layer's pixels, and the start image that
// dialogs and the effect bar come back to. Every tool, adjustment and effect runs its
// change through EditCurrentLayer: refuse a text layer, pause the outline timer,
// lay the mask onto the layer, change, refresh
// the working copy, record the history step, start the timer again.
#pragma once

#include <climits>
#include <functional>
#include <string>

#include "Document.h"
#include "Operations.h"
#include "Status.h"

// Layer rows (bottom-up, inclusive) that a change touched; the whole layer by default.
struct RowSpan {
    int lo = INT_MIN, hi = INT_MAX;
};

struct LayerEdit {
    std::string label;        // the history step recorded after the change; "" records none
                              // (a press or drag of a stroke that its release records)
    bool refuseText = true;   // a text layer refuses with the system's message
};

// Changes the current layer and returns its status. A failed status (a refusal, or
// Status::Stopped()) must leave the layer as it was; nothing is recorded then. A
// change that touched only some rows narrows `rows`, so that only those are copied
// into the working copy.
using LayerChange = std::function<Status(LayerRecord& layer, RowSpan& rows)>;

// The whole sequence around a change of the current layer (see above). Without a
// current layer nothing happens and the result is Ok.
Status EditCurrentLayer(COrinDoc& doc, const LayerEdit& edit, const LayerChange& change);

// Records the step of a change made over several events (a stroke's release); the
// outline timer pauses meanwhile.
void RecordLayerStep(COrinDoc& doc, const std::string& label);
// The same for a stroke whose pixels were reported to the views as they were painted
// (COrinDoc::TouchLayer): the views keep what they composed.
void RecordStrokeStep(COrinDoc& doc, const std::string& label);

// The current layer back as the history last recorded it (the effect bar's "시작 영상",
// a dialog's start image before every preview, Cancel); the layer keeps its place.
// Unrecorded changes are gone afterwards. Failed when nothing is recorded or the
// step file cannot be read (the layer then stays as it is).
Status RestoreStartImage(COrinDoc& doc);
// The current layer as it is now becomes what RestoreStartImage brings back, until the
// next step is recorded, undone or redone; no history step is added.
void SaveStartImage(COrinDoc& doc);

// The command of a layer operation: the edit path around op.change, recording op.label.
// Fills op.run when it is empty; use it when building a table entry.
Operation LayerOperation(Operation op);
