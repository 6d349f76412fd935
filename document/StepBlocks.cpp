#include "StepBlocks.h"

#include <lz4.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "ByteStream.h"
#include "Endian.h"

namespace {

constexpr size_t kHeaderBytes = 8;
// The bytes at the start of a block that are tried first: a block whose first bytes
// do not shrink is written as it stands without trying the rest.
constexpr size_t kProbeBytes = size_t(8) << 10;

bool WriteBlock(FileStream& out, const uint8_t* data, size_t stored, size_t raw) {
    uint8_t header[kHeaderBytes];
    PutLE32(header, uint32_t(stored));
    PutLE32(header + 4, uint32_t(raw));
    return out.WriteAll(header, sizeof header) && out.WriteAll(data, stored);
}

// Reads the blocks of a step file; the index of every block is built when it opens.
class StepBlockStream final : public PieceReader {
public:
    bool Open(const std::string& path) {
        if (!m_file.Open(path, "rb")) return false;
        const int64_t fileSize = m_file.Size();
        int64_t at = 0;
        uint8_t header[kHeaderBytes];
        while (at + int64_t(kHeaderBytes) <= fileSize && m_file.ReadExact(header, sizeof header)) {
            const uint32_t stored = GetLE32(header), raw = GetLE32(header + 4);
            const int64_t data = at + int64_t(kHeaderBytes);
            if (raw == 0 || raw > kStepBlockBytes || stored == 0 || stored > raw || data + stored > fileSize) break;
            m_blocks.push_back({data, m_size, stored, raw});
            m_size += raw;
            at = data + stored;
            if (!m_file.Seek(at, SEEK_SET)) break;
        }
        return true;
    }

    size_t Read(void* buffer, size_t size, size_t count) override {
        if (size == 0 || count == 0) return 0;
        const size_t want = size * count;
        uint8_t* out = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < want && m_pos < m_size) {
            const size_t index = BlockAt(m_pos);
            const Block& b = m_blocks[index];
            const size_t from = size_t(m_pos - b.start);
            const size_t n = std::min(want - done, size_t(b.raw) - from);
            if (from == 0 && n == b.raw) {
                if (!Decode(b, out + done)) break;  // a whole block goes straight to the reader
            } else {
                if (m_cached != index) {
                    m_cached = SIZE_MAX;
                    m_cache.resize(kStepBlockBytes);
                    if (!Decode(b, m_cache.data())) break;
                    m_cached = index;
                }
                std::memcpy(out + done, m_cache.data() + from, n);
            }
            done += n;
            m_pos += int64_t(n);
        }
        if (done < want) m_eof = true;
        return done / size;
    }

private:
    struct Block {
        int64_t at;     // where its bytes start in the file
        int64_t start;  // where it starts in the stream
        uint32_t stored, raw;
    };

    size_t BlockAt(int64_t pos) const {
        auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), pos,
                                   [](int64_t p, const Block& b) { return p < b.start; });
        return size_t(it - m_blocks.begin()) - 1;
    }

    // The block's `raw` bytes into `out`; false (and the stream in error) when the file
    // cannot give them.
    bool Decode(const Block& b, uint8_t* out) {
        bool ok = m_file.Seek(b.at, SEEK_SET);
        if (ok && b.stored == b.raw) {
            ok = m_file.ReadExact(out, b.raw);
        } else if (ok) {
            try {
                m_packed.resize(b.stored);
            } catch (const std::bad_alloc&) {
                ok = false;
            }
            ok = ok && m_file.ReadExact(m_packed.data(), b.stored) &&
                 LZ4_decompress_safe(reinterpret_cast<const char*>(m_packed.data()), reinterpret_cast<char*>(out),
                                     int(b.stored), int(b.raw)) == int(b.raw);
        }
        m_error = m_error || !ok;
        return ok;
    }

    FileStream m_file;
    std::vector<Block> m_blocks;
    std::vector<uint8_t> m_cache, m_packed;
    size_t m_cached = SIZE_MAX;
};

}  // namespace

bool WriteStepBlocks(const std::string& path, const StepStorage::Pieces& pieces) {
    std::vector<uint8_t> packed, gathered;
    try {
        packed.resize(size_t(LZ4_compressBound(int(kStepBlockBytes))));
    } catch (const std::bad_alloc&) {
        return false;
    }
    FileStream out;
    if (!out.Open(path, "wb")) return false;
    size_t total = 0;
    for (const auto& piece : pieces) total += piece.second;
    size_t piece = 0, from = 0;  // where the next block starts
    bool ok = true;
    for (size_t at = 0; ok && at < total; at += kStepBlockBytes) {
        const size_t raw = std::min(kStepBlockBytes, total - at);
        while (from == pieces[piece].second) ++piece, from = 0;
        const uint8_t* block = pieces[piece].first + from;
        if (pieces[piece].second - from >= raw) {
            from += raw;
        } else {
            // The block spans pieces: its bytes are gathered first.
            try {
                gathered.resize(kStepBlockBytes);
            } catch (const std::bad_alloc&) {
                ok = false;
                break;
            }
            for (size_t got = 0; got < raw;) {
                while (from == pieces[piece].second) ++piece, from = 0;
                const size_t n = std::min(raw - got, pieces[piece].second - from);
                std::memcpy(gathered.data() + got, pieces[piece].first + from, n);
                got += n;
                from += n;
            }
            block = gathered.data();
        }
        auto compress = [&](size_t bytes) {
            return LZ4_compress_default(reinterpret_cast<const char*>(block), reinterpret_cast<char*>(packed.data()),
                                        int(bytes), int(packed.size()));
        };
        auto shrank = [](int stored, size_t bytes) { return stored > 0 && size_t(stored) <= bytes - bytes / 8 && size_t(stored) < bytes; };
        // Its first bytes tell whether the whole block is worth compressing.
        const size_t probe = std::min(raw, kProbeBytes);
        int stored = shrank(compress(probe), probe) ? compress(raw) : 0;
        if (!shrank(stored, raw)) stored = 0;
        ok = stored > 0 ? WriteBlock(out, packed.data(), size_t(stored), raw) : WriteBlock(out, block, raw, raw);
    }
    return out.Close() && ok;
}

std::unique_ptr<ByteStream> ReadStepBlocks(const std::string& path) {
    auto in = std::make_unique<StepBlockStream>();
    if (!in->Open(path)) return nullptr;
    return in;
}
