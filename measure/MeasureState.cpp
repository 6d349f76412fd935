#include "MeasureState.h"

MeasureState& Measures(COrinDoc& doc) {
    if (!doc.measure) doc.measure = std::make_shared<MeasureState>();
    return *doc.measure;
}

MeasureSettings& Measurement(Workspace& workspace) {
    if (!workspace.measure) workspace.measure = std::make_shared<MeasureSettings>();
    return *workspace.measure;
}

void RedrawMeasurements(COrinDoc& doc) {
    Measures(doc).sheet.Recompute(Measurement(doc.workspace).calibration, doc.canvas.width, doc.canvas.height);
}
