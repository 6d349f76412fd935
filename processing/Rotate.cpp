#include "Rotate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "CommandMap.h"
#include "AllLayers.h"
#include "DocumentEdit.h"
#include "LayerModel.h"
#include "LayerGeometry.h"
#include "Messages.h"

void TurnCosSin(double degrees, double& c, double& s) {
    // The turn is clockwise for positive degrees with rows counted upward: the angle
    // of the mapping is -degrees.
    const double quarter = degrees / 90.0;
    if (quarter == std::floor(quarter)) {
        const int q = ((int(std::fmod(quarter, 4.0)) % 4) + 4) % 4;
        static constexpr int kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, -1, 0, 1};
        c = kCos[q];
        s = kSin[q];
        return;
    }
    const double theta = -degrees * std::numbers::pi / 180.0;
    c = std::cos(theta);
    s = std::sin(theta);
}

namespace {

// Toward zero, but a value within float noise of a whole number is that number:
// 4 x sin(-30 degrees) is -1.9999999999999998 and must give -2.
int TruncCoordinate(double v) {
    const double nearest = std::round(v);
    return int(std::abs(v - nearest) < 1e-9 ? nearest : std::trunc(v));
}

}  // namespace

TurnedBox TurnCorners(double c, double s, int x0, int y0, int w, int h) {
    TurnedBox box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int corner = 0; corner < 4; ++corner) {
        const double x = x0 + (corner & 1 ? w - 1 : 0), y = y0 + (corner & 2 ? h - 1 : 0);
        const int tx = TruncCoordinate(x * c - y * s), ty = TruncCoordinate(x * s + y * c);
        box.minX = std::min(box.minX, tx);
        box.maxX = std::max(box.maxX, tx);
        box.minY = std::min(box.minY, ty);
        box.maxY = std::max(box.maxY, ty);
    }
    return box;
}

namespace {

// A layer's box on the canvas: canvas column = layer column + x, canvas row = layer row - y.
TurnedBox LayerBox(const LayerRecord& layer, double c, double s) {
    return TurnCorners(c, s, layer.x, -layer.y, layer.width, layer.height);
}

}  // namespace

Status RotateDocument(COrinDoc& doc, double degrees, const std::string& label, int command) {
    if (doc.IsEmpty()) return Status::Ok();
    double c = 0, s = 0;
    TurnCosSin(degrees, c, s);
    TurnedBox all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int slot : doc.layers.Chain()) {
        const TurnedBox b = LayerBox(doc.layers[slot], c, s);
        all.minX = std::min(all.minX, b.minX);
        all.minY = std::min(all.minY, b.minY);
        all.maxX = std::max(all.maxX, b.maxX);
        all.maxY = std::max(all.maxY, b.maxY);
    }
    const int64_t W = int64_t(all.maxX) - all.minX + 1, H = int64_t(all.maxY) - all.minY + 1;
    if (W <= 0 || H <= 0 || W > INT32_MAX || H > INT32_MAX) return Status::Fail(msg::kAllocMemory);

    const AllLayerEdit edit{label, false, [&doc, W, H] { SetCanvasSize(doc, int(W), int(H)); }};
    const bool quarter = (c == 0 || s == 0);
    return RebuildAllLayers(doc, edit, [&](const LayerRecord& layer, LayerRecord& out, ProgressShare share) {
        const int bits = LayerBits(doc, layer);
        out.x = out.y = 0;
        if (Status st = AllocateLayer(out, int(W), int(H), bits); !st) return st;
        if (layer.kind == kLayerMeasure || !layer.HasBuffers()) return Status::Ok();
        const TurnedBox box = LayerBox(layer, c, s);
        const bool fills = box.minX == all.minX && box.minY == all.minY && box.Width() == W && box.Height() == H;
        const bool exact = quarter && fills && layer.x == 0 && layer.y == 0;
        const bool half = exact && c == -1;
        const bool done = RunRowBlocks(doc.workspace, int(H), 0, [&](int first, int last, int) {
            if (half) {
                geometry::FlipRows(layer, out, bits, true, true, first, last);
            } else if (exact && c == 1) {
                geometry::FlipRows(layer, out, bits, false, false, first, last);
            } else if (exact) {
                geometry::QuarterTurnRows(layer, out, bits, s < 0, first, last);
            } else {
                // Destination (i, k) is the turned point (minX + i, minY + k); turning it
                // back gives the canvas point, nearest pixel by floor(v + 0.5).
                geometry::MapRows(layer, out, bits, first, last, [&](int i, int k, int& sx, int& sy) {
                    const double x = all.minX + i, y = all.minY + k;
                    sx = int(std::floor(x * c + y * s + 0.5)) - layer.x;
                    sy = int(std::floor(y * c - x * s + 0.5)) + layer.y;
                    return true;
                });
            }
        }, share, exact ? 64 : 0);
        return done ? Status::Ok() : Status::Stopped();
    });
}

namespace {

Operation Turn(int id, const char* key, const char* label, double degrees) {
    return PlainOperation(id, key, label, [degrees, label = std::string(label), id](COrinDoc& doc) {
        return RotateDocument(doc, degrees, label, id);
    });
}

}  // namespace

Operation Rotate90CwOperation() { return Turn(kCmdRotate90Cw, "rotate-90", "90 우회전", 90); }
Operation Rotate90CcwOperation() { return Turn(kCmdRotate90Ccw, "rotate-90-left", "90 좌회전", -90); }
Operation Rotate180CwOperation() { return Turn(kCmdRotate180Cw, "rotate-180", "180 우회전", 180); }
Operation Rotate180CcwOperation() { return Turn(kCmdRotate180Ccw, "rotate-180-left", "180 좌회전", -180); }

Operation FreeRotateOperation() {
    Operation op;
    op.id = op.menuId = kCmdFreeRotate;
    op.key = "rotate";
    op.label = "자유회전";
    OpParam angle{"angle", "회전각도", -36000, 36000, 0};
    angle.decimals = 2;
    op.params = {angle};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        // No turn at all: the layers would only be refitted to their common box, and
        // the history would hold a step that changes nothing.
        if (v[kRotateAngle] % 36000 == 0) return Status::Ok();
        return RotateDocument(doc, v[kRotateAngle] / 100.0, "자유회전", kCmdFreeRotate);
    };
    return op;
}
