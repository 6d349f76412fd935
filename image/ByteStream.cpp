#include "ByteStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

int64_t ByteStream::Remaining() {
    const int64_t size = Size();
    const int64_t pos = Tell();
    if (size < 0 || pos < 0 || pos >= size) return 0;
    return size - pos;
}

bool FileStream::Open(const std::string& path, const char* mode) {
    Close();
    m_file = std::fopen(path.c_str(), mode);
    m_owns = true;
    return m_file != nullptr;
}

bool FileStream::Close() {
    bool ok = true;
    if (m_file && m_owns) ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    m_owns = false;
    return ok;
}

size_t FileStream::Read(void* buffer, size_t size, size_t count) {
    return m_file ? std::fread(buffer, size, count, m_file) : 0;
}
size_t FileStream::Write(const void* buffer, size_t size, size_t count) {
    return m_file ? std::fwrite(buffer, size, count, m_file) : 0;
}
bool FileStream::Seek(int64_t offset, int whence) { return m_file && fseeko(m_file, offset, whence) == 0; }
int64_t FileStream::Tell() { return m_file ? int64_t(ftello(m_file)) : -1; }
int64_t FileStream::Size() {
    if (!m_file) return -1;
    const off_t here = ftello(m_file);
    if (here < 0 || fseeko(m_file, 0, SEEK_END) != 0) return -1;
    const off_t end = ftello(m_file);
    fseeko(m_file, here, SEEK_SET);
    return int64_t(end);
}
bool FileStream::Flush() { return m_file && std::fflush(m_file) == 0; }
bool FileStream::Eof() { return !m_file || std::feof(m_file); }
bool FileStream::Error() { return !m_file || std::ferror(m_file); }
bool FileStream::PutByte(uint8_t value) { return m_file && std::fputc(value, m_file) != EOF; }
int FileStream::GetByte() {
    if (!m_file) return -1;
    const int c = std::fgetc(m_file);
    return c == EOF ? -1 : c;
}

MemoryStream::MemoryStream(const uint8_t* data, size_t size) : m_view(data), m_size(size), m_readOnly(true) {}

MemoryStream::MemoryStream(std::vector<uint8_t> data)
    : m_owned(std::move(data)), m_view(m_owned.data()), m_size(m_owned.size()) {}

size_t MemoryStream::Read(void* buffer, size_t size, size_t count) {
    if (size == 0 || count == 0) return 0;
    const size_t avail = m_pos < m_size ? m_size - m_pos : 0;
    size_t items = std::min(count, avail / size);
    if (items < count) m_eof = true;
    if (items) std::memcpy(buffer, m_view + m_pos, items * size);
    m_pos += items * size;
    return items;
}

size_t MemoryStream::Write(const void* buffer, size_t size, size_t count) {
    if (m_readOnly) {
        m_error = true;
        return 0;
    }
    if (size == 0 || count == 0) return 0;
    if (count > std::numeric_limits<size_t>::max() / size) {
        m_error = true;
        return 0;
    }
    const size_t bytes = size * count;
    const size_t end = m_pos + bytes;
    try {
        if (end > m_owned.size()) {
            if (end > m_owned.capacity()) m_owned.reserve(std::max(end, m_owned.capacity() * 2));
            m_owned.resize(end);
        }
    } catch (...) {
        m_error = true;
        return 0;
    }
    std::memcpy(m_owned.data() + m_pos, buffer, bytes);
    m_view = m_owned.data();
    m_pos = end;
    m_size = std::max(m_size, end);
    return count;
}

bool MemoryStream::Seek(int64_t offset, int whence) {
    int64_t base = 0;
    if (whence == SEEK_CUR) base = int64_t(m_pos);
    else if (whence == SEEK_END) base = int64_t(m_size);
    const int64_t target = base + offset;
    if (target < 0) return false;
    m_pos = size_t(target);
    m_eof = false;
    return true;
}

int MemoryStream::GetByte() {
    if (m_pos >= m_size) {
        m_eof = true;
        return -1;
    }
    return m_view[m_pos++];
}
