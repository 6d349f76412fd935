// CImageBuffer: the program's one raster type, a device-independent bitmap block
// (40-byte header, 4-byte blue-green-red palette entries, pixel rows bottom-up, each
// padded to 4 bytes) with an information record and a few working buffers.
// Pixel coordinates are (x, y) with y = 0 the bottom row. The block layout is also
// the clipboard layout and the layout stored in project files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PictureLimits.h"

class ByteStream;

// Format codes shared by the image object, the codecs and the document.
enum FormatCode : int {
    kFormatUnknown = -1,
    kFormatJpeg = 0,
    kFormatBmp = 1,
    kFormatGif = 2,
    kFormatTiff = 3,
    kFormatPcx = 4,
    kFormatProject = 5,
    kFormatMeasure = 6,
    kFormatPsd = 7,
    // 8 is the dialogs' all-pictures entry.
    kFormatPng = 9,
    kFormatWebp = 10,
    kFormatAvif = 11,
};

// The published 40-byte Windows DIB information header, little-endian when stored.
struct DibHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    static constexpr size_t kSize = 40;
    void WriteTo(uint8_t* out) const;
    static DibHeader ReadFrom(const uint8_t* in);
};

// Bytes per row: ((width x bits + 31) / 32) x 4. Returns -1 when the row would not
// fit a signed 32-bit size (the product is checked instead of wrapping).
int32_t RowStride(int64_t width, int bitsPerPixel);

// A 4-byte palette entry or colour in the blue, green, red, fourth order.
struct RgbQuad {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    uint32_t Value() const { return blue | (green << 8) | (red << 16) | (uint32_t(reserved) << 24); }
    static RgbQuad FromValue(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
};

// The palette entry nearest to `colour` (blue in the low byte): the smallest sum of
// squared channel differences, the first of equals; 0 for an empty palette.
int NearestPaletteIndex(const RgbQuad* palette, int count, uint32_t colour);

// A plain top-down or bottom-up pixel buffer handed over by the platform layer
// (screen capture, PSD import): the replacement of a device-dependent bitmap.
struct PlainBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;          // 24 (blue, green, red) or 32 (blue, green, red, fourth)
    bool topDown = true;
    int32_t stride = 0;             // bytes per row in `pixels`
    int dpi = 0;                    // resolution the producer gave the bitmap; 0 when unknown
    std::vector<uint8_t> pixels;
};

// Information record, copied as one unit by the copy operations.
struct ImageInfo {
    uint32_t stride = 0;
    const void* bodyLink = nullptr;  // image whose block this one shares; such a block is never released
    uint8_t typeCode = 0;
    std::string lastError;           // at most 255 characters
    int32_t progress = 0;
    int32_t backgroundIndex = -1;
    RgbQuad backgroundColour;
    uint8_t quality = 150;
    int32_t page = 0;
    int32_t pageCount = 0;
    int32_t dpiX = 72;
    int32_t dpiY = 72;
    // The resolution as exactly as the file (or a calibration) gave it, in pixels per
    // metre; 0 when only the whole-number DPI above is known. Kept only while it rounds
    // to that DPI: setting another DPI drops it.
    double pixelsPerMetreX = 0;
    double pixelsPerMetreY = 0;
    uint8_t maxOpacity = 255;        // the alpha maximum
    bool alphaPalette = false;       // the palette's fourth bytes are opacities
    uint8_t enabled = 1;
    int32_t xOffset = 0;
    int32_t yOffset = 0;
    bool hasAlpha = false;  // the fourth byte of a 32-bit picture is its alpha (not premultiplied)
    bool lossless = false;  // WebP and AVIF: written without loss (set when a lossless WebP is read)
    PictureLimits limits;            // how large a picture the readers may make
    bool exifUpright = true;  // JPEG reading: turn the picture upright by its EXIF orientation
    // JPEG: the file's EXIF block (the APP1 payload, "Exif\0\0" first), written back on
    // save; its orientation is already 1 when the picture was turned upright.
    std::shared_ptr<const std::vector<uint8_t>> exif;
};

class CImageBuffer {
public:
    explicit CImageBuffer(int type = kFormatBmp);
    CImageBuffer(int width, int height, int bpp, int type);
    CImageBuffer(const std::string& path, int type);
    CImageBuffer(const CImageBuffer& other, bool copyPixels);
    virtual ~CImageBuffer();
    CImageBuffer(const CImageBuffer&) = delete;
    CImageBuffer& operator=(const CImageBuffer&) = delete;

    // Storage. Allocate returns the block start, or nullptr (0 width/height, a size
    // that overflows signed 32 bits, or no memory). New rows are 0xFF, new palette 0.
    // A decoder that writes every pixel of every row may pass fillRows = false: only
    // the rows' padding bytes are filled then.
    uint8_t* Allocate(int width, int height, int bpp, int type, bool fillRows = true);
    // The header and palette of such a picture without its rows (SwapPixels brings them).
    uint8_t* AllocateHeader(int width, int height, int bpp, int type);
    void ReleaseBuffers();
    bool IsValid() const { return m_block != nullptr; }
    // The header and palette: the start of the packed DIB, whose whole size (rows
    // included) BlockSize gives.
    uint8_t* Block() { return m_block.get(); }
    const uint8_t* Block() const { return m_block.get(); }
    uint32_t BlockSize() const;
    uint32_t PaletteBytes() const { return 4 * m_header.biClrUsed; }
    uint8_t* PixelArea();
    const uint8_t* PixelArea() const;
    uint8_t* Row(int y) { return PixelArea() + size_t(y) * m_info.stride; }
    const uint8_t* Row(int y) const { return PixelArea() + size_t(y) * m_info.stride; }

    void CloneFrom(const CImageBuffer& source, bool copyPixels);
    void TakeOver(CImageBuffer& source);
    // The pixel rows are kept apart from the header and palette, so that a document can
    // take them over without a copy. SwapPixels exchanges them with `rows`, which must
    // hold exactly the rows of this picture's geometry (Header().biSizeImage bytes) or be
    // empty; false (nothing changes) otherwise. A picture whose rows were swapped out
    // keeps its header and palette but has no pixel area until rows come back.
    bool SwapPixels(std::vector<uint8_t>& rows);
    bool HasPixels() const { return m_block && !m_pixels.empty(); }
    // A packed DIB (header, palette or masks, pixels) as the clipboard holds it.
    bool FromPackedDib(const uint8_t* data, size_t size, DibHeader* headerOut = nullptr);
    // Builds the picture from a 24- or 32-bit pixel buffer; nullptr only releases.
    bool FromBitmapHandle(const PlainBitmap* bitmap);
    // The block as a packed DIB (what goes on the clipboard).
    std::vector<uint8_t> ToPackedDib() const;

    // Geometry and records.
    const DibHeader& Header() const { return m_header; }
    int Width() const { return m_header.biWidth; }
    int Height() const { return m_header.biHeight; }
    int Bpp() const { return m_header.biBitCount; }
    uint32_t Stride() const { return m_info.stride; }
    int PaletteCount() const { return int(m_header.biClrUsed); }
    ImageInfo& Info() { return m_info; }
    const ImageInfo& Info() const { return m_info; }
    const std::string& LastError() const { return m_info.lastError; }
    void SetLastError(const std::string& text);
    int Type() const { return m_info.typeCode; }

    // Resolution; keeps the pixels-per-metre pair in step.
    void SetHorizontalDpi(int dpi);
    void SetVerticalDpi(int dpi);
    // An exact resolution in pixels per metre (above 0): the DPI becomes its rounding.
    void SetHorizontalResolution(double pixelsPerMetre);
    void SetVerticalResolution(double pixelsPerMetre);
    // Pixels per metre: the exact value when known, else the DPI's (0 without a DPI).
    double PixelsPerMetreX() const;
    double PixelsPerMetreY() const;

    // Palette.
    uint32_t PaletteEntry(int index) const;
    void SetPaletteEntry(int index, uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth = 0);
    void SetPaletteEntry(int index, uint32_t value);
    void LoadPalette(const uint8_t* entries, int count);
    void LoadPalette(int count, const uint8_t* reds, const uint8_t* greens, const uint8_t* blues);
    void MakeGreyPalette();
    bool HasGreyPalette() const;
    int NearestPaletteIndex(uint32_t colour) const;  // colour: blue in the low byte
    RgbQuad* Palette();
    const RgbQuad* Palette() const;

    // Pixels.
    uint8_t IndexAt(int x, int y) const;
    RgbQuad ColourAt(int x, int y) const;
    static void PutIndex(uint8_t* rows, int bits, uint32_t stride, int x, int y, uint8_t index);
    void SwapRedBlue(uint8_t* row, uint32_t length) const;
    static uint32_t SwapRedBlue(uint32_t value);

    // Drawing becomes conversion: the picture as 32-bit blue, green, red, 255 pixels,
    // rows top-down, unscaled (DrawExact) or stretched to width x height (DrawScaled).
    bool DrawExact(std::vector<uint32_t>& out) const;
    bool DrawScaled(std::vector<uint32_t>& out, int width, int height) const;

    // File input and output; see Codecs.h for the formats. Load decodes with the
    // reader of `code` (PSD included) and, when that fails, tries the other readers
    // in the fall-back order; the message stays the one of `code`'s reader.
    bool Load(ByteStream& file, int code);
    bool Load(const std::string& path, int code);
    bool Save(const std::string& path, int code);
    bool Decode(ByteStream& file, int code);
    bool Encode(ByteStream& file, int code);
    bool FromResource(const uint8_t* data, size_t size, int code);

private:
    void ResetRecords(int type);
    uint8_t* AllocateBlock(int width, int height, int bpp, int type, bool withRows, bool fillRows);
    DibHeader m_header;
    ImageInfo m_info;
    std::unique_ptr<uint8_t[]> m_block;  // header and palette
    uint32_t m_blockSize = 0;
    std::vector<uint8_t> m_pixels;       // rows, bottom-up
};
