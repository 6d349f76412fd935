// The measurement commands as the editor's menus and the batch tool run them: a
// measurement from a kind name and points, a calibration from typed values, and the
// listing of a sheet's objects with their values.
#pragma once

#include <string>

#include "Calibration.h"
#include "Document.h"
#include "MeasureSheet.h"
#include "Status.h"

// The program folder's standards and the current calibration (the main frame's).
struct MeasureSettings {
    std::string folder = ".";
    StandardsTable standards;
    Calibration calibration;
    bool showLabels = true;  // value labels drawn beside the objects
    // Reads the standards file and applies its current standard (start-up).
    void Load();
};

// Adds one object of the stored kind name ("선분", "원", ...) at the points
// "x:y;x:y;..." (picture pixels, y down) as one vector edit; values computed with the
// calibration. An unknown kind, malformed points or a count that does not fit the kind
// is refused and changes nothing.
Status AddMeasurement(COrinDoc& doc, MeasureSheet& sheet, const Calibration& calibration, const std::string& kind,
                      const std::string& points, const std::string& text = {});

// Saves the standard (name, unit, pixels across and down, length as typed), makes it
// current, writes the standards file and applies it. Refusals change nothing.
Status Calibrate(MeasureSettings& settings, const std::string& name, const std::string& unit, const std::string& x,
                 const std::string& y, const std::string& length);

// "objects N", then per object "object I kind=K points=x:y;... v1=F v2=F v3=F v4=F v5=F"
// and " text=T" for text labels; numbers with '.' whatever the locale.
std::string MeasureListing(const MeasureSheet& sheet);
