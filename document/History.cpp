#include "History.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "ByteStream.h"
#include "Compositor.h"
#include "Document.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "Utf16.h"

namespace {

std::string FormatName(const char* pattern, int a, int b = 0) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, a, b);
    return name;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
}

// Where a layer's buffers can be read back from: a step file (with the selection mask
// and text after the planes), the head file, or a copy in memory.
struct Snapshot {
    std::string file;
    int64_t offset = 0;
    bool withMaskAndText = false;  // the selection mask and the text follow the planes
    bool applyMask = false;        // the mask becomes the document's selection mask again
    int32_t maskWidth = 0, maskHeight = 0, maskX = 0, maskY = 0;
    const LayerRecord* record = nullptr;  // geometry; holds the buffers when `file` is empty
};

void AddLayerPlanes(StepStorage::Pieces& pieces, const LayerRecord& layer) {
    pieces.emplace_back(layer.pixels.data(), std::min(layer.pixels.size(), size_t(std::max(0, layer.pixelSize))));
    pieces.emplace_back(layer.alpha.data(), std::min(layer.alpha.size(), size_t(std::max(0, layer.planeSize))));
    pieces.emplace_back(layer.aux.data(), std::min(layer.aux.size(), size_t(std::max(0, layer.planeSize))));
}

// The layer's text as stored: text length x 2 bytes of UTF-16LE.
std::vector<uint8_t> TextBytes(const LayerRecord& layer) {
    std::vector<uint8_t> text(size_t(std::max(0, layer.textLength)) * 2, 0);
    for (size_t i = 0; i < layer.text.size() && 2 * i + 1 < text.size(); ++i) {
        text[2 * i] = uint8_t(layer.text[i]);
        text[2 * i + 1] = uint8_t(layer.text[i] >> 8);
    }
    return text;
}

bool WriteStepFile(const COrinDoc& doc, int position, const LayerRecord& layer) {
    StepStorage::Pieces pieces;
    AddLayerPlanes(pieces, layer);
    const SelectionMask& m = doc.selection;
    pieces.emplace_back(m.bytes.data(), std::min(m.bytes.size(), size_t(m.width) * size_t(m.height)));
    const std::vector<uint8_t> text = TextBytes(layer);
    pieces.emplace_back(text.data(), text.size());
    return doc.workspace.steps->Write(StepFilePath(doc, position), pieces);
}

// Writes the head file and remembers where each layer's planes start in it.
void WriteHeadFile(COrinDoc& doc) {
    History& h = doc.history;
    h.dropped.clear();
    h.head.clear();
    RefreshCanvasSizes(doc);
    StepStorage::Pieces pieces;
    uint8_t header[kCanvasHeaderBytes];
    SerializeCanvasHeader(doc.canvas, header);
    pieces.emplace_back(header, sizeof header);
    int64_t offset = int64_t(sizeof header);
    std::vector<uint8_t> pal(size_t(std::max(0, doc.canvas.paletteCount)) * 4, 0);
    for (size_t i = 0; i < doc.palette.size() && 4 * i + 3 < pal.size(); ++i) {
        pal[4 * i] = doc.palette[i].blue;
        pal[4 * i + 1] = doc.palette[i].green;
        pal[4 * i + 2] = doc.palette[i].red;
        pal[4 * i + 3] = doc.palette[i].reserved;
    }
    pieces.emplace_back(pal.data(), pal.size());
    offset += int64_t(pal.size());
    const std::vector<int> chain = doc.layers.Chain();
    std::vector<std::string> lines(chain.size());
    std::vector<std::array<uint8_t, kHeadRecordBytes>> records(chain.size());
    std::map<int, History::Stored> stored;
    for (size_t i = 0; i < chain.size(); ++i) {
        const LayerRecord& layer = doc.layers[chain[i]];
        char line[64];
        std::snprintf(line, sizeof line, "%d %d %d", int(kHeadRecordBytes), layer.pixelSize, layer.planeSize);
        lines[i] = line;
        SerializeLayerRecord(layer, records[i].data(), kHeadRecordBytes);
        pieces.emplace_back(reinterpret_cast<const uint8_t*>(lines[i].data()), lines[i].size());
        pieces.emplace_back(records[i].data(), kHeadRecordBytes);
        offset += int64_t(lines[i].size() + kHeadRecordBytes);
        History::Stored entry;
        entry.offset = offset;
        entry.record = LayerRecord(static_cast<const LayerFields&>(layer));
        stored[chain[i]] = std::move(entry);
        const size_t before = pieces.size();
        AddLayerPlanes(pieces, layer);
        for (size_t k = before; k < pieces.size(); ++k) offset += int64_t(pieces[k].second);
    }
    if (doc.workspace.steps->Write(HeadFilePath(doc), pieces)) h.head = std::move(stored);
}

}  // namespace

std::string StepFilePath(const COrinDoc& doc, int position) {
    return InFolder(doc.workspace.stepFolder, FormatName("%dud%d.tmp", doc.number, position));
}

std::string HeadFilePath(const COrinDoc& doc) {
    return InFolder(doc.workspace.stepFolder, FormatName("WrIniLrList_Head_%d.tmp", doc.number));
}

std::string DroppedFilePath(const COrinDoc& doc, int slot) {
    return InFolder(doc.workspace.stepFolder, FormatName("%dud%d.tmp", doc.number, History::kPositions + slot));
}

namespace {

const LayerRecord* AllLayerCopy(const std::vector<LayerCopy>& copies, int slot) {
    for (const LayerCopy& c : copies)
        if (c.slot == slot) return &c.record;
    return nullptr;
}

Snapshot StepSnapshot(const COrinDoc& doc, int position) {
    const HistoryEntry& e = doc.history.entries[size_t(position)];
    Snapshot s;
    s.file = StepFilePath(doc, position);
    s.withMaskAndText = true;
    s.applyMask = true;
    s.maskWidth = e.maskWidth;
    s.maskHeight = e.maskHeight;
    s.maskX = e.maskX;
    s.maskY = e.maskY;
    s.record = &e.layer;
    return s;
}

// The latest stored state of `slot` at or before `position`.
bool FindSnapshot(const COrinDoc& doc, int slot, int position, Snapshot& out) {
    const History& h = doc.history;
    auto fromEntry = [&](int k) {
        const HistoryEntry& e = h.entries[size_t(k)];
        if (!e.used) return false;
        if (e.code == kStepAllLayers && e.slot != slot) {
            if (const LayerRecord* copy = AllLayerCopy(e.after, slot)) {
                out = Snapshot{};
                out.record = copy;
                return true;
            }
            return false;
        }
        if (e.slot != slot) return false;
        out = StepSnapshot(doc, k);
        out.applyMask = false;  // the planes and the text, not that step's selection
        return true;
    };
    for (int k = position; k >= 2; --k)
        if (fromEntry(k)) return true;
    if (position >= 2) {
        auto it = h.dropped.find(slot);
        if (it != h.dropped.end()) {
            out = Snapshot{};
            out.file = DroppedFilePath(doc, slot);
            out.record = &it->second.record;
            out.withMaskAndText = it->second.maskWidth >= 0;
            out.maskWidth = std::max(0, it->second.maskWidth);
            out.maskHeight = it->second.maskHeight;
            return true;
        }
    }
    for (int k = std::min(position, 1); k >= 0; --k)
        if (fromEntry(k)) return true;
    auto it = h.head.find(slot);
    if (it == h.head.end()) return false;
    out = Snapshot{};
    out.file = HeadFilePath(doc);
    out.offset = it->second.offset;
    out.record = &it->second.record;
    return true;
}

// Brings a layer back from a snapshot: its geometry first, then its planes, and from
// a step file also the selection mask and the text. A file that cannot be read
// leaves the layer as it was.
// `whole`: the layer is re-created (its slot may have held another layer meanwhile),
// so every field of the stored record comes back, not only the geometry.
bool BringBack(COrinDoc& doc, int slot, const Snapshot& s, bool whole = false) {
    if (!IsValidSlot(slot) || !s.record) return false;
    const LayerRecord& g = *s.record;
    LayerRecord& layer = doc.layers[slot];
    std::vector<uint8_t> pixels, alpha, aux, mask;
    std::u16string text;
    const bool withText = s.file.empty() || s.withMaskAndText;
    if (s.file.empty()) {
        pixels = g.pixels;
        alpha = g.alpha;
        aux = g.aux;
        text = g.text;
    } else {
        std::unique_ptr<ByteStream> file = doc.workspace.steps->Read(s.file);
        if (!file || !file->Seek(s.offset, SEEK_SET)) return false;
        ByteStream& in = *file;
        // Everything the snapshot needs must be there before anything is read, and it is
        // read into fresh buffers: a short or failing file leaves the layer as it was.
        const int64_t maskBytes = s.withMaskAndText ? int64_t(s.maskWidth) * s.maskHeight : 0;
        const int64_t textBytes = s.withMaskAndText ? 2 * int64_t(std::max(0, g.textLength)) : 0;
        if (g.pixelSize < 0 || g.planeSize < 0 || s.maskWidth < 0 || s.maskHeight < 0 ||
            int64_t(g.pixelSize) + 2 * int64_t(g.planeSize) + maskBytes + textBytes > in.Remaining())
            return false;
        std::vector<uint8_t> raw;
        try {
            pixels.resize(size_t(g.pixelSize));
            alpha.resize(size_t(g.planeSize));
            aux.resize(size_t(g.planeSize));
            mask.resize(size_t(maskBytes));
            raw.resize(size_t(textBytes));
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!in.ReadExact(pixels.data(), pixels.size()) || !in.ReadExact(alpha.data(), alpha.size()) ||
            !in.ReadExact(aux.data(), aux.size()) || !in.ReadExact(mask.data(), mask.size()) ||
            !in.ReadExact(raw.data(), raw.size()))
            return false;
        for (size_t i = 0; i < raw.size(); i += 2) text.push_back(char16_t(raw[i] | (raw[i + 1] << 8)));
    }
    if (whole) {
        const int32_t inUse = layer.inUse;
        const int16_t below = layer.below, above = layer.above;
        static_cast<LayerFields&>(layer) = static_cast<const LayerFields&>(g);
        layer.inUse = inUse;
        layer.below = below;
        layer.above = above;
    }
    layer.x = g.x;
    layer.y = g.y;
    layer.width = g.width;
    layer.height = g.height;
    layer.stride = g.stride;
    layer.pixelSize = g.pixelSize;
    layer.planeSize = g.planeSize;
    layer.kind = g.kind;
    layer.transparency = g.transparency;
    layer.textLength = g.textLength;
    layer.style = g.style;
    layer.colour = g.colour;
    layer.effectOn = g.effectOn;
    layer.effectSize = g.effectSize;
    layer.extra = g.extra;
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.aux = std::move(aux);
    if (withText) layer.text = std::move(text);
    if (s.withMaskAndText && s.applyMask) {
        doc.selection.bytes = std::move(mask);
        doc.selection.width = s.maskWidth;
        doc.selection.height = s.maskHeight;
        doc.selection.x = s.maskX;
        doc.selection.y = s.maskY;
    }
    return true;
}

// Brings a slot back as it is at `entry`'s position. When the slot holds another layer
// in memory than it held then (it was reused), the whole record comes back too.
bool BringBackFor(COrinDoc& doc, int slot, const HistoryEntry& entry, const Snapshot& s) {
    if (!IsValidSlot(slot)) return false;
    History& h = doc.history;
    const bool whole = h.liveIds[size_t(slot)] != entry.ids[size_t(slot)];
    if (!BringBack(doc, slot, s, whole)) return false;
    h.liveIds[size_t(slot)] = entry.ids[size_t(slot)];
    return true;
}

void RestoreStack(COrinDoc& doc, const HistoryEntry& e) {
    doc.layers.bottom = e.bottom;
    for (int i = 0; i < kMaxLayers; ++i) {
        LayerRecord& r = doc.layers[i];
        r.below = e.below[size_t(i)];
        r.above = e.above[size_t(i)];
        r.inUse = e.inUse[size_t(i)];
    }
}

void RestoreCanvas(COrinDoc& doc, const HistoryEntry& e) {
    const std::u16string title = doc.canvas.title;
    doc.canvas = e.canvas;
    doc.canvas.title = title;
    doc.palette = e.palette;
    if (doc.mainImage) {
        // The transparency settings of the image object are part of a step; the rest of
        // its record describes its block, which the step does not hold.
        ImageInfo& info = doc.mainImage->Info();
        info.backgroundIndex = e.imageInfo.backgroundIndex;
        info.backgroundColour = e.imageInfo.backgroundColour;
        info.maxOpacity = e.imageInfo.maxOpacity;
        info.alphaPalette = e.imageInfo.alphaPalette;
    }
}

void RestoreAllLayers(COrinDoc& doc, const std::vector<LayerCopy>& copies) {
    for (const LayerCopy& c : copies) {
        Snapshot s;
        s.record = &c.record;
        BringBack(doc, c.slot, s);
    }
}

std::vector<LayerCopy> CopyAllLayers(const COrinDoc& doc) {
    std::vector<LayerCopy> copies;
    for (int i = 0; i < kMaxLayers; ++i)
        if (doc.layers[i].inUse) copies.push_back({i, doc.layers[i]});
    return copies;
}

void FillEntry(COrinDoc& doc, HistoryEntry& e, int slot) {
    const LayerRecord& layer = doc.layers[slot];
    e.layer = LayerRecord(static_cast<const LayerFields&>(layer));
    e.canvas = doc.canvas;
    e.palette = doc.palette;
    if (doc.mainImage) {
        e.imageInfo = doc.mainImage->Info();
        e.imageHeader = doc.mainImage->Header();
    }
    const SelectionMask& m = doc.selection;
    e.selectionShown = m.shown;
    std::copy(std::begin(m.rect), std::end(m.rect), e.selectionRect);
    e.selectionState = m.state;
    e.maskWidth = m.width;
    e.maskHeight = m.height;
    e.maskX = m.x;
    e.maskY = m.y;
    e.displayState.fill(0);
    std::memcpy(&e.displayState[0], &doc.view.zoom, sizeof(float));
    e.displayState[1] = doc.view.stretch;
    e.displayState[2] = doc.view.scrollV;
    e.displayState[3] = doc.view.scrollH;
    e.bottom = doc.layers.bottom;
    for (int i = 0; i < kMaxLayers; ++i) {
        const LayerRecord& r = doc.layers[i];
        e.below[size_t(i)] = r.below;
        e.above[size_t(i)] = r.above;
        e.inUse[size_t(i)] = r.inUse;
        e.xs[size_t(i)] = r.x;
        e.ys[size_t(i)] = r.y;
    }
}

void ShiftHistory(COrinDoc& doc) {
    History& h = doc.history;
    HistoryEntry& oldest = h.entries[2];
    // The dropped step's layers stay available as the latest known state of each.
    StepStorage& steps = *doc.workspace.steps;
    if (oldest.used && oldest.code == kStepAllLayers) {
        for (const LayerCopy& c : oldest.after) {
            StepStorage::Pieces pieces;
            AddLayerPlanes(pieces, c.record);
            const std::vector<uint8_t> text = TextBytes(c.record);  // after an empty mask
            pieces.emplace_back(text.data(), text.size());
            if (steps.Write(DroppedFilePath(doc, c.slot), pieces))
                h.dropped[c.slot] = History::Stored{LayerRecord(static_cast<const LayerFields&>(c.record)), 0, 0, 0};
        }
        steps.Remove(StepFilePath(doc, 2));
    } else if (oldest.used && IsValidSlot(oldest.slot)) {
        if (steps.Rename(StepFilePath(doc, 2), DroppedFilePath(doc, oldest.slot)))
            h.dropped[oldest.slot] = History::Stored{oldest.layer, 0, oldest.maskWidth, oldest.maskHeight};
    }
    for (int n = 3; n < History::kPositions; ++n) {
        h.entries[size_t(n - 1)] = std::move(h.entries[size_t(n)]);
        steps.Rename(StepFilePath(doc, n), StepFilePath(doc, n - 1));
    }
    h.entries[History::kPositions - 1] = HistoryEntry{};
    h.position = History::kPositions - 1;
}

std::u16string PadLeft(const std::u16string& text, size_t width) {
    return text.size() >= width ? text : std::u16string(width - text.size(), u' ') + text;
}

}  // namespace

void BeginAllLayerChange(COrinDoc& doc) { doc.history.pendingBefore = CopyAllLayers(doc); }

void AbandonAllLayerChange(COrinDoc& doc) {
    History& h = doc.history;
    for (LayerCopy& c : h.pendingBefore) doc.layers[c.slot] = std::move(c.record);
    h.pendingBefore.clear();
}

void RenameForStep(COrinDoc& doc, int slot, const std::u16string& name) {
    if (!IsValidSlot(slot)) return;
    LayerRecord& r = doc.layers[slot];
    doc.history.pendingNames.push_back({slot, r.name, name});
    r.name = name;
}

void RecordStep(COrinDoc& doc, const std::string& labelText, int code, int slot) {
    History& h = doc.history;
    h.saved.clear();
    doc.redoTitle = false;
    if (labelText == label::kOpening || labelText == label::kInitialState) h.position = -1;
    doc.busy = true;
    if (slot == -1) slot = doc.layers.current;
    if (!IsValidSlot(slot)) {
        doc.busy = false;
        return;
    }
    if (doc.layers[slot].effectOn == 1) RenderLayerEffect(doc, slot);
    const bool starting = h.position == -1;
    ++h.position;
    if (starting) WriteHeadFile(doc);
    if (h.position > 0) doc.changed = true;
    if (h.position >= History::kPositions) ShiftHistory(doc);
    h.top = h.position;
    HistoryEntry& e = h.entries[size_t(h.position)];
    e = HistoryEntry{};
    e.used = true;
    e.label = Utf8ToUtf16(labelText).substr(0, 100);
    e.slot = slot;
    e.code = code;
    if (code == kStepAllLayers) {
        e.after = CopyAllLayers(doc);
        e.before = std::move(h.pendingBefore);
        e.valueA = doc.workspace.newWidth;
        e.valueB = doc.workspace.newHeight;
    }
    h.pendingBefore.clear();
    e.names = std::move(h.pendingNames);
    h.pendingNames.clear();
    // A file left at this position by an undone step must not stand in for this one.
    if (WriteStepFile(doc, h.position, doc.layers[slot])) {
        doc.workspace.stepNotKeptSaid = false;
    } else {
        doc.workspace.steps->Remove(StepFilePath(doc, h.position));
        if (!doc.workspace.stepNotKeptSaid) doc.workspace.Message(msg::kStepNotKept);
        doc.workspace.stepNotKeptSaid = true;
    }
    FillEntry(doc, e, slot);
    const HistoryEntry* previous = h.position > 0 ? &h.entries[size_t(h.position - 1)] : nullptr;
    for (size_t i = 0; i < size_t(kMaxLayers); ++i)
        if (e.inUse[i] && (!previous || !previous->inUse[i])) h.liveIds[i] = ++h.nextId;
    e.ids = h.liveIds;
    if (code == kStepDelete) doc.layers[slot].FreeBuffers();
    doc.composite.dirty = true;
    doc.busy = false;
}

bool RestoreRecordedLayer(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse || doc.history.position < 0) return false;
    Snapshot s;
    if (auto it = doc.history.saved.find(slot); it != doc.history.saved.end()) s.record = &it->second;
    else if (!FindSnapshot(doc, slot, doc.history.position, s)) return false;
    LayerRecord& layer = doc.layers[slot];
    const int32_t x = layer.x, y = layer.y, visible = layer.visible;
    const uint8_t transparency = layer.transparency;
    if (!BringBack(doc, slot, s)) return false;
    layer.x = x;
    layer.y = y;
    layer.visible = visible;
    layer.transparency = transparency;
    return true;
}

void SaveRecordedLayer(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return;
    doc.history.saved[slot] = doc.layers[slot];
}

bool CanUndo(const COrinDoc& doc) { return doc.history.position > 0; }
bool CanRedo(const COrinDoc& doc) { return doc.history.top >= doc.history.position + 1 && doc.history.position >= 0; }

bool Undo(COrinDoc& doc) {
    History& h = doc.history;
    doc.redoTitle = false;
    if (h.position - 1 < 0) {
        if (h.position < 0) return false;
        h.position = 0;
        return false;
    }
    const int left = h.position;
    const int now = left - 1;
    h.position = now;
    h.saved.clear();
    doc.busy = true;
    doc.view.timerRunning = false;
    h.pendingNames.clear();
    const HistoryEntry& leaving = h.entries[size_t(left)];
    const HistoryEntry& target = h.entries[size_t(now)];

    switch (leaving.code) {
    case kStepPaste:
    case kStepText:
        if (IsValidSlot(leaving.slot) && doc.layers[leaving.slot].inUse) {
            const int kind = doc.layers[leaving.slot].kind;
            if (doc.layers.Count() <= 1 || kind == kLayerMeasure ||
                (kind == kLayerBackdrop && !doc.workspace.Ask(msg::kBackdropDelete))) {
                h.position = left;  // the layer stays: so does the position
                doc.busy = false;
                return false;
            }
        }
        RestoreStack(doc, target);
        break;
    case kStepDelete:
    case kStepAdd:
    case kStepMove:
    case kStepFlatten:
    case kStepMerge:
        RestoreStack(doc, target);
        break;
    case kStepAllLayers:
        RestoreAllLayers(doc, leaving.before);
        break;
    default:
        break;
    }
    RestoreCanvas(doc, target);
    SelectLayer(doc, target.slot);
    if (!doc.layers.IsCurrentValid()) {
        // The step returned to deleted its layer: as after that delete, the layer that
        // was above it (else the one below, else the top) is current.
        if (IsValidSlot(target.slot)) {
            SelectLayer(doc, target.above[size_t(target.slot)]);
            if (!doc.layers.IsCurrentValid()) SelectLayer(doc, target.below[size_t(target.slot)]);
        }
        if (!doc.layers.IsCurrentValid()) SelectLayer(doc, doc.layers.Top());
    }

    // Layers that the step being left took out of the stack (a deleted layer, the upper
    // layer of a merge) come back with their planes; a deleted layer from its own step
    // file. Their slots may have been reused since: then the whole record comes back.
    std::array<bool, kMaxLayers> back{};
    for (int i = 0; i < kMaxLayers; ++i) {
        if (!target.inUse[size_t(i)] || leaving.inUse[size_t(i)] || !doc.layers[i].inUse) continue;
        Snapshot s;
        if (leaving.code == kStepDelete && i == leaving.slot) {
            s = StepSnapshot(doc, left);
            s.applyMask = false;
        } else if (!FindSnapshot(doc, i, now, s)) {
            continue;
        }
        back[size_t(i)] = BringBackFor(doc, i, target, s);
    }
    // The layer that the step being left concerned comes back as it was at the new position.
    const int other = leaving.slot;
    if (IsValidSlot(other) && other != target.slot && doc.layers[other].inUse && !back[size_t(other)]) {
        Snapshot s;
        if (FindSnapshot(doc, other, now, s)) BringBackFor(doc, other, target, s);
    }
    if (IsValidSlot(target.slot) && doc.layers[target.slot].inUse) {
        Snapshot s = StepSnapshot(doc, now);
        if (!BringBackFor(doc, target.slot, target, s) && target.code == kStepAllLayers)
            RestoreAllLayers(doc, target.after);
    }
    for (auto it = leaving.names.rbegin(); it != leaving.names.rend(); ++it)
        if (IsValidSlot(it->slot) && doc.layers[it->slot].inUse) doc.layers[it->slot].name = it->before;
    doc.composite.dirty = true;
    doc.view.rebuild = true;
    if (doc.selection.shown) doc.view.timerRunning = true;
    doc.busy = false;
    return true;
}

bool Redo(COrinDoc& doc) {
    History& h = doc.history;
    if (h.top < h.position + 1 || h.position < 0) return false;
    const int old = h.position;
    h.position = old + 1;
    h.saved.clear();
    if (old > 10) return false;
    const int now = h.position;
    doc.busy = true;
    doc.view.timerRunning = false;
    h.pendingNames.clear();
    const HistoryEntry& e = h.entries[size_t(now)];
    switch (e.code) {
    case kStepDelete:
    case kStepAdd:
    case kStepPaste:
    case kStepText:
    case kStepMove:
    case kStepFlatten:
    case kStepMerge:
        RestoreStack(doc, e);
        break;
    case kStepAllLayers:
        RestoreAllLayers(doc, e.after);
        doc.workspace.newWidth = e.valueA;
        doc.workspace.newHeight = e.valueB;
        break;
    default:
        break;
    }
    RestoreCanvas(doc, e);
    if (e.code != kStepDelete) SelectLayer(doc, e.slot);
    else if (!doc.layers.IsCurrentValid()) SelectLayer(doc, doc.layers.Top());
    for (int i = 0; i < kMaxLayers; ++i) {
        doc.layers[i].x = e.xs[size_t(i)];
        doc.layers[i].y = e.ys[size_t(i)];
    }
    // Layers that this step puts (back) into the stack come back with their planes; their
    // slots may hold other layers since an undo brought those back.
    const HistoryEntry& previous = h.entries[size_t(now - 1)];
    for (int i = 0; i < kMaxLayers; ++i) {
        if (i == e.slot || !e.inUse[size_t(i)] || previous.inUse[size_t(i)] || !doc.layers[i].inUse) continue;
        Snapshot s;
        if (FindSnapshot(doc, i, now, s)) BringBackFor(doc, i, e, s);
    }
    if (e.code != kStepDelete && IsValidSlot(e.slot)) BringBackFor(doc, e.slot, e, StepSnapshot(doc, now));
    if (e.code == kStepDelete && IsValidSlot(e.slot)) doc.layers[e.slot].FreeBuffers();
    for (const NameChange& n : e.names)
        if (IsValidSlot(n.slot) && doc.layers[n.slot].inUse) doc.layers[n.slot].name = n.after;
    doc.SetTitle(RedoTitleText(doc));
    doc.redoTitle = true;
    doc.composite.dirty = true;
    doc.view.rebuild = true;
    if (doc.selection.shown) doc.view.timerRunning = true;
    doc.busy = false;
    return true;
}

std::vector<std::string> HistoryRows(const COrinDoc& doc) {
    const History& h = doc.history;
    if (h.position < 0) return {"   0  (처음상태)"};
    std::vector<std::string> rows;
    for (int k = h.position; k >= 0; --k) {
        const HistoryEntry& e = h.entries[size_t(k)];
        char number[16];
        std::snprintf(number, sizeof number, "%3d ", k);
        std::u16string colours;
        if (e.canvas.paletteCount != 0) colours = Utf8ToUtf16(std::to_string(e.canvas.paletteCount) + " 칼라");
        const std::u16string shown = Utf16ToUtf8(e.label) == label::kOpening ? Utf8ToUtf16("(처음영상)") : e.label;
        rows.push_back(number + Utf16ToUtf8(PadLeft(colours, 4) + u" " + PadLeft(shown, 13)));
    }
    return rows;
}

std::string RedoTitleText(const COrinDoc& doc) {
    const History& h = doc.history;
    char head[64];
    std::snprintf(head, sizeof head, "REDO : 언두리스트(Top %d)", h.position);
    std::string text = head;
    for (int i = 0; i <= h.position && i < History::kPositions; ++i) {
        char item[16];
        std::snprintf(item, sizeof item, " (%d) ", i);
        text += item + Utf16ToUtf8(h.entries[size_t(i)].label);
    }
    return text;
}

void SweepStepFiles(const std::string& folder) {
    std::error_code ec;
    for (int d = 100; d <= 998; ++d) {
        std::filesystem::remove(InFolder(folder, FormatName("WrIniLrList_Head_%d.tmp", d)), ec);
        for (int e = 0; e < History::kPositions + kMaxLayers; ++e)
            std::filesystem::remove(InFolder(folder, FormatName("%dud%d.tmp", d, e)), ec);
    }
}

void RemoveStepFiles(const COrinDoc& doc) {
    StepStorage& steps = *doc.workspace.steps;
    steps.Remove(HeadFilePath(doc));
    for (int e = 0; e < History::kPositions; ++e) steps.Remove(StepFilePath(doc, e));
    for (int s = 0; s < kMaxLayers; ++s) steps.Remove(DroppedFilePath(doc, s));
}
