// Brightness and contrast ("명도·대비", command 1450): with q = (255 + C) / 255 in single
// precision, every channel v of every present pixel inside the selection becomes
// trunc(B + (v - 128) x q + 128) clamped to 0..255 (a palette canvas: its entries).
#pragma once

#include "Histogram.h"
#include "Operations.h"

enum BrightnessContrastParam : size_t { kBcBrightness, kBcContrast };

// The level table of one brightness and contrast (each -255..255).
LevelTable BrightnessContrastTable(int brightness, int contrast);
Status BrightnessContrastLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation BrightnessContrastOperation();

// The measurement tools' check before an automatic analysis: a layer whose mean grey
// is below 130 is refused ("Too Dark Image. (Current Gray %d)"); any other gets
// brightness 250 - mean grey and contrast 128 (no history step).
Status DarkImageCheck(COrinDoc& doc, LayerRecord& layer);
