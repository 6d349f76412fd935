// What the effects share: the generator's "random in 0..N", the intensity of a colour,
// the 3x3 kernel filter (also the edge detector of several effects), the edge map and
// the direction map, and the frame of effects that paint into the layer in place.
// Coordinates are layer coordinates (rows bottom-up); maps hold one entry per pixel at
// index x + y * width.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "Document.h"
#include "Operations.h"
#include "RowLoop.h"
#include "Status.h"

// trunc(rand() x (1 / 32767) x n) in double precision: 0 .. n, and n itself when the
// generator gives 32767 (callers skip such a draw where n is one past the picture).
int RandomIn(int n);

// trunc(0.11 B + 0.59 G + 0.30 R), kept to 0..255.
inline int Intensity(Bgr c) {
    const int v = int(0.11 * c.b + 0.59 * c.g + 0.30 * c.r);
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// k[dy + 1][dx + 1] weighs the neighbour (x + dx, y + dy).
struct Kernel3 {
    int k[3][3];
    int Sum() const;
};

// The grey value of the kernel at an inner pixel (every neighbour inside the layer):
// v = (sum of w (R + G + B)) / 3, divided by the weight sum when that is not 0 (both
// divisions truncate toward zero), kept to 0..255.
int KernelValue(const RowSource& source, const Kernel3& k, int x, int y);

// The kernel filter of the effects: every present pixel becomes the grey (v, v, v) of
// its kernel value, and pixels of the outermost rows and columns become black. Stops
// between rows when the host asks (the layer is then as it was).
Status KernelFilter(COrinDoc& doc, LayerRecord& layer, const Kernel3& k);

// The edge detector (all -1, centre 8) into an array instead of the layer, then 1 where
// that value is above `threshold`, else 0 (absent pixels and the outermost rows and
// columns 0).
Status EdgeMap(COrinDoc& doc, const LayerRecord& layer, std::vector<uint8_t>& map, int threshold = 0);

// Per pixel the slope dy/dx of the edge through it, in -2..2 (0 on flat ground). The two
// gradients are Sobel's (weights +-1, +-2) over R + G + B, with the rows and columns at
// the layer's edge repeated outward; each becomes its magnitude / 12 kept to 0..255, ax
// across and ay along the rows. The edge runs across the gradient, so the slope is
// -s ax / ay (s the sign of the product of the two gradients), 2 for ay = 0 < ax
// (an upright edge), kept to -2..2.
Status DirectionMap(COrinDoc& doc, const LayerRecord& layer, std::vector<float>& map);

// Runs an effect that paints into the current layer in place (its working copy holds
// the layer as it was). Afterwards transparent pixels, and with `selection` pixels
// outside the selection, get their colour back, so that the effect keeps to the rule
// of the row loop. When it fails or the user stops it, the whole layer comes back.
Status InPlace(COrinDoc& doc, const std::function<Status()>& paint, bool selection = true);

// Inside InPlace: the current layer as it was before the effect began (its working
// copy); elsewhere, when that copy does not match the layer, a copy made now into `spare`.
const LayerRecord& StartImage(COrinDoc& doc, const LayerRecord& layer, LayerRecord& spare);

// A colour (red in the low byte) with each channel moved by `delta`, kept to 0..255.
uint32_t Shifted(uint32_t colour, int dr, int dg, int db);

// The rows of `layer` as Bgr (24-bit layers only).
inline Bgr* BgrRow(LayerRecord& layer, int y) {
    return reinterpret_cast<Bgr*>(layer.pixels.data() + size_t(y) * size_t(layer.stride));
}
inline const Bgr* BgrRow(const LayerRecord& layer, int y) {
    return reinterpret_cast<const Bgr*>(layer.pixels.data() + size_t(y) * size_t(layer.stride));
}

// A slider of an effect: label, range and the value it starts at.
struct Slider {
    const char* label;
    int min, max, def;
};
// The table entry of an effect: its command id, batch key, Korean name (the history
// step's label) and sliders (keys p1, p2, p3); `run` is the one edit path around `change`.
// No menu entry runs it directly: the Filter menu opens the effect bar.
Operation EffectOperation(int id, const char* key, const char* name, std::initializer_list<Slider> sliders,
                          LayerChangeFn change);
