#include "Warp.h"

#include <algorithm>
#include <cmath>

#include "CommandMap.h"
#include "DocumentEdit.h"
#include "EditSteps.h"
#include "LayerEdit.h"
#include "LayerModel.h"
#include "Messages.h"

WarpPoint Projective::Apply(WarpPoint p) const {
    const double w = m[6] * p.x + m[7] * p.y + m[8];
    return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
}

bool Projective::Inverse(Projective& out) const {
    const auto& a = m;
    std::array<double, 9> adj{a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
                              a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
                              a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
    const double det = a[0] * adj[0] + a[1] * adj[3] + a[2] * adj[6];
    if (!std::isfinite(det) || std::abs(det) < 1e-12) return false;
    for (double& v : adj) v /= det;
    out.m = adj;
    return true;
}

bool IsConvexQuad(const std::array<WarpPoint, 4>& q) {
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const WarpPoint a = q[size_t(i)], b = q[size_t((i + 1) % 4)], c = q[size_t((i + 2) % 4)];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        if (std::abs(cross) < 1e-9) return false;
        const int s = cross > 0 ? 1 : -1;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return true;
}

bool RectangleToQuad(double w, double h, const std::array<WarpPoint, 4>& to, Projective& out) {
    if (w <= 0 || h <= 0 || !IsConvexQuad(to)) return false;
    // The unit square onto the quadrilateral (the classic closed form), then the
    // rectangle scaled down to the unit square before it.
    const double x0 = to[0].x, y0 = to[0].y, x1 = to[1].x, y1 = to[1].y;
    const double x2 = to[2].x, y2 = to[2].y, x3 = to[3].x, y3 = to[3].y;
    const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
    double a, b, c, d, e, f, g, hh;
    if (std::abs(sx) < 1e-12 && std::abs(sy) < 1e-12) {
        a = x1 - x0, b = x3 - x0, c = x0, d = y1 - y0, e = y3 - y0, f = y0, g = 0, hh = 0;
    } else {
        const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
        const double den = dx1 * dy2 - dx2 * dy1;
        if (std::abs(den) < 1e-12) return false;
        g = (sx * dy2 - dx2 * sy) / den;
        hh = (dx1 * sy - sx * dy1) / den;
        a = x1 - x0 + g * x1, b = x3 - x0 + hh * x3, c = x0;
        d = y1 - y0 + g * y1, e = y3 - y0 + hh * y3, f = y0;
    }
    out.m = {a / w, b / h, c, d / w, e / h, f, g / w, hh / h, 1};
    return true;
}

namespace {

// Bilinear colour and opacity at source point (u, v) in pixel centres (edges clamped).
void SampleInto(const LayerRecord& in, double u, double v, uint8_t* bgr, uint8_t& alpha, uint8_t& aux) {
    const int w = in.width, h = in.height;
    const double fu = std::floor(u), fv = std::floor(v);
    const int x0 = int(fu), y0 = int(fv);
    const int du = std::clamp(int((u - fu) * 256), 0, 255), dv = std::clamp(int((v - fv) * 256), 0, 255);
    const int xa = std::clamp(x0, 0, w - 1), xb = std::clamp(x0 + 1, 0, w - 1);
    const int ya = std::clamp(y0, 0, h - 1), yb = std::clamp(y0 + 1, 0, h - 1);
    const uint32_t w00 = uint32_t((256 - du) * (256 - dv)), w10 = uint32_t(du * (256 - dv));
    const uint32_t w01 = uint32_t((256 - du) * dv), w11 = uint32_t(du * dv);
    const uint8_t* ra = in.pixels.data() + size_t(ya) * size_t(in.stride);
    const uint8_t* rb = in.pixels.data() + size_t(yb) * size_t(in.stride);
    for (int ch = 0; ch < 3; ++ch) {
        const uint32_t sum = ra[3 * xa + ch] * w00 + ra[3 * xb + ch] * w10 + rb[3 * xa + ch] * w01 + rb[3 * xb + ch] * w11;
        bgr[ch] = uint8_t((sum + 32768) >> 16);
    }
    const uint8_t* aa = in.alpha.data() + size_t(ya) * size_t(w);
    const uint8_t* ab = in.alpha.data() + size_t(yb) * size_t(w);
    alpha = uint8_t((aa[xa] * w00 + aa[xb] * w10 + ab[xa] * w01 + ab[xb] * w11 + 32768) >> 16);
    const int nx = std::clamp(int(std::floor(u + 0.5)), 0, w - 1), ny = std::clamp(int(std::floor(v + 0.5)), 0, h - 1);
    aux = in.aux[size_t(ny) * size_t(w) + size_t(nx)];
}

}  // namespace

Status WarpLayer(Workspace& ws, const LayerRecord& in, LayerRecord& out, const BackMap& back) {
    const bool done = RunRowBlocks(ws, out.height, 0, [&](int first, int last, int) {
        for (int k = first; k < last; ++k) {
            uint8_t* row = out.pixels.data() + size_t(k) * size_t(out.stride);
            for (int i = 0; i < out.width; ++i) {
                WarpPoint s;
                if (!back({i + 0.5, k + 0.5}, s)) continue;
                if (!(s.x >= 0 && s.y >= 0 && s.x < in.width && s.y < in.height)) continue;
                const size_t at = size_t(k) * size_t(out.width) + size_t(i);
                SampleInto(in, s.x - 0.5, s.y - 0.5, row + 3 * size_t(i), out.alpha[at], out.aux[at]);
            }
        }
    });
    ws.Progress(0);
    return done ? Status::Ok() : Status::Stopped();
}

namespace {

// Runs `back` over the layer into a fresh copy and swaps it in.
Status WarpInPlace(COrinDoc& doc, LayerRecord& layer, const BackMap& back) {
    if (LayerBits(doc, layer) != 24) return Status::Fail(msg::kRgbOnly);
    if (!layer.HasBuffers()) return Status::Ok();
    LayerRecord out(static_cast<const LayerFields&>(layer));
    if (Status s = AllocateLayer(out, layer.width, layer.height, 24); !s) return s;
    if (Status s = WarpLayer(doc.workspace, layer, out, back); !s) return s;
    layer.pixels = std::move(out.pixels);
    layer.alpha = std::move(out.alpha);
    layer.aux = std::move(out.aux);
    MarkLayerChanged(doc);
    return Status::Ok();
}

}  // namespace

Status WarpToQuad(COrinDoc& doc, LayerRecord& layer, const std::array<WarpPoint, 4>& corners) {
    Projective forward, inverse;
    if (!RectangleToQuad(layer.width, layer.height, corners, forward) || !forward.Inverse(inverse))
        return Status::Fail(msg::kNotConvex);
    return WarpInPlace(doc, layer, [&](WarpPoint p, WarpPoint& s) {
        s = inverse.Apply(p);
        return std::isfinite(s.x) && std::isfinite(s.y);
    });
}

Status EllipseLayer(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    const double rx = layer.width / 2.0, ry = layer.height / 2.0;
    const double root2 = std::sqrt(2.0);
    return WarpInPlace(doc, layer, [&](WarpPoint p, WarpPoint& s) {
        const double x = (p.x - rx) / rx, y = (p.y - ry) / ry;
        if (x * x + y * y > 1.0) return false;
        const double x2 = x * x, y2 = y * y;
        auto half = [](double v) { return 0.5 * std::sqrt(std::max(0.0, v)); };
        const double u = half(2 + x2 - y2 + 2 * root2 * x) - half(2 + x2 - y2 - 2 * root2 * x);
        const double v = half(2 - x2 + y2 + 2 * root2 * y) - half(2 - x2 + y2 - 2 * root2 * y);
        s = {(std::clamp(u, -1.0, 1.0) + 1) * rx, (std::clamp(v, -1.0, 1.0) + 1) * ry};
        s.x = std::min(s.x, layer.width - 1e-9);
        s.y = std::min(s.y, layer.height - 1e-9);
        return true;
    });
}

Operation EllipseOperation() {
    Operation op;
    op.id = op.menuId = kCmdEllipseTransform;
    op.key = "ellipse";
    op.label = "타원변환";
    op.change = EllipseLayer;
    return LayerOperation(std::move(op));
}
