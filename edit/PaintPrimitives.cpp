#include "PaintPrimitives.h"

#include <algorithm>
#include <cstdlib>

#include "LayerModel.h"
#include "Random.h"

namespace {

inline uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }
inline int Red(uint32_t c) { return int(c & 0xFF); }
inline int Green(uint32_t c) { return int((c >> 8) & 0xFF); }
inline int Blue(uint32_t c) { return int((c >> 16) & 0xFF); }

// `colour` red in the low byte.
int NearestIndex(const std::vector<RgbQuad>& palette, uint32_t colour) {
    return NearestPaletteIndex(palette.data(), int(palette.size()), uint32_t(Blue(colour)) | (uint32_t(Green(colour)) << 8) | (uint32_t(Red(colour)) << 16));
}

void WriteIndex(LayerRecord& layer, int bits, int x, int y, int index) {
    CImageBuffer::PutIndex(layer.pixels.data(), bits, uint32_t(layer.stride), x, y, uint8_t(index));
}

}  // namespace

uint32_t PaletteOrTextColourAt(const COrinDoc& doc, const LayerRecord& layer, int x, int y) {
    if (layer.kind == kLayerText)  // the layer colour is kept blue first
        return Rgb((layer.colour >> 16) & 0xFF, (layer.colour >> 8) & 0xFF, layer.colour & 0xFF);
    const int bits = LayerBits(doc, layer);
    const uint8_t* row = layer.pixels.data() + size_t(y) * size_t(layer.stride);
    if (bits >= 24) {
        const uint8_t* p = row + size_t(x) * size_t(bits / 8);
        return Rgb(p[2], p[1], p[0]);
    }
    int index = 0;
    if (bits == 8) index = row[x];
    else if (bits == 4) index = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    else index = (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (size_t(index) >= doc.palette.size()) return 0;
    const RgbQuad& q = doc.palette[size_t(index)];
    return Rgb(q.red, q.green, q.blue);
}

void WriteLayerColour(const COrinDoc& doc, LayerRecord& layer, int x, int y, uint32_t colour) {
    if (layer.kind == kLayerText) return;
    const int bits = LayerBits(doc, layer);
    if (bits >= 24) {
        uint8_t* p = layer.pixels.data() + size_t(y) * size_t(layer.stride) + size_t(x) * size_t(bits / 8);
        p[0] = uint8_t(Blue(colour));
        p[1] = uint8_t(Green(colour));
        p[2] = uint8_t(Red(colour));
        return;
    }
    WriteIndex(layer, bits, x, y, NearestIndex(doc.palette, colour));
}


void PutPixel(COrinDoc& doc, int x, int y, uint32_t colour, int n, bool test, int spread, const EdgeWeights* weights) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer || n < 1 || !layer->HasBuffers()) return;
    if (x < 0 || y < 0 || int64_t(x) + n - 1 >= layer->width || int64_t(y) + n - 1 >= layer->height) return;
    const SelectionMask& mask = doc.selection;
    int e = 255;
    if (test) {
        if (mask.At(x, y) == 0) return;
        e = spread > 0 ? (weights ? weights->At(x, y) : EdgeSpreadWeight(mask, x, y, spread)) : LayerAlphaAt(*layer, x, y);
    }
    MarkLayerChanged(doc, x, y, x + n, y + n);
    if (layer->kind == kLayerText) {
        layer->alpha[size_t(y) * size_t(layer->width) + size_t(x)] = 255;
        return;
    }
    const int bits = LayerBits(doc, *layer);
    if (n == 1 && bits >= 24) {  // the common single pixel
        uint8_t* p = layer->pixels.data() + size_t(y) * size_t(layer->stride) + size_t(x) * size_t(bits / 8);
        p[0] = uint8_t(Blue(colour));
        p[1] = uint8_t(Green(colour));
        p[2] = uint8_t(Red(colour));
        uint8_t& a = layer->alpha[size_t(y) * size_t(layer->width) + size_t(x)];
        a = uint8_t(std::max<int>(a, e));
        return;
    }
    if (bits < 24) {
        const int index = NearestIndex(doc.palette, colour);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                WriteIndex(*layer, bits, x + i, y + j, index);
                layer->alpha[size_t(y + j) * size_t(layer->width) + size_t(x + i)] = uint8_t(e);
            }
        return;
    }
    // Column by column; the rows of a column carry m = n/2, n/2 - 1, ...; rows with
    // |m| > 3 are pulled toward the old colour.
    const int half = n / 2;
    const int paint[3] = {Red(colour), Green(colour), Blue(colour)};
    for (int i = 0; i < n; ++i) {
        int m = half;
        for (int j = 0; j < n; ++j, --m) {
            const int px = x + i, py = y + j;
            if (test && mask.At(px, py) == 0) return;
            uint32_t out = colour;
            if (std::abs(m) > 3) {
                const uint32_t old = LayerColourAt(doc, *layer, px, py);
                const int was[3] = {Red(old), Green(old), Blue(old)};
                int c[3];
                for (int k = 0; k < 3; ++k) c[k] = paint[k] - (std::abs(m) - 3) * (paint[k] - was[k]) / half;
                out = Rgb(c[0], c[1], c[2]);
            }
            WriteLayerColour(doc, *layer, px, py, out);
            uint8_t& a = layer->alpha[size_t(py) * size_t(layer->width) + size_t(px)];
            a = uint8_t(std::max<int>(a, e));
        }
    }
}

void PutAlpha(COrinDoc& doc, int x, int y, uint8_t value, bool test) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer || !layer->HasBuffers() || !InsideLayer(*layer, x, y)) return;
    if (test && doc.selection.At(x, y) == 0) return;
    const size_t i = size_t(y) * size_t(layer->width) + size_t(x);
    layer->alpha[i] = value;
    if (layer->kind == kLayerMeasure && i < layer->aux.size()) layer->aux[i] = value ? 1 : 0;
    MarkLayerChanged(doc, x, y, x + 1, y + 1);
}

void Dab(COrinDoc& doc, int mode, int x, int y, uint32_t colour, int radius, bool soft) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer || radius < 1) return;
    if (radius == 1) {
        if (mode == kDabPaint) {
            PutPixel(doc, x, y, colour, 1, true);
            PutAlpha(doc, x, y, 255, true);
        } else {
            PutAlpha(doc, x, y, 0, true);
        }
        return;
    }
    const int R = radius > 24 && radius != 25 ? 25 : radius;
    // The cells the rings reached, by column and row from the dab's corner.
    uint8_t stamp[50][50] = {};
    const int originX = x - R, originY = y - R;

    const int paint[3] = {Red(colour), Green(colour), Blue(colour)};
    for (int i = 1; i < R; ++i) {
        const float q = float(i) / float(R);
        const bool whole = RingPoints(x, y, i, [&](int px, int py) {
            const int r = rng::Next();
            float w = float(q + (double(r) / 32767.0) * 0.1 - 0.2);
            if (w < 0) w = 0;
            stamp[px - originX][py - originY] = 1;
            if (!InsideLayer(*layer, px, py)) return false;
            if (mode == kDabErase) {
                PutAlpha(doc, px, py, 0, true);
                return true;
            }
            // A transparent pixel blends as if it had the brush colour.
            const uint32_t old = LayerAlphaAt(*layer, px, py) == 0 ? colour : LayerColourAt(doc, *layer, px, py);
            const int was[3] = {Red(old), Green(old), Blue(old)};
            int c[3];
            for (int k = 0; k < 3; ++k) c[k] = soft ? paint[k] - int(w * float(paint[k] - was[k])) : paint[k];
            PutPixel(doc, px, py, Rgb(c[0], c[1], c[2]), 1, true);
            if (doc.selection.At(px, py) != 0) PutAlpha(doc, px, py, 255, true);
            return true;
        });
        if (!whole) break;
    }
    // Close the single-pixel holes the rings leave: a cell between two marked cells of
    // its column takes the pixel below it.
    for (int j = 0; j < 2 * R; ++j)
        for (int k = 2; k <= 2 * R - 2; ++k) {
            if (stamp[j][k] != 0 || stamp[j][k - 1] != 1 || stamp[j][k + 1] != 1) continue;
            const int px = originX + j, py = originY + k;
            if (!InsideLayer(*layer, px, py) || !InsideLayer(*layer, px, py - 1)) continue;
            const uint32_t c = LayerColourAt(doc, *layer, px, py - 1);
            const uint8_t a = LayerAlphaAt(*layer, px, py - 1);
            PutPixel(doc, px, py, c, 1, true);
            PutAlpha(doc, px, py, a, true);
        }
}

bool LineRaster(COrinDoc& doc, int mode, bool mark, int x0, int y0, int x1, int y1, uint32_t colour, int radius,
                bool soft) {
    if (radius == 0) return false;
    SelectionMask& m = doc.selection;
    BresenhamLine(x0, y0, x1, y1, [&](int x, int y) {
        if (mark) {
            if (x >= 0 && y >= 0 && x < m.width && y < m.height) m.bytes[size_t(y) * size_t(m.width) + size_t(x)] = 2;
        } else {
            Dab(doc, mode, x, y, colour, radius, soft);
        }
    });
    return true;
}

bool WaterDropPixels(COrinDoc& doc, LayerRecord& layer, int x, int y, int brush) {
    if (!InsideLayer(layer, x, y) || LayerAlphaAt(layer, x, y) == 0) return false;
    const uint32_t c = LayerColourAt(doc, layer, x, y);
    const int s = brush > 25 ? 100 : 2 * brush;
    const double reach = std::sqrt(2.0 * s * s);
    const double centre[3] = {double(c & 0xFF), double((c >> 8) & 0xFF), double((c >> 16) & 0xFF)};
    for (int py = y - s; py < y + s; ++py)
        for (int px = x - s; px < x + s; ++px) {
            if (!InsideLayer(layer, px, py)) continue;
            const double d = std::sqrt(double(px - x) * (px - x) + double(py - y) * (py - y));
            const double b = std::min(1.0, 1.5 * d / reach);
            const uint32_t own = LayerColourAt(doc, layer, px, py);
            uint32_t out = 0;
            for (int k = 0; k < 3; ++k) {
                const double channel = double((own >> (8 * k)) & 0xFF);
                out |= uint32_t(int(b * channel + (1.0 - b) * centre[k])) << (8 * k);
            }
            WriteLayerColour(doc, layer, px, py, out);
        }
    MarkLayerChanged(doc, x - s, y - s, x + s, y + s);
    return true;
}
