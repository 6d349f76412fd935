// A calibration as a picture's resolution and back. A standard whose unit is a length
// (mm, um, meter, yard ...) gives pixels per metre, which the picture writers store in
// their resolution fields; a picture read with such a resolution gives a standard the
// standards dialog offers. Units that are only labels ("pixel", "minch", anything
// typed) do not convert.
#pragma once

#include <optional>
#include <string>

#include "Calibration.h"

class CImageBuffer;
class COrinDoc;

// Metres in one unit of the label (case ignored; "um", "ums", "micron" ... 1e-6);
// nothing for a label that is not a length we know.
std::optional<double> MetresPerUnit(const std::string& unit);

struct PixelsPerMetre {
    double x = 0;
    double y = 0;
};
// xPixels / (length x metres per unit) across, yPixels / ... down; nothing when the unit
// does not convert or the values could not measure.
std::optional<PixelsPerMetre> CalibrationResolution(const Calibration& calibration);

// The standard a resolution gives, named `name` (one word, cut to the standard's
// length): a length of 1, 10 or 100 "um", "mm" or "meter" chosen so that the larger
// pixel count lies between 10000 and 100000 (below 10000 for the coarsest
// resolutions), which keeps the scale to five digits. Nothing for a resolution not
// above 0 or too fine for a 32-bit pixel count.
std::optional<MeasureStandard> StandardFromResolution(const std::string& name, PixelsPerMetre resolution);

// The exact resolution a picture file gave its picture (pixels per metre on both
// axes), or nothing.
std::optional<PixelsPerMetre> FileResolution(const CImageBuffer& image);
// True for a resolution that is a screen or print setting rather than a measured scale:
// the same whole number of dots per inch on both axes up to 600, or of dots per
// centimetre up to 236. Such a picture's
// standard is listed but not picked for the user.
bool IsPrintResolution(PixelsPerMetre resolution);

// Saving a calibrated picture: the document's picture takes the calibration's
// resolution (when its unit converts); false, nothing changed, otherwise.
bool StampCalibration(COrinDoc& doc, const Calibration& calibration);
