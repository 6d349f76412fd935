#include "DocumentEdit.h"

#include <climits>
#include <new>

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

void SetCanvasSize(COrinDoc& doc, int width, int height) {
    doc.canvas.width = width;
    doc.canvas.height = height;
    RefreshCanvasSizes(doc);
    DropSelection(doc);
}
