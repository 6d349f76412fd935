// How large a picture may be made from a file: the pixel limit that the user sets
// (a preference) and the memory that the system can still give. Every reader asks
// as soon as it knows the size, before it allocates anything of that size.
#pragma once

#include <cstdint>

// Bytes of memory a document needs per pixel: to open a picture (decoded picture,
// layer pixels, alpha, auxiliary plane, selection mask, first step) and to save it
// (besides, the composite, the flattened copy and the encoder's rows).
inline constexpr int64_t kOpenBytesPerPixel = 6;
inline constexpr int64_t kSaveBytesPerPixel = 13;
// The default pixel limit: a 300-megapixel panorama passes.
inline constexpr int64_t kDefaultPixelLimit = int64_t(320) * 1000 * 1000;

struct PictureLimits {
    int64_t maxPixels = 0;        // 0: any size the image object can hold
    int64_t availableBytes = -1;  // memory the system can still give; -1: not checked
    int64_t bytesPerPixel = kOpenBytesPerPixel;

    // nullptr when a width x height picture may be made; otherwise the system's message.
    const char* Refusal(int64_t width, int64_t height) const;
};

// The memory the system can still give without swapping (MemAvailable), in bytes;
// -1 when it cannot be told.
int64_t AvailableMemory();
