#include "Utf16.h"

#include <algorithm>
#include <cstring>

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 6 && i + 1 < text.size()) {
            cp = ((c & 0x1F) << 6) | (text[i + 1] & 0x3F);
            len = 2;
        } else if ((c >> 4) == 14 && i + 2 < text.size()) {
            cp = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
            len = 3;
        } else if ((c >> 3) == 30 && i + 3 < text.size()) {
            cp = ((c & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F);
            len = 4;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

void PutUtf16Field(uint8_t* out, size_t bytes, const std::u16string& text) {
    std::memset(out, 0, bytes);
    const size_t n = std::min(text.size(), bytes / 2 - 1);
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] = uint8_t(text[i]);
        out[2 * i + 1] = uint8_t(text[i] >> 8);
    }
}

std::u16string GetUtf16Field(const uint8_t* in, size_t bytes) {
    std::u16string s;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = char16_t(in[i] | (in[i + 1] << 8));
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}
