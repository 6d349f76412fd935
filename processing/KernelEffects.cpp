// "강조" (sharpen), "윤곽선" (outline) and "엠보스" (emboss): the 3x3 kernel filter with
// the border rule. The second slider of outline and emboss, and sharpen's only slider,
// do not enter the computation.
#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

Status Sharpen(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    return KernelFilter(doc, layer, {{{-1, -1, -1}, {-1, 12, -1}, {-1, -1, -1}}});
}

Status Outline(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    return KernelFilter(doc, layer, {{{-1, -1, -1}, {-1, v[0], -1}, {-1, -1, -1}}});
}

// The weight -P1 falls on (x - 1, y - 1), the row below on screen.
Status Emboss(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    return KernelFilter(doc, layer, {{{-v[0], 0, 0}, {0, 0, 0}, {0, 0, v[0]}}});
}

}  // namespace

void AddKernelEffects(OperationTable& table) {
    table.Add(EffectOperation(kCmdEmphasis, "sharpen", "강조", {{"강조", 0, 99, 1}}, Sharpen));
    table.Add(EffectOperation(kCmdOutline, "outline", "윤곽선", {{"추출정도", 5, 20, 8}, {"음영표현", 0, 99, 80}}, Outline));
    table.Add(EffectOperation(kCmdEmboss, "emboss", "엠보스", {{"추출정도", 1, 10, 1}, {"음영표현", 0, 99, 0}}, Emboss));
}
