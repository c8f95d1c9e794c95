// The main routine: start-up, the four screens and the transitions between them, the end.
#include <cstdint>

#include "besttimes.h"
#include "frame.h"
#include "game.h"
#include "platform.h"
#include "platform_state.h"
#include "setup.h"

namespace {

// Client size of the window the program opens with (the settings screen's size).
constexpr int32_t OpeningWidth = 370;
constexpr int32_t OpeningHeight = 310;

// Start-up, first: every layer's globals back to their zero state (the platform keeps the
// program folder), and the program folder determined.
void ZeroProgramState() {
    ResetPlatformState();
    ProgramFolder();
    ResetFrameState();
    ResetGameState();
    ResetBestTimesState();
    ResetSetupState();
}

// Start-up, before the preferences are read: the limits and the settings the program has
// without preferences.
void SetDefaults() {
    Options = OptionsRecord{};
    MaxDensity = 50;
    MaxWidth = 40;
    MaxHeight = 25;
    MaxMines = 500;
    BoardSettings = {15, 10, 12};
    FirstSettingsVisit = 1;
}

// Start-up, after the preferences: the one window at the remembered position.
void OpenMainWindow() {
    OpenQuibWindow("Tessaroc by Varnholt", QuibWindow.X, QuibWindow.Y, OpeningWidth, OpeningHeight,
                   CloseButton, RollUpButton, 0, 0, 40, 60, 80, 210, 230, 250, 190, 190, 200, 0, 0,
                   0, 0, 0);
}

// Start-up, once the window is open: the screens' fonts (slot 1, the title font, belongs to
// the toolkit).
void LoadScreenFonts() {
    LoadFontSlot(2, "Arial", 14, FontBold);
    LoadFontSlot(3, "Arial", 10, FontBold);
    LoadFontSlot(4, "Arial", 9, FontBold);
    LoadFontSlot(5, "Verdana", 8, FontBold);
}

// What the flow runs next: a screen, or the end of the program.
enum class Screen { Settings, Round, Exit };

// After the settings screen: a round when start was released with valid settings, otherwise
// (Escape or the close button) the end of the program.
Screen AfterSettings() {
    return ButtonAction == StartAction && SettingsValid == 1 ? Screen::Round : Screen::Exit;
}

// After the end screen (and, for a won round, the best-time screen): the choice made there.
Screen AfterEndScreen() {
    if (TitleBarResult == CloseButton) return Screen::Exit;
    if (RoundState == Won) {
        TopListScreen();
        if (TitleBarResult == CloseButton || QuitRequested()) return Screen::Exit;
    }
    return ButtonAction == 1 ? Screen::Round : Screen::Settings;
}

// After the game screen: close, a new round (face), the settings (back), or the round has
// ended and the end screen follows.
Screen AfterRound() {
    if (TitleBarResult == CloseButton) return Screen::Exit;
    if (ButtonAction == 1) return Screen::Round;
    if (ButtonAction == 2) return Screen::Settings;
    EndScreen();
    return AfterEndScreen();
}

// The screens one after another, from the settings screen until the program is to end. A
// quit request (signal, end of a test script) ends every screen's loop through its close
// path; it is tested here as well so that no new screen starts after one.
void RunScreens() {
    Screen next = Screen::Settings;
    while (next != Screen::Exit && !QuitRequested()) {
        if (next == Screen::Settings) {
            SettingsScreen();
            next = AfterSettings();
        } else {
            StartRound();
            next = AfterRound();
        }
    }
}

} // namespace

int RunTessaroc() {
    ZeroProgramState();
    SeedRandom(TickCountMs());
    SetLargestWindowSize(RoundWindowWidth(BoardColumns), RoundWindowHeight(BoardRows));
    if (!OpenKeyboardDevice() || !OpenScreenSystem()) {
        ClosePlatform();
        return 1;
    }
    StarLastIndex = 2499;
    InitQuibToolkit();
    SetDefaults();
    LoadPreferences();
    SetDisplayLostHandler(SavePreferences);
    OpenMainWindow();
    LoadScreenFonts();
    LoadCellSheets();
    RunScreens();
    SavePreferences();
    ClosePlatform();
    return 0;
}
