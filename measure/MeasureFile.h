// The measurement file (".sco"): the document's layers and its measurement objects.
//   "\n %d %d"            bottom slot, current slot
//   256-byte canvas header, then per layer from the bottom "\n %d " (slot), the stored
//   layer record, pixels, alpha and auxiliary planes (and a text layer's text)
//   "\n NumOf_MicObjs %d" object count
//   per object "\n%15s %d %d %d" (kind name padded to 15 characters, point count, style,
//   text length in characters), " %d %d" per point (three pairs per point for curves:
//   the point and its two control points), and for a text object "\n" and its text.
// Numbers are ASCII, names and texts UTF-8, "\n" a single line feed.
#pragma once

#include <string>

#include "Document.h"
#include "MeasureSheet.h"
#include "Status.h"

class ByteStream;

Status WriteMeasurements(COrinDoc& doc, const MeasureSheet& sheet, ByteStream& out);
// Written safely: the old file stays unless the whole file was written.
Status SaveMeasurements(COrinDoc& doc, const MeasureSheet& sheet, const std::string& path);

// Reads into an empty document (its history restarts with "Opening....") and replaces
// the sheet's objects, whose values are then computed with `calibration`. A damaged file
// leaves the document empty and the sheet as it was.
Status ReadMeasurements(COrinDoc& doc, MeasureSheet& sheet, ByteStream& in, const Calibration& calibration);
Status OpenMeasurements(COrinDoc& doc, MeasureSheet& sheet, const std::string& path, const Calibration& calibration);

// Opening and saving as the editor and the batch tool do it: measurement files through
// the two calls above (their objects go to `sheet`), every other format through the
// document's own open and save. A picture measured on (its sheet holds objects) is saved
// with the `calibration`'s scale as its resolution when the unit is a length.
Status OpenWithMeasurements(COrinDoc& doc, MeasureSheet& sheet, const std::string& path, const Calibration& calibration);
Status SaveWithMeasurements(COrinDoc& doc, const MeasureSheet& sheet, const std::string& path,
                            const Calibration* calibration = nullptr);
