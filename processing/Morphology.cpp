// "물체축소" (erosion) and "물체확장" (dilation): each channel becomes the minimum
// (erosion) or maximum (dilation) of that channel over the n x n window (offsets as
// box smoothing's); neighbours outside the layer are skipped, transparent ones count.
// Channels are independent, so the result need not be a colour of the window. The
// window is taken as rows first, then along the row, each a byte-wise minimum or
// maximum of shifted rows that the compiler vectorises.
#include <algorithm>
#include <cstring>

#include "CommandMap.h"
#include "EffectSupport.h"
#include "Effects.h"

namespace {

template <bool kMax>
Status Morph(COrinDoc& doc, LayerRecord& layer, int n) {
    const int lo = -(n / 2), hi = n - n / 2 - 1;
    return ForEachRow(doc, layer, {}, [=](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        const size_t bytes = size_t(3 * w);
        const uint8_t neutral = kMax ? 0 : 255;
        // The rows' extreme, padded with the neutral value by -lo columns on the left
        // and hi on the right, so that the window along the row never leaves it.
        thread_local std::vector<uint8_t> column;
        column.assign(size_t(3 * (w + n)), neutral);
        uint8_t* c = column.data() + size_t(3 * -lo);
        const int y0 = std::max(0, y + lo), y1 = std::min(h - 1, y + hi);
        std::memcpy(c, source.Row(y0).data(), bytes);
        for (int yy = y0 + 1; yy <= y1; ++yy) {
            const uint8_t* row = reinterpret_cast<const uint8_t*>(source.Row(yy).data());
            for (size_t i = 0; i < bytes; ++i) c[i] = kMax ? std::max(c[i], row[i]) : std::min(c[i], row[i]);
        }
        uint8_t* o = reinterpret_cast<uint8_t*>(out.data());
        const uint8_t* first = column.data();
        std::memcpy(o, first, bytes);
        for (int k = 1; k < n; ++k) {
            const uint8_t* shifted = first + size_t(3 * k);
            for (size_t i = 0; i < bytes; ++i) o[i] = kMax ? std::max(o[i], shifted[i]) : std::min(o[i], shifted[i]);
        }
    });
}

}  // namespace

void AddMorphology(OperationTable& table) {
    table.Add(EffectOperation(kCmdErode, "erode", "물체축소", {{"축소허용", 2, 20, 4}},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues& v) { return Morph<false>(doc, layer, v[0]); }));
    table.Add(EffectOperation(kCmdDilate, "dilate", "물체확장", {{"확장허용", 2, 20, 4}},
                              [](COrinDoc& doc, LayerRecord& layer, const OpValues& v) { return Morph<true>(doc, layer, v[0]); }));
}
