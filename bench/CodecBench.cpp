// Decoding and encoding a 6000 x 4000 picture in every format.
#include <benchmark/benchmark.h>

#include <cmath>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "Quantize.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// A photograph-like picture: smooth gradients with some texture.
const CImageBuffer& TrueColourPicture() {
    static CImageBuffer* image = [] {
        auto* p = new CImageBuffer(kWidth, kHeight, 24, kFormatBmp);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = p->Row(y);
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = uint8_t(128 + 100 * std::sin(x * 0.003) + (x * y) % 7);
                row[3 * x + 1] = uint8_t(128 + 100 * std::cos(y * 0.002));
                row[3 * x + 2] = uint8_t((x + y) / 40);
            }
        }
        return p;
    }();
    return *image;
}

const CImageBuffer& PalettePicture() {
    static CImageBuffer* image = [] {
        auto* p = new CImageBuffer(TrueColourPicture(), true);
        ReduceTo8Bit(*p);
        return p;
    }();
    return *image;
}

std::vector<uint8_t> Encoded(int code) {
    CImageBuffer copy(code == kFormatGif ? PalettePicture() : TrueColourPicture(), true);
    MemoryStream out;
    copy.Encode(out, code);
    return out.Buffer();
}

void Encode(benchmark::State& state, int code) {
    CImageBuffer copy(code == kFormatGif ? PalettePicture() : TrueColourPicture(), true);
    for (auto _ : state) {
        MemoryStream out;
        benchmark::DoNotOptimize(copy.Encode(out, code));
    }
}

void Decode(benchmark::State& state, int code) {
    const std::vector<uint8_t> bytes = Encoded(code);
    for (auto _ : state) {
        MemoryStream in(bytes.data(), bytes.size());
        CImageBuffer image(code);
        benchmark::DoNotOptimize(image.Decode(in, code));
    }
}

void DecodePsd(benchmark::State& state) {
    // A raw 8-bit RGB document: header, empty sections, planar channels.
    std::vector<uint8_t> file = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3};
    auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) file.push_back(uint8_t(v >> s));
    };
    be32(kHeight);
    be32(kWidth);
    file.insert(file.end(), {0, 8, 0, 3});
    be32(0);
    be32(0);
    be32(0);
    file.insert(file.end(), {0, 0});
    const CImageBuffer& p = TrueColourPicture();
    for (int channel = 2; channel >= 0; --channel)
        for (int y = kHeight - 1; y >= 0; --y)
            for (int x = 0; x < kWidth; ++x) file.push_back(p.Row(y)[3 * x + channel]);
    for (auto _ : state) {
        MemoryStream in(file.data(), file.size());
        PlainBitmap bitmap;
        benchmark::DoNotOptimize(ImportPsd(in, bitmap));
    }
}

}  // namespace

BENCHMARK_CAPTURE(Decode, Bmp, kFormatBmp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Bmp, kFormatBmp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, Jpeg, kFormatJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Jpeg, kFormatJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, Gif, kFormatGif)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Gif, kFormatGif)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, Tiff, kFormatTiff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Tiff, kFormatTiff)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodePsd)->Unit(benchmark::kMillisecond);
