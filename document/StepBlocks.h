// How a step file lies on disk: its bytes cut into blocks of kStepBlockBytes (the last
// one shorter), each an 8-byte header (the block's bytes in the file, then its bytes
// once read, both little-endian 32-bit) followed by the block: LZ4-compressed when that
// made it smaller by an eighth at least, as it stands otherwise (the two sizes are
// equal then). A block whose first 8 KiB do not shrink is written as it stands
// untried: a photograph's colours barely shrink, and compressing them would cost more
// time than writing them, while opacity and auxiliary planes shrink to almost nothing.
// The blocks do not depend on how the bytes were cut into pieces. Step files live as
// long as their process: there is no older form to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "StepStorage.h"

class ByteStream;

inline constexpr size_t kStepBlockBytes = size_t(256) << 10;

// Writes `pieces` to `path` as blocks; false when the file could not be written in full.
bool WriteStepBlocks(const std::string& path, const StepStorage::Pieces& pieces);
// The bytes of a step file as they were written, readable at any offset; null when the
// file does not exist. A damaged or cut block ends the stream there.
std::unique_ptr<ByteStream> ReadStepBlocks(const std::string& path);
