// Selections by colour: auto select grows a 4-connected region of colours near the
// clicked pixel's; the colour-range search selects every pixel of the current layer
// near the search colour. Both write the selection mask and show its outline.
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

// Command 1344 (choose auto select): refused on a text layer; releases the selection,
// makes 1344 the current tool, outline kind 2, mask all 0, inclusion limit 25.
Status ChooseAutoSelect(COrinDoc& doc);
// A press with tool 1344 at a view point: release (keeping the mask when adding),
// AutoSelectAt, then the selection is shown and built.
Status AutoSelectPress(COrinDoc& doc, int x, int y);
// Region growth from the pixel under the view point with the inclusion limit: every
// 4-connected pixel with nonzero opacity whose colour distance to the clicked
// colour is below the limit. Adds to the mask when the add-to-selection flag is set.
void AutoSelectAt(COrinDoc& doc, int x, int y);

// Command 3327 (colour range): keeps the current layer in the second working copy,
// releases the selection, makes 3344 the current tool and clears the mask.
Status ColourRangeCommand(COrinDoc& doc);
// A click with tool 3344: the search colour becomes the pixel's colour, then the search
// runs. Returns the search's pixel-count text (empty when nothing was searched).
std::string ColourRangePick(COrinDoc& doc, int x, int y);
// The search with the workspace's colour, tolerance and mode (0 new, 1 add). Returns
// "픽셀수 %d   (%.2f)%s           " (also sent to the host's status text).
std::string ColourRangeSearch(COrinDoc& doc);
// The window's reset button: layer as in the working copy, selection released, mask 0.
void ColourRangeReset(COrinDoc& doc);
// The scan itself: mask byte 1 for every pixel with nonzero opacity whose colour
// distance to `colour` is at most `tolerance`; returns how many were set, or -1 when
// the user stopped it (the host's Cancelled(), asked every 64 rows; Esc in the editor).
// ColourRangeSearch then puts the selection back as it was before the search.
int ColourRangeScan(COrinDoc& doc, uint32_t colour, int tolerance);
