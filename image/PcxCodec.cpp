// PCX reading (ZSoft run-length encoding, version 5 layouts): 1 bit with 1 to 4 planes,
// 2, 4 or 8 bits with 1 plane, 8 bits with 3 planes. Scan lines are stored top line
// first, each plane's bytes-per-line bytes in turn; the picture's rows are bottom-up.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Endian.h"
#include "Messages.h"

namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 10;
constexpr uint8_t kRunLengthEncoding = 1;
constexpr uint8_t kColourMapMarker = 12;
constexpr size_t kColourMapBytes = 768;
// One two-byte run yields at most 63 bytes, so n bytes of data decode to at most 63 n / 2.
constexpr int64_t kMaxRun = 63;

// How decoded scan lines become picture rows.
enum class LineKind {
    Copy,     // 1, 4 or 8 bits with 1 plane: the line is the row
    Packed2,  // 2 bits with 1 plane: four pixels per byte into 4-bit indices
    Planar,   // 1 bit with 2 or 4 planes: one bit of the index per plane
    Planar24, // 1 bit with 3 planes: an index into the header colours, stored as colour
    Rgb,      // 8 bits with 3 planes: red, green, blue planes
};

struct PcxLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    int planes = 0;
    size_t bytesPerLine = 0;
    int pictureBits = 0;
    LineKind kind = LineKind::Copy;
};

const char* ChooseLayout(PcxLayout& l) {
    if (l.bits == 1) {
        if (l.planes > 4) return msg::kPcxPlanes;
        switch (l.planes) {
        case 1: l.pictureBits = 1; l.kind = LineKind::Copy; return nullptr;
        case 3: l.pictureBits = 24; l.kind = LineKind::Planar24; return nullptr;
        case 2:
        case 4: l.pictureBits = 4; l.kind = LineKind::Planar; return nullptr;
        default: return msg::kPcxBitsPlanes;
        }
    }
    if (l.bits == 2 || l.bits == 4 || l.bits == 8) {
        if (l.planes == 1) {
            l.pictureBits = l.bits == 2 ? 4 : l.bits;
            l.kind = l.bits == 2 ? LineKind::Packed2 : LineKind::Copy;
            return nullptr;
        }
        if (l.planes == 3) {
            // Three planes of packed 2- or 4-bit samples have no colour meaning here.
            if (l.bits != 8) return msg::kPcxPackedPlanes;
            l.pictureBits = 24;
            l.kind = LineKind::Rgb;
            return nullptr;
        }
    }
    return msg::kPcxBitsPlanes;
}

// Run-length decoder reading the data after the header in chunks. A run may continue
// on the next scan line, but never past the last byte of the picture.
class RunDecoder {
public:
    static constexpr size_t kChunk = 64 * 1024;

    RunDecoder(ByteStream& in, uint64_t pictureBytes) : m_in(in), m_left(pictureBytes) {}

    bool Init() {
        try {
            m_buffer.resize(kChunk);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_p = m_end = m_buffer.data();
        return true;
    }

    const char* Fill(uint8_t* out, size_t n) {
        while (n > 0) {
            if (m_runCount > 0) {
                const size_t k = std::min<size_t>(m_runCount, n);
                std::memset(out, m_runValue, k);
                out += k;
                n -= k;
                m_runCount -= k;
                m_left -= k;
                continue;
            }
            if (m_p == m_end && !Refill()) return msg::kPcxCorrupted;
            // A stretch of literal bytes (191 or less) is copied in one tight loop.
            const uint8_t* const literal = m_p;
            const uint8_t* const stop = m_p + std::min<size_t>(n, size_t(m_end - m_p));
            while (m_p < stop && *m_p <= 191) *out++ = *m_p++;
            const size_t copied = size_t(m_p - literal);
            n -= copied;
            m_left -= copied;
            if (n == 0 || m_p == m_end) continue;
            const size_t count = *m_p++ & 0x3F;
            const int value = Next();
            if (value < 0) return msg::kPcxCorrupted;
            if (count > m_left) return msg::kPcxRepeat;
            m_runCount = count;
            m_runValue = uint8_t(value);
        }
        return nullptr;
    }

    // The bytes that follow the last byte the picture used; false when fewer remain.
    bool ReadFollowing(uint8_t* out, size_t n) {
        const size_t buffered = std::min<size_t>(n, size_t(m_end - m_p));
        std::memcpy(out, m_p, buffered);
        m_p += buffered;
        return m_in.ReadExact(out + buffered, n - buffered);
    }

private:
    bool Refill() {
        const size_t got = m_in.Read(m_buffer.data(), 1, m_buffer.size());
        m_p = m_buffer.data();
        m_end = m_p + got;
        return got > 0;
    }
    int Next() {
        if (m_p == m_end && !Refill()) return -1;
        return *m_p++;
    }

    ByteStream& m_in;
    std::vector<uint8_t> m_buffer;
    const uint8_t* m_p = nullptr;
    const uint8_t* m_end = nullptr;
    uint64_t m_left;
    size_t m_runCount = 0;
    uint8_t m_runValue = 0;
};

inline int PlaneIndex(const uint8_t* line, size_t bytesPerLine, int planes, int x) {
    int index = 0;
    const size_t byte = size_t(x) >> 3;
    const int shift = 7 - (x & 7);
    for (int k = 0; k < planes; ++k) index |= ((line[k * bytesPerLine + byte] >> shift) & 1) << k;
    return index;
}

void ConvertLine(const PcxLayout& l, const uint8_t* line, uint8_t* row, const uint8_t* headerColours) {
    switch (l.kind) {
    case LineKind::Copy:
        std::memcpy(row, line, (size_t(l.width) * l.bits + 7) / 8);
        break;
    case LineKind::Packed2:
        for (int x = 0; x < l.width; ++x) {
            const int index = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3;
            CImageBuffer::PutIndex(row, 4, 0, x, 0, uint8_t(index));
        }
        break;
    case LineKind::Planar:
        for (int x = 0; x < l.width; ++x)
            CImageBuffer::PutIndex(row, 4, 0, x, 0, uint8_t(PlaneIndex(line, l.bytesPerLine, l.planes, x)));
        break;
    case LineKind::Planar24:
        for (int x = 0; x < l.width; ++x, row += 3) {
            const uint8_t* rgb = headerColours + 3 * PlaneIndex(line, l.bytesPerLine, l.planes, x);
            row[0] = rgb[2];
            row[1] = rgb[1];
            row[2] = rgb[0];
        }
        break;
    case LineKind::Rgb: {
        const uint8_t* r = line;
        const uint8_t* g = line + l.bytesPerLine;
        const uint8_t* b = line + 2 * l.bytesPerLine;
        for (int x = 0; x < l.width; ++x, row += 3) {
            row[0] = b[x];
            row[1] = g[x];
            row[2] = r[x];
        }
        break;
    }
    }
}

const char* DecodePcxInto(ByteStream& in, CImageBuffer& out) {
    uint8_t h[kHeaderSize];
    if (!in.ReadExact(h, kHeaderSize)) return msg::kPcxShort;
    if (h[0] != kManufacturer) return msg::kPcxNotPcx;
    if (h[2] != kRunLengthEncoding) return msg::kPcxEncoding;

    PcxLayout l;
    l.width = int(GetLE16(h + 8)) - int(GetLE16(h + 4)) + 1;
    l.height = int(GetLE16(h + 10)) - int(GetLE16(h + 6)) + 1;
    l.bits = h[3];
    l.planes = h[65];
    l.bytesPerLine = GetLE16(h + 66);
    if (const char* error = ChooseLayout(l)) return error;
    // A line shorter than its pixels would make them read the next plane or line.
    if (l.width <= 0 || l.height <= 0 || l.bytesPerLine * 8 < size_t(l.width) * l.bits) return msg::kPcxCorrupted;

    const size_t lineBytes = l.bytesPerLine * size_t(l.planes);
    const uint64_t pictureBytes = uint64_t(lineBytes) * uint64_t(l.height);
    const int64_t remaining = in.Remaining();
    if (pictureBytes * 2 > uint64_t(remaining) * kMaxRun) return msg::kPcxCorrupted;
    if (const char* refusal = out.Info().limits.Refusal(l.width, l.height)) return refusal;

    RunDecoder runs(in, pictureBytes);
    std::vector<uint8_t> line;
    try {
        line.resize(lineBytes);
    } catch (const std::bad_alloc&) {
        return msg::kAllocMemory;
    }
    if (!runs.Init()) return msg::kAllocMemory;
    if (!out.Allocate(l.width, l.height, l.pictureBits, kFormatPcx)) return msg::kAllocMemory;

    const uint8_t* headerColours = h + 16;
    for (int i = 0; i < l.height; ++i) {
        if (const char* error = runs.Fill(line.data(), lineBytes)) return error;
        ConvertLine(l, line.data(), out.Row(l.height - 1 - i), headerColours);
    }

    if (l.pictureBits == 1) {
        out.SetPaletteEntry(0, 0, 0, 0);
        out.SetPaletteEntry(1, 255, 255, 255);
    } else if (l.pictureBits == 4) {
        for (int i = 0; i < 16; ++i)
            out.SetPaletteEntry(i, headerColours[3 * i], headerColours[3 * i + 1], headerColours[3 * i + 2]);
    } else if (l.pictureBits == 8) {
        uint8_t map[1 + kColourMapBytes];
        if (!runs.ReadFollowing(map, sizeof map) || map[0] != kColourMapMarker) return msg::kPcxColourMap;
        const uint8_t* p = map + 1;
        for (int i = 0; i < 256; ++i) out.SetPaletteEntry(i, p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    }
    return nullptr;
}

}  // namespace

namespace codec {

bool DecodePcx(ByteStream& in, CImageBuffer& out) {
    if (const char* error = DecodePcxInto(in, out)) {
        out.ReleaseBuffers();
        out.SetLastError(error);
        return false;
    }
    return true;
}

}  // namespace codec
