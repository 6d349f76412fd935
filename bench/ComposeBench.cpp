// Composing 25 visible layers of 6000 x 4000 at zoom 1 and 1/4 (a 1920 x 1080
// window's worth at zoom 1, the whole picture at 1/4): the full chain, and a view's
// kept composite from nothing and after a brush dab.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "Compositor.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Parallel.h"
#include "ViewComposite.h"

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
    SetParallelThreadLimit(int(state.range(0)));
    std::vector<uint32_t> out;
    ComposeParams p;
    p.zoomX = p.zoomY = zoom;
    p.width = width;
    p.height = height;
    for (auto _ : state) {
        ComposeLayers(s.doc, p, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetParallelThreadLimit(0);
}

// The view's kept composite of a 1920 x 1080 window at zoom 1 and of the whole picture
// at zoom 1/4, with the middle layer current: composed from nothing, and again after a
// brush dab of 40 x 40 pixels on that layer. /threads:1 composes on one thread. From
// nothing means without the view's composite; the copies of the layers that a zoom-out
// reads are made only when a layer changes and are kept (ViewFirstPaint makes them too).
void ViewFromNothing(benchmark::State& state, float zoom, int width, int height, bool firstPaint) {
    Stack& s = Shared();
    SetParallelThreadLimit(int(state.range(0)));
    s.doc.layers.current = s.doc.layers.Chain()[12];
    ComposeParams p;
    p.zoomX = p.zoomY = zoom;
    p.width = width;
    p.height = height;
    ViewComposite view;
    view.Compose(s.doc, p);  // the layers' sampled copies are made once
    for (auto _ : state) {
        if (firstPaint) view = ViewComposite{};
        else view.Clear();
        benchmark::DoNotOptimize(view.Compose(s.doc, p).data());
    }
    SetParallelThreadLimit(0);
}

// A view's very first paint: besides its composite, the copies of the layers sampled
// at a zoom-out are made (ViewFromNothing keeps them: they change only with the layers).
void ViewFirstPaint(benchmark::State& state, float zoom, int width, int height) {
    ViewFromNothing(state, zoom, width, height, true);
}

void ViewFromNothing(benchmark::State& state, float zoom, int width, int height) {
    ViewFromNothing(state, zoom, width, height, false);
}

void ViewAfterDab(benchmark::State& state, float zoom, int width, int height) {
    Stack& s = Shared();
    SetParallelThreadLimit(int(state.range(0)));
    const int slot = s.doc.layers.Chain()[12];
    s.doc.layers.current = slot;
    LayerRecord& r = s.doc.layers[slot];
    ComposeParams p;
    p.zoomX = p.zoomY = zoom;
    p.width = width;
    p.height = height;
    ViewComposite view;
    view.Compose(s.doc, p);
    int step = 0;
    for (auto _ : state) {
        // A dab inside the window, a little further along each time.
        const int x0 = 200 + (step * 7) % 1200, y0 = 3000 + (step * 5) % 600;  // rows count from the bottom
        ++step;
        for (int y = y0; y < y0 + 40; ++y)
            for (int x = x0; x < x0 + 40; ++x) {
                r.pixels[size_t(y) * size_t(r.stride) + size_t(x) * 3] ^= 0x55;
                r.alpha[size_t(y) * size_t(r.width) + size_t(x)] = 255;
            }
        s.doc.TouchLayer(slot, x0, y0, x0 + 40, y0 + 40);
        benchmark::DoNotOptimize(view.Compose(s.doc, p).data());
    }
    SetParallelThreadLimit(0);
}

// A change of the whole middle layer (a filter on it), told as such: only that layer's
// copy is sampled again; ViewAfterTouch tells the same change as one of everything.
void ViewAfterLayerChange(benchmark::State& state, float zoom, int width, int height, bool everything) {
    Stack& s = Shared();
    SetParallelThreadLimit(int(state.range(0)));
    const int slot = s.doc.layers.Chain()[12];
    s.doc.layers.current = slot;
    ComposeParams p;
    p.zoomX = p.zoomY = zoom;
    p.width = width;
    p.height = height;
    ViewComposite view;
    view.Compose(s.doc, p);
    for (auto _ : state) {
        if (everything) s.doc.Touch();
        else s.doc.TouchLayer(slot);
        benchmark::DoNotOptimize(view.Compose(s.doc, p).data());
    }
    SetParallelThreadLimit(0);
}

void ViewAfterLayerChange(benchmark::State& state, float zoom, int width, int height) {
    ViewAfterLayerChange(state, zoom, width, height, false);
}

void ViewAfterTouch(benchmark::State& state, float zoom, int width, int height) {
    ViewAfterLayerChange(state, zoom, width, height, true);
}

}  // namespace

// threads:1 composes on one thread, threads:0 on every core.
#define VIEW_BENCH(fn, name, zoom, w, h) \
    BENCHMARK_CAPTURE(fn, name, zoom, w, h)->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()
VIEW_BENCH(ViewFromNothing, Zoom1Window, 1.0f, 1920, 1080);
VIEW_BENCH(ViewAfterDab, Zoom1Window, 1.0f, 1920, 1080);
VIEW_BENCH(ViewFromNothing, ZoomQuarter, 0.25f, 1500, 1000);
VIEW_BENCH(ViewAfterDab, ZoomQuarter, 0.25f, 1500, 1000);
VIEW_BENCH(ViewFirstPaint, ZoomQuarter, 0.25f, 1500, 1000);
VIEW_BENCH(ViewAfterLayerChange, ZoomQuarter, 0.25f, 1500, 1000);
VIEW_BENCH(ViewAfterTouch, ZoomQuarter, 0.25f, 1500, 1000);
VIEW_BENCH(Compose, Zoom1Window, 1.0f, 1920, 1080);
VIEW_BENCH(Compose, Zoom1Whole, 1.0f, 6000, 4000);
VIEW_BENCH(Compose, ZoomQuarter, 0.25f, 1500, 1000);
