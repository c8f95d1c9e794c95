// The set-up layer's globals and their reset.
#include "setup_state.h"

int32_t FirstSettingsVisit = 0;
int32_t PreferencesLoaded = 0;
float WidthSlider = 0.0f;
float HeightSlider = 0.0f;
float MinesSlider = 0.0f;
float WidthPercent = 0.0f;
float HeightPercent = 0.0f;
float MinesPercent = 0.0f;
float Density = 0.0f;
int32_t SettingsValid = 0;
int32_t TextGrey = 0;

void ResetSetupState() {
    FirstSettingsVisit = 0;
    PreferencesLoaded = 0;
    WidthSlider = HeightSlider = MinesSlider = 0.0f;
    WidthPercent = HeightPercent = MinesPercent = Density = 0.0f;
    SettingsValid = 0;
    TextGrey = 0;
}
