#include "PictureLimits.h"

#include <cstdio>
#include <cstring>

#include "Messages.h"

const char* PictureLimits::Refusal(int64_t width, int64_t height) const {
    if (width <= 0 || height <= 0) return nullptr;
    // Both factors are below 2^32, so the product fits.
    const int64_t pixels = (width > INT64_C(0xFFFFFFFF) || height > INT64_C(0xFFFFFFFF)) ? INT64_MAX : width * height;
    if (maxPixels > 0 && pixels > maxPixels) return msg::kTooManyPixels;
    if (availableBytes >= 0 && pixels > availableBytes / bytesPerPixel) return msg::kNotEnoughMemory;
    return nullptr;
}

int64_t AvailableMemory() {
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f) return -1;
    char line[256];
    int64_t kib = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "MemAvailable:", 13) == 0) {
            long long v = 0;
            if (std::sscanf(line + 13, "%lld", &v) == 1 && v >= 0) kib = v;
            break;
        }
    std::fclose(f);
    return kib < 0 ? -1 : kib * 1024;
}
