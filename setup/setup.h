// The set-up layer's operations: the main routine, the settings screen, the preferences file.
#pragma once

#include <cstdint>

#include "frame.h"
#include "setup_state.h"

// ---------------------------------------------------------------- main routine

// The whole program: start-up, the screens and their transitions, the end. Returns the exit
// code: 0 after an ordinary end, 1 when the keyboard or the screen (with its window) could
// not be set up.
int RunTessaroc();

// ---------------------------------------------------------------- preferences file

// Start-up, after the defaults: reads "Prefs" into Options, BoardSettings and the window
// position when the file carries its tag.
void LoadPreferences();
// Each entry of the settings screen: takes the options and board settings that another
// instance saved since, where this one has not changed them.
void ReadOthersPreferences();
// End of the program and a hidden browser page: writes the current values into "Prefs"
// (not before LoadPreferences), keeping another instance's newer changes.
void SavePreferences();

// ---------------------------------------------------------------- settings screen

// Entered by the flow at the end of start-up and after the game and end screens; returns
// when start was released with valid settings (ButtonAction StartAction, SettingsValid 1) or
// when the program is to end (Escape, or TitleBarResult CloseButton).
void SettingsScreen();

// ButtonAction of the start button: the settings screen returns with it to start a round.
constexpr int32_t StartAction = 5;

// A push button's hit area, inclusive on all sides; its picture sits at (left, top).
using PushButtonArea = PixelBox;
// Draws one cell of a button sheet at (x, y): the sprite-cell helpers of the frame toolkit.
using ButtonPicture = void (*)(int32_t x, int32_t y, int32_t n);

// Modal press loop of a push button, entered when a frame sees the left button held over it:
// shows the pressed or normal cell until the release; 1 when released over the button, 0
// when released elsewhere or when a quit ended the press.
// waitForRelease: wait once more for the left button to be let go (the start button).
int32_t TrackPushButton(const PushButtonArea& area, ButtonPicture picture, int32_t normalCell,
                        int32_t pressedCell, int32_t waitForRelease);
// A check-box press: waits while the left button is held, then flips the flag (wherever the
// button was let go), unless a quit ended the press.
void ToggleOption(int32_t& flag);
