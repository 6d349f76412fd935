// AVIF reading and writing through libavif. The first picture of the file is decoded
// with the library's defaults (strict, its size limits) and turned into 8-bit colour
// by the library's own YUV-to-RGB step (automatic chroma upsampling), straight into
// the picture's rows; a file with an alpha plane gives a 32-bit picture. Pictures are
// written as 4:4:4 at a quantizer from the picture's quality, or losslessly (identity
// matrix, quantizer 0) when Info().lossless is set; alpha is always lossless.
#include <avif/avif.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ByteStream.h"
#include "CodecRows.h"
#include "Codecs.h"
#include "Messages.h"

namespace {

struct DecoderFree {
    void operator()(avifDecoder* d) const { avifDecoderDestroy(d); }
};
struct EncoderFree {
    void operator()(avifEncoder* e) const { avifEncoderDestroy(e); }
};
struct ImageFree {
    void operator()(avifImage* i) const { avifImageDestroy(i); }
};

int Threads() { return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

bool Fail(CImageBuffer& picture, const char* text) {
    picture.ReleaseBuffers();
    picture.SetLastError(text);
    return false;
}

}  // namespace

namespace codec {

bool DecodeAvif(ByteStream& in, CImageBuffer& out) {
    if (!HasTagAt(in, 4, "ftyp")) return Fail(out, msg::kAvifCorrupted);
    std::vector<uint8_t> data;
    if (!ReadRest(in, data, out, msg::kAvifCorrupted)) return false;
    std::unique_ptr<avifDecoder, DecoderFree> decoder(avifDecoderCreate());
    if (!decoder) return Fail(out, msg::kAllocMemory);
    decoder->maxThreads = Threads();
    // The size is known once the container is parsed: the limits are checked before
    // the library decodes (and allocates) anything of that size.
    if (avifDecoderSetIOMemory(decoder.get(), data.data(), data.size()) != AVIF_RESULT_OK ||
        avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
        return Fail(out, msg::kAvifCorrupted);
    if (const char* refusal = out.Info().limits.Refusal(decoder->image->width, decoder->image->height))
        return Fail(out, refusal);
    if (avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK) return Fail(out, msg::kAvifCorrupted);
    avifImage* image = decoder->image;
    const bool alpha = image->alphaPlane != nullptr;
    if (!out.Allocate(int(image->width), int(image->height), alpha ? 32 : 24, kFormatAvif, false))
        return Fail(out, msg::kAllocMemory);
    out.Info().hasAlpha = alpha;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.depth = 8;
    rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
    rgb.pixels = out.PixelArea();
    rgb.rowBytes = out.Stride();
    if (avifImageYUVToRGB(image, &rgb) != AVIF_RESULT_OK) return Fail(out, msg::kAvifCorrupted);
    ReverseRows(out);  // the library writes top-down
    return true;
}

bool EncodeAvif(ByteStream& file, CImageBuffer& image) {
    if (!image.IsValid()) return false;
    const bool alpha = HasTransparency(image);
    const bool lossless = image.Info().lossless;
    std::vector<uint8_t> rows;
    if (!RedFirstRows(image, alpha, rows)) {
        image.SetLastError(msg::kAllocMemory);
        return false;
    }
    std::unique_ptr<avifImage, ImageFree> yuv(
        avifImageCreate(uint32_t(image.Width()), uint32_t(image.Height()), 8, AVIF_PIXEL_FORMAT_YUV444));
    std::unique_ptr<avifEncoder, EncoderFree> encoder(avifEncoderCreate());
    if (!yuv || !encoder) {
        image.SetLastError(msg::kAllocMemory);
        return false;
    }
    yuv->yuvRange = AVIF_RANGE_FULL;
    if (lossless) yuv->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_IDENTITY;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, yuv.get());
    rgb.depth = 8;
    rgb.format = alpha ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
    rgb.pixels = rows.data();
    rgb.rowBytes = uint32_t(image.Width()) * (alpha ? 4u : 3u);
    avifRWData output = AVIF_DATA_EMPTY;
    bool ok = avifImageRGBToYUV(yuv.get(), &rgb) == AVIF_RESULT_OK;
    rows = {};
    if (ok) {
        const int quantizer = lossless ? 0 : ((100 - LossyQuality(image)) * 63 + 50) / 100;
        encoder->maxThreads = Threads();
        encoder->speed = 6;
        encoder->minQuantizer = encoder->maxQuantizer = quantizer;
        encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = 0;
        ok = avifEncoderWrite(encoder.get(), yuv.get(), &output) == AVIF_RESULT_OK;
    }
    ok = ok && file.WriteAll(output.data, output.size) && file.Flush();
    avifRWDataFree(&output);
    if (!ok) image.SetLastError(msg::kAvifWrite);
    return ok;
}

}  // namespace codec
