// Writing a file without ever damaging the one it replaces: the bytes go to a
// temporary file in the target's folder, reach the disk (fsync) and are renamed over
// the target only when the whole write succeeded; otherwise the temporary file is
// removed. A symbolic link is saved through (its target gets the bytes and the link
// stays); a file with other hard links, or one whose owner cannot be given to the new
// file, is rewritten in place once the new bytes are complete, so that it keeps its
// names and its owner; a replaced file keeps its mode. A read-only target is refused.
#pragma once

#include <string>

#include "ByteStream.h"

class SafeFile {
public:
    SafeFile() = default;
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // False when the temporary file cannot be made or the target may not be written;
    // Error() then holds the system's message for a refusal the user can act on.
    bool Open(const std::string& target);
    FileStream& Stream() { return m_stream; }
    // Syncs, closes and puts the bytes in place; false (target untouched) on any
    // failure. `durable`: the folder's entry is synced too after a rename.
    bool Commit(bool durable = true);
    const std::string& Error() const { return m_error; }
    // Error(), or `fallback` when there is no message of its own.
    std::string ErrorOr(const char* fallback) const { return m_error.empty() ? fallback : m_error; }

private:
    std::string m_target;  // the file that gets the bytes (a link's target)
    std::string m_temp;
    std::string m_error;
    FileStream m_stream;
    int m_slot = -1;
    bool m_done = false;
};

// Removes every temporary file that a save of this process is writing. Only
// async-signal-safe calls: a handler of a terminating signal calls it.
void RemoveUnfinishedSaves() noexcept;
// For a program without handlers of its own (the editor): SIGINT, SIGTERM, SIGHUP and
// SIGQUIT, unless ignored, remove unfinished saves and end the program as the signal
// would have.
void RemoveUnfinishedSavesOnSignals();
