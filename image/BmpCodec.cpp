// BMP reading and writing: Windows bitmaps with or without the 14-byte file header,
// core (12-byte) and 40 to 124-byte information headers, 1/4/8 bits (plain, RLE8,
// RLE4), 16 bits (5-5-5 or bit fields), 24 bits and 32 bits with bit fields. The
// result is an indexed picture for 1/4/8 bits and a 24-bit picture otherwise, rows
// bottom-up whatever the stored order.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Endian.h"
#include "Messages.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
// Pictures read from BMP data carry type code 0, like those taken from the clipboard.
constexpr int kReadTypeCode = 0;

// An RLE stream can describe far more pixels than it has bytes (end-of-bitmap leaves
// the rest white), so its picture is bounded by the data instead: 256 pixels per
// remaining byte plus a fixed allowance. Plain rows are checked byte for byte.
constexpr int64_t kRlePixelsPerByte = 256;
constexpr int64_t kRlePixelAllowance = int64_t(1) << 24;

// What the headers say, after the core header has been brought to the long form.
struct BmpLayout {
    int64_t width = 0;
    int64_t height = 0;  // always positive; topDown tells the stored order
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kRgb;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t headerSize = 0;
    uint32_t colourCount = 0;  // palette entries stored after the header
    uint32_t entrySize = 4;    // 3 for the core header
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // red, green, blue
    uint32_t maskBytesAfterHeader = 0;
};

// One colour channel of a 16- or 32-bit pixel: the mask's bits moved so that its top
// bit lands in bit 7 (low bits of wider channels dropped, narrower ones not rescaled).
struct Channel {
    uint32_t mask = 0;
    int shift = 0;  // right shift when positive, left shift when negative

    explicit Channel(uint32_t m) : mask(m), shift(m ? std::bit_width(m) - 1 - 7 : 0) {}
    uint8_t operator()(uint32_t pixel) const {
        const uint32_t v = pixel & mask;
        return uint8_t(shift >= 0 ? v >> shift : v << -shift);
    }
};

bool KnownHeaderSize(uint32_t size) {
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

// Reads the information header at the stream position into `l`; nullptr or a message.
const char* ReadInfoHeader(ByteStream& in, BmpLayout& l) {
    uint8_t h[124] = {};
    if (!in.ReadExact(h, 4)) return msg::kBmpCorrupted;
    l.headerSize = GetLE32(h);
    if (!KnownHeaderSize(l.headerSize)) return msg::kBmpCorrupted;
    if (!in.ReadExact(h + 4, l.headerSize - 4)) return msg::kBmpCorrupted;
    if (l.headerSize == kCoreHeaderSize) {
        l.width = GetLE16(h + 4);
        l.height = GetLE16(h + 6);
        l.bits = GetLE16(h + 10);
        l.entrySize = 3;
        l.colourCount = l.bits <= 8 ? 1u << l.bits : 0;
        return nullptr;
    }
    const DibHeader d = DibHeader::ReadFrom(h);
    l.width = d.biWidth;
    l.height = d.biHeight;
    if (l.height < 0) {
        l.topDown = true;
        l.height = -l.height;  // 64-bit: the most negative height does not wrap
    }
    l.bits = d.biBitCount;
    l.compression = d.biCompression;
    l.xPelsPerMeter = d.biXPelsPerMeter;
    l.yPelsPerMeter = d.biYPelsPerMeter;
    l.colourCount = d.biClrUsed;
    if (l.colourCount == 0 && l.bits <= 8) l.colourCount = 1u << l.bits;
    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
        // Headers of 52 bytes and more hold the masks; after a 40-byte header they follow it.
        if (l.headerSize == 40) {
            l.maskBytesAfterHeader = l.compression == kBitFields ? 12 : 16;
            if (!in.ReadExact(h + 40, 12)) return msg::kBmpCorrupted;
            if (l.maskBytesAfterHeader > 12 && !in.Seek(l.maskBytesAfterHeader - 12, SEEK_CUR))
                return msg::kBmpCorrupted;
        }
        if (l.compression == kBitFields) {
            l.masks[0] = GetLE32(h + 40);
            l.masks[1] = GetLE32(h + 44);
            l.masks[2] = GetLE32(h + 48);
        }
    }
    return nullptr;
}

// The checks that need no pixel data: size, depth and compression.
const char* CheckLayout(const BmpLayout& l) {
    if (l.width <= 0 || l.height <= 0 || l.width > INT32_MAX || l.height > INT32_MAX) return msg::kBmpCorrupted;
    switch (l.bits) {
    case 1:
    case 4:
    case 8:
        if (l.colourCount > 256) return msg::kBmpCorrupted;
        if (l.compression == kRgb) return nullptr;
        if ((l.bits == 8 && l.compression == kRle8) || (l.bits == 4 && l.compression == kRle4)) return nullptr;
        return msg::kBmpCompression;
    case 16: return nullptr;
    case 24: return l.compression == kRgb ? nullptr : msg::kBmpUnknownCompression;
    case 32: return l.compression == kBitFields ? nullptr : msg::kBmpUnknownCompression;
    default: return msg::kBmpCorrupted;
    }
}

// Expands one row of 16-bit pixels, read into the start of `row`, in place to blue,
// green, red bytes, from the last pixel backwards so no pixel is overwritten unread.
void Expand16(uint8_t* row, int width, const Channel& r, const Channel& g, const Channel& b) {
    for (int x = width - 1; x >= 0; --x) {
        const uint32_t v = GetLE16(row + 2 * size_t(x));
        uint8_t* p = row + 3 * size_t(x);
        p[0] = b(v);
        p[1] = g(v);
        p[2] = r(v);
    }
}

void Convert32(const uint8_t* src, uint8_t* dst, int width, const Channel& r, const Channel& g, const Channel& b) {
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        const uint32_t v = GetLE32(src);
        dst[0] = b(v);
        dst[1] = g(v);
        dst[2] = r(v);
    }
}

// Uncompressed rows. Every stored row is fileStride bytes except that the last one
// may lack its padding; the caller has checked that much data remains.
const char* ReadPlainRows(ByteStream& in, CImageBuffer& out, const BmpLayout& l) {
    const int width = out.Width();
    const int height = out.Height();
    const size_t fileStride = size_t(RowStride(l.width, l.bits));
    const size_t rowBytes = size_t((l.width * l.bits + 7) / 8);
    const bool copyRows = l.bits <= 8 || l.bits == 24;
    if (copyRows && !l.topDown) {
        // Stored stride equals the picture's: one read fills the whole area.
        const size_t bytes = size_t(std::min<int64_t>(int64_t(fileStride) * height, in.Remaining()));
        return in.ReadExact(out.PixelArea(), bytes) ? nullptr : msg::kBmpCorrupted;
    }
    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
    std::vector<uint8_t> work;
    if (l.bits == 32) {
        try {
            work.resize(fileStride);
        } catch (const std::bad_alloc&) {
            return msg::kAllocMemory;
        }
    }
    for (int i = 0; i < height; ++i) {
        uint8_t* dst = out.Row(l.topDown ? height - 1 - i : i);
        uint8_t* src = l.bits == 32 ? work.data() : dst;
        if (!in.ReadExact(src, i + 1 < height ? fileStride : rowBytes)) return msg::kBmpCorrupted;
        if (l.bits == 16) Expand16(dst, width, red, green, blue);
        else if (l.bits == 32) Convert32(src, dst, width, red, green, blue);
    }
    return nullptr;
}

// Gives the pixels that an RLE stream never wrote a white palette entry: one already
// white, else one that no written pixel uses (made white). Without either the picture
// becomes 24-bit so that those pixels can still be white.
const char* WhitenUnwritten(CImageBuffer& out, const std::vector<uint8_t>& written) {
    if (std::find(written.begin(), written.end(), 0) == written.end()) return nullptr;
    const int width = out.Width(), height = out.Height(), bits = out.Bpp();
    const int entries = out.PaletteCount();
    int white = -1;
    for (int i = 0; i < entries && white < 0; ++i)
        if ((out.PaletteEntry(i) & 0xFFFFFF) == 0xFFFFFF) white = i;
    if (white < 0) {
        std::array<bool, 256> used{};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (written[size_t(y) * width + x]) used[out.IndexAt(x, y)] = true;
        for (int i = 0; i < entries && white < 0; ++i)
            if (!used[i]) white = i;
        if (white >= 0) out.SetPaletteEntry(white, 255, 255, 255);
    }
    if (white >= 0) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!written[size_t(y) * width + x])
                    CImageBuffer::PutIndex(out.PixelArea(), bits, out.Stride(), x, y, uint8_t(white));
        return nullptr;
    }
    CImageBuffer rgb(out.Type());
    rgb.Info() = out.Info();
    if (!rgb.Allocate(width, height, 24, out.Type())) return msg::kAllocMemory;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = rgb.Row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            if (!written[size_t(y) * width + x]) continue;  // rows start white
            const RgbQuad c = out.ColourAt(x, y);
            p[0] = c.blue;
            p[1] = c.green;
            p[2] = c.red;
        }
    }
    out.TakeOver(rgb);
    return nullptr;
}

// RLE8 and RLE4. Line 0 is the first stored line (the bottom one unless top-down).
// Pixels past the width land in the row padding and are dropped; deltas and runs that
// leave the picture are clipped.
const char* DecodeRle(ByteStream& in, CImageBuffer& out, const BmpLayout& l) {
    std::vector<uint8_t> data;
    std::vector<uint8_t> written;
    const int width = out.Width(), height = out.Height();
    try {
        data.resize(size_t(in.Remaining()));
        written.assign(size_t(width) * height, 0);
    } catch (const std::bad_alloc&) {
        return msg::kAllocMemory;
    }
    if (!in.ReadExact(data.data(), data.size())) return msg::kBmpCorrupted;

    const bool four = l.compression == kRle4;
    const uint8_t* p = data.data();
    const uint8_t* const end = p + data.size();
    int64_t x = 0, line = 0;
    uint8_t* rows = out.PixelArea();
    const uint32_t stride = out.Stride();
    // Writes n pixels from x on, pixel(k) giving the k-th index; those past the width
    // or above the picture are dropped.
    auto span = [&](int n, auto pixel) {
        if (line < height && x < width) {
            const int y = int(l.topDown ? height - 1 - line : line);
            const int first = int(x), count = int(std::min<int64_t>(n, width - x));
            uint8_t* row = rows + size_t(y) * stride;
            if (four) {
                for (int k = 0; k < count; ++k) CImageBuffer::PutIndex(row, 4, 0, first + k, 0, pixel(k));
            } else {
                for (int k = 0; k < count; ++k) row[first + k] = pixel(k);
            }
            std::memset(&written[size_t(y) * width + first], 1, size_t(count));
        }
        x += n;
    };

    bool finished = false;
    while (!finished && line < height) {
        if (end - p < 2) break;
        const uint8_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            const uint8_t high = four ? value >> 4 : value, low = four ? value & 0x0F : value;
            span(count, [=](int k) { return (k & 1) ? low : high; });
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++line;
            break;
        case 1: finished = true; break;
        case 2:
            if (end - p < 2) return msg::kBmpCorrupted;
            x += p[0];
            line += p[1];
            p += 2;
            break;
        default: {
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size_t(end - p) < padded) return msg::kBmpCorrupted;
            const uint8_t* literal = p;
            if (four) span(value, [=](int k) { return uint8_t((k & 1) ? literal[k / 2] & 0x0F : literal[k / 2] >> 4); });
            else span(value, [=](int k) { return literal[k]; });
            p += padded;
            break;
        }
        }
    }
    // Without an end-of-bitmap the data must at least have reached the last line's end.
    const bool complete = finished || line >= height || (line == height - 1 && x >= width);
    if (!complete) return msg::kBmpCorrupted;
    return WhitenUnwritten(out, written);
}

const char* DecodeBmpInto(ByteStream& in, CImageBuffer& out) {
    const int64_t start = in.Tell();
    uint8_t fileHeader[kFileHeaderSize];
    uint32_t dataOffset = 0;
    bool headerless = true;
    if (in.Read(fileHeader, kFileHeaderSize, 1) == 1 && fileHeader[0] == 'B' && fileHeader[1] == 'M') {
        headerless = false;
        dataOffset = GetLE32(fileHeader + 10);
    } else if (!in.Seek(start, SEEK_SET)) {
        return msg::kBmpCorrupted;
    }

    BmpLayout l;
    if (const char* error = ReadInfoHeader(in, l)) return error;
    if (const char* error = CheckLayout(l)) return error;

    // The palette follows the information header (and the masks of a 40-byte one).
    // With a file header, the entries that fit before the pixel data are the palette.
    const int64_t paletteStart = in.Tell();
    uint64_t storedEntries = l.colourCount;
    if (!headerless && dataOffset != 0 && start + int64_t(dataOffset) >= paletteStart)
        storedEntries = std::min<uint64_t>(storedEntries, uint64_t(start + dataOffset - paletteStart) / l.entrySize);
    const uint64_t paletteBytes = storedEntries * l.entrySize;
    if (paletteBytes > uint64_t(in.Remaining())) return msg::kBmpCorrupted;
    std::array<uint8_t, 256 * 4> palette{};
    if (l.bits <= 8) {
        const uint32_t loaded = uint32_t(std::min<uint64_t>(storedEntries, 256));
        std::vector<uint8_t> stored(size_t(loaded) * l.entrySize);
        if (!in.ReadExact(stored.data(), stored.size())) return msg::kBmpCorrupted;
        for (uint32_t i = 0; i < loaded; ++i) std::memcpy(&palette[4 * i], &stored[size_t(i) * l.entrySize], 3);
    }

    int64_t pixelStart = paletteStart + int64_t(paletteBytes);
    if (!headerless && dataOffset != 0) {
        pixelStart = start + int64_t(dataOffset);
        if (pixelStart > in.Size()) return msg::kBmpCorrupted;
    }
    if (!in.Seek(pixelStart, SEEK_SET)) return msg::kBmpCorrupted;

    const int64_t remaining = in.Remaining();
    const bool rle = l.bits <= 8 && l.compression != kRgb;
    if (rle) {
        if (l.width * l.height > remaining * kRlePixelsPerByte + kRlePixelAllowance) return msg::kBmpCorrupted;
    } else {
        const int64_t fileStride = RowStride(l.width, l.bits);
        if (fileStride < 0) return msg::kBmpCorrupted;
        const int64_t lastRow = (l.width * l.bits + 7) / 8;
        if (remaining < lastRow || (l.height - 1) > (remaining - lastRow) / fileStride) return msg::kBmpCorrupted;
    }

    // A size that the data can hold may still be more than the user allows.
    if (const char* refusal = out.Info().limits.Refusal(l.width, l.height)) return refusal;
    if (!out.Allocate(int(l.width), int(l.height), l.bits <= 8 ? l.bits : 24, kReadTypeCode))
        return msg::kAllocMemory;
    if (l.bits <= 8) out.LoadPalette(palette.data(), out.PaletteCount());

    if (const char* error = rle ? DecodeRle(in, out, l) : ReadPlainRows(in, out, l)) return error;

    // Files without a resolution keep the default rather than a resolution of 0.
    if (l.xPelsPerMeter > 0) out.SetHorizontalResolution(l.xPelsPerMeter);
    if (l.yPelsPerMeter > 0) out.SetVerticalResolution(l.yPelsPerMeter);
    return nullptr;
}

}  // namespace

namespace codec {

bool DecodeBmp(ByteStream& in, CImageBuffer& out) {
    if (const char* error = DecodeBmpInto(in, out)) {
        out.ReleaseBuffers();
        out.SetLastError(error);
        return false;
    }
    return true;
}

bool EncodeBmp(ByteStream& out, CImageBuffer& image) {
    if (!image.IsValid()) {
        image.SetLastError(msg::kBmpWrite);
        return false;
    }
    const DibHeader& header = image.Header();
    const uint32_t paletteBytes = image.PaletteBytes();
    uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
    PutLE32(fileHeader + 2, uint32_t(kFileHeaderSize) + image.BlockSize());
    PutLE32(fileHeader + 10, uint32_t(kFileHeaderSize + DibHeader::kSize) + paletteBytes);
    uint8_t info[DibHeader::kSize];
    header.WriteTo(info);
    const bool ok = out.WriteAll(fileHeader, sizeof fileHeader) && out.WriteAll(info, sizeof info) &&
                    out.WriteAll(image.Block() + DibHeader::kSize, paletteBytes) &&
                    out.WriteAll(image.PixelArea(), header.biSizeImage) && out.Flush();
    if (!ok) image.SetLastError(msg::kBmpWrite);
    return ok;
}

}  // namespace codec
