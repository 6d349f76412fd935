#include "Document.h"

#include <algorithm>
#include <cstdio>

#include "LayerModel.h"

std::vector<int> LayerStack::Chain(int start) const {
    std::vector<int> chain;
    int slot = start < 0 ? bottom : start;
    while (IsValidSlot(slot) && chain.size() < size_t(kMaxLayers)) {
        chain.push_back(slot);
        slot = slots[size_t(slot)].above;
    }
    return chain;
}

int LayerStack::Count() const {
    int n = 0;
    for (const LayerRecord& r : slots) n += r.inUse ? 1 : 0;
    return n;
}

int LayerStack::FirstOfKind(int kind) const {
    for (int slot : Chain())
        if (slots[size_t(slot)].kind == kind) return slot;
    return -1;
}

int LayerStack::Top() const {
    const std::vector<int> chain = Chain();
    return chain.empty() ? -1 : chain.back();
}

int LayerStack::FirstFree() const {
    for (int i = 0; i < kMaxLayers; ++i)
        if (!slots[size_t(i)].inUse) return i;
    return -1;
}

void LayerStore::Clear() {
    for (Entry& e : entries) e = Entry{};
}

COrinDoc::COrinDoc(Workspace& ws) : workspace(ws), mainImage(std::make_unique<CImageBuffer>(kFormatBmp)) {}

COrinDoc::~COrinDoc() = default;

void DocumentHost::NewDocument(std::unique_ptr<COrinDoc>) {}

void Workspace::NewDocument(std::unique_ptr<COrinDoc> doc) const {
    if (host) host->NewDocument(std::move(doc));
}

void COrinDoc::TouchLayer(int slot, int x0, int y0, int x1, int y1) {
    if (!IsValidSlot(slot) || x0 >= x1 || y0 >= y1) {
        if (x0 < x1 && y0 < y1) Touch();
        return;
    }
    const LayerRecord& layer = layers[slot];
    Damage d{++revision, slot, x0 + layer.x, y0 - layer.y, x1 + layer.x, y1 - layer.y};
    if (!damage.empty() && damage.back().slot == slot && !damage.back().whole) {
        // A pixel or dab next to the last change of the same layer joins it while the two
        // stay small (its revision becomes the newest, so a view that saw the older part
        // composes the union again: the bound keeps that cheap).
        Damage& last = damage.back();
        const auto area = [](const Damage& a) { return int64_t(a.x1 - a.x0) * int64_t(a.y1 - a.y0); };
        Damage joined{d.revision, slot, std::min(last.x0, d.x0), std::min(last.y0, d.y0), std::max(last.x1, d.x1),
                      std::max(last.y1, d.y1)};
        if (area(joined) <= 2 * (area(last) + area(d)) && area(joined) <= 128 * 128) {
            last = joined;
            return;
        }
    }
    KeepDamage(d);
}

void COrinDoc::TouchLayer(int slot) {
    if (!IsValidSlot(slot) || !layers[slot].inUse) {
        Touch();
        return;
    }
    // The whole canvas: the layer's shadow may fall outside its own rectangle.
    KeepDamage(Damage{++revision, slot, 0, 0, canvas.width, canvas.height, true});
}

void COrinDoc::KeepDamage(const Damage& d) {
    damage.push_back(d);
    constexpr size_t kKeptDamage = 64;
    if (damage.size() > kKeptDamage) {
        damageFloor = damage.front().revision;
        damage.erase(damage.begin());
    }
}

int COrinDoc::CanvasStride() const { return RowStride(canvas.width, canvas.bpp); }

const std::string& COrinDoc::SetTitle(const std::string& text, float zoom) {
    titlePercent = int(zoom * 100);
    return SetTitle(text);
}

const std::string& COrinDoc::SetTitle(const std::string& text) {
    char head[64];
    std::snprintf(head, sizeof head, " %d %s ", titlePercent, "%");
    titleText = fileName + head + text;
    return titleText;
}
