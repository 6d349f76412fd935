#include "StepSpace.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "History.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSpacePrefix = ".tessaro-steps-";
constexpr const char* kLockName = kStepSpaceLockName;

// The spaces this process made, with the descriptors that hold their locks.
std::mutex g_spacesMutex;
std::map<std::string, int>& OwnSpaces() {
    static std::map<std::string, int> spaces;
    return spaces;
}

// The process number in a space's name ".tessaro-steps-<pid>-<n>"; 0 when the name is
// not of that form (such a folder is not ours and is left alone).
pid_t SpaceOwner(const std::string& name) {
    const std::string prefix = kSpacePrefix;
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    long long pid = 0;
    auto [p, ec] = std::from_chars(first, last, pid);
    if (ec != std::errc() || p == first || p == last || *p != '-' || pid <= 0 || pid > 0x7FFFFFFF) return 0;
    long long n = 0;
    auto [q, ec2] = std::from_chars(p + 1, last, n);
    if (ec2 != std::errc() || q == p + 1 || q != last) return 0;
    return pid_t(pid);
}

bool ProcessRuns(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Makes "<folder>/.tessaro-steps-<pid>-<n>" with the first free n and locks it.
std::string MakeSpaceIn(const fs::path& folder) {
    const pid_t pid = getpid();
    for (int n = 0; n < 1000; ++n) {
        const fs::path space = folder / (kSpacePrefix + std::to_string(pid) + "-" + std::to_string(n));
        if (mkdir(space.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            return {};
        }
        // Until the lock is taken the space is protected by its name: a sweeper leaves
        // alone every space whose process still runs.
        const int fd = open((space / kLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0) close(fd);
            std::error_code ec;
            fs::remove(space / kLockName, ec);
            fs::remove(space, ec);
            return {};
        }
        std::lock_guard<std::mutex> guard(g_spacesMutex);
        OwnSpaces()[space.string()] = fd;
        return space.string();
    }
    return {};
}

// Sweeps one space whose program has ended. Its lock must be free too: a lock held
// means a live owner that the process check cannot see (another process namespace)
// or another program sweeping the same space right now.
void SweepSpace(const fs::path& space, pid_t owner) {
    if (ProcessRuns(owner)) return;
    std::error_code ec;
    const fs::path lockPath = space / kLockName;
    const int fd = open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);  // another sweeper is at work on it
        return;
    }
    SweepStepFiles(space.string());
    fs::remove(lockPath, ec);
    if (fd >= 0) close(fd);
    // Only an empty folder goes: files that are not step files stay where they are.
    fs::remove(space, ec);
}

}  // namespace

std::string CreateStepSpace(const std::string& programFolder) {
    std::string space = MakeSpaceIn(programFolder.empty() ? fs::path(".") : fs::path(programFolder));
    if (space.empty() && !TemporaryFolder().empty()) space = MakeSpaceIn(TemporaryFolder());
    return space;
}

std::string TemporaryFolder() {
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    return ec ? std::string() : temp.string();
}

void SweepStaleStepSpaces(const std::string& programFolder, bool looseFiles) {
    const fs::path folder = programFolder.empty() ? fs::path(".") : fs::path(programFolder);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const pid_t owner = SpaceOwner(it->path().filename().string());
        if (owner == 0) continue;
        std::error_code statError;
        // A link named like a space is not followed.
        if (!fs::is_directory(it->symlink_status(statError)) || statError) continue;
        {
            std::lock_guard<std::mutex> guard(g_spacesMutex);
            if (OwnSpaces().count(it->path().string())) continue;
        }
        SweepSpace(it->path(), owner);
    }
    // Step files of earlier runs that kept them directly in the program folder.
    if (looseFiles) SweepStepFiles(folder.string());
}

void RemoveStepSpace(const std::string& space) {
    int fd = -1;
    {
        std::lock_guard<std::mutex> guard(g_spacesMutex);
        auto it = OwnSpaces().find(space);
        if (it == OwnSpaces().end()) return;
        fd = it->second;
        OwnSpaces().erase(it);
    }
    std::error_code ec;
    SweepStepFiles(space);
    // The lock file goes while the lock is still held, then the folder when empty.
    fs::remove(fs::path(space) / kLockName, ec);
    close(fd);
    fs::remove(space, ec);
}
