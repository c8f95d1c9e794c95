// The player's choice of the real window's scale factor (TESSAROC_SCALE), read the same way
// by every window backend.
#pragma once

#include <cstdint>

// Largest scale factor: desktop pixels per game pixel across and down.
constexpr int32_t MaxScaleFactor = 4;

// A whole number 1 to MaxScaleFactor in plain digits, or 0 for anything else (null, signs,
// blanks and trailing characters included).
int32_t ParseScaleSetting(const char* text);

// OpenScreenSystem of a real-window backend: the value of TESSAROC_SCALE (null when unset).
// A set value that is no number from 1 to MaxScaleFactor is said on stderr (one line) and
// then left to ParseScaleSetting, which refuses it.
const char* ScaleSettingOfEnvironment();
