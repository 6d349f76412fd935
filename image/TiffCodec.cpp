// TIFF reading and writing through libtiff, opened over a ByteStream with client
// callbacks. libtiff's warnings and errors go to per-file handlers that swallow
// them (nothing is printed); the reader reports the program's own texts. True-colour
// pictures are read with libtiff's RGBA reader, everything else strip by strip (or
// tile by tile) into 1-, 4- or 8-bit rows.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"
#include "Orientation.h"

namespace {

// Upper bound on the bytes that one byte of a TIFF file may decode to. Deflate
// stops near 1032:1 and LZW near 2730:1; CCITT group 4 codes a blank line in one
// bit, so a blank 1-bit page reaches width:1 (4960:1 for A4 at 600 dpi). 2^15 covers
// all of them, and a file of a few hundred bytes that claims 100000 x 100000 pixels
// is refused before anything is allocated for it.
constexpr int64_t kMaxBytesPerFileByte = int64_t(1) << 15;
// libtiff's own single allocations (tag arrays, strip buffers, codec state) are held
// to the same bound, but never below this much.
constexpr int64_t kMinLibraryAllocation = int64_t(16) << 20;

struct TiffClient {
    ByteStream* stream;
    int64_t base;  // stream position of the TIFF header: file offsets count from here
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return tmsize_t(static_cast<TiffClient*>(handle)->stream->Read(buffer, 1, size_t(size)));
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return tmsize_t(static_cast<TiffClient*>(handle)->stream->Write(buffer, 1, size_t(size)));
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    TiffClient* client = static_cast<TiffClient*>(handle);
    // Offsets from the current position or the end come as two's complement.
    const int64_t signedOffset = int64_t(offset);
    const int64_t target = whence == SEEK_SET ? client->base + signedOffset : signedOffset;
    if ((whence == SEEK_SET && signedOffset < 0) || !client->stream->Seek(target, whence)) return toff_t(-1);
    const int64_t pos = client->stream->Tell() - client->base;
    return pos < 0 ? toff_t(-1) : toff_t(pos);
}

int CloseProc(thandle_t) { return 0; }  // the stream belongs to the caller

toff_t SizeProc(thandle_t handle) {
    TiffClient* client = static_cast<TiffClient*>(handle);
    const int64_t size = client->stream->Size() - client->base;
    return size < 0 ? 0 : toff_t(size);
}

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// Handled: returning non-zero keeps the message from libtiff's default handlers,
// which would print it on standard error.
int SwallowMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle OpenTiff(TiffClient& client, const char* mode, int64_t maxAllocation) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, SwallowMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, SwallowMessage, nullptr);
    if (maxAllocation > 0) TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(maxAllocation));
    TIFF* tif = TIFFClientOpenExt("stream", mode, &client, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

struct Failure {
    const char* text;
};

// Picture layout decided from the directory's tags.
struct Layout {
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, bits = 1, photometric = PHOTOMETRIC_MINISBLACK, orientation = ORIENTATION_TOPLEFT;
    uint16_t planar = PLANARCONFIG_CONTIG, sampleFormat = SAMPLEFORMAT_UINT;
    bool trueColour = false;
    int depth = 8;  // bits per pixel of the picture
};

Layout ReadLayout(TIFF* tif) {
    Layout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (l.orientation < ORIENTATION_TOPLEFT || l.orientation > ORIENTATION_LEFTBOT) l.orientation = ORIENTATION_TOPLEFT;
    const uint16_t p = l.photometric;
    l.trueColour = (l.bits > 7 && p == PHOTOMETRIC_RGB) || p == PHOTOMETRIC_SEPARATED || p == PHOTOMETRIC_YCBCR ||
                   p == PHOTOMETRIC_LOGLUV;
    const bool bilevel = l.bits == 1 && (p == PHOTOMETRIC_MINISWHITE || p == PHOTOMETRIC_MINISBLACK);
    l.depth = l.trueColour ? 24 : bilevel ? 1 : l.bits <= 4 ? 4 : 8;
    return l;
}

// Resolution (exact, from dots per inch or per centimetre; a file without a unit is
// read as inches, to a whole DPI only) and the picture position, which the file gives
// in resolution units, as a pixel offset.
void ReadPlacement(TIFF* tif, CImageBuffer& out) {
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double toInch = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    auto usable = [](double v) { return std::isfinite(v) && v > 0 && v < 1e7; };
    const bool exact = unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER;
    float xres = 0, yres = 0, xpos = 0, ypos = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && usable(xres * toInch)) {
        if (exact) out.SetHorizontalResolution(xres * toInch / 0.0254);
        else out.SetHorizontalDpi(int(std::floor(xres * toInch + 0.5)));
    }
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && usable(yres * toInch)) {
        if (exact) out.SetVerticalResolution(yres * toInch / 0.0254);
        else out.SetVerticalDpi(int(std::floor(yres * toInch + 0.5)));
    }
    auto offset = [](float pos, float res) {
        const double pixels = double(pos) * (res > 0 ? res : 1.0f);
        return std::isfinite(pixels) && std::fabs(pixels) < 1e9 ? int(std::floor(pixels + 0.5)) : 0;
    };
    if (TIFFGetField(tif, TIFFTAG_XPOSITION, &xpos)) out.Info().xOffset = offset(xpos, xres);
    if (TIFFGetField(tif, TIFFTAG_YPOSITION, &ypos)) out.Info().yOffset = offset(ypos, yres);
}

// True colour through libtiff's RGBA reader, asked for the file's own orientation
// so that it returns the rows in stored order (it would otherwise apply the flip
// part of the orientation itself, and the transposition is applied later).
void ReadTrueColour(TIFF* tif, const Layout& l, CImageBuffer& out) {
    const size_t pixels = size_t(l.width) * l.height;
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[pixels]);
    if (!raster) throw Failure{msg::kTiffRaster};
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.get(), l.orientation, 1))
        throw Failure{msg::kTiffCorrupted};
    if (!out.Allocate(int(l.width), int(l.height), 24, kFormatTiff)) throw Failure{msg::kTiffRaster};
    for (uint32_t line = 0; line < l.height; ++line) {
        const uint32_t* src = raster.get() + size_t(line) * l.width;
        uint8_t* dst = out.Row(int(l.height - 1 - line));
        for (uint32_t x = 0; x < l.width; ++x, dst += 3) {
            dst[0] = uint8_t(TIFFGetB(src[x]));
            dst[1] = uint8_t(TIFFGetG(src[x]));
            dst[2] = uint8_t(TIFFGetR(src[x]));
        }
    }
}

// Palette of an indexed picture: black and white for bilevel files, the colour map
// for palette files (scaled by 255/65535 when any value exceeds 255), otherwise a
// grey ramp, reversed when white is zero.
void LoadIndexedPalette(TIFF* tif, const Layout& l, CImageBuffer& out) {
    const int n = out.PaletteCount();
    const bool whiteIsZero = l.photometric == PHOTOMETRIC_MINISWHITE;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *reds = nullptr, *greens = nullptr, *blues = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &reds, &greens, &blues)) throw Failure{msg::kTiffCorrupted};
        const int entries = 1 << l.bits;  // the colour map's length; at most the palette's
        std::vector<uint8_t> r, g, b;
        try {
            r.resize(size_t(entries));
            g.resize(size_t(entries));
            b.resize(size_t(entries));
        } catch (const std::bad_alloc&) {
            throw Failure{msg::kTiffPalette};
        }
        bool wide = false;
        for (int i = 0; i < entries; ++i) wide = wide || reds[i] > 255 || greens[i] > 255 || blues[i] > 255;
        auto scale = [wide](uint16_t v) { return uint8_t(wide ? v * 255u / 65535u : v); };
        for (int i = 0; i < entries; ++i) {
            r[size_t(i)] = scale(reds[i]);
            g[size_t(i)] = scale(greens[i]);
            b[size_t(i)] = scale(blues[i]);
        }
        out.LoadPalette(entries, r.data(), g.data(), b.data());
        return;
    }
    out.MakeGreyPalette();
    if (whiteIsZero) {
        RgbQuad* pal = out.Palette();
        std::reverse(pal, pal + n);
    }
}

// Index of the picture for each sample value: the value itself for palette and
// bilevel files and for 4- and 8-bit grey; otherwise grey levels rescaled to the
// picture's ramp (16-bit grey keeps its high byte).
std::vector<uint8_t> SampleToIndex(const Layout& l) {
    const uint32_t values = 1u << l.bits;
    const uint32_t top = values - 1;
    std::vector<uint8_t> map(values);
    const bool asIs = l.photometric == PHOTOMETRIC_PALETTE || l.depth == 1 || l.bits == uint32_t(l.depth);
    const uint32_t maxIndex = l.depth == 4 ? 15 : 255;
    for (uint32_t v = 0; v < values; ++v) {
        if (asIs) map[v] = uint8_t(v);
        else if (l.bits > 8) map[v] = uint8_t(v >> (l.bits - 8));
        else map[v] = uint8_t(v * maxIndex / top);
    }
    return map;
}

// The b-bit sample that starts at bit `bit` of a decoded row. libtiff hands over
// 16-bit samples in the machine's byte order and every other size as a big-endian
// bit string.
inline uint32_t SampleAt(const uint8_t* row, size_t bit, int bits) {
    if (bits == 8) return row[bit >> 3];
    if (bits == 16) {
        uint16_t v;
        std::memcpy(&v, row + (bit >> 3), 2);
        return v;
    }
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i, ++bit) v = (v << 1) | ((row[bit >> 3] >> (7 - (bit & 7))) & 1);
    return v;
}

// Everything that is not true colour: strips (or tiles) decoded one by one, the
// first sample of each pixel (plane 0 of separate planes) turned into an index.
void ReadIndexed(TIFF* tif, const Layout& l, int64_t maxBytes, CImageBuffer& out) {
    if (l.bits > 16 || (l.sampleFormat != SAMPLEFORMAT_UINT && l.sampleFormat != SAMPLEFORMAT_VOID) ||
        (l.photometric == PHOTOMETRIC_PALETTE && l.bits > 8))
        throw Failure{msg::kTiffCorrupted};
    const bool tiled = TIFFIsTiled(tif);
    uint32_t blockWidth = l.width, blockHeight = l.height;
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &blockWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &blockHeight);
    } else {
        uint32_t rowsPerStrip = l.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        blockHeight = std::min(std::max<uint32_t>(rowsPerStrip, 1), l.height);
    }
    const uint64_t rowBytes = tiled ? TIFFTileRowSize64(tif) : TIFFScanlineSize64(tif);
    const uint64_t blockBytes = tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    const uint32_t samplesInBlock = l.planar == PLANARCONFIG_CONTIG ? l.samples : 1;
    if (blockWidth == 0 || blockHeight == 0 || rowBytes == 0 || blockBytes < rowBytes * blockHeight ||
        uint64_t(blockWidth) * samplesInBlock * l.bits > rowBytes * 8 || blockBytes > uint64_t(maxBytes))
        throw Failure{msg::kTiffCorrupted};

    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size_t(blockBytes)]);
    if (!block) throw Failure{msg::kTiffRaster};
    if (!out.Allocate(int(l.width), int(l.height), l.depth, kFormatTiff)) throw Failure{msg::kTiffRaster};
    LoadIndexedPalette(tif, l, out);
    const std::vector<uint8_t> toIndex = SampleToIndex(l);
    // Samples that are already the picture's indices, packed the same way.
    const bool asIs = samplesInBlock == 1 && l.bits == l.depth;

    uint8_t* pixels = out.PixelArea();
    const uint32_t stride = out.Stride();
    for (uint32_t y0 = 0; y0 < l.height; y0 += blockHeight) {
        const uint32_t lines = std::min(blockHeight, l.height - y0);
        for (uint32_t x0 = 0; x0 < l.width; x0 += blockWidth) {
            const tmsize_t got =
                tiled ? TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, 0), block.get(), tmsize_t(blockBytes))
                      : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, 0), block.get(), tmsize_t(blockBytes));
            if (got < 0 || uint64_t(got) < rowBytes * lines) throw Failure{msg::kTiffCorrupted};
            const uint32_t columns = std::min(blockWidth, l.width - x0);
            for (uint32_t i = 0; i < lines; ++i) {
                const uint8_t* src = block.get() + rowBytes * i;
                const int y = int(l.height - 1 - (y0 + i));  // the file's rows run top first
                if (asIs) {
                    // Tiles are 16 pixels wide at least, so x0 starts a whole byte.
                    const size_t start = size_t(x0) * l.bits / 8;
                    std::memcpy(pixels + size_t(y) * stride + start, src, (size_t(columns) * l.bits + 7) / 8);
                    continue;
                }
                for (uint32_t x = 0; x < columns; ++x) {
                    const uint32_t v = SampleAt(src, size_t(x) * samplesInBlock * l.bits, l.bits);
                    CImageBuffer::PutIndex(pixels, l.depth, stride, int(x0 + x), y, toIndex[v]);
                }
            }
        }
    }
}

// The bytes of the file that the directory's strips or tiles point at, each clipped
// to the file and the sum to its size: padding and bytes that no strip uses do not
// count towards what the picture may decode to.
int64_t StoredDataBytes(TIFF* tif, int64_t fileBytes) {
    const uint32_t striles = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    uint64_t total = 0;
    for (uint32_t i = 0; i < striles && total < uint64_t(fileBytes); ++i) {
        const uint64_t offset = TIFFGetStrileOffset(tif, i);
        if (offset >= uint64_t(fileBytes)) continue;
        total += std::min<uint64_t>(TIFFGetStrileByteCount(tif, i), uint64_t(fileBytes) - offset);
    }
    return int64_t(std::min<uint64_t>(total, uint64_t(fileBytes)));
}

void DecodeDirectory(TIFF* tif, int64_t fileBytes, CImageBuffer& out) {
    const int64_t data = StoredDataBytes(tif, fileBytes);
    const int64_t maxBytes =
        data > std::numeric_limits<int64_t>::max() / kMaxBytesPerFileByte ? std::numeric_limits<int64_t>::max()
                                                                           : data * kMaxBytesPerFileByte;
    const Layout l = ReadLayout(tif);
    if (l.width == 0 || l.height == 0 || l.width > uint32_t(std::numeric_limits<int32_t>::max()) ||
        l.height > uint32_t(std::numeric_limits<int32_t>::max()))
        throw Failure{msg::kTiffCorrupted};
    // Nothing is allocated for a size that the file's data cannot account for.
    const int64_t stride = RowStride(l.width, l.depth);
    const int64_t pictureBytes = stride < 0 ? std::numeric_limits<int64_t>::max() : stride * int64_t(l.height);
    const int64_t workBytes = l.trueColour ? int64_t(l.width) * int64_t(l.height) * 4 : 0;
    if (pictureBytes > maxBytes || workBytes > maxBytes) throw Failure{msg::kTiffCorrupted};
    if (const char* refusal = out.Info().limits.Refusal(l.width, l.height)) throw Failure{refusal};

    if (l.trueColour) ReadTrueColour(tif, l, out);
    else ReadIndexed(tif, l, maxBytes, out);
    ReadPlacement(tif, out);
    if (!orientation::MakeUpright(out, l.orientation)) throw Failure{msg::kTiffRaster};
}

// ---- Writing ----

// A grey picture's palette: entry i is the grey i x 255 / (entries - 1), the ramp
// that a black-is-zero file stands for (for 8 bits, entry i is grey i).
bool IsGreyRamp(const CImageBuffer& image) {
    const int n = image.PaletteCount();
    if (n < 2) return false;
    for (int i = 0; i < n; ++i) {
        const RgbQuad c = RgbQuad::FromValue(image.PaletteEntry(i));
        const int level = i * (255 / (n - 1));
        if (c.red != level || c.green != level || c.blue != level) return false;
    }
    return true;
}

int Luminance(uint32_t entry) {
    const RgbQuad c = RgbQuad::FromValue(entry);
    return (30 * c.red + 59 * c.green + 11 * c.blue) / 100;
}

bool WriteDirectory(TIFF* tif, CImageBuffer& image) {
    const int bpp = image.Bpp();
    const int width = image.Width(), height = image.Height();
    const uint16_t samples = bpp >= 24 ? 3 : 1;
    // A 32-bit picture is written as its three colour bytes; the fourth is dropped.
    const uint16_t bits = bpp >= 24 ? 8 : uint16_t(bpp);
    uint16_t photometric;
    if (bpp == 1)
        photometric = Luminance(image.PaletteEntry(0)) < Luminance(image.PaletteEntry(1)) ? PHOTOMETRIC_MINISBLACK
                                                                                          : PHOTOMETRIC_MINISWHITE;
    else if (bpp <= 8)
        photometric = IsGreyRamp(image) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    else
        photometric = PHOTOMETRIC_RGB;
    // True colour is stored losslessly (LZW): a TIFF must give back the very pixels
    // it was saved with.
    const uint16_t compression = bpp == 1   ? COMPRESSION_CCITTFAX3
                                 : bpp == 8 ? COMPRESSION_PACKBITS
                                 : bpp >= 24 ? COMPRESSION_LZW
                                             : COMPRESSION_NONE;
    // TIFF needs a positive resolution; a picture without one is written at 72 DPI. The
    // field is a fraction: an exact resolution (a calibrated scale) keeps its digits.
    const double ppmX = image.PixelsPerMetreX(), ppmY = image.PixelsPerMetreY();
    const float dpiX = ppmX > 0 ? float(ppmX * 0.0254) : 72.0f;
    const float dpiY = ppmY > 0 ? float(ppmY * 0.0254) : 72.0f;

    bool ok = TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0) && TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples) && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) && TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpiX) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpiY) && TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (ok && compression == COMPRESSION_LZW)
        ok = TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(8));
    else if (ok)
        ok = TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    if (ok && photometric == PHOTOMETRIC_PALETTE) {
        const int entries = 1 << bpp;
        const size_t count = size_t(entries);
        std::vector<uint16_t> r(count), g(count), b(count);
        for (int i = 0; i < entries; ++i) {
            const RgbQuad c = RgbQuad::FromValue(image.PaletteEntry(i));
            r[size_t(i)] = uint16_t(c.red * 257);
            g[size_t(i)] = uint16_t(c.green * 257);
            b[size_t(i)] = uint16_t(c.blue * 257);
        }
        ok = TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (!ok) return false;

    // Rows go top line first; true colour red first. The codecs may change the
    // row they are given, so each row is copied into a work row.
    const size_t rowBytes = bpp >= 24 ? size_t(width) * 3 : (size_t(width) * bpp + 7) / 8;
    std::vector<uint8_t> work(rowBytes);
    const int pixelBytes = bpp / 8;
    for (int line = 0; line < height; ++line) {
        const uint8_t* row = image.Row(height - 1 - line);
        if (bpp >= 24) {
            for (int x = 0; x < width; ++x, row += pixelBytes) {
                work[size_t(x) * 3 + 0] = row[2];
                work[size_t(x) * 3 + 1] = row[1];
                work[size_t(x) * 3 + 2] = row[0];
            }
        } else {
            std::memcpy(work.data(), row, rowBytes);
        }
        if (TIFFWriteScanline(tif, work.data(), uint32_t(line), 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

namespace codec {

bool DecodeTiff(ByteStream& in, CImageBuffer& out) {
    TiffClient client{&in, in.Tell()};
    const int64_t fileBytes = in.Remaining();
    const int64_t maxBytes = fileBytes > std::numeric_limits<int64_t>::max() / kMaxBytesPerFileByte
                                 ? std::numeric_limits<int64_t>::max()
                                 : fileBytes * kMaxBytesPerFileByte;
    TiffHandle tif = OpenTiff(client, "rm", std::max(maxBytes, kMinLibraryAllocation));
    if (!tif) {
        out.SetLastError(msg::kTiffOpen);
        return false;
    }
    const tdir_t pages = TIFFNumberOfDirectories(tif.get());
    out.Info().pageCount = int32_t(std::min<tdir_t>(pages, tdir_t(std::numeric_limits<int32_t>::max())));
    const int32_t page = out.Info().page;
    if (page < 0 || tdir_t(page) >= pages || !TIFFSetDirectory(tif.get(), tdir_t(page))) {
        out.SetLastError(msg::kTiffPage);
        return false;
    }
    try {
        DecodeDirectory(tif.get(), fileBytes, out);
    } catch (const Failure& failure) {
        out.ReleaseBuffers();
        out.SetLastError(failure.text);
        return false;
    } catch (const std::bad_alloc&) {
        out.ReleaseBuffers();
        out.SetLastError(msg::kTiffRaster);
        return false;
    }
    return true;
}

bool EncodeTiff(ByteStream& out, CImageBuffer& image) {
    if (!image.IsValid()) return false;
    if (out.Error()) {
        image.SetLastError(msg::kTiffFilePointer);
        return false;
    }
    TiffClient client{&out, out.Tell()};
    if (client.base < 0) {
        image.SetLastError(msg::kTiffFilePointer);
        return false;
    }
    TiffHandle tif = OpenTiff(client, "wl", 0);
    if (!tif) {
        image.SetLastError(msg::kTiffInit);
        return false;
    }
    bool ok = WriteDirectory(tif.get(), image);
    tif.reset();  // closing flushes what is left
    ok = ok && out.Flush() && !out.Error();
    if (!ok) image.SetLastError(msg::kTiffSave);
    return ok;
}

}  // namespace codec
