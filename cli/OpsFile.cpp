#include "OpsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace batch {

namespace {

// A recipe is a few hundred lines at most; anything far larger is not one (a picture
// given by mistake, /dev/zero) and is refused before it fills the memory.
constexpr size_t kMaxRecipeBytes = 1 << 20;

struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trimmed(const std::string& line) {
    size_t first = 0, last = line.size();
    while (first < last && IsBlank(line[first])) ++first;
    while (last > first && IsBlank(line[last - 1])) --last;
    return line.substr(first, last - first);
}

}  // namespace

bool ReadOpsFile(const std::string& path, std::vector<OpText>& ops, std::string& error) {
    const auto fail = [&](const char* reason) {
        error = "cannot read ops file: " + path + " (" + reason + ")";
        return false;
    };
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(std::strerror(errno));
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (text.size() + got > kMaxRecipeBytes) return fail("larger than 1 MiB");
        text.append(chunk, got);
    }
    if (std::ferror(file.get())) return fail(std::strerror(errno ? errno : EIO));
    if (text.find('\0') != std::string::npos) return fail("not a text file");
    // A byte-order mark that some editors put first.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);

    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        ops.push_back({line, path + ":" + std::to_string(number)});
    }
    return true;
}

}  // namespace batch
