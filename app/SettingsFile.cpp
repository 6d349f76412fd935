#include "SettingsFile.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <initializer_list>
#include <limits>

#include "SafeFile.h"
#include "Utf16.h"

namespace {

// A real settings file is well under a kilobyte and a real table a few kilobytes; what
// lies beyond these sizes is never read, so a huge or endless file costs nothing.
constexpr size_t kSettingsReadLimit = 64 * 1024;
constexpr size_t kTranslationReadLimit = 1024 * 1024;

std::string InFolder(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    return (std::filesystem::path(folder) / name).string();
}

// Reads at most `limit` bytes of a file; false when it cannot be opened or read.
bool ReadFilePrefix(const std::string& path, size_t limit, std::string& bytes) {
    // Only a regular file: a folder reads as nothing and a pipe would block start-up.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(limit, '\0');
    in.read(bytes.data(), std::streamsize(limit));
    if (in.bad()) return false;
    bytes.resize(size_t(in.gcount()));
    return true;
}

bool IsScanSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The reading side of the formatted lines: one Scan is one scanf call with the format
// the writer used. A white-space character of the format skips any white space; "%d"
// and "%ld" (32 bits in this file) read an optionally signed decimal; any other
// character must match. The first mismatch ends the call, leaving the remaining
// targets untouched and the position at the mismatch, just as scanf leaves the stream.
class FormatScanner {
public:
    explicit FormatScanner(const std::string& bytes) : m_in(bytes) {}

    int Scan(const char* format, std::initializer_list<int32_t*> targets) {
        auto target = targets.begin();
        int assigned = 0;
        for (const char* f = format; *f; ++f) {
            const unsigned char fc = static_cast<unsigned char>(*f);
            if (IsScanSpace(fc)) {
                SkipSpace();
                continue;
            }
            if (fc == '%') {
                if (f[1] == 'l') ++f;
                assert(f[1] == 'd' && target != targets.end());
                ++f;
                int32_t value = 0;
                if (!ReadDecimal(value)) return assigned;
                **target++ = value;
                ++assigned;
                continue;
            }
            if (m_pos >= m_in.size() || static_cast<unsigned char>(m_in[m_pos]) != fc) return assigned;
            ++m_pos;
        }
        return assigned;
    }

    // Consumes one line end ("\r\n" or "\n") if one stands here; the strings that follow
    // may begin with any code unit, so no further white space is skipped.
    void SkipOneLineEnd() {
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '\r' && m_in[m_pos + 1] == '\n')
            m_pos += 2;
        else if (m_pos < m_in.size() && m_in[m_pos] == '\n')
            ++m_pos;
    }

    // Up to `count` UTF-16LE code units; fewer when the bytes end first.
    std::u16string ReadUtf16(size_t count) {
        count = std::min(count, (m_in.size() - m_pos) / 2);
        std::u16string text(count, u'\0');
        for (size_t i = 0; i < count; ++i, m_pos += 2)
            text[i] = char16_t(static_cast<unsigned char>(m_in[m_pos]) | (static_cast<unsigned char>(m_in[m_pos + 1]) << 8));
        return text;
    }

private:
    void SkipSpace() {
        while (m_pos < m_in.size() && IsScanSpace(static_cast<unsigned char>(m_in[m_pos]))) ++m_pos;
    }

    // A value beyond 32 bits is held at the nearest limit instead of wrapping.
    bool ReadDecimal(int32_t& value) {
        SkipSpace();
        bool negative = false;
        if (m_pos < m_in.size() && (m_in[m_pos] == '+' || m_in[m_pos] == '-')) negative = m_in[m_pos++] == '-';
        if (m_pos >= m_in.size() || !IsDigit(static_cast<unsigned char>(m_in[m_pos]))) return false;
        constexpr int64_t kCap = int64_t(1) << 31;
        int64_t v = 0;
        while (m_pos < m_in.size() && IsDigit(static_cast<unsigned char>(m_in[m_pos]))) {
            v = std::min(v * 10 + (m_in[m_pos] - '0'), kCap);
            ++m_pos;
        }
        if (negative) v = -v;
        value = int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        return true;
    }

    const std::string& m_in;
    size_t m_pos = 0;
};

void AppendFormat(std::string& out, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    assert(n >= 0 && size_t(n) < sizeof line);
    out.append(line, size_t(n));
}

// The file is text-mode output: every "\n" of a format is stored as "\r\n".
void AppendLine(std::string& out, const std::string& formatted) {
    for (char c : formatted) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
}

std::u16string Limited(const std::u16string& text) {
    return text.size() > size_t(kSettingsMaxString) ? text.substr(0, size_t(kSettingsMaxString)) : text;
}

void AppendUtf16(std::string& out, const std::u16string& text) {
    for (char16_t c : text) {
        out.push_back(char(c & 0xFF));
        out.push_back(char(c >> 8));
    }
}

}  // namespace

std::string EncodeSettings(const Settings& s) {
    // A string longer than the reader takes would push the rest of the file out of
    // place, so both strings are stored cut to the limit with their stored lengths.
    const std::u16string text = Limited(s.lastText);
    const std::u16string face = Limited(s.faceName);
    const long long gridGap = s.gridGap < 0 ? -static_cast<long long>(s.gridGap) : s.gridGap;

    std::string lines;
    AppendFormat(lines, "FG%ld BG%ld TX%ld pFG%ld pBG%ld", long(s.foreground), long(s.background), long(s.textColour),
                 long(s.pFG), long(s.pBG));
    AppendFormat(lines, "\nFG: %d X%d Y%d", s.fgSelector.selector, s.fgSelector.x, s.fgSelector.y);
    AppendFormat(lines, "\nBG: %d X%d Y%d", s.bgSelector.selector, s.bgSelector.x, s.bgSelector.y);
    AppendFormat(lines, "\nTX: %d X%d Y%d", s.txSelector.selector, s.txSelector.x, s.txSelector.y);
    AppendFormat(lines, "\nFontSize %d %d %d\n", s.fontSize, int(text.size()), int(face.size()));
    AppendFormat(lines, "\nFontStrikeOut %d", s.fontStrikeOut);
    AppendFormat(lines, "\nFontUnderLine %d", s.fontUnderLine);
    AppendFormat(lines, "\n%d %d", s.toolNumber, s.toolGroup);
    AppendFormat(lines, "\nGGap%lld GClr%ld Cur%d Pnt%d %d", gridGap, long(s.gridColour), s.cursorKind, s.paintValue,
                 s.toolValue);
    AppendFormat(lines, "\nFog %d", s.fog);
    AppendFormat(lines, "\nTranspRep %d", s.transpRep);
    // The samples switch is always stored off.
    AppendFormat(lines, "\nFolder: 0");
    AppendFormat(lines, "\nUD %d", s.updateCheck);
    AppendFormat(lines, "\nRS %d", s.rs);
    AppendFormat(lines, "\nWS %d %d", s.wsValue, s.wsCheck);

    std::string out;
    AppendLine(out, lines);
    // The strings are stored as raw code units: no line-end translation inside them.
    AppendLine(out, "\n");
    AppendUtf16(out, text);
    AppendLine(out, "\n");
    AppendUtf16(out, face);
    return out;
}

void DecodeSettings(const std::string& bytes, Settings& s) {
    FormatScanner in(bytes);
    int32_t textLength = int32_t(std::min<size_t>(s.lastText.size(), kSettingsMaxString));
    int32_t faceLength = int32_t(std::min<size_t>(s.faceName.size(), kSettingsMaxString));

    in.Scan("FG%ld BG%ld TX%ld pFG%ld pBG%ld", {&s.foreground, &s.background, &s.textColour, &s.pFG, &s.pBG});
    in.Scan("\nFG: %d X%d Y%d", {&s.fgSelector.selector, &s.fgSelector.x, &s.fgSelector.y});
    in.Scan("\nBG: %d X%d Y%d", {&s.bgSelector.selector, &s.bgSelector.x, &s.bgSelector.y});
    in.Scan("\nTX: %d X%d Y%d", {&s.txSelector.selector, &s.txSelector.x, &s.txSelector.y});
    in.Scan("\nFontSize %d %d %d\n", {&s.fontSize, &textLength, &faceLength});
    in.Scan("\nFontStrikeOut %d", {&s.fontStrikeOut});
    in.Scan("\nFontUnderLine %d", {&s.fontUnderLine});
    in.Scan("\n%d %d", {&s.toolNumber, &s.toolGroup});
    in.Scan("\nGGap%d GClr%ld Cur%d Pnt%d %d", {&s.gridGap, &s.gridColour, &s.cursorKind, &s.paintValue, &s.toolValue});
    in.Scan("\nFog %d", {&s.fog});
    in.Scan("\nTranspRep %d", {&s.transpRep});
    in.Scan("\nFolder: %d", {&s.samplesFolder});
    in.Scan("\nUD %d", {&s.updateCheck});
    in.Scan("\nRS %d", {&s.rs});
    const bool linesComplete = in.Scan("\nWS %d %d", {&s.wsValue, &s.wsCheck}) == 2;

    s.fontSize = std::clamp(s.fontSize, 2, kSettingsMaxFontSize);
    // The grid spacing is 4 to 40 pixels whatever the file says (its sign, shown or
    // hidden, is kept): the editor negates it to show and hide the grid.
    const int64_t gap = std::clamp<int64_t>(s.gridGap < 0 ? -int64_t(s.gridGap) : s.gridGap, 4, 40);
    s.gridGap = int32_t(s.gridGap < 0 ? -gap : gap);
    if (s.toolNumber < 1) s.toolNumber = 1;
    // A negative length means nothing stored.
    textLength = std::clamp(textLength, 0, kSettingsMaxString);
    faceLength = std::clamp(faceLength, 0, kSettingsMaxString);

    // Where the strings start is known only when the lines were read to their end;
    // otherwise the strings keep their previous values instead of taking stray bytes.
    if (!linesComplete) return;
    in.SkipOneLineEnd();
    s.lastText = in.ReadUtf16(size_t(textLength));
    in.SkipOneLineEnd();
    s.faceName = in.ReadUtf16(size_t(faceLength));
}

bool ReadSettingsFile(const std::string& folder, Settings& settings) {
    std::string bytes;
    if (!ReadFilePrefix(InFolder(folder, kSettingsFileName), kSettingsReadLimit, bytes)) return false;
    DecodeSettings(bytes, settings);
    return true;
}

bool WriteSettingsFile(const std::string& folder, const Settings& settings) {
    const std::string bytes = EncodeSettings(settings);
    SafeFile file;
    if (!file.Open(InFolder(folder, kSettingsFileName))) return false;
    if (file.Stream().Write(bytes.data(), 1, bytes.size()) != bytes.size()) return false;
    return file.Commit();
}

// ---------------------------------------------------------------------------
// Translation table

namespace {

bool IsValidUtf8(const std::string& bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len = 0;
        uint32_t cp = 0, min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

// Code page 949 through the C library's converter; a byte sequence it does not know
// becomes U+FFFD and the conversion goes on with the next byte.
std::u16string DecodeCp949(const std::string& bytes) {
    std::u16string out;
    iconv_t cd = iconv_open("UTF-16LE", "CP949");
    if (cd == iconv_t(-1)) {
        for (unsigned char c : bytes) out.push_back(c < 0x80 ? char16_t(c) : u'\uFFFD');
        return out;
    }
    // Every input byte yields at most one code unit.
    std::string converted(bytes.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = converted.data();
    size_t outLeft = converted.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
        if (errno == E2BIG || outLeft < 2) break;
        // Invalid or cut-off sequence: mark it and step over one byte.
        *outPtr++ = char(0xFD);
        *outPtr++ = char(0xFF);
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    const size_t units = size_t(outPtr - converted.data()) / 2;
    out.resize(units);
    for (size_t i = 0; i < units; ++i)
        out[i] = char16_t(static_cast<unsigned char>(converted[2 * i]) | (static_cast<unsigned char>(converted[2 * i + 1]) << 8));
    return out;
}

// At most 79 code units, never ending inside a surrogate pair.
std::u16string CutText(std::u16string text) {
    if (text.size() <= size_t(kTranslationMaxText)) return text;
    size_t n = size_t(kTranslationMaxText);
    if (text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
    text.resize(n);
    return text;
}

}  // namespace

TranslationTable ParseTranslationTable(const std::string& bytes) {
    size_t start = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;

    // Lines first: neither encoding uses the byte 0x0A inside a character.
    std::vector<std::string> lines;
    while (start < bytes.size() && lines.size() < size_t(kTranslationMaxLines)) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }

    bool utf8 = true;
    for (const std::string& line : lines) utf8 = utf8 && IsValidUtf8(line);

    TranslationTable table;
    for (const std::string& line : lines) {
        // The separators are looked for in the decoded text, never in the raw bytes.
        const std::u16string text = utf8 ? Utf8ToUtf16(line) : DecodeCp949(line);
        const size_t tilde = text.find(u'~');
        if (tilde == std::u16string::npos) continue;
        const size_t bar = text.find(u'|', tilde + 1);
        std::u16string korean = text.substr(0, tilde);
        std::u16string translated = text.substr(tilde + 1, bar == std::u16string::npos ? std::u16string::npos : bar - tilde - 1);
        table.pairs.emplace_back(CutText(std::move(korean)), CutText(std::move(translated)));
    }
    return table;
}

TranslationTable LoadTranslationTable(const std::string& folder) {
    std::string bytes;
    if (!ReadFilePrefix(InFolder(folder, kTranslationFileName), kTranslationReadLimit, bytes)) return {};
    // A line cut by the read limit is dropped rather than read half.
    if (bytes.size() == kTranslationReadLimit) {
        const size_t lastEnd = bytes.rfind('\n');
        bytes.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    return ParseTranslationTable(bytes);
}
