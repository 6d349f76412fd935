// Inversion of a 6000 x 4000 24-bit layer through the row loop, on one thread and on
// every core, beside a plain loop over the same bytes: the loop's own cost.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "RowLoop.h"

namespace {

struct Picture : BenchDocument {
    Picture() : BenchDocument(6000, 4000) {
        LayerRecord& r = *doc.CurrentLayer();
        for (size_t i = 0; i < r.pixels.size(); ++i) r.pixels[i] = uint8_t(i * 7 + (i >> 12));
        // The row loop's result buffer is allocated by the first run: not in the figures.
        doc.workPixels.resize(r.pixels.size());
    }
};

Picture& Shared() {
    static Picture* picture = new Picture;
    return *picture;
}

// The inversion's own kernel, a lambda as in processing/Invert.cpp (inlined into the row).
constexpr auto kComplement = [](Bgr c) { return Bgr{uint8_t(255 - c.b), uint8_t(255 - c.g), uint8_t(255 - c.r)}; };

void RowLoop(benchmark::State& state) {
    Picture& p = Shared();
    RowLoopOptions options;
    options.selection = false;
    options.skipTransparent = false;
    options.threads = int(state.range(0));
    for (auto _ : state) {
        const Status s = ForEachPixel(p.doc, *p.doc.CurrentLayer(), options, kComplement);
        if (!s.ok) state.SkipWithError("the row loop failed");
        benchmark::DoNotOptimize(p.doc.CurrentLayer()->pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.doc.CurrentLayer()->pixelSize));
}

// The same complement written by hand: every row's pixel bytes, in place.
void PlainLoop(benchmark::State& state) {
    Picture& p = Shared();
    LayerRecord& r = *p.doc.CurrentLayer();
    const size_t rowBytes = size_t(r.width) * 3, stride = size_t(r.stride), height = size_t(r.height);
    uint8_t* const pixels = r.pixels.data();
    for (auto _ : state) {
        for (size_t y = 0; y < height; ++y) {
            uint8_t* row = pixels + y * stride;
            for (size_t i = 0; i < rowBytes; ++i) row[i] = uint8_t(255 - row[i]);
        }
        benchmark::DoNotOptimize(r.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(r.pixelSize));
}

}  // namespace

BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RowLoop)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RowLoop)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
