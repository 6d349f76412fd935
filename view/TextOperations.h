// The operation-table entries of the text tool, the calendar and the photo frame:
// what the batch tool runs as `text:`, `calendar:` and `frame:` (the editor's menus
// open their dialogs, which read the same ranges).
#pragma once

#include "Operations.h"

// Parameter positions of the entries.
enum TextParam { kTextX, kTextY, kTextText, kTextSize, kTextFace, kTextColour, kTextStyle, kTextEdit };
enum CalendarParam { kCalYear, kCalMonth, kCalSize, kCalFace, kCalStyle, kCalColour };
enum FrameParam { kFrameStyle, kFrameThickness, kFrameMain, kFrameSecondary };

Operation TextOperation();
Operation CalendarOperation();
Operation PhotoFrameOperation();
void AddTextOperations(OperationTable& table);

// The face to draw with: `face` when fontconfig knows it, else the Korean face, and
// then the host is told (the batch tool prints it on standard error).
std::string UsableFace(COrinDoc& doc, const std::string& face);
