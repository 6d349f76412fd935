// "방울채색" (bubble colouring): 20 H water drops of the painting tools, each at a pixel
// drawn at random (row in 0..H, then column in 0..W) in that pixel's colour with the
// brush size D (P1); draws of H or W and transparent pixels make no drop. Drops build on
// each other, in place and in order. P2 ("윤곽선표시") does not enter the computation.
#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"
#include "PaintPrimitives.h"

namespace {

Status Bubbles(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int size = v[0];
    const int w = layer.width, h = layer.height;
    return InPlace(doc, [&] {
        const int64_t drops = 20LL * h;
        int shown = -1;
        for (int64_t i = 0; i < drops; ++i) {
            if (const int percent = int(100 * i / drops); percent != shown) {
                doc.workspace.Progress(shown = percent);
                if (doc.workspace.Cancelled()) return Status::Stopped();
            }
            const int y = RandomIn(h);
            const int x = RandomIn(w);
            if (y < h && x < w) WaterDropPixels(doc, layer, x, y, size);
        }
        return Status::Ok();
    });
}

}  // namespace

void AddBubbleColouring(OperationTable& table) {
    table.Add(EffectOperation(kCmdBubbles, "bubbles", "방울채색", {{"방울크기", 0, 30, 7}, {"윤곽선표시", 5, 20, 8}}, Bubbles));
}
