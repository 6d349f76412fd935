// Step files: where the history keeps layers on disk. A step file "%dud%d.tmp"
// (document number, position) holds one layer's pixels, alpha and auxiliary planes,
// then the selection mask and the layer's text; the head file holds every layer when
// the history started; a dropped step's file is kept per slot. Reading one back into a
// layer never leaves the layer half changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Layer.h"
#include "StepStorage.h"

class COrinDoc;

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

std::string StepFilePath(const COrinDoc& doc, int position);
std::string HeadFilePath(const COrinDoc& doc);
// A dropped step's planes, kept per slot ("%dud%d.tmp" with position 12 + slot).
std::string DroppedFilePath(const COrinDoc& doc, int slot);
// Removes the head and step files of document numbers 100 to 998 in `folder`.
void SweepStepFiles(const std::string& folder);
// Removes this document's own step files (when a batch run ends).
void RemoveStepFiles(const COrinDoc& doc);

// The pieces of a layer's planes, and its text as stored (text length x 2 bytes, UTF-16LE).
void AddLayerPlanes(StepStorage::Pieces& pieces, const LayerRecord& layer);
std::vector<uint8_t> TextBytes(const LayerRecord& layer);
// The step file of `position` from `layer` and the document's selection mask.
bool WriteStepFile(const COrinDoc& doc, int position, const LayerRecord& layer);
// Writes the head file and remembers where each layer's planes start in it.
void WriteHeadFile(COrinDoc& doc);

// The snapshot of the step at `position` (its layer, mask and text).
Snapshot StepSnapshot(const COrinDoc& doc, int position);
// The latest stored state of `slot` at or before `position`.
bool FindSnapshot(const COrinDoc& doc, int slot, int position, Snapshot& out);
// Brings a layer back from a snapshot: its geometry first, then its planes, and from a
// step file also the selection mask and the text. A file that cannot be read leaves
// the layer as it was. `whole`: the layer is re-created (its slot may have held another
// layer meanwhile), so every field of the stored record comes back, not only the geometry.
bool BringBack(COrinDoc& doc, int slot, const Snapshot& s, bool whole = false);
