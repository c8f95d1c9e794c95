// The set-up layer's global state: the flow flag, the preferences guard, the settings screen.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------- application flow

// 1 from start-up until the settings screen has been entered once, then 0 for the run.
extern int32_t FirstSettingsVisit;

// ---------------------------------------------------------------- preferences

// 1 once LoadPreferences has run; SavePreferences writes nothing before that, so an early
// end of start-up never replaces the player's file with unread defaults.
extern int32_t PreferencesLoaded;

// ---------------------------------------------------------------- settings screen

// The values being edited, kept as floats so that dragging and rounding see fractions;
// rebuilt from BoardSettings on every entry of the screen.
extern float WidthSlider;  // behind BoardSettings.width
extern float HeightSlider; // behind BoardSettings.height
extern float MinesSlider;  // behind BoardSettings.mines; lowered one per frame while too dense

// What the bars of the current frame show, in per cent.
extern float WidthPercent;  // width / MaxWidth * 100
extern float HeightPercent; // height / MaxHeight * 100
extern float MinesPercent;  // mines / MaxMines * 100
extern float Density;       // mines / (width * height) * 100, the "Diffic.:" bar

// 1 when Density is within MaxDensity in the current frame; start works only then.
extern int32_t SettingsValid;
// 0 (black text on grey) or 255 (white text on the star field): grey level of every text.
extern int32_t TextGrey;

// Clears every global of the set-up layer (start-up and tests).
void ResetSetupState();
