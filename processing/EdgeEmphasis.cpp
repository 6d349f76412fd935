// "경계강조" (edge emphasis): a present pixel whose four direct neighbours are all
// present differs from them by D = (sum over the four of |dR| + |dG| + |dB|) / 4; when
// D >= a (P1) each channel darkens by g = D - trunc(0.1 x b x a) (b = P2), not below 0.
// Other pixels keep their colour. Reads the picture as it was before the effect.
#include <algorithm>
#include <cstdlib>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

int Difference(Bgr a, Bgr b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

Status EdgeEmphasis(COrinDoc& doc, LayerRecord& layer, const OpValues& v) {
    const int a = v[0], b = v[1];
    const int cut = int(0.1 * b * a);
    return ForEachRow(doc, layer, {}, [=](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        if (y == 0 || y == h - 1) return;  // a neighbour lies outside the layer
        const Bgr* row = source.Row(y).data();
        const Bgr* up = source.Row(y + 1).data();
        const Bgr* down = source.Row(y - 1).data();
        const uint8_t* alpha = source.Alpha(y).data();
        const uint8_t* alphaUp = source.Alpha(y + 1).data();
        const uint8_t* alphaDown = source.Alpha(y - 1).data();
        for (int x = 1; x + 1 < w; ++x) {
            if (!alpha[x - 1] || !alpha[x + 1] || !alphaUp[x] || !alphaDown[x]) continue;
            const Bgr c = row[x];
            const int d = (Difference(c, down[x]) + Difference(c, row[x - 1]) + Difference(c, row[x + 1]) +
                           Difference(c, up[x])) / 4;
            if (d < a) continue;
            const int g = d - cut;
            auto dark = [g](uint8_t ch) { return uint8_t(std::clamp(ch - g, 0, 255)); };
            out[size_t(x)] = Bgr{dark(c.b), dark(c.g), dark(c.r)};
        }
    });
}

}  // namespace

void AddEdgeEmphasis(OperationTable& table) {
    table.Add(EffectOperation(kCmdEdgeEmphasis, "edge-emphasis", "경계강조", {{"테두리양", 0, 99, 1}, {"표시강도", 0, 10, 1}},
                              EdgeEmphasis));
}
