#include "LayerOps.h"

#include <algorithm>
#include <cstdio>

#include "ClipboardOps.h"
#include "Compositor.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "OutlinePause.h"
#include "Utf16.h"

namespace {

bool IsTextLayer(const COrinDoc& doc) {
    const int slot = doc.layers.current;
    return IsValidSlot(slot) && doc.layers[slot].kind == kLayerText;
}

// Layers that can be seen in the stack (a flatten leaves the others out of it).
int StackCount(const COrinDoc& doc) { return int(doc.layers.Chain().size()); }

void Relink(COrinDoc& doc, const std::vector<int>& order) {
    for (size_t i = 0; i < order.size(); ++i) {
        LayerRecord& r = doc.layers[order[i]];
        r.below = int16_t(i == 0 ? -1 : order[i - 1]);
        r.above = int16_t(i + 1 == order.size() ? -1 : order[i + 1]);
    }
    doc.layers.bottom = order.empty() ? -1 : order.front();
}

// The checks every delete makes before it changes anything.
Status DeleteChecks(COrinDoc& doc, int slot, bool check) {
    if (StackCount(doc) <= 1) return Status::Fail(msg::kOnlyOneLayer);
    if (!check) return Status::Ok();
    const int kind = doc.layers[slot].kind;
    if (kind == kLayerMeasure) return Status::Fail(msg::kMeasureLayerDelete);
    if (kind == kLayerBackdrop && !doc.workspace.Ask(msg::kBackdropDelete)) return Status::Fail("");
    return Status::Ok();
}

// Unlinks a slot from the stack and picks the new current layer.
void Unlink(COrinDoc& doc, int slot) {
    LayerRecord& r = doc.layers[slot];
    r.inUse = 0;
    const int below = r.below, above = r.above;
    if (!IsValidSlot(below)) {
        if (IsValidSlot(above)) {
            doc.layers.bottom = above;
            doc.layers[above].below = -1;
        } else {
            doc.layers.bottom = doc.layers.current = -1;
            return;
        }
    } else {
        doc.layers[below].above = int16_t(above);
        if (IsValidSlot(above)) doc.layers[above].below = int16_t(below);
    }
    doc.layers.current = IsValidSlot(above) ? above : below;
}

}  // namespace

Status InsertLayerAbove(COrinDoc& doc, const NewLayerPlace& place, int& slot) {
    slot = -1;
    const OutlinePause pause(doc);
    const int free = doc.layers.FirstFree();
    if (free < 0) return Status::Fail(msg::kTooManyLayers);
    doc.busy = true;
    LayerSlotParams p;
    p.format = doc.canvas.format;
    p.bpp = doc.canvas.bpp;
    p.paletteCount = doc.canvas.paletteCount;
    p.slot = free;
    p.x = place.x;
    p.y = place.y;
    p.width = std::max(place.width, doc.canvas.width);
    p.height = std::max(place.height, doc.canvas.height);
    p.paletteMode = 2;
    p.canvasWidth = doc.canvas.width;
    p.canvasHeight = doc.canvas.height;
    p.kind = place.kind;
    if (!CreateLayerInSlot(doc, p)) {
        doc.busy = false;
        return Status::Fail(std::string("AddLayer") + "::Memory Alloc");
    }
    LayerRecord& r = doc.layers[free];
    EnterNewLayer(doc, free, doc.layers.IsCurrentValid() ? doc.layers.current : -1);
    r.kind = uint8_t(place.kind);
    SelectLayer(doc, free);
    doc.SetTitle(Utf16ToUtf8(r.name));
    doc.busy = false;
    slot = free;
    return Status::Ok();
}

Status AddLayer(COrinDoc& doc) {
    int slot = -1;
    if (Status s = InsertLayerAbove(doc, NewLayerPlace{doc.canvas.width, doc.canvas.height}, slot); !s) return s;
    RecordStep(doc, label::kAddLayer, kStepAdd, slot);
    return Status::Ok();
}

Status DeleteLayer(COrinDoc& doc, int slot, bool check, bool record) {
    if (slot < 0) slot = doc.layers.current;
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return Status::Fail(msg::kOnlyOneLayer);
    if (Status s = DeleteChecks(doc, slot, check); !s) return s;
    const OutlinePause pause(doc);
    Unlink(doc, slot);
    if (doc.layers.IsCurrentValid()) RenameForStep(doc, doc.layers.current, NumberedLayerName(doc.layers.current));
    if (record && !doc.busy) RecordStep(doc, label::kDeleteLayer, kStepDelete, slot);
    doc.Touch();
    return Status::Ok();
}

Status DuplicateLayer(COrinDoc& doc) {
    if (doc.HasPalette()) return Status::Fail(msg::kRgbOnly);
    if (Status s = CopyToClipboard(doc); !s) return s;
    return PasteFromClipboard(doc, true);
}

namespace {

Status MergePair(COrinDoc& doc, int lower, int upper) {
    if (Status s = DeleteChecks(doc, upper, true); !s) return s;
    if (!FlattenIntoSlot(doc, lower, lower, 2)) return Status::Fail(msg::kCopyLayerImage);
    DeleteLayer(doc, upper, false, false);
    SelectLayer(doc, lower);
    RecordStep(doc, label::kMerge, kStepMerge, lower);
    return Status::Ok();
}

}  // namespace

Status MergeWithLayerAbove(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    const int lower = doc.layers.current;
    const int upper = doc.layers[lower].above;
    if (!IsValidSlot(upper)) return Status::Ok();
    return MergePair(doc, lower, upper);
}

Status MergeWithLayerBelow(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    const int upper = doc.layers.current;
    const int lower = doc.layers[upper].below;
    if (!IsValidSlot(lower)) return Status::Ok();
    return MergePair(doc, lower, upper);
}

Status FlattenLayers(COrinDoc& doc) {
    const int bottom = doc.layers.bottom;
    if (!IsValidSlot(bottom)) return Status::Ok();
    if (!FlattenIntoSlot(doc, bottom, bottom, 0)) return Status::Fail(msg::kCopyLayerImage);
    doc.layers[bottom].above = -1;
    SelectLayer(doc, bottom);
    RecordStep(doc, label::kFlatten, kStepFlatten, bottom);
    return Status::Ok();
}

Status RenameLayer(COrinDoc& doc, const std::u16string& name) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    layer->name = name.substr(0, 15);
    return Status::Ok();
}

Status RasterizeLayer(COrinDoc& doc) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer || layer->kind != kLayerText) return Status::Ok();
    const int slot = doc.layers.current;
    const std::vector<uint8_t> alpha = layer->alpha;
    // The layer is re-made at the canvas depth: every layer shares it, so a 24-bit
    // layer on an indexed canvas would make the canvas claim 24 bits for all of them.
    LayerSlotParams p;
    p.format = doc.canvas.format;
    p.bpp = doc.canvas.bpp;
    p.paletteCount = doc.canvas.paletteCount;
    p.slot = slot;
    p.x = layer->x;
    p.y = layer->y;
    p.width = layer->width;
    p.height = layer->height;
    p.paletteMode = 2;
    p.canvasWidth = doc.canvas.width;
    p.canvasHeight = doc.canvas.height;
    p.resetMask = true;
    p.pictureFlag = layer->pictureFlag;
    p.kind = kLayerRaster;
    const uint32_t colour = layer->colour;
    if (!CreateLayerInSlot(doc, p)) return Status::Fail(std::string("Rasterize") + "::Memory Alloc");
    LayerRecord& r = doc.layers[slot];
    const int bits = doc.canvas.bpp;
    // On an indexed canvas the colour becomes its nearest palette entry.
    CImageBuffer entries(1, 1, std::min(bits, 8), 0);
    for (size_t i = 0; i < doc.palette.size() && int(i) < entries.PaletteCount(); ++i)
        entries.SetPaletteEntry(int(i), doc.palette[i].Value());
    const uint8_t index = bits < 24 ? uint8_t(entries.NearestPaletteIndex(colour & 0xFFFFFF)) : 0;
    for (int y = 0; y < r.height; ++y) {
        uint8_t* row = r.pixels.data() + size_t(y) * size_t(r.stride);
        for (int x = 0; x < r.width; ++x) {
            if (bits == 24) {
                row[3 * x] = uint8_t(colour);
                row[3 * x + 1] = uint8_t(colour >> 8);
                row[3 * x + 2] = uint8_t(colour >> 16);
            } else {
                CImageBuffer::PutIndex(r.pixels.data(), bits, uint32_t(r.stride), x, y, index);
            }
        }
    }
    if (alpha.size() == r.alpha.size()) r.alpha = alpha;
    r.text.clear();
    doc.Touch();
    return Status::Ok();
}

Status ApplyLayerEffect(COrinDoc& doc, int size, uint32_t colour) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    if (layer->kind == kLayerText) return Status::Fail(msg::kTextLayer);
    layer->extra[3] = 3;
    const OutlinePause pause(doc);
    layer = doc.CurrentLayer();
    layer->effectOn = 1;
    layer->effectSize = uint8_t(std::clamp(size, 0, 255));
    // The shadow colour is kept blue first, as layer colours are.
    SetShadowColour(*layer, ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
    RecordStep(doc, label::kLayerEffect, kStepPixels, doc.layers.current);
    doc.Touch();
    return Status::Ok();
}

void RemoveLayerEffect(COrinDoc& doc) {
    if (LayerRecord* layer = doc.CurrentLayer()) layer->effectOn = 0;
    doc.Touch();
}

void RenderLayerEffect(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot)) return;
    LayerRecord& layer = doc.layers[slot];
    const int w = layer.width, h = layer.height, s = layer.effectSize;
    if (w <= 0 || h <= 0 || layer.alpha.size() < size_t(w) * size_t(h)) return;
    layer.aux.resize(size_t(w) * size_t(h), 0);
    // Summed alpha over the window [x - s, x + s - 1] x [y - s, y + s - 1]; the value
    // is trunc(sum / 255 / (1.5 s^2) x 255) = trunc(2 sum / (3 s^2)), exactly.
    std::vector<int64_t> table(size_t(w + 1) * size_t(h + 1), 0);
    for (int y = 0; y < h; ++y) {
        int64_t run = 0;
        for (int x = 0; x < w; ++x) {
            run += layer.alpha[size_t(y) * size_t(w) + size_t(x)];
            table[size_t(y + 1) * size_t(w + 1) + size_t(x + 1)] = table[size_t(y) * size_t(w + 1) + size_t(x + 1)] + run;
        }
    }
    auto area = [&](int x0, int y0, int x1, int y1) -> int64_t {  // inclusive, clipped
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, w - 1);
        y1 = std::min(y1, h - 1);
        if (x0 > x1 || y0 > y1) return 0;
        const size_t W = size_t(w + 1);
        return table[size_t(y1 + 1) * W + size_t(x1 + 1)] - table[size_t(y0) * W + size_t(x1 + 1)] -
               table[size_t(y1 + 1) * W + size_t(x0)] + table[size_t(y0) * W + size_t(x0)];
    };
    const int64_t denominator = 3 * int64_t(s) * s;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (layer.alpha[i] != 0) continue;
            int64_t value = 0;
            if (s > 0) value = 2 * area(x - s, y - s, x + s - 1, y + s - 1) / denominator;
            layer.aux[i] = uint8_t(std::clamp<int64_t>(value, 0, 255));
        }
        if ((y & 63) == 0) doc.workspace.Progress(y * 100 / h);
    }
    doc.workspace.Progress(0);
}

void SetLayerVisible(COrinDoc& doc, int slot, bool visible) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return;
    doc.layers[slot].visible = visible ? 1 : 0;
    doc.Touch();
}

Status SwapLayers(COrinDoc& doc, int a, int b) {
    std::vector<int> order = doc.layers.Chain();
    auto ia = std::find(order.begin(), order.end(), a);
    auto ib = std::find(order.begin(), order.end(), b);
    if (a == b || ia == order.end() || ib == order.end()) return Status::Ok();
    std::iter_swap(ia, ib);
    Relink(doc, order);
    doc.Touch();
    RecordStep(doc, label::kMoveLayer, kStepMove);
    return Status::Ok();
}

std::vector<LayerRow> LayerRows(const COrinDoc& doc) {
    std::vector<LayerRow> rows;
    for (int slot : doc.layers.Chain()) {
        const LayerRecord& r = doc.layers[slot];
        rows.push_back({slot, r.visible == 1, slot == doc.layers.current, r.name});
    }
    return rows;
}
