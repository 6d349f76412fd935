// Draws the measurement objects of a sheet over the picture in a view: each visible
// object by its kind, its value label in the current unit (while labels are shown),
// the chosen object with its handles and the unfinished object of the tool. Picture
// pixels map to the widget as origin + point x zoom.
#pragma once

#include <QPointF>

#include "MeasureTools.h"

class QPainter;

struct MeasureOverlayView {
    QPointF origin;      // widget position of picture pixel (0, 0)
    double zoom = 1.0;
    int pictureHeight = 0;
    bool showLabels = true;
};

void PaintMeasurements(QPainter& painter, const MeasureSheet& sheet, const MeasureToolState& tool,
                       const Calibration& calibration, const MeasureOverlayView& view);
