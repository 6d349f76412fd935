// The edge spread of the selection: how far a painted pixel's opacity rises near the
// mask's edge. Mask coordinates are layer coordinates (rows bottom-up); the mask is
// laid onto the layer (RefitMask) before anything is written.
#pragma once

#include <cstdint>
#include <vector>

#include "Document.h"

// The edge-spread weight at mask pixel (x, y) for spread s > 0: the ones in the
// 2s x 2s window x-s..x+s-1, y-s..y+s-1 (cells with column and row >= 1 only),
// l = max(0, count - 2s^2), weight = min(255, l * 256 / (2s^2)); 0 when s <= 0.
int EdgeSpreadWeight(const SelectionMask& mask, int x, int y, int s);

// The same weight for every pixel of a mask in constant time (a summed-area table of
// the ones); built once per operation that writes many pixels with a spread.
class EdgeWeights {
public:
    EdgeWeights(const SelectionMask& mask, int spread);
    int At(int x, int y) const;

private:
    int64_t Sum(int x0, int y0, int x1, int y1) const;  // inclusive, clipped
    int m_width = 0, m_height = 0, m_spread = 0;
    std::vector<uint32_t> m_sums;  // (width + 1) x (height + 1)
};
