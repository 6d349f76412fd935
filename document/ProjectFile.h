// The layered project file (".tsr"): a header line "\n%d %d %d" (version, bottom
// slot, current slot), the 256-byte canvas header, a composite preview (version 31),
// then per layer from the bottom: "\n %d %d" (slot, text length), the 397-byte layer
// record, the pixels, the alpha and auxiliary planes and, for text layers, the text.
// The writer writes version 31; the reader accepts 15, 16, 20 and 31.
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

class ByteStream;

inline constexpr int kProjectVersion = 31;

Status WriteProject(COrinDoc& doc, ByteStream& out);
Status WriteProjectFile(COrinDoc& doc, const std::string& path);
// Reads into an empty document and restarts its history with "Opening....".
Status ReadProject(COrinDoc& doc, ByteStream& in);
Status ReadProjectFile(COrinDoc& doc, const std::string& path);
