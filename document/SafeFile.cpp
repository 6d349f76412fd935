#include "SafeFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "Messages.h"

namespace fs = std::filesystem;

namespace {

// The temporary files being written, kept where a signal handler can read them: fixed
// slots of plain characters, each claimed (1), filled and then published (2).
constexpr int kSlots = 16;
struct Slot {
    std::atomic<int> state{0};
    char path[PATH_MAX + 1];
};
Slot g_slots[kSlots];

int Publish(const std::string& path) {
    if (path.size() > PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!g_slots[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(2);
        return i;
    }
    return -1;
}

void Withdraw(int slot) {
    if (slot >= 0) g_slots[slot].state.store(0);
}

// The file a save of `target` writes: the final target of a chain of symbolic links
// (relative links count from the link's folder); the path itself otherwise.
std::string FinalTarget(const std::string& target) {
    fs::path p(target);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) break;
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) break;
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p.string();
}

// A hidden name beside the target with six random characters; long names are cut so
// that the temporary name stays within the system's limit on one name.
std::string TemporaryName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    static std::mutex randomMutex;
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".saving-";
    {
        std::lock_guard<std::mutex> guard(randomMutex);
        for (int i = 0; i < 6; ++i) suffix.push_back(kChars[random() % (sizeof kChars - 1)]);
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name = target.filename().string();
    const size_t room = size_t(NAME_MAX) - 1 - suffix.size();
    if (name.size() > room) name.resize(room);
    return (folder / ("." + name + suffix)).string();
}

bool WriteAllTo(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Rewrites `target` with the bytes of the complete temporary file. Space for a longer
// file is reserved first, so that a full disk leaves the old bytes as they were.
bool CopyInPlace(const std::string& temp, const std::string& target) {
    const int in = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat src {}, dst {};
    bool ok = out >= 0 && fstat(in, &src) == 0 && fstat(out, &dst) == 0;
    if (ok && src.st_size > dst.st_size) ok = posix_fallocate(out, dst.st_size, src.st_size - dst.st_size) == 0;
    char block[65536];
    for (off_t done = 0; ok && done < src.st_size;) {
        const ssize_t n = read(in, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 && WriteAllTo(out, block, size_t(n));
        done += n;
    }
    ok = ok && ftruncate(out, src.st_size) == 0 && fsync(out) == 0;
    if (out >= 0) ok = close(out) == 0 && ok;
    close(in);
    return ok;
}

void SyncFolder(const std::string& file) {
    const fs::path p(file);
    const int fd = open(p.has_parent_path() ? p.parent_path().c_str() : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

void RemoveUnfinishedSaves() noexcept {
    for (Slot& s : g_slots)
        if (s.state.load() == 2) unlink(s.path);
}

namespace {

void RemoveAndDie(int sig) {
    RemoveUnfinishedSaves();
    raise(sig);  // the handler was reset on entry: the default action ends the process
}

}  // namespace

void RemoveUnfinishedSavesOnSignals() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction sa {};
        sa.sa_handler = RemoveAndDie;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        sigaction(sig, &sa, nullptr);
    }
}

SafeFile::~SafeFile() {
    if (!m_temp.empty() && !m_done) {
        m_stream.Close();
        std::remove(m_temp.c_str());
        Withdraw(m_slot);
    }
}

bool SafeFile::Open(const std::string& target) {
    m_target = FinalTarget(target);
    m_error.clear();
    // A file that may not be written is not replaced behind its owner's back (the
    // folder's permission would allow the rename); a file without any write
    // permission counts as read-only even for the administrator.
    struct stat st {};
    if (stat(m_target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (access(m_target.c_str(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        m_error = msg::kReadOnlyFile;
        return false;
    }
    // The name is listed for the signal handler before the file exists: a signal at any
    // moment finds every temporary file that may be there.
    std::string pattern;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        pattern = TemporaryName(m_target);
        m_slot = Publish(pattern);
        fd = open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) Withdraw(m_slot);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        std::remove(pattern.c_str());
        Withdraw(m_slot);
        return false;
    }
    m_temp = pattern;
    m_stream.Adopt(file, true);
    return true;
}

bool SafeFile::Commit(bool durable) {
    if (m_temp.empty() || m_done) return false;
    m_done = true;
    struct stat st {};
    const bool replacing = stat(m_target.c_str(), &st) == 0;
    // The new bytes reach the disk before they take the target's place.
    bool ok = !m_stream.Error() && m_stream.Flush() && fsync(fileno(m_stream.Handle())) == 0;
    const int fd = fileno(m_stream.Handle());
    bool inPlace = false;
    if (ok) {
        if (!replacing) {
            const mode_t mask = umask(0);
            umask(mask);
            ok = fchmod(fd, 0666 & ~mask) == 0;
        } else {
            // Other names of the file, or an owner that the new file cannot be given,
            // are kept by writing the complete new bytes into the file itself.
            inPlace = st.st_nlink > 1 || !S_ISREG(st.st_mode);
            if (!inPlace && (st.st_uid != geteuid() || st.st_gid != getegid()))
                inPlace = fchown(fd, st.st_uid, st.st_gid) != 0;
            ok = fchmod(fd, st.st_mode & 07777) == 0;
        }
    }
    ok = m_stream.Close() && ok;
    if (ok && inPlace) {
        ok = CopyInPlace(m_temp, m_target);
        std::remove(m_temp.c_str());
    } else if (ok) {
        ok = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
        if (ok && durable) SyncFolder(m_target);
    }
    if (!ok && !inPlace) std::remove(m_temp.c_str());
    Withdraw(m_slot);
    return ok;
}
