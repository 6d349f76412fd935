#include "LayerCoordinates.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "ClipboardOps.h"
#include "LayerModel.h"
#include "ViewState.h"

namespace {

LayerPoint Convert(const COrinDoc& doc, const LayerRecord& layer, int viewX, int viewY) {
    const double s = 1.0 / double(ViewOf(doc).zoom);
    LayerPoint p;
    p.x = int(std::trunc(double(viewX) * s)) - layer.x;
    p.y = layer.y + doc.canvas.height - int(std::trunc(double(viewY) * s)) - 1;
    return p;
}

// Index of `bits`-per-pixel column x in a row.
int ReadIndex(const uint8_t* row, int bits, int x) {
    if (bits == 4) return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Re-creates the current layer larger by `left` + `right` columns and `below` +
// `above` rows, the old planes placed `left` columns and `below` rows in. New pixels
// are white and empty, as in a freshly created layer. False when the new size does
// not fit (the layer is left as it was).
bool Enlarge(COrinDoc& doc, int left, int right, int below, int above) {
    LayerRecord& layer = *doc.CurrentLayer();
    const int64_t width = int64_t(layer.width) + left + right;
    const int64_t height = int64_t(layer.height) + below + above;
    const int bits = LayerBits(doc, layer);
    const int64_t stride = layer.kind == kLayerText ? width : RowStride(width, bits);
    if (width > INT32_MAX || height > INT32_MAX || stride <= 0 || stride * height > INT32_MAX ||
        width * height > INT32_MAX)
        return false;
    std::vector<uint8_t> pixels, alpha, aux;
    try {
        pixels.assign(size_t(stride * height), 0xFF);
        alpha.assign(size_t(width * height), 0);
        aux.assign(size_t(width * height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < layer.height; ++y) {
        const size_t newRow = size_t(y + below);
        const uint8_t* src = layer.pixels.data() + size_t(y) * size_t(layer.stride);
        uint8_t* dst = pixels.data() + newRow * size_t(stride);
        if (bits >= 8) {
            const size_t bytes = size_t(bits / 8);
            std::copy(src, src + size_t(layer.width) * bytes, dst + size_t(left) * bytes);
        } else {
            for (int x = 0; x < layer.width; ++x)
                CImageBuffer::PutIndex(dst, bits, 0, x + left, 0, uint8_t(ReadIndex(src, bits, x)));
        }
        const size_t from = size_t(y) * size_t(layer.width);
        const size_t to = newRow * size_t(width) + size_t(left);
        std::copy(layer.alpha.begin() + from, layer.alpha.begin() + from + size_t(layer.width), alpha.begin() + to);
        std::copy(layer.aux.begin() + from, layer.aux.begin() + from + size_t(layer.width), aux.begin() + to);
    }
    SetLayerGeometry(doc, layer, int(width), int(height));
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.aux = std::move(aux);
    layer.x -= left;
    layer.y += below;
    return true;
}

}  // namespace

LayerPoint ViewToLayer(COrinDoc& doc, int viewX, int viewY, bool grow, bool refresh) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Convert(doc, LayerRecord{}, viewX, viewY);
    LayerPoint p = Convert(doc, *layer, viewX, viewY);
    if (!grow || !layer->HasBuffers()) return p;
    // Overshoot on each side, counted in missing columns or rows.
    const int left = p.x < 0 ? -p.x : 0;
    const int right = p.x >= layer->width ? p.x - layer->width + 1 : 0;
    const int below = p.y < 0 ? -p.y : 0;
    const int above = p.y >= layer->height ? p.y - layer->height + 1 : 0;
    if (left == 0 && right == 0 && below == 0 && above == 0) return p;
    // The width grows by the overshoot plus 15; the old planes move in by the overshoot only.
    const int extraX = left ? left + 15 : right ? right + 15 : 0;
    const int extraY = below ? below + 15 : above ? above + 15 : 0;
    if (!Enlarge(doc, left, extraX - left, below, extraY - below)) return p;
    // A selection shown on the layer is re-laid by the offsets (it must not turn into
    // "everything selected" halfway through a stroke); without one the mask is all 1.
    if (doc.selection.shown) {
        RefitMask(doc);
    } else {
        SelectionMask& m = doc.selection;
        m.bytes.assign(size_t(layer->width) * size_t(layer->height), 1);
        m.width = layer->width;
        m.height = layer->height;
        m.x = layer->x;
        m.y = layer->y;
    }
    if (refresh) {
        doc.Touch();
    }
    return Convert(doc, *layer, viewX, viewY);
}

LayerPoint ViewToLayerOf(const COrinDoc& doc, int slot, int viewX, int viewY) {
    if (!IsValidSlot(slot)) return Convert(doc, LayerRecord{}, viewX, viewY);
    return Convert(doc, doc.layers[slot], viewX, viewY);
}
