#include "PhotoFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "PaintPrimitives.h"

namespace {

enum Band { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3 };

uint32_t Scaled(uint32_t colour, double factor) {
    auto channel = [&](int shift) {
        const double v = std::trunc(double((colour >> shift) & 0xFF) * std::max(0.0, factor));
        return uint32_t(std::min(255.0, v)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

// 1 - |h - n| / h: a tent over a side of 2h + 1 pixels, 1 in its middle. A ring of
// one pixel (h = 0, the thickness reaching the middle of an odd side) is its own
// middle: factor 1.
double Tent(int h, int n) { return h == 0 ? 1.0 : 1.0 - std::abs(h - n) / double(h); }

}  // namespace

uint32_t FrameColour(const FrameSettings& s, int band, int i, int n, int x, int width, int height) {
    const double T = s.thickness;
    const bool horizontal = band == kTop || band == kBottom;
    const int side = horizontal ? width : height;
    // Top and bottom rings of the bevel and the stripes brighten from left to right.
    const double across = std::min(1.0, x / double(width - i) + 0.2);
    switch (s.style) {
    case 1:
        if (horizontal) return Scaled(s.main, across);
        if (band == kLeft) return Scaled(s.main, std::max(0.0, i / T - 0.2));
        return Scaled(s.main, std::min(1.3, (T - i) / T + 0.8));
    case 2:
        if (i % 2 == 1) return Scaled(s.secondary, Tent((side - 2 * i) / 2, n));
        if (horizontal) return Scaled(s.main, across);
        if (band == kLeft) return Scaled(s.main, i / T);
        return Scaled(s.main, (T - i) / T + 0.8);
    case 3: {
        const int d = (side - 2 * i) / 2;
        return Scaled(s.main, std::min(1.0, Tent(d, n) + 0.5));
    }
    default:
        return Scaled(s.main, i / T);
    }
}

namespace {

// Every frame pixel of a W x H area, band by band (top, bottom, left, right), ring by
// ring: put(x, layer row, colour).
template <class Put>
void WalkFrame(const FrameSettings& s, int W, int H, int canvasW, int canvasH, Put&& put) {
    const int T = std::clamp(s.thickness, 0, std::max(W, H));
    for (int i = 0; i < T; ++i)
        for (int x = i; x <= W - i - 1; ++x) put(x, i, FrameColour(s, kTop, i, x - i, x, canvasW, canvasH));
    for (int i = 0; i < T; ++i)
        for (int x = i; x <= W - i - 1; ++x) put(x, H - 1 - i, FrameColour(s, kBottom, i, x - i, x, canvasW, canvasH));
    for (int i = 0; i < T; ++i)
        for (int y = i; y <= H - i - 1; ++y) put(i, y, FrameColour(s, kLeft, i, y - i, i, canvasW, canvasH));
    for (int i = 0; i < T; ++i)
        for (int y = i; y <= H - i - 1; ++y)
            put(W - 1 - i, y, FrameColour(s, kRight, i, y - i, W - 1 - i, canvasW, canvasH));
}

}  // namespace

void PaintFrame(COrinDoc& doc, LayerRecord& layer, const FrameSettings& s) {
    const int W = std::min(doc.canvas.width, layer.width), H = std::min(doc.canvas.height, layer.height);
    WalkFrame(s, W, H, doc.canvas.width, doc.canvas.height, [&](int x, int y, uint32_t colour) {
        WriteLayerColour(doc, layer, x, y, colour);
        layer.alpha[size_t(y) * size_t(layer.width) + size_t(x)] = 255;
    });
}

std::vector<uint32_t> FrameSample(const FrameSettings& s, int width, int height, uint32_t inside) {
    std::vector<uint32_t> pixels(size_t(std::max(0, width)) * size_t(std::max(0, height)), inside);
    WalkFrame(s, width, height, width, height, [&](int x, int y, uint32_t colour) {
        pixels[size_t(height - 1 - y) * size_t(width) + size_t(x)] = colour;
    });
    return pixels;
}

int FindFrameLayer(const COrinDoc& doc) {
    for (int slot : doc.layers.Chain())
        if (doc.layers[slot].name == kFrameLayerName) return slot;
    return -1;
}

Status CheckFrame(const FrameSettings& s) {
    char text[96];
    if (s.thickness < kMinFrameThickness || s.thickness > kMaxFrameThickness) {
        std::snprintf(text, sizeof text, msg::kIntegerRange, kMinFrameThickness, kMaxFrameThickness);
        return Status::Fail(text);
    }
    if (s.style < 0 || s.style > 3) {
        std::snprintf(text, sizeof text, msg::kIntegerRange, 0, 3);
        return Status::Fail(text);
    }
    return Status::Ok();
}

FrameSession::FrameSession(COrinDoc& doc) : m_doc(doc) {
    m_start = doc.layers.current;
    SaveToStore(doc, doc.working2, m_start);
    SaveToStore(doc, doc.working, m_start);
    m_existing = FindFrameLayer(doc);
    if (m_existing >= 0) m_saved = doc.layers[m_existing];
}

Status FrameSession::Apply(const FrameSettings& s) {
    // The dialog's spin goes down to 5 only; an unchecked thickness is still bounded here.
    if (s.style < 0 || s.style > 3 || s.thickness < 1) return CheckFrame(s);
    if (!m_doc.CurrentLayer()) return Status::Ok();
    const OutlinePause pause(m_doc);
    int slot = FindFrameLayer(m_doc);
    if (slot < 0) {
        if (Status r = InsertLayerAbove(m_doc, NewLayerPlace{m_doc.canvas.width, m_doc.canvas.height}, slot); !r)
            return r;
        m_doc.layers[slot].name = kFrameLayerName;
    }
    SelectLayer(m_doc, slot);
    // Each application paints on a clear layer: a thinner frame leaves no rings of the
    // previous one behind.
    LayerRecord& layer = m_doc.layers[slot];
    std::fill(layer.alpha.begin(), layer.alpha.end(), uint8_t(0));
    PaintFrame(m_doc, layer, s);
    RefreshWorkingCopy(m_doc);
    MarkLayerChanged(m_doc);
    m_applied = true;
    return Status::Ok();
}

void FrameSession::Commit() {
    const int slot = FindFrameLayer(m_doc);
    if (m_applied && slot >= 0) RecordStep(m_doc, label::kPhotoFrame, kStepAdd, slot);
    m_applied = false;
}

void FrameSession::Cancel() {
    const int slot = FindFrameLayer(m_doc);
    if (slot >= 0 && m_applied) {
        if (m_existing < 0) {
            // Taking the frame away renames nothing: deleting a layer names the new
            // current one after its slot, which Cancel takes back.
            std::vector<NameChange>& names = m_doc.history.pendingNames;
            const size_t before = names.size();
            DeleteLayer(m_doc, slot, false, false);
            for (size_t i = names.size(); i-- > before;)
                if (IsValidSlot(names[i].slot)) m_doc.layers[names[i].slot].name = names[i].before;
            names.resize(std::min(names.size(), before));
        } else if (slot == m_existing) {
            LayerRecord& layer = m_doc.layers[slot];
            layer.pixels = m_saved.pixels;
            layer.alpha = m_saved.alpha;
            layer.aux = m_saved.aux;
            SaveToStore(m_doc, m_doc.working, slot);
        }
    }
    SelectLayer(m_doc, m_start);
    MarkLayerChanged(m_doc);
    m_applied = false;
}

Status InsertFrame(COrinDoc& doc, const FrameSettings& s) {
    if (Status c = CheckFrame(s); !c) return c;
    FrameSession session(doc);
    if (Status r = session.Apply(s); !r) return r;
    session.Commit();
    return Status::Ok();
}
