#include "Distortion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "PaintPrimitives.h"

Status Distort(COrinDoc& doc, int slot, const DistortParams& p) {
    if (p.top == p.bottom || !IsValidSlot(slot) || !doc.layers[slot].inUse) return Status::Fail({});
    LayerRecord& layer = doc.layers[slot];
    if (layer.alpha.size() < size_t(layer.width) * size_t(layer.height)) return Status::Fail({});
    const int L = p.left, Rt = p.right, T = p.top, B = p.bottom;
    const int mx = (Rt - L) / 2, my = (B - T) / 2;
    const int cx = L + mx, cy = T + my;
    const int R = p.radius != 0 ? p.radius : int(std::sqrt(double(mx) * mx + double(my) * my));
    // The pixels processed: the rectangle inside the layer. Sources stay among them.
    const int x0 = std::max(L, 0), x1 = std::min(Rt, layer.width) - 1;
    const int y0 = std::max(T, 0), y1 = std::min(B, layer.height) - 1;
    if (x0 > x1 || y0 > y1) return Status::Ok();
    for (int y = y0; y <= y1; ++y) {
        doc.workspace.Progress(int(100LL * (y - T) / (B - T)));
        if (doc.workspace.Cancelled()) {
            doc.workspace.Progress(0);
            return Status::Stopped();
        }
        for (int x = x0; x <= x1; ++x) {
            const size_t at = size_t(y) * size_t(layer.width) + size_t(x);
            if (layer.alpha[at] == 0) continue;
            const double dx = cx - x, dy = cy - y, r = std::sqrt(dx * dx + dy * dy);
            int sx = L, sy = T;
            if (r < R) {
                const double theta = std::atan2(dy, dx);
                if (p.mode == 0) {
                    sx = cx - int(std::trunc(1.5 * p.strength * std::cos(theta) * (r * r) / R));
                    sy = cy - int(std::trunc(2.0 * std::sin(theta) * (r * r) / R));
                } else if (p.mode == 1) {
                    const double q = std::sqrt(R * r);
                    sx = cx - int(std::trunc(0.7 * p.strength * std::cos(theta) * q));
                    sy = cy - int(std::trunc(0.7 * p.strength * std::sin(theta) * q));
                } else if (p.mode == 2) {
                    sx = x;  // no displacement
                    sy = y;
                } else if (p.mode == 3) {
                    sx = int(std::trunc(std::abs(Rt * theta / (2 * std::numbers::pi))));
                    sy = int(std::trunc(std::abs(B * r / R)));
                } else {
                    sx = x + (x % 32) - 16;
                    sy = y;
                }
            }
            sx = std::clamp(sx, x0, x1);
            sy = std::clamp(sy, y0, y1);
            double w = 1.0;
            if (p.feather) {
                int fx = x - L, fy = y - T;
                if (fx > mx) fx = 2 * mx - fx;
                if (fy > my) fy = 2 * my - fy;
                // A rectangle one pixel wide or tall is all edge.
                w = mx == 0 || my == 0 ? 0.0 : std::clamp(std::min({1.0, 3.0 * fx / mx, 3.0 * fy / my}), 0.0, 1.0);
            }
            const uint32_t S = LayerColourAt(doc, layer, sx, sy), C = LayerColourAt(doc, layer, x, y);
            auto mix = [&](int shift) {
                const double c = (C >> shift) & 0xFF, s = (S >> shift) & 0xFF;
                return uint32_t(std::clamp(std::trunc(c * (1 - w) + s * w), 0.0, 255.0)) << shift;
            };
            WriteLayerColour(doc, layer, x, y, mix(0) | mix(8) | mix(16));
            layer.alpha[at] = 255;
        }
    }
    doc.workspace.Progress(0);
    return Status::Ok();
}
