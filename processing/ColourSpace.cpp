#include "ColourSpace.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t ClampByte(int v) { return uint8_t(std::clamp(v, 0, 255)); }
uint8_t RoundByte(double v) { return ClampByte(int(std::floor(v + 0.5))); }

}  // namespace

Hsl RgbToHsl(int r, int g, int b) {
    const int max = std::max({r, g, b}), min = std::min({r, g, b});
    Hsl out;
    out.l = uint8_t(((max + min) * 255 + 255) / 510);
    if (max == min) {
        out.h = 170;
        return out;
    }
    const int d = max - min;
    const int s = out.l > 127 ? 510 - max - min : max + min;
    out.s = uint8_t((d * 255 + s / 2) / s);
    const int rr = (42 * (max - r) + d / 2) / d;
    const int rg = (42 * (max - g) + d / 2) / d;
    const int rb = (42 * (max - b) + d / 2) / d;
    int h;
    if (r == max) h = rb - rg;
    else if (g == max) h = 85 + rr - rb;
    else h = 170 + rg - rr;
    out.h = uint8_t(h);  // a negative hue wraps round to 256 + h
    return out;
}

Rgb HslToRgb(Hsl hsl) {
    if (hsl.s == 0) return {hsl.l, hsl.l, hsl.l};
    // Largest and smallest channel from the lightness and the saturation.
    const double sum = hsl.l * 2.0 - 0.5;  // L rounds (max + min) / 2 half up
    const double span = hsl.l > 127 ? 510.0 - sum : sum;
    const double d = hsl.s * span / 255.0;
    const double max = (sum + d) / 2, min = (sum - d) / 2;
    // The nearest primary (red 0, green 85, blue 170) is the largest channel; the
    // signed distance t from it (at most 42 steps) places the middle channel: its term
    // 42 x (max - c) / d is 42 - |t|, the smallest channel's term is 42.
    int primary = 0;
    int t = int(int8_t(hsl.h));
    for (int p : {85, 170}) {
        const int dist = int(hsl.h) - p;
        if (std::abs(dist) < std::abs(t)) {
            t = dist;
            primary = p;
        }
    }
    t = std::clamp(t, -42, 42);
    const double middle = max - (42 - std::abs(t)) * d / 42.0;
    double c[3] = {min, min, min};  // red, green, blue
    const int top = primary / 85;
    c[top] = max;
    // Hue rises from red through green to blue: a positive t puts the middle channel
    // on the next primary, a negative one on the previous.
    c[(top + (t >= 0 ? 1 : 2)) % 3] = middle;
    return {RoundByte(c[0]), RoundByte(c[1]), RoundByte(c[2])};
}

Yuv RgbToYuv(int r, int g, int b) {
    const int y = std::clamp(int(0.299 * r + 0.587 * g + 0.114 * b), 0, 255);
    return {uint8_t(y), ClampByte(int((b - y) * 0.565 + 128)), ClampByte(int((r - y) * 0.713 + 128))};
}
