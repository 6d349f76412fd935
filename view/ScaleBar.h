// Scale bars: a layer whose pixels are a horizontal bar of a calibrated length with its
// label ("100 um") centred above it, at a corner of the canvas, drawn from the current
// calibration. The layer is an ordinary raster layer, so every reader, flatten, save and
// export sees it as it looks. What it was drawn with is kept in the layer record's
// text-style fields (bytes 276..337), which only text layers use, and in its colour
// field (228), so a saved project reopens with the bar editable:
//   276 int32    "SBAR" (bytes 'S' 'B' 'A' 'R'): the marker
//   280 float32  length, in the unit below
//   284 int32    label size: pixel height of a line, as for text layers
//   288 28 bytes font face, UTF-8, NUL-terminated
//   316 16 bytes unit, UTF-8, NUL-terminated (a longer unit of the standard is kept cut)
//   332 uint32   CRC-32 of the layer's pixels, then its opacity plane, as drawn
//   336 int16    corner (ScaleBarCorner)
//   228 uint32   colour of bar and label, blue in the low byte (as text layers)
// A record whose marker, values or checksum do not hold (the layer was painted on,
// resized, or the file was tampered with) is an ordinary layer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Calibration.h"
#include "Document.h"
#include "Status.h"

enum ScaleBarCorner : int { kBarBottomRight = 0, kBarBottomLeft = 1, kBarTopRight = 2, kBarTopLeft = 3 };
// Batch names of the corners in ScaleBarCorner order, and the dialog's labels.
inline constexpr const char* kBarCornerKeys[4] = {"bottom-right", "bottom-left", "top-right", "top-left"};
inline constexpr const char* kBarCornerLabels[4] = {"오른쪽 아래", "왼쪽 아래", "오른쪽 위", "왼쪽 위"};
inline constexpr int kMaxBarFaceBytes = 27;
inline constexpr int kMaxBarUnitBytes = 15;
inline constexpr int kMaxBarTextSize = 1000;

namespace label {
inline constexpr const char* kScaleBar = "축척 막대";
}

struct ScaleBarSettings {
    float length = 0;  // in `unit`
    std::string unit;
    int corner = kBarBottomRight;
    uint32_t colour = 0xFFFFFF;  // red in the low byte
    std::string face;
    int size = 24;  // pixel height of the label's line
    bool operator==(const ScaleBarSettings&) const = default;
};

// True when the calibration measures something: its unit is not "pixel" and its values
// give a length.
bool HasCalibration(const Calibration& calibration);
// The units a bar can be drawn in: the calibration's own, then (when it converts) nm,
// um, mm, cm and m, leaving out those equal to it.
std::vector<std::string> ScaleBarUnits(const Calibration& calibration);
// The dialog's first values on a canvas `width` x `height`: a round length (1, 2 or 5
// times a power of ten) nearest to a fifth of the width, in the metric unit that keeps
// it between 1 and 999 when the calibration converts; label size min(width, height) / 16
// (16 to 300). Nothing without a calibration.
std::optional<ScaleBarSettings> DefaultScaleBar(int width, int height, const Calibration& calibration);
// The bar's length in canvas pixels across (rounded); a refusal for a unit that does not
// convert to the calibration's, or a length not above 0.
Status ScaleBarPixels(const ScaleBarSettings& settings, const Calibration& calibration, int& pixels);
// "100 um": the length in at most six significant digits and the unit as written (the
// Korean faces have no micro sign).
std::u16string ScaleBarLabel(const ScaleBarSettings& settings);

// The values a scale-bar layer was drawn with; nothing for any other layer.
std::optional<ScaleBarSettings> ReadScaleBar(const LayerRecord& layer);

// Draws a new scale bar on a new layer above the current one ("축척 막대", one history
// step), or with `edit` draws the current scale-bar layer again with new values (one
// step; its name follows the label while it is the name the bar gave it). Refuses
// without a calibration, with a bar or label that does not fit the canvas, and when no
// font is installed; nothing changes then.
Status PlaceScaleBar(COrinDoc& doc, const ScaleBarSettings& settings, const Calibration& calibration, bool edit);
