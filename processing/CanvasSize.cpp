#include "CanvasSize.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CommandMap.h"
#include "AllLayers.h"
#include "DocumentEdit.h"
#include "LayerModel.h"
#include "LayerGeometry.h"
#include "Messages.h"
#include "Resize.h"

void AnchorShift(int anchor, int w, int h, int W, int H, int& dx, int& dy) {
    const int column = anchor % 3, row = anchor / 3;
    dx = column == 0 ? 0 : column == 1 ? (W - w) / 2 : W - w;
    // Rows are stored bottom-up: anchors of the top row keep the picture's top.
    dy = row == 0 ? H - h : row == 1 ? (H - h) / 2 : 0;
}

Status CanvasSizeDocument(COrinDoc& doc, int width, int height, int anchor) {
    if (doc.IsEmpty()) return Status::Ok();
    if (Status s = CheckPictureSize(width, height); !s) return s;
    if (anchor < 0 || anchor > 8) {
        char text[96];
        std::snprintf(text, sizeof text, msg::kIntegerRange, 0, 8);
        return Status::Fail(text);
    }
    if (width == doc.canvas.width && height == doc.canvas.height) return Status::Ok();
    const AllLayerEdit edit{"캔버스크기조정", false, [&doc, width, height] { SetCanvasSize(doc, width, height); }};
    return RebuildAllLayers(doc, edit, [&](const LayerRecord& layer, LayerRecord& out, ProgressShare share) {
        const int bits = LayerBits(doc, layer);
        if (Status s = AllocateLayer(out, width, height, bits); !s) return s;
        if (!layer.HasBuffers()) return Status::Ok();
        int dx = 0, dy = 0;
        AnchorShift(anchor, layer.width, layer.height, width, height, dx, dy);
        if (layer.kind == kLayerText) {
            // The text's place counts rows from the layer's top.
            out.style.first += dx;
            out.style.second += height - layer.height - dy;
        }
        // Old columns j with 0 <= j + dx < width, old rows i with 0 <= i + dy < height.
        const int j0 = std::max(0, -dx), j1 = std::min(layer.width, width - dx);
        const int i0 = std::max(0, -dy), i1 = std::min(layer.height, height - dy);
        if (j0 >= j1 || i0 >= i1) return Status::Ok();
        const size_t n = size_t(j1 - j0);
        auto copyRow = [&](int i) {
            const int y = i + dy;
            std::memcpy(out.alpha.data() + size_t(y) * size_t(width) + size_t(j0 + dx),
                        layer.alpha.data() + size_t(i) * size_t(layer.width) + size_t(j0), n);
            std::memcpy(out.aux.data() + size_t(y) * size_t(width) + size_t(j0 + dx),
                        layer.aux.data() + size_t(i) * size_t(layer.width) + size_t(j0), n);
            const uint8_t* s = layer.pixels.data() + size_t(i) * size_t(layer.stride);
            uint8_t* d = out.pixels.data() + size_t(y) * size_t(out.stride);
            if (bits >= 8) {
                const size_t bytes = size_t(bits / 8);
                std::memcpy(d + bytes * size_t(j0 + dx), s + bytes * size_t(j0), bytes * n);
                return;
            }
            for (int j = j0; j < j1; ++j)
                CImageBuffer::PutIndex(d, bits, 0, j + dx, 0, uint8_t(geometry::PixelIndexAt(s, bits, j)));
        };
        const bool done = RunRowBlocks(doc.workspace, i1 - i0, 0, [&](int first, int last, int) {
            for (int i = i0 + first; i < i0 + last; ++i) copyRow(i);
        }, share);
        return done ? Status::Ok() : Status::Stopped();
    });
}

Operation CanvasSizeOperation() {
    Operation op;
    op.id = op.menuId = kCmdCanvasSize;
    op.key = "canvas-size";
    op.label = "캔버스 크기 늘리기";
    op.params = {{"width", "가로", 1, kMaxPictureSide, 1, ParamKind::kInteger, {}, 0, true},
                 {"height", "세로", 1, kMaxPictureSide, 1, ParamKind::kInteger, {}, 0, true},
                 {"anchor", "확장방향", 0, 8, 4}};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        return CanvasSizeDocument(doc, v[kSizeWidth], v[kSizeHeight], v[kSizeAnchor]);
    };
    return op;
}
