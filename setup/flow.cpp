// The main routine: start-up, the four screens and the transitions between them, the end.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "besttimes.h"
#include "frame.h"
#include "game.h"
#include "platform.h"
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
    OpenQuibWindow({.Title = "Tessaroc by Varnholt",
                    .X = QuibWindow.X,
                    .Y = QuibWindow.Y,
                    .Width = OpeningWidth,
                    .Height = OpeningHeight,
                    .ButtonSlots = {CloseButton, RollUpButton, 0, 0},
                    .TitleColourA = {40, 60, 80},
                    .TitleColourB = {210, 230, 250},
                    .FrameColour = {190, 190, 200},
                    .BackColour = {0, 0, 0},
                    .BackImage = 0,
                    .TitleEffects = 0});
}

// The screens' fonts by slot (slot 1, the title font, belongs to the toolkit).
struct ScreenFont {
    int32_t slot;
    const char* face;
    int32_t size;
};
constexpr ScreenFont ScreenFonts[] = {
    {2, "Arial", 14}, {3, "Arial", 10}, {4, "Arial", 9}, {5, "Verdana", 8}};

// A face name in the quotes of German text.
Text Quoted(const Text& name) {
    return "\x84" + name + "\x93";
}

// Start-up, once the window is open: the screens' fonts, all bold. A face the system does
// not have is told to the player once, naming it: its texts stay blank.
void LoadScreenFonts() {
    std::vector<Text> missing;
    for (const ScreenFont& font : ScreenFonts) {
        const bool loaded = LoadFontSlot(font.slot, font.face, font.size, FontBold) != 0;
        if (!loaded && std::find(missing.begin(), missing.end(), font.face) == missing.end())
            missing.push_back(font.face);
    }
    if (missing.empty()) return;
    if (missing.size() == 1)
        TellPlayer("Schrift fehlt", "Die Schrift " + Quoted(missing[0]) +
                                        " ist auf diesem Rechner nicht zu finden. Die Texte in "
                                        "dieser Schrift bleiben leer.");
    else
        TellPlayer("Schriften fehlen",
                   "Die Schriften " + Quoted(missing[0]) + " und " + Quoted(missing[1]) +
                       " sind auf diesem Rechner nicht zu finden. Die Texte in diesen Schriften "
                       "bleiben leer.");
}

// Start-up, once every sheet is loaded: tells the player which pictures are missing and
// where they were looked for. False when not one sheet could be read, or one that a screen
// cannot be played without (the board's, the start button's): the program is to end.
bool TellMissingSheets() {
    const Text leftOut = LeftOutSheetNames();
    const Text needed = NeededSheetNamesLeftOut(); // also those loaded but too small
    if (leftOut.empty() && needed.empty()) return true;
    const Text folder = SystemText(SpriteSheetFolder());
    const Text noGame = " Ohne sie kann nicht gespielt werden; Tessaroc wird beendet.";
    if (!SpriteSheetFolderFound()) {
        TellPlayer("Bilder fehlen",
                   "Der Ordner " + folder + " mit den Bildern des Spiels fehlt." + noGame);
        return false;
    }
    if (LoadedSheetCount() == 0) {
        TellPlayer("Bilder fehlen", "Im Ordner " + folder +
                                        " ist keines der Bilder des Spiels zu lesen (" + leftOut +
                                        ")." + noGame);
        return false;
    }
    if (!needed.empty()) {
        TellPlayer("Bilder fehlen", "Diese Bilder im Ordner " + folder +
                                        " fehlen oder sind besch\xE4"
                                        "digt: " +
                                        needed + "." + noGame);
        return false;
    }
    TellPlayer("Bilder fehlen", "Diese Bilder im Ordner " + folder +
                                    " fehlen oder sind besch\xE4"
                                    "digt: " +
                                    leftOut + ". Was sie zeigen, bleibt unsichtbar.");
    return true;
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
    return ButtonAction == FaceAction ? Screen::Round : Screen::Settings;
}

// After the game screen: close, a new round (face), the settings (back), or the round has
// ended and the end screen follows.
Screen AfterRound() {
    if (TitleBarResult == CloseButton) return Screen::Exit;
    if (ButtonAction == FaceAction) return Screen::Round;
    if (ButtonAction == BackAction) return Screen::Settings;
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

// When the window system's connection breaks for good or the session ends (Windows): what
// the ordinary end keeps, a best time whose name was being typed included.
void SaveAtLostDisplay() {
    KeepEnteredName();
    SavePreferences();
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
    InitQuibToolkit();
    SetDefaults();
    LoadPreferences();
    SetDisplayLostHandler(SaveAtLostDisplay);
    SetDisplayHiddenHandler(SavePreferences);
    OpenMainWindow();
    LoadScreenFonts();
    LoadCellSheets();
    if (!TellMissingSheets()) {
        ClosePlatform();
        return 1;
    }
    RunScreens();
    SavePreferences();
    ClosePlatform();
    return 0;
}
