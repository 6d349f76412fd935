// The program's one random generator for the whole run: the classic C library
// rand() sequence (0 to 32767), started at 1 and never seeded by the program.
#pragma once

#include <cstdint>

namespace rng {
int Next();                // 0 .. 32767
// Exactly as calling Next() until it gives `value` or `limit` calls are made; returns
// the number of calls. Costs a few hundred steps instead of up to `limit` (the first
// call for a new `value` builds a table of 65536 entries).
int DrawUntil(int value, int limit);
void Reset(uint32_t state = 1);  // tests only: start the sequence again
}
