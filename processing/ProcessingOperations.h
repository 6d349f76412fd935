// The adjustments, filters and transforms of the image-processing subsystem, in the
// order the table lists them. Each lives in its own file with its table entry.
#pragma once

#include "Operations.h"
#include "Resize.h"

// `redrawText` draws a text layer again after resizing (the text module's).
void AddProcessingOperations(OperationTable& table, const TextRedraw& redrawText = {});
