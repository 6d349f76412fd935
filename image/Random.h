// The program's one random generator for the whole run: the classic C library
// rand() sequence (0 to 32767), started at 1 and never seeded by the program.
#pragma once

#include <cstdint>

namespace rng {
int Next();                // 0 .. 32767
void Reset(uint32_t state = 1);  // tests only: start the sequence again
}
