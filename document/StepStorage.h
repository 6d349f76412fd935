// Where step files live. The editor and `apply` keep them on disk in the step folder;
// the memory storage keeps the very same bytes without touching the disk (documents
// that nothing outside the process will ever look at).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class ByteStream;

class StepStorage {
public:
    using Pieces = std::vector<std::pair<const uint8_t*, size_t>>;
    virtual ~StepStorage() = default;
    // Writes a whole file from its pieces, in order; false when it could not be written.
    virtual bool Write(const std::string& path, const Pieces& pieces) = 0;
    // The file for reading, or null when it does not exist.
    virtual std::unique_ptr<ByteStream> Read(const std::string& path) = 0;
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
};

// Free bytes of the file system holding `folder`, or -1 when that cannot be told.
using FreeSpaceQuery = int64_t (*)(const std::string& folder);
int64_t SystemFreeSpace(const std::string& folder);

// A step file of a big layer is written only when the disk keeps a reserve free after
// it, so that undo never fills the disk that the user's own saves need; it is refused
// (false) otherwise. Small files are not checked.
inline constexpr uint64_t kCheckedStepBytes = uint64_t(1) << 20;
inline constexpr uint64_t kStepReserveBytes = uint64_t(64) << 20;
bool RoomForStep(FreeSpaceQuery freeSpace, const std::string& path, uint64_t bytes);

class DiskStepStorage final : public StepStorage {
public:
    explicit DiskStepStorage(FreeSpaceQuery freeSpace = SystemFreeSpace) : m_freeSpace(freeSpace) {}
    bool Write(const std::string& path, const Pieces& pieces) override;
    std::unique_ptr<ByteStream> Read(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;

private:
    FreeSpaceQuery m_freeSpace;
};

// Files in memory, each a list of pieces; a piece equal to one already stored (the
// same layer written at two positions) is shared rather than copied.
class MemoryStepStorage final : public StepStorage {
public:
    using Chunk = std::shared_ptr<const std::vector<uint8_t>>;
    bool Write(const std::string& path, const Pieces& pieces) override;
    std::unique_ptr<ByteStream> Read(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;

private:
    Chunk Store(const uint8_t* data, size_t size);
    std::map<std::string, std::vector<Chunk>> m_files;
};

// Disk storage whose writes happen on a worker thread, so that recording a step of a
// large layer costs the editor a copy in memory instead of a wait for the disk. A
// file is readable at once (from memory until it is on disk); renames and removals
// keep their order with the writes. Queued bytes are bounded: a write waits while
// more than `limitBytes` are pending. A write that fails on the worker removes
// whatever file had that name (so no older file is ever read in its place) and keeps
// its bytes in memory; from then on writes happen at once and report their failure,
// until one succeeds. `disk` is the storage the worker writes to (the disk, checked
// against `freeSpace`, unless a test gives another).
class BackgroundStepStorage final : public StepStorage {
public:
    explicit BackgroundStepStorage(size_t limitBytes = size_t(1) << 30, FreeSpaceQuery freeSpace = SystemFreeSpace,
                                   std::unique_ptr<StepStorage> disk = nullptr);
    ~BackgroundStepStorage() override;  // finishes every queued operation
    bool Write(const std::string& path, const Pieces& pieces) override;
    std::unique_ptr<ByteStream> Read(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    // Waits until every queued operation reached the disk.
    void Flush();

private:
    struct Operation {
        enum Kind { kWrite, kRename, kRemove } kind;
        std::string path, to;
        // The content written, or for a rename the in-memory content that moved with it.
        std::shared_ptr<const std::vector<uint8_t>> bytes;
    };
    void Run();

    std::unique_ptr<StepStorage> m_disk;
    FreeSpaceQuery m_freeSpace;
    bool m_failing = false;  // the last write on the worker failed
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Operation> m_queue;
    // Files whose newest content is still in memory, by path.
    std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> m_pending;
    size_t m_queuedBytes = 0;
    size_t m_limit;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
};
