// Start-up, the transitions between the screens and the end of the program, whole-program runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "frame_state.h"
#include "game_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "script_state.h"
#include "setup.h"
#include "test_support.h"

namespace {

// Clicks the close button of the window as it stands at the time of the call.
void CloseWindowAt(uint32_t atMs) {
    const ScriptWindowInfo& w = ScriptWindow();
    ScriptClick(atMs, w.x + w.width - 15, w.y + 15);
}

// Clicks a cell of the board, where the window stands at the call.
uint32_t ClickCell(uint32_t atMs, int32_t cx, int32_t cy) {
    return ScriptClick(atMs, CellX(cx), CellY(cy), 1, 30);
}

// Whether the board of the current round has been placed (its mines are in).
bool BoardPlaced() {
    return std::count(std::begin(Board.content), std::end(Board.content), Mine) ==
           BoardSettings.mines;
}

bool OnGameScreen() {
    return ScriptWindow().height == 20 * BoardSettings.height + 88 && ScriptWindow().height != 310;
}

TEST(Flow, FirstStartShowsDefaultsAndSavesOnClose) {
    std::string folder = FreshMachine("first");
    int64_t prefsSizeAtFirstFrame = -1;
    bool defaultsShown = false;
    EachPresent([&] {
        if (prefsSizeAtFirstFrame < 0) prefsSizeAtFirstFrame = int64_t(PrefsOf(folder).size());
        if (ScriptClock() < 5150)
            defaultsShown = BoardSettings.width == 15 && BoardSettings.height == 10 &&
                            BoardSettings.mines == 12 && CheckBoxShows(220, 1) &&
                            CheckBoxShows(240, 1) && CheckBoxShows(260, 1) &&
                            CheckBoxShows(280, 1) && ScriptWindow().x == 0 && ScriptWindow().y == 0;
    });
    // Drag the title bar by (100, 50), then close at the new place.
    ScriptMouseMove(5200, 150, 12);
    ScriptMouseDown(5201, 1);
    ScriptMouseMove(5250, 200, 40);
    ScriptMouseMove(5300, 250, 62);
    ScriptMouseUp(5350, 1);
    ScriptClick(5500, 100 + 370 - 15, 50 + 15);
    ScriptEndAt(60000);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_LT(ScriptClock(), 10000u); // ended by the close button, not the script
    EXPECT_EQ(prefsSizeAtFirstFrame, 0);
    EXPECT_TRUE(defaultsShown);
    EXPECT_EQ(ScriptWindow().title, "Tessaroc by Varnholt");
    const unsigned char expected[40] = {
        0x00, 0x78, 0x73, 0x74, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0,
        0x0F, 0,    0,    0,    0x0A, 0, 0, 0, 0x0C, 0, 0, 0, 0x64, 0, 0, 0, 0x32, 0, 0, 0};
    EXPECT_EQ(PrefsOf(folder), std::string(reinterpret_cast<const char*>(expected), 40));
}

TEST(Flow, RemembersTheWindowPositionAndOptions) {
    std::string folder = FreshMachine("reopen");
    WriteWholeFile(folder + "Prefs", PrefsRecord(1, 1, 0, 1, 20, 15, 35, 300, 200));
    ScriptEndAt(5500);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(ScriptWindow().x, 300);
    EXPECT_EQ(ScriptWindow().y, 200);
    EXPECT_EQ(ScriptWindow().width, 370);
    EXPECT_EQ(ScriptWindow().height, 310);
    EXPECT_EQ(QuibWindow.BackColour.red + QuibWindow.BackColour.green, 0);
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(1, 1, 0, 1, 20, 15, 35, 300, 200));
}

TEST(Flow, ClicksAndPrefsFollowAWindowMovedByTheWindowManager) {
    // Half a second in, the window manager moves the window (an Alt-drag, say) to (400, 300).
    std::string folder = FreshMachine("moved");
    bool moved = false;
    EachPresent([&] {
        if (!moved && ScriptClock() >= 5500) {
            ScriptScreen.window.x = 400;
            ScriptScreen.window.y = 300;
            moved = true;
        }
    });
    // The fourth preset at its new place on the desktop.
    uint32_t t = ScriptClick(6000, 400 + PresetX[3], 300 + PresetY);
    ScriptEndAt(t + 200);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(std::pair(BoardSettings.width, BoardSettings.height), std::pair(40, 25));
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 40, 25, 200, 400, 300));
}

TEST(Flow, FailedSetUpEndsAtOnceWithoutTouchingPrefs) {
    for (int which = 0; which < 2; ++which) {
        std::string folder = FreshMachine("fail");
        ScriptFailSetUp(which == 0, false, which == 1);
        ScriptEndAt(6000);
        EXPECT_NE(RunTessaroc(), 0);
        EXPECT_FALSE(FileExists(folder + "Prefs"));
        EXPECT_FALSE(ScriptWindow().created);
    }
    // An existing file is not rewritten, also when only the window could not be made.
    for (int which = 0; which < 2; ++which) {
        std::string folder = FreshMachine("failkeep");
        WriteWholeFile(folder + "Prefs", "abc");
        ScriptFailSetUp(false, which == 1, which == 0);
        ScriptEndAt(6000);
        EXPECT_NE(RunTessaroc(), 0);
        EXPECT_EQ(PrefsOf(folder), "abc");
        EXPECT_LT(ScriptClock(), 6000u);
    }
}

TEST(Flow, BackAndFaceButtonsChooseTheNextScreen) {
    FreshMachine("backface");
    std::vector<int32_t> heights;
    std::set<std::string> boards; // mine layouts seen on the game screen: one per round
    EachPresent([&] {
        heights.push_back(ScriptWindow().height);
        if (OnGameScreen() && BoardPlaced())
            boards.insert(
                std::string(reinterpret_cast<const char*>(Board.content), sizeof Board.content));
    });
    uint32_t t = ScriptClick(5200, PresetX[3], PresetY); // 40 x 25
    t = ScriptClick(t + 100, StartX, StartY);
    t = ScriptClick(t + 300, 260, 68); // face on its lower edge: a new round
    t = ScriptClick(t + 300, 320, 50); // back: settings at 370 x 310 again
    t = ScriptClick(t + 300, PresetX[0], PresetY);
    t = ScriptClick(t + 100, StartX, StartY); // 15 x 10
    ScriptEndAt(t + 500);
    ASSERT_EQ(RunTessaroc(), 0);
    std::vector<int32_t> changes;
    for (int32_t h : heights)
        if (changes.empty() || changes.back() != h) changes.push_back(h);
    // Settings, the 40 x 25 rounds (the size stays over the face button's new round), back to
    // the settings, then the 15 x 10 round.
    EXPECT_EQ(changes, (std::vector<int32_t>{310, 588, 310, 288}));
    EXPECT_EQ(boards.size(), 3u);
    EXPECT_EQ(BoardSettings.width, 15);
}

// Plays a round of the settings' board from the hook: loses at once (clicks a mine) or wins
// (clicks every safe cell). Returns the time after the last click.
uint32_t PlayRound(uint32_t atMs, bool win) {
    uint32_t t = atMs;
    for (int32_t x = 0; x < BoardSettings.width; ++x)
        for (int32_t y = 0; y < BoardSettings.height; ++y) {
            bool mine = Board.content[x * BoardRows + y] == Mine;
            if (mine != win) {
                t = ClickCell(t, x, y) + 50;
                if (!win) return t;
            }
        }
    return t;
}

// Runs the program through one round on the first preset and closes the window on the
// screen `closeOn`: 1 game screen, 2 end screen, 3 best-time screen (after a won round).
std::string CloseFromScreen(int closeOn, bool* reached) {
    std::string folder = FreshMachine("close");
    uint32_t t = ScriptClick(5200, PresetX[0], PresetY);
    ScriptClick(t + 100, StartX, StartY);
    ScriptEndAt(120000);
    int step = 0;
    uint32_t playedUntil = 0; // time after the last scheduled click on the board
    *reached = false;
    EachPresent([&, closeOn, reached] {
        uint32_t now = ScriptClock();
        if (step == 0 && OnGameScreen() && BoardPlaced() && RoundState == Running) {
            step = 1;
            if (closeOn == 1) {
                *reached = true;
                CloseWindowAt(now + 100);
            } else {
                playedUntil = PlayRound(now + 100, closeOn == 3);
            }
        } else if (step == 1 && RoundState != Running) {
            step = 2;
            if (closeOn == 2) {
                *reached = true;
                CloseWindowAt(now + 100);
            } else {
                // Back, once the board clicks are over: the best-time screen comes first.
                ScriptClick(std::max(now, playedUntil) + 100, 320, 50);
            }
        } else if (step == 2 && ScriptWindow().width == 350 && ScriptWindow().height == 360) {
            step = 3;
            *reached = true;
            CloseWindowAt(now + 200);
        }
    });
    EXPECT_EQ(RunTessaroc(), 0);
    EXPECT_LT(ScriptClock(), 120000u);
    return folder;
}

TEST(Flow, ClosingFromEveryScreenSaves) {
    for (int screen = 1; screen <= 3; ++screen) {
        SCOPED_TRACE(screen);
        bool reached = false;
        std::string folder = CloseFromScreen(screen, &reached);
        EXPECT_TRUE(reached);
        EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0));
    }
}

TEST(Flow, RollUpOnTheSettingsScreenComesBackToIt) {
    FreshMachine("rollup");
    int32_t lowest = 310;
    EachPresent([&] { lowest = std::min(lowest, ScriptWindow().height); });
    ScriptClick(5200, 335, 15);                    // roll-up button
    uint32_t t = ScriptClick(5800, 355, 15);       // restore button
    t = ScriptClick(t + 600, PresetX[1], PresetY); // the screen reacts again
    ScriptEndAt(t + 200);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(lowest, 31);
    EXPECT_EQ(ScriptWindow().height, 310);
    EXPECT_EQ(BoardSettings.width, 20);
}

TEST(Flow, EscapeDuringARoundDoesNothing) {
    std::string folder = FreshMachine("escround");
    uint32_t t = ScriptClick(5200, StartX, StartY);
    ScriptTap(t + 300, 1);
    ScriptEndAt(t + 1000);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_GE(ScriptClock(), t + 1000); // ran until the script ended it
    EXPECT_EQ(ScriptWindow().height, 10 * 20 + 88);
    EXPECT_EQ(PrefsOf(folder).size(), 40u);
}

// A screen at rest polls a few times a frame and sleeps only in its present: a poll that
// waited there would wake the program once more each frame. Checked on the settings screen
// with every option on, and in a 40 x 25 round whose clock runs.
TEST(Flow, ScreensAtRestPollWithoutWaiting) {
    FreshMachineWithPrefs("rest", PrefsRecord(1, 0, 1, 1, 40, 25, 150, 0, 0));
    std::vector<std::pair<uint32_t, int64_t>> waits; // fake time and waits at each present
    EachPresent([&] { waits.emplace_back(ScriptClock(), ScriptPollWaits()); });
    uint32_t t = ScriptClick(7000, StartX, StartY);
    t = ScriptClick(t + 300, 35, 83, 3); // a mark on the first cell, then a press on it:
    t = ScriptClick(t + 300, 35, 83, 1); // the clock starts, nothing opens
    const uint32_t roundFrom = t + 200, roundTo = t + 3000;
    ScriptEndAt(roundTo + 100);
    ASSERT_EQ(RunTessaroc(), 0);
    ASSERT_TRUE(OnGameScreen());
    ASSERT_GT(ElapsedSeconds, 2.5f);
    auto waitsAt = [&](uint32_t ms) { // at the last present before ms
        int64_t n = -1;
        for (const auto& [clock, count] : waits)
            if (clock <= ms) n = count;
        return n;
    };
    EXPECT_EQ(waitsAt(6900), waitsAt(5100)) << "settings screen";
    EXPECT_EQ(waitsAt(roundTo), waitsAt(roundFrom)) << "round";
    EXPECT_GT(waitsAt(roundTo), 0) << "the presses waited for their releases";
}

// ---------------------------------------------------------------- what the player is told

// Starts the program of a machine prepared by the caller and lets it run two seconds.
int RunBriefly() {
    ScriptEndAt(RunStartMs + 2000);
    return RunTessaroc();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Started from a menu without its GFX folder, the player would see an empty window: a box
// says which folder is missing, and the program ends with code 1 without running a screen.
TEST(Flow, AMissingGfxFolderIsToldAndEndsTheProgram) {
    const std::string folder = FreshMachine("no-gfx");
    std::filesystem::remove_all(folder + "GFX");
    EXPECT_EQ(RunBriefly(), 1);
    ASSERT_EQ(ScriptMessages().size(), 1u);
    EXPECT_EQ(ScriptMessages()[0].title, "Tessaroc: Bilder fehlen");
    EXPECT_EQ(ScriptMessages()[0].text, "Der Ordner " + folder +
                                            "GFX/ mit den Bildern des Spiels fehlt. Ohne sie kann "
                                            "nicht gespielt werden; Tessaroc wird beendet.");
    EXPECT_TRUE(ScriptWindow().closed);
    EXPECT_LT(ScriptClock(), RunStartMs + 2000) << "a screen ran";
}

// A GFX folder with not one readable sheet is as good as none.
TEST(Flow, AGfxFolderWithoutOneReadableSheetEndsTheProgram) {
    const std::string folder = FreshMachine("empty-gfx");
    for (const auto& entry : std::filesystem::directory_iterator(folder + "GFX"))
        WriteWholeFile(entry.path().string(), "BM not a bitmap");
    EXPECT_EQ(RunBriefly(), 1);
    ASSERT_EQ(ScriptMessages().size(), 1u);
    const std::string& text = ScriptMessages()[0].text;
    EXPECT_TRUE(Contains(text, "Im Ordner " + folder + "GFX/ ist keines der Bilder")) << text;
    EXPECT_TRUE(Contains(text, "Quibbuttons.bmp, TileSet.bmp, Buttons1.bmp")) << text;
    EXPECT_TRUE(Contains(text, "Tessaroc wird beendet.")) << text;
}

// A damaged sheet that a screen cannot be played without ends the program as no folder does.
TEST(Flow, ADamagedBoardSheetIsToldAndEndsTheProgram) {
    const std::string folder = FreshMachine("bad-tileset");
    std::filesystem::rename(folder + "GFX/Smileys.bmp", folder + "GFX/TileSet.bmp"); // too small
    EXPECT_EQ(RunBriefly(), 1);
    ASSERT_EQ(ScriptMessages().size(), 1u);
    EXPECT_TRUE(Contains(ScriptMessages()[0].text, "digt: TileSet.bmp. Ohne sie kann nicht"));
}

// Some sheets missing: the game goes on without their pictures, and one box names them all.
TEST(Flow, MissingSheetsAreNamedInOneBoxAndTheGameGoesOn) {
    const std::string folder = FreshMachine("some-gfx");
    std::filesystem::remove(folder + "GFX/Buttons1.bmp");
    WriteWholeFile(folder + "GFX/Smileys.bmp", "");
    EXPECT_EQ(RunBriefly(), 0);
    EXPECT_GT(ScriptPresentCount(), 60) << "the settings screen ran";
    ASSERT_EQ(ScriptMessages().size(), 1u);
    EXPECT_EQ(ScriptMessages()[0].title, "Tessaroc: Bilder fehlen");
    EXPECT_EQ(ScriptMessages()[0].text, "Diese Bilder im Ordner " + folder +
                                            "GFX/ fehlen oder sind besch\xE4"
                                            "digt: Buttons1.bmp, Smileys.bmp. Was sie zeigen, "
                                            "bleibt unsichtbar.");
}

// Every sheet there: nothing to tell.
TEST(Flow, ACompleteMachineTellsNothing) {
    FreshMachine("complete");
    EXPECT_EQ(RunBriefly(), 0);
    EXPECT_TRUE(ScriptMessages().empty());
}

// A Linux machine without the game's fonts (fontconfig offers none): one box names both
// faces, and the game goes on with blank texts. In a child process, as fontconfig reads its
// configuration once per process.
TEST(Flow, MissingFontsAreNamedInOneBox) {
    if (std::string(TESSAROC_TEXT_BACKEND) != "freetype") GTEST_SKIP() << "GDI always finds a face";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string config = MakeTempFolder("flow-nofonts") + "fonts.conf";
    WriteWholeFile(config, "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    EXPECT_EXIT(
        {
            static std::string setting = "FONTCONFIG_FILE=" + config; // putenv keeps it
            putenv(setting.data());
            FreshMachine("no-fonts");
            const bool ran = RunBriefly() == 0;
            const bool told = ScriptMessages().size() == 1 &&
                              ScriptMessages()[0].title == "Tessaroc: Schriften fehlen" &&
                              ScriptMessages()[0].text ==
                                  "Die Schriften \x84"
                                  "Arial\x93 und \x84"
                                  "Verdana\x93 sind "
                                  "auf diesem Rechner nicht zu finden. Die Texte in diesen "
                                  "Schriften bleiben leer.";
            std::exit(ran && told ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "tessaroc: Schriften fehlen: Die Schriften");
}

} // namespace
