// Saving through links, over hard-linked, foreign and read-only files, under a full
// disk and with long names: the target gets the new bytes or stays exactly as it was,
// and no temporary file is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DocTestSupport.h"
#include "Messages.h"
#include "OpenSave.h"
#include "SafeFile.h"

using namespace doctest;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Save(const std::string& path, const std::string& text) {
    SafeFile file;
    return file.Open(path) && file.Stream().WriteAll(text.data(), text.size()) && file.Commit();
}

std::string Text(const std::string& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

}  // namespace

TEST(SafeFile, SymbolicLinksAreSavedThroughAndStay) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    WriteFileBytes(dir.File("real/picture.bmp"), {'o', 'l', 'd'});
    fs::create_symlink("real/picture.bmp", dir.Path() / "link.bmp");  // relative to the link's folder
    fs::create_symlink(dir.Path() / "link.bmp", dir.Path() / "link2.bmp");  // a chain
    fs::create_symlink("real/new.bmp", dir.Path() / "dangling.bmp");
    ASSERT_TRUE(Save(dir.File("link2.bmp"), "new"));
    EXPECT_EQ(Text(dir.File("real/picture.bmp")), "new");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.bmp"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link2.bmp"));
    ASSERT_TRUE(Save(dir.File("dangling.bmp"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling.bmp"));
    EXPECT_EQ(Text(dir.File("real/new.bmp")), "made");
    EXPECT_EQ(Names(dir.Path() / "real"), (std::vector<std::string>{"new.bmp", "picture.bmp"}));
}

TEST(SafeFile, HardLinksKeepEveryNameAndOwnerAndModeAreKept) {
    TempDir dir;
    WriteFileBytes(dir.File("a.tsr"), {'o', 'l', 'd'});
    fs::create_hard_link(dir.File("a.tsr"), dir.File("b.tsr"));
    const ino_t inode = Stat(dir.File("a.tsr")).st_ino;
    ASSERT_TRUE(Save(dir.File("a.tsr"), "a longer new text"));
    EXPECT_EQ(Text(dir.File("b.tsr")), "a longer new text");
    EXPECT_EQ(Stat(dir.File("a.tsr")).st_ino, inode);
    EXPECT_EQ(Stat(dir.File("a.tsr")).st_nlink, 2u);
    ASSERT_TRUE(Save(dir.File("b.tsr"), "short"));  // a shorter file is cut to its length
    EXPECT_EQ(Text(dir.File("a.tsr")), "short");

    WriteFileBytes(dir.File("mode.bmp"), {1});
    chmod(dir.File("mode.bmp").c_str(), 0640);
    ASSERT_TRUE(Save(dir.File("mode.bmp"), "x"));
    EXPECT_EQ(Stat(dir.File("mode.bmp")).st_mode & 07777, 0640u);
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"a.tsr", "b.tsr", "mode.bmp"}));

    // A file of another owner keeps its owner (only the administrator can make one).
    if (geteuid() != 0) GTEST_SKIP() << "owner test needs root";
    WriteFileBytes(dir.File("theirs.bmp"), {1});
    ASSERT_EQ(chown(dir.File("theirs.bmp").c_str(), 4321, 4322), 0);
    ASSERT_TRUE(Save(dir.File("theirs.bmp"), "y"));
    EXPECT_EQ(Stat(dir.File("theirs.bmp")).st_uid, 4321u);
    EXPECT_EQ(Stat(dir.File("theirs.bmp")).st_gid, 4322u);
}

// A read-only file in a writable folder could be renamed over; it is refused with the
// message instead, and the document is not touched (nothing is flattened).
TEST(SafeFile, ReadOnlyTargetsAreRefusedWithTheMessage) {
    TempDir dir;
    WriteFileBytes(dir.File("ro.bmp"), {'o', 'l', 'd'});
    chmod(dir.File("ro.bmp").c_str(), 0444);
    SafeFile file;
    EXPECT_FALSE(file.Open(dir.File("ro.bmp")));
    EXPECT_EQ(file.Error(), msg::kReadOnlyFile);
    Bench bench;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    const int position = doc->history.position;
    for (const char* name : {"ro.bmp"}) {
        const Status s = SaveDocument(*doc, dir.File(name));
        EXPECT_EQ(s.message, msg::kReadOnlyFile);
    }
    fs::rename(dir.File("ro.bmp"), dir.File("ro.tsr"));
    EXPECT_EQ(SaveDocument(*doc, dir.File("ro.tsr")).message, msg::kReadOnlyFile);
    EXPECT_EQ(Text(dir.File("ro.tsr")), "old");
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->history.position, position);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"ro.tsr"});
}

// Names up to the system's limit save (the temporary name is cut to fit).
TEST(SafeFile, NamesUpToTheLimitSave) {
    TempDir dir;
    for (size_t length : {size_t(240), size_t(250), size_t(255)}) {
        const std::string name = std::string(length - 4, 'n') + ".bmp";
        ASSERT_TRUE(Save(dir.File(name), "z")) << length;
        EXPECT_EQ(Text(dir.File(name)), "z");
        fs::remove(dir.File(name));
    }
    EXPECT_TRUE(Names(dir.Path()).empty());
}

// A full disk (here: a file size limit) while saving: the old file stays whole, also
// when it has other names and would be rewritten in place, and no temporary is left.
TEST(SafeFile, AFullDiskLeavesTheOldFileWhole) {
    TempDir dir;
    WriteFileBytes(dir.File("plain.tsr"), {'o', 'l', 'd'});
    WriteFileBytes(dir.File("linked.tsr"), {'o', 'l', 'd'});
    fs::create_hard_link(dir.File("linked.tsr"), dir.File("other.tsr"));
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string big(5000, 'b');
    const bool plain = Save(dir.File("plain.tsr"), big);
    const bool linked = Save(dir.File("linked.tsr"), big);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(plain);
    EXPECT_FALSE(linked);
    EXPECT_EQ(Text(dir.File("plain.tsr")), "old");
    EXPECT_EQ(Text(dir.File("other.tsr")), "old");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"linked.tsr", "other.tsr", "plain.tsr"}));
}

// What a signal handler calls while a save is under way: the temporary file goes, the
// save can no longer complete and the target is as it was.
TEST(SafeFile, UnfinishedSavesAreRemovedForASignalHandler) {
    TempDir dir;
    WriteFileBytes(dir.File("t.bmp"), {'o', 'l', 'd'});
    SafeFile a, b;
    ASSERT_TRUE(a.Open(dir.File("t.bmp")));
    ASSERT_TRUE(b.Open(dir.File("u.bmp")));
    ASSERT_TRUE(a.Stream().WriteAll("new", 3));
    EXPECT_EQ(Names(dir.Path()).size(), 3u);
    RemoveUnfinishedSaves();
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"t.bmp"});
    EXPECT_FALSE(a.Commit());
    EXPECT_EQ(Text(dir.File("t.bmp")), "old");
    // Finished saves are no longer listed.
    ASSERT_TRUE(Save(dir.File("v.bmp"), "v"));
    RemoveUnfinishedSaves();
    EXPECT_EQ(Text(dir.File("v.bmp")), "v");
}
