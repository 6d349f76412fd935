#include "History.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "ByteStream.h"
#include "Compositor.h"
#include "Document.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "OutlinePause.h"
#include "StepFiles.h"
#include "Utf16.h"

namespace {

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

// Copies of the layers in use, all but `skip`.
std::vector<LayerCopy> CopyAllLayers(const COrinDoc& doc, int skip = -1) {
    std::vector<LayerCopy> copies;
    for (int i = 0; i < kMaxLayers; ++i)
        if (doc.layers[i].inUse && i != skip) copies.push_back({i, doc.layers[i]});
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

// Drops the oldest movable step; false when a dropped layer's file could not be written.
bool ShiftHistory(COrinDoc& doc) {
    bool ok = true;
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
            // Recorded even when the file is missing: undo then says it cannot go back,
            // instead of bringing back an older state.
            ok = steps.Write(DroppedFilePath(doc, c.slot), pieces) && ok;
            h.dropped[c.slot] = History::Stored{LayerRecord(static_cast<const LayerFields&>(c.record)), 0, 0, 0};
        }
    }
    if (oldest.used && IsValidSlot(oldest.slot)) {
        // The concerned layer's state is in the step's own file (for an all-layer step
        // too). A step whose file was never written leaves no older file in its place.
        if (!steps.Rename(StepFilePath(doc, 2), DroppedFilePath(doc, oldest.slot)))
            steps.Remove(DroppedFilePath(doc, oldest.slot));
        h.dropped[oldest.slot] = History::Stored{oldest.layer, 0, oldest.maskWidth, oldest.maskHeight};
    }
    for (int n = 3; n < History::kPositions; ++n) {
        h.entries[size_t(n - 1)] = std::move(h.entries[size_t(n)]);
        if (!steps.Rename(StepFilePath(doc, n), StepFilePath(doc, n - 1))) steps.Remove(StepFilePath(doc, n - 1));
    }
    h.entries[History::kPositions - 1] = HistoryEntry{};
    h.position = History::kPositions - 1;
    return ok;
}

// Tells the user that undo information was lost (a step, head or dropped-step file
// could not be written): once, and again only after a step was kept in between.
void ReportStepFailures(COrinDoc& doc, bool failed) {
    if (!doc.history.reportFailures) return;
    Workspace& w = doc.workspace;
    if (failed && !w.stepNotKeptSaid) w.Message(msg::kStepNotKept);
    w.stepNotKeptSaid = failed;
}

// Steps after which undo and redo put the stack (which slots are used, in what order)
// back as the history recorded it.
bool ChangesStack(int code) {
    switch (code) {
    case kStepDelete:
    case kStepAdd:
    case kStepPaste:
    case kStepText:
    case kStepMove:
    case kStepFlatten:
    case kStepMerge: return true;
    default: return false;
    }
}

// A layer that an undo or redo brings back from a stored snapshot.
struct Restore {
    int slot = -1;
    Snapshot s;
};

// The layers that undoing the step at `left` brings back from snapshots, in order:
// those the step took out of the stack (a deleted layer from its own step file), then
// the layer it concerned. `present`: the slots in use once the stack is restored.
std::vector<Restore> UndoPlan(const COrinDoc& doc, int left, const std::array<bool, kMaxLayers>& present) {
    const History& h = doc.history;
    const int now = left - 1;
    const HistoryEntry& leaving = h.entries[size_t(left)];
    const HistoryEntry& target = h.entries[size_t(now)];
    std::vector<Restore> plan;
    std::array<bool, kMaxLayers> back{};
    for (int i = 0; i < kMaxLayers; ++i) {
        if (!target.inUse[size_t(i)] || leaving.inUse[size_t(i)] || !present[size_t(i)]) continue;
        Snapshot s;
        if (leaving.code == kStepDelete && i == leaving.slot) {
            s = StepSnapshot(doc, left);
            s.applyMask = false;
        } else if (!FindSnapshot(doc, i, now, s)) {
            continue;
        }
        plan.push_back({i, s});
        back[size_t(i)] = true;
    }
    const int other = leaving.slot;
    if (IsValidSlot(other) && other != target.slot && present[size_t(other)] && !back[size_t(other)]) {
        Snapshot s;
        if (FindSnapshot(doc, other, now, s)) plan.push_back({other, s});
    }
    return plan;
}

bool AllReadable(const COrinDoc& doc, const std::vector<Restore>& plan) {
    for (const Restore& r : plan)
        if (!Readable(doc, r.s)) return false;
    return true;
}

}  // namespace

void BeginAllLayerChange(COrinDoc& doc) { doc.history.pendingBefore = CopyAllLayers(doc); }

const LayerRecord* PendingBeforeOf(const COrinDoc& doc, int slot) {
    for (const LayerCopy& c : doc.history.pendingBefore)
        if (c.slot == slot) return &c.record;
    return nullptr;
}

void AbandonAllLayerChange(COrinDoc& doc) {
    History& h = doc.history;
    for (LayerCopy& c : h.pendingBefore) doc.layers[c.slot] = std::move(c.record);
    h.pendingBefore.clear();
    h.untouchedSlot = -1;
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
    bool failed = starting && !WriteHeadFile(doc);
    if (h.position > 0) doc.changed = true;
    if (h.position >= History::kPositions) failed = !ShiftHistory(doc) || failed;
    h.top = h.position;
    HistoryEntry& e = h.entries[size_t(h.position)];
    e = HistoryEntry{};
    e.used = true;
    e.label = Utf8ToUtf16(labelText).substr(0, 100);
    e.slot = slot;
    e.code = code;
    if (code == kStepAllLayers) {
        // The concerned layer's state goes to the step file as for any step; only the
        // other layers are copied into `after` (a one-layer picture holds no second copy
        // of its layer in memory).
        e.after = CopyAllLayers(doc, slot);
        e.before = std::move(h.pendingBefore);
        e.valueA = doc.workspace.newWidth;
        e.valueB = doc.workspace.newHeight;
    }
    h.pendingBefore.clear();
    h.untouchedSlot = -1;
    e.names = std::move(h.pendingNames);
    h.pendingNames.clear();
    // A file left at this position by an undone step must not stand in for this one.
    if (!WriteStepFile(doc, h.position, doc.layers[slot])) {
        doc.workspace.steps->Remove(StepFilePath(doc, h.position));
        failed = true;
    }
    FillEntry(doc, e, slot);
    const HistoryEntry* previous = h.position > 0 ? &h.entries[size_t(h.position - 1)] : nullptr;
    for (size_t i = 0; i < size_t(kMaxLayers); ++i)
        if (e.inUse[i] && (!previous || !previous->inUse[i])) h.liveIds[i] = ++h.nextId;
    e.ids = h.liveIds;
    if (code == kStepDelete) doc.layers[slot].FreeBuffers();
    // A step of one layer's pixels changed that layer only (its shadow drawn again with
    // it); the others may have changed the stack.
    if (code == kStepPixels) doc.TouchLayer(slot);
    else doc.Touch();
    doc.busy = false;
    ReportStepFailures(doc, failed);
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

void KeepLayerPlace(COrinDoc& doc, int slot) {
    History& h = doc.history;
    if (!IsValidSlot(slot) || h.position < 0 || h.position >= History::kPositions) return;
    HistoryEntry& e = h.entries[size_t(h.position)];
    const LayerRecord& layer = doc.layers[slot];
    e.xs[size_t(slot)] = layer.x;
    e.ys[size_t(slot)] = layer.y;
    if (e.slot == slot) {
        e.layer.x = layer.x;
        e.layer.y = layer.y;
    }
}

void SaveRecordedLayer(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return;
    doc.history.saved[slot] = doc.layers[slot];
}

bool CanUndo(const COrinDoc& doc) { return doc.history.position > 0; }
bool CanRedo(const COrinDoc& doc) { return doc.history.top >= doc.history.position + 1 && doc.history.position >= 0; }

UndoResult Undo(COrinDoc& doc, bool confirmed) {
    History& h = doc.history;
    h.unreadable = false;
    doc.redoTitle = false;
    if (h.position - 1 < 0) {
        if (h.position < 0) return {};
        h.position = 0;
        return {};
    }
    const int left = h.position;
    const int now = left - 1;
    const HistoryEntry& leaving = h.entries[size_t(left)];
    const HistoryEntry& target = h.entries[size_t(now)];
    // Every snapshot is read before anything changes: a step file that could not be
    // written (disk full) stops the undo with a message, the picture as it is.
    std::array<bool, kMaxLayers> present{};
    for (int i = 0; i < kMaxLayers; ++i)
        present[size_t(i)] = ChangesStack(leaving.code) ? target.inUse[size_t(i)] != 0 : doc.layers[i].inUse != 0;
    const std::vector<Restore> plan = UndoPlan(doc, left, present);
    if (!doc.workspace.steps->KeepsNothing()) {
        const bool targetReadable = !IsValidSlot(target.slot) || !present[size_t(target.slot)] ||
                                    Readable(doc, StepSnapshot(doc, now));
        if (!targetReadable || !AllReadable(doc, plan)) {
            h.unreadable = true;
            return {};
        }
    }
    h.position = now;
    h.saved.clear();
    doc.busy = true;
    const OutlinePause pause(doc);
    h.pendingNames.clear();

    switch (leaving.code) {
    case kStepPaste:
    case kStepText:
        if (IsValidSlot(leaving.slot) && doc.layers[leaving.slot].inUse) {
            const int kind = doc.layers[leaving.slot].kind;
            const bool ask = kind == kLayerBackdrop && !confirmed;
            if (doc.layers.Count() <= 1 || kind == kLayerMeasure || ask) {
                h.position = left;  // the layer stays: so does the position
                doc.busy = false;
                UndoResult refused;
                refused.needsConfirmation = ask && doc.layers.Count() > 1;
                return refused;
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
    // layer of a merge) come back with their planes, then the layer it concerned as it
    // was at the new position. Their slots may have been reused since: then the whole
    // record comes back.
    for (const Restore& r : plan) BringBackFor(doc, r.slot, target, r.s);
    if (IsValidSlot(target.slot) && doc.layers[target.slot].inUse) {
        Snapshot s = StepSnapshot(doc, now);
        if (!BringBackFor(doc, target.slot, target, s) && target.code == kStepAllLayers)
            RestoreAllLayers(doc, target.after);
    }
    for (auto it = leaving.names.rbegin(); it != leaving.names.rend(); ++it)
        if (IsValidSlot(it->slot) && doc.layers[it->slot].inUse) doc.layers[it->slot].name = it->before;
    doc.Touch();
    doc.busy = false;
    UndoResult done;
    done.undone = true;
    return done;
}

bool Redo(COrinDoc& doc) {
    History& h = doc.history;
    h.unreadable = false;
    if (h.top < h.position + 1 || h.position < 0) return false;
    const int old = h.position;
    if (old <= 10 && !doc.workspace.steps->KeepsNothing()) {
        // As for undo: every snapshot is read before anything changes.
        const HistoryEntry& e = h.entries[size_t(old + 1)];
        const HistoryEntry& previous = h.entries[size_t(old)];
        const bool restack = ChangesStack(e.code);
        std::vector<Restore> plan;
        for (int i = 0; i < kMaxLayers; ++i) {
            const bool present = restack ? e.inUse[size_t(i)] != 0 : doc.layers[i].inUse != 0;
            Snapshot s;
            if (i != e.slot && e.inUse[size_t(i)] && !previous.inUse[size_t(i)] && present &&
                FindSnapshot(doc, i, old + 1, s))
                plan.push_back({i, s});
        }
        if (e.code != kStepDelete && IsValidSlot(e.slot))
            plan.push_back({e.slot, StepSnapshot(doc, old + 1)});
        if (!AllReadable(doc, plan)) {
            h.unreadable = true;
            return false;
        }
    }
    h.position = old + 1;
    h.saved.clear();
    if (old > 10) return false;
    const int now = h.position;
    doc.busy = true;
    const OutlinePause pause(doc);
    h.pendingNames.clear();
    const HistoryEntry& e = h.entries[size_t(now)];
    if (ChangesStack(e.code)) {
        RestoreStack(doc, e);
    } else if (e.code == kStepAllLayers) {
        RestoreAllLayers(doc, e.after);
        doc.workspace.newWidth = e.valueA;
        doc.workspace.newHeight = e.valueB;
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
    doc.Touch();
    doc.busy = false;
    return true;
}

bool CanRestoreLayers(const COrinDoc& doc) {
    const History& h = doc.history;
    if (h.position < 0 || doc.workspace.steps->KeepsNothing()) return true;
    for (int slot : doc.layers.Chain()) {
        Snapshot s;
        if (FindSnapshot(doc, slot, h.position, s) && !Readable(doc, s)) return false;
    }
    return true;
}
