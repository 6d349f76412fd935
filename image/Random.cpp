#include "Random.h"

namespace rng {
namespace {
uint32_t g_state = 1;
}

int Next() {
    g_state = g_state * 214013u + 2531011u;
    return int((g_state >> 16) & 0x7FFF);
}

void Reset(uint32_t state) { g_state = state; }
}  // namespace rng
