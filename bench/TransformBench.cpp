// The geometric transforms on a 6000 x 4000 photograph-like picture of one layer, each
// as the command runs it (the new layer built, the old one kept as the step's before).
// Run under `taskset -c 0` for the one-thread figures: the row loop uses the cores the
// process may run on.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "LayerModel.h"
#include "LayerOps.h"
#include "ProcessingOperations.h"

namespace {

struct Picture {
    SilentHost host;
    Workspace workspace;
    std::unique_ptr<COrinDoc> doc;
    OperationTable table;
    Picture() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        AddProcessingOperations(table);
    }
    // A fresh document: smooth shapes with grain, as a photograph has.
    void Reset() {
        doc.reset();
        doc = std::make_unique<COrinDoc>(workspace);
        doc->mainImage = std::make_unique<CImageBuffer>(6000, 4000, 24, kFormatBmp);
        OpenPictureInDocument(*doc);
        LayerRecord& r = *doc->CurrentLayer();
        uint32_t noise = 1;
        for (int y = 0; y < r.height; ++y) {
            uint8_t* row = r.pixels.data() + size_t(y) * r.stride;
            for (int x = 0; x < r.width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int grain = int(noise >> 28) - 8;
                const double s = std::sin(x * 0.01) * std::cos(y * 0.013);
                row[3 * x] = uint8_t(std::clamp(int(128 + 100 * s) + grain, 0, 255));
                row[3 * x + 1] = uint8_t(std::clamp(int((x + y) / 40 % 256) + grain, 0, 255));
                row[3 * x + 2] = uint8_t(std::clamp(int(200 - 90 * s) + grain, 0, 255));
            }
        }
    }
};

Picture& Shared() {
    static Picture* picture = new Picture;
    return *picture;
}

void Transform(benchmark::State& state, const char* key, std::vector<int> values) {
    Picture& p = Shared();
    const Operation* op = p.table.Find(key);
    for (auto _ : state) {
        state.PauseTiming();
        p.Reset();
        state.ResumeTiming();
        const Status s = op->run(*p.doc, ClampedValues(*op, values));
        if (!s.ok) state.SkipWithError(s.message.c_str());
    }
    state.PauseTiming();
    p.doc.reset();
    state.ResumeTiming();
}

}  // namespace

#define TRANSFORM_BENCH(name, key, ...) \
    BENCHMARK_CAPTURE(Transform, name, key, std::vector<int>{__VA_ARGS__})->Unit(benchmark::kMillisecond)->UseRealTime()

TRANSFORM_BENCH(FlipVertical, "flip-vertical");
TRANSFORM_BENCH(FlipHorizontal, "flip-horizontal");
TRANSFORM_BENCH(Rotate90, "rotate-90");
TRANSFORM_BENCH(Rotate17, "rotate", 1700);
TRANSFORM_BENCH(Resize200Bilinear, "resize", 12000, 8000);
TRANSFORM_BENCH(Resize50Area, "resize", 3000, 2000);
