// WebP reading and writing through libwebp. Still pictures are decoded straight into
// the picture's rows (blue first, bottom-up) with the library's default settings;
// an animation gives its first frame on the full canvas. Pictures are written lossy at
// the picture's quality, or losslessly when Info().lossless is set (then the colour
// under transparent pixels is kept too).
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

#include <cstring>
#include <vector>

#include "ByteStream.h"
#include "CodecRows.h"
#include "Codecs.h"
#include "Messages.h"

namespace {

bool Fail(CImageBuffer& picture, const char* text) {
    picture.ReleaseBuffers();
    picture.SetLastError(text);
    return false;
}

// The first frame of an animation, composed on its canvas.
bool DecodeFirstFrame(const std::vector<uint8_t>& data, CImageBuffer& out) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return Fail(out, msg::kWebpCorrupted);
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData webp{data.data(), data.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
    if (!decoder) return Fail(out, msg::kWebpCorrupted);
    WebPAnimInfo info{};
    uint8_t* frame = nullptr;
    int timestamp = 0;
    bool ok = WebPAnimDecoderGetInfo(decoder, &info) && WebPAnimDecoderGetNext(decoder, &frame, &timestamp) &&
              out.Allocate(int(info.canvas_width), int(info.canvas_height), 32, kFormatWebp, false);
    if (ok) {
        const size_t rowBytes = size_t(info.canvas_width) * 4;
        for (int top = 0; top < int(info.canvas_height); ++top)
            std::memcpy(out.Row(int(info.canvas_height) - 1 - top), frame + size_t(top) * rowBytes, rowBytes);
        out.Info().hasAlpha = true;
    }
    WebPAnimDecoderDelete(decoder);
    return ok || Fail(out, msg::kWebpCorrupted);
}

int WriteToStream(const uint8_t* data, size_t size, const WebPPicture* picture) {
    return static_cast<ByteStream*>(picture->custom_ptr)->WriteAll(data, size) ? 1 : 0;
}

}  // namespace

namespace codec {

bool DecodeWebp(ByteStream& in, CImageBuffer& out) {
    if (!HasTagAt(in, 8, "WEBP")) return Fail(out, msg::kWebpCorrupted);
    std::vector<uint8_t> data;
    if (!ReadRest(in, data, out, msg::kWebpCorrupted)) return false;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Fail(out, msg::kWebpCorrupted);
    if (WebPGetFeatures(data.data(), data.size(), &config.input) != VP8_STATUS_OK) return Fail(out, msg::kWebpCorrupted);
    // The picture's (or the animation canvas's) size, before the library allocates for it.
    if (const char* refusal = out.Info().limits.Refusal(config.input.width, config.input.height))
        return Fail(out, refusal);
    if (config.input.has_animation) return DecodeFirstFrame(data, out);
    const bool alpha = config.input.has_alpha != 0;
    // The rows are left unfilled: the library writes every pixel, and memory that a
    // hostile header claims is never touched when its data runs out early.
    if (!out.Allocate(config.input.width, config.input.height, alpha ? 32 : 24, kFormatWebp, false))
        return Fail(out, msg::kAllocMemory);
    out.Info().hasAlpha = alpha;
    out.Info().lossless = config.input.format == 2;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.PixelArea();
    config.output.u.RGBA.stride = int(out.Stride());
    config.output.u.RGBA.size = size_t(out.Stride()) * size_t(out.Height());
    config.options.flip = 1;  // bottom-up rows
    const VP8StatusCode status = WebPDecode(data.data(), data.size(), &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK || Fail(out, msg::kWebpCorrupted);
}

bool EncodeWebp(ByteStream& file, CImageBuffer& image) {
    if (!image.IsValid()) return false;
    if (image.Width() > WEBP_MAX_DIMENSION || image.Height() > WEBP_MAX_DIMENSION) {
        image.SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    const bool alpha = HasTransparency(image);
    std::vector<uint8_t> rows;
    if (!RedFirstRows(image, alpha, rows)) {
        image.SetLastError(msg::kAllocMemory);
        return false;
    }
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) {
        image.SetLastError(msg::kWebpWrite);
        return false;
    }
    const bool lossless = image.Info().lossless;
    if (lossless) {
        WebPConfigLosslessPreset(&config, 5);
        config.exact = 1;
    } else {
        config.quality = float(LossyQuality(image));
        config.method = 4;
        config.use_sharp_yuv = 1;
    }
    picture.use_argb = lossless ? 1 : 0;
    picture.width = image.Width();
    picture.height = image.Height();
    picture.writer = WriteToStream;
    picture.custom_ptr = &file;
    const int stride = image.Width() * (alpha ? 4 : 3);
    bool ok = alpha ? WebPPictureImportRGBA(&picture, rows.data(), stride)
                    : WebPPictureImportRGB(&picture, rows.data(), stride);
    rows = {};
    ok = ok && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    if (!ok) {
        image.SetLastError(msg::kWebpWrite);
        return false;
    }
    return file.Flush();
}

}  // namespace codec
