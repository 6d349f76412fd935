// Composing 25 visible layers of 6000 x 4000 at zoom 1 and 1/4 (a 1920 x 1080
// window's worth at zoom 1, the whole picture at 1/4).
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "Compositor.h"
#include "LayerModel.h"
#include "LayerOps.h"

namespace {

struct Stack : BenchDocument {
    Stack() : BenchDocument(6000, 4000) {
        for (int i = 1; i < 25; ++i) {
            AddLayer(doc);
            LayerRecord& r = *doc.CurrentLayer();
            r.transparency = uint8_t(i * 5);
            r.blend = uint8_t(i % 10);
            // Half of each layer covered, with a soft edge.
            for (int y = 0; y < r.height; ++y)
                for (int x = r.width / 4; x < r.width * 3 / 4; ++x) r.alpha[size_t(y) * r.width + x] = uint8_t(x + y);
        }
    }
};

Stack& Shared() {
    static Stack* stack = new Stack;
    return *stack;
}

void Compose(benchmark::State& state, float zoom, int width, int height) {
    Stack& s = Shared();
    std::vector<uint32_t> out;
    ComposeParams p;
    p.zoomX = p.zoomY = zoom;
    p.width = width;
    p.height = height;
    for (auto _ : state) {
        ComposeLayers(s.doc, p, out);
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(Compose, Zoom1Window, 1.0f, 1920, 1080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compose, Zoom1Whole, 1.0f, 6000, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compose, ZoomQuarter, 0.25f, 1500, 1000)->Unit(benchmark::kMillisecond);
