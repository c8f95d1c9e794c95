// The set-up layer's global state: the flow flag, the preferences guard, the settings screen.
#pragma once

#include <cstdint>

// Every global of the set-up layer, in one record zero-filled by ResetSetupState.
struct SetupStateRecord {
    // 1 from start-up until the settings screen has been entered once, then 0 for the run.
    int32_t FirstSettingsVisit = 0;
    // 1 once LoadPreferences has run; SavePreferences writes nothing before that, so an
    // early end of start-up never replaces the player's file with unread defaults.
    int32_t PreferencesLoaded = 0;
    // The nine values of "Prefs" as this instance last read or wrote them: a current value
    // that differs was changed here since; a file value that differs, by another instance.
    int32_t PrefsAsSynced[9] = {};
    // The settings screen's values being edited, kept as floats so that dragging and
    // rounding see fractions; rebuilt from BoardSettings on every entry of the screen.
    float WidthSlider = 0.0f;  // behind BoardSettings.width
    float HeightSlider = 0.0f; // behind BoardSettings.height
    float MinesSlider = 0.0f;  // behind BoardSettings.mines; lowered one a frame while too dense
    // What the bars of the current frame show, in per cent.
    float WidthPercent = 0.0f;  // width / MaxWidth * 100
    float HeightPercent = 0.0f; // height / MaxHeight * 100
    float MinesPercent = 0.0f;  // mines / MaxMines * 100
    float Density = 0.0f;       // mines / (width * height) * 100, the "Diffic.:" bar
    int32_t SettingsValid = 0;  // 1 when Density is within MaxDensity; start works only then
    int32_t TextGrey = 0;       // grey level of every text: 0 on grey, 255 on the star field
};
extern SetupStateRecord SetupState;

// The records' own names, as the flow, the preferences and the settings screen use them.
inline int32_t& FirstSettingsVisit = SetupState.FirstSettingsVisit;
inline int32_t& PreferencesLoaded = SetupState.PreferencesLoaded;
inline int32_t (&PrefsAsSynced)[9] = SetupState.PrefsAsSynced;
inline float& WidthSlider = SetupState.WidthSlider;
inline float& HeightSlider = SetupState.HeightSlider;
inline float& MinesSlider = SetupState.MinesSlider;
inline float& WidthPercent = SetupState.WidthPercent;
inline float& HeightPercent = SetupState.HeightPercent;
inline float& MinesPercent = SetupState.MinesPercent;
inline float& Density = SetupState.Density;
inline int32_t& SettingsValid = SetupState.SettingsValid;
inline int32_t& TextGrey = SetupState.TextGrey;

// Clears every global of the set-up layer (start-up and tests).
void ResetSetupState();
