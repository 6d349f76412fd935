// A view's composite kept between paints. It holds the composite of its region and,
// beside it, the composite of the layers below the current layer; a change reported
// with its rectangle (COrinDoc::Touch with a region) is composed again only there,
// from the layers below when the changed layer is the current one or above it, and a
// scroll keeps the pixels still in view. Anything else (another zoom, size, current
// layer, layer order or layer setting, or a change of the whole picture) composes the
// region anew. The result is always the one ComposeLayers gives for the region.
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

private:
    bool SameLayout(const COrinDoc& doc) const;
    void Recompose(const COrinDoc& doc, const RegionRect& below, const RegionRect& above);
    // Moves the kept pixels for a region moved by (dx, dy); the strips that came into
    // view are returned.
    void Scroll(int dx, int dy, RegionRect& exposedRows, RegionRect& exposedCols);

    std::vector<uint32_t> m_below;  // the layers under the current one
    std::vector<uint32_t> m_image;  // every layer
    std::vector<int> m_colMap, m_rowMap;
    std::vector<int> m_chain;
    size_t m_split = 0;             // m_chain[0, m_split) are below the current layer
    std::vector<uint64_t> m_layout;
    ComposeParams m_region;
    uint64_t m_revision = 0;
    bool m_valid = false;
};
