#include "Gradient.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerCoordinates.h"
#include "LayerEdit.h"
#include "Messages.h"
#include "PaintPrimitives.h"
#include "PaintTools.h"
#include "Selection.h"
#include "ToolTexts.h"
#include "ViewState.h"

namespace {

inline int Channel(uint32_t c, int k) { return int((c >> (8 * k)) & 0xFF); }

uint32_t Scaled(uint32_t colour, int64_t num, int64_t den) {
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) out |= uint32_t(Channel(colour, k) * num / den) << (8 * k);
    return out;
}

// The ramp parameter of a line of equal colour from its crossing column c (relative
// to the box's left edge): 1 at the foreground side, 0 at the other colour.
float RampParameter(int shape, int w, int c, bool rightToLeft) {
    if (shape == 2) {
        const int half = w / 2;
        if (half <= 0) return 1.0f;  // a box one or two columns wide has no middle
        return float(std::min(half, std::abs(half - c))) / float(half);
    }
    if (w <= 0) return 1.0f;  // a box one column wide is all foreground
    const float t = float(std::min(w, std::max(0, w - c))) / float(w);
    return rightToLeft ? 1.0f - t : t;
}

uint32_t RampColour(int kind, float t, uint32_t fg, uint32_t bg) {
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const int value = kind == 1 ? int(t * float(Channel(fg, k)))
                                    : int((1.0f - t) * float(Channel(bg, k)) + t * float(Channel(fg, k)));
        out |= uint32_t(value) << (8 * k);
    }
    return out;
}

}  // namespace

Status ChooseGradient(COrinDoc& doc) {
    Workspace& ws = doc.workspace;
    if (ws.currentTool == kCmdGradient) return Status::Ok();
    ws.currentTool = kCmdGradient;
    ViewOf(doc).strokeX = ViewOf(doc).strokeY = -1;
    ViewOf(doc).gradEndX = ViewOf(doc).gradEndY = -1;
    return Status::Ok();
}

Status ApplyGradient(COrinDoc& doc) {
    if (Status s = RefuseTextLayer(doc); !s) return s;
    if (!doc.CurrentLayer()) return Status::Ok();
    const ViewState& v = ViewOf(doc);
    if (v.strokeX == v.gradEndX && v.strokeY == v.gradEndY) return Status::Fail(msg::kGradientDrag);
    return EditCurrentLayer(doc, {label::kGradient}, [&](LayerRecord& layer, RowSpan&) {
        const Workspace& ws = doc.workspace;
        const uint32_t fg = ws.foreground, bg = ws.background;
        // The drag in layer coordinates (rows bottom-up), so that the lines of equal colour
        // stand perpendicular to the drag as the picture shows it.
        const LayerPoint a = ViewToLayer(doc, v.strokeX, v.strokeY, false);
        const LayerPoint b = ViewToLayer(doc, v.gradEndX, v.gradEndY, false);
        const int w = layer.width, h = layer.height;
        if (a.x == b.x) {
            // Vertical drag: from the foreground colour at the top row toward black.
            for (int i = 0; i < h; ++i) {
                const uint32_t c = Scaled(fg, i + 1, h);
                for (int j = 0; j < w; ++j) PutPixel(doc, j, i, c, 1, true);
            }
        } else if (a.y == b.y) {
            // Horizontal drag: from the foreground colour at the left toward black.
            for (int j = 0; j < w; ++j) {
                const uint32_t c = Scaled(fg, w - j, w);
                for (int i = 0; i < h; ++i) PutPixel(doc, j, i, c, 1, true);
            }
        } else {
            for (int i = 0; i < h; ++i)
                for (int j = 0; j < w; ++j) PutAlpha(doc, j, i, 0, true);
            const MaskBox box = SelectionBounds(doc.selection);
            const int left = box.Empty() ? 0 : box.left;
            const int boxWidth = box.Empty() ? 0 : box.right - box.left;
            const float slope = float(b.y - a.y) / float(b.x - a.x);
            const double m = slope, m2 = double(slope) * double(slope);
            const bool rightToLeft = b.x - a.x <= 0;
            for (int i = 0; i < h; ++i)
                for (int j = 0; j < w; ++j) {
                    if (doc.selection.At(j, i) == 0) continue;
                    // Where the line of equal colour through (j, i) crosses the drag line.
                    const double X = (m * (i - a.y) + m2 * a.x + j) / (m2 + 1.0);
                    const int c = int(X) - left;
                    const uint32_t colour = RampColour(ws.gradientKind, RampParameter(ws.gradientShape, boxWidth, c, rightToLeft), fg, bg);
                    Dab(doc, kDabPaint, j, i, colour, 1, false);
                }
        }
        MarkLayerChanged(doc);
        return Status::Ok();
    });
}

Status GradientPress(COrinDoc& doc, int x, int y) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    if (Status s = RefuseTextLayer(doc); !s) return s;
    ViewOf(doc).strokePause = std::make_shared<OutlinePause>(doc);
    RefreshWorkingCopy(doc);
    ViewOf(doc).strokeX = x;
    ViewOf(doc).strokeY = y;
    return Status::Ok();
}

Status GradientDrag(COrinDoc& doc, int x, int y) {
    const ViewState& v = ViewOf(doc);
    if (v.strokeX == -1 || !doc.layers.IsCurrentValid() || !RefuseTextLayer(doc)) return Status::Ok();
    RestoreWorkingCopy(doc);
    StrokeSegment(doc, kDabPaint, v.strokeX, v.strokeY, x, y);
    return Status::Ok();
}

Status GradientRelease(COrinDoc& doc, int x, int y) {
    ViewState& v = ViewOf(doc);
    const std::shared_ptr<OutlinePause> pause = std::move(v.strokePause);
    if (v.strokeX == -1 || !doc.layers.IsCurrentValid()) return Status::Ok();
    RestoreWorkingCopy(doc);
    v.gradEndX = x;
    v.gradEndY = y;
    return ApplyGradient(doc);
}
