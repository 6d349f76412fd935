// Where step files live. The editor and `apply` keep them on disk in the step folder;
// the memory storage keeps the very same bytes without touching the disk (documents
// that nothing outside the process will ever look at).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ByteStream;

class StepStorage {
public:
    using Pieces = std::vector<std::pair<const uint8_t*, size_t>>;
    virtual ~StepStorage() = default;
    // Writes a whole file from its pieces, in order; false when it could not be written.
    virtual bool Write(const std::string& path, const Pieces& pieces) = 0;
    // The file for reading, or null when it does not exist.
    virtual std::unique_ptr<ByteStream> Read(const std::string& path) = 0;
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
};

class DiskStepStorage final : public StepStorage {
public:
    bool Write(const std::string& path, const Pieces& pieces) override;
    std::unique_ptr<ByteStream> Read(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
};

// Files in memory, each a list of pieces; a piece equal to one already stored (the
// same layer written at two positions) is shared rather than copied.
class MemoryStepStorage final : public StepStorage {
public:
    using Chunk = std::shared_ptr<const std::vector<uint8_t>>;
    bool Write(const std::string& path, const Pieces& pieces) override;
    std::unique_ptr<ByteStream> Read(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;

private:
    Chunk Store(const uint8_t* data, size_t size);
    std::map<std::string, std::vector<Chunk>> m_files;
};
