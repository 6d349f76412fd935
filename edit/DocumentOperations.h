// The table entries of the document's own commands: undo and redo, the clipboard and
// the layer commands. Their code is in document/ (History, ClipboardOps, LayerOps).
#pragma once

#include "Operations.h"

void AddDocumentOperations(OperationTable& table);

// Undo as the menu, the history panel and the batch tool run it: a step that deletes a
// backdrop layer asks the host first. True when a step was undone.
bool UndoStep(COrinDoc& doc);

// The drop shadow's parameters: size (pixels) and colour; the dialog and the batch tool
// read them from the table entry of command 1558.
enum LayerEffectParam : size_t { kShadowSize = 0, kShadowColour = 1 };

// Removing the drop shadow: the layer panel's button and the Layer menu's entry after
// "레이어효과"; records "레이어효과 제거" when the current layer had a shadow.
inline constexpr int kCmdRemoveLayerEffect = 1559;
inline constexpr const char* kRemoveLayerEffectLabel = "레이어효과 제거";
Status RemoveLayerEffectStep(COrinDoc& doc);
