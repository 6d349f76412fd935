// Where the measurement data of the editor and the batch tool live: each document's
// objects and tool state, and the workspace's standards and current calibration (the
// main frame's). The document and the workspace hold them opaquely; these calls make
// them on first use.
#pragma once

#include "Document.h"
#include "MeasureCommands.h"
#include "MeasureSheet.h"
#include "MeasureTools.h"

struct MeasureState {
    MeasureSheet sheet;
    MeasureToolState tool;
    // Vector edits since the document was opened or saved (asked about on closing).
    bool changed = false;
};

MeasureState& Measures(COrinDoc& doc);
MeasureSettings& Measurement(Workspace& workspace);

// The redraw pass: every object's values again from its points and the calibration.
void RedrawMeasurements(COrinDoc& doc);
