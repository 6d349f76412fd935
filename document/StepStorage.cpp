#include "StepStorage.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <sys/statvfs.h>

#include "ByteStream.h"
#include "StepBlocks.h"

int64_t SystemFreeSpace(const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0) return -1;
    return int64_t(std::min<uint64_t>(uint64_t(fs.f_bavail) * fs.f_frsize, uint64_t(INT64_MAX)));
}

bool RoomForStep(FreeSpaceQuery freeSpace, const std::string& path, uint64_t bytes) {
    if (bytes < kCheckedStepBytes || !freeSpace) return true;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const int64_t free = freeSpace(folder.empty() ? "." : folder.string());
    return free < 0 || uint64_t(free) >= bytes + kStepReserveBytes;
}

bool DiskStepStorage::Write(const std::string& path, const Pieces& pieces) {
    uint64_t total = 0;
    for (const auto& piece : pieces) total += piece.second;
    // Checked against the bytes as they stand: the compressed file is never much longer.
    if (!RoomForStep(m_freeSpace, path, total)) return false;
    const bool ok = WriteStepBlocks(path, pieces);
    // A short file (disk or quota full) must not stand in for the step.
    if (!ok) Remove(path);
    return ok;
}

std::unique_ptr<ByteStream> DiskStepStorage::Read(const std::string& path) { return ReadStepBlocks(path); }

bool DiskStepStorage::Rename(const std::string& from, const std::string& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return !ec;
}

void DiskStepStorage::Remove(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

namespace {

// Reads across the pieces of a file kept in memory.
class ChunkStream final : public PieceReader {
public:
    explicit ChunkStream(std::vector<MemoryStepStorage::Chunk> chunks) : m_chunks(std::move(chunks)) {
        for (const auto& c : m_chunks) m_size += int64_t(c->size());
    }
    size_t Read(void* buffer, size_t size, size_t count) override {
        if (size == 0 || count == 0) return 0;
        const size_t want = size * count;
        size_t done = 0;
        uint8_t* out = static_cast<uint8_t*>(buffer);
        int64_t base = 0;
        for (const auto& c : m_chunks) {
            const int64_t end = base + int64_t(c->size());
            if (m_pos < end && done < want) {
                const size_t from = size_t(m_pos - base);
                const size_t n = std::min(want - done, c->size() - from);
                std::memcpy(out + done, c->data() + from, n);
                done += n;
                m_pos += int64_t(n);
            }
            base = end;
        }
        if (done < want) m_eof = true;
        return done / size;
    }

private:
    std::vector<MemoryStepStorage::Chunk> m_chunks;
};

}  // namespace

MemoryStepStorage::Chunk MemoryStepStorage::Store(const uint8_t* data, size_t size) {
    // Large pieces equal to a stored one are shared (a layer written at two positions).
    if (size >= 4096)
        for (const auto& [path, chunks] : m_files)
            for (const Chunk& c : chunks)
                if (c->size() == size && std::memcmp(c->data(), data, size) == 0) return c;
    return std::make_shared<const std::vector<uint8_t>>(data, data + size);
}

bool MemoryStepStorage::Write(const std::string& path, const Pieces& pieces) {
    std::vector<Chunk> chunks;
    try {
        for (const auto& [data, size] : pieces)
            if (size) chunks.push_back(Store(data, size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_files[path] = std::move(chunks);
    return true;
}

std::unique_ptr<ByteStream> MemoryStepStorage::Read(const std::string& path) {
    auto it = m_files.find(path);
    if (it == m_files.end()) return nullptr;
    return std::make_unique<ChunkStream>(it->second);
}

bool MemoryStepStorage::Rename(const std::string& from, const std::string& to) {
    auto it = m_files.find(from);
    if (it == m_files.end()) return false;
    auto chunks = std::move(it->second);
    m_files.erase(it);
    m_files[to] = std::move(chunks);
    return true;
}

void MemoryStepStorage::Remove(const std::string& path) { m_files.erase(path); }

BackgroundStepStorage::BackgroundStepStorage(size_t limitBytes, FreeSpaceQuery freeSpace,
                                             std::unique_ptr<StepStorage> disk)
    : m_disk(disk ? std::move(disk) : std::make_unique<DiskStepStorage>(freeSpace)),
      m_freeSpace(freeSpace),
      m_limit(limitBytes),
      m_worker([this] { Run(); }) {}

BackgroundStepStorage::~BackgroundStepStorage() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_worker.join();
}

bool BackgroundStepStorage::Write(const std::string& path, const Pieces& pieces) {
    size_t total = 0;
    for (const auto& piece : pieces) total += piece.second;
    {
        // What is queued is not on the disk yet, but will be.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!RoomForStep(m_freeSpace, path, uint64_t(total) + (total >= kCheckedStepBytes ? m_queuedBytes : 0)))
            return false;
    }
    std::shared_ptr<std::vector<uint8_t>> bytes;
    try {
        bytes = std::make_shared<std::vector<uint8_t>>(total);
    } catch (const std::bad_alloc&) {
        // No memory for the copy: write it here and now.
        Flush();
        return m_disk->Write(path, pieces);
    }
    size_t at = 0;
    for (const auto& [data, size] : pieces) {
        if (size) std::memcpy(bytes->data() + at, data, size);
        at += size;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_failing) {
        // The disk refused the last write: this one is tried at once, so that its caller
        // learns whether it reached the disk.
        m_changed.wait(lock, [&] { return m_queue.empty() && !m_busy; });
        m_pending.erase(path);
        const bool written = m_disk->Write(path, {{bytes->data(), bytes->size()}});
        m_failing = !written;
        return written;
    }
    m_changed.wait(lock, [&] { return m_queuedBytes <= m_limit; });
    m_pending[path] = bytes;
    m_queue.push_back({Operation::kWrite, path, {}, bytes});
    m_queuedBytes += total;
    m_changed.notify_all();
    return true;
}

std::unique_ptr<ByteStream> BackgroundStepStorage::Read(const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_pending.find(path);
        if (it != m_pending.end()) return std::make_unique<ChunkStream>(std::vector<MemoryStepStorage::Chunk>{it->second});
    }
    // Not in memory: the disk is right once everything queued before has happened.
    Flush();
    return m_disk->Read(path);
}

bool BackgroundStepStorage::Rename(const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<const std::vector<uint8_t>> moved;
    auto it = m_pending.find(from);
    if (it != m_pending.end()) {
        moved = it->second;
        m_pending[to] = moved;
        m_pending.erase(from);
    } else {
        m_pending.erase(to);
    }
    m_queue.push_back({Operation::kRename, from, to, moved});
    m_changed.notify_all();
    return true;
}

void BackgroundStepStorage::Remove(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.erase(path);
    m_queue.push_back({Operation::kRemove, path, {}, nullptr});
    m_changed.notify_all();
}

void BackgroundStepStorage::Flush() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queue.empty() && !m_busy; });
}

void BackgroundStepStorage::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) return;  // stopping, and nothing left to do
        Operation op = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        bool failed = false;
        switch (op.kind) {
        case Operation::kWrite:
            failed = !m_disk->Write(op.path, {{op.bytes->data(), op.bytes->size()}});
            if (failed) m_disk->Remove(op.path);  // no older file may stand in for this one
            break;
        case Operation::kRename: failed = !m_disk->Rename(op.path, op.to); break;
        case Operation::kRemove: m_disk->Remove(op.path); break;
        }
        lock.lock();
        m_busy = false;
        if (op.kind == Operation::kWrite) {
            m_queuedBytes -= op.bytes->size();
            m_failing = failed;
        }
        // The memory copy goes once the disk holds the newest content under that name;
        // the content of a failed write (or of a rename of it) stays readable from memory.
        const std::string& done = op.kind == Operation::kRename ? op.to : op.path;
        auto it = m_pending.find(done);
        if (op.bytes && !failed && it != m_pending.end() && it->second == op.bytes) m_pending.erase(it);
        m_changed.notify_all();
    }
}
