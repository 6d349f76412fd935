// The painting primitives shared by every tool: reading a layer pixel, the one pixel
// write with the selection rule (PutPixel), the opacity write (PutAlpha), the dab and
// the line raster. Coordinates are layer coordinates of the current layer (columns
// from the left, rows bottom-up); colours are red in the low byte.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Document.h"
#include "EditSteps.h"
#include "MaskWeights.h"

// |dred| + |dgreen| + |dblue|, 0..765; opacity is not compared.
inline int ColourDistance(uint32_t a, uint32_t b) {
    const int dr = int(a & 0xFF) - int(b & 0xFF);
    const int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    const int db = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    return (dr < 0 ? -dr : dr) + (dg < 0 ? -dg : dg) + (db < 0 ? -db : db);
}

// The colour of a layer pixel (palette entry for palette canvases, the layer colour
// for a text layer). The point must lie inside the layer.
uint32_t PaletteOrTextColourAt(const COrinDoc& doc, const LayerRecord& layer, int x, int y);
inline uint32_t LayerColourAt(const COrinDoc& doc, const LayerRecord& layer, int x, int y) {
    if (layer.kind == kLayerText || doc.canvas.bpp < 24) return PaletteOrTextColourAt(doc, layer, x, y);
    const uint8_t* p = layer.pixels.data() + size_t(y) * size_t(layer.stride) + size_t(x) * size_t(doc.canvas.bpp / 8);
    return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
}
inline uint8_t LayerAlphaAt(const LayerRecord& layer, int x, int y) {
    return layer.alpha[size_t(y) * size_t(layer.width) + size_t(x)];
}
inline bool InsideLayer(const LayerRecord& layer, int x, int y) {
    return x >= 0 && y >= 0 && x < layer.width && y < layer.height;
}
// Writes the colour bytes of one pixel (nearest palette entry on palette canvases;
// nothing on a text layer). No selection test, the opacity is left alone.
void WriteLayerColour(const COrinDoc& doc, LayerRecord& layer, int x, int y, uint32_t colour);

// The one pixel write with the selection rule: the n x n block from (x, y) (columns
// x..x+n-1, rows y..y+n-1) in `colour`. Nothing happens when the block's far corner
// lies outside the layer or, with `test`, when the mask byte at (x, y) is 0. The new
// opacity is max(old, e): e = the edge-spread weight (spread > 0), else the old
// opacity of (x, y) with `test`, else 255. `weights` (optional) supplies the weight.
void PutPixel(COrinDoc& doc, int x, int y, uint32_t colour, int n, bool test, int spread = 0,
              const EdgeWeights* weights = nullptr);
// Sets the opacity byte of (x, y) (skipped outside the selection with `test`); for a
// measurement layer the auxiliary byte becomes 1 when the value is nonzero, else 0.
void PutAlpha(COrinDoc& doc, int x, int y, uint8_t value, bool test);

enum DabMode : int { kDabPaint = 0, kDabErase = 1 };
// A round dab of radius R (at most 25) centred on (x, y): rings of growing radius,
// each point blended toward the picture by its ring ratio plus noise from rng::Next()
// (soft) or in the plain colour; single-pixel holes are closed afterwards. Mode 1
// erases (opacity 0).
void Dab(COrinDoc& doc, int mode, int x, int y, uint32_t colour, int radius, bool soft);
// The water drop at (x, y) with brush size `brush`: half-size s = 2 x brush (100 above
// 25), D = sqrt(2 s^2); every pixel of [x - s, x + s) x [y - s, y + s) inside the layer
// becomes trunc(b x own + (1 - b) x centre colour) per channel, b = min(1, 1.5 d / D),
// without the selection test. False (nothing done) on a transparent or outside pixel.
bool WaterDropPixels(COrinDoc& doc, LayerRecord& layer, int x, int y, int brush);

// Every point of the integer Bresenham line from (x0, y0) to (x1, y1): a dab, or with
// `mark` the selection-mask byte 2 (boundary). False only for radius 0.
bool LineRaster(COrinDoc& doc, int mode, bool mark, int x0, int y0, int x1, int y1, uint32_t colour, int radius,
                bool soft);

// The Bresenham walk used by LineRaster, for any per-point action.
template <class Plot>
void BresenhamLine(int x0, int y0, int x1, int y1, Plot&& plot) {
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    int x = x0, y = y0;
    if (dx < dy) {
        int e = 2 * dx - dy;
        for (int i = 0; i <= dy; ++i) {
            plot(x, y);
            y += sy;
            if (e < 1) {
                e += 2 * dx;
            } else {
                x += sx;
                e += 2 * dx - 2 * dy;
            }
        }
    } else {
        int e = 2 * dy - dx;
        for (int i = 0; i <= dx; ++i) {
            plot(x, y);
            if (e >= 1) {
                y += sy;
                e += 2 * dy - 2 * dx;
            } else {
                e += 2 * dy;
            }
            x += sx;
        }
    }
}

// The points of the ring of radius r around (cx, cy): the four axis points, then for
// k = 1, 2, ... with h = trunc(sqrt(r^2 - k^2) + 0.5) while k < h the eight points
// (cx +- k, cy +- h), (cx +- h, cy +- k), and the four points (cx +- k, cy +- h) when
// the walk ends on k = h. `point` returns false to stop the ring; so does the call.
template <class Point>
bool RingPoints(int cx, int cy, int r, Point&& point) {
    if (!point(cx, cy + r) || !point(cx, cy - r) || !point(cx + r, cy) || !point(cx - r, cy)) return false;
    for (int k = 1;; ++k) {
        const int64_t d = int64_t(r) * r - int64_t(k) * k;
        if (d < 0) return true;
        const int h = int(std::sqrt(double(d)) + 0.5);
        if (k < h) {
            if (!point(cx + k, cy + h) || !point(cx - k, cy + h) || !point(cx + k, cy - h) ||
                !point(cx - k, cy - h) || !point(cx + h, cy + k) || !point(cx - h, cy + k) ||
                !point(cx + h, cy - k) || !point(cx - h, cy - k))
                return false;
            continue;
        }
        if (k == h)
            return point(cx + k, cy + h) && point(cx - k, cy + h) && point(cx + k, cy - h) && point(cx - k, cy - h);
        return true;
    }
}

// Walks the region reachable from (x, y) in runs along the rows. A pixel N joins from a
// reached neighbour P (4-connected, or 8-connected with `diagonal`) when
// joins(px, py, nx, ny) holds and N is not reached yet; mark(nx, ny) records it.
// Every reached run is handed to done(y, x0, x1) after its neighbours have been
// examined, so `done` may change the run's pixels. The reached set is the same for
// any order of visits as long as `joins` reads only pixels not yet handed to `done`;
// the runs keep the walk in the cache on large layers. (x, y) must be marked first.
template <class IsReached, class Mark, class Joins, class Done>
void WalkRegion(int w, int h, int x, int y, bool diagonal, IsReached&& isReached, Mark&& mark, Joins&& joins,
                Done&& done) {
    struct Run {
        int y, x0, x1;
    };
    std::vector<Run> runs;  // last in, first out
    // A newly reached pixel grows into the run reached from it along its row.
    auto startRun = [&](int sx, int sy) {
        int x0 = sx, x1 = sx;
        while (x0 > 0 && !isReached(x0 - 1, sy) && joins(x0, sy, x0 - 1, sy)) mark(--x0, sy);
        while (x1 + 1 < w && !isReached(x1 + 1, sy) && joins(x1, sy, x1 + 1, sy)) mark(++x1, sy);
        runs.push_back({sy, x0, x1});
        return x1;
    };
    startRun(x, y);
    const int reach = diagonal ? 1 : 0;
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        for (int ny : {run.y - 1, run.y + 1}) {
            if (ny < 0 || ny >= h) continue;
            for (int nx = std::max(0, run.x0 - reach), end = std::min(w - 1, run.x1 + reach); nx <= end; ++nx) {
                if (isReached(nx, ny)) continue;
                bool joined = false;
                for (int px = std::max(run.x0, nx - reach), last = std::min(run.x1, nx + reach); px <= last && !joined; ++px)
                    joined = joins(px, run.y, nx, ny);
                if (!joined) continue;
                mark(nx, ny);
                nx = startRun(nx, ny);
            }
        }
        done(run.y, run.x0, run.x1);
    }
}
