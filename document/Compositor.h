// Layer compositing: the visible layers combined bottom to top with their opacity and
// blend modes into a 32-bit display image (blue, green, red, alpha in one uint32 with
// blue in the low byte, colours premultiplied, rows top-down), sampled nearest-
// neighbour at the zoom; and the way back from a composite into a layer.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Document.h"

struct ComposeParams {
    float zoomX = 1.0f;
    float zoomY = 1.0f;
    // The region to produce, in view coordinates (the zoomed picture, origin top-left).
    int viewX = 0;
    int viewY = 0;
    int width = 0;
    int height = 0;
    int startSlot = -1;  // -1: the bottom slot
    int layerLimit = 0;  // > 0: stop after this many layers walked (hidden ones count)
};

// Composes `params.width` x `params.height` pixels into `out`.
void ComposeLayers(const COrinDoc& doc, const ComposeParams& params, std::vector<uint32_t>& out);

// The canvas column of every region column and the bottom-up canvas row of every
// region row (nearest neighbour at the zoom, clamped to the canvas).
void MapCoordinates(const COrinDoc& doc, const ComposeParams& params, std::vector<int>& colMap,
                    std::vector<int>& rowMap);

// A layer sampled ahead at a view's zoom: for each copy row, what the layer shows at the
// copy's canvas columns (colour | coverage << 24, 0 off the layer), and the copy columns
// [lo, hi) of each row outside which nothing shows.
struct SampledPlane {
    std::vector<uint32_t> pixels;
    std::vector<int> lo, hi;
};

// The copies of a view's layers (null: the layer is read itself), `width` columns a row;
// region column x reads copy column colIndex[x] and region row y copy row rowIndex[y]
// (both indexes rise by 0 or 1 from one to the next).
struct SampledLayers {
    std::array<const SampledPlane*, kMaxLayers> planes{};
    int width = 0;
    const std::vector<int>* colIndex = nullptr;
    const std::vector<int>* rowIndex = nullptr;
};

// What `layer` shows on the bottom-up canvas row `canvasRow` at the canvas columns
// cols[0, n), packed as in a SampledPlane.
void SampleLayerRow(const COrinDoc& doc, const LayerRecord& layer, int canvasRow, const int* cols, int n,
                    uint32_t* out);

// Draws the visible layers of `slots` (in stack order) over `out`, a region of
// colMap.size() pixels a row, in its rows [firstRow, lastRow) and columns
// [firstCol, lastCol). Every pixel depends only on what is under it: a region composed
// in parts, or over a composite of the layers below, equals one composed at once.
// Layers with a copy in `sampled` are read from it: the result is the same.
void ComposeChain(const COrinDoc& doc, const int* slots, size_t count, const std::vector<int>& colMap,
                  const std::vector<int>& rowMap, int firstRow, int lastRow, int firstCol, int lastCol,
                  uint32_t* out, const SampledLayers* sampled = nullptr);

// The one visible layer of the stack from `startSlot` when it is the bottom slot, a
// true-colour raster layer covering the canvas exactly at offsets 0, without layer
// transparency or effect: the composite is then its colour times its alpha. -1 otherwise.
int PlainSingleLayer(const COrinDoc& doc, int startSlot = -1, int layerLimit = 0);
// That layer when every pixel of it is opaque: the stack flattens to the layer itself
// (with its row padding cleared). -1 otherwise.
int OpaqueSingleLayer(const COrinDoc& doc, int startSlot = -1, int layerLimit = 0);

// Composes the visible layers from `startSlot` at 1:1 and rebuilds `slot` from the
// result at canvas size with offsets 0. False when memory runs out (nothing changes).
bool FlattenIntoSlot(COrinDoc& doc, int slot, int startSlot = -1, int layerLimit = 0);

// Replaces the main image by the flattened picture (what FlattenIntoSlot of the bottom
// slot would give, exported) without changing any layer: composed band by band, so
// that no whole-canvas composite is held. `alpha`, when given, receives the cover of
// every pixel (bottom-up rows, width bytes each). False when memory runs out.
bool ExportCompositeToMainImage(COrinDoc& doc, std::vector<uint8_t>* alpha);

// Replaces the main image by a canvas-size picture at the canvas depth with the
// document's palette, filled from the layer's canvas-visible rows. `clearPadding`: the
// bytes after each row's last pixel are written as 0 (as a flatten leaves them).
bool ExportLayerToMainImage(COrinDoc& doc, int slot, bool clearPadding = false);

// The same picture for a writer, without a copy where the layer's rows are the
// picture's rows (a layer covering the canvas exactly at its depth, with no padding
// to clear): they are lent to the main image while the object lives and given back to
// the layer when it ends. Otherwise the layer is exported as above. Nothing may
// replace the main image's rows meanwhile.
class LayerExport {
public:
    LayerExport(COrinDoc& doc, int slot, bool clearPadding);
    ~LayerExport();
    LayerExport(const LayerExport&) = delete;
    LayerExport& operator=(const LayerExport&) = delete;
    bool Ok() const { return m_ok; }
    bool Lent() const { return m_lent; }

private:
    COrinDoc& m_doc;
    int m_slot;
    bool m_ok = false;
    bool m_lent = false;
};

// One layer alone scaled to width x height (the layer panel's preview), no opacity.
void DrawOneLayer(const COrinDoc& doc, int slot, int width, int height, std::vector<uint32_t>& out);

// The colour of the layer effect's shadow, kept in the record's stored bytes 224..227.
uint32_t ShadowColour(const LayerRecord& layer);
void SetShadowColour(LayerRecord& layer, uint32_t colour);
