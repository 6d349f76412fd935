// Text helpers of the measurement files: numbers written the same whatever the user's
// locale, "%.2f" rounding as the user typed the number, and UTF-8 counted in characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace measuretext {

// "%.2f" of a stored 32-bit value, rounded half away from zero from the shortest decimal
// that reads back as the same float (2.345f gives "2.35", not the binary "2.34");
// `decimal` is the decimal mark. Infinite or undefined values give "-1.00".
std::string Fixed2(float value, char decimal = '.');
// Shortest text that reads back as the same 32-bit number ('.' decimal mark).
std::string Shortest(float value);
std::string Int(long long value);

// Whole-text numbers: surrounding white space allowed, nothing else after the number.
std::optional<long long> ParseInt(std::string_view text);
std::optional<double> ParseNumber(std::string_view text);

std::string Trim(std::string_view text);
bool IsSpace(char c);

// Unicode characters (code points) of UTF-8 text; invalid bytes count one each.
size_t CharCount(std::string_view text);
// The byte length of the first `count` characters of `text` (the whole text when shorter).
size_t CharsToBytes(std::string_view text, size_t count);

}  // namespace measuretext
