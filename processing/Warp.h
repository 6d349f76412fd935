// Warps of the current layer into a new shape inside its own box: the free transform's
// projective map and the ellipse transform. Each destination pixel centre is mapped
// back to a source point; colour and opacity are the bilinear blend of the four
// source pixels around it (edges clamped), the auxiliary byte the nearest one; what
// maps outside the source is white and transparent. True-colour canvases only.
#pragma once

#include <array>
#include <functional>

#include "Operations.h"
#include "RowLoop.h"

// A plane point; layer pixel (x, y) covers [x, x + 1) x [y, y + 1), rows bottom-up.
struct WarpPoint {
    double x = 0, y = 0;
};

// The projective map x' = (a x + b y + c) / (g x + h y + 1), y' = (d x + e y + f) / (g x + h y + 1).
struct Projective {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major 3 x 3
    WarpPoint Apply(WarpPoint p) const;
    // False when the map cannot be inverted.
    bool Inverse(Projective& out) const;
};

// The map that takes the rectangle (0,0)-(w,h) to the quadrilateral whose corners are
// `to` = images of (0,0), (w,0), (w,h), (0,h). False for a quadrilateral that is not
// convex (corners crossing or three in a line): no projective map reaches it.
bool RectangleToQuad(double w, double h, const std::array<WarpPoint, 4>& to, Projective& out);
bool IsConvexQuad(const std::array<WarpPoint, 4>& q);

// Where destination pixel centre `p` comes from; false: outside the source.
using BackMap = std::function<bool(WarpPoint p, WarpPoint& source)>;

// Fills `out` (allocated, `in`'s size) from `in` through `back` on every core.
Status WarpLayer(Workspace& ws, const LayerRecord& in, LayerRecord& out, const BackMap& back);

// The layer's rectangle onto the quadrilateral `corners` (layer coordinates, as
// RectangleToQuad takes them) into the layer itself; refuses a palette canvas
// ("RGB영상만 지원합니다.") and a quadrilateral that is not convex.
Status WarpToQuad(COrinDoc& doc, LayerRecord& layer, const std::array<WarpPoint, 4>& corners);

// "타원변환" (1406): the layer's rectangle squeezed into the ellipse inscribed in it by
// the elliptical grid mapping: with the box scaled to [-1, 1]^2, a point (x, y) of the
// disc comes from (u, v) = (½√(2 + x² − y² + 2√2x) − ½√(2 + x² − y² − 2√2x),
// ½√(2 − x² + y² + 2√2y) − ½√(2 − x² + y² − 2√2y)), so the box's edges run along the
// ellipse, its centre lines stay straight and the middle keeps its scale; outside the
// ellipse the layer becomes transparent.
Status EllipseLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation EllipseOperation();
