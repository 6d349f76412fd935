#include "DocumentEdit.h"

#include <climits>
#include <new>

#include "EditSteps.h"
#include "History.h"
#include "ImageBuffer.h"
#include "LayerModel.h"
#include "Messages.h"

namespace {

// Nothing is selected afterwards: the old mask does not fit the new geometry.
void DropSelection(COrinDoc& doc) {
    SelectionMask& m = doc.selection;
    m.shown = m.built = m.closed = m.inverted = m.lifted = false;
    m.edgeCount = 0;
    const LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return;
    m.bytes.assign(size_t(layer->width) * size_t(layer->height), 1);
    m.width = layer->width;
    m.height = layer->height;
    m.x = layer->x;
    m.y = layer->y;
}

}  // namespace

Status AllocateLayer(LayerRecord& out, int width, int height, int bits, uint8_t alphaFill) {
    if (width <= 0 || height <= 0) return Status::Fail(msg::kAllocMemory);
    const int64_t stride = out.kind == kLayerText ? width : RowStride(width, bits);
    const int64_t plane = int64_t(width) * height, bytes = stride * height;
    if (stride <= 0 || plane > INT32_MAX || bytes > INT32_MAX) return Status::Fail(msg::kAllocMemory);
    try {
        out.pixels.assign(size_t(bytes), 0xFF);
        out.alpha.assign(size_t(plane), alphaFill);
        out.aux.assign(size_t(plane), 0);
    } catch (const std::bad_alloc&) {
        out.FreeBuffers();
        return Status::Fail(msg::kAllocMemory);
    }
    out.width = width;
    out.height = height;
    out.stride = int32_t(stride);
    out.planeSize = int32_t(plane);
    out.pixelSize = int32_t(bytes);
    return Status::Ok();
}

int RebuiltBits(const COrinDoc& doc, const WholeEdit& edit, const LayerRecord& layer) {
    if (layer.kind == kLayerText) return 8;
    return edit.bpp > 0 ? edit.bpp : doc.canvas.bpp;
}

Status EditEveryLayer(COrinDoc& doc, const WholeEdit& edit, const LayerRebuild& rebuild) {
    if (doc.IsEmpty() || !doc.layers.IsCurrentValid()) return Status::Ok();
    Workspace& ws = doc.workspace;
    if (edit.command != -1 && ws.currentCommand == edit.command) return Status::Ok();
    ws.currentCommand = edit.command;
    BeginLayerStep(doc);
    // The working copies are made again afterwards; freeing them first keeps the peak
    // at one new layer per old one.
    for (LayerStore::Entry& e : doc.working.entries) e = LayerStore::Entry{};

    const std::vector<int> chain = doc.layers.Chain();
    std::vector<LayerRecord> built;
    built.reserve(chain.size());
    Status status = Status::Ok();
    for (size_t i = 0; i < chain.size() && status; ++i) {
        const LayerRecord& layer = doc.layers[chain[i]];
        built.emplace_back(static_cast<const LayerFields&>(layer));
        built.back().text = layer.text;
        const int first = int(i * 100 / chain.size()), next = int((i + 1) * 100 / chain.size());
        status = rebuild(layer, built.back(), ProgressShare{first, next - first});
    }
    ws.Progress(0);
    if (!status) {
        built.clear();
        RefreshWorkingCopy(doc);
        EndLayerStep(doc);
        ws.currentCommand = -1;
        return status;
    }

    // The old layers become the step's "before"; every slot in use is kept there.
    std::vector<LayerCopy> before;
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        if (!doc.layers[slot].inUse) continue;
        bool walked = false;
        for (int s : chain) walked = walked || s == slot;
        if (!walked) before.push_back({slot, doc.layers[slot]});
    }
    for (size_t i = 0; i < chain.size(); ++i) {
        before.push_back({chain[i], std::move(doc.layers[chain[i]])});
        doc.layers[chain[i]] = std::move(built[i]);
    }
    doc.history.pendingBefore = std::move(before);

    CanvasHeader& c = doc.canvas;
    if (edit.width > 0) c.width = edit.width;
    if (edit.height > 0) c.height = edit.height;
    if (edit.bpp > 0) c.bpp = edit.bpp;
    if (edit.palette) {
        doc.palette = *edit.palette;
        c.paletteCount = int32_t(doc.palette.size());
    }
    RefreshCanvasSizes(doc);
    if (edit.after) edit.after(doc);
    DropSelection(doc);
    RefreshWorkingCopy(doc);
    MarkLayerChanged(doc);
    RecordStep(doc, edit.label, kStepAllLayers);
    EndLayerStep(doc);
    ws.currentCommand = -1;
    return Status::Ok();
}
