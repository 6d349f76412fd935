// What the file fuzz targets do with one input, shared with the tests that replay the
// regression inputs: open the bytes as a file of one format, exactly as the editor
// opens a file, then use the document as a user would: draw it and, when it is small,
// dot, fill and copy on every layer and save it as a project (in memory).
#pragma once

#include <cstddef>
#include <cstdint>

#include "Document.h"
#include "Status.h"
#include "Workspace.h"

Status OpenAndUse(Workspace& workspace, const uint8_t* data, size_t size, int code);
// The second half: what is done with a document that opened.
void UseDocument(COrinDoc& doc);
