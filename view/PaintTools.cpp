#include "PaintTools.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "BrushOutline.h"
#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerCoordinates.h"
#include "LayerModel.h"
#include "OutlinePause.h"
#include "PaintPrimitives.h"
#include "ToolTexts.h"
#include "ViewState.h"

namespace {

constexpr int kSprayRadius = 20;

RowSpan Span(int a, int b, int radius) { return {std::min(a, b) - radius, std::max(a, b) + radius}; }

// Converts two view points for painting: both may grow the layer, and growing for
// the second moves the first, so both are converted again afterwards.
void ConvertPair(COrinDoc& doc, int x0, int y0, int x1, int y1, LayerPoint& a, LayerPoint& b) {
    ViewToLayer(doc, x0, y0, true);
    ViewToLayer(doc, x1, y1, true);
    a = ViewToLayer(doc, x0, y0, false);
    b = ViewToLayer(doc, x1, y1, false);
}

RowSpan Stroke(COrinDoc& doc, int mode, int x0, int y0, int x1, int y1, int radius) {
    LayerPoint a, b;
    ConvertPair(doc, x0, y0, x1, y1, a, b);
    LineRaster(doc, mode, false, a.x, a.y, b.x, b.y, doc.workspace.foreground, radius, doc.workspace.soft != 0);
    return Span(a.y, b.y, std::min(std::max(radius, 1), 25));
}

// A painting step of the current layer through the edit path; `label` "" for the
// press and drag events of a stroke, whose release records it.
Status Paint(COrinDoc& doc, const std::string& label, const LayerChange& change) {
    return EditCurrentLayer(doc, {label}, change);
}

bool Painting(const COrinDoc& doc) { return doc.layers.IsCurrentValid() && RefuseTextLayer(doc).ok; }

const char* StrokeLabel(int mode) { return mode == kDabErase ? label::kErase : label::kBrush; }

}  // namespace

int BrushOutlineRadius(const Workspace& ws) {
    switch (ws.currentTool) {
        case kCmdBrush:
        case kCmdEraser: return ws.brushSize > 1 ? std::min(ws.brushSize, 25) : 0;
        case kCmdSpray: return kSprayRadius;
        default: return 0;
    }
}

RowSpan StrokeSegment(COrinDoc& doc, int mode, int x0, int y0, int x1, int y1) {
    const int radius = doc.workspace.currentTool == kCmdGradient ? 1 : doc.workspace.brushSize;
    return Stroke(doc, mode, x0, y0, x1, y1, radius);
}

Status StrokePress(COrinDoc& doc, int mode, int x, int y) {
    return Paint(doc, "", [&](LayerRecord&, RowSpan& rows) {
        // The working copy is the layer as the stroke found it.
        RefreshWorkingCopy(doc);
        rows = StrokeSegment(doc, mode, x, y, x, y);
        ViewOf(doc).lastX = x;
        ViewOf(doc).lastY = y;
        return Status::Ok();
    });
}

Status StrokeDrag(COrinDoc& doc, int mode, int x, int y) {
    ViewState& v = ViewOf(doc);
    if (v.lastX == -1 || !Painting(doc)) return Status::Ok();
    return Paint(doc, "", [&](LayerRecord&, RowSpan& rows) {
        rows = StrokeSegment(doc, mode, v.lastX, v.lastY, x, y);
        v.lastX = x;
        v.lastY = y;
        return Status::Ok();
    });
}

Status StrokeRelease(COrinDoc& doc, int mode) {
    ViewState& v = ViewOf(doc);
    if (v.lastX == -1) return Status::Ok();
    v.lastX = v.lastY = -1;
    if (Painting(doc)) RecordStrokeStep(doc, StrokeLabel(mode));
    return Status::Ok();
}

Status SprayAt(COrinDoc& doc, int x, int y, bool press) {
    if (!press && (ViewOf(doc).lastX == -1 || !Painting(doc))) return Status::Ok();
    return Paint(doc, "", [&](LayerRecord&, RowSpan& rows) {
        if (press) RefreshWorkingCopy(doc);
        const LayerPoint p = ViewToLayer(doc, x, y, true);
        Dab(doc, kDabPaint, p.x, p.y, doc.workspace.foreground, kSprayRadius, true);
        rows = {p.y - kSprayRadius, p.y + kSprayRadius};
        ViewOf(doc).lastX = x;
        ViewOf(doc).lastY = y;
        return Status::Ok();
    });
}

Status SprayRelease(COrinDoc& doc) {
    if (ViewOf(doc).lastX == -1) return Status::Ok();
    ViewOf(doc).lastX = ViewOf(doc).lastY = -1;
    if (Painting(doc)) RecordStrokeStep(doc, label::kSpray);
    return Status::Ok();
}

Status DotAt(COrinDoc& doc, int x, int y) {
    return Paint(doc, label::kDot, [&](LayerRecord&, RowSpan&) {
        const LayerPoint p = ViewToLayer(doc, x - 2, y + 1, true);
        PutPixel(doc, p.x, p.y, doc.workspace.foreground, doc.workspace.brushSize, true);
        return Status::Ok();
    });
}

bool WaterDrop(COrinDoc& doc, int x, int y) {
    LayerRecord* layer = doc.CurrentLayer();
    return layer && WaterDropPixels(doc, *layer, x, y, doc.workspace.brushSize);
}

Status WaterDropAt(COrinDoc& doc, int x, int y, bool press) {
    if (!press && (ViewOf(doc).lastX == -1 || !Painting(doc))) return Status::Ok();
    return Paint(doc, "", [&](LayerRecord&, RowSpan& rows) {
        if (press) RefreshWorkingCopy(doc);
        const LayerPoint p = ViewToLayer(doc, x, y, false);
        const int s = doc.workspace.brushSize > 25 ? 100 : 2 * doc.workspace.brushSize;
        rows = WaterDrop(doc, p.x, p.y) ? RowSpan{p.y - s, p.y + s} : RowSpan{0, -1};
        ViewOf(doc).lastX = x;
        ViewOf(doc).lastY = y;
        return Status::Ok();
    });
}

Status WaterDropRelease(COrinDoc& doc) {
    if (ViewOf(doc).lastX == -1) return Status::Ok();
    ViewOf(doc).lastX = ViewOf(doc).lastY = -1;
    if (Painting(doc)) RecordStrokeStep(doc, label::kWaterDrop);
    return Status::Ok();
}

// The fill reaches a pixel from a reached 8-neighbour P when the pixel is transparent
// or its colour is nearer than the limit to P's colour. A pixel is marked when it is
// reached (the clicked one first) and painted once, after its neighbours were
// examined; so which pixels are reached does not depend on the order of visits.
void FloodFill(COrinDoc& doc, int x, int y) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer || !InsideLayer(*layer, x, y)) return;
    const int w = layer->width, h = layer->height;
    const Workspace& ws = doc.workspace;
    const uint32_t paint = ws.foreground;
    const int limit = ws.inclusionLimit;
    const int spread = ws.edgeSpread;
    const EdgeWeights weights(doc.selection, spread);
    const uint8_t* alpha = layer->alpha.data();
    std::vector<uint64_t> reached((size_t(w) * size_t(h) + 63) / 64, 0);
    auto index = [w](int px, int py) { return size_t(py) * size_t(w) + size_t(px); };
    auto isReached = [&](int px, int py) {
        const size_t i = index(px, py);
        return ((reached[i >> 6] >> (i & 63)) & 1) != 0;
    };
    auto mark = [&](int px, int py) {
        const size_t i = index(px, py);
        reached[i >> 6] |= uint64_t(1) << (i & 63);
    };
    auto joins = [&](int px, int py, int nx, int ny) {
        return alpha[index(nx, ny)] == 0 ||
               ColourDistance(LayerColourAt(doc, *layer, nx, ny), LayerColourAt(doc, *layer, px, py)) < limit;
    };
    auto paintRun = [&](int py, int x0, int x1) {
        for (int px = x0; px <= x1; ++px) {
            // The opacity goes up only where the selection lets the colour in.
            if (spread <= 0) PutAlpha(doc, px, py, 255, true);
            PutPixel(doc, px, py, paint, 1, true, spread, &weights);
        }
    };
    mark(x, y);
    WalkRegion(w, h, x, y, true, isReached, mark, joins, paintRun);
}

Status FillAt(COrinDoc& doc, int x, int y) {
    const Status s = Paint(doc, label::kFill, [&](LayerRecord&, RowSpan&) {
        const LayerPoint p = ViewToLayer(doc, x, y, true);
        if (doc.selection.At(p.x, p.y) == 0) return Status::Stopped();  // outside the selection: no step
        FloodFill(doc, p.x, p.y);
        return Status::Ok();
    });
    return s.ok || !s.message.empty() ? s : Status::Ok();
}

Status PolylinePress(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    const bool segment = v.polyPrevX != -1;
    return Paint(doc, segment ? label::kPolyline : "", [&](LayerRecord&, RowSpan& rows) {
        rows = segment ? StrokeSegment(doc, kDabPaint, v.polyPrevX, v.polyPrevY, x, y) : RowSpan{0, -1};
        v.polyPrevX = x;
        v.polyPrevY = y;
        return Status::Ok();
    });
}

RowSpan DrawCircle(COrinDoc& doc, int rx, int ry, int cx, int cy) {
    LayerPoint rim, centre;
    ConvertPair(doc, rx, ry, cx, cy, rim, centre);
    const double dx = rim.x - centre.x, dy = rim.y - centre.y;
    const int r = int(std::sqrt(dx * dx + dy * dy));
    const int brush = doc.workspace.brushSize;
    const uint32_t colour = doc.workspace.foreground;
    RingPoints(centre.x, centre.y, r, [&](int px, int py) {
        Dab(doc, kDabPaint, px, py, colour, brush, true);
        return true;
    });
    return Span(centre.y - r, centre.y + r, std::min(std::max(brush, 1), 25));
}

namespace {

// The rubber-band tools (line, circle): the press stores the start, every drag draws
// the shape again over the working copy, the release draws it for good and records it.
using RubberShape = void (*)(COrinDoc& doc, int x0, int y0, int x1, int y1);

void LineShape(COrinDoc& doc, int x0, int y0, int x1, int y1) { StrokeSegment(doc, kDabPaint, x0, y0, x1, y1); }
void CircleShape(COrinDoc& doc, int x0, int y0, int x1, int y1) { DrawCircle(doc, x0, y0, x1, y1); }

Status RubberPress(COrinDoc& doc, int x, int y) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    if (Status s = RefuseTextLayer(doc); !s) return s;
    // The timer stays off until the release: the rubber shape is drawn into the
    // layer and taken back from the working copy on every drag.
    ViewOf(doc).strokePause = std::make_shared<OutlinePause>(doc);
    RefitMask(doc);
    RefreshWorkingCopy(doc);
    ViewOf(doc).strokeX = x;
    ViewOf(doc).strokeY = y;
    return Status::Ok();
}

Status RubberDrag(COrinDoc& doc, int x, int y, RubberShape shape) {
    ViewState& v = ViewOf(doc);
    if (v.strokeX == -1 || !Painting(doc)) return Status::Ok();
    RestoreWorkingCopy(doc);
    shape(doc, v.strokeX, v.strokeY, x, y);
    return Status::Ok();
}

Status RubberRelease(COrinDoc& doc, int x, int y, RubberShape shape, const char* label) {
    ViewState& v = ViewOf(doc);
    const std::shared_ptr<OutlinePause> pause = std::move(v.strokePause);
    if (v.strokeX == -1) return Status::Ok();
    if (Painting(doc)) {
        Paint(doc, label, [&](LayerRecord&, RowSpan&) {
            RestoreWorkingCopy(doc);
            shape(doc, v.strokeX, v.strokeY, x, y);
            return Status::Ok();
        });
    }
    v.strokeX = v.strokeY = -1;
    return Status::Ok();
}

}  // namespace

Status LinePress(COrinDoc& doc, int x, int y) { return RubberPress(doc, x, y); }
Status LineDrag(COrinDoc& doc, int x, int y) { return RubberDrag(doc, x, y, LineShape); }
Status LineRelease(COrinDoc& doc, int x, int y) { return RubberRelease(doc, x, y, LineShape, label::kLine); }

Status CirclePress(COrinDoc& doc, int x, int y) { return RubberPress(doc, x, y); }
Status CircleDrag(COrinDoc& doc, int x, int y) { return RubberDrag(doc, x, y, CircleShape); }
Status CircleRelease(COrinDoc& doc, int x, int y) { return RubberRelease(doc, x, y, CircleShape, label::kCircle); }

Status ColourPickAt(COrinDoc& doc, int x, int y) {
    const LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    const LayerPoint p = ViewToLayer(doc, x, y, false);
    uint32_t colour = 0;
    if (InsideLayer(*layer, p.x, p.y)) {
        colour = LayerColourAt(doc, *layer, p.x, p.y);
    } else {
        const ImageInfo& info = doc.mainImage->Info();
        RgbQuad q = info.backgroundColour;
        if (doc.HasPalette() && info.backgroundIndex >= 0 && size_t(info.backgroundIndex) < doc.palette.size())
            q = doc.palette[size_t(info.backgroundIndex)];
        colour = uint32_t(q.red) | (uint32_t(q.green) << 8) | (uint32_t(q.blue) << 16);
    }
    doc.workspace.foreground = colour;
    if (doc.workspace.host) doc.workspace.host->ColoursChanged();
    return Status::Ok();
}

namespace {

// The selected pixels leave the layer into a floating layer (kind 3) at the same
// place: cut ("자르기") and paste ("붙이기") as the edit menu does them.
Status LiftSelection(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    const OutlinePause pause(doc);
    RefitMask(doc);
    if (Status s = CutToClipboard(doc); !s) return s;
    if (Status s = PasteFromClipboard(doc); !s) return s;
    RefitMask(doc);
    m.lifted = true;
    m.shown = false;  // the outline is hidden (and still) while the lifted pixels move
    RefreshWorkingCopy(doc);
    return Status::Ok();
}

}  // namespace

Status MoveLayerBy(COrinDoc& doc, int dx, int dy) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    const int64_t nx = int64_t(layer->x) + dx, ny = int64_t(layer->y) + dy;
    if (nx < -int64_t(layer->width) || nx > layer->width || ny < -int64_t(layer->height) || ny > layer->height)
        return Status::Ok();
    SelectionMask& m = doc.selection;
    if (m.shown && !m.lifted) return LiftSelection(doc);
    const int slot = doc.layers.current;
    layer = doc.CurrentLayer();
    layer->x += dx;
    layer->y += dy;
    m.x += dx;
    m.y += dy;
    // The position is kept where the layer is restored from: its working copy and the
    // step that describes the present state.
    LayerStore::Entry& kept = doc.working.entries[size_t(slot)];
    if (kept.valid) {
        kept.record.x = layer->x;
        kept.record.y = layer->y;
    }
    KeepLayerPlace(doc, slot);
    doc.Touch();
    return Status::Ok();
}

Status MovePress(COrinDoc& doc, int x, int y) {
    // A selection on a text layer cannot be lifted: refused once here, not at every step.
    if (doc.selection.shown && !doc.selection.lifted)
        if (Status s = RefuseTextLayer(doc); !s) return s;
    ViewOf(doc).moveLastX = x;
    ViewOf(doc).moveLastY = y;
    return Status::Ok();
}

Status MoveDrag(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    if (v.moveLastX == -1 || !doc.layers.IsCurrentValid()) return Status::Ok();
    // The mouse moves over the zoomed picture: the layer follows in canvas pixels.
    const double s = 1.0 / double(v.zoom);
    const int dx = int(std::trunc(x * s)) - int(std::trunc(v.moveLastX * s));
    const int dy = int(std::trunc(y * s)) - int(std::trunc(v.moveLastY * s));
    v.moveLastX = x;
    v.moveLastY = y;
    if (dx == 0 && dy == 0) return Status::Ok();
    return MoveLayerBy(doc, dx, dy);
}

Status MoveRelease(COrinDoc& doc) {
    ViewState& v = ViewOf(doc);
    if (v.moveLastX == -1) return Status::Ok();
    v.moveLastX = v.moveLastY = -1;
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    RefreshWorkingCopy(doc);
    if (doc.workspace.host) doc.workspace.host->Refresh(doc);
    doc.Touch();
    return Status::Ok();
}
