#include "Recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteStream.h"
#include "Document.h"
#include "Messages.h"
#include "ProjectFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSessionPrefix = "session-";
constexpr const char* kLockName = "lock";
constexpr const char* kCopySuffix = ".tsr";
constexpr const char* kInfoSuffix = ".info";

// Writes a whole file under a temporary name, then renames it over `path`: a reader
// (the next start) never sees a half-written copy.
bool WriteWhole(const std::string& path, const uint8_t* data, size_t size) {
    const std::string part = path + ".part";
    const int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok) ok = std::rename(part.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(part.c_str());
    return ok;
}

std::string ReadText(const fs::path& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < 65536) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Whether a session's editor still runs: its lock cannot be taken.
bool SessionLive(const fs::path& session) {
    const int fd = open((session / kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool live = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return live;
}

// Removes a crashed session's folder once it holds nothing but its lock and stray
// temporary parts.
void RemoveSessionIfEmpty(const fs::path& session) {
    std::error_code ec;
    for (fs::directory_iterator it(session, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name != kLockName && it->path().extension() != ".part") return;
    }
    for (fs::directory_iterator it(session, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        fs::remove(it->path(), ec);
    fs::remove(session, ec);
}

}  // namespace

std::string RecoveryFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return (fs::path(data) / "tessaro" / "recovery").string();
    const char* home = std::getenv("HOME");
    if (home && *home) return (fs::path(home) / ".local" / "share" / "tessaro" / "recovery").string();
    return {};
}

RecoverySession::RecoverySession(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    fs::create_directories(folder, ec);
    chmod(folder.c_str(), 0700);  // the copies are the user's pictures
    for (int n = 0; n < 1000 && m_folder.empty(); ++n) {
        const fs::path session = fs::path(folder) / (kSessionPrefix + std::to_string(getpid()) + "-" + std::to_string(n));
        if (mkdir(session.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            return;
        }
        const int fd = open((session / kLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0) close(fd);
            fs::remove(session / kLockName, ec);
            fs::remove(session, ec);
            return;
        }
        m_lock = fd;
        m_folder = session.string();
    }
    if (Ready()) m_worker = std::thread([this] { Run(); });
}

RecoverySession::~RecoverySession() {
    if (!Ready()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_worker.join();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_folder, ec))
        if (entry.path().filename() != kLockName) fs::remove(entry.path(), ec);
    // The lock file goes while the lock is still held, then the folder.
    fs::remove(fs::path(m_folder) / kLockName, ec);
    close(m_lock);
    fs::remove(m_folder, ec);
}

std::string RecoverySession::CopyPath(const COrinDoc& doc) const {
    return (fs::path(m_folder) / ("document-" + std::to_string(doc.number) + kCopySuffix)).string();
}

Status RecoverySession::Keep(COrinDoc& doc, const std::string& title) {
    if (!Ready() || doc.IsEmpty()) return Status::Fail(msg::kSaveFailed);
    // The document is read here, on the editor's thread; only the disk waits elsewhere.
    MemoryStream out;
    if (Status s = WriteProject(doc, out); !s) return s;
    auto bytes = std::make_shared<std::vector<uint8_t>>(out.Buffer().begin(), out.Buffer().begin() + out.Size());
    Job job;
    job.path = CopyPath(doc);
    job.bytes = std::move(bytes);
    job.info = std::to_string(int64_t(std::time(nullptr))) + "\n" + title + "\n" + doc.path;
    std::lock_guard<std::mutex> lock(m_mutex);
    // A newer copy of the same document replaces one still waiting.
    for (Job& waiting : m_queue)
        if (waiting.path == job.path) {
            waiting = std::move(job);
            m_changed.notify_all();
            return Status::Ok();
        }
    m_queue.push_back(std::move(job));
    m_changed.notify_all();
    return Status::Ok();
}

void RecoverySession::Drop(const COrinDoc& doc) {
    if (!Ready()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string path = CopyPath(doc);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [&](const Job& j) { return j.path == path; }),
                  m_queue.end());
    Job job;
    job.remove = path;
    m_queue.push_back(std::move(job));
    m_changed.notify_all();
}

bool RecoverySession::Adopt(const RecoverableCopy& copy, const COrinDoc& doc) {
    if (!Ready()) return false;
    Flush();
    const std::string path = CopyPath(doc);
    std::error_code ec;
    fs::rename(copy.project, path, ec);
    if (ec) return false;
    const std::string info = std::to_string(copy.savedAt) + "\n" + copy.title + "\n" + copy.original;
    WriteWhole(fs::path(path).replace_extension(kInfoSuffix).string(), reinterpret_cast<const uint8_t*>(info.data()),
               info.size());
    fs::remove(fs::path(copy.project).replace_extension(kInfoSuffix), ec);
    RemoveSessionIfEmpty(fs::path(copy.project).parent_path());
    return true;
}

void RecoverySession::Flush() {
    if (!Ready()) return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queue.empty() && !m_busy; });
}

void RecoverySession::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) return;
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        std::error_code ec;
        if (!job.remove.empty()) {
            fs::remove(job.remove, ec);
            fs::remove(fs::path(job.remove).replace_extension(kInfoSuffix), ec);
        } else {
            // The description first: a copy is never listed without its title and time.
            const std::string info = fs::path(job.path).replace_extension(kInfoSuffix).string();
            if (WriteWhole(info, reinterpret_cast<const uint8_t*>(job.info.data()), job.info.size()))
                WriteWhole(job.path, job.bytes->data(), job.bytes->size());
        }
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

std::vector<RecoverableCopy> FindRecoverableCopies(const std::string& folder) {
    std::vector<RecoverableCopy> copies;
    if (folder.empty()) return copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code statError;
        if (name.rfind(kSessionPrefix, 0) != 0 || !fs::is_directory(it->symlink_status(statError))) continue;
        if (SessionLive(it->path())) continue;
        std::error_code inner;
        for (fs::directory_iterator c(it->path(), inner); !inner && c != fs::directory_iterator(); c.increment(inner)) {
            if (c->path().extension() != kCopySuffix || !fs::is_regular_file(c->symlink_status(statError))) continue;
            RecoverableCopy copy;
            copy.project = c->path().string();
            const std::string info = ReadText(fs::path(c->path()).replace_extension(kInfoSuffix));
            const size_t first = info.find('\n');
            const size_t second = first == std::string::npos ? first : info.find('\n', first + 1);
            if (second != std::string::npos) {
                copy.savedAt = std::strtoll(info.c_str(), nullptr, 10);
                copy.title = info.substr(first + 1, second - first - 1);
                copy.original = info.substr(second + 1);
            } else {
                // No description: the copy's own time, its file name as the title.
                copy.savedAt = int64_t(std::chrono::duration_cast<std::chrono::seconds>(
                                           fs::last_write_time(c->path(), statError).time_since_epoch())
                                           .count());
                copy.title = c->path().filename().string();
            }
            copies.push_back(std::move(copy));
        }
    }
    std::sort(copies.begin(), copies.end(),
              [](const RecoverableCopy& a, const RecoverableCopy& b) { return a.savedAt > b.savedAt; });
    return copies;
}

void DiscardRecoverableCopy(const RecoverableCopy& copy) {
    const fs::path session = fs::path(copy.project).parent_path();
    if (SessionLive(session)) return;
    std::error_code ec;
    fs::remove(copy.project, ec);
    fs::remove(fs::path(copy.project).replace_extension(kInfoSuffix), ec);
    RemoveSessionIfEmpty(session);
}

std::string RecoveryTimeText(int64_t savedAt) {
    const std::time_t t = std::time_t(savedAt);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}
