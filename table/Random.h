#pragma once
// The C-style pseudo-random generator the table rules draw from: seeded
// explicitly (srand) and read with rand(), 15 bits per draw, with the
// classic linear congruential step. Each thread has its own generator, so a
// table driven on one thread is reproducible from its seed.

#include "platform/Clock.h"

#include <cstdint>

namespace table {

constexpr int kRandMax = 0x7FFF;

void SeedRandom(uint32_t seed);
int NextRandom(); // 0 .. kRandMax

// Seconds of the local clock (days since 1970 x 86400 + time of day), the
// value the rules seed with when they ask for "the time in seconds".
uint32_t NowSeconds();
// The same count for a local time already read.
uint32_t SecondsOf(const platform::LocalTime& time);

// Seeds with the time in seconds and returns a draw modulo n; 0 for n <= 0.
int RandomBelow(int n);

} // namespace table
