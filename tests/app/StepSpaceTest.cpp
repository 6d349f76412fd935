#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "StepSpace.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

// A process number that no process can have (above the kernel's largest).
constexpr long long kDeadPid = 2000000000;

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

// One head file and the first, a middle and the last step position of one document.
void PutStepFiles(const fs::path& folder, int doc) {
    Touch(folder / ("WrIniLrList_Head_" + std::to_string(doc) + ".tmp"));
    for (int position : {0, 11, 12, 36}) Touch(folder / (std::to_string(doc) + "ud" + std::to_string(position) + ".tmp"));
}

int CountEntries(const fs::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

// Another program: a child process that makes its own space in `folder`, puts step
// files into it, reports the path and waits to be killed.
struct OtherProgram {
    pid_t pid = -1;
    std::string space;

    explicit OtherProgram(const std::string& folder) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string s = CreateStepSpace(folder);
            if (!s.empty()) PutStepFiles(s, 101);
            const std::string line = s + "\n";
            if (write(fds[1], line.data(), line.size()) < 0) _exit(1);
            for (;;) pause();
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') space.push_back(c);
        close(fds[0]);
    }
    void Kill() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    ~OtherProgram() { Kill(); }
};

}  // namespace

TEST(StepSpace, TwoSpacesInOneFolderAreDistinctAndRemovedCleanly) {
    TempDir dir;
    const std::string a = CreateStepSpace(dir.Path().string());
    const std::string b = CreateStepSpace(dir.Path().string());
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(fs::path(a).parent_path(), dir.Path());
    EXPECT_TRUE(fs::is_directory(a));
    EXPECT_TRUE(fs::is_directory(b));
    EXPECT_EQ(fs::path(a).filename().string().rfind(".tessaro-steps-" + std::to_string(getpid()) + "-", 0), 0u);

    PutStepFiles(a, 101);
    PutStepFiles(b, 101);
    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_TRUE(fs::exists(fs::path(a) / "101ud0.tmp")) << "a live space is never swept";
    EXPECT_TRUE(fs::exists(fs::path(b) / "101ud0.tmp"));

    RemoveStepSpace(a);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(fs::exists(fs::path(b) / "WrIniLrList_Head_101.tmp"));
    RemoveStepSpace(b);
    EXPECT_EQ(CountEntries(dir.Path()), 0);
    RemoveStepSpace(b);  // a second time does nothing
}

TEST(StepSpace, AnotherRunningProgramsSpaceSurvivesUntilItEnds) {
    TempDir dir;
    OtherProgram other(dir.Path().string());
    ASSERT_FALSE(other.space.empty());
    const std::string mine = CreateStepSpace(dir.Path().string());
    ASSERT_FALSE(mine.empty());
    EXPECT_NE(mine, other.space);

    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_TRUE(fs::exists(fs::path(other.space) / "101ud36.tmp"));
    EXPECT_TRUE(fs::exists(fs::path(other.space) / "WrIniLrList_Head_101.tmp"));

    other.Kill();  // a crash: its lock goes with it, its files stay
    EXPECT_TRUE(fs::exists(fs::path(other.space) / "101ud0.tmp"));
    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_FALSE(fs::exists(other.space));
    EXPECT_TRUE(fs::is_directory(mine));
    RemoveStepSpace(mine);
}

TEST(StepSpace, StaleSpacesAndLooseStepFilesAreSwept) {
    TempDir dir;
    // A space of an ended program, with and without its lock file.
    const fs::path stale = dir.Path() / (".tessaro-steps-" + std::to_string(kDeadPid) + "-0");
    fs::create_directory(stale);
    Touch(stale / "lock");
    PutStepFiles(stale, 100);
    PutStepFiles(stale, 998);
    const fs::path lockless = dir.Path() / (".tessaro-steps-" + std::to_string(kDeadPid) + "-1");
    fs::create_directory(lockless);
    PutStepFiles(lockless, 500);
    // A stale space holding a file that is not a step file keeps that file and itself.
    const fs::path mixed = dir.Path() / (".tessaro-steps-" + std::to_string(kDeadPid) + "-2");
    fs::create_directory(mixed);
    PutStepFiles(mixed, 101);
    Touch(mixed / "notes.txt");
    // Folders that only look like spaces are not ours.
    const fs::path foreign = dir.Path() / ".tessaro-steps-abc";
    fs::create_directory(foreign);
    PutStepFiles(foreign, 101);
    const fs::path init = dir.Path() / ".tessaro-steps-1-0";  // process 1 always runs
    fs::create_directory(init);
    PutStepFiles(init, 101);
    // Loose step files of an earlier run, and files that are not step files.
    PutStepFiles(dir.Path(), 100);
    PutStepFiles(dir.Path(), 998);
    Touch(dir.Path() / "999ud0.tmp");
    Touch(dir.Path() / "Dravcon_34.ini");

    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(lockless));
    EXPECT_TRUE(fs::exists(mixed / "notes.txt"));
    EXPECT_FALSE(fs::exists(mixed / "101ud0.tmp"));
    EXPECT_FALSE(fs::exists(mixed / "lock"));
    EXPECT_TRUE(fs::exists(foreign / "101ud0.tmp"));
    EXPECT_TRUE(fs::exists(init / "101ud0.tmp"));
    EXPECT_FALSE(fs::exists(dir.Path() / "100ud0.tmp"));
    EXPECT_FALSE(fs::exists(dir.Path() / "998ud36.tmp"));
    EXPECT_FALSE(fs::exists(dir.Path() / "WrIniLrList_Head_998.tmp"));
    EXPECT_TRUE(fs::exists(dir.Path() / "999ud0.tmp")) << "document numbers stop at 998";
    EXPECT_TRUE(fs::exists(dir.Path() / "Dravcon_34.ini"));
}

TEST(StepSpace, AHeldLockKeepsASpaceWhoseProcessCannotBeSeen) {
    // An owner in another process namespace: its number means nothing here, but it
    // holds the lock.
    TempDir dir;
    const fs::path space = dir.Path() / (".tessaro-steps-" + std::to_string(kDeadPid) + "-0");
    fs::create_directory(space);
    const int fd = open((space / "lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    PutStepFiles(space, 101);
    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_TRUE(fs::exists(space / "101ud0.tmp"));
    close(fd);
    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_FALSE(fs::exists(space));
}

TEST(StepSpace, LinksNamedLikeSpacesAreNotFollowed) {
    TempDir dir;
    TempDir elsewhere;
    PutStepFiles(elsewhere.Path(), 101);
    fs::create_directory_symlink(elsewhere.Path(), dir.Path() / (".tessaro-steps-" + std::to_string(kDeadPid) + "-0"));
    SweepStaleStepSpaces(dir.Path().string());
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "101ud0.tmp"));
}

TEST(StepSpace, FallsBackToTheTemporaryFolder) {
    TempDir dir;
    const std::string space = CreateStepSpace((dir.Path() / "missing").string());
    ASSERT_FALSE(space.empty());
    EXPECT_EQ(fs::path(space).parent_path(), fs::temp_directory_path());
    RemoveStepSpace(space);
    EXPECT_FALSE(fs::exists(space));
}
