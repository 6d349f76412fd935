// UTF-8 <-> UTF-16 conversions for stored text (names, titles, layer text). Stored
// text is always UTF-16LE, written through PutUtf16 / GetUtf16 byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// Writes `text` into a fixed field of `bytes` bytes: at most bytes/2 - 1 characters,
// a NUL terminator, zeros after it.
void PutUtf16Field(uint8_t* out, size_t bytes, const std::u16string& text);
// Reads a NUL-terminated UTF-16LE string from a fixed field.
std::u16string GetUtf16Field(const uint8_t* in, size_t bytes);
