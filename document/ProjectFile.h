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

// The layer chain as the project and measurement files store it: per layer from the
// bottom a framing line, the stored layer record, the pixels, the alpha and auxiliary
// planes and, for text layers, the text (UTF-16LE, the record's text length).
enum class LayerLine {
    SlotAndTextLength,  // "\n %d %d": slot and text length (projects)
    SlotOnly,           // "\n %d" and white space, no text (projects of version 15)
    SlotAndOneSpace,    // "\n %d ": slot (measurement files)
};
struct LayerChainFormat {
    LayerLine line = LayerLine::SlotAndTextLength;
    size_t recordBytes = kProjectRecordBytes;
};
bool WriteLayerChain(COrinDoc& doc, ByteStream& out, LayerLine line);
// Reads the 256-byte canvas header; false when it is short or its values are impossible.
bool ReadCanvasHeader(ByteStream& in, CanvasHeader& canvas);
// Reads the chain from `bottom` into an empty document with `canvas` and restarts its
// history with "Opening...."; on failure the document is left empty.
Status ReadLayerChain(COrinDoc& doc, ByteStream& in, const CanvasHeader& canvas, int bottom, int current,
                      const LayerChainFormat& format);
// Formatted input as the C library reads "%d": optional white space, sign, digits.
bool ReadFormattedInt(ByteStream& in, int& value);
