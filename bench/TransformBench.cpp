// The geometric transforms on a 6000 x 4000 photograph-like picture of one layer, each
// as the command runs it (the new layer built, the old one kept as the step's before).
// /threads:1 caps the row loop at one thread (compare its CPU time with ImageMagick's
// `-limit thread 1`); /threads:0 uses every core.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchPicture.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "ProcessingOperations.h"
#include "RowLoop.h"

namespace {

struct Picture {
    SilentHost host;
    Workspace workspace;
    std::unique_ptr<COrinDoc> doc;
    OperationTable table;
    std::vector<uint8_t> original;
    Picture() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        AddProcessingOperations(table);
    }
    // A fresh document holding the picture.
    void Reset() {
        doc.reset();
        doc = std::make_unique<COrinDoc>(workspace);
        doc->mainImage = std::make_unique<CImageBuffer>(6000, 4000, 24, kFormatBmp);
        OpenPictureInDocument(*doc);
        LayerRecord& r = *doc->CurrentLayer();
        if (original.empty()) {
            FillPhotoLike(r);
            original = r.pixels;
        }
        r.pixels = original;
    }
};

Picture& Shared() {
    static Picture* picture = new Picture;
    return *picture;
}

void Transform(benchmark::State& state, const char* key, std::vector<int> values) {
    Picture& p = Shared();
    const Operation* op = p.table.Find(key);
    SetRowLoopThreadLimit(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        p.Reset();
        state.ResumeTiming();
        const Status s = op->run(*p.doc, ClampedValues(*op, values));
        if (!s.ok) state.SkipWithError(s.message.c_str());
    }
    p.doc.reset();
    SetRowLoopThreadLimit(0);
}

}  // namespace

#define TRANSFORM_BENCH(name, key, ...)                                                                 \
    BENCHMARK_CAPTURE(Transform, name, key, std::vector<int>{__VA_ARGS__})                              \
        ->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()

TRANSFORM_BENCH(FlipVertical, "flip-vertical");
TRANSFORM_BENCH(FlipHorizontal, "flip-horizontal");
TRANSFORM_BENCH(Rotate90, "rotate-90");
TRANSFORM_BENCH(Rotate17, "rotate", 1700);
TRANSFORM_BENCH(Resize200Bilinear, "resize", 12000, 8000);
TRANSFORM_BENCH(Resize50Area, "resize", 3000, 2000);
