// The effects nearest to ImageMagick's operations on a 6000 x 4000 photograph-like
// picture: a 3x3 kernel ("강조"), a 9x9 box ("흐리게" 9), 20x20 erosion and dilation,
// the 7x7 mode filter ("수채화"), Floyd-Steinberg and ordered dithering. Each runs the
// effect's change alone (no history step); /threads:1 caps the row loop at one thread.
#include <benchmark/benchmark.h>

#include "BenchPicture.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "ProcessingOperations.h"
#include "RowLoop.h"

namespace {

struct Picture {
    SilentHost host;
    Workspace workspace;
    COrinDoc doc{workspace};
    OperationTable table;
    std::vector<uint8_t> original;
    Picture() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        doc.mainImage = std::make_unique<CImageBuffer>(6000, 4000, 24, kFormatBmp);
        OpenPictureInDocument(doc);
        LayerRecord& r = *doc.CurrentLayer();
        FillPhotoLike(r);
        original = r.pixels;
        AddProcessingOperations(table);
    }
};

Picture& Shared() {
    static Picture* picture = new Picture;
    return *picture;
}

void Effect(benchmark::State& state, const char* key, int p1) {
    Picture& p = Shared();
    const Operation* op = p.table.Find(key);
    SetRowLoopThreadLimit(int(state.range(0)));
    LayerRecord& layer = *p.doc.CurrentLayer();
    for (auto _ : state) {
        state.PauseTiming();
        layer.pixels = p.original;
        state.ResumeTiming();
        op->change(p.doc, layer, ClampedValues(*op, {p1}));
    }
    SetRowLoopThreadLimit(0);
}

}  // namespace

#define EFFECT_BENCH(name, key, p1) \
    BENCHMARK_CAPTURE(Effect, name, key, p1)->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()

EFFECT_BENCH(Kernel3x3Sharpen, "sharpen", 1);
EFFECT_BENCH(Box9x9Blur, "blur", 9);
EFFECT_BENCH(Erode20x20, "erode", 20);
EFFECT_BENCH(Dilate20x20, "dilate", 20);
EFFECT_BENCH(Mode7x7Watercolour, "watercolour", 1);
EFFECT_BENCH(FloydSteinberg, "fs-dither", 128);
EFFECT_BENCH(Ordered4x4, "ordered-dither", 75);
