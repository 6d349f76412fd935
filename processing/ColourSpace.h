// The integer colour models of the channel split, shared with the adjustments that
// work in them. Channels are 0..255. HSL: lightness ((max + min) x 255 + 255) / 510;
// hue on a circle of 256 steps with red at 0, green at 85 and blue at 170 (170 also
// stands for the undefined hue of a grey); saturation 0 for greys. YUV: Y, U and V
// computed in double precision, each truncated toward zero and clamped.
#pragma once

#include <cstdint>

struct Hsl {
    uint8_t h = 0, s = 0, l = 0;
    friend bool operator==(const Hsl&, const Hsl&) = default;
};
struct Yuv {
    uint8_t y = 0, u = 0, v = 0;
    friend bool operator==(const Yuv&, const Yuv&) = default;
};
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Hsl RgbToHsl(int r, int g, int b);
// The colour whose RgbToHsl is (nearly) `hsl`: the inverse of the split's model, the
// hue read back from its two nearest primaries, rounded to the nearest level.
Rgb HslToRgb(Hsl hsl);
Yuv RgbToYuv(int r, int g, int b);
