// The area searches of the selection and fill tools on a uniform 6000 x 4000 layer, the
// worst case for each: the automatic selection and the fill reach every pixel, the colour
// range matches every pixel.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "CommandMap.h"
#include "History.h"
#include "PaintTools.h"
#include "Selection.h"
#include "SimilarArea.h"
#include "ToolEvents.h"

namespace {

BenchDocument& Uniform() {
    static BenchDocument* picture = [] {
        auto* p = new BenchDocument(6000, 4000);
        CImageBuffer& image = *p->doc.mainImage;
        for (int y = 0; y < image.Height(); ++y) {
            uint8_t* row = image.Row(y);
            for (int x = 0; x < image.Width(); ++x) {
                row[3 * x] = 0xCC;
                row[3 * x + 1] = 0x66;
                row[3 * x + 2] = 0x33;
            }
        }
        OpenPictureInDocument(p->doc);
        return p;
    }();
    return *picture;
}

void AutoSelectWholeLayer(benchmark::State& state) {
    COrinDoc& doc = Uniform().doc;
    ChooseToolCommand(&doc, doc.workspace, kCmdAutoSelect);
    for (auto _ : state) AutoSelectAt(doc, 3000, 2000);
}

void ColourRangeWholeLayer(benchmark::State& state) {
    COrinDoc& doc = Uniform().doc;
    ChooseToolCommand(&doc, doc.workspace, kCmdColourRange);
    for (auto _ : state) benchmark::DoNotOptimize(ColourRangeScan(doc, 0x3366CC, 0));
}

void FloodFillWholeLayer(benchmark::State& state) {
    COrinDoc& doc = Uniform().doc;
    ChooseToolCommand(&doc, doc.workspace, kCmdFill);
    doc.workspace.inclusionLimit = 10;
    uint32_t colours[2] = {0x00FF00, 0x3366CC};
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SetMaskBytes(doc, 1);
        doc.workspace.foreground = colours[turn ^= 1];
        state.ResumeTiming();
        FloodFill(doc, 10, 10);
    }
}

}  // namespace

BENCHMARK(AutoSelectWholeLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(ColourRangeWholeLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(FloodFillWholeLayer)->Unit(benchmark::kMillisecond);
