#include "SimilarArea.h"

#include <cstdio>

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "LayerCoordinates.h"
#include "LayerModel.h"
#include "PaintPrimitives.h"
#include "Selection.h"
#include "ToolTexts.h"
#include "ViewState.h"

namespace {

void ShowStatus(COrinDoc& doc, const std::string& text) {
    if (doc.workspace.host) doc.workspace.host->StatusText(text);
}

// 4-connected growth from (x, y): a neighbour joins when it is inside the layer, has
// nonzero opacity, is not selected yet and its colour is nearer than `limit` to the
// clicked colour. The clicked pixel is selected whatever it holds. Which pixels join
// does not depend on the order of visits, so each is marked when it is reached.
void GrowRegion(COrinDoc& doc, int x, int y, int limit) {
    const LayerRecord& layer = *doc.CurrentLayer();
    SelectionMask& m = doc.selection;
    const int w = layer.width, h = layer.height;
    if (m.width != w || m.height != h || m.bytes.size() != size_t(w) * size_t(h) || !InsideLayer(layer, x, y)) return;
    const uint32_t seed = LayerColourAt(doc, layer, x, y);
    uint8_t* bytes = m.bytes.data();
    auto at = [w](int px, int py) { return size_t(py) * size_t(w) + size_t(px); };
    auto isReached = [&](int px, int py) { return bytes[at(px, py)] != 0; };
    auto mark = [&](int px, int py) { bytes[at(px, py)] = 1; };
    auto joins = [&](int, int, int nx, int ny) {
        return layer.alpha[at(nx, ny)] != 0 && ColourDistance(LayerColourAt(doc, layer, nx, ny), seed) < limit;
    };
    mark(x, y);
    WalkRegion(w, h, x, y, false, isReached, mark, joins, [](int, int, int) {});
}

}  // namespace

Status ChooseAutoSelect(COrinDoc& doc) {
    if (Status s = RefuseTextLayer(doc); !s) return s;
    Workspace& ws = doc.workspace;
    ReleaseSelection(doc);
    ws.previousTool = ws.currentTool;
    ws.currentTool = kCmdAutoSelect;
    ws.outlineKind = 2;
    RefitMask(doc);
    SetMaskBytes(doc, 0);
    ShowStatus(doc, status::kAutoSelect);
    ws.inclusionLimit = 25;
    return Status::Ok();
}

void AutoSelectAt(COrinDoc& doc, int x, int y) {
    if (!doc.layers.IsCurrentValid()) return;
    const LayerPoint p = ViewToLayer(doc, x, y, true);
    RefitMask(doc);
    if (ViewOf(doc).addToSelection) BoundaryToSelected(doc);
    else SetMaskBytes(doc, 0);
    GrowRegion(doc, p.x, p.y, doc.workspace.inclusionLimit);
    doc.Touch();
}

Status AutoSelectPress(COrinDoc& doc, int x, int y) {
    if (Status s = RefuseTextLayer(doc); !s) return s;
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    ReleaseSelection(doc);
    AutoSelectAt(doc, x, y);
    SelectionMask& m = doc.selection;
    m.built = m.closed = m.shown = true;
    return Status::Ok();
}

int ColourRangeScan(COrinDoc& doc, uint32_t colour, int tolerance) {
    const LayerRecord* layer = doc.CurrentLayer();
    SelectionMask& m = doc.selection;
    if (!layer || m.width != layer->width || m.height != layer->height ||
        m.bytes.size() != size_t(layer->width) * size_t(layer->height))
        return 0;
    int count = 0;
    const Workspace& ws = doc.workspace;
    for (int y = 0; y < layer->height; ++y) {
        if ((y & 63) == 0) {
            ws.Progress(int(int64_t(y) * 100 / layer->height));
            if (ws.Cancelled()) {
                ws.Progress(0);
                return -1;
            }
        }
        uint8_t* row = m.bytes.data() + size_t(y) * size_t(layer->width);
        const uint8_t* alpha = layer->alpha.data() + size_t(y) * size_t(layer->width);
        for (int x = 0; x < layer->width; ++x) {
            if (alpha[x] == 0 || ColourDistance(LayerColourAt(doc, *layer, x, y), colour) > tolerance) continue;
            row[x] = 1;
            ++count;
        }
    }
    ws.Progress(0);
    return count;
}

std::string ColourRangeSearch(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return {};
    Workspace& ws = doc.workspace;
    const OutlinePause pause(doc);
    const SelectionMask before = doc.selection;
    if (ws.rangeMode == 0) {
        ReleaseSelection(doc);
        SetMaskBytes(doc, 0);
    } else {
        RefitMask(doc);
        BoundaryToSelected(doc);
    }
    const int count = ColourRangeScan(doc, ws.searchColour, ws.rangeTolerance);
    if (count < 0) {
        doc.selection = before;
        doc.Touch();
        return {};
    }
    const LayerRecord& layer = *doc.CurrentLayer();
    const double area = double(layer.width) * double(layer.height);
    char text[128];
    std::snprintf(text, sizeof text, status::kPixelCount, count, area > 0 ? 100.0 * count / area : 0.0, "%");
    ShowStatus(doc, text);
    doc.Touch();
    SaveToStore(doc, doc.working2, doc.layers.current);
    doc.selection.built = doc.selection.shown = true;
    return text;
}

Status ColourRangeCommand(COrinDoc& doc) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    Workspace& ws = doc.workspace;
    const OutlinePause pause(doc);
    SaveToStore(doc, doc.working, doc.layers.current);
    SaveToStore(doc, doc.working2, doc.layers.current);
    ReleaseSelection(doc);
    ws.currentTool = ws.previousTool = kCmdColourRangePick;
    RefitMask(doc);
    SetMaskBytes(doc, 0);
    return Status::Ok();
}

std::string ColourRangePick(COrinDoc& doc, int x, int y) {
    const LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return {};
    const OutlinePause pause(doc);
    const LayerPoint p = ViewToLayer(doc, x, y, false);
    if (!InsideLayer(*layer, p.x, p.y)) return {};
    doc.workspace.searchColour = LayerColourAt(doc, *layer, p.x, p.y);
    return ColourRangeSearch(doc);
}

void ColourRangeReset(COrinDoc& doc) {
    ReleaseSelection(doc);
    SetMaskBytes(doc, 0);
}
