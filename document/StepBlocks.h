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

#include "ByteStream.h"
#include "StepStorage.h"

// A stream that only reads, over bytes kept in pieces (memory chunks, file blocks):
// position, size and end handling shared by the step storages' readers, which supply
// Read and set m_size.
class PieceReader : public ByteStream {
public:
    size_t Write(const void*, size_t, size_t) override { return 0; }
    bool Seek(int64_t offset, int whence) override {
        const int64_t base = whence == SEEK_CUR ? m_pos : whence == SEEK_END ? m_size : 0;
        if (base + offset < 0) return false;
        m_pos = base + offset;
        m_eof = false;
        return true;
    }
    int64_t Tell() override { return m_pos; }
    int64_t Size() override { return m_size; }
    bool Flush() override { return true; }
    bool Eof() override { return m_eof; }
    bool Error() override { return m_error; }
    bool PutByte(uint8_t) override { return false; }
    int GetByte() override {
        uint8_t b = 0;
        return Read(&b, 1, 1) == 1 ? b : -1;
    }

protected:
    int64_t m_size = 0, m_pos = 0;
    bool m_eof = false, m_error = false;
};

inline constexpr size_t kStepBlockBytes = size_t(256) << 10;

// Writes `pieces` to `path` as blocks; false when the file could not be written in full.
bool WriteStepBlocks(const std::string& path, const StepStorage::Pieces& pieces);
// The bytes of a step file as they were written, readable at any offset; null when the
// file does not exist. A damaged or cut block ends the stream there.
std::unique_ptr<ByteStream> ReadStepBlocks(const std::string& path);
