#include "Document.h"

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

int COrinDoc::CanvasStride() const { return RowStride(canvas.width, canvas.bpp); }

const std::string& COrinDoc::SetTitle(const std::string& text) {
    char head[64];
    std::snprintf(head, sizeof head, " %d %s ", int(view.zoom * 100), "%");
    titleText = fileName + head + text;
    return titleText;
}
