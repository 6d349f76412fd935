#include "Random.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

namespace rng {
namespace {
uint32_t g_state = 1;
}

int Next() {
    g_state = g_state * 214013u + 2531011u;
    return int((g_state >> 16) & 0x7FFF);
}

void Reset(uint32_t state) { g_state = state; }

namespace {

constexpr uint32_t kMul = 214013u, kAdd = 2531011u;

// Stepping 2^i times is one multiply-add: x -> a[i] x + c[i] (mod 2^32).
struct Jumps {
    std::array<uint32_t, 32> a{}, c{};
    Jumps() {
        a[0] = kMul;
        c[0] = kAdd;
        for (int i = 1; i < 32; ++i) {
            a[size_t(i)] = a[size_t(i - 1)] * a[size_t(i - 1)];
            c[size_t(i)] = a[size_t(i - 1)] * c[size_t(i - 1)] + c[size_t(i - 1)];
        }
    }
    uint32_t Step(uint32_t x, uint32_t n) const {
        for (int i = 0; n; ++i, n >>= 1)
            if (n & 1) x = a[size_t(i)] * x + c[size_t(i)];
        return x;
    }
    // The number of steps from state 0 to `x`, counting the low 31 bits only (they
    // alone decide every value, and they run through all 2^31 states): the low i bits
    // of the state repeat every 2^i steps, so bit i of the distance is whether bit i
    // of the state still differs after the lower bits agree.
    uint32_t Index(uint32_t x) const {
        uint32_t y = 0, k = 0;
        for (int i = 0; i < 31; ++i)
            if (((y ^ x) >> i) & 1) {
                y = a[size_t(i)] * y + c[size_t(i)];
                k |= 1u << i;
            }
        return k;
    }
};

const Jumps& TheJumps() {
    static const Jumps jumps;
    return jumps;
}

}  // namespace

int DrawUntil(int value, int limit) {
    if (limit <= 0) return 0;
    const Jumps& j = TheJumps();
    // The indexes of the 65536 states whose value is `value`, sorted.
    static std::mutex mutex;
    static int tableValue = -1;
    static std::vector<uint32_t> hits;
    const std::lock_guard<std::mutex> lock(mutex);
    if (tableValue != value) {
        hits.clear();
        for (uint32_t low = 0; low < 65536; ++low) hits.push_back(j.Index((uint32_t(value & 0x7FFF) << 16) | low));
        std::sort(hits.begin(), hits.end());
        tableValue = value;
    }
    const uint32_t here = j.Index(g_state & 0x7FFFFFFFu);
    auto next = std::upper_bound(hits.begin(), hits.end(), here);
    const uint32_t hit = next == hits.end() ? hits.front() : *next;
    const uint32_t distance = (hit - here) & 0x7FFFFFFFu;  // 1 .. 2^31
    const int draws = distance == 0 || distance > uint32_t(limit) ? limit : int(distance);
    g_state = j.Step(g_state, uint32_t(draws));
    return draws;
}
}  // namespace rng
