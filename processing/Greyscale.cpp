#include "Greyscale.h"

#include "AllLayers.h"
#include "CommandMap.h"
#include "Messages.h"
#include "RowLoop.h"

Status GreyAllLayers(COrinDoc& doc) {
    const bool selected = doc.selection.shown;
    return EditAllLayers(doc, {"그레이스케일 변환", false}, [&doc, selected](LayerRecord& layer, int) {
        if (layer.kind == kLayerText) {
            if (!selected) {
                const uint8_t g = GreyOf((layer.colour >> 16) & 0xFF, (layer.colour >> 8) & 0xFF, layer.colour & 0xFF);
                layer.colour = uint32_t(g) << 16 | uint32_t(g) << 8 | g;
            }
            return Status::Ok();
        }
        RowLoopOptions options;
        options.skipTransparent = false;
        // Without a selection a palette canvas turns its entries grey: mapping each grey to
        // the nearest of its coloured entries would leave the picture in colour.
        options.paletteEntries = !selected;
        return ForEachPixel(doc, layer, options, [](Bgr c) {
            const uint8_t g = GreyOf(c.r, c.g, c.b);
            return Bgr{g, g, g};
        });
    });
}

Operation GreyscaleOperation() {
    Operation op;
    op.id = op.menuId = kCmdGreyscale;
    op.key = "greyscale";
    op.label = "그레이스케일 변환";
    op.run = [](COrinDoc& doc, const OpValues&) {
        if (doc.IsEmpty()) return Status::Ok();
        const Status s = GreyAllLayers(doc);
        if (s) doc.workspace.Message(msg::kGreyDone);
        return s;
    };
    return op;
}
