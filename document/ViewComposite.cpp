#include "ViewComposite.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Parallel.h"

void RegionRect::Add(const RegionRect& r) {
    if (r.Empty()) return;
    if (Empty()) {
        *this = r;
        return;
    }
    x0 = std::min(x0, r.x0);
    y0 = std::min(y0, r.y0);
    x1 = std::max(x1, r.x1);
    y1 = std::max(y1, r.y1);
}

namespace {

// Everything besides pixel values that the composite depends on.
std::vector<uint64_t> LayoutOf(const COrinDoc& doc, const std::vector<int>& chain) {
    std::vector<uint64_t> key = {uint64_t(doc.canvas.width), uint64_t(doc.canvas.height), uint64_t(doc.canvas.bpp),
                                 uint64_t(int64_t(doc.layers.bottom)), uint64_t(int64_t(doc.layers.current))};
    for (const RgbQuad& q : doc.palette) key.push_back(q.Value());
    for (int slot : chain) {
        const LayerRecord& r = doc.layers[slot];
        key.insert(key.end(), {uint64_t(slot), uint64_t(r.inUse), uint64_t(r.visible), uint64_t(r.kind),
                               uint64_t(r.blend), uint64_t(r.transparency), uint64_t(int64_t(r.x)),
                               uint64_t(int64_t(r.y)), uint64_t(int64_t(r.width)), uint64_t(int64_t(r.height)),
                               uint64_t(int64_t(r.stride)), uint64_t(r.effectOn), uint64_t(r.colour),
                               uint64_t(ShadowColour(r)), uint64_t(reinterpret_cast<uintptr_t>(r.pixels.data())),
                               uint64_t(r.pixels.size()), uint64_t(reinterpret_cast<uintptr_t>(r.alpha.data())),
                               uint64_t(r.alpha.size()), uint64_t(reinterpret_cast<uintptr_t>(r.aux.data())),
                               uint64_t(r.aux.size())});
    }
    return key;
}

// The first and last + 1 index of a monotonic map whose values fall in [lo, hi).
void Span(const std::vector<int>& map, int lo, int hi, int& first, int& last) {
    first = int(map.size());
    last = 0;
    for (int i = 0; i < int(map.size()); ++i)
        if (map[size_t(i)] >= lo && map[size_t(i)] < hi) {
            first = std::min(first, i);
            last = i + 1;
        }
}

// What a layer's sampled copy depends on besides its pixel values.
std::vector<uint64_t> LayerKey(const COrinDoc& doc, int slot) {
    const LayerRecord& r = doc.layers[slot];
    std::vector<uint64_t> key = {uint64_t(doc.canvas.bpp), uint64_t(r.kind), uint64_t(int64_t(r.x)),
                                 uint64_t(int64_t(r.y)), uint64_t(int64_t(r.width)), uint64_t(int64_t(r.height)),
                                 uint64_t(int64_t(r.stride)), uint64_t(r.effectOn), uint64_t(r.colour),
                                 uint64_t(ShadowColour(r)), uint64_t(reinterpret_cast<uintptr_t>(r.pixels.data())),
                                 uint64_t(r.pixels.size()), uint64_t(reinterpret_cast<uintptr_t>(r.alpha.data())),
                                 uint64_t(r.alpha.size()), uint64_t(reinterpret_cast<uintptr_t>(r.aux.data())),
                                 uint64_t(r.aux.size())};
    if (doc.canvas.bpp <= 8)
        for (const RgbQuad& q : doc.palette) key.push_back(q.Value());
    return key;
}

// The canvas positions that a zoom samples, clamped to [0, size): position k of the
// zoomed picture reads floor(k / zoom), up to the first that reaches the last one.
std::vector<int> SampledPositions(float zoom, int size) {
    std::vector<int> at;
    for (int k = 0;; ++k) {
        const int v = std::clamp(int(std::floor(double(k) / double(zoom))), 0, size - 1);
        at.push_back(v);
        if (v >= size - 1) break;
    }
    return at;
}

// Copies pay where a region column reads several canvas columns apart.
bool Sampling(const ComposeParams& p) { return p.zoomX * p.zoomY <= 0.12f && p.zoomX > 0 && p.zoomY > 0; }

bool SameView(const ComposeParams& a, const ComposeParams& b) {
    return a.zoomX == b.zoomX && a.zoomY == b.zoomY && a.width == b.width && a.height == b.height;
}

}  // namespace

void ViewComposite::Clear() {
    m_valid = false;
    m_layout.clear();
}

bool ViewComposite::SameLayout(const COrinDoc& doc) const {
    const std::vector<int> chain = doc.layers.Chain();
    return chain == m_chain && LayoutOf(doc, chain) == m_layout;
}

RegionRect ViewComposite::Pending(const COrinDoc& doc, const ComposeParams& region) const {
    const RegionRect whole{0, 0, region.width, region.height};
    if (!m_valid || !SameView(m_region, region) || m_region.viewX != region.viewX ||
        m_region.viewY != region.viewY || m_revision < doc.damageFloor || !SameLayout(doc))
        return whole;
    RegionRect pending;
    for (const Damage& d : doc.damage) {
        if (d.revision <= m_revision) continue;
        RegionRect r;
        Span(m_colMap, d.x0, d.x1, r.x0, r.x1);
        // Region rows run top-down over bottom-up canvas rows.
        Span(m_rowMap, d.y0, d.y1, r.y0, r.y1);
        pending.Add(r);
    }
    return pending;
}

void ViewComposite::SampleRect(const COrinDoc& doc, int slot, int k0, int k1, int r0, int r1) {
    Sampled& s = m_sampled;
    SampledPlane& plane = s.planes[size_t(slot)];
    const int width = int(s.cols.size());
    const LayerRecord& layer = doc.layers[slot];
    m_sampledRows += uint64_t(r1 - r0);
    ParallelRanges(r1 - r0, 16, [&](int first, int last) {
        for (int r = r0 + first; r < r0 + last; ++r) {
            uint32_t* row = plane.pixels.data() + size_t(r) * size_t(width);
            SampleLayerRow(doc, layer, s.rows[size_t(r)], s.cols.data() + k0, k1 - k0, row + k0);
            int lo = 0, hi = width;
            while (lo < hi && (row[lo] >> 24) == 0) ++lo;
            while (hi > lo && (row[hi - 1] >> 24) == 0) --hi;
            plane.lo[size_t(r)] = lo;
            plane.hi[size_t(r)] = hi;
        }
    });
}

const SampledLayers* ViewComposite::UpdateSampled(const COrinDoc& doc) {
    Sampled& s = m_sampled;
    if (!Sampling(m_region)) return nullptr;
    if (s.zoomX != m_region.zoomX || s.zoomY != m_region.zoomY || s.canvasWidth != doc.canvas.width ||
        s.canvasHeight != doc.canvas.height) {
        s.zoomX = m_region.zoomX;
        s.zoomY = m_region.zoomY;
        s.canvasWidth = doc.canvas.width;
        s.canvasHeight = doc.canvas.height;
        s.cols = SampledPositions(s.zoomX, doc.canvas.width);
        s.rows = SampledPositions(s.zoomY, doc.canvas.height);
        for (int& row : s.rows) row = doc.canvas.height - 1 - row;  // bottom-up
        for (auto& key : s.keys) key.clear();
    }
    const int width = int(s.cols.size()), height = int(s.rows.size());
    const bool everything = s.revision < doc.damageFloor;
    s.view = SampledLayers{};
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        const LayerRecord& r = doc.layers[slot];
        SampledPlane& plane = s.planes[size_t(slot)];
        const bool shown = std::find(m_chain.begin(), m_chain.end(), slot) != m_chain.end() && r.visible == 1 &&
                           r.inUse && !r.pixels.empty();
        if (!shown) {
            plane = SampledPlane{};
            s.keys[size_t(slot)].clear();
            continue;
        }
        std::vector<uint64_t> key = LayerKey(doc, slot);
        if (everything || key != s.keys[size_t(slot)]) {
            plane.pixels.resize(size_t(width) * size_t(height));
            plane.lo.resize(size_t(height));
            plane.hi.resize(size_t(height));
            SampleRect(doc, slot, 0, width, 0, height);
            s.keys[size_t(slot)] = std::move(key);
        } else {
            for (const Damage& d : doc.damage) {
                if (d.revision <= s.revision || d.slot != slot) continue;
                int k0, k1, r0, r1;
                Span(s.cols, d.x0, d.x1, k0, k1);
                Span(s.rows, d.y0, d.y1, r0, r1);
                if (k0 < k1 && r0 < r1) SampleRect(doc, slot, k0, k1, r0, r1);
            }
        }
        s.view.planes[size_t(slot)] = &plane;
    }
    s.revision = doc.revision;
    s.colIndex.resize(size_t(m_region.width));
    s.rowIndex.resize(size_t(m_region.height));
    for (int x = 0; x < m_region.width; ++x) s.colIndex[size_t(x)] = std::clamp(m_region.viewX + x, 0, width - 1);
    for (int y = 0; y < m_region.height; ++y) s.rowIndex[size_t(y)] = std::clamp(m_region.viewY + y, 0, height - 1);
    s.view.width = width;
    s.view.colIndex = &s.colIndex;
    s.view.rowIndex = &s.rowIndex;
    return &s.view;
}

void ViewComposite::Recompose(const COrinDoc& doc, const RegionRect& below, const RegionRect& above) {
    const int width = m_region.width;
    if (!below.Empty()) {
        ParallelRanges(below.y1 - below.y0, 64, [&](int first, int last) {
            for (int y = below.y0 + first; y < below.y0 + last; ++y)
                std::fill_n(m_below.data() + size_t(y) * size_t(width) + size_t(below.x0), size_t(below.x1 - below.x0),
                            0u);
            ComposeChain(doc, m_chain.data(), m_split, m_colMap, m_rowMap, below.y0 + first, below.y0 + last,
                         below.x0, below.x1, m_below.data(), m_sampledView);
        });
    }
    if (!above.Empty()) {
        ParallelRanges(above.y1 - above.y0, 64, [&](int first, int last) {
            for (int y = above.y0 + first; y < above.y0 + last; ++y) {
                const size_t at = size_t(y) * size_t(width) + size_t(above.x0);
                std::memcpy(m_image.data() + at, m_below.data() + at, size_t(above.x1 - above.x0) * sizeof(uint32_t));
            }
            ComposeChain(doc, m_chain.data() + m_split, m_chain.size() - m_split, m_colMap, m_rowMap,
                         above.y0 + first, above.y0 + last, above.x0, above.x1, m_image.data(), m_sampledView);
        });
    }
}

void ViewComposite::Scroll(int dx, int dy, RegionRect& exposedRows, RegionRect& exposedCols) {
    const int w = m_region.width, h = m_region.height;
    exposedRows = exposedCols = {};
    if (std::abs(dx) >= w || std::abs(dy) >= h) {
        exposedRows = {0, 0, w, h};
        return;
    }
    // New pixel (x, y) is old pixel (x + dx, y + dy).
    const int x0 = std::max(0, -dx), x1 = std::min(w, w - dx);
    const int y0 = std::max(0, -dy), y1 = std::min(h, h - dy);
    for (std::vector<uint32_t>* plane : {&m_below, &m_image}) {
        uint32_t* p = plane->data();
        auto move = [&](int y) {
            std::memmove(p + size_t(y) * size_t(w) + size_t(x0), p + size_t(y + dy) * size_t(w) + size_t(x0 + dx),
                         size_t(x1 - x0) * sizeof(uint32_t));
        };
        if (dy > 0)
            for (int y = y0; y < y1; ++y) move(y);
        else
            for (int y = y1 - 1; y >= y0; --y) move(y);
    }
    if (dy > 0) exposedRows = {0, y1, w, h};
    else if (dy < 0) exposedRows = {0, 0, w, y0};
    if (dx > 0) exposedCols = {x1, 0, w, h};
    else if (dx < 0) exposedCols = {0, 0, x0, h};
}

const std::vector<uint32_t>& ViewComposite::Compose(const COrinDoc& doc, const ComposeParams& region) {
    const size_t size = size_t(std::max(0, region.width)) * size_t(std::max(0, region.height));
    if (size == 0 || doc.canvas.width <= 0 || doc.canvas.height <= 0) {
        Clear();
        m_below.clear();
        m_image.assign(size, 0);
        return m_image;
    }
    const RegionRect whole{0, 0, region.width, region.height};
    const bool fresh = !m_valid || !SameView(m_region, region) || m_revision < doc.damageFloor || !SameLayout(doc);
    const bool scrolled = !fresh && (m_region.viewX != region.viewX || m_region.viewY != region.viewY);
    RegionRect rows, cols;
    if (fresh) {
        m_region = region;
        MapCoordinates(doc, region, m_colMap, m_rowMap);
        m_chain = doc.layers.Chain();
        m_layout = LayoutOf(doc, m_chain);
        m_split = 0;
        for (size_t i = 0; i < m_chain.size(); ++i)
            if (m_chain[i] == doc.layers.current) m_split = i;
        // Every pixel is composed again: the planes keep their memory and are not cleared first.
        m_below.resize(size);
        m_image.resize(size);
    } else if (scrolled) {
        Scroll(region.viewX - m_region.viewX, region.viewY - m_region.viewY, rows, cols);
        m_region = region;
        MapCoordinates(doc, region, m_colMap, m_rowMap);
    }
    m_sampledView = UpdateSampled(doc);
    if (fresh) {
        Recompose(doc, whole, whole);
    } else {
        Recompose(doc, rows, rows);
        Recompose(doc, cols, cols);
        RegionRect below, above;
        for (const Damage& d : doc.damage) {
            if (d.revision <= m_revision) continue;
            const auto at = std::find(m_chain.begin(), m_chain.end(), d.slot);
            if (at == m_chain.end()) continue;  // not in the stack: not shown
            RegionRect r;
            Span(m_colMap, d.x0, d.x1, r.x0, r.x1);
            Span(m_rowMap, d.y0, d.y1, r.y0, r.y1);
            if (size_t(at - m_chain.begin()) < m_split) below.Add(r);
            above.Add(r);
        }
        Recompose(doc, below, above);
    }
    m_revision = doc.revision;
    m_valid = true;
    return m_image;
}
