#include "MeasureText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace measuretext {

std::string Fixed2(float value, char decimal) {
    if (!std::isfinite(value)) return std::string("-1") + decimal + "00";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.erase(0, 1);
    const size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    const bool up = fraction.size() > 2 && fraction[2] >= '5';
    fraction.resize(2, '0');
    std::string digits = whole + fraction;
    if (up) {
        size_t i = digits.size();
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                break;
            }
            if (i == 0) digits.insert(digits.begin(), '1');
        }
    }
    std::string result = digits.substr(0, digits.size() - 2) + decimal + digits.substr(digits.size() - 2);
    if (result[0] == decimal) result.insert(result.begin(), '0');
    const bool zero = result.find_first_not_of(std::string("0") + decimal) == std::string::npos;
    return negative && !zero ? "-" + result : result;
}

std::string Shortest(float value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string Int(long long value) { return std::to_string(value); }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(std::string_view text) {
    size_t a = 0, b = text.size();
    while (a < b && IsSpace(text[a])) ++a;
    while (b > a && IsSpace(text[b - 1])) --b;
    return std::string(text.substr(a, b - a));
}

std::optional<long long> ParseInt(std::string_view text) {
    const std::string t = Trim(text);
    const char* first = t.c_str();
    if (!t.empty() && t[0] == '+') ++first;
    long long value = 0;
    const auto [end, ec] = std::from_chars(first, t.c_str() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.c_str() + t.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(std::string_view text) {
    const std::string t = Trim(text);
    const char* first = t.c_str();
    if (!t.empty() && t[0] == '+') ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, t.c_str() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.c_str() + t.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

namespace {
// Bytes of the character starting with lead byte `c` (1 for an invalid lead byte).
size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF4) return 4;
    if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
    if (c >= 0xC2) return 2;
    return 1;
}
size_t NextChar(std::string_view text, size_t at) {
    const size_t n = SequenceLength(static_cast<unsigned char>(text[at]));
    for (size_t k = 1; k < n; ++k)
        if (at + k >= text.size() || (static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return at + 1;
    return at + n;
}
}  // namespace

size_t CharCount(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); at = NextChar(text, at)) ++count;
    return count;
}

size_t CharsToBytes(std::string_view text, size_t count) {
    size_t at = 0;
    for (size_t k = 0; k < count && at < text.size(); ++k) at = NextChar(text, at);
    return at;
}

}  // namespace measuretext
