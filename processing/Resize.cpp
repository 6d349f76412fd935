#include "Resize.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "CommandMap.h"
#include "AllLayers.h"
#include "DocumentEdit.h"
#include "LayerModel.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "Resample.h"

int SizePercent(int value, int present) {
    if (present <= 0) return 0;
    return int((double(value) / present + 0.005) * 100);
}

int PercentSize(int percent, int present) { return std::max(1, int(int64_t(present) * percent / 100)); }

int LockedSide(int changed, int presentChanged, int presentOther) {
    if (presentChanged <= 0) return std::max(1, presentOther);
    return int(std::clamp<int64_t>(int64_t(presentOther) * changed / presentChanged, 1, INT_MAX));
}

Status CheckPictureSize(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) {
        char text[96];
        std::snprintf(text, sizeof text, msg::kIntegerRange, 1, kMaxPictureSide);
        return Status::Fail(text);
    }
    if (int64_t(RowStride(width, 24)) * height > INT32_MAX) return Status::Fail(msg::kPictureTooLarge);
    return Status::Ok();
}

namespace {

// Halves round up on both sides of 0 (a layer at -4 scaled by 2 stays whole at -8).
int RoundHalfUp(float v) { return int(std::floor(v + 0.5f)); }

}  // namespace

Status ResizeDocument(COrinDoc& doc, int width, int height, const TextRedraw& redraw) {
    if (doc.IsEmpty()) return Status::Ok();
    if (Status s = CheckPictureSize(width, height); !s) return s;
    const int W = doc.canvas.width, H = doc.canvas.height;
    if (width == W && height == H) return Status::Ok();
    const float sx = float(width) / float(W), sy = float(height) / float(H);
    const float fx = float(W) / float(width), fy = float(H) / float(height);
    const AllLayerEdit edit{"이미지크기", false, [&doc, width, height] {
        SetCanvasSize(doc, width, height);
        doc.workspace.newWidth = width;
        doc.workspace.newHeight = height;
    }};
    return RebuildAllLayers(doc, edit, [&](const LayerRecord& layer, LayerRecord& out, ProgressShare share) {
        const int bits = LayerBits(doc, layer);
        const int w = std::max(width, RoundHalfUp(float(layer.width) * sx));
        const int h = std::max(height, RoundHalfUp(float(layer.height) * sy));
        out.x = RoundHalfUp(float(layer.x) * sx);
        out.y = RoundHalfUp(float(layer.y) * sy);
        if (Status s = AllocateLayer(out, w, h, bits); !s) return s;
        if (!layer.HasBuffers()) return Status::Ok();
        if (Status s = ResampleLayer(doc, layer, out, bits, fx, fy, share); !s) return s;
        if (layer.kind == kLayerText) {
            out.style.first = RoundHalfUp(float(layer.style.first) * sx);
            out.style.second = RoundHalfUp(float(layer.style.second) * sy);
            out.style.size = std::max(1, int(float(layer.style.size) * std::min(sx, sy)));
            // Drawn again at its new size the text stays sharp; without a font the
            // resampled coverage stays.
            if (redraw) {
                std::vector<uint8_t> coverage = out.alpha;
                std::fill(out.alpha.begin(), out.alpha.end(), 0);
                if (!redraw(doc, out)) out.alpha = std::move(coverage);
            }
        }
        return Status::Ok();
    });
}

Operation ResizeOperation(TextRedraw redraw) {
    Operation op;
    op.id = op.menuId = kCmdResize;
    op.key = "resize";
    op.label = "그림크기조정";
    op.params = {{"width", "가로", 1, kMaxPictureSide, 1}, {"height", "세로", 1, kMaxPictureSide, 1}};
    for (OpParam& p : op.params) p.required = true;
    op.run = [redraw = std::move(redraw)](COrinDoc& doc, const OpValues& v) {
        return ResizeDocument(doc, v[kSizeWidth], v[kSizeHeight], redraw);
    };
    return op;
}
