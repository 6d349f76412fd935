// "임계치변환" (binary conversion) over every layer of the stack, through the selection,
// transparent pixels included: each pixel becomes pure black or pure white from its
// grey g = (R + G + B) / 3 and the threshold P, its opacity unchanged.
//   "FS 디더링": white when g > P (error g - 255), else black (error g); the error goes
//     in sixteenths, truncated toward zero, to the pixels not yet visited: (x+1, y) 7,
//     (x-1, y+1) 3, (x, y+1) 5, (x+1, y+1) 1, each channel kept to 0..255. Rows run
//     in layer order from row 0; errors past the layer's edge are dropped.
//   "OR 디더링": L = g x 16 / (2P + 100), level L / 16 + 1 where the 4 x 4 matrix value
//     at (x mod 4, y mod 4) is below L mod 16, else L / 16; level 0 white, others black.
//   "절대변환": black when g > P, white otherwise.
#include <algorithm>

#include "EditSteps.h"
#include "CommandMap.h"
#include "EffectCatalogue.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "History.h"
#include "LayerModel.h"
#include "OutlinePause.h"

namespace {

constexpr Bgr kBlack{0, 0, 0}, kWhite{255, 255, 255};
constexpr int kOrder[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

int Grey(int r, int g, int b) { return (r + g + b) / 3; }

Status Dither(COrinDoc& doc, LayerRecord& layer, int p) {
    RowLoopOptions options;
    options.skipTransparent = false;
    options.threads = 1;
    // Channels of the row being visited and of the next one, errors included.
    std::vector<int> here, next;
    auto load = [](const RowSource& source, int y, std::vector<int>& into) {
        const Bgr* row = source.Row(y).data();
        into.resize(size_t(3 * source.Width()));
        for (int x = 0; x < source.Width(); ++x) {
            into[size_t(3 * x)] = row[x].b;
            into[size_t(3 * x + 1)] = row[x].g;
            into[size_t(3 * x + 2)] = row[x].r;
        }
    };
    return ForEachRow(doc, layer, options, [&](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        if (y == 0) load(source, 0, here);
        else here.swap(next);
        const bool below = y + 1 < h;
        if (below) load(source, y + 1, next);
        auto spread = [](std::vector<int>& row, int x, int e) {
            for (int k = 0; k < 3; ++k) row[size_t(3 * x + k)] = std::clamp(row[size_t(3 * x + k)] + e, 0, 255);
        };
        for (int x = 0; x < w; ++x) {
            const int g = Grey(here[size_t(3 * x + 2)], here[size_t(3 * x + 1)], here[size_t(3 * x)]);
            const bool white = g > p;
            const int e = white ? g - 255 : g;
            out[size_t(x)] = white ? kWhite : kBlack;
            if (x + 1 < w) spread(here, x + 1, e * 7 / 16);
            if (!below) continue;
            if (x > 0) spread(next, x - 1, e * 3 / 16);
            spread(next, x, e * 5 / 16);
            if (x + 1 < w) spread(next, x + 1, e * 1 / 16);
        }
    });
}

Status PointMode(COrinDoc& doc, LayerRecord& layer, int mode, int p) {
    RowLoopOptions options;
    options.skipTransparent = false;
    return ForEachRow(doc, layer, options, [=](const RowSource& source, int y, std::span<Bgr> out) {
        const Bgr* row = source.Row(y).data();
        for (int x = 0; x < source.Width(); ++x) {
            const int g = Grey(row[x].r, row[x].g, row[x].b);
            bool black = g > p;
            if (mode == 1) {
                const int l = g * 16 / (2 * p + 100);
                const int level = kOrder[y & 3][x & 3] < l % 16 ? l / 16 + 1 : l / 16;
                black = level != 0;
            }
            out[size_t(x)] = black ? kBlack : kWhite;
        }
    });
}

// Every layer of the stack in turn; when one stops, the layers done before it come
// back as the history last recorded them. `copied`: BeginAllLayerChange has just
// copied every layer, so each is changed in place.
Status BinaryLayers(COrinDoc& doc, int mode, int p, bool copied = false) {
    std::vector<int> done;
    for (int slot : doc.layers.Chain()) {
        LayerRecord& layer = doc.layers[slot];
        if (layer.kind == kLayerText || !layer.HasBuffers()) continue;
        if (copied) doc.history.untouchedSlot = slot;
        const Status s = mode == 0 ? Dither(doc, layer, p) : PointMode(doc, layer, mode, p);
        doc.history.untouchedSlot = -1;
        if (!s) {
            for (int d : done) RestoreRecordedLayer(doc, d);
            return s;
        }
        done.push_back(slot);
    }
    MarkLayerChanged(doc);
    return Status::Ok();
}

Operation BinaryOperation(int id, const char* key, int mode, Slider slider) {
    Operation op = EffectOperation(id, key, kBinaryEffect, {slider}, [mode](COrinDoc& doc, LayerRecord&, const OpValues& v) {
        return BinaryLayers(doc, mode, v[0]);
    });
    // One step holds every layer before and after.
    op.run = [mode](COrinDoc& doc, const OpValues& v) {
        if (!doc.layers.IsCurrentValid()) return Status::Ok();
        if (Status s = RefuseTextLayer(doc); !s) return s;
        const OutlinePause pause(doc);
        BeginAllLayerChange(doc);
        const Status s = BinaryLayers(doc, mode, v[0], true);
        if (s) {
            RefreshWorkingCopy(doc);
            RecordStep(doc, kBinaryEffect, kStepAllLayers);
        } else {
            doc.history.pendingBefore.clear();
        }
        return s;
    };
    return op;
}

}  // namespace

void AddBinaryImage(OperationTable& table) {
    table.Add(BinaryOperation(kCmdFsDither, "fs-dither", 0, {"농도조절", 0, 255, 128}));
    table.Add(BinaryOperation(kCmdOrderedDither, "ordered-dither", 1, {"농도조절", 0, 255, 75}));
    table.Add(BinaryOperation(kCmdThreshold, "threshold", 2, {"이진임계치", 0, 255, 128}));
}
