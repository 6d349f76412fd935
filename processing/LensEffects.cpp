// "렌즈효과" (lens) and "욕실효과" (bathroom glass): the distortion routine over the whole
// current layer, mode 0 (every source point on the centre column, moved only up or
// down) and mode 4 (upright glass ribs 32 pixels wide), strength 0, no feathering. No
// slider value is used.
#include "Distortion.h"
#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

Status Lens(COrinDoc& doc, LayerRecord& layer, int mode) {
    DistortParams p;
    p.mode = mode;
    p.strength = 0.0;
    p.right = layer.width;
    p.bottom = layer.height;
    return InPlace(doc, [&] { return Distort(doc, doc.layers.current, p); });
}

}  // namespace

void AddLensEffects(OperationTable& table) {
    table.Add(EffectOperation(kCmdLens, "lens", "렌즈효과", {},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues&) { return Lens(doc, layer, 0); }));
    table.Add(EffectOperation(kCmdBathroomGlass, "bathroom-glass", "욕실효과", {{"조정 1", -49, 49, 0}, {"조정 2", -49, 49, 0}},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues&) { return Lens(doc, layer, 4); }));
}
