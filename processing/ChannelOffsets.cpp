#include "ChannelOffsets.h"

#include <algorithm>

#include "CommandMap.h"
#include "Histogram.h"
#include "LayerEdit.h"
#include "RowLoop.h"

namespace {

uint8_t Clamped(int v) { return uint8_t(std::clamp(v, 0, 255)); }

}  // namespace

Rgb OffsetColour(Rgb c, int mode, int a, int b, int c3) {
    if (mode != kOffsetHsl) return {Clamped(c.r + a), Clamped(c.g + b), Clamped(c.b + c3)};
    if (a == 0 && b == 0) return c;
    Hsl hsl = RgbToHsl(c.r, c.g, c.b);
    hsl.h = uint8_t(hsl.h + a);  // round the circle
    hsl.s = Clamped(hsl.s + b);
    return HslToRgb(hsl);
}

Status ChannelOffsetsLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values) {
    const int mode = values[kOffMode];
    const int a = values[kOffRed], b = values[kOffGreen], c3 = mode == kOffsetHsl ? 0 : values[kOffBlue];
    if (a == 0 && b == 0 && c3 == 0) return Status::Ok();
    if (mode != kOffsetHsl) {
        ChannelTables tables;
        for (int v = 0; v < 256; ++v) {
            tables.red[size_t(v)] = Clamped(v + a);
            tables.green[size_t(v)] = Clamped(v + b);
            tables.blue[size_t(v)] = Clamped(v + c3);
        }
        return ApplyChannelTables(doc, layer, tables);
    }
    RowLoopOptions options;
    options.paletteEntries = true;
    return ForEachPixel(doc, layer, options, [a, b](Bgr p) {
        const Rgb out = OffsetColour({p.r, p.g, p.b}, kOffsetHsl, a, b, 0);
        return Bgr{out.b, out.g, out.r};
    });
}

Operation ChannelOffsetsOperation() {
    Operation op;
    op.id = op.menuId = kCmdColourAdjust;
    op.key = "colour-adjust";
    op.label = "색상조정";
    op.params = {{"r", "빨강(R)", -99, 99, 0},
                 {"g", "녹색(G)", -99, 99, 0},
                 {"b", "파랑(B)", -99, 99, 0},
                 {"mode", "", kOffsetRgb, kOffsetHsl, kOffsetRgb, ParamKind::kInteger, {"rgb", "hsl"}}};
    op.change = ChannelOffsetsLayer;
    return LayerOperation(std::move(op));
}
