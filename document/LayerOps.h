// Commands that change the layer stack: add, delete, duplicate, merge with a
// neighbour, flatten, rename, rasterize, the drop-shadow layer effect, visibility and
// reordering. Each records the history step its command names; refusals come back
// as a failed Status carrying the system's message (nothing changes then).
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

Status AddLayer(COrinDoc& doc);
// A new layer of at least the canvas size, placed at layer offsets (x, y), linked
// above the current layer and made current, without a history step (the caller
// records the step its command names). `slot` receives the slot, -1 on a refusal.
struct NewLayerPlace {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int kind = kLayerRaster;
};
Status InsertLayerAbove(COrinDoc& doc, const NewLayerPlace& place, int& slot);
// Deletes the current layer (or `slot`). `check`: the measurement-layer refusal and
// the backdrop question; `record`: record "레이어삭제".
Status DeleteLayer(COrinDoc& doc, int slot = -1, bool check = true, bool record = true);
Status DuplicateLayer(COrinDoc& doc);
// The current layer and the one above it become one layer in the current slot.
Status MergeWithLayerAbove(COrinDoc& doc);
// The layer below and the current one become one layer in the lower slot.
Status MergeWithLayerBelow(COrinDoc& doc);
Status FlattenLayers(COrinDoc& doc);
Status RenameLayer(COrinDoc& doc, const std::u16string& name);  // at most 15 characters
Status RasterizeLayer(COrinDoc& doc);
// Attaches the drop shadow of `size` pixels in `colour` (red in the low byte).
Status ApplyLayerEffect(COrinDoc& doc, int size, uint32_t colour);
void RemoveLayerEffect(COrinDoc& doc);
void SetLayerVisible(COrinDoc& doc, int slot, bool visible);
// Swaps the places of two layers in the stack and records "레이어 위치 이동".
Status SwapLayers(COrinDoc& doc, int slotA, int slotB);

// Renders the layer effect's coverage into the auxiliary plane.
void RenderLayerEffect(COrinDoc& doc, int slot);

// One row of the layer panel, in stack order from the bottom.
struct LayerRow {
    int slot;
    bool visible;
    bool current;
    std::u16string name;
};
std::vector<LayerRow> LayerRows(const COrinDoc& doc);
