// Byte streams that the codecs read and write through: one over a C stream and one
// over a memory block (growable when writing). libjpeg and libtiff get adapters over
// the same interface. Offsets are in bytes from the start of the stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Read and Write move size x count bytes and return the number of whole items moved.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(int64_t offset, int whence) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual bool Error() = 0;
    virtual bool PutByte(uint8_t value) = 0;
    virtual int GetByte() = 0;  // -1 at the end

    // Bytes left between the position and the end (0 when unknown or past it).
    int64_t Remaining();
    bool ReadExact(void* buffer, size_t bytes) { return bytes == 0 || Read(buffer, bytes, 1) == 1; }
    bool WriteAll(const void* buffer, size_t bytes) { return bytes == 0 || Write(buffer, bytes, 1) == 1; }
};

class FileStream final : public ByteStream {
public:
    FileStream() = default;
    explicit FileStream(FILE* file, bool owns = false) : m_file(file), m_owns(owns) {}
    ~FileStream() override { Close(); }
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool Open(const std::string& path, const char* mode);
    void Adopt(FILE* file, bool owns) {
        Close();
        m_file = file;
        m_owns = owns;
    }
    bool Close();  // false when the final flush or close failed
    bool IsOpen() const { return m_file != nullptr; }
    FILE* Handle() const { return m_file; }

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int whence) override;
    int64_t Tell() override;
    int64_t Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    bool PutByte(uint8_t value) override;
    int GetByte() override;

private:
    FILE* m_file = nullptr;
    bool m_owns = false;
};

class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;  // empty, growable
    MemoryStream(const uint8_t* data, size_t size);  // read-only view of foreign bytes
    explicit MemoryStream(std::vector<uint8_t> data);  // owns a copy

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int whence) override;
    int64_t Tell() override { return int64_t(m_pos); }
    int64_t Size() override { return int64_t(m_size); }
    bool Flush() override { return true; }
    bool Eof() override { return m_eof; }
    bool Error() override { return m_error; }
    bool PutByte(uint8_t value) override { return Write(&value, 1, 1) == 1; }
    int GetByte() override;

    const uint8_t* Data() const { return m_view; }
    const std::vector<uint8_t>& Buffer() const { return m_owned; }

private:
    std::vector<uint8_t> m_owned;
    const uint8_t* m_view = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_readOnly = false;
    bool m_eof = false;
    bool m_error = false;
};
