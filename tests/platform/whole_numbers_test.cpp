// Tests of the whole-number helpers: division toward minus infinity and the int32 clamp.
#include <gtest/gtest.h>

#include <cstdint>

#include "whole_numbers.h"

// Negative points fall in the cell before the origin; exact multiples stay where they are.
TEST(FloorDivideTest, RoundsTowardMinusInfinity) {
    EXPECT_EQ(FloorDivide(7, 2), 3);
    EXPECT_EQ(FloorDivide(-1, 20), -1);
    EXPECT_EQ(FloorDivide(-20, 20), -1);
    EXPECT_EQ(FloorDivide(-21, 20), -2);
    EXPECT_EQ(FloorDivide(0, 3), 0);
    EXPECT_EQ(FloorDivide<int64_t>(-(int64_t{1} << 40) - 1, 2), -(int64_t{1} << 39) - 1);
    EXPECT_EQ(FloorDivide(INT32_MIN, 1), INT32_MIN);
}

TEST(ClampToInt32Test, KeepsInt32ValuesAndClampsTheRest) {
    EXPECT_EQ(ClampToInt32(-5), -5);
    EXPECT_EQ(ClampToInt32(INT32_MAX), INT32_MAX);
    EXPECT_EQ(ClampToInt32(int64_t(INT32_MAX) + 1), INT32_MAX);
    EXPECT_EQ(ClampToInt32(int64_t(INT32_MIN) - 1), INT32_MIN);
    EXPECT_EQ(ClampToInt32(INT64_MIN), INT32_MIN);
}
