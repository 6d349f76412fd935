// PNG reading and writing through libspng. Every colour type and depth is read as
// 8-bit colour: 16-bit samples keep their high byte, low-depth grey is scaled up,
// palette pictures go through PLTE, and a tRNS chunk becomes alpha (a colour key is
// compared at the file's own depth). Files with alpha (colour types 4 and 6, or any
// tRNS chunk) become 32-bit pictures whose fourth byte is the alpha; others 24-bit.
// Gamma, colour profiles and the background colour are not applied.
#include <spng.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "ByteStream.h"
#include "CodecRows.h"
#include "Codecs.h"
#include "Messages.h"

namespace {

// Deflate cannot pack more than 1032 bytes into one: image data larger than that
// many times the file cannot come from it, whatever the header claims.
constexpr int64_t kMaxDeflateRatio = 1032;
// Ancillary chunks (text, profiles) are held in memory while reading: at most this much.
constexpr size_t kChunkLimit = size_t(64) << 20;

struct ContextFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

int ReadFromStream(spng_ctx*, void* user, void* dest, size_t length) {
    ByteStream* in = static_cast<ByteStream*>(user);
    return in->ReadExact(dest, length) ? 0 : SPNG_IO_EOF;
}

int WriteToStream(spng_ctx*, void* user, void* src, size_t length) {
    ByteStream* out = static_cast<ByteStream*>(user);
    return out->WriteAll(src, length) ? 0 : SPNG_IO_ERROR;
}

bool Fail(CImageBuffer& picture, int error) {
    picture.ReleaseBuffers();
    picture.SetLastError(spng_strerror(error));
    return false;
}

int ChannelsOf(uint8_t colourType) {
    switch (colourType) {
    case SPNG_COLOR_TYPE_TRUECOLOR: return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA: return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA: return 4;
    default: return 1;
    }
}

// Bytes of filtered image data the header implies (each pass of an interlaced picture
// adds at most a filter byte and a partial byte per row; counting the plain layout
// is a lower bound, which is what the check needs).
int64_t ImageDataBytes(const spng_ihdr& ihdr) {
    const int64_t bitsPerPixel = int64_t(ChannelsOf(ihdr.color_type)) * ihdr.bit_depth;
    return int64_t(ihdr.height) * (1 + (int64_t(ihdr.width) * bitsPerPixel + 7) / 8);
}

}  // namespace

namespace codec {

bool DecodePng(ByteStream& in, CImageBuffer& out) {
    const int64_t available = in.Remaining();
    Context ctx(spng_ctx_new(0));
    if (!ctx) {
        out.SetLastError(msg::kAllocMemory);
        return false;
    }
    spng_set_png_stream(ctx.get(), ReadFromStream, &in);
    spng_set_chunk_limits(ctx.get(), kChunkLimit, kChunkLimit);
    spng_ihdr ihdr{};
    if (int rc = spng_get_ihdr(ctx.get(), &ihdr)) return Fail(out, rc);
    if (ImageDataBytes(ihdr) > available * kMaxDeflateRatio) {
        out.SetLastError(msg::kPngLimits);
        return false;
    }
    if (const char* refusal = out.Info().limits.Refusal(ihdr.width, ihdr.height)) {
        out.SetLastError(refusal);
        return false;
    }
    // Reading the tRNS chunk (or learning there is none) reads every chunk before the image data.
    spng_trns trns{};
    const int trnsResult = spng_get_trns(ctx.get(), &trns);
    if (trnsResult != 0 && trnsResult != SPNG_ECHUNKAVAIL) return Fail(out, trnsResult);
    const bool alpha = trnsResult == 0 || ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                       ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    const int format = alpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
    if (int rc = spng_decode_image(ctx.get(), nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return Fail(out, rc);

    const int width = int(ihdr.width), height = int(ihdr.height);
    if (!out.Allocate(width, height, alpha ? 32 : 24, kFormatPng, ihdr.interlace_method != 0)) {
        out.SetLastError(msg::kAllocMemory);
        return false;
    }
    out.Info().hasAlpha = alpha;
    // Rows are decoded red first straight into their place (bottom-up); an interlaced
    // picture visits each row once per pass, filling in its pixels. Red and blue trade
    // places once every row is complete.
    const size_t rowBytes = size_t(width) * (alpha ? 4 : 3);
    int rc = 0;
    do {
        spng_row_info info{};
        rc = spng_get_row_info(ctx.get(), &info);
        if (rc == 0) rc = spng_decode_row(ctx.get(), out.Row(height - 1 - int(info.row_num)), rowBytes);
    } while (rc == 0);
    if (rc != SPNG_EOI) return Fail(out, rc);
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out.Row(y);
        for (int x = 0; x < width; ++x) std::swap(row[bytes * x], row[bytes * x + 2]);
    }
    spng_phys phys{};
    if (spng_get_phys(ctx.get(), &phys) == 0 && phys.unit_specifier == 1 && phys.ppu_x && phys.ppu_y) {
        out.SetHorizontalResolution(phys.ppu_x);
        out.SetVerticalResolution(phys.ppu_y);
    }
    return true;
}

bool EncodePng(ByteStream& file, CImageBuffer& image) {
    if (!image.IsValid()) return false;
    Context ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) {
        image.SetLastError(msg::kAllocMemory);
        return false;
    }
    spng_set_png_stream(ctx.get(), WriteToStream, &file);
    const int width = image.Width(), height = image.Height();
    const bool indexed = image.Bpp() <= 8;
    const bool alpha = HasTransparency(image);
    spng_ihdr ihdr{};
    ihdr.width = uint32_t(width);
    ihdr.height = uint32_t(height);
    // Palette rows are packed high bit first, as PNG packs them: they are written as they are.
    ihdr.bit_depth = uint8_t(indexed ? image.Bpp() : 8);
    ihdr.color_type = indexed ? SPNG_COLOR_TYPE_INDEXED : alpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    int rc = spng_set_ihdr(ctx.get(), &ihdr);
    if (rc == 0 && indexed) {
        spng_plte plte{};
        plte.n_entries = uint32_t(std::min(image.PaletteCount(), 1 << image.Bpp()));
        for (uint32_t i = 0; i < plte.n_entries; ++i) {
            const RgbQuad c = RgbQuad::FromValue(image.PaletteEntry(int(i)));
            plte.entries[i] = {c.red, c.green, c.blue, 0};
        }
        rc = spng_set_plte(ctx.get(), &plte);
    }
    // pHYs holds whole pixels per metre: a calibrated scale keeps about six digits.
    const double ppmX = image.PixelsPerMetreX(), ppmY = image.PixelsPerMetreY();
    if (rc == 0 && ppmX >= 0.5 && ppmY >= 0.5 && ppmX < 2147483647.0 && ppmY < 2147483647.0) {
        spng_phys phys{};
        phys.ppu_x = uint32_t(std::lround(ppmX));
        phys.ppu_y = uint32_t(std::lround(ppmY));
        phys.unit_specifier = 1;
        rc = spng_set_phys(ctx.get(), &phys);
    }
    if (rc == 0) rc = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    const int channels = alpha ? 4 : 3;
    const size_t rowBytes = indexed ? (size_t(width) * image.Bpp() + 7) / 8 : size_t(width) * channels;
    std::vector<uint8_t> row(rowBytes);
    for (int top = 0; rc == 0 && top < height; ++top) {
        const uint8_t* src = image.Row(height - 1 - top);
        if (indexed) {
            std::copy_n(src, rowBytes, row.data());
        } else {
            const int bytes = image.Bpp() / 8;
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = src + size_t(x) * bytes;
                uint8_t* d = row.data() + size_t(x) * channels;
                d[0] = p[2];
                d[1] = p[1];
                d[2] = p[0];
                if (alpha) d[3] = p[3];
            }
        }
        rc = spng_encode_row(ctx.get(), row.data(), rowBytes);
    }
    if (rc != SPNG_EOI) {
        image.SetLastError(rc == SPNG_IO_ERROR || rc == SPNG_EIO ? msg::kPngWrite : spng_strerror(rc));
        return false;
    }
    return file.Flush();
}

}  // namespace codec
