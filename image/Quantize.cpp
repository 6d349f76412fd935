#include "Quantize.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

#include "Parallel.h"

void UnpackIndexRow(const uint8_t* row, int width, int bits, uint8_t* indices) {
    switch (bits) {
    case 8: std::memcpy(indices, row, size_t(width)); break;
    case 4:
        for (int x = 0; x < width; ++x) indices[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        break;
    case 1:
        for (int x = 0; x < width; ++x) indices[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    default: break;
    }
}

void PackIndexRow(const uint8_t* indices, int width, int bits, uint8_t* row) {
    switch (bits) {
    case 8: std::memcpy(row, indices, size_t(width)); break;
    case 4: {
        const int pairs = width / 2;
        for (int i = 0; i < pairs; ++i) row[i] = uint8_t((indices[2 * i] << 4) | (indices[2 * i + 1] & 0x0F));
        if (width & 1) row[pairs] = uint8_t((indices[width - 1] << 4) | (row[pairs] & 0x0F));
        break;
    }
    case 1: {
        const int whole = width / 8;
        for (int i = 0; i < whole; ++i) {
            const uint8_t* p = indices + 8 * i;
            row[i] = uint8_t(((p[0] & 1) << 7) | ((p[1] & 1) << 6) | ((p[2] & 1) << 5) | ((p[3] & 1) << 4) |
                             ((p[4] & 1) << 3) | ((p[5] & 1) << 2) | ((p[6] & 1) << 1) | (p[7] & 1));
        }
        const int rest = width & 7;
        if (rest) {
            uint8_t v = row[whole] & uint8_t(0xFF >> rest);
            for (int k = 0; k < rest; ++k) v |= uint8_t((indices[8 * whole + k] & 1) << (7 - k));
            row[whole] = v;
        }
        break;
    }
    default: break;
    }
}

namespace {

// Calls f(blue, green, red) for every counted pixel of rows [first, last) of `src`,
// row by row, until f returns false (then false).
template <class F>
bool ForEachColourIn(const ColourRows& src, int first, int last, F& f) {
    std::vector<uint8_t> indices;
    const bool direct = src.bits == 24 || src.bits == 32;
    if (!direct) indices.resize(size_t(src.width));
    for (int y = first; y < last; ++y) {
        const uint8_t* p = src.pixels + size_t(y) * src.stride;
        const uint8_t* alpha = src.alpha ? src.alpha + size_t(y) * size_t(src.width) : nullptr;
        if (!direct) UnpackIndexRow(p, src.width, src.bits, indices.data());
        for (int x = 0; x < src.width; ++x) {
            if (alpha && !alpha[x]) continue;
            bool more;
            if (direct) {
                const uint8_t* c = p + size_t(x) * size_t(src.bits / 8);
                more = f(c[0], c[1], c[2]);
            } else {
                const int i = indices[size_t(x)];
                const RgbQuad q = i < src.paletteCount ? src.palette[i] : RgbQuad{};
                more = f(q.blue, q.green, q.red);
            }
            if (!more) return false;
        }
    }
    return true;
}

// The same over every row of every source, in order.
template <class F>
void ForEachColour(const std::vector<ColourRows>& sources, F f) {
    for (const ColourRows& src : sources)
        if (!ForEachColourIn(src, 0, src.height, f)) return;
}

std::vector<ColourRows> RowsOf(const CImageBuffer& image) {
    ColourRows rows;
    rows.pixels = image.Row(0);
    rows.stride = image.Stride();
    rows.width = image.Width();
    rows.height = image.Height();
    rows.bits = image.Bpp();
    return {rows};
}

bool IsTrueColour(const CImageBuffer& image) { return image.IsValid() && (image.Bpp() == 24 || image.Bpp() == 32); }

// The distinct colours (blue in the low byte) of the pictures in ascending order, or
// an empty list as soon as there are more than `limit`.
std::vector<uint32_t> DistinctColours(const std::vector<ColourRows>& sources, int limit) {
    std::vector<uint32_t> found;
    std::unique_ptr<uint8_t[]> seen(new (std::nothrow) uint8_t[(1u << 24) / 8]());
    if (!seen) return found;
    bool tooMany = false;
    ForEachColour(sources, [&](int b, int g, int r) {
        const uint32_t c = uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16;
        uint8_t& bit = seen[c >> 3];
        const uint8_t mask = uint8_t(1u << (c & 7));
        if (bit & mask) return true;
        bit |= mask;
        if (int(found.size()) == limit) {
            tooMany = true;
            return false;
        }
        found.push_back(c);
        return true;
    });
    if (tooMany) return {};
    std::sort(found.begin(), found.end());  // blue is the low byte: this is 0xRRGGBB order
    return found;
}

// Wu's colour quantiser (X. Wu, "Efficient statistical computations for optimal
// colour quantization", Graphics Gems II): a 33^3 histogram of 5-bit channels with
// cumulative moments, boxes split greedily where the variance drops the most.
class WuQuantiser {
public:
    static constexpr int kSide = 33;

    explicit WuQuantiser(const std::vector<ColourRows>& sources)
        : m_weight(kCells), m_red(kCells), m_green(kCells), m_blue(kCells), m_squares(kCells) {
        // Blocks of rows are counted on every core, each into a histogram of its own,
        // and the histograms added together: sums of integers, the same in any order.
        std::mutex merging;
        for (const ColourRows& src : sources) {
            ParallelRanges(src.height, 256, [&](int first, int last) {
                Moments part;
                auto count = [&part](int b, int g, int r) {
                    const int cell = Cell((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1);
                    ++part.weight[size_t(cell)];
                    part.red[size_t(cell)] += r;
                    part.green[size_t(cell)] += g;
                    part.blue[size_t(cell)] += b;
                    part.squares[size_t(cell)] += r * r + g * g + b * b;
                    return true;
                };
                ForEachColourIn(src, first, last, count);
                const std::lock_guard<std::mutex> lock(merging);
                for (size_t i = 0; i < size_t(kCells); ++i) {
                    m_weight[i] += part.weight[i];
                    m_red[i] += part.red[i];
                    m_green[i] += part.green[i];
                    m_blue[i] += part.blue[i];
                    m_squares[i] += part.squares[i];
                }
            });
        }
        Accumulate();
    }

    std::vector<RgbQuad> Palette(int colours) {
        std::vector<Box> boxes(static_cast<size_t>(colours));
        std::vector<double> variance(size_t(colours), 0.0);
        boxes[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1};
        int count = 1;
        int next = 0;
        while (count < colours) {
            if (Cut(boxes[size_t(next)], boxes[size_t(count)])) {
                variance[size_t(next)] = Volume(boxes[size_t(next)]) > 1 ? Variance(boxes[size_t(next)]) : 0.0;
                variance[size_t(count)] = Volume(boxes[size_t(count)]) > 1 ? Variance(boxes[size_t(count)]) : 0.0;
                ++count;
            } else {
                variance[size_t(next)] = 0.0;
            }
            next = 0;
            double largest = variance[0];
            for (int k = 1; k < count; ++k)
                if (variance[size_t(k)] > largest) {
                    largest = variance[size_t(k)];
                    next = k;
                }
            if (largest <= 0.0) break;
        }
        std::vector<RgbQuad> palette;
        for (int k = 0; k < count; ++k) {
            const Box& box = boxes[size_t(k)];
            const int64_t w = Sum(box, m_weight);
            if (w == 0) continue;
            RgbQuad q;
            q.red = uint8_t(Sum(box, m_red) / w);
            q.green = uint8_t(Sum(box, m_green) / w);
            q.blue = uint8_t(Sum(box, m_blue) / w);
            palette.push_back(q);
        }
        return palette;
    }

private:
    static constexpr int kCells = kSide * kSide * kSide;
    enum Axis { kRed, kGreen, kBlue };
    // One block of rows' sums per cell.
    struct Moments {
        std::vector<int64_t> weight = std::vector<int64_t>(kCells), red = std::vector<int64_t>(kCells),
                             green = std::vector<int64_t>(kCells), blue = std::vector<int64_t>(kCells),
                             squares = std::vector<int64_t>(kCells);
    };
    // Lower bounds exclusive, upper bounds inclusive, in histogram cells.
    struct Box {
        int r0, r1, g0, g1, b0, b1;
    };

    static int Cell(int r, int g, int b) { return (r * kSide + g) * kSide + b; }
    static int Volume(const Box& b) { return (b.r1 - b.r0) * (b.g1 - b.g0) * (b.b1 - b.b0); }

    // Turns each cell into the sum over the box from the origin to that cell.
    void Accumulate() {
        for (std::vector<int64_t>* m : {&m_weight, &m_red, &m_green, &m_blue, &m_squares}) {
            std::vector<int64_t>& v = *m;
            for (int r = 1; r < kSide; ++r)
                for (int g = 1; g < kSide; ++g)
                    for (int b = 1; b < kSide; ++b)
                        v[Cell(r, g, b)] += v[Cell(r - 1, g, b)] + v[Cell(r, g - 1, b)] + v[Cell(r, g, b - 1)] -
                                            v[Cell(r - 1, g - 1, b)] - v[Cell(r - 1, g, b - 1)] -
                                            v[Cell(r, g - 1, b - 1)] + v[Cell(r - 1, g - 1, b - 1)];
        }
    }

    static int64_t Sum(const Box& c, const std::vector<int64_t>& m) {
        return m[Cell(c.r1, c.g1, c.b1)] - m[Cell(c.r1, c.g1, c.b0)] - m[Cell(c.r1, c.g0, c.b1)] +
               m[Cell(c.r1, c.g0, c.b0)] - m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] +
               m[Cell(c.r0, c.g0, c.b1)] - m[Cell(c.r0, c.g0, c.b0)];
    }

    // Sum over a box split along one axis: Bottom holds the terms at the box's lower
    // bound along the axis, Top the terms at `pos`; together the sum up to `pos`.
    static int64_t Bottom(const Box& c, Axis axis, const std::vector<int64_t>& m) {
        switch (axis) {
        case kRed:
            return -m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
                   m[Cell(c.r0, c.g0, c.b0)];
        case kGreen:
            return -m[Cell(c.r1, c.g0, c.b1)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
                   m[Cell(c.r0, c.g0, c.b0)];
        default:
            return -m[Cell(c.r1, c.g1, c.b0)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g1, c.b0)] -
                   m[Cell(c.r0, c.g0, c.b0)];
        }
    }

    static int64_t Top(const Box& c, Axis axis, int pos, const std::vector<int64_t>& m) {
        switch (axis) {
        case kRed:
            return m[Cell(pos, c.g1, c.b1)] - m[Cell(pos, c.g1, c.b0)] - m[Cell(pos, c.g0, c.b1)] +
                   m[Cell(pos, c.g0, c.b0)];
        case kGreen:
            return m[Cell(c.r1, pos, c.b1)] - m[Cell(c.r1, pos, c.b0)] - m[Cell(c.r0, pos, c.b1)] +
                   m[Cell(c.r0, pos, c.b0)];
        default:
            return m[Cell(c.r1, c.g1, pos)] - m[Cell(c.r1, c.g0, pos)] - m[Cell(c.r0, c.g1, pos)] +
                   m[Cell(c.r0, c.g0, pos)];
        }
    }

    double Variance(const Box& c) const {
        const double r = double(Sum(c, m_red)), g = double(Sum(c, m_green)), b = double(Sum(c, m_blue));
        return double(Sum(c, m_squares)) - (r * r + g * g + b * b) / double(Sum(c, m_weight));
    }

    // The cut along the axis that maximises the between-halves term; cut = -1 when
    // no position leaves both halves non-empty.
    double Maximise(const Box& c, Axis axis, int first, int last, int& cut, int64_t wholeR, int64_t wholeG,
                    int64_t wholeB, int64_t wholeW) const {
        const int64_t baseR = Bottom(c, axis, m_red), baseG = Bottom(c, axis, m_green);
        const int64_t baseB = Bottom(c, axis, m_blue), baseW = Bottom(c, axis, m_weight);
        double best = 0.0;
        cut = -1;
        for (int i = first; i < last; ++i) {
            int64_t halfR = baseR + Top(c, axis, i, m_red), halfG = baseG + Top(c, axis, i, m_green);
            int64_t halfB = baseB + Top(c, axis, i, m_blue), halfW = baseW + Top(c, axis, i, m_weight);
            if (halfW == 0) continue;
            double term = (double(halfR) * halfR + double(halfG) * halfG + double(halfB) * halfB) / double(halfW);
            halfR = wholeR - halfR;
            halfG = wholeG - halfG;
            halfB = wholeB - halfB;
            halfW = wholeW - halfW;
            if (halfW == 0) continue;
            term += (double(halfR) * halfR + double(halfG) * halfG + double(halfB) * halfB) / double(halfW);
            if (term > best) {
                best = term;
                cut = i;
            }
        }
        return best;
    }

    bool Cut(Box& one, Box& two) const {
        const int64_t wr = Sum(one, m_red), wg = Sum(one, m_green), wb = Sum(one, m_blue), ww = Sum(one, m_weight);
        int cutR, cutG, cutB;
        const double maxR = Maximise(one, kRed, one.r0 + 1, one.r1, cutR, wr, wg, wb, ww);
        const double maxG = Maximise(one, kGreen, one.g0 + 1, one.g1, cutG, wr, wg, wb, ww);
        const double maxB = Maximise(one, kBlue, one.b0 + 1, one.b1, cutB, wr, wg, wb, ww);
        two = one;
        if (maxR >= maxG && maxR >= maxB) {
            if (cutR < 0) return false;
            two.r0 = one.r1 = cutR;
        } else if (maxG >= maxR && maxG >= maxB) {
            two.g0 = one.g1 = cutG;
        } else {
            two.b0 = one.b1 = cutB;
        }
        return true;
    }

    std::vector<int64_t> m_weight, m_red, m_green, m_blue, m_squares;
};

// Replaces the pixels (and so the header) of `image` by those of `result`, keeping
// the information record and the resolution of `image`.
void ReplacePixels(CImageBuffer& image, CImageBuffer& result) {
    ImageInfo info = image.Info();
    info.stride = result.Stride();
    image.TakeOver(result);
    image.Info() = info;
    image.SetHorizontalDpi(info.dpiX);
    image.SetVerticalDpi(info.dpiY);
}

}  // namespace

std::vector<RgbQuad> OptimalPalette(const CImageBuffer& trueColour, int colours) {
    if (!IsTrueColour(trueColour)) return {};
    return OptimalPalette(RowsOf(trueColour), colours);
}

std::vector<RgbQuad> OptimalPalette(const std::vector<ColourRows>& sources, int colours) {
    if (colours < 1) return {};
    colours = std::min(colours, 256);
    const std::vector<uint32_t> distinct = DistinctColours(sources, colours);
    if (!distinct.empty()) {
        std::vector<RgbQuad> palette;
        for (uint32_t c : distinct) palette.push_back(RgbQuad::FromValue(c));
        return palette;
    }
    WuQuantiser wu(sources);
    return wu.Palette(colours);
}

PaletteMapper::PaletteMapper(const CImageBuffer& paletted)
    : PaletteMapper(paletted.Palette(), paletted.Palette() ? paletted.PaletteCount() : 0) {}

PaletteMapper::PaletteMapper(const RgbQuad* entries, int count) {
    for (int i = 0; entries && i < std::min(count, 256); ++i)
        m_entries.push_back({entries[i].blue, entries[i].green, entries[i].red, uint8_t(i)});
    m_built.assign(size_t(1) << 15, 0);
    m_table.reset(new (std::nothrow) uint8_t[size_t(1) << 24]);
}

// The least squared distance, the lowest index among equals (`list` in index order):
// that is what the linear scan with its strict comparison and early exit on 0
// returns, since every distance is at most 3 x 255^2 = 195075, below the scan's
// starting bound 200000.
uint8_t PaletteMapper::Nearest(const std::vector<RgbQuad>& list, int blue, int green, int red) {
    int best = std::numeric_limits<int>::max();
    uint8_t bestIndex = 0;
    for (const RgbQuad& e : list) {
        const int db = e.blue - blue, dg = e.green - green, dr = e.red - red;
        const int d = db * db + dg * dg + dr * dr;
        if (d < best) {
            best = d;
            bestIndex = e.reserved;
        }
    }
    return bestIndex;
}

// Maps the 512 colours of a cell. Only some entries can be nearest to a colour c of
// the cell: with q the entry whose farthest cell corner is nearest, the nearest
// entry p of c has d(c, p) <= d(c, q) <= that corner distance, and d(c, p) is at
// least p's distance to the cell. Every entry whose distance to the cell does not
// exceed the bound is kept, equal-distance entries included, in index order, so the
// search of the short list gives the same entry as the search of all of them.
int PaletteMapper::Fill(uint32_t cell, uint32_t colour) {
    if (m_entries.empty()) return 0;
    const auto whole = [&] { return Nearest(m_entries, colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); };
    if (!m_table) return whole();
    std::atomic_ref<uint8_t> state(m_built[cell]);
    uint8_t expected = kEmpty;
    if (!state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) {
        // Another thread fills the cell, or has just filled it.
        return expected == kBuilt ? m_table[TableIndex(cell, colour)] : whole();
    }
    const int lo[3] = {int(cell & 0x1F) << 3, int(cell >> 5 & 0x1F) << 3, int(cell >> 10) << 3};
    std::vector<int> nearest(m_entries.size());
    int bound = std::numeric_limits<int>::max();
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const int v[3] = {m_entries[i].blue, m_entries[i].green, m_entries[i].red};
        int near = 0, far = 0;
        for (int k = 0; k < 3; ++k) {
            const int below = v[k] - lo[k], above = v[k] - (lo[k] + 7);
            const int inside = below < 0 ? -below : above > 0 ? above : 0;
            const int outside = std::max(std::abs(below), std::abs(above));
            near += inside * inside;
            far += outside * outside;
        }
        nearest[i] = near;
        bound = std::min(bound, far);
    }
    std::vector<RgbQuad> candidates;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (nearest[i] <= bound) candidates.push_back(m_entries[i]);
    uint8_t* out = m_table.get() + (size_t(cell) << 9);
    for (int r = lo[2]; r < lo[2] + 8; ++r)
        for (int g = lo[1]; g < lo[1] + 8; ++g)
            for (int b = lo[0]; b < lo[0] + 8; ++b) *out++ = Nearest(candidates, b, g, r);
    state.store(kBuilt, std::memory_order_release);
    return m_table[TableIndex(cell, colour)];
}

bool ReduceTo8Bit(CImageBuffer& image) {
    if (!image.IsValid()) return false;
    if (image.Bpp() == 8) return true;
    if (!IsTrueColour(image)) return false;
    const std::vector<RgbQuad> palette = OptimalPalette(image, 256);
    CImageBuffer result(image.Type());
    if (!result.Allocate(image.Width(), image.Height(), 8, image.Type())) return false;
    for (size_t i = 0; i < palette.size(); ++i) result.SetPaletteEntry(int(i), palette[i].Value());
    PaletteMapper mapper(result);
    const int bytes = image.Bpp() / 8;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* src = image.Row(y);
        uint8_t* dst = result.Row(y);
        for (int x = 0; x < image.Width(); ++x, src += bytes) dst[x] = uint8_t(mapper.MapBgr(src));
    }
    const int transparent = image.Info().backgroundIndex;
    ReplacePixels(image, result);
    if (transparent != -1) image.Info().backgroundIndex = mapper.Map(image.Info().backgroundColour.Value());
    return true;
}

bool ToTrueColour(CImageBuffer& image) {
    if (!image.IsValid()) return false;
    const int bpp = image.Bpp();
    if (bpp == 24) return true;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 32) return false;
    CImageBuffer result(image.Type());
    if (!result.Allocate(image.Width(), image.Height(), 24, image.Type())) return false;
    const int width = image.Width();
    if (bpp == 32) {
        for (int y = 0; y < image.Height(); ++y) {
            const uint8_t* src = image.Row(y);
            uint8_t* dst = result.Row(y);
            for (int x = 0; x < width; ++x, src += 4, dst += 3) std::memcpy(dst, src, 3);
        }
    } else {
        const RgbQuad* pal = image.Palette();
        std::vector<uint8_t> indices(static_cast<size_t>(width));
        for (int y = 0; y < image.Height(); ++y) {
            UnpackIndexRow(image.Row(y), width, bpp, indices.data());
            uint8_t* dst = result.Row(y);
            for (int x = 0; x < width; ++x, dst += 3) {
                const RgbQuad& c = pal[indices[size_t(x)]];
                dst[0] = c.blue;
                dst[1] = c.green;
                dst[2] = c.red;
            }
        }
        const int transparent = image.Info().backgroundIndex;
        if (transparent >= 0 && transparent < image.PaletteCount())
            image.Info().backgroundColour = RgbQuad::FromValue(image.PaletteEntry(transparent));
    }
    ReplacePixels(image, result);
    return true;
}
