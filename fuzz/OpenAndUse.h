// What the file fuzz targets do with one input, shared with the test that replays the
// regression inputs: open the bytes as a file of one format, exactly as the editor
// opens a file, then draw the document and, when it is small, use the tools on every
// layer and save it as a project (in memory).
#pragma once

#include <cstddef>
#include <cstdint>

#include "Status.h"
#include "Workspace.h"

Status OpenAndUse(Workspace& workspace, const uint8_t* data, size_t size, int code);
