// Copy, cut and paste of layer areas through device-independent bitmaps, and cutting
// the selected area out into a new document. The host binds the bitmaps to the
// system clipboard; the workspace keeps the copied area's coverage for pasting back.
#pragma once

#include <memory>

#include "Document.h"
#include "Status.h"

// Copies the selected area of the current layer (the whole layer without a selection).
Status CopyToClipboard(COrinDoc& doc);
// Copies, then clears the copied pixels from the current layer and records "자르기".
Status CutToClipboard(COrinDoc& doc);
// Makes a new layer above the current one from the clipboard's bitmap and records
// "붙이기". `duplicate`: the new layer takes the copied layer's kind and vector data.
Status PasteFromClipboard(COrinDoc& doc, bool duplicate = false);
// "잘라서새로만들기": the selected area becomes a new document (needs a selection).
Status CutToNewDocument(COrinDoc& doc, std::unique_ptr<COrinDoc>& created);

// Re-lays the selection mask onto the current layer's geometry (new bytes are 0 while
// a selection is shown, 1 otherwise; the overlapping part is kept).
void RefitMask(COrinDoc& doc);
