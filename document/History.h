// The step list: every changing command records a step after the change (label,
// operation code, layer). The concerned layer's buffers go to a step file (StepFiles.h)
// in the workspace's step folder; the geometry of all layers stays in memory. At most
// 12 positions; positions 0 and 1 never move, older steps from position 2 on are
// dropped first. The panel's texts are in HistoryTexts.h.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "HistoryTexts.h"
#include "ImageBuffer.h"
#include "Layer.h"
#include "StepFiles.h"

class COrinDoc;

enum HistoryCode : int {
    kStepPixels = 0,     // one layer's pixels changed
    kStepDelete = 1,     // a layer was deleted
    kStepAdd = 2,        // a layer was added
    kStepPaste = 3,      // a layer was made by pasting
    kStepText = 4,       // a vector text layer was made
    kStepMove = 5,       // a layer moved within the stack
    kStepAllLayers = 6,  // every layer changed
    kStepFlatten = 7,
    kStepMerge = 8,
};

namespace label {
inline constexpr const char* kOpening = "Opening....";
inline constexpr const char* kInitialState = "initial state";
inline constexpr const char* kAddLayer = "레이어추가";
inline constexpr const char* kDeleteLayer = "레이어삭제";
inline constexpr const char* kMoveLayer = "레이어 위치 이동";
inline constexpr const char* kFlatten = "떡그림";
inline constexpr const char* kMerge = "레이어병합";
inline constexpr const char* kPaste = "붙이기";
inline constexpr const char* kCut = "자르기";
inline constexpr const char* kLayerEffect = "레이어효과(그림자)";
}  // namespace label

// A layer's buffers and record as they were at some position.
struct LayerCopy {
    int slot = -1;
    LayerRecord record;  // with its pixels, alpha and auxiliary planes
};

// A layer renamed as a side effect of a step (a delete renames the layer that
// becomes current): undoing the step gives the old name back, redoing it the new one.
struct NameChange {
    int slot = -1;
    std::u16string before, after;
};

struct HistoryEntry {
    bool used = false;
    std::u16string label;        // first 100 characters
    int slot = -1;
    int code = kStepPixels;
    LayerRecord layer;           // record of the concerned layer after the change, without buffers
    CanvasHeader canvas;
    std::vector<RgbQuad> palette;
    ImageInfo imageInfo;
    DibHeader imageHeader;
    bool selectionShown = false;
    int32_t selectionRect[4] = {0, 0, 0, 0};
    int32_t selectionState = 0;
    int32_t maskWidth = 0, maskHeight = 0, maskX = 0, maskY = 0;
    int bottom = -1;
    std::array<int16_t, 25> below{}, above{};
    std::array<int32_t, 25> inUse{};
    std::array<int32_t, 25> xs{}, ys{};
    // Every layer at once (code 6): the layers before and after the change.
    std::vector<LayerCopy> before, after;
    int32_t valueA = 0, valueB = 0;
    std::vector<NameChange> names;
    // Which layer each slot held: a new number whenever a step puts a layer into a slot
    // that was free before it (a slot can be reused after a delete or a merge).
    std::array<uint32_t, 25> ids{};
};

class History {
public:
    static constexpr int kPositions = 12;
    int position = -1;
    int top = -1;
    std::array<HistoryEntry, kPositions> entries;

    // Undo must be able to bring back any layer at any position, also a layer whose
    // latest step was dropped at the 12th position or that no step concerned yet:
    // per slot, the record and file offset of its planes in the head file (the layers
    // when the history started), and the record of its last dropped step's file.
    struct Stored {
        LayerRecord record;  // geometry, without buffers
        int64_t offset = 0;
        // A step file's mask follows the planes (then the text); -1: planes only.
        int32_t maskWidth = -1, maskHeight = 0;
    };
    std::map<int, Stored> head;
    std::map<int, Stored> dropped;
    std::vector<LayerCopy> pendingBefore;  // filled by BeginAllLayerChange
    // While a change of every layer visits a layer that is still exactly as
    // BeginAllLayerChange copied it: its slot (-1 otherwise). The row loop then reads
    // the copy and writes the layer in place instead of into a second buffer.
    int untouchedSlot = -1;
    std::vector<NameChange> pendingNames;  // filled by RenameForStep
    std::array<uint32_t, 25> liveIds{};   // the layer each slot holds in memory now
    // Layers saved as their recorded state without a step (SaveRecordedLayer), by slot;
    // dropped by the next recorded step, undo or redo.
    std::map<int, LayerRecord> saved;
    uint32_t nextId = 0;
    // Step files that could not be written are reported to the user; a save that
    // flattens only for writing turns that off around its own step.
    bool reportFailures = true;
    // The last undo or redo was refused: a step file it needed could not be read.
    bool unreadable = false;
};

// Records a step after a change. slot -1 means the current layer.
void RecordStep(COrinDoc& doc, const std::string& label, int code, int slot = -1);
// Copies every layer before a change that will be recorded with code 6.
void BeginAllLayerChange(COrinDoc& doc);
// The copy of `slot` that BeginAllLayerChange made, null when there is none.
const LayerRecord* PendingBeforeOf(const COrinDoc& doc, int slot);
// Puts every layer back as BeginAllLayerChange copied it (a change over every layer
// that failed or was stopped half-way); nothing is recorded.
void AbandonAllLayerChange(COrinDoc& doc);
// Renames a layer as part of the change that the next recorded step describes.
void RenameForStep(COrinDoc& doc, int slot, const std::u16string& name);
// The layer in `slot` back as the history last recorded it (or as SaveRecordedLayer
// left it). Its place, transparency and visibility stay as they are: they are not
// pixels. False when nothing is recorded for it or the step file cannot be read; the
// layer is unchanged then.
bool RestoreRecordedLayer(COrinDoc& doc, int slot);
// The layer as it is now becomes what RestoreRecordedLayer brings back, until the next
// step is recorded, undone or redone. No step is added and no step file changes.
void SaveRecordedLayer(COrinDoc& doc, int slot);
// A layer moved without a step of its own (the move tool): its new place becomes the
// place that the present step remembers, so that undo and redo keep it there.
void KeepLayerPlace(COrinDoc& doc, int slot);

// The outcome of an undo: true when a step was undone. Undoing a pasted backdrop layer
// deletes it: without `confirmed` nothing happens and `needsConfirmation` asks the caller
// to put the question msg::kBackdropDelete and undo again confirmed.
struct UndoResult {
    bool undone = false;
    bool needsConfirmation = false;
    explicit operator bool() const { return undone; }
};
// Undo and redo read every step file they need before they change anything: when one
// cannot be read (it could not be written), nothing changes, they return false and set
// `history.unreadable` for the caller to tell the user (msg::kUndoFailed, kRedoFailed).
UndoResult Undo(COrinDoc& doc, bool confirmed = false);
bool Redo(COrinDoc& doc);
// Whether every layer of the stack can be brought back as the history last recorded
// it: what undoing a step that changes them all (a flatten) needs.
bool CanRestoreLayers(const COrinDoc& doc);
bool CanUndo(const COrinDoc& doc);
bool CanRedo(const COrinDoc& doc);


