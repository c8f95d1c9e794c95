// Shared set-up of the platform tests that draw: a fresh platform with a back buffer.
#pragma once

#include <gtest/gtest.h>

#include "platform_state.h"

// Every test starts from cleared platform state, an 850 x 600 back buffer (the largest
// window) and drawing begun on it; the state is cleared again after the test.
class BackBufferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    }
    void TearDown() override { ResetPlatformState(); }
};
