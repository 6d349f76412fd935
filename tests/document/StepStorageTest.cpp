// The background storage must read back exactly what was written, at once and after
// the worker reached the disk, through renames and removals in any order.
#include <gtest/gtest.h>

#include <filesystem>

#include "ByteStream.h"
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
    EXPECT_EQ(std::filesystem::file_size(c), 1000u);
}

TEST(BackgroundStepStorage, WritesThatFailOnTheWorkerAreCountedAndLeaveNoFileBehind) {
    testing_support::TempDir dir;
    const std::string lost = dir.File("gone/a.tmp"), kept = dir.File("b.tmp");
    const std::vector<uint8_t> bytes = Bytes(1000, 1);
    BackgroundStepStorage storage;
    ASSERT_TRUE(storage.Write(kept, {{bytes.data(), bytes.size()}}));
    ASSERT_TRUE(storage.Write(lost, {{bytes.data(), bytes.size()}}));  // accepted, fails later
    storage.Flush();
    EXPECT_EQ(storage.TakeFailures(), 1);
    EXPECT_EQ(storage.TakeFailures(), 0);
    EXPECT_TRUE(ReadAll(storage, lost).empty());
    // Renaming the file that was never written leaves no older file under the new name.
    storage.Rename(lost, kept);
    storage.Flush();
    EXPECT_FALSE(std::filesystem::exists(kept));
    EXPECT_TRUE(ReadAll(storage, kept).empty());
    EXPECT_EQ(storage.TakeFailures(), 0);
}
