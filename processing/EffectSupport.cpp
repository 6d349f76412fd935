#include "EffectSupport.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "EditSteps.h"
#include "LayerEdit.h"
#include "Messages.h"
#include "PaintPrimitives.h"
#include "Random.h"

int RandomIn(int n) { return int(rng::Next() * (1.0 / 32767) * n); }

int Kernel3::Sum() const {
    int s = 0;
    for (const auto& row : k)
        for (int w : row) s += w;
    return s;
}

int KernelValue(const RowSource& source, const Kernel3& k, int x, int y) {
    int64_t s = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        const Bgr* row = source.Row(y + dy).data();
        for (int dx = -1; dx <= 1; ++dx) {
            const Bgr c = row[x + dx];
            s += int64_t(k.k[dy + 1][dx + 1]) * (c.r + c.g + c.b);
        }
    }
    int64_t v = s / 3;
    if (const int sw = k.Sum(); sw != 0) v /= sw;
    return int(std::clamp<int64_t>(v, 0, 255));
}

namespace {

// Kernel values of inner row y into out[1 .. w-2], the pixel sums of the three rows
// taken once per row.
void KernelRow(const RowSource& source, const Kernel3& k, int y, std::vector<int>& sums, uint8_t* out) {
    const int w = source.Width();
    sums.resize(size_t(3 * w));
    for (int r = 0; r < 3; ++r) {
        const Bgr* row = source.Row(y - 1 + r).data();
        int* s = sums.data() + r * w;
        for (int x = 0; x < w; ++x) s[x] = row[x].r + row[x].g + row[x].b;
    }
    const int sw = k.Sum();
    const int* a = sums.data();
    const int* b = a + w;
    const int* c = b + w;
    const auto& q = k.k;
    for (int x = 1; x + 1 < w; ++x) {
        const int s = q[0][0] * a[x - 1] + q[0][1] * a[x] + q[0][2] * a[x + 1] + q[1][0] * b[x - 1] + q[1][1] * b[x] +
                      q[1][2] * b[x + 1] + q[2][0] * c[x - 1] + q[2][1] * c[x] + q[2][2] * c[x + 1];
        int v = s / 3;
        if (sw != 0) v /= sw;
        out[x] = uint8_t(std::clamp(v, 0, 255));
    }
}

}  // namespace

Status KernelFilter(COrinDoc& doc, LayerRecord& layer, const Kernel3& k) {
    // Sums of nine weights of at most 765 x 99 stay far inside an int.
    return ForEachRow(doc, layer, {}, [&k](const RowSource& source, int y, std::span<Bgr> out) {
        const int w = source.Width(), h = source.Height();
        if (y == 0 || y == h - 1 || w < 3) {
            std::fill(out.begin(), out.end(), Bgr{});
            return;
        }
        thread_local std::vector<int> sums;
        thread_local std::vector<uint8_t> grey;
        grey.resize(size_t(w));
        KernelRow(source, k, y, sums, grey.data());
        out[0] = out[size_t(w - 1)] = Bgr{};
        for (int x = 1; x + 1 < w; ++x) out[size_t(x)] = Bgr{grey[size_t(x)], grey[size_t(x)], grey[size_t(x)]};
    });
}

Status EdgeMap(COrinDoc& doc, const LayerRecord& layer, std::vector<uint8_t>& map, int threshold) {
    const int w = layer.width, h = layer.height;
    try {
        map.assign(size_t(w) * size_t(h), 0);
    } catch (const std::bad_alloc&) {
        return Status::Fail(msg::kAllocMemory);
    }
    const Kernel3 edge{{{-1, -1, -1}, {-1, 8, -1}, {-1, -1, -1}}};
    return ForEachSourceRow(doc, layer, 0, [&](const RowSource& source, int y) {
        if (y == 0 || y == h - 1 || w < 3) return;
        thread_local std::vector<int> sums;
        uint8_t* out = map.data() + size_t(y) * size_t(w);
        KernelRow(source, edge, y, sums, out);
        const std::span<const uint8_t> alpha = source.Alpha(y);
        out[0] = out[w - 1] = 0;
        for (int x = 1; x + 1 < w; ++x) out[x] = alpha[size_t(x)] != 0 && out[x] > threshold ? 1 : 0;
    });
}

Status DirectionMap(COrinDoc& doc, const LayerRecord& layer, std::vector<float>& map) {
    const int w = layer.width, h = layer.height;
    try {
        map.assign(size_t(w) * size_t(h), 0.0f);
    } catch (const std::bad_alloc&) {
        return Status::Fail(msg::kAllocMemory);
    }
    return ForEachSourceRow(doc, layer, 0, [&](const RowSource& source, int y) {
        auto sum = [&](int x, int yy) {
            const Bgr c = source.Row(std::clamp(yy, 0, h - 1))[size_t(std::clamp(x, 0, w - 1))];
            return c.r + c.g + c.b;
        };
        float* out = map.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            const int gx = sum(x + 1, y - 1) + 2 * sum(x + 1, y) + sum(x + 1, y + 1) - sum(x - 1, y - 1) -
                           2 * sum(x - 1, y) - sum(x - 1, y + 1);
            const int gy = sum(x - 1, y + 1) + 2 * sum(x, y + 1) + sum(x + 1, y + 1) - sum(x - 1, y - 1) -
                           2 * sum(x, y - 1) - sum(x + 1, y - 1);
            const int ax = std::min(255, std::abs(gx) / 12), ay = std::min(255, std::abs(gy) / 12);
            float d = 0.0f;
            if (ay == 0) d = ax == 0 ? 0.0f : 2.0f;
            else d = std::clamp(((gx < 0) != (gy < 0) ? 1.0f : -1.0f) * float(ax) / float(ay), -2.0f, 2.0f);
            out[x] = d;
        }
    });
}

Status InPlace(COrinDoc& doc, const std::function<Status()>& paint, bool selection) {
    // The working copy holds the layer as it is now: what a stop brings back and what
    // pixels outside the selection keep.
    RefreshWorkingCopy(doc);
    Status status;
    try {
        status = paint();
    } catch (const std::bad_alloc&) {
        status = Status::Fail(msg::kAllocMemory);
    }
    if (!status) {
        RestoreWorkingCopy(doc);
    } else if (const LayerStore::Entry& kept = doc.working.entries[size_t(doc.layers.current)];
               kept.valid && doc.CurrentLayer()) {
        LayerRecord& layer = *doc.CurrentLayer();
        const LayerRecord& was = kept.record;
        if (was.width == layer.width && was.height == layer.height && was.pixels.size() == layer.pixels.size() &&
            was.alpha.size() == layer.alpha.size()) {
            const bool bytes = doc.canvas.bpp == 24;
            for (int y = 0; y < layer.height; ++y)
                for (int x = 0; x < layer.width; ++x) {
                    if (LayerAlphaAt(was, x, y) != 0 && (!selection || doc.selection.At(x, y) != 0)) continue;
                    if (bytes) BgrRow(layer, y)[x] = BgrRow(was, y)[x];
                    else WriteLayerColour(doc, layer, x, y, LayerColourAt(doc, was, x, y));
                    layer.alpha[size_t(y) * size_t(layer.width) + size_t(x)] = LayerAlphaAt(was, x, y);
                }
        }
    }
    doc.workspace.Progress(0);
    MarkLayerChanged(doc);
    return status;
}

Operation EffectOperation(int id, const char* key, const char* name, std::initializer_list<Slider> sliders,
                          LayerChangeFn change) {
    Operation op;
    op.id = id;
    op.key = key;
    op.label = name;
    int n = 0;
    for (const Slider& s : sliders) op.params.push_back({"p" + std::to_string(++n), s.label, s.min, s.max, s.def});
    // A map that does not fit in memory refuses the effect and leaves the layer as it was.
    op.change = [change = std::move(change)](COrinDoc& doc, LayerRecord& layer, const OpValues& values) {
        try {
            return change(doc, layer, values);
        } catch (const std::bad_alloc&) {
            return Status::Fail(msg::kAllocMemory);
        }
    };
    return LayerOperation(std::move(op));
}

const LayerRecord& StartImage(COrinDoc& doc, const LayerRecord& layer, LayerRecord& spare) {
    const int slot = doc.layers.current;
    if (IsValidSlot(slot) && &doc.layers[slot] == &layer) {
        const LayerStore::Entry& kept = doc.working.entries[size_t(slot)];
        if (kept.valid && kept.record.width == layer.width && kept.record.height == layer.height &&
            kept.record.pixels.size() == layer.pixels.size() && kept.record.alpha.size() == layer.alpha.size())
            return kept.record;
    }
    spare = layer;
    return spare;
}

uint32_t Shifted(uint32_t colour, int dr, int dg, int db) {
    const int r = std::clamp(int(colour & 0xFF) + dr, 0, 255);
    const int g = std::clamp(int((colour >> 8) & 0xFF) + dg, 0, 255);
    const int b = std::clamp(int((colour >> 16) & 0xFF) + db, 0, 255);
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
