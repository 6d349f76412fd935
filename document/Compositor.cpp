#include "Compositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "BlendRow.h"
#include "LayerModel.h"
#include "Messages.h"
#include "Parallel.h"
#include "Quantize.h"

uint32_t ShadowColour(const LayerRecord& layer) {
    return uint32_t(layer.extra[6]) | (uint32_t(layer.extra[7]) << 8) | (uint32_t(layer.extra[8]) << 16);
}

void SetShadowColour(LayerRecord& layer, uint32_t colour) {
    layer.extra[6] = uint8_t(colour);
    layer.extra[7] = uint8_t(colour >> 8);
    layer.extra[8] = uint8_t(colour >> 16);
    layer.extra[9] = 0;
}

namespace {

enum SourceKind { kSourceTrueColour, kSourcePalette, kSourceVector };

// True when any of n bytes is not 0.
inline bool AnyNonZero(const uint8_t* p, int n) {
    uint64_t any = 0;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        any |= v;
    }
    for (; i < n; ++i) any |= p[i];
    return any != 0;
}

// What a layer shows at a pixel, packed as colour | coverage << 24: its own colour where
// it has coverage, its shadow's colour and coverage where it has none, else 0.
template <int Source>
struct LayerReader {
    const LayerRecord& layer;
    int bits;
    bool shadow;
    uint32_t shadowColour;
    uint32_t lut[256] = {};

    LayerReader(const COrinDoc& doc, const LayerRecord& r)
        : layer(r),
          bits(Source == kSourceVector ? 8 : doc.canvas.bpp),
          shadow(r.effectOn && r.aux.size() == r.alpha.size()),
          shadowColour(ShadowColour(r)) {
        if constexpr (Source == kSourcePalette)
            for (size_t i = 0; i < 256 && i < doc.palette.size(); ++i) lut[i] = doc.palette[i].Value() & 0xFFFFFF;
    }
    uint32_t Colour(const uint8_t* line, int col) const {
        if constexpr (Source == kSourceVector) {
            return layer.colour & 0xFFFFFF;
        } else if constexpr (Source == kSourceTrueColour) {
            const uint8_t* p = line + size_t(col) * size_t(bits / 8);
            return p[0] | (p[1] << 8) | (p[2] << 16);
        } else {
            if (bits == 8) return lut[line[col]];
            if (bits == 4) return lut[(col & 1) ? line[col >> 1] & 0x0F : line[col >> 1] >> 4];
            if (bits == 1) return lut[(line[col >> 3] >> (7 - (col & 7))) & 1];
            return lut[0];
        }
    }
    const uint8_t* Coverage(int64_t row) const { return layer.alpha.data() + size_t(row) * size_t(layer.width); }
    const uint8_t* Shade(int64_t row) const {
        return shadow ? layer.aux.data() + size_t(row) * size_t(layer.width) : nullptr;
    }
    const uint8_t* Line(int64_t row) const { return layer.pixels.data() + size_t(row) * size_t(layer.stride); }
    // The layer row `row` at canvas columns cols[0, n); false when nothing shows there.
    bool Pack(int64_t row, const int* cols, int n, uint32_t* out) const {
        const uint8_t* coverage = Coverage(row);
        const uint8_t* shade = Shade(row);
        const uint8_t* line = Line(row);
        uint32_t any = 0;
        for (int i = 0; i < n; ++i) {
            const int64_t at = int64_t(cols[i]) - layer.x;
            uint32_t v = 0;
            if (at >= 0 && at < layer.width) {
                const int col = int(at);
                const uint32_t c = coverage[col];
                v = c ? Colour(line, col) | c << 24 : shade ? shadowColour | uint32_t(shade[col]) << 24 : 0;
            }
            out[i] = v;
            any |= v;
        }
        return (any >> 24) != 0;
    }
};

// Asks for bytes [p, p + n) to be brought into the cache.
inline void Prefetch(const void* p, size_t n) {
    const char* at = static_cast<const char*>(p);
    for (size_t i = 0; i < n; i += 64) __builtin_prefetch(at + i);
}

struct LayerPass {
    const COrinDoc& doc;
    const LayerRecord& layer;
    int mode;
    int opacity;
    const std::vector<int>& colMap;
    const std::vector<int>& rowMap;
    int width;
    int firstCol, lastCol;
    uint32_t* out;
};

// Draws one layer over `out` for output rows [firstRow, lastRow): each row's layer
// pixels are packed (colour | coverage << 24) a run at a time and blended by BlendRow.
template <int Source>
void ComposeRows(const LayerPass& pass, int firstRow, int lastRow) {
    const LayerRecord& layer = pass.layer;
    const LayerReader<Source> reader(pass.doc, layer);
    // The region columns whose canvas column falls on the layer (the map never falls);
    // positions are compared in 64 bits.
    const int* map = pass.colMap.data();
    const int* lo = std::lower_bound(map + pass.firstCol, map + pass.lastCol, int64_t(layer.x),
                                     [](int v, int64_t x) { return int64_t(v) < x; });
    const int* hi = std::lower_bound(lo, map + pass.lastCol, int64_t(layer.x) + layer.width,
                                     [](int v, int64_t x) { return int64_t(v) < x; });
    const int first = int(lo - map), last = int(hi - map);
    if (first >= last) return;
    // At zoom 1 and above a run of columns reads consecutive layer columns.
    bool unit = true;
    for (int x = first + 1; x < last && unit; ++x) unit = map[x] == map[x - 1] + 1;
    constexpr int kRun = 256;
    uint32_t packed[kRun];
    for (int oy = firstRow; oy < lastRow; ++oy) {
        const int64_t row = int64_t(pass.rowMap[size_t(oy)]) + layer.y;
        if (row < 0 || row >= layer.height) continue;
        uint32_t* dst = pass.out + size_t(oy) * size_t(pass.width);
        if (Source == kSourceTrueColour && unit && !reader.shadow) {
            // The common case: consecutive true-colour pixels read straight from the row.
            const int col0 = map[first] - layer.x;
            const int bytes = reader.bits / 8;
            // The next row is asked of memory while this one is drawn.
            if (oy + 1 < lastRow) {
                const int64_t next = int64_t(pass.rowMap[size_t(oy + 1)]) + layer.y;
                if (next >= 0 && next < layer.height) {
                    Prefetch(reader.Coverage(next) + col0, size_t(last - first));
                    Prefetch(reader.Line(next) + size_t(col0) * size_t(bytes), size_t(last - first) * size_t(bytes));
                }
            }
            BlendBgrRow(pass.mode, pass.opacity, dst + first, reader.Line(row) + size_t(col0) * size_t(bytes), bytes,
                        reader.Coverage(row) + col0, size_t(last - first));
            continue;
        }
        for (int x0 = first; x0 < last; x0 += kRun) {
            const int n = std::min(kRun, last - x0);
            if (unit) {
                // Whole runs without coverage or shadow are passed over unread.
                const int col0 = map[x0] - layer.x;
                const uint8_t* shade = reader.Shade(row);
                if (!AnyNonZero(reader.Coverage(row) + col0, n) && !(shade && AnyNonZero(shade + col0, n))) continue;
            }
            if (reader.Pack(row, map + x0, n, packed)) BlendRow(pass.mode, pass.opacity, dst + x0, packed, size_t(n));
        }
    }
}

// A layer whose buffers are too small for its size at the depth it is read with (a
// layer some change left at another depth) is not drawn rather than read past its rows.
bool Readable(const COrinDoc& doc, const LayerRecord& layer) {
    const int bits = layer.kind == kLayerText ? 8 : doc.canvas.bpp;
    const int32_t minStride = RowStride(layer.width, bits);
    return layer.alpha.size() >= size_t(layer.width) * size_t(layer.height) && minStride >= 0 &&
           layer.stride >= (layer.kind == kLayerText ? layer.width : minStride) &&
           layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height);
}

int ModeOf(const COrinDoc& doc, int slot, bool isBottom) {
    const int blend = doc.layers[slot].blend;
    return isBottom ? kBlendBottom : blend <= 9 ? blend : int(kBlendNormal);
}

// Draws a layer from its copy sampled at the view's zoom.
void ComposeSampled(const SampledPlane& plane, int mode, int opacity, const SampledLayers& sampled, int width,
                    int firstRow, int lastRow, int firstCol, int lastCol, uint32_t* out) {
    const int* index = sampled.colIndex->data();
    constexpr int kRun = 256;
    uint32_t packed[kRun];
    for (int oy = firstRow; oy < lastRow; ++oy) {
        const int r = (*sampled.rowIndex)[size_t(oy)];
        const int lo = plane.lo[size_t(r)], hi = plane.hi[size_t(r)];
        if (lo >= hi) continue;
        // The region columns whose copy column has something to show (the index
        // rises by 0 or 1 a column).
        const int first = int(std::lower_bound(index + firstCol, index + lastCol, lo) - index);
        const int last = int(std::lower_bound(index + first, index + lastCol, hi) - index);
        if (first >= last) continue;
        const uint32_t* src = plane.pixels.data() + size_t(r) * size_t(sampled.width);
        uint32_t* dst = out + size_t(oy) * size_t(width);
        if (oy + 1 < lastRow) {
            const int next = (*sampled.rowIndex)[size_t(oy + 1)];
            const int nlo = plane.lo[size_t(next)], nhi = plane.hi[size_t(next)];
            if (nlo < nhi)
                Prefetch(plane.pixels.data() + size_t(next) * size_t(sampled.width) + size_t(nlo),
                         size_t(nhi - nlo) * sizeof(uint32_t));
        }
        if (index[last - 1] - index[first] == last - 1 - first) {
            BlendRow(mode, opacity, dst + first, src + index[first], size_t(last - first));
            continue;
        }
        for (int x0 = first; x0 < last; x0 += kRun) {
            const int n = std::min(kRun, last - x0);
            for (int i = 0; i < n; ++i) packed[i] = src[index[x0 + i]];
            BlendRow(mode, opacity, dst + x0, packed, size_t(n));
        }
    }
}

}  // namespace

void SampleLayerRow(const COrinDoc& doc, const LayerRecord& layer, int canvasRow, const int* cols, int n,
                    uint32_t* out) {
    std::fill_n(out, n, 0u);
    const int64_t row = int64_t(canvasRow) + layer.y;
    if (!Readable(doc, layer) || row < 0 || row >= layer.height) return;
    if (layer.kind == kLayerText) LayerReader<kSourceVector>(doc, layer).Pack(row, cols, n, out);
    else if (doc.canvas.bpp <= 8) LayerReader<kSourcePalette>(doc, layer).Pack(row, cols, n, out);
    else LayerReader<kSourceTrueColour>(doc, layer).Pack(row, cols, n, out);
}

namespace {

// Draws one layer (the region's rows and columns already mapped to canvas columns and
// bottom-up canvas rows) with its blend mode, or as the bottom slot.
void ComposeLayer(const COrinDoc& doc, const LayerRecord& layer, bool isBottom, bool withOpacity,
                  const std::vector<int>& colMap, const std::vector<int>& rowMap, int width, int firstRow,
                  int lastRow, int firstCol, int lastCol, uint32_t* out) {
    if (!Readable(doc, layer)) return;
    const int mode = isBottom ? kBlendBottom : layer.blend <= 9 ? layer.blend : int(kBlendNormal);
    const LayerPass pass{doc,    layer,   mode,     withOpacity ? 255 - layer.transparency : 255, colMap, rowMap,
                         width, firstCol, lastCol, out};
    // Indexed canvases always go through the palette: a canvas without one (an 8-bit
    // project carries none) has black pixels, never pixels read three bytes wide from
    // rows of one byte per pixel.
    if (layer.kind == kLayerText) ComposeRows<kSourceVector>(pass, firstRow, lastRow);
    else if (doc.canvas.bpp <= 8) ComposeRows<kSourcePalette>(pass, firstRow, lastRow);
    else ComposeRows<kSourceTrueColour>(pass, firstRow, lastRow);
}

}  // namespace

void MapCoordinates(const COrinDoc& doc, const ComposeParams& p, std::vector<int>& colMap, std::vector<int>& rowMap) {
    const int cw = doc.canvas.width, ch = doc.canvas.height;
    colMap.resize(size_t(p.width));
    rowMap.resize(size_t(p.height));
    for (int ox = 0; ox < p.width; ++ox) {
        const int col = int(std::floor(double(p.viewX + ox) / double(p.zoomX)));
        colMap[size_t(ox)] = std::clamp(col, 0, cw - 1);
    }
    for (int oy = 0; oy < p.height; ++oy) {
        const int top = std::clamp(int(std::floor(double(p.viewY + oy) / double(p.zoomY))), 0, ch - 1);
        rowMap[size_t(oy)] = ch - 1 - top;  // bottom-up canvas row
    }
}

void ComposeChain(const COrinDoc& doc, const int* slots, size_t count, const std::vector<int>& colMap,
                  const std::vector<int>& rowMap, int firstRow, int lastRow, int firstCol, int lastCol,
                  uint32_t* out, const SampledLayers* sampled) {
    const int width = int(colMap.size());
    // A band of rows at a time through every layer, so that the band's composite stays
    // in the processor's cache from the first layer to the last.
    const int band = std::max(4, (64 * 1024) / std::max(1, lastCol - firstCol));
    for (int top = firstRow; top < lastRow; top += band) {
        const int bottom = std::min(lastRow, top + band);
        for (size_t i = 0; i < count; ++i) {
            const int slot = slots[i];
            const LayerRecord& layer = doc.layers[slot];
            if (layer.visible != 1 || !layer.inUse || layer.pixels.empty()) continue;
            const SampledPlane* plane = sampled ? sampled->planes[size_t(slot)] : nullptr;
            if (plane)
                ComposeSampled(*plane, ModeOf(doc, slot, slot == doc.layers.bottom), 255 - layer.transparency,
                               *sampled, width, top, bottom, firstCol, lastCol, out);
            else
                ComposeLayer(doc, layer, slot == doc.layers.bottom, true, colMap, rowMap, width, top, bottom,
                             firstCol, lastCol, out);
        }
    }
}

void ComposeLayers(const COrinDoc& doc, const ComposeParams& p, std::vector<uint32_t>& out) {
    out.assign(size_t(std::max(0, p.width)) * size_t(std::max(0, p.height)), 0);
    if (p.width <= 0 || p.height <= 0 || doc.canvas.width <= 0 || doc.canvas.height <= 0) return;
    std::vector<int> colMap, rowMap;
    MapCoordinates(doc, p, colMap, rowMap);
    std::vector<int> chain = doc.layers.Chain(p.startSlot);
    if (p.layerLimit > 0 && int(chain.size()) > p.layerLimit) chain.resize(size_t(p.layerLimit));
    ParallelRanges(p.height, 64, [&](int first, int last) {
        ComposeChain(doc, chain.data(), chain.size(), colMap, rowMap, first, last, 0, p.width, out.data());
    });
}

namespace {

// A single opaque true-colour bottom layer covering the canvas composes to itself:
// the flattened slot then keeps its pixels and alpha (fully covered) as they are.
}  // namespace

int OpaqueSingleLayer(const COrinDoc& doc, int startSlot, int layerLimit) {
    const int slot = PlainSingleLayer(doc, startSlot, layerLimit);
    if (slot < 0) return -1;
    const LayerRecord& r = doc.layers[slot];
    return std::all_of(r.alpha.begin(), r.alpha.end(), [](uint8_t a) { return a == 255; }) ? slot : -1;
}

int PlainSingleLayer(const COrinDoc& doc, int startSlot, int layerLimit) {
    std::vector<int> chain = doc.layers.Chain(startSlot);
    if (layerLimit > 0 && int(chain.size()) > layerLimit) chain.resize(size_t(layerLimit));
    int visible = -1;
    for (int s : chain) {
        const LayerRecord& r = doc.layers[s];
        if (r.visible != 1 || !r.inUse || r.pixels.empty()) continue;
        if (visible >= 0) return -1;
        visible = s;
    }
    if (visible < 0 || visible != doc.layers.bottom || doc.canvas.bpp != 24) return -1;
    const LayerRecord& r = doc.layers[visible];
    if (r.kind == kLayerText || r.transparency != 0 || r.effectOn || r.x != 0 || r.y != 0 ||
        r.width != doc.canvas.width || r.height != doc.canvas.height ||
        r.alpha.size() != size_t(r.width) * size_t(r.height))
        return -1;
    return visible;
}

namespace {

// The palette lookup of a 4- or 8-bit canvas: the nearest entry is looked for among the
// canvas's own entries only (16 at 4 bits), since an index beyond them would not fit
// the pixel. Null at other depths.
std::unique_ptr<PaletteMapper> CanvasLookup(const COrinDoc& doc) {
    if (doc.canvas.bpp != 4 && doc.canvas.bpp != 8) return nullptr;
    const int entries = std::min(int(doc.palette.size()), 1 << doc.canvas.bpp);
    return std::make_unique<PaletteMapper>(doc.palette.data(), entries);
}

// One composite row at the canvas depth into `dst` (zeroed beforehand) and its cover
// into `cover` when given.
void StoreCompositeRow(const COrinDoc& doc, const uint32_t* src, int w, uint8_t* dst, uint8_t* cover,
                       PaletteMapper* lookup) {
    const int bits = doc.canvas.bpp;
    for (int x = 0; x < w; ++x) {
        const uint32_t v = src[x];
        if (cover) cover[x] = uint8_t(v >> 24);
        if (bits == 24) {
            dst[3 * x] = uint8_t(v);
            dst[3 * x + 1] = uint8_t(v >> 8);
            dst[3 * x + 2] = uint8_t(v >> 16);
        } else if (bits == 1) {
            CImageBuffer::PutIndex(dst, 1, 0, x, 0, uint8_t(v));
        } else {
            const int index = lookup ? lookup->Map(v) : 0;
            CImageBuffer::PutIndex(dst, bits, 0, x, 0, uint8_t(index));
        }
    }
}

// A canvas-size picture at the canvas depth with the document's palette, made in the
// main image's block (reused when the size is the same) and keeping its resolution,
// quality and the rest of its information. Null when it cannot be allocated.
// The main image's record at the canvas size, depth and palette, with rows (filled
// with 255 when `fill`) or, without `rows`, only its header.
std::unique_ptr<CImageBuffer> CanvasImage(COrinDoc& doc, bool fill, bool rows = true) {
    auto image = std::make_unique<CImageBuffer>(doc.canvas.format);
    if (doc.mainImage) image->TakeOver(*doc.mainImage);
    const int w = doc.canvas.width, h = doc.canvas.height, bpp = doc.canvas.bpp, format = doc.canvas.format;
    if (!(rows ? image->Allocate(w, h, bpp, format, fill) : image->AllocateHeader(w, h, bpp, format))) return nullptr;
    if (doc.mainImage) {
        ImageInfo info = doc.mainImage->Info();
        info.stride = image->Stride();
        info.typeCode = uint8_t(doc.canvas.format);
        image->Info() = info;
        image->SetHorizontalDpi(info.dpiX);
        image->SetVerticalDpi(info.dpiY);
    }
    for (size_t i = 0; i < doc.palette.size() && int(i) < image->PaletteCount(); ++i)
        image->SetPaletteEntry(int(i), doc.palette[i].Value());
    return image;
}

}  // namespace

bool FlattenIntoSlot(COrinDoc& doc, int slot, int startSlot, int layerLimit) {
    if (!IsValidSlot(slot) || doc.canvas.width <= 0 || doc.canvas.height <= 0) return false;
    const int w = doc.canvas.width, h = doc.canvas.height;
    if (OpaqueSingleLayer(doc, startSlot, layerLimit) == slot) {
        LayerRecord& layer = doc.layers[slot];
        const size_t used = size_t(w) * 3;
        for (int y = 0; y < h && size_t(layer.stride) > used; ++y)
            std::fill_n(layer.pixels.data() + size_t(y) * size_t(layer.stride) + used, size_t(layer.stride) - used, 0);
        std::fill(layer.aux.begin(), layer.aux.end(), 0);
        return true;
    }
    std::vector<uint32_t> composite;
    std::vector<uint8_t> pixels, alpha, aux;
    const int32_t stride = RowStride(w, doc.canvas.bpp);
    try {
        ComposeParams p;
        p.width = w;
        p.height = h;
        p.startSlot = startSlot;
        p.layerLimit = layerLimit;
        ComposeLayers(doc, p, composite);
        pixels.assign(size_t(stride) * size_t(h), 0);
        alpha.assign(size_t(w) * size_t(h), 0);
        aux.assign(size_t(w) * size_t(h), 0);
    } catch (const std::bad_alloc&) {
        doc.workspace.Message(msg::kCopyLayerImage);
        return false;
    }
    // Back to the canvas depth; composite rows are top-down, layer rows bottom-up.
    const std::unique_ptr<PaletteMapper> lookup = CanvasLookup(doc);
    for (int y = 0; y < h; ++y)
        StoreCompositeRow(doc, composite.data() + size_t(h - 1 - y) * size_t(w), w,
                          pixels.data() + size_t(y) * size_t(stride), alpha.data() + size_t(y) * size_t(w), lookup.get());
    LayerRecord& layer = doc.layers[slot];
    if (layer.kind == kLayerText) layer.kind = kLayerRaster;
    SetLayerGeometry(doc, layer, w, h);
    layer.x = layer.y = 0;
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.aux = std::move(aux);
    return true;
}

bool ExportLayerToMainImage(COrinDoc& doc, int slot, bool clearPadding) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return false;
    const LayerRecord& layer = doc.layers[slot];
    if (layer.stride < 0 || layer.height < 0 || layer.pixels.size() < size_t(layer.stride) * size_t(layer.height))
        return false;
    // Rows that the layer covers completely need no filling first.
    const bool covers = layer.x <= 0 && layer.y >= 0 && int64_t(layer.y) + doc.canvas.height <= layer.height &&
                        int64_t(layer.width) + layer.x >= doc.canvas.width && layer.kind != kLayerText;
    std::unique_ptr<CImageBuffer> image = CanvasImage(doc, !covers);
    if (!image) return false;
    const int bits = doc.canvas.bpp;
    const int64_t shift = -int64_t(layer.x) * bits / 8;  // byte of the layer row at canvas column 0
    const size_t rowBytes = image->Stride();
    const size_t used = (size_t(doc.canvas.width) * size_t(bits) + 7) / 8;
    for (int y = 0; y < doc.canvas.height; ++y) {
        const int64_t row = int64_t(y) + layer.y;
        if (row < 0 || row >= layer.height) continue;
        const uint8_t* src = layer.pixels.data() + size_t(row) * size_t(layer.stride);
        uint8_t* dst = image->Row(y);
        // The part of the canvas row that the layer row covers.
        const int64_t first = std::max<int64_t>(0, -shift);
        const int64_t last = std::min<int64_t>(int64_t(rowBytes), int64_t(layer.stride) - shift);
        if (first < last) std::memcpy(dst + first, src + shift + first, size_t(last - first));
        if (clearPadding && rowBytes > used) std::memset(dst + used, 0, rowBytes - used);
    }
    doc.mainImage = std::move(image);
    return true;
}

namespace {

// True when the layer's pixel buffer is, byte for byte, the rows of the exported
// picture: it covers the canvas exactly at the canvas depth, and no padding byte
// needs clearing.
bool RowsAreThePicture(const COrinDoc& doc, const LayerRecord& layer, bool clearPadding) {
    const int w = doc.canvas.width, h = doc.canvas.height, bits = doc.canvas.bpp;
    const int32_t stride = RowStride(w, bits);
    if (layer.kind == kLayerText || layer.x != 0 || layer.y != 0 || layer.width != w || layer.height != h ||
        LayerBits(doc, layer) != bits || stride < 0 || layer.stride != stride ||
        layer.pixels.size() != size_t(stride) * size_t(h))
        return false;
    const size_t used = (size_t(w) * size_t(bits) + 7) / 8;
    if (!clearPadding || used == size_t(stride)) return true;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = layer.pixels.data() + size_t(y) * size_t(stride);
        if (std::any_of(row + used, row + stride, [](uint8_t b) { return b != 0; })) return false;
    }
    return true;
}

}  // namespace

LayerExport::LayerExport(COrinDoc& doc, int slot, bool clearPadding) : m_doc(doc), m_slot(slot) {
    if (IsValidSlot(slot) && doc.layers[slot].inUse && RowsAreThePicture(doc, doc.layers[slot], clearPadding)) {
        std::unique_ptr<CImageBuffer> image = CanvasImage(doc, false, false);
        if (image && image->SwapPixels(doc.layers[slot].pixels)) {
            doc.mainImage = std::move(image);
            m_ok = m_lent = true;
            return;
        }
        if (image) doc.mainImage = std::move(image);
    }
    m_ok = ExportLayerToMainImage(doc, slot, clearPadding);
}

LayerExport::~LayerExport() {
    if (!m_lent) return;
    // The rows go back to the layer; the main image keeps the picture's header.
    LayerRecord& layer = m_doc.layers[m_slot];
    if (m_doc.mainImage && layer.pixels.empty()) m_doc.mainImage->SwapPixels(layer.pixels);
}

bool ExportCompositeToMainImage(COrinDoc& doc, std::vector<uint8_t>* alpha) {
    const int w = doc.canvas.width, h = doc.canvas.height;
    if (w <= 0 || h <= 0 || !IsValidSlot(doc.layers.bottom)) return false;
    std::unique_ptr<CImageBuffer> image;
    std::vector<uint32_t> band;
    try {
        if (alpha) alpha->assign(size_t(w) * size_t(h), 0);
        image = CanvasImage(doc, false);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!image) return false;
    const std::unique_ptr<PaletteMapper> lookup = CanvasLookup(doc);
    // Bands of rows, each composed apart (a region composed in parts equals one composed
    // at once); band rows are top-down, picture rows bottom-up.
    constexpr int kBand = 512;
    ComposeParams p;
    p.width = w;
    p.startSlot = doc.layers.bottom;
    for (int top = 0; top < h; top += kBand) {
        p.viewY = top;
        p.height = std::min(kBand, h - top);
        try {
            ComposeLayers(doc, p, band);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int r = 0; r < p.height; ++r) {
            const int y = h - 1 - (top + r);
            uint8_t* dst = image->Row(y);
            std::memset(dst, 0, image->Stride());
            StoreCompositeRow(doc, band.data() + size_t(r) * size_t(w), w, dst,
                              alpha ? alpha->data() + size_t(y) * size_t(w) : nullptr, lookup.get());
        }
    }
    doc.mainImage = std::move(image);
    return true;
}

void DrawOneLayer(const COrinDoc& doc, int slot, int width, int height, std::vector<uint32_t>& out) {
    out.assign(size_t(std::max(0, width)) * size_t(std::max(0, height)), 0);
    if (!IsValidSlot(slot) || width <= 0 || height <= 0 || doc.canvas.width <= 0 || doc.canvas.height <= 0) return;
    const LayerRecord& layer = doc.layers[slot];
    if (!layer.inUse || layer.pixels.empty()) return;
    ComposeParams p;
    p.width = width;
    p.height = height;
    p.zoomX = float(width) / float(doc.canvas.width);
    p.zoomY = float(height) / float(doc.canvas.height);
    std::vector<int> colMap, rowMap;
    MapCoordinates(doc, p, colMap, rowMap);
    ComposeLayer(doc, layer, true, false, colMap, rowMap, width, 0, height, 0, width, out.data());
}
