// Writing a file without ever damaging the one it replaces: the bytes go to a
// temporary file in the same folder, which is renamed over the target only when the
// whole write succeeded; otherwise the temporary file is removed.
#pragma once

#include <string>

#include "ByteStream.h"

class SafeFile {
public:
    SafeFile() = default;
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool Open(const std::string& target);
    FileStream& Stream() { return m_stream; }
    // Flushes, closes and renames over the target; false (target untouched) on any
    // failure. `durable`: a replaced file's new bytes are synced to the disk first.
    bool Commit(bool durable = true);

private:
    std::string m_target;
    std::string m_temp;
    FileStream m_stream;
    bool m_done = false;
};
