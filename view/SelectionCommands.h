// The selection commands that act on a document: invert (2055), release (2058), and the
// editor's own select-all (Ctrl+A) and clear (Delete).
#pragma once

#include "Operations.h"

inline constexpr int kCmdSelectAll = 1560;
inline constexpr int kCmdClearSelected = 1561;
inline constexpr const char* kClearSelectedLabel = "선택영역 지우기";

void AddSelectionOperations(OperationTable& table);

// The whole current layer selected and shown, as a rectangle over all of it would be.
Status SelectWholeLayer(COrinDoc& doc);
// The selected pixels of the current layer (all of it without a selection) cleared:
// made transparent on a layer above the bottom one, painted in the background colour on
// the bottom layer, which has nothing under it to show. Records "선택영역 지우기".
Status ClearSelected(COrinDoc& doc);
