#include "Flip.h"

#include "CommandMap.h"
#include "AllLayers.h"
#include "DocumentEdit.h"
#include "EditSteps.h"
#include "LayerEdit.h"
#include "LayerGeometry.h"
#include "LayerModel.h"

namespace {

// A flipped copy of `layer` in `out` (same size); false when stopped.
Status FlipInto(Workspace& ws, const LayerRecord& layer, LayerRecord& out, int bits, bool horizontal, bool vertical,
                ProgressShare share) {
    if (Status s = AllocateLayer(out, layer.width, layer.height, bits); !s) return s;
    const bool done = RunRowBlocks(ws, layer.height, 0, [&](int first, int last, int) {
        geometry::FlipRows(layer, out, bits, horizontal, vertical, first, last);
    }, share);
    return done ? Status::Ok() : Status::Stopped();
}

Status FlipDocument(COrinDoc& doc, bool horizontal) {
    const int W = doc.canvas.width, H = doc.canvas.height;
    const AllLayerEdit edit{horizontal ? "수평제비회전" : "수직제비회전", false, [&doc, W, H] { SetCanvasSize(doc, W, H); }};
    return RebuildAllLayers(doc, edit, [&](const LayerRecord& layer, LayerRecord& out, ProgressShare share) {
        // The layer's box turns over with the canvas: canvas column c goes to W-1-c,
        // canvas row r to H-1-r (layer row = canvas row + y).
        if (horizontal) out.x = W - layer.x - layer.width;
        else out.y = layer.height - H - layer.y;
        return FlipInto(doc.workspace, layer, out, LayerBits(doc, layer), horizontal, !horizontal, share);
    });
}

}  // namespace

Operation FlipHorizontalOperation() {
    return PlainOperation(kCmdFlipHorizontal, "flip-horizontal", "수평제비회전",
                          [](COrinDoc& doc) { return FlipDocument(doc, true); });
}

Operation FlipVerticalOperation() {
    return PlainOperation(kCmdFlipVertical, "flip-vertical", "수직제비회전",
                          [](COrinDoc& doc) { return FlipDocument(doc, false); });
}

Status MirrorLayer(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    if (!layer.HasBuffers()) return Status::Ok();
    LayerRecord out(static_cast<const LayerFields&>(layer));
    if (Status s = FlipInto(doc.workspace, layer, out, LayerBits(doc, layer), true, false, {}); !s) {
        doc.workspace.Progress(0);
        return s;
    }
    doc.workspace.Progress(0);
    layer.pixels = std::move(out.pixels);
    layer.alpha = std::move(out.alpha);
    layer.aux = std::move(out.aux);
    MarkLayerChanged(doc);
    return Status::Ok();
}

Operation MirrorOperation() {
    Operation op;
    op.id = op.menuId = kCmdMirror;
    op.key = "mirror";
    op.label = "거울변환";
    op.change = MirrorLayer;
    return LayerOperation(std::move(op));
}
