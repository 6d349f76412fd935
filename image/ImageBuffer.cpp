#include "ImageBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "ByteStream.h"
#include "Codecs.h"
#include "Endian.h"
#include "Messages.h"

void DibHeader::WriteTo(uint8_t* p) const {
    PutLE32(p + 0, biSize);
    PutLE32(p + 4, uint32_t(biWidth));
    PutLE32(p + 8, uint32_t(biHeight));
    PutLE16(p + 12, biPlanes);
    PutLE16(p + 14, biBitCount);
    PutLE32(p + 16, biCompression);
    PutLE32(p + 20, biSizeImage);
    PutLE32(p + 24, uint32_t(biXPelsPerMeter));
    PutLE32(p + 28, uint32_t(biYPelsPerMeter));
    PutLE32(p + 32, biClrUsed);
    PutLE32(p + 36, biClrImportant);
}

DibHeader DibHeader::ReadFrom(const uint8_t* p) {
    DibHeader h;
    h.biSize = GetLE32(p + 0);
    h.biWidth = int32_t(GetLE32(p + 4));
    h.biHeight = int32_t(GetLE32(p + 8));
    h.biPlanes = GetLE16(p + 12);
    h.biBitCount = GetLE16(p + 14);
    h.biCompression = GetLE32(p + 16);
    h.biSizeImage = GetLE32(p + 20);
    h.biXPelsPerMeter = int32_t(GetLE32(p + 24));
    h.biYPelsPerMeter = int32_t(GetLE32(p + 28));
    h.biClrUsed = GetLE32(p + 32);
    h.biClrImportant = GetLE32(p + 36);
    return h;
}

int32_t RowStride(int64_t width, int bitsPerPixel) {
    if (width < 0 || bitsPerPixel < 0) return -1;
    const int64_t stride = ((width * bitsPerPixel + 31) / 32) * 4;
    return stride > std::numeric_limits<int32_t>::max() ? -1 : int32_t(stride);
}

CImageBuffer::CImageBuffer(int type) { ResetRecords(type); }

CImageBuffer::CImageBuffer(int width, int height, int bpp, int type) : CImageBuffer(type) {
    Allocate(width, height, bpp, type);
}

CImageBuffer::CImageBuffer(const std::string& path, int type) : CImageBuffer(type) { Load(path, type); }

CImageBuffer::CImageBuffer(const CImageBuffer& other, bool copyPixels) : CImageBuffer(other.Type()) {
    CloneFrom(other, copyPixels);
}

CImageBuffer::~CImageBuffer() { ReleaseBuffers(); }

void CImageBuffer::ResetRecords(int type) {
    m_header = DibHeader{};
    m_info = ImageInfo{};
    m_info.typeCode = uint8_t(type);
    m_header.biXPelsPerMeter = 2835;
    m_header.biYPelsPerMeter = 2835;
}

void CImageBuffer::SetLastError(const std::string& text) { m_info.lastError = text.substr(0, 255); }

uint8_t* CImageBuffer::Allocate(int width, int height, int bpp, int type, bool fillRows) {
    return AllocateBlock(width, height, bpp, type, true, fillRows);
}

uint8_t* CImageBuffer::AllocateHeader(int width, int height, int bpp, int type) {
    return AllocateBlock(width, height, bpp, type, false, false);
}

uint8_t* CImageBuffer::AllocateBlock(int width, int height, int bpp, int type, bool withRows, bool fillRows) {
    if (width <= 0 || height <= 0) return nullptr;
    // A header block of the very same size is reused.
    std::unique_ptr<uint8_t[]> previous = std::move(m_block);
    const uint32_t previousSize = m_blockSize;
    m_blockSize = 0;
    const int bits = bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : bpp <= 24 ? 24 : 32;
    const uint32_t colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    const int32_t stride = RowStride(width, bits);
    m_info.typeCode = uint8_t(type);
    m_header.biSize = 40;
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = uint16_t(bits);
    m_header.biCompression = 0;
    m_header.biClrUsed = colours;
    m_header.biClrImportant = 0;
    if (stride < 0) return nullptr;
    m_info.stride = uint32_t(stride);
    const int64_t pixelBytes = int64_t(stride) * height;
    const int64_t total = 40 + int64_t(colours) * 4 + pixelBytes;
    if (total > std::numeric_limits<int32_t>::max()) return nullptr;
    m_header.biSizeImage = uint32_t(pixelBytes);
    const uint32_t headBytes = uint32_t(40 + colours * 4);
    if (previous && previousSize == headBytes) m_block = std::move(previous);
    else {
        previous.reset();
        m_block.reset(new (std::nothrow) uint8_t[headBytes]);
    }
    if (!m_block) return nullptr;
    m_header.WriteTo(m_block.get());
    std::memset(m_block.get() + 40, 0, colours * 4);
    if (!withRows) {
        std::vector<uint8_t>().swap(m_pixels);
        m_blockSize = headBytes;
        return m_block.get();
    }
    // Rows of the very same size are reused: they are refilled just as new ones.
    if (m_pixels.size() != size_t(pixelBytes)) {
        try {
            std::vector<uint8_t>().swap(m_pixels);
            m_pixels.resize(size_t(pixelBytes));
        } catch (const std::bad_alloc&) {
            m_block.reset();
            return nullptr;
        }
    }
    m_blockSize = headBytes;
    uint8_t* rows = m_pixels.data();
    const size_t used = (size_t(width) * size_t(bits) + 7) / 8;
    if (fillRows || used == size_t(stride)) {
        if (fillRows) std::memset(rows, 0xFF, size_t(pixelBytes));
    } else {
        for (int y = 0; y < height; ++y) std::memset(rows + size_t(y) * size_t(stride) + used, 0xFF, size_t(stride) - used);
    }
    return m_block.get();
}

void CImageBuffer::ReleaseBuffers() {
    m_block.reset();
    m_blockSize = 0;
    std::vector<uint8_t>().swap(m_pixels);
}

bool CImageBuffer::SwapPixels(std::vector<uint8_t>& rows) {
    if (!m_block || (!rows.empty() && rows.size() != size_t(m_header.biSizeImage))) return false;
    m_pixels.swap(rows);
    return true;
}

uint32_t CImageBuffer::BlockSize() const { return 40 + 4 * m_header.biClrUsed + m_header.biSizeImage; }

uint8_t* CImageBuffer::PixelArea() { return HasPixels() ? m_pixels.data() : nullptr; }
const uint8_t* CImageBuffer::PixelArea() const { return HasPixels() ? m_pixels.data() : nullptr; }

RgbQuad* CImageBuffer::Palette() {
    return m_block && m_header.biClrUsed ? reinterpret_cast<RgbQuad*>(m_block.get() + 40) : nullptr;
}
const RgbQuad* CImageBuffer::Palette() const {
    return m_block && m_header.biClrUsed ? reinterpret_cast<const RgbQuad*>(m_block.get() + 40) : nullptr;
}

void CImageBuffer::CloneFrom(const CImageBuffer& source, bool copyPixels) {
    m_info = source.m_info;
    m_info.bodyLink = nullptr;
    if (!source.IsValid()) {
        ReleaseBuffers();
        m_header = source.m_header;
        return;
    }
    // A picture whose rows are lent out is copied without rows.
    const int w = source.Width(), h = source.Height(), bpp = source.Bpp(), type = source.Type();
    if (!(source.HasPixels() ? Allocate(w, h, bpp, type) : AllocateHeader(w, h, bpp, type))) return;
    m_info = source.m_info;
    m_info.bodyLink = nullptr;
    m_header = source.m_header;
    if (copyPixels) {
        std::memcpy(m_block.get(), source.m_block.get(), std::min(m_blockSize, source.m_blockSize));
    } else {
        const uint32_t n = std::min<uint32_t>(std::min<uint32_t>(source.m_header.biClrUsed, 256), m_header.biClrUsed);
        std::memcpy(m_block.get() + 40, source.m_block.get() + 40, n * 4);
    }
    if (source.HasPixels()) std::memcpy(PixelArea(), source.PixelArea(), m_header.biSizeImage);
}

void CImageBuffer::TakeOver(CImageBuffer& source) {
    m_header = source.m_header;
    m_info = source.m_info;
    m_info.bodyLink = nullptr;
    // Moving the block is the same as copying it and releasing the source's copy.
    m_block = std::move(source.m_block);
    m_blockSize = source.m_blockSize;
    m_pixels = std::move(source.m_pixels);
    source.m_blockSize = 0;
    source.ReleaseBuffers();
}

bool CImageBuffer::FromPackedDib(const uint8_t* data, size_t size, DibHeader* headerOut) {
    if (!data || size < 40) return false;
    const DibHeader h = DibHeader::ReadFrom(data);
    const bool plain = h.biSize == 40 && h.biCompression == 0 && h.biHeight > 0 && h.biWidth > 0 &&
                       (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 24 ||
                        h.biBitCount == 32);
    if (plain) {
        const int32_t stride = RowStride(h.biWidth, h.biBitCount);
        const uint32_t colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : h.biClrUsed;
        if (stride < 0 || colours > 256) return false;
        const uint64_t need = 40 + uint64_t(colours) * 4 + uint64_t(stride) * uint64_t(h.biHeight);
        if (need > size) return false;
        CImageBuffer temp(kFormatJpeg);
        if (!temp.Allocate(h.biWidth, h.biHeight, h.biBitCount, kFormatJpeg)) return false;
        if (h.biBitCount <= 8) temp.LoadPalette(data + 40, int(std::min<uint32_t>(colours, temp.PaletteCount())));
        std::memcpy(temp.PixelArea(), data + 40 + colours * 4, temp.Header().biSizeImage);
        if (h.biXPelsPerMeter > 0) {
            temp.m_info.dpiX = int(std::floor(h.biXPelsPerMeter * 0.0254 + 0.5));
            temp.m_info.dpiY = int(std::floor(h.biYPelsPerMeter * 0.0254 + 0.5));
            temp.m_header.biXPelsPerMeter = h.biXPelsPerMeter;
            temp.m_header.biYPelsPerMeter = h.biYPelsPerMeter;
            temp.m_header.WriteTo(temp.m_block.get());
        }
        temp.m_info.typeCode = 0;
        TakeOver(temp);
    } else {
        // Top-down rows, bit fields and larger headers: the headerless BMP reader
        // knows them all and checks every size against the data.
        MemoryStream in(data, size);
        CImageBuffer temp(kFormatJpeg);
        if (!codec::DecodeBmp(in, temp)) {
            SetLastError(temp.LastError());
            return false;
        }
        temp.m_info.typeCode = 0;
        TakeOver(temp);
    }
    if (headerOut) *headerOut = m_header;
    return true;
}

bool CImageBuffer::FromBitmapHandle(const PlainBitmap* bitmap) {
    ReleaseBuffers();
    if (!bitmap) return false;
    const int bpp = bitmap->bitsPerPixel;
    const int bytesPerPixel = bpp / 8;
    if ((bpp != 24 && bpp != 32) || bitmap->width <= 0 || bitmap->height <= 0 ||
        bitmap->stride < int64_t(bitmap->width) * bytesPerPixel ||
        bitmap->pixels.size() < size_t(bitmap->stride) * size_t(bitmap->height)) {
        SetLastError(msg::kGetDibitsFailed);
        return false;
    }
    if (!Allocate(bitmap->width, bitmap->height, bpp, kFormatJpeg)) {
        SetLastError(msg::kGetDibitsFailed);
        return false;
    }
    const size_t rowBytes = size_t(bitmap->width) * bytesPerPixel;
    for (int y = 0; y < bitmap->height; ++y) {
        const int srcRow = bitmap->topDown ? bitmap->height - 1 - y : y;
        std::memcpy(Row(y), bitmap->pixels.data() + size_t(srcRow) * bitmap->stride, rowBytes);
    }
    return true;
}

std::vector<uint8_t> CImageBuffer::ToPackedDib() const {
    if (!HasPixels()) return {};
    std::vector<uint8_t> dib(m_block.get(), m_block.get() + m_blockSize);
    dib.insert(dib.end(), m_pixels.begin(), m_pixels.end());
    return dib;
}

namespace {

// Pixels per metre of a resolution, held to the stored field's range: a file may give
// a resolution whose conversion does not fit it.
int32_t StoredPelsPerMeter(double pixelsPerMetre) {
    const double v = std::floor(pixelsPerMetre + 0.5);
    return int32_t(std::clamp(v, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max())));
}

constexpr double kMetresPerInch = 0.0254;

// The whole DPI of an exact resolution. The small allowance keeps a value that is a
// half by its decimal digits (2500 per metre is 63.5 DPI) rounding up although the
// product in binary floating point falls just below it.
int DpiOf(double pixelsPerMetre) {
    const double v = std::floor(pixelsPerMetre * kMetresPerInch + 0.5 + 1e-9);
    return int(std::clamp(v, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

// The DPI `dpi` on one axis: the exact value stays only while it rounds to that DPI.
void SetAxis(int dpi, int32_t& infoDpi, double& exact, int32_t& headerPels) {
    infoDpi = dpi;
    if (exact > 0 && DpiOf(exact) != dpi) exact = 0;
    headerPels = StoredPelsPerMeter(exact > 0 ? exact : dpi * 39.37007874015748);
}

}  // namespace

void CImageBuffer::SetHorizontalDpi(int dpi) {
    SetAxis(dpi, m_info.dpiX, m_info.pixelsPerMetreX, m_header.biXPelsPerMeter);
    if (m_block) m_header.WriteTo(m_block.get());
}

void CImageBuffer::SetVerticalDpi(int dpi) {
    SetAxis(dpi, m_info.dpiY, m_info.pixelsPerMetreY, m_header.biYPelsPerMeter);
    if (m_block) m_header.WriteTo(m_block.get());
}

void CImageBuffer::SetHorizontalResolution(double pixelsPerMetre) {
    if (!(pixelsPerMetre > 0) || !std::isfinite(pixelsPerMetre)) return;
    m_info.pixelsPerMetreX = pixelsPerMetre;
    SetHorizontalDpi(DpiOf(pixelsPerMetre));
}

void CImageBuffer::SetVerticalResolution(double pixelsPerMetre) {
    if (!(pixelsPerMetre > 0) || !std::isfinite(pixelsPerMetre)) return;
    m_info.pixelsPerMetreY = pixelsPerMetre;
    SetVerticalDpi(DpiOf(pixelsPerMetre));
}

double CImageBuffer::PixelsPerMetreX() const {
    return m_info.pixelsPerMetreX > 0 ? m_info.pixelsPerMetreX : m_info.dpiX > 0 ? m_info.dpiX / kMetresPerInch : 0;
}

double CImageBuffer::PixelsPerMetreY() const {
    return m_info.pixelsPerMetreY > 0 ? m_info.pixelsPerMetreY : m_info.dpiY > 0 ? m_info.dpiY / kMetresPerInch : 0;
}

uint32_t CImageBuffer::PaletteEntry(int index) const {
    const RgbQuad* pal = Palette();
    if (!pal || index < 0 || uint32_t(index) >= m_header.biClrUsed) return 0;
    return pal[index].Value();
}

void CImageBuffer::SetPaletteEntry(int index, uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth) {
    RgbQuad* pal = Palette();
    if (!pal || index < 0 || uint32_t(index) >= m_header.biClrUsed) return;
    pal[index] = RgbQuad{blue, green, red, fourth};
}

void CImageBuffer::SetPaletteEntry(int index, uint32_t value) {
    RgbQuad* pal = Palette();
    if (!pal || index < 0 || uint32_t(index) >= m_header.biClrUsed) return;
    pal[index] = RgbQuad::FromValue(value);
}

void CImageBuffer::LoadPalette(const uint8_t* entries, int count) {
    RgbQuad* pal = Palette();
    if (!pal || !entries || count <= 0) return;
    std::memcpy(pal, entries, std::min<size_t>(size_t(count) * 4, PaletteBytes()));
}

void CImageBuffer::LoadPalette(int count, const uint8_t* reds, const uint8_t* greens, const uint8_t* blues) {
    RgbQuad* pal = Palette();
    if (!pal || !reds) return;
    const uint8_t* g = greens ? greens : reds;
    const uint8_t* b = blues ? blues : g;
    const int n = std::min<int>(count, int(m_header.biClrUsed));
    for (int i = 0; i < n; ++i) {
        pal[i].red = reds[i];
        pal[i].green = g[i];
        pal[i].blue = b[i];
    }
}

void CImageBuffer::MakeGreyPalette() {
    RgbQuad* pal = Palette();
    if (!pal) return;
    const int n = int(m_header.biClrUsed);
    const int step = n > 1 ? 255 / (n - 1) : 0;
    for (int i = 0; i < n; ++i) {
        const uint8_t v = uint8_t(i * step);
        pal[i].red = pal[i].green = pal[i].blue = v;
    }
}

bool CImageBuffer::HasGreyPalette() const {
    const RgbQuad* pal = Palette();
    if (!pal) return false;
    for (uint32_t i = 0; i < m_header.biClrUsed; ++i)
        if (pal[i].blue != i || pal[i].green != i || pal[i].red != i) return false;
    return true;
}

int NearestPaletteIndex(const RgbQuad* pal, int count, uint32_t colour) {
    if (!pal) return 0;
    const int b = colour & 0xFF, g = (colour >> 8) & 0xFF, r = (colour >> 16) & 0xFF;
    long best = 200000;
    int bestIndex = 0;
    for (int i = 0; i < count; ++i) {
        const long db = pal[i].blue - b, dg = pal[i].green - g, dr = pal[i].red - r;
        const long d = db * db + dg * dg + dr * dr;
        if (d == 0) return i;
        if (d < best) {
            best = d;
            bestIndex = i;
        }
    }
    return bestIndex;
}

int CImageBuffer::NearestPaletteIndex(uint32_t colour) const {
    return ::NearestPaletteIndex(Palette(), int(m_header.biClrUsed), colour);
}

uint8_t CImageBuffer::IndexAt(int x, int y) const {
    if (!HasPixels() || !m_header.biClrUsed) return 0;
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return m_info.backgroundIndex == -1 ? 0 : uint8_t(m_info.backgroundIndex);
    const uint8_t* row = Row(y);
    switch (Bpp()) {
    case 8: return row[x];
    case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

RgbQuad CImageBuffer::ColourAt(int x, int y) const {
    RgbQuad c = m_info.backgroundColour;
    if (!HasPixels()) return c;
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (!inside) {
        if (Bpp() < 24 && m_info.backgroundIndex != -1) return RgbQuad::FromValue(PaletteEntry(m_info.backgroundIndex));
        return c;
    }
    if (Bpp() < 24) return RgbQuad::FromValue(PaletteEntry(IndexAt(x, y)));
    const int bytes = Bpp() / 8;
    const uint8_t* p = Row(y) + size_t(x) * bytes;
    c.blue = p[0];
    c.green = p[1];
    c.red = p[2];
    c.reserved = bytes == 4 ? p[3] : c.reserved;
    return c;
}

void CImageBuffer::PutIndex(uint8_t* rows, int bits, uint32_t stride, int x, int y, uint8_t index) {
    uint8_t* row = rows + size_t(y) * stride;
    switch (bits) {
    case 8: row[x] = index; break;
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F)) : uint8_t((b & 0x0F) | (index << 4));
        break;
    }
    case 1: {
        uint8_t& b = row[x >> 3];
        const uint8_t mask = uint8_t(0x80 >> (x & 7));
        b = (index & 1) ? uint8_t(b | mask) : uint8_t(b & ~mask);
        break;
    }
    default: break;
    }
}

void CImageBuffer::SwapRedBlue(uint8_t* row, uint32_t length) const {
    if (Bpp() < 24 || !row) return;
    const uint32_t n = std::min(length, m_info.stride);
    for (uint32_t i = 0; i + 2 < n; i += 3) std::swap(row[i], row[i + 2]);
}

uint32_t CImageBuffer::SwapRedBlue(uint32_t value) {
    return (value & 0xFF00FF00u) | ((value & 0xFF) << 16) | ((value >> 16) & 0xFF);
}

bool CImageBuffer::DrawExact(std::vector<uint32_t>& out) const { return DrawScaled(out, Width(), Height()); }

bool CImageBuffer::DrawScaled(std::vector<uint32_t>& out, int width, int height) const {
    if (!HasPixels() || !m_info.enabled || width <= 0 || height <= 0) return false;
    out.assign(size_t(width) * height, 0);
    for (int dy = 0; dy < height; ++dy) {
        const int sy = Height() - 1 - int(int64_t(dy) * Height() / height);
        for (int dx = 0; dx < width; ++dx) {
            const int sx = int(int64_t(dx) * Width() / width);
            const RgbQuad c = ColourAt(sx, sy);
            out[size_t(dy) * width + dx] = 0xFF000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
        }
    }
    return true;
}
