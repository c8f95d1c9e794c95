// Conversions shared by the toolkit's files: int64 sums back to int32, floats to integers.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace quib {

// Window sizes and positions may be anything after damaged preferences, so the toolkit
// does its coordinate arithmetic in 64 bits and narrows the result with this clamp.
inline int32_t ClampToInt32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// Float to integer, truncated toward zero; NaN gives 0 and values past the int32 range the
// nearest end of it (a plain cast would be undefined there).
inline int32_t TruncateToInt32(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Float to the nearest integer, halves to even (the default rounding mode), clamped as above.
inline int32_t RoundToInt32(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::lrintf(value));
}

} // namespace quib
