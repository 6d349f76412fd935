// Channel offsets ("RGB색상조정", command 1503). In RGB mode red, green and blue of every
// present pixel inside the selection move by their offsets (-99..99), clamped to
// 0..255. In HSL mode the first value turns the hue (wrapping round the 256-step
// circle) and the second moves the saturation (clamped) in the channel split's HSL
// model; the lightness stays. A palette canvas changes its entries.
#pragma once

#include "ColourSpace.h"
#include "Operations.h"

enum ChannelOffsetParam : size_t { kOffRed, kOffGreen, kOffBlue, kOffMode };
enum ChannelOffsetMode : int { kOffsetRgb = 0, kOffsetHsl = 1 };

// One colour under the offsets (red, green, blue; or hue, saturation in HSL mode).
Rgb OffsetColour(Rgb c, int mode, int a, int b, int c3);
Status ChannelOffsetsLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation ChannelOffsetsOperation();
