// The background storage must read back exactly what was written, at once and after
// the worker reached the disk, through renames and removals in any order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "ByteStream.h"
#include "StepBlocks.h"
#include "StepStorage.h"
#include "TestSupport.h"

namespace {

std::vector<uint8_t> ReadAll(StepStorage& storage, const std::string& path) {
    std::unique_ptr<ByteStream> in = storage.Read(path);
    if (!in) return {};
    std::vector<uint8_t> bytes(size_t(in->Size()));
    in->ReadExact(bytes.data(), bytes.size());
    return bytes;
}

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + i * 7);
    return v;
}

}  // namespace

TEST(BackgroundStepStorage, ReadsBackWritesRenamesAndRemovalsInOrder) {
    testing_support::TempDir dir;
    const std::string a = dir.File("a.tmp"), b = dir.File("b.tmp"), c = dir.File("c.tmp");
    {
        BackgroundStepStorage storage(1 << 20);  // small limit: writes also wait for the worker
        for (int round = 0; round < 20; ++round) {
            const std::vector<uint8_t> first = Bytes(300000, uint8_t(round)), second = Bytes(1000, uint8_t(round + 1));
            ASSERT_TRUE(storage.Write(a, {{first.data(), 100000}, {first.data() + 100000, 200000}}));
            EXPECT_EQ(ReadAll(storage, a), first);
            ASSERT_TRUE(storage.Rename(a, b));
            EXPECT_EQ(ReadAll(storage, b), first);
            EXPECT_TRUE(ReadAll(storage, a).empty());
            ASSERT_TRUE(storage.Write(c, {{second.data(), second.size()}}));
            storage.Remove(b);
            EXPECT_TRUE(ReadAll(storage, b).empty());
            EXPECT_EQ(ReadAll(storage, c), second);
            storage.Flush();
            EXPECT_EQ(ReadAll(storage, c), second);
            EXPECT_FALSE(std::filesystem::exists(b));
        }
        ASSERT_TRUE(storage.Write(a, {{nullptr, 0}}));
    }
    // Destruction finished the queue: the last write is on disk.
    EXPECT_TRUE(std::filesystem::exists(a));
    DiskStepStorage disk;
    EXPECT_EQ(ReadAll(disk, c).size(), 1000u);
}

namespace {

// A disk whose writes fail while `full` is set (a full disk).
class FullDisk final : public StepStorage {
public:
    explicit FullDisk(const std::atomic<bool>& full) : m_full(full) {}
    bool Write(const std::string& path, const Pieces& pieces) override { return !m_full && m_disk.Write(path, pieces); }
    std::unique_ptr<ByteStream> Read(const std::string& path) override { return m_disk.Read(path); }
    bool Rename(const std::string& from, const std::string& to) override { return m_disk.Rename(from, to); }
    void Remove(const std::string& path) override { m_disk.Remove(path); }

private:
    const std::atomic<bool>& m_full;
    DiskStepStorage m_disk;
};

// A disk with 64 MiB + 3 MiB free, whatever is written.
int64_t SixtySevenMiB(const std::string&) { return (int64_t(64) << 20) + (int64_t(3) << 20); }

}  // namespace

TEST(BackgroundStepStorage, AFailedWriteLeavesNoOlderFileAndTheNextWriteReportsTheFailure) {
    testing_support::TempDir dir;
    std::atomic<bool> full{false};
    BackgroundStepStorage storage(1 << 20, SystemFreeSpace, std::make_unique<FullDisk>(full));
    const std::string path = dir.File("101ud3.tmp"), other = dir.File("101ud4.tmp");
    const std::vector<uint8_t> old = Bytes(64, 1), fresh = Bytes(80, 2);
    ASSERT_TRUE(storage.Write(path, {{old.data(), old.size()}}));
    storage.Flush();

    full = true;
    // Queued: the caller cannot know yet. The older file must not survive the failure,
    // and the step stays readable from memory.
    EXPECT_TRUE(storage.Write(path, {{fresh.data(), fresh.size()}}));
    storage.Flush();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadAll(storage, path), fresh);
    // From now on a write reports the failure, so that the history's own protection acts.
    EXPECT_FALSE(storage.Write(other, {{old.data(), old.size()}}));
    full = false;
    EXPECT_TRUE(storage.Write(other, {{old.data(), old.size()}}));
    EXPECT_EQ(ReadAll(storage, other), old);
    storage.Flush();
    EXPECT_TRUE(std::filesystem::exists(other));
}

// A step file of a big layer is written only when 64 MiB stay free after it; small
// files are never checked.
TEST(StepStorageRoom, BigStepsKeepTheReserveFree) {
    testing_support::TempDir dir;
    const std::string path = dir.File("1ud0.tmp");
    const struct {
        uint64_t bytes;
        bool room;
    } cases[] = {{1000, true}, {(1 << 20) - 1, true}, {3 << 20, true}, {(3 << 20) + 1, false}, {1ull << 40, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(RoomForStep(SixtySevenMiB, path, c.bytes), c.room);
    }
    EXPECT_TRUE(RoomForStep([](const std::string&) { return int64_t(-1); }, path, 1ull << 40));  // unknown: written

    const std::vector<uint8_t> two = Bytes(2 << 20, 1);
    DiskStepStorage disk(SixtySevenMiB);
    EXPECT_TRUE(disk.Write(path, {{two.data(), two.size()}, {two.data(), 1 << 20}}));
    EXPECT_FALSE(disk.Write(dir.File("2ud0.tmp"), {{two.data(), two.size()}, {two.data(), two.size()}}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("2ud0.tmp")));

    // The background storage refuses before queueing: nothing is written later either.
    BackgroundStepStorage background(size_t(1) << 30, SixtySevenMiB);
    EXPECT_TRUE(background.Write(dir.File("3ud0.tmp"), {{two.data(), two.size()}}));
    EXPECT_TRUE(background.Write(dir.File("4ud0.tmp"), {{two.data(), 1000}}));
    EXPECT_FALSE(background.Write(dir.File("5ud0.tmp"), {{two.data(), two.size()}, {two.data(), two.size()}}));
    background.Flush();
    EXPECT_EQ(ReadAll(background, dir.File("3ud0.tmp")), two);
    EXPECT_FALSE(std::filesystem::exists(dir.File("5ud0.tmp")));
}

// A step file as blocks: noise that cannot shrink is stored as it stands, an opaque
// alpha plane and an empty plane shrink to almost nothing, a piece of a few bytes
// follows; everything reads back exactly, whole and from offsets inside blocks of both
// kinds across their ends. A file cut inside its last block ends before that block.
// The file does not depend on how the bytes were cut into pieces.
TEST(StepBlocks, NoiseAndPlanesComeBackExactlyFromAnyOffset) {
    testing_support::TempDir dir;
    const std::string path = dir.File("101ud1.tmp");
    std::vector<uint8_t> noise(3 * kStepBlockBytes + 1000);
    uint32_t state = 7;
    for (uint8_t& b : noise) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        b = uint8_t(state);
    }
    const std::vector<uint8_t> alpha(2 * kStepBlockBytes + 7, 255), aux(kStepBlockBytes, 0), tail{1, 2, 3};
    DiskStepStorage disk;
    ASSERT_TRUE(disk.Write(path, {{noise.data(), noise.size()}, {alpha.data(), alpha.size()}, {aux.data(), aux.size()},
                                  {tail.data(), tail.size()}}));
    std::vector<uint8_t> whole = noise;
    for (const auto* piece : {&alpha, &aux, &tail}) whole.insert(whole.end(), piece->begin(), piece->end());
    EXPECT_EQ(ReadAll(disk, path), whole);
    const uint64_t onDisk = std::filesystem::file_size(path);
    EXPECT_GE(onDisk, noise.size());
    EXPECT_LT(onDisk, noise.size() + 16 * 1024);

    std::unique_ptr<ByteStream> in = disk.Read(path);
    const size_t n = noise.size();
    for (size_t at : {kStepBlockBytes - 3, n - 5, n + kStepBlockBytes - 1, whole.size() - 5}) {
        SCOPED_TRACE(at);
        std::vector<uint8_t> got(5);
        ASSERT_TRUE(in->Seek(int64_t(at), SEEK_SET));
        ASSERT_TRUE(in->ReadExact(got.data(), got.size()));
        EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + ptrdiff_t(at)));
    }
    EXPECT_FALSE(in->ReadExact(whole.data(), 1));  // at the end

    const std::vector<uint8_t> file = testing_support::ReadFileBytes(path);
    ASSERT_TRUE(disk.Write(path, {{whole.data(), 1}, {whole.data() + 1, whole.size() - 1}}));
    EXPECT_EQ(testing_support::ReadFileBytes(path), file);

    std::filesystem::resize_file(path, onDisk - 1);
    EXPECT_EQ(disk.Read(path)->Size(), int64_t(whole.size() - whole.size() % kStepBlockBytes));
}
