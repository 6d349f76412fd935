// A view's composite kept between paints. It holds the composite of its region and,
// beside it, the composite of the layers below the current layer; a change reported
// with its rectangle (COrinDoc::Touch with a region) is composed again only there,
// from the layers below when the changed layer is the current one or above it, and a
// scroll keeps the pixels still in view. Anything else (another zoom, size, current
// layer, layer order or layer setting, or a change of the whole picture) composes the
// region anew. The result is always the one ComposeLayers gives for the region.
// At zooms of about 1/3 and below the layers are read from copies sampled at the zoom,
// made once and then made again only where a layer changes.
#pragma once

#include <cstdint>
#include <vector>

#include "Compositor.h"

// A rectangle of region pixels: columns [x0, x1) and rows [y0, y1) from the top.
struct RegionRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
    void Add(const RegionRect& r);
};

class ViewComposite {
public:
    // The composite of `region` (zoom, view position and size; the whole stack).
    const std::vector<uint32_t>& Compose(const COrinDoc& doc, const ComposeParams& region);
    // The part of `region` that the next Compose will change: empty when the document
    // has not changed since, the whole region when the change is not known in detail.
    RegionRect Pending(const COrinDoc& doc, const ComposeParams& region) const;
    // Forgets every pixel (the next Compose starts from nothing); the planes keep their memory.
    void Clear();
    // Layer rows sampled into the copies read at small zooms so far: what changes cost them.
    uint64_t SampledRows() const { return m_sampledRows; }

private:
    bool SameLayout(const COrinDoc& doc) const;
    void Recompose(const COrinDoc& doc, const RegionRect& below, const RegionRect& above);
    // Moves the kept pixels for a region moved by (dx, dy); the strips that came into
    // view are returned.
    void Scroll(int dx, int dy, RegionRect& exposedRows, RegionRect& exposedCols);
    // Brings the sampled copies up to date with the document for the region's zoom;
    // null when the zoom reads the layers themselves.
    const SampledLayers* UpdateSampled(const COrinDoc& doc);
    void SampleRect(const COrinDoc& doc, int slot, int k0, int k1, int r0, int r1);

    std::vector<uint32_t> m_below;  // the layers under the current one
    std::vector<uint32_t> m_image;  // every layer
    std::vector<int> m_colMap, m_rowMap;
    std::vector<int> m_chain;
    size_t m_split = 0;             // m_chain[0, m_split) are below the current layer
    std::vector<uint64_t> m_layout;
    ComposeParams m_region;
    uint64_t m_revision = 0;
    bool m_valid = false;

    // The copies: canvas column of each copy column, bottom-up canvas row of each copy row.
    struct Sampled {
        float zoomX = 0, zoomY = 0;
        int canvasWidth = 0, canvasHeight = 0;
        std::vector<int> cols, rows;
        std::array<SampledPlane, kMaxLayers> planes;
        std::array<std::vector<uint64_t>, kMaxLayers> keys;  // what each copy was made from
        uint64_t revision = 0;
        std::vector<int> colIndex, rowIndex;  // the region's columns and rows in the copies
        SampledLayers view;
    } m_sampled;
    const SampledLayers* m_sampledView = nullptr;
    uint64_t m_sampledRows = 0;
};
