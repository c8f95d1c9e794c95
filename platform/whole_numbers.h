// Whole-number helpers of the platform, its backends and the layers above (through platform.h).
#pragma once

#include <algorithm>
#include <cstdint>

// a / b rounded toward minus infinity, for b > 0 (C++ division truncates toward zero):
// points left of or above an origin fall in the cell before it, not in cell 0. Used for
// board cells, desktop coordinates divided by the window's scale and line steps.
template <typename Whole> constexpr Whole FloorDivide(Whole a, Whole b) {
    const Whole q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// A 64-bit sum narrowed back to 32 bits, clamped to the int32 range: coordinates may be
// anything after damaged preferences, so they are added in 64 bits and narrowed with this.
constexpr int32_t ClampToInt32(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
