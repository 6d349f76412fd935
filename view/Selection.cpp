#include "Selection.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "LayerCoordinates.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "PaintPrimitives.h"
#include "ToolTexts.h"
#include "ViewState.h"

namespace {

void ResetAnchors(ViewState& v) {
    v.strokeX = v.strokeY = v.lastX = v.lastY = -1;
    v.polyFirstX = v.polyFirstY = v.polyPrevX = v.polyPrevY = -1;
    v.rectEndX = v.rectEndY = v.moveLastX = v.moveLastY = -1;
    v.gradEndX = v.gradEndY = -1;
    v.strokePause.reset();  // a stroke without its start point never ends
}

void Invalidate(COrinDoc& doc) {
    doc.Touch();
}

// A lifted selection (the floating layer) goes back into the layer it came from.
void MergeFloatingLayer(COrinDoc& doc) {
    const int floating = doc.layers.FirstOfKind(kLayerFloating);
    if (floating < 0) return;
    LayerRecord& layer = doc.layers[floating];
    const int link = layer.link;
    if (IsValidSlot(link) && doc.layers[link].inUse && layer.below == link) {
        SelectLayer(doc, floating);
        if (MergeWithLayerBelow(doc)) return;
    }
    // Its layer is gone or no longer right below it: it stays as an ordinary layer.
    layer.kind = kLayerRaster;
    layer.link = -1;
}

// The selection rectangle from the rectangle tool's start and end, in layer
// coordinates of the current layer, normalised and clipped to it.
void ComputeSelectionRect(COrinDoc& doc) {
    const ViewState& v = ViewOf(doc);
    ViewToLayer(doc, v.strokeX, v.strokeY, true);
    ViewToLayer(doc, v.rectEndX, v.rectEndY, true);
    // Converted again: growing for the second point moves the first.
    const LayerPoint a = ViewToLayer(doc, v.strokeX, v.strokeY, false);
    const LayerPoint b = ViewToLayer(doc, v.rectEndX, v.rectEndY, false);
    const LayerRecord* layer = doc.CurrentLayer();
    int32_t* r = doc.selection.rect;
    r[0] = std::clamp(std::min(a.x, b.x), 0, layer->width - 1);
    r[1] = std::clamp(std::min(a.y, b.y), 0, layer->height - 1);
    r[2] = std::clamp(std::max(a.x, b.x), 0, layer->width - 1);
    r[3] = std::clamp(std::max(a.y, b.y), 0, layer->height - 1);
}

}  // namespace

void SetMaskBytes(COrinDoc& doc, uint8_t value) {
    std::fill(doc.selection.bytes.begin(), doc.selection.bytes.end(), value);
}

void BoundaryToSelected(COrinDoc& doc) {
    for (uint8_t& b : doc.selection.bytes)
        if (b == 2) b = 1;
}

MaskBox SelectionBounds(const SelectionMask& m) {
    MaskBox box{m.width, m.height, -1, -1};
    for (int y = 0; y < m.height; ++y) {
        const uint8_t* row = m.bytes.data() + size_t(y) * size_t(m.width);
        int first = -1, last = -1;
        for (int x = 0; x < m.width; ++x)
            if (row[x]) {
                if (first < 0) first = x;
                last = x;
            }
        if (first < 0) continue;
        box.left = std::min(box.left, first);
        box.right = std::max(box.right, last);
        box.bottom = std::min(box.bottom, y);
        box.top = std::max(box.top, y);
    }
    return box;
}

void ReleaseSelection(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    m.shown = m.built = m.inverted = m.closed = false;
    m.edgeCount = 0;
    ResetAnchors(ViewOf(doc));
    m.polygonSkip = true;
    m.rubber = false;
    if (!(doc.workspace.currentTool == kCmdAutoSelect && ViewOf(doc).addToSelection)) SetMaskBytes(doc, 1);
    MergeFloatingLayer(doc);
    m.shown = false;
    m.lifted = false;
    RefitMask(doc);
    Invalidate(doc);
}

Status ReleaseCommand(COrinDoc& doc) {
    ReleaseSelection(doc);
    doc.workspace.currentTool = -1;
    if (doc.workspace.host) doc.workspace.host->Refresh(doc);
    return Status::Ok();
}

Status InvertSelection(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    if (!m.shown) return Status::Ok();
    m.inverted = !m.inverted;
    for (uint8_t& b : m.bytes) b = b == 0 ? 1 : 0;
    Invalidate(doc);
    return Status::Ok();
}

void FillRectMask(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    SetMaskBytes(doc, 0);
    const int x0 = std::max(m.rect[0], 0), y0 = std::max(m.rect[1], 0);
    const int x1 = std::min(m.rect[2], m.width - 1), y1 = std::min(m.rect[3], m.height - 1);
    for (int y = y0; y <= y1; ++y)
        std::fill_n(m.bytes.begin() + ptrdiff_t(size_t(y) * size_t(m.width) + size_t(x0)), std::max(0, x1 - x0 + 1),
                    uint8_t(1));
    Invalidate(doc);
    m.built = true;
}

void MarkBoundary(COrinDoc& doc, int fromX, int fromY, int toX, int toY) {
    const LayerPoint a = ViewToLayer(doc, fromX, fromY, false);
    const LayerPoint b = ViewToLayer(doc, toX, toY, false);
    LineRaster(doc, kDabPaint, true, a.x, a.y, b.x, b.y, 0, 1, false);
}

void CompleteMask(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    const int w = m.width, h = m.height;
    if (w <= 0 || h <= 0 || m.bytes.size() < size_t(w) * size_t(h)) {
        m.built = true;
        return;
    }
    uint8_t* bytes = m.bytes.data();
    // Per column, the lowest and highest row holding a boundary byte.
    std::vector<int> low(size_t(w), INT_MAX), high(size_t(w), -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (bytes[size_t(y) * size_t(w) + size_t(x)] == 2) {
                low[size_t(x)] = std::min(low[size_t(x)], y);
                high[size_t(x)] = std::max(high[size_t(x)], y);
            }

    // Seed: the middle between two boundary bytes of a row more than 3 apart, in a
    // column closed by boundary bytes below and above. Without an accepted candidate
    // the last candidate serves.
    bool found = false, accepted = false;
    int seedX = 0, seedY = 0;
    for (int y = 0; y < h && !accepted; ++y) {
        const uint8_t* row = bytes + size_t(y) * size_t(w);
        int first = -1;
        for (int x = 0; x < w; ++x) {
            if (row[x] != 2) continue;
            if (first < 0) {
                first = x;
                continue;
            }
            if (x - first > 3) {
                const int cx = first + int((x - first) * 0.5);
                found = true;
                seedX = cx;
                seedY = y;
                if (low[size_t(cx)] <= y && high[size_t(cx)] >= y) {
                    accepted = true;
                    break;
                }
            }
            first = -1;
        }
    }

    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i)
        if (bytes[i] != 2) bytes[i] = 0;

    if (found) {
        std::vector<uint32_t> stack;
        stack.push_back(uint32_t(seedY) * uint32_t(w) + uint32_t(seedX));
        while (!stack.empty()) {
            const uint32_t p = stack.back();
            stack.pop_back();
            bytes[p] = 1;
            const int x = int(p % uint32_t(w)), y = int(p / uint32_t(w));
            auto visit = [&](int nx, int ny) {
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) return;
                const uint32_t q = uint32_t(ny) * uint32_t(w) + uint32_t(nx);
                if (bytes[q] == 1 || bytes[q] == 2) return;
                bytes[q] = 1;
                stack.push_back(q);
            };
            visit(x, y - 1);
            visit(x - 1, y);
            visit(x + 1, y);
            visit(x, y + 1);
        }
    }
    m.built = true;
}

void RedrawSelectionOutline(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    Workspace& ws = doc.workspace;
    if (!m.shown) return;
    const int kind = ws.outlineKind;
    if (kind == 0) m.outlineEnabled = true;
    if (!m.outlineEnabled || !RefuseTextLayer(doc) || TopVisibleLayer(doc) < 0 || !doc.layers.IsCurrentValid()) return;
    RefitMask(doc);
    const bool complete = (kind == 0 || kind == 3) ? !m.built : (!m.built && m.closed);
    if (complete) CompleteMask(doc);
    // Only the screen changes: the views draw the outline over their kept composite.
    ws.blinkPhase = !ws.blinkPhase;
}

Status RectSelectPress(COrinDoc& doc, int x, int y) {
    if (Status s = RefuseTextLayer(doc); !s) return s;
    ReleaseSelection(doc);
    RefitMask(doc);
    ViewState& v = ViewOf(doc);
    v.strokeX = v.rectEndX = x;
    v.strokeY = v.rectEndY = y;
    return Status::Ok();
}

void RectSelectDrag(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    SelectionMask& m = doc.selection;
    if (v.strokeX == -1 || !doc.layers.IsCurrentValid()) return;  // no press started a rectangle
    v.rectEndX = x;
    v.rectEndY = y;
    m.built = false;
    if (x == v.strokeX && y == v.strokeY) return;
    ComputeSelectionRect(doc);
    if (!m.outlineEnabled || TopVisibleLayer(doc) < 0) return;
    if (doc.workspace.host) doc.workspace.host->StatusText(status::kDesignateArea);
    doc.workspace.blinkPhase = !doc.workspace.blinkPhase;
    m.rubber = true;
    m.phase = (m.phase + 1) % 4;
    Invalidate(doc);
}

void RectSelectRelease(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    SelectionMask& m = doc.selection;
    if (v.strokeX == -1 || !doc.layers.IsCurrentValid()) return;
    if (x == v.strokeX && y == v.strokeY) {
        ReleaseSelection(doc);
        return;
    }
    // A release away from the last drag point ends the rectangle there.
    if (x != v.rectEndX || y != v.rectEndY) RectSelectDrag(doc, x, y);
    m.rubber = false;
    m.shown = true;
    if (!m.built) FillRectMask(doc);
}

void FreeSelectPress(COrinDoc& doc, int x, int y) {
    ReleaseSelection(doc);
    RefitMask(doc);
    ViewState& v = ViewOf(doc);
    v.polyFirstX = v.lastX = v.strokeX = x;
    v.polyFirstY = v.lastY = v.strokeY = y;
}

void FreeSelectDrag(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    if (v.lastX == -1) return;
    MarkBoundary(doc, v.lastX, v.lastY, x, y);
    v.lastX = x;
    v.lastY = y;
    Invalidate(doc);
}

void FreeSelectRelease(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    if (v.lastX == -1 || v.polyFirstX == -1) return;
    if (x != v.lastX || y != v.lastY) FreeSelectDrag(doc, x, y);
    MarkBoundary(doc, v.lastX, v.lastY, v.polyFirstX, v.polyFirstY);
    doc.selection.closed = true;
    doc.selection.shown = true;
    Invalidate(doc);
}

void PolygonSelectPress(COrinDoc& doc, int x, int y) {
    SelectionMask& m = doc.selection;
    ViewState& v = ViewOf(doc);
    if (m.closed) {
        ReleaseSelection(doc);
        m.polygonSkip = false;
    } else if (m.polygonSkip) {
        m.polygonSkip = false;
        return;
    }
    RefitMask(doc);
    if (v.polyPrevX != -1) {
        ++m.edgeCount;
        MarkBoundary(doc, v.polyPrevX, v.polyPrevY, x, y);
        m.closed = false;
    } else {
        v.polyFirstX = x;
        v.polyFirstY = y;
    }
    v.polyPrevX = x;
    v.polyPrevY = y;
    Invalidate(doc);
}

void PolygonSelectClose(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    if (v.polyFirstX == -1) return;
    MarkBoundary(doc, x, y, v.polyFirstX, v.polyFirstY);
    doc.selection.closed = true;
    doc.selection.shown = true;
    Invalidate(doc);
}

void SelectionDoubleClick(COrinDoc& doc, int tool, int x, int y) {
    const bool shown = doc.selection.shown;
    switch (tool) {
    case kCmdRectSelect:
    case kCmdFreeSelect:
        if (shown) ReleaseSelection(doc);
        break;
    case kCmdPolygonSelect:
        if (shown) ReleaseSelection(doc);
        else PolygonSelectClose(doc, x, y);
        break;
    case kCmdAutoSelect:
        if (!shown && !ViewOf(doc).addToSelection) ReleaseSelection(doc);
        break;
    default:
        break;
    }
}
