// Whole-program runs that check chosen frames of every screen against stored references.
//
// Each reference is the 64-bit FNV-1a hash of a frame's size and pixels as shown in the
// window, kept in tests/setup/reference_frames/hashes.txt beside a PNG of the same frame
// for looking at. Text drawn by GDI (the Windows build, under Wine) has other pixels than
// FreeType's: its hashes are kept in hashes-gdi.txt. Any change of any pixel of these frames fails
// the test. After a change that is meant to alter the pictures, tools/update-reference-frames.sh
// writes new hashes and PNGs (open the PNGs and look before committing them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "game_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"
#include "test_support.h"

namespace {

const std::string ReferenceFolder =
    std::string(TESSAROC_SOURCE_DIR) + "/tests/setup/reference_frames/";

// The shown frame's size and pixels, hashed byte by byte (FNV-1a, 64 bits).
uint64_t ShownFrameHash() {
    uint64_t hash = 0xCBF29CE484222325ull;
    auto add = [&hash](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            hash ^= (value >> (8 * i)) & 0xFFu;
            hash *= 0x100000001B3ull;
        }
    };
    const int32_t width = ScriptWindow().width, height = ScriptWindow().height;
    add(uint32_t(width), 4);
    add(uint32_t(height), 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            add(uint32_t(ScriptShownPixel(x, y)), 3);
    return hash;
}

// The file of the hashes for the text backend of this build.
std::string HashesName() {
    const std::string backend = TESSAROC_TEXT_BACKEND;
    return backend == "freetype" ? "hashes.txt" : "hashes-" + backend + ".txt";
}

std::map<std::string, std::string> StoredHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream in(ReferenceFolder + HashesName());
    std::string name, hash;
    while (in >> name >> hash)
        hashes[name] = hash;
    return hashes;
}

std::string Hex(uint64_t value) {
    std::ostringstream out;
    out << std::hex << value;
    return out.str();
}

// Called at the moment a reference frame is shown. With TESSAROC_REFERENCE_OUT naming a
// folder, the frame and its hash are written there (the update script collects them);
// otherwise the hash is compared with the stored one, and a differing frame is saved into
// the temporary folder for comparison.
void CheckShownFrame(const std::string& name) {
    const std::string hash = Hex(ShownFrameHash());
    if (const char* out = std::getenv("TESSAROC_REFERENCE_OUT")) {
        ScriptSaveFrame(std::string(out) + "/" + name + ".png");
        std::ofstream(std::string(out) + "/hashes.txt", std::ios::app)
            << name << " " << hash << "\n";
        return;
    }
    const std::map<std::string, std::string> stored = StoredHashes();
    const auto found = stored.find(name);
    ASSERT_NE(found, stored.end()) << "no reference for " << name;
    if (found->second != hash) {
        const std::string saved = MakeTempFolder("reference") + name + ".png";
        ScriptSaveFrame(saved);
        ADD_FAILURE() << name << " differs from " << ReferenceFolder << name
                      << ".png; this run's frame is " << saved;
    }
}

// A program run that starts with the given preferences and checks the frame shown after
// `frames` presents of the settings screen, idle but for one click on an empty spot
// (which takes the remembered title effects into the title bar).
void CheckIdleSettingsScreen(const std::string& name, const std::string& prefs, int64_t frames) {
    const std::string folder = FreshMachineWithPrefs(name, prefs);
    ScriptClick(RunStartMs + 100, 250, 300);
    EachPresent([&] {
        if (ScriptPresentCount() == frames) {
            CheckShownFrame(name);
            ScriptEndAt(ScriptClock() + 1);
        }
    });
    ScriptEndAt(60000);
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_GE(ScriptPresentCount(), frames);
}

// A fresh program folder with these preferences, and a press of the settings screen's start
// button scripted; returns the folder.
std::string StartRoundOn(const std::string& name, const std::string& prefs) {
    const std::string folder = FreshMachineWithPrefs(name, prefs);
    ScriptClick(5200, StartX, StartY);
    ScriptEndAt(120000);
    return folder;
}

// On the running game screen: opens the first empty cell (a flood) and the first counted
// cell; returns when the last click ends.
uint32_t OpenFloodAndCount(uint32_t now) {
    const auto [sx, sy] = NthCell(Empty);
    const auto [nx, ny] = NthCell(Counted);
    const uint32_t t = ScriptClick(now + 100, CellX(sx), CellY(sy), 1, 30);
    return ScriptClick(t + 50, CellX(nx), CellY(ny), 1, 30);
}

// A program run on the 40 x 25 board with the given preferences, after `prepare` has had its
// say on the program folder: the first empty cell opened (a flood) and the first counted
// cell, then the frame about a second later is checked.
template <typename Prepare>
void CheckOpenedRound(const std::string& name, const std::string& prefs, Prepare prepare) {
    prepare(StartRoundOn(name, prefs) + "GFX/");
    int step = 0;
    int64_t checkAt = 0;
    uint32_t playedUntil = 0;
    EachPresent([&] {
        const uint32_t now = ScriptClock();
        if (step == 0 && OnGameScreen() && RoundState == Running) {
            step = 1;
            playedUntil = OpenFloodAndCount(now);
        } else if (step == 1 && now > playedUntil) {
            step = 2;
            checkAt = ScriptPresentCount() + 60;
        } else if (step == 2 && ScriptPresentCount() == checkAt) {
            step = 3;
            CheckShownFrame(name);
            ScriptEndAt(now + 1);
        }
    });
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_EQ(step, 3);
}

} // namespace

TEST(ReferenceFrames, SettingsScreenPlain) {
    CheckIdleSettingsScreen("settings_plain", PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0), 20);
}

TEST(ReferenceFrames, SettingsScreenWithStars) {
    CheckIdleSettingsScreen("settings_stars", PrefsRecord(1, 0, 0, 0, 15, 10, 12, 0, 0), 40);
}

// The title bar's colour animation and gradient, some way into the animation.
TEST(ReferenceFrames, TitleBarAnimation) {
    CheckIdleSettingsScreen("title_animation", PrefsRecord(0, 0, 1, 1, 15, 10, 12, 0, 0), 75);
}

// The largest board with stars: a few cells opened and two marked, the clock running; then
// a mine opened and the end screen of the lost round.
TEST(ReferenceFrames, LargestRoundRunningAndLost) {
    StartRoundOn("largest", PrefsRecord(1, 0, 0, 0, 40, 25, 150, 0, 0));
    int step = 0;
    int64_t checkAt = 0;
    uint32_t playedUntil = 0;
    EachPresent([&] {
        const uint32_t now = ScriptClock();
        if (step == 0 && OnGameScreen() && RoundState == Running) {
            step = 1;
            const auto [mx, my] = NthCell(HoldsMine);
            uint32_t t = OpenFloodAndCount(now);
            t = ScriptClick(t + 50, CellX(mx), CellY(my), 2, 30);
            playedUntil = ScriptClick(t + 50, CellX(39), CellY(24), 2, 30);
        } else if (step == 1 && now > playedUntil) {
            step = 2;
            checkAt = ScriptPresentCount() + 60; // about a second later
        } else if (step == 2 && ScriptPresentCount() == checkAt) {
            step = 3;
            CheckShownFrame("round_40x25_stars");
            const auto [mx, my] = NthCell(HoldsMine, 2); // the first mine carries a mark
            ScriptClick(now + 100, CellX(mx), CellY(my), 1, 30);
        } else if (step == 3 && RoundState == Lost) {
            step = 4;
            checkAt = ScriptPresentCount() + 30;
        } else if (step == 4 && ScriptPresentCount() == checkAt) {
            step = 5;
            CheckShownFrame("end_lost");
            ScriptEndAt(now + 1);
        }
    });
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_EQ(step, 5);
}

// The first preset won: its end screen, then (face button) the top-ten screen.
TEST(ReferenceFrames, WonRoundAndTopTen) {
    FreshMachine("won");
    const uint32_t t = ScriptClick(5200, PresetX[0], PresetY);
    ScriptClick(t + 100, StartX, StartY);
    ScriptEndAt(200000);
    int step = 0;
    int64_t checkAt = 0;
    uint32_t playedUntil = 0;
    EachPresent([&] {
        const uint32_t now = ScriptClock();
        if (step == 0 && OnGameScreen() && RoundState == Running) {
            step = 1;
            playedUntil = WinRound(now + 100);
        } else if (step == 1 && RoundState == Won) {
            step = 2;
            checkAt = ScriptPresentCount() + 5;
            // The face button, once the clicks of cells the flood opened have passed.
            ScriptClick(std::max(now, playedUntil) + 500, 265, 50, 1, 200);
        } else if (step == 2 && ScriptPresentCount() == checkAt) {
            step = 3;
            CheckShownFrame("end_won");
        } else if (step == 3 && ScriptWindow().width == 350 && ScriptWindow().height == 360) {
            step = 4;
            checkAt = ScriptPresentCount() + 90; // after the list has slid in
        } else if (step == 4 && ScriptPresentCount() == checkAt) {
            step = 5;
            CheckShownFrame("top_ten");
            ScriptEndAt(now + 1);
        }
    });
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_EQ(step, 5);
}

// Opened empty cells left undrawn: the stars and the black fill show through them.
TEST(ReferenceFrames, RoundWithTransparentEmptyCells) {
    CheckOpenedRound("round_empty_transparent", PrefsRecord(1, 1, 0, 0, 40, 25, 150, 0, 0),
                     [](const std::string&) {});
}
