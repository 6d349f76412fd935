#include "RowLoop.h"

#include <algorithm>
#include <atomic>
#include <sched.h>
#include <cassert>
#include <cstring>
#include <new>
#include <thread>
#include <unordered_map>

#include "EditSteps.h"
#include "LayerModel.h"
#include "MaskWeights.h"
#include "Messages.h"

namespace rowloop_detail {
namespace {

int PaletteIndexAt(const uint8_t* row, int bits, int x) {
    if (bits == 8) return row[x];
    if (bits == 4) return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

Bgr PaletteColour(const std::vector<RgbQuad>& palette, int index) {
    if (size_t(index) >= palette.size()) return {};
    const RgbQuad& q = palette[size_t(index)];
    return {q.blue, q.green, q.red};
}

uint32_t Key(Bgr c) { return c.b | (uint32_t(c.g) << 8) | (uint32_t(c.r) << 16); }

// Everything one run shares; each thread has its own Scratch.
struct Job {
    COrinDoc& doc;
    const LayerRecord& layer;
    const RowLoopOptions& options;
    const RowFunction& row;
    int bits = 24;
    int width = 0, height = 0;
    size_t stride = 0;
    const SelectionMask& mask;
    const EdgeWeights* weights = nullptr;  // with a spread only
    const uint8_t* inPixels = nullptr;     // the layer as it was (itself, or the step's copy of it)
    const uint8_t* inAlpha = nullptr;
    uint8_t* outPixels = nullptr;
    uint8_t* outAlpha = nullptr;           // with a spread only
    const RowSource* source = nullptr;     // true-colour rows (24-bit layer, or the expanded palette layer)
    const uint8_t* indexMap = nullptr;     // palette point operation: old index -> new index
    bool fillsRow = false;                 // the operation writes every pixel of `out` (a point operation)

    // The pixel may change: inside the selection and, unless told otherwise, present.
    bool Changes(int x, int y, const uint8_t* alpha) const {
        return (!options.selection || mask.At(x, y) != 0) && (!options.skipTransparent || alpha[x] != 0);
    }
    // Every pixel of the row may change and no opacity changes: the result row is the
    // operation's row as it stands.
    bool WholeRow(int y, const uint8_t* alpha) const {
        if (weights) return false;
        if (options.skipTransparent && std::memchr(alpha, 0, size_t(width))) return false;
        if (!options.selection) return true;
        if (y >= mask.height || mask.width < width || mask.bytes.size() < size_t(mask.width) * size_t(mask.height))
            return false;
        return !std::memchr(mask.bytes.data() + size_t(y) * size_t(mask.width), 0, size_t(width));
    }
};

struct Scratch {
    std::vector<Bgr> row;
    std::unordered_map<uint32_t, uint8_t> nearest;  // palette layers: colour -> index
};

void RaiseOpacity(const Job& job, int x, int y) {
    if (!job.weights) return;
    uint8_t& a = job.outAlpha[size_t(y) * size_t(job.width) + size_t(x)];
    a = uint8_t(std::max<int>(a, job.weights->At(x, y)));
}

void TrueColourRow(const Job& job, Scratch& scratch, int y) {
    const uint8_t* in = job.inPixels + size_t(y) * job.stride;
    uint8_t* out = job.outPixels + size_t(y) * job.stride;
    const uint8_t* alpha = job.inAlpha + size_t(y) * size_t(job.width);
    const std::span<Bgr> outRow(reinterpret_cast<Bgr*>(out), size_t(job.width));
    if (job.WholeRow(y, alpha)) {
        // An operation that writes every pixel needs only the padding copied: the row is
        // then read once and written once, as a hand-written loop does.
        const size_t used = job.fillsRow ? size_t(job.width) * sizeof(Bgr) : 0;
        std::memcpy(out + used, in + used, job.stride - used);
        job.row(*job.source, y, outRow);
        return;
    }
    std::memcpy(out, in, job.stride);  // padding included
    std::copy(outRow.begin(), outRow.end(), scratch.row.begin());
    job.row(*job.source, y, scratch.row);
    for (int x = 0; x < job.width; ++x)
        if (job.Changes(x, y, alpha)) {
            outRow[size_t(x)] = scratch.row[size_t(x)];
            RaiseOpacity(job, x, y);
        }
}

void PaletteRow(const Job& job, Scratch& scratch, int y) {
    const uint8_t* in = job.inPixels + size_t(y) * job.stride;
    uint8_t* out = job.outPixels + size_t(y) * job.stride;
    const uint8_t* alpha = job.inAlpha + size_t(y) * size_t(job.width);
    std::memcpy(out, in, job.stride);
    const std::vector<RgbQuad>& palette = job.doc.palette;
    if (job.indexMap) {
        for (int x = 0; x < job.width; ++x) {
            const int index = PaletteIndexAt(in, job.bits, x);
            if (!job.Changes(x, y, alpha)) continue;
            if (job.indexMap[index] != index) CImageBuffer::PutIndex(out, job.bits, 0, x, 0, job.indexMap[index]);
            RaiseOpacity(job, x, y);
        }
        return;
    }
    const std::span<const Bgr> was = job.source->Row(y);
    std::copy(was.begin(), was.end(), scratch.row.begin());
    job.row(*job.source, y, scratch.row);
    for (int x = 0; x < job.width; ++x) {
        if (!job.Changes(x, y, alpha)) continue;
        RaiseOpacity(job, x, y);
        const Bgr c = scratch.row[size_t(x)];
        if (c == was[size_t(x)]) continue;  // an unchanged colour keeps its own entry
        auto [it, added] = scratch.nearest.try_emplace(Key(c), uint8_t(0));
        if (added)
            it->second = uint8_t(NearestPaletteIndex(palette.data(), int(palette.size()), Key(c)));
        CImageBuffer::PutIndex(out, job.bits, 0, x, 0, it->second);
    }
}

std::atomic<int> g_threadLimit{0};  // SetRowLoopThreadLimit

// The true-colour rows of a palette layer.
std::vector<Bgr> ExpandPalette(const COrinDoc& doc, const LayerRecord& layer, int bits) {
    const int w = layer.width, h = layer.height;
    std::vector<Bgr> expanded(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* in = layer.pixels.data() + size_t(y) * size_t(layer.stride);
        for (int x = 0; x < w; ++x)
            expanded[size_t(y) * size_t(w) + size_t(x)] = PaletteColour(doc.palette, PaletteIndexAt(in, bits, x));
    }
    return expanded;
}

}  // namespace

Status Run(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, const RowFunction& row,
           const PointFunction* point) {
    assert(layer.kind != kLayerText && "text layers are refused before the loop");
    const int bits = LayerBits(doc, layer);
    const int w = layer.width, h = layer.height;
    if (layer.kind == kLayerText || w <= 0 || h <= 0 || !layer.HasBuffers()) return Status::Ok();
    if (bits != 24 && bits != 8 && bits != 4 && bits != 1) return Status::Ok();
    const size_t stride = size_t(layer.stride);
    if (layer.pixels.size() < stride * size_t(h) || layer.alpha.size() < size_t(w) * size_t(h)) return Status::Ok();
    if (stride < (size_t(w) * size_t(bits) + 7) / 8) return Status::Ok();  // rows shorter than their pixels

    Job job{doc, layer, options, row, bits, w, h, stride, doc.selection};
    job.fillsRow = point != nullptr;
    // With the step's copy of the layer at hand the result goes straight into the layer,
    // read from the copy (neighbours included): no working buffer, and a stop puts the
    // layer back from the copy.
    const LayerRecord* copy = UntouchedCopy(doc, layer);
    const LayerRecord& was = copy ? *copy : layer;
    job.inPixels = was.pixels.data();
    job.inAlpha = was.alpha.data();
    std::vector<Bgr> expanded;
    uint8_t indexMap[256];
    std::unique_ptr<EdgeWeights> weights;
    std::vector<Scratch> scratch(size_t(RowWorkers(h, options.threads)));
    try {
        if (!copy) doc.workPixels.resize(layer.pixels.size());
        job.outPixels = copy ? layer.pixels.data() : doc.workPixels.data();
        if (options.selection && options.spread > 0) {
            weights = std::make_unique<EdgeWeights>(doc.selection, options.spread);
            if (!copy) doc.workAlpha.assign(layer.alpha.begin(), layer.alpha.end());
            job.weights = weights.get();
            job.outAlpha = copy ? layer.alpha.data() : doc.workAlpha.data();
        }
        for (Scratch& s : scratch) s.row.resize(size_t(w));
        if (bits < 24 && point && options.paletteEntries) {
            for (RgbQuad& q : doc.palette) {
                const Bgr d = (*point)(Bgr{q.blue, q.green, q.red});
                q.blue = d.b;
                q.green = d.g;
                q.red = d.r;
            }
            MarkLayerChanged(doc);
            return Status::Ok();
        }
        if (bits < 24 && point) {
            // Each palette entry goes through the operation once.
            for (int i = 0; i < 256; ++i) {
                const Bgr c = PaletteColour(doc.palette, i);
                const Bgr d = size_t(i) < doc.palette.size() ? (*point)(c) : c;
                indexMap[i] = d == c ? uint8_t(i)
                                     : uint8_t(NearestPaletteIndex(doc.palette.data(), int(doc.palette.size()), Key(d)));
            }
            job.indexMap = indexMap;
        } else if (bits < 24) {
            expanded = ExpandPalette(doc, was, bits);
        }
    } catch (const std::bad_alloc&) {
        return Status::Fail(msg::kAllocMemory);
    }
    const RowSource source = bits < 24 ? RowSource(reinterpret_cast<const uint8_t*>(expanded.data()), size_t(w) * sizeof(Bgr),
                                                   job.inAlpha, w, h)
                                       : RowSource(job.inPixels, stride, job.inAlpha, w, h);
    job.source = &source;

    const bool finished = RunRowBlocks(doc.workspace, h, options.threads, [&](int first, int last, int worker) {
        for (int y = first; y < last; ++y) (bits < 24 ? PaletteRow : TrueColourRow)(job, scratch[size_t(worker)], y);
    });
    if (finished) doc.workspace.Progress(100);
    doc.workspace.Progress(0);
    if (!finished) {
        // The result is dropped: the layer is as it was.
        if (copy) {
            std::memcpy(layer.pixels.data(), copy->pixels.data(), layer.pixels.size());
            if (job.outAlpha) std::memcpy(layer.alpha.data(), copy->alpha.data(), layer.alpha.size());
        }
        return Status::Stopped();
    }
    if (copy) {
        doc.history.untouchedSlot = -1;  // the layer no longer matches the copy
    } else {
        std::swap(layer.pixels, doc.workPixels);
        if (job.outAlpha) std::swap(layer.alpha, doc.workAlpha);
    }
    MarkLayerChanged(doc, layer);
    return Status::Ok();
}

}  // namespace rowloop_detail

const LayerRecord* UntouchedCopy(const COrinDoc& doc, const LayerRecord& layer) {
    const int slot = doc.history.untouchedSlot;
    if (!IsValidSlot(slot) || &doc.layers[slot] != &layer) return nullptr;
    const LayerRecord* copy = PendingBeforeOf(doc, slot);
    if (!copy || copy->width != layer.width || copy->height != layer.height || copy->stride != layer.stride ||
        copy->pixels.size() != layer.pixels.size() || copy->alpha.size() != layer.alpha.size())
        return nullptr;
    return copy;
}

namespace {

// The cores this process may run on (taskset, a container's limit), not every core of
// the machine.
int UsableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

int RowWorkers(int rows, int threads) {
    static const int usable = UsableCores();
    int cores = threads > 0 ? threads : usable;
    if (const int limit = rowloop_detail::g_threadLimit; limit > 0) cores = std::min(cores, limit);
    return std::clamp(rows / 16, 1, cores);
}

bool RunRowBlocks(Workspace& ws, int rows, int threads, const RowBlockFunction& body, ProgressShare share,
                  int blockRows) {
    if (rows <= 0) return true;
    const int workers = RowWorkers(rows, threads);
    // Rows go out in blocks from one counter; the calling thread reports progress and
    // asks the host whether to stop between its blocks.
    if (blockRows <= 0) blockRows = workers == 1 ? 1 : std::clamp(rows / (workers * 16), 1, 32);
    const int blocks = (rows + blockRows - 1) / blockRows;
    std::atomic<int> next{0}, done{0};
    std::atomic<bool> stop{false};
    auto work = [&](int worker) {
        int shown = -1;
        for (;;) {
            if (worker == 0 && ws.Cancelled()) stop = true;
            if (stop) return;
            const int block = next++;
            if (block >= blocks) return;
            const int first = block * blockRows, last = std::min(rows, first + blockRows);
            body(first, last, worker);
            const int percent = share.first + int(int64_t(done += last - first) * share.span / rows);
            if (worker == 0 && percent != shown && percent < 100) ws.Progress(shown = percent);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < workers; ++t) pool.emplace_back(work, t);
    work(0);
    for (std::thread& t : pool) t.join();
    return !stop;
}

void ScanLayerRows(const COrinDoc& doc, const LayerRecord& layer, const ScanFunction& row) {
    const int bits = LayerBits(doc, layer);
    const int w = layer.width, h = layer.height;
    if (w <= 0 || h <= 0 || !layer.HasBuffers()) return;
    if (bits != 24 && bits != 8 && bits != 4 && bits != 1) return;
    const size_t stride = size_t(layer.stride);
    if (layer.pixels.size() < stride * size_t(h) || layer.alpha.size() < size_t(w) * size_t(h)) return;
    std::vector<Bgr> expanded(bits < 24 ? size_t(w) : 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* in = layer.pixels.data() + size_t(y) * stride;
        const std::span<const uint8_t> alpha(layer.alpha.data() + size_t(y) * size_t(w), size_t(w));
        if (bits == 24) {
            row(y, {reinterpret_cast<const Bgr*>(in), size_t(w)}, alpha);
            continue;
        }
        for (int x = 0; x < w; ++x)
            expanded[size_t(x)] = rowloop_detail::PaletteColour(doc.palette, rowloop_detail::PaletteIndexAt(in, bits, x));
        row(y, expanded, alpha);
    }
}
void SetRowLoopThreadLimit(int threads) { rowloop_detail::g_threadLimit = std::max(0, threads); }

Status ForEachRow(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, const RowFunction& row) {
    return rowloop_detail::Run(doc, layer, options, row, nullptr);
}

Status ForEachSourceRow(COrinDoc& doc, const LayerRecord& layer, int threads, const SourceRowFunction& row) {
    using namespace rowloop_detail;
    const int bits = LayerBits(doc, layer);
    const int w = layer.width, h = layer.height;
    if (layer.kind == kLayerText || w <= 0 || h <= 0 || !layer.HasBuffers()) return Status::Ok();
    if (bits != 24 && bits != 8 && bits != 4 && bits != 1) return Status::Ok();
    if (layer.pixels.size() < size_t(layer.stride) * size_t(h) || layer.alpha.size() < size_t(w) * size_t(h))
        return Status::Ok();
    std::vector<Bgr> expanded;
    try {
        if (bits < 24) expanded = ExpandPalette(doc, layer, bits);
    } catch (const std::bad_alloc&) {
        return Status::Fail(msg::kAllocMemory);
    }
    const RowSource source = bits < 24 ? RowSource(reinterpret_cast<const uint8_t*>(expanded.data()), size_t(w) * sizeof(Bgr),
                                                   layer.alpha.data(), w, h)
                                       : RowSource(layer.pixels.data(), size_t(layer.stride), layer.alpha.data(), w, h);
    const bool finished = RunRowBlocks(doc.workspace, h, threads, [&](int first, int last, int) {
        for (int y = first; y < last; ++y) row(source, y);
    });
    if (finished) doc.workspace.Progress(100);
    doc.workspace.Progress(0);
    return finished ? Status::Ok() : Status::Stopped();
}
