#include "SafeFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

SafeFile::~SafeFile() {
    if (!m_temp.empty() && !m_done) {
        m_stream.Close();
        std::remove(m_temp.c_str());
    }
}

bool SafeFile::Open(const std::string& target) {
    m_target = target;
    std::filesystem::path p(target);
    const std::filesystem::path folder = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + p.filename().string() + ".saving-XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        std::remove(pattern.c_str());
        return false;
    }
    m_temp = pattern;
    m_stream.Adopt(file, true);
    return true;
}

bool SafeFile::Commit(bool durable) {
    if (m_temp.empty() || m_done) return false;
    // Keep the permissions of a file being replaced; a new file gets the usual ones.
    struct stat st {};
    const bool replacing = stat(m_target.c_str(), &st) == 0;
    bool ok = !m_stream.Error() && m_stream.Flush();
    // The bytes reach the disk before they replace an existing file.
    if (ok && replacing && durable) ok = fsync(fileno(m_stream.Handle())) == 0;
    ok = m_stream.Close() && ok;
    if (ok) {
        mode_t mode = 0666;
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
        if (replacing) mode = st.st_mode & 07777;
        chmod(m_temp.c_str(), mode);
        ok = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
    }
    if (!ok) std::remove(m_temp.c_str());
    m_done = true;
    return ok;
}
