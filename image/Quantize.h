// Colour depth changes between palette and true-colour pictures: the optimal 8-bit
// palette of a true-colour picture (Wu's variance-minimising quantiser), the exact
// nearest-entry mapping of CImageBuffer::NearestPaletteIndex made fast by a table
// filled cell by cell, and the row helpers that unpack 1-, 4- and 8-bit rows to one
// index per byte and back.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "ImageBuffer.h"

// One row of 1-, 4- or 8-bit pixels (leftmost pixel in the high bits) to one index
// per byte, and back. Pack keeps the padding bits of the last byte as they were.
void UnpackIndexRow(const uint8_t* row, int width, int bits, uint8_t* indices);
void PackIndexRow(const uint8_t* indices, int width, int bits, uint8_t* row);

// The palette of at most `colours` (1..256) entries that best represents a 24- or
// 32-bit picture. A picture with no more distinct colours than that gets exactly its
// own colours, in ascending 0xRRGGBB order. Deterministic. Empty for other depths.
std::vector<RgbQuad> OptimalPalette(const CImageBuffer& trueColour, int colours = 256);

// Rows of pixels as a picture or a layer holds them: 24 or 32 bits (blue, green, red
// first), or 8, 4 or 1 bits of indices into `palette`. With `alpha` (width bytes per
// row), pixels whose byte is 0 do not count.
struct ColourRows {
    const uint8_t* pixels = nullptr;
    size_t stride = 0;
    int width = 0, height = 0;
    int bits = 24;
    const RgbQuad* palette = nullptr;
    int paletteCount = 0;
    const uint8_t* alpha = nullptr;
};
// The optimal palette of several pictures together (the layers of a document); empty
// when no pixel counts.
std::vector<RgbQuad> OptimalPalette(const std::vector<ColourRows>& sources, int colours = 256);

// Maps colours (blue in the low byte) to palette indices with exactly the result of
// CImageBuffer::NearestPaletteIndex over the same entries: least sum of squared
// differences, the first of equal entries. The colour cube is cut into 8 x 8 x 8
// cells; when a colour of a cell is first asked for, the short list of entries that
// can be nearest to any colour of the cell is found and all 512 colours of the cell
// are mapped at once into a 2^24-entry table (16 MB, touched only where used).
// Several threads may map through one mapper at once: one thread fills a cell while
// the others find their colour in the whole list meanwhile (the same entry).
class PaletteMapper {
public:
    explicit PaletteMapper(const CImageBuffer& paletted);
    PaletteMapper(const RgbQuad* entries, int count);

    int Map(uint32_t colour) {
        colour &= 0xFFFFFF;
        const uint32_t cell = (colour >> 3 & 0x1F) | (colour >> 6 & 0x3E0) | (colour >> 9 & 0x7C00);
        if (std::atomic_ref<uint8_t>(m_built[cell]).load(std::memory_order_acquire) != kBuilt) return Fill(cell, colour);
        return m_table[TableIndex(cell, colour)];
    }
    int MapBgr(const uint8_t* pixel) { return Map(pixel[0] | (pixel[1] << 8) | (uint32_t(pixel[2]) << 16)); }

private:
    enum : uint8_t { kEmpty = 0, kFilling = 1, kBuilt = 2 };
    static uint32_t TableIndex(uint32_t cell, uint32_t colour) {
        return cell << 9 | (colour & 7) | (colour >> 5 & 0x38) | (colour >> 10 & 0x1C0);
    }
    int Fill(uint32_t cell, uint32_t colour);
    static uint8_t Nearest(const std::vector<RgbQuad>& list, int blue, int green, int red);

    std::vector<RgbQuad> m_entries;        // at most 256, each with its index in the fourth byte
    std::vector<uint8_t> m_built;          // per cell: its 512 table entries are set
    std::unique_ptr<uint8_t[]> m_table;    // cell-major: cell << 9 | colour within the cell
};

// A 24- or 32-bit picture becomes an 8-bit picture with its optimal palette (256
// entries, the unused ones black) and each pixel its nearest entry. An 8-bit picture
// stays as it is (true); fewer bits are refused (false), as is an empty picture or a
// failed allocation (the picture is then unchanged). A transparent index survives as
// the entry nearest to the background colour (see ToTrueColour).
bool ReduceTo8Bit(CImageBuffer& image);

// A 1-, 4- or 8-bit picture becomes 24 bits, each pixel its palette colour; 32 bits
// lose the fourth byte; 24 bits stay. The colour of a transparent index is kept as the
// background colour, so that out-of-picture reads give the same colour as before.
// False for an empty picture or a failed allocation (the picture is then unchanged).
bool ToTrueColour(CImageBuffer& image);
