#include "Invert.h"

#include "CommandMap.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerEdit.h"
#include "LayerModel.h"
#include "RowLoop.h"

namespace {

// 256 entries, entry i the grey (i, i, i).
bool GreyPalette(const std::vector<RgbQuad>& palette) {
    if (palette.size() != 256) return false;
    for (size_t i = 0; i < palette.size(); ++i)
        if (palette[i].blue != i || palette[i].green != i || palette[i].red != i) return false;
    return true;
}

}  // namespace

Status InvertLayer(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    // Every run starts from the recorded layer, so that nothing unrecorded is inverted
    // with it; a step file that cannot be read leaves the present layer to invert.
    RestoreRecordedLayer(doc, doc.layers.current);
    const int bits = LayerBits(doc, layer);
    if (bits < 24 && !(bits == 8 && GreyPalette(doc.palette))) {
        for (RgbQuad& q : doc.palette) {
            q.blue = uint8_t(255 - q.blue);
            q.green = uint8_t(255 - q.green);
            q.red = uint8_t(255 - q.red);
        }
        MarkLayerChanged(doc);
        return Status::Ok();
    }
    RowLoopOptions options;
    options.selection = false;
    options.skipTransparent = false;
    return ForEachPixel(doc, layer, options,
                        [](Bgr c) { return Bgr{uint8_t(255 - c.b), uint8_t(255 - c.g), uint8_t(255 - c.r)}; });
}

Operation InvertOperation() {
    Operation op;
    op.id = op.menuId = kCmdInvert;
    op.key = "invert";
    op.label = "반전변환";
    op.change = InvertLayer;
    return LayerOperation(std::move(op));
}
