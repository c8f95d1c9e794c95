// Conversions shared by the toolkit's files: floats to integers (int64 sums go back to int32
// through ClampToInt32 of platform.h).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform.h"

namespace quib {

// Float to integer, truncated toward zero; NaN gives 0 and values past the int32 range the
// nearest end of it (a plain cast would be undefined there).
inline int32_t TruncateToInt32(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Float to the nearest integer, halves to even (the default rounding mode), clamped as above.
// Values below 2^22 in size (star positions and colours, every frame) are rounded by adding
// and taking away 1.5 * 2^23: the sum lies where floats are whole numbers one apart, so the
// addition itself rounds, in the same mode and to the same integer as lrintf, without a call.
inline int32_t RoundToInt32(float value) {
    constexpr float Small = 4194304.0f, Shift = 12582912.0f;
    if (value > -Small && value < Small) {
        const float sum = value + Shift; // strict float rules keep both steps
        return static_cast<int32_t>(sum - Shift);
    }
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::lrintf(value));
}

} // namespace quib
