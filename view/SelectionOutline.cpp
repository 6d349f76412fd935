#include "SelectionOutline.h"

#include <cmath>
#include <vector>

#include "CommandMap.h"
#include "EditSteps.h"
#include "ViewState.h"

namespace {

constexpr uint32_t kDashColour = 0xFFFFFFFF;  // opaque white, premultiplied

bool DashOn(int vx, int vy, int phase, bool blink) { return ((((vx + vy + phase) >> 2) & 1) != 0) == blink; }

// The canvas column (or row, from the top) that view column `v` shows; -1 off the canvas.
int CanvasIndex(int v, float zoom, int size) {
    const int c = int(std::floor(double(v) / double(zoom)));
    return c >= 0 && c < size ? c : -1;
}

// Outline pixels of the region: with `edgeOnly`, the view pixels inside it with a
// 4-neighbour outside (the region's border at screen resolution); otherwise every view
// pixel inside it. `inside` takes canvas column and row (from the top).
template <class Inside>
void DrawRegion(const COrinDoc& doc, const ComposeParams& p, uint32_t* image, bool edgeOnly, const Inside& inside) {
    const int w = p.width, h = p.height;
    if (w <= 0 || h <= 0) return;
    // Canvas columns of view columns viewX - 1 .. viewX + w (one beyond each side).
    std::vector<int> cols(size_t(w) + 2);
    for (int i = 0; i < w + 2; ++i) cols[size_t(i)] = CanvasIndex(p.viewX - 1 + i, p.zoomX, doc.canvas.width);
    auto fillRow = [&](int vy, std::vector<uint8_t>& row) {
        const int r = CanvasIndex(vy, p.zoomY, doc.canvas.height);
        for (int i = 0; i < w + 2; ++i) row[size_t(i)] = r >= 0 && cols[size_t(i)] >= 0 && inside(cols[size_t(i)], r);
    };
    std::vector<uint8_t> above(size_t(w) + 2), here(size_t(w) + 2), below(size_t(w) + 2);
    fillRow(p.viewY - 1, above);
    fillRow(p.viewY, here);
    const int phase = doc.selection.phase;
    const bool blink = doc.workspace.blinkPhase;
    for (int y = 0; y < h; ++y) {
        const int vy = p.viewY + y;
        fillRow(vy + 1, below);
        uint32_t* out = image + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(x) + 1;
            if (!here[i]) continue;
            if (edgeOnly && here[i - 1] && here[i + 1] && above[i] && below[i]) continue;
            if (DashOn(p.viewX + x, vy, phase, blink)) out[x] = kDashColour;
        }
        std::swap(above, here);
        std::swap(here, below);
    }
}

}  // namespace

bool SelectionOutlineVisible(const COrinDoc& doc) {
    const SelectionMask& m = doc.selection;
    if (!m.outlineEnabled || doc.IsEmpty() || !doc.layers.IsCurrentValid() || TopVisibleLayer(doc) < 0) return false;
    const ViewState& v = ViewOf(doc);
    const int tool = doc.workspace.currentTool;
    const bool tracing = !m.built && (tool == kCmdFreeSelect || tool == kCmdPolygonSelect) &&
                         (v.lastX != -1 || v.polyPrevX != -1);
    return m.shown || m.rubber || tracing;
}

void DrawSelectionOutline(const COrinDoc& doc, const ComposeParams& params, uint32_t* image) {
    if (!SelectionOutlineVisible(doc)) return;
    const SelectionMask& m = doc.selection;
    const int canvasH = doc.canvas.height;
    if (m.rubber && !m.shown) {
        // The rectangle (layer coordinates of the current layer, rows bottom-up).
        const LayerRecord& layer = doc.layers[doc.layers.current];
        const int c0 = m.rect[0] + layer.x, c1 = m.rect[2] + layer.x;
        const int r0 = layer.y + canvasH - m.rect[3] - 1, r1 = layer.y + canvasH - m.rect[1] - 1;
        DrawRegion(doc, params, image, true, [&](int c, int r) { return c >= c0 && c <= c1 && r >= r0 && r <= r1; });
        return;
    }
    if (m.width <= 0 || m.height <= 0 || m.bytes.size() < size_t(m.width) * size_t(m.height)) return;
    // Mask column c sits at canvas column c + m.x; mask row y at canvas row m.y + H - y - 1.
    auto byteAt = [&](int c, int r) { return m.At(c - m.x, m.y + canvasH - r - 1); };
    if (m.built) DrawRegion(doc, params, image, true, [&](int c, int r) { return byteAt(c, r) != 0; });
    else DrawRegion(doc, params, image, false, [&](int c, int r) { return byteAt(c, r) == 2; });
}
