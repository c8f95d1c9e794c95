// Random numbers for mine and star placement: std::mt19937 with our own range reduction.
//
// The Mersenne Twister's output is fixed by the C++ standard; std::uniform_int_distribution
// is not (each standard library maps the raw numbers differently). Reducing the range here
// makes a fixed seed give the same boards with every compiler and library.
#include "platform_state.h"

// Called once at start-up with the tick count (tests call it with fixed seeds).
void SeedRandom(int32_t seed) {
    RandomGenerator.seed(static_cast<uint32_t>(seed));
}

// Called by mine placement and the star field: a uniform integer 0..n (0 for n <= 0).
// Rejection sampling: raw 32-bit outputs at or above the largest multiple of n + 1 are
// drawn again, so every remainder is equally likely.
int32_t RandomUpTo(int32_t n) {
    if (n <= 0) return 0;
    const uint64_t range = static_cast<uint64_t>(n) + 1;
    const uint64_t limit = (uint64_t{1} << 32) - ((uint64_t{1} << 32) % range);
    uint64_t raw = RandomGenerator();
    while (raw >= limit)
        raw = RandomGenerator();
    return static_cast<int32_t>(raw % range);
}
