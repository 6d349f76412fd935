// Colour modes of a 6000 x 4000 photograph-like picture: grey over the layer, the
// optimal 8-bit palette with its mapping, and the HSL channel planes. Each run is undone
// (outside the timing) so that the history holds one step. /threads:1 caps the row loop
// at one thread (compare with ImageMagick's `-limit thread 1`), /threads:0 uses every core.
#include <benchmark/benchmark.h>

#include <cmath>

#include "ChannelSplit.h"
#include "ColourDepth.h"
#include "Greyscale.h"
#include "History.h"
#include "LayerModel.h"
#include "Parallel.h"
#include "RowLoop.h"

namespace {

struct Picture {
    SilentHost host;
    Workspace workspace;
    COrinDoc doc{workspace};
    Picture() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        doc.mainImage = std::make_unique<CImageBuffer>(6000, 4000, 24, kFormatBmp);
        CImageBuffer& p = *doc.mainImage;
        for (int y = 0; y < p.Height(); ++y) {
            uint8_t* row = p.Row(y);
            for (int x = 0; x < p.Width(); ++x) {
                row[3 * x] = uint8_t(128 + 100 * std::sin(x * 0.003) + (x * y) % 7);
                row[3 * x + 1] = uint8_t(128 + 100 * std::cos(y * 0.002));
                row[3 * x + 2] = uint8_t((x + y) / 40);
            }
        }
        OpenPictureInDocument(doc);
    }
};

Picture& Shared() {
    static Picture* picture = new Picture;
    return *picture;
}

void Grey(benchmark::State& state) {
    COrinDoc& doc = Shared().doc;
    SetRowLoopThreadLimit(int(state.range(0)));
    SetParallelThreadLimit(int(state.range(0)));  // the palette's histogram
    for (auto _ : state) {
        GreyAllLayers(doc);
        state.PauseTiming();
        Undo(doc);
        state.ResumeTiming();
    }
    SetRowLoopThreadLimit(0);
    SetParallelThreadLimit(0);
}

void EightBitOptimal(benchmark::State& state) {
    COrinDoc& doc = Shared().doc;
    SetRowLoopThreadLimit(int(state.range(0)));
    SetParallelThreadLimit(int(state.range(0)));  // the palette's histogram
    for (auto _ : state) {
        ConvertDocumentDepth(doc, 8, DocumentOptimalPalette(doc, 256), "8 비트 컬러 표현");
        state.PauseTiming();
        Undo(doc);
        state.ResumeTiming();
    }
    SetRowLoopThreadLimit(0);
    SetParallelThreadLimit(0);
}

void HslPlanes(benchmark::State& state) {
    COrinDoc& doc = Shared().doc;
    for (auto _ : state) {
        ChannelPlanes planes;
        LayerRgbPlanes(doc, planes);
        benchmark::DoNotOptimize(ConvertPlanes(planes, ChannelModel::kHsl).planes[0].data());
    }
}

}  // namespace

BENCHMARK(Grey)->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EightBitOptimal)->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HslPlanes)->Unit(benchmark::kMillisecond);
