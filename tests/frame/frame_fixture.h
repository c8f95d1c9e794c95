// Shared set-up of the frame toolkit's tests: fresh platform, script and toolkit state.
#pragma once

#include <gtest/gtest.h>

#include "frame.h"
#include "platform_state.h"
#include "script_platform.h"

// Every test starts from cleared globals and an empty script.
class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        ScriptReset();
        ResetFrameState();
    }
};

// The colour value of a pixel the way ScriptPixel reports it.
inline int32_t Rgb(int32_t red, int32_t green, int32_t blue) {
    return MakeColour(red, green, blue);
}

// Opens the window the way start-up does, at (100, 50) with a 370 x 310 client area,
// with the built artwork in a fresh program folder.
void OpenStandardWindow(int32_t titleEffects = 0);
