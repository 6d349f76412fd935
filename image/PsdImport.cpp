// PSD import: reads the merged picture stored at the end of a Photoshop document
// (version 1; layers are never composited) and converts it to a 24-bit top-down
// bitmap (blue, green, red, rows padded to 4 bytes, 96 DPI). Every length, count and
// size is checked against what remains of the stream before it is read or allocated.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Endian.h"

namespace {

// The reader's result codes.
enum PsdResult : int {
    kPsdOk = 0,
    kPsdOpenFailed = -1,
    kPsdBadHeader = -2,
    kPsdBadColourModeData = -3,
    kPsdBadResources = -4,
    kPsdBadLayerSection = -5,
    kPsdBadImageData = -6,
    kPsdOneBitDepth = -7,
    kPsdUnsupportedDepth = -8,
    kPsdNoBitmap = -9,
};

enum PsdColourMode : uint16_t {
    kModeGreyscale = 1,
    kModeIndexed = 2,
    kModeRgb = 3,
    kModeCmyk = 4,
    kModeMultichannel = 7,
    kModeDuotone = 8,
    kModeLab = 9,
};

constexpr int kBitmapDpi = 96;  // 3780 pixels per metre
constexpr size_t kHeaderSize = 26;
constexpr size_t kIndexedTableSize = 768;

// Bounds-checked big-endian reads from a block in memory.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : m_p(data), m_left(size) {}
    size_t Left() const { return m_left; }
    bool Take(size_t n, const uint8_t*& out) {
        if (n > m_left) return false;
        out = m_p;
        m_p += n;
        m_left -= n;
        return true;
    }
    bool Skip(size_t n) {
        const uint8_t* ignored;
        return Take(n, ignored);
    }
    bool U8(uint8_t& v) {
        const uint8_t* p;
        if (!Take(1, p)) return false;
        v = p[0];
        return true;
    }
    bool U16(uint16_t& v) {
        const uint8_t* p;
        if (!Take(2, p)) return false;
        v = GetBE16(p);
        return true;
    }
    bool U32(uint32_t& v) {
        const uint8_t* p;
        if (!Take(4, p)) return false;
        v = GetBE32(p);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_left;
};

struct PsdHeader {
    uint16_t channels = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint16_t depth = 0;
    uint16_t mode = 0;
};

// The image resources the reader keeps; nothing else in the program reads them.
struct PsdResources {
    bool hasInfo1000 = false;
    std::array<uint16_t, 5> info1000{};

    bool hasResolution = false;  // 1005
    uint32_t horizontalResolution = 0;  // 16.16 fixed point
    uint16_t horizontalResolutionUnit = 0;
    uint16_t widthUnit = 0;
    uint32_t verticalResolution = 0;
    uint16_t verticalResolutionUnit = 0;
    uint16_t heightUnit = 0;

    bool hasDisplayInfo = false;  // 1007
    uint16_t colourSpace = 0;
    std::array<uint16_t, 4> colour{};
    uint16_t opacity = 0;
    bool kindFlag = false;

    bool hasThumbnail = false;  // 1033 or 1036
    uint32_t thumbnailFormat = 0;
    uint32_t thumbnailWidth = 0;
    uint32_t thumbnailHeight = 0;
    uint32_t thumbnailWidthBytes = 0;
    uint32_t thumbnailTotalSize = 0;
    uint32_t thumbnailCompressedSize = 0;
    uint16_t thumbnailBitsPerPixel = 0;
    uint16_t thumbnailPlanes = 0;
    std::vector<uint8_t> thumbnailData;

    bool flag1034 = false;
    int32_t globalAngle = 0;  // 1037
    uint16_t colourCount = 0;  // 1046
    uint16_t transparencyIndex = 0;  // 1047
};

// PackBits: a header byte n of 0..127 copies the next n + 1 bytes, -1..-127 repeats
// the next byte 1 - n times, -128 does nothing. The row must be filled exactly; a run
// that passes the row or the row's own bytes fails. Bytes left after the row is full
// are ignored (the row's position comes from the byte-count table, not from them).
bool UnpackBitsRow(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstSize) {
    size_t in = 0, out = 0;
    while (out < dstSize) {
        if (in >= srcSize) return false;
        const int n = int8_t(src[in++]);
        if (n >= 0) {
            const size_t run = size_t(n) + 1;
            if (run > srcSize - in || run > dstSize - out) return false;
            std::memcpy(dst + out, src + in, run);
            in += run;
            out += run;
        } else if (n != -128) {
            const size_t run = size_t(1 - n);
            if (in >= srcSize || run > dstSize - out) return false;
            std::memset(dst + out, src[in++], run);
            out += run;
        }
    }
    return true;
}

// The fewest PackBits bytes that can fill a row: a 2-byte repeat run per 128 bytes.
uint64_t MinPackedRowSize(uint64_t rowBytes) { return 2 * ((rowBytes + 127) / 128); }

// One row of each channel that the colour mode reads; samples are big-endian.
struct ChannelRow {
    std::array<const uint8_t*, 4> samples{};
    int bytesPerSample = 1;
    uint32_t Value(int c, int x) const {
        const uint8_t* p = samples[c] + size_t(x) * bytesPerSample;
        return bytesPerSample == 1 ? p[0] : uint32_t((p[0] << 8) | p[1]);
    }
    uint8_t High(int c, int x) const { return samples[c][size_t(x) * bytesPerSample]; }
};

// The sRGB transfer curve (IEC 61966-2-1) from linear light to a byte, rounded to the
// nearest byte. The byte is the number of the curve's 255 decision points in linear
// light (the inverse curve at (n - 0.5) / 255) at or below the value, which rounds the
// same way without a power function per sample; values below 0 and above 1 land on 0
// and 255. A bucket table gives the count at each bucket's lower edge, so at most a
// step or two remains (decision points lie at least 1/3300 apart).
class SrgbEncoder {
public:
    SrgbEncoder() {
        for (int n = 1; n <= 255; ++n) {
            const double v = (n - 0.5) / 255.0;
            m_threshold[n - 1] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        for (int b = 0; b <= kBuckets; ++b)
            m_bucketStart[b] = uint8_t(
                std::upper_bound(m_threshold.begin(), m_threshold.end(), double(b) / kBuckets) - m_threshold.begin());
    }
    uint8_t Encode(double linear) const {
        const int bucket = linear <= 0.0 ? 0 : linear >= 1.0 ? kBuckets : int(linear * kBuckets);
        int n = m_bucketStart[bucket];
        while (n < 255 && m_threshold[n] <= linear) ++n;
        return uint8_t(n);
    }

private:
    static constexpr int kBuckets = 4096;
    std::array<double, 255> m_threshold{};
    std::array<uint8_t, kBuckets + 1> m_bucketStart{};
};

// Inverse of the CIE L*a*b* companding function (result relative to the white point).
// The linear part is (f - 16/116) / 7.787 so that L = 0 is black.
double LabInverse(double f) {
    const double f3 = f * f * f;
    return f3 > 0.008856 ? f3 : (f - 16.0 / 116.0) * 0.1284191601386927;
}

inline void PutBgr(uint8_t* px, uint8_t red, uint8_t green, uint8_t blue) {
    px[0] = blue;
    px[1] = green;
    px[2] = red;
}

// Converts rows of channel samples to blue, green, red bytes by colour mode.
class PixelConverter {
public:
    // False when the mode cannot give a picture: an unknown mode, fewer channels
    // than the mode reads, or an indexed picture without its 768-byte colour table.
    bool Choose(const PsdHeader& header, const std::vector<uint8_t>& colourModeData) {
        m_mode = header.mode;
        // D is a power of two, so multiplying by 1 / D is exact: the same as dividing.
        m_reciprocal = header.depth == 16 ? 1.0 / 65536.0 : 1.0 / 256.0;
        m_palette = nullptr;
        switch (header.mode) {
            case kModeGreyscale:
            case kModeDuotone:
                m_channels = 1;
                break;
            case kModeIndexed:
                if (colourModeData.size() != kIndexedTableSize) return false;
                m_palette = colourModeData.data();
                m_channels = 1;
                break;
            case kModeRgb:
            case kModeLab:
                m_channels = 3;
                break;
            case kModeCmyk:
                m_channels = 4;
                break;
            case kModeMultichannel:
                m_channels = std::min<int>(header.channels, 4);
                break;
            default:
                return false;
        }
        if (header.mode == kModeMultichannel && header.channels < 3) return false;
        return header.channels >= m_channels;
    }

    int ChannelsRead() const { return m_channels; }

    void ConvertRow(const ChannelRow& row, int width, uint8_t* out) const {
        switch (m_mode) {
            case kModeGreyscale:
            case kModeDuotone:
                return ForEachPixel(width, out, [&](int x, uint8_t* px) {
                    const uint8_t v = row.High(0, x);
                    PutBgr(px, v, v, v);
                });
            case kModeIndexed:
                // 16-bit indexed samples do not occur in practice; the high byte is the index.
                return ForEachPixel(width, out, [&](int x, uint8_t* px) {
                    const uint8_t i = row.High(0, x);
                    PutBgr(px, m_palette[i], m_palette[256 + i], m_palette[512 + i]);
                });
            case kModeRgb:
                return ForEachPixel(width, out, [&](int x, uint8_t* px) {
                    PutBgr(px, row.High(0, x), row.High(1, x), row.High(2, x));
                });
            case kModeCmyk:
            case kModeMultichannel:
                return ForEachPixel(width, out, [&](int x, uint8_t* px) {
                    // The file stores inverted ink amounts; without a fourth channel k = 0.
                    const double k = m_channels >= 4 ? Ink(row.Value(3, x)) : 0.0;
                    PutBgr(px, InkToByte(Ink(row.Value(0, x)), k), InkToByte(Ink(row.Value(1, x)), k),
                           InkToByte(Ink(row.Value(2, x)), k));
                });
            case kModeLab:
                return ForEachPixel(width, out, [&](int x, uint8_t* px) {
                    LabToBgr(row.Value(0, x), row.Value(1, x), row.Value(2, x), px);
                });
            default:
                return;
        }
    }

private:
    template <class F>
    static void ForEachPixel(int width, uint8_t* out, F pixel) {
        for (int x = 0; x < width; ++x) pixel(x, out + size_t(x) * 3);
    }

    double Ink(uint32_t stored) const { return 1.0 - stored * m_reciprocal; }

    static uint8_t InkToByte(double ink, double k) {
        return uint8_t(std::floor((1.0 - (k + (1.0 - k) * ink)) * 255.0 + 0.5));
    }

    // L* a* b* relative to D65 -> XYZ -> linear sRGB (the IEC 61966-2-1 matrix) ->
    // the sRGB curve. Linear values outside 0..1 are clamped by the encoder.
    void LabToBgr(uint32_t ls, uint32_t as, uint32_t bs, uint8_t* px) const {
        const double l = ls * 100.0 * m_reciprocal;
        const double a = as * 256.0 * m_reciprocal - 128.0;
        const double b = bs * 256.0 * m_reciprocal - 128.0;
        const double fy = (l + 16.0) / 116.0;
        const double fx = fy + a * 0.002;
        const double fz = fy - b * 0.005;
        const double y = LabInverse(fy);
        const double xr = 0.95047 * LabInverse(fx);
        const double zr = 1.08883 * LabInverse(fz);
        const double red = 3.2404542 * xr - 1.5371385 * y - 0.4985314 * zr;
        const double green = -0.9692660 * xr + 1.8760108 * y + 0.0415560 * zr;
        const double blue = 0.0556434 * xr - 0.2040259 * y + 1.0572252 * zr;
        PutBgr(px, m_srgb.Encode(red), m_srgb.Encode(green), m_srgb.Encode(blue));
    }

    uint16_t m_mode = 0;
    int m_channels = 0;
    double m_reciprocal = 1.0 / 256.0;  // 1 / D, D = 2^depth
    const uint8_t* m_palette = nullptr;
    SrgbEncoder m_srgb;
};

class PsdReader {
public:
    explicit PsdReader(ByteStream& in) : m_in(in) {}

    int Read(PlainBitmap& result, const PictureLimits& limits, const char** refusal) {
        if (!ReadHeader()) return kPsdBadHeader;
        if (!ReadColourModeData()) return kPsdBadColourModeData;
        if (!ReadResources()) return kPsdBadResources;
        if (!SkipLayerSection()) return kPsdBadLayerSection;
        return ReadImageData(result, limits, refusal);
    }

private:
    // A 32-bit section length followed by that many bytes of the stream; false when
    // the length is missing or passes the end of the stream.
    bool ReadSectionLength(uint32_t& length) {
        uint8_t raw[4];
        if (!m_in.ReadExact(raw, 4)) return false;
        length = GetBE32(raw);
        return length <= uint64_t(m_in.Remaining());
    }

    bool ReadHeader() {
        uint8_t raw[kHeaderSize];
        if (!m_in.ReadExact(raw, kHeaderSize)) return false;
        if (std::memcmp(raw, "8BPS", 4) != 0 || GetBE16(raw + 4) != 1) return false;
        for (int i = 6; i < 12; ++i)
            if (raw[i] != 0) return false;
        m_header.channels = GetBE16(raw + 12);
        m_header.height = GetBE32(raw + 14);
        m_header.width = GetBE32(raw + 18);
        m_header.depth = GetBE16(raw + 22);
        m_header.mode = GetBE16(raw + 24);
        return true;
    }

    bool ReadColourModeData() {
        uint32_t length = 0;
        if (!ReadSectionLength(length)) return false;
        m_colourModeData.resize(length);
        return m_in.ReadExact(m_colourModeData.data(), length);
    }

    // Blocks "8BIM", id, a name padded to an even total, an even-rounded data size.
    // The blocks must fill the section exactly.
    bool ReadResources() {
        uint32_t length = 0;
        if (!ReadSectionLength(length)) return false;
        std::vector<uint8_t> section(length);
        if (!m_in.ReadExact(section.data(), length)) return false;
        Cursor cursor(section.data(), section.size());
        while (cursor.Left() > 0) {
            const uint8_t* signature;
            uint16_t id;
            uint8_t nameLength;
            uint32_t size;
            if (!cursor.Take(4, signature) || std::memcmp(signature, "8BIM", 4) != 0) return false;
            if (!cursor.U16(id) || !cursor.U8(nameLength)) return false;
            if (!cursor.Skip(nameLength + ((nameLength + 1) % 2))) return false;
            if (!cursor.U32(size)) return false;
            const uint64_t padded = uint64_t(size) + (size & 1);
            const uint8_t* data;
            if (padded > cursor.Left() || !cursor.Take(size_t(padded), data)) return false;
            if (!KeepResource(id, size, Cursor(data, size_t(padded)))) return false;
        }
        return true;
    }

    // Reads the fields of a kept resource from its (even-rounded) data; false when the
    // data is too short for them. Unknown resources are skipped.
    bool KeepResource(uint16_t id, uint32_t size, Cursor data) {
        PsdResources& r = m_resources;
        switch (id) {
            case 1000:
                r.hasInfo1000 = true;
                for (uint16_t& v : r.info1000)
                    if (!data.U16(v)) return false;
                return true;
            case 1005:
                r.hasResolution = true;
                return data.U32(r.horizontalResolution) && data.U16(r.horizontalResolutionUnit) &&
                       data.U16(r.widthUnit) && data.U32(r.verticalResolution) &&
                       data.U16(r.verticalResolutionUnit) && data.U16(r.heightUnit);
            case 1007: {
                r.hasDisplayInfo = true;
                uint8_t kind = 0;
                if (!data.U16(r.colourSpace)) return false;
                for (uint16_t& v : r.colour)
                    if (!data.U16(v)) return false;
                if (!data.U16(r.opacity) || !data.U8(kind) || !data.Skip(1)) return false;
                r.kindFlag = kind == 1;
                return true;
            }
            case 1033:
            case 1036: {
                r.hasThumbnail = true;
                const uint8_t* pixels;
                if (size < 28 || !data.U32(r.thumbnailFormat) || !data.U32(r.thumbnailWidth) ||
                    !data.U32(r.thumbnailHeight) || !data.U32(r.thumbnailWidthBytes) ||
                    !data.U32(r.thumbnailTotalSize) || !data.U32(r.thumbnailCompressedSize) ||
                    !data.U16(r.thumbnailBitsPerPixel) || !data.U16(r.thumbnailPlanes) ||
                    !data.Take(size - 28, pixels))
                    return false;
                r.thumbnailData.assign(pixels, pixels + (size - 28));
                if (id == 1033)
                    for (size_t i = 0; i + 2 < r.thumbnailData.size(); i += 3)
                        std::swap(r.thumbnailData[i], r.thumbnailData[i + 2]);
                return true;
            }
            case 1034: {
                uint16_t v;
                if (!data.U16(v)) return false;
                r.flag1034 = v == 256;
                return true;
            }
            case 1037: {
                uint32_t v;
                if (!data.U32(v)) return false;
                r.globalAngle = int32_t(v);
                return true;
            }
            case 1046:
                return data.U16(r.colourCount);
            case 1047:
                return data.U16(r.transparencyIndex);
            default:
                return true;
        }
    }

    bool SkipLayerSection() {
        uint32_t length = 0;
        return ReadSectionLength(length) && m_in.Seek(length, SEEK_CUR);
    }

    int ReadImageData(PlainBitmap& result, const PictureLimits& limits, const char** refusal) {
        uint8_t raw[2];
        if (!m_in.ReadExact(raw, 2)) return kPsdBadImageData;
        const uint16_t compression = GetBE16(raw);
        if (m_header.depth == 1) return kPsdOneBitDepth;
        if (m_header.depth != 8 && m_header.depth != 16) return kPsdUnsupportedDepth;
        if (compression > 1) return kPsdBadImageData;
        PixelConverter converter;
        if (!converter.Choose(m_header, m_colourModeData)) return kPsdBadImageData;

        const int bytesPerSample = m_header.depth / 8;
        const uint64_t width = m_header.width, height = m_header.height;
        const uint64_t rowBytes = width * bytesPerSample;
        const uint64_t rows = uint64_t(m_header.channels) * height;  // channel after channel
        const uint64_t remaining = uint64_t(m_in.Remaining());

        // Where each stored row starts in `data` (the byte-count table of run-length
        // data, or fixed-size raw rows); checked against the stream before anything
        // of the picture's size is allocated.
        std::vector<uint64_t> rowStart;
        uint64_t dataSize = 0;
        if (compression == 0) {
            if (rowBytes != 0 && rows > remaining / rowBytes) return kPsdBadImageData;
            // Only the leading channels that the colour mode reads are loaded.
            dataSize = uint64_t(converter.ChannelsRead()) * height * rowBytes;
        } else {
            if (rows * 2 > remaining) return kPsdBadImageData;
            std::vector<uint8_t> table;
            if (!TryResize(table, size_t(rows * 2)) || !TryResize(rowStart, size_t(rows + 1)))
                return kPsdBadImageData;
            if (!m_in.ReadExact(table.data(), table.size())) return kPsdBadImageData;
            const uint64_t minRow = MinPackedRowSize(rowBytes);
            for (uint64_t i = 0; i < rows; ++i) {
                const uint16_t count = GetBE16(table.data() + i * 2);
                if (count < minRow) return kPsdBadImageData;
                rowStart[i] = dataSize;
                dataSize += count;
            }
            rowStart[rows] = dataSize;
            if (dataSize > remaining - rows * 2) return kPsdBadImageData;
        }

        // A size that the data can hold may still be more than the user allows.
        if (const char* text = limits.Refusal(m_header.width, m_header.height)) {
            if (refusal) *refusal = text;
            return kPsdNoBitmap;
        }
        PlainBitmap bitmap;
        if (!CreateBitmap(bitmap)) return kPsdNoBitmap;

        std::vector<uint8_t> data;
        if (!TryResize(data, size_t(dataSize)) || !m_in.ReadExact(data.data(), data.size()))
            return kPsdBadImageData;

        ChannelRow row;
        row.bytesPerSample = bytesPerSample;
        const int used = converter.ChannelsRead();
        std::vector<std::vector<uint8_t>> unpacked;
        if (compression == 1) unpacked.assign(size_t(used) + 1, std::vector<uint8_t>(size_t(rowBytes)));
        for (uint64_t y = 0; y < height; ++y) {
            if (compression == 0) {
                for (int c = 0; c < used; ++c) row.samples[c] = data.data() + (c * height + y) * rowBytes;
            } else {
                // Every channel is unpacked, the ones the mode ignores into a scratch row,
                // so that damaged data anywhere is reported.
                for (uint64_t c = 0; c < m_header.channels; ++c) {
                    std::vector<uint8_t>& target = unpacked[std::min<uint64_t>(c, used)];
                    const uint64_t i = c * height + y;
                    if (!UnpackBitsRow(data.data() + rowStart[i], rowStart[i + 1] - rowStart[i], target.data(),
                                       target.size()))
                        return kPsdBadImageData;
                    if (c < uint64_t(used)) row.samples[c] = target.data();
                }
            }
            converter.ConvertRow(row, int(width), bitmap.pixels.data() + y * bitmap.stride);
        }
        result = std::move(bitmap);
        return kPsdOk;
    }

    // A white 24-bit top-down bitmap of the picture's size; false when its size does
    // not fit a signed 32-bit block (as the image object requires) or memory runs out.
    bool CreateBitmap(PlainBitmap& bitmap) const {
        const int64_t stride = RowStride(m_header.width, 24);
        if (m_header.width == 0 || m_header.height == 0 || m_header.width > uint32_t(INT32_MAX) ||
            m_header.height > uint32_t(INT32_MAX) || stride <= 0 ||
            uint64_t(stride) * m_header.height > uint64_t(INT32_MAX) - 40)
            return false;
        bitmap.width = int(m_header.width);
        bitmap.height = int(m_header.height);
        bitmap.bitsPerPixel = 24;
        bitmap.topDown = true;
        bitmap.stride = int32_t(stride);
        bitmap.dpi = kBitmapDpi;
        try {
            bitmap.pixels.assign(size_t(stride) * m_header.height, 0xFF);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    template <class T>
    static bool TryResize(std::vector<T>& v, size_t n) {
        try {
            v.resize(n);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    ByteStream& m_in;
    PsdHeader m_header;
    std::vector<uint8_t> m_colourModeData;
    PsdResources m_resources;
};

}  // namespace

int ImportPsd(ByteStream& in, PlainBitmap& result, const PictureLimits& limits, const char** refusal) {
    PsdReader reader(in);
    return reader.Read(result, limits, refusal);
}

int ImportPsdFile(const std::string& path, PlainBitmap& result) {
    FileStream in;
    if (!in.Open(path, "rb")) return kPsdOpenFailed;
    return ImportPsd(in, result);
}
