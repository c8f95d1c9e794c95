// Whole-program runs through a won round into the top-ten screen and back to the flow.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "besttimes.h"
#include "game_state.h"
#include "platform_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"
#include "test_support.h"

namespace {

// A whole "TopList" of defaults with place 1 of Leicht replaced.
std::string TopListWithLeichtFirst(const std::string& name, const std::string& time) {
    auto field = [](const std::string& text, size_t width) {
        return text + std::string(width - text.size(), ' ');
    };
    std::string image("\0xst", 4);
    for (int i = 0; i < 40; ++i)
        image += i == 0 ? field(name, 20) + field(time, 8) : field("-", 20) + field("99999.99", 8);
    return image;
}

bool OnLeichtGameScreen() {
    return ScriptWindow().width == 370 && ScriptWindow().height == 10 * 20 + 88;
}

bool BoardPlaced() {
    return std::count(std::begin(Board.content), std::end(Board.content), Mine) ==
           BoardSettings.mines;
}

// Plays the first preset to a win and chooses the face button on the end screen; on the
// top-ten screen `onTopList` runs once with the time it appeared. Returns the won time.
std::string RunToTopList(const std::string& tag, std::function<void(uint32_t)> onTopList,
                         std::function<void()> afterTopList) {
    FreshMachine(tag);
    uint32_t t = ScriptClick(5200, PresetX[0], PresetY);
    ScriptClick(t + 100, StartX, StartY);
    ScriptEndAt(200000);
    int step = 0;
    uint32_t playedUntil = 0;
    std::string wonTime;
    EachPresent([&] {
        uint32_t now = ScriptClock();
        if (step == 0 && OnLeichtGameScreen() && BoardPlaced() && RoundState == Running) {
            step = 1;
            playedUntil = WinRound(now + 100);
        } else if (step == 1 && RoundState == Won) {
            step = 2;
            wonTime = TimeText;
            ScriptClick(std::max(now, playedUntil) + 100, 265, 50, 1, 200); // the face button
        } else if (step == 2 && ScriptWindow().width == 350 && ScriptWindow().height == 360) {
            step = 3;
            onTopList(now);
        } else if (step == 3 && OnLeichtGameScreen() && RoundState == Running) {
            step = 4;
            afterTopList();
            ScriptEndAt(now + 300);
        }
    });
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_LT(ScriptClock(), 200000u);
    return wonTime;
}

} // namespace

// Settings, the Leicht preset, a won round, the top-ten screen with a typed name holding an
// umlaut, Enter, a click, and a new round as chosen with the face button on the end screen.
TEST(BestTimesFlow, WonRoundTakesNameAndReturnsToTheChosenScreen) {
    bool backInRound = false;
    std::string messageSeen;
    std::string time = RunToTopList(
        "bt-flow",
        [&](uint32_t now) {
            uint32_t t = now + 900; // after the slide
            ScriptKeyDown(t, 0x2A); // Shift + J
            ScriptTap(t + 10, 0x24, 40);
            ScriptKeyUp(t + 60, 0x2A);
            ScriptTap(t + 100, 0x27, 40); // the o-umlaut key
            ScriptTap(t + 200, 0x13, 40); // r
            ScriptTap(t + 300, 0x22, 40); // g
            ScriptTap(t + 500, 0x1C, 40); // Enter
            ScriptClick(t + 800, 150, 200);
        },
        [&] {
            backInRound = true;
            messageSeen = MessageText;
        });
    ASSERT_FALSE(time.empty());
    EXPECT_TRUE(backInRound);
    EXPECT_EQ(messageSeen, "Du hast den 1. Platz belegt");
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "TopList"), TopListWithLeichtFirst("J\xF6rg", time));
    EXPECT_EQ(PrefsOf(ProgramFolder()), PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0));
}

// Closing on the top-ten screen while the name is typed ends the program: the preferences
// are saved, the new time is not kept.
TEST(BestTimesFlow, CloseDuringNameEntryEndsTheProgram) {
    bool returnedToRound = false;
    RunToTopList(
        "bt-flow-close",
        [&](uint32_t now) {
            ScriptTap(now + 900, 0x1E, 40);
            ScriptClick(now + 1200, 350 - 15, 15); // the close button
        },
        [&] { returnedToRound = true; });
    EXPECT_FALSE(returnedToRound);
    EXPECT_EQ(TitleBarResult, 1);
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "TopList"), TopListWithLeichtFirst("-", "99999.99"));
    EXPECT_EQ(PrefsOf(ProgramFolder()), PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0));
}

// A best time the disk does not take (the save stops before its rename, as on a full disk):
// the top-ten screen no longer claims the place alone, the player is told once what was lost
// and why, and the file keeps what it held.
TEST(BestTimesFlow, ABestTimeThatCannotBeSavedIsToldToThePlayer) {
    std::string messageSeen;
    std::string time = RunToTopList(
        "bt-unsaved",
        [&](uint32_t now) {
            DataFiles.failBeforeRename = true;
            ScriptTap(now + 900, 0x1E, 40);  // a
            ScriptTap(now + 1100, 0x1C, 40); // Enter
            ScriptClick(now + 1400, 150, 200);
        },
        [&] {
            DataFiles.failBeforeRename = false;
            messageSeen = MessageText;
        });
    ASSERT_FALSE(time.empty());
    EXPECT_EQ(messageSeen, "Bestzeit konnte nicht gespeichert werden !");
    ASSERT_EQ(ScriptMessages().size(), 1u);
    EXPECT_EQ(ScriptMessages()[0].title, "Tessaroc: Bestzeit nicht gespeichert");
    EXPECT_EQ(ScriptMessages()[0].text,
              "Deine Zeit " + time + " (a, 1. Platz) konnte nicht in " + ProgramFolder() +
                  "TopList gespeichert werden: stopped before the rename. Sie wird nicht "
                  "behalten.");
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "TopList"), "");
}
