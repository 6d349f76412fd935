#include "MaskWeights.h"

#include <algorithm>

int EdgeSpreadWeight(const SelectionMask& mask, int x, int y, int s) {
    if (s <= 0) return 0;  // no spread, no window
    const int64_t half = 2 * int64_t(s) * s;
    int64_t count = 0;
    const int x0 = std::max(1, x - s), x1 = std::min(mask.width - 1, x + s - 1);
    const int y0 = std::max(1, y - s), y1 = std::min(mask.height - 1, y + s - 1);
    for (int yy = y0; yy <= y1; ++yy)
        for (int xx = x0; xx <= x1; ++xx) count += mask.bytes[size_t(yy) * size_t(mask.width) + size_t(xx)] == 1;
    const int64_t l = std::max<int64_t>(0, count - half);
    return int(std::min<int64_t>(255, l * 256 / half));
}

EdgeWeights::EdgeWeights(const SelectionMask& mask, int spread)
    : m_width(mask.width), m_height(mask.height), m_spread(spread) {
    if (spread <= 0 || m_width <= 0 || m_height <= 0) return;
    const size_t row = size_t(m_width) + 1;
    m_sums.assign(row * (size_t(m_height) + 1), 0);
    for (int y = 0; y < m_height; ++y) {
        uint32_t run = 0;
        const uint8_t* src = mask.bytes.data() + size_t(y) * size_t(m_width);
        for (int x = 0; x < m_width; ++x) {
            run += (x >= 1 && y >= 1 && src[x] == 1) ? 1 : 0;
            m_sums[(size_t(y) + 1) * row + size_t(x) + 1] = m_sums[size_t(y) * row + size_t(x) + 1] + run;
        }
    }
}

int64_t EdgeWeights::Sum(int x0, int y0, int x1, int y1) const {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, m_width - 1);
    y1 = std::min(y1, m_height - 1);
    if (x1 < x0 || y1 < y0) return 0;
    const size_t row = size_t(m_width) + 1;
    return int64_t(m_sums[(size_t(y1) + 1) * row + size_t(x1) + 1]) - m_sums[size_t(y0) * row + size_t(x1) + 1] -
           m_sums[(size_t(y1) + 1) * row + size_t(x0)] + m_sums[size_t(y0) * row + size_t(x0)];
}

int EdgeWeights::At(int x, int y) const {
    if (m_sums.empty()) return 0;
    const int s = m_spread;
    const int64_t half = 2 * int64_t(s) * s;
    const int64_t count = Sum(x - s, y - s, x + s - 1, y + s - 1);
    const int64_t l = std::max<int64_t>(0, count - half);
    return int(std::min<int64_t>(255, l * 256 / half));
}
