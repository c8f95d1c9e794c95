// The settings screen, driven through the whole program on the scripted machine.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "frame_state.h"
#include "game_state.h"
#include "platform_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"
#include "test_support.h"

namespace {

// Values of a global over the frames of a run, with runs of equal values merged.
std::vector<int32_t> Changes(const std::vector<int32_t>& frames) {
    std::vector<int32_t> out;
    for (int32_t v : frames)
        if (out.empty() || out.back() != v) out.push_back(v);
    return out;
}

// One press of the left button on the width slider at column x, then the end of the run.
int32_t WidthAfterPressAt(int32_t x) {
    std::string folder = FreshMachine("slider");
    uint32_t t = ScriptClick(5200, x, SliderRowY[0]);
    ScriptEndAt(t + 200);
    EXPECT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(PrefsOf(folder).substr(20, 4),
              PrefsRecord(0, 0, 0, 0, BoardSettings.width, 0, 0, 0, 0).substr(20, 4));
    return BoardSettings.width;
}

TEST(Settings, SliderMapsThePointerWithFourNinthsRounding) {
    EXPECT_EQ(WidthAfterPressAt(70), 4); // 0, clamped
    EXPECT_EQ(WidthAfterPressAt(142), 14);
    EXPECT_EQ(WidthAfterPressAt(143), 15);
    EXPECT_EQ(WidthAfterPressAt(270), 40);
}

TEST(Settings, PresetSetsAllThreeValuesAndTheBars) {
    FreshMachine("preset");
    std::vector<int32_t> widths, heights, mines;
    EachPresent([&] {
        widths.push_back(BoardSettings.width);
        heights.push_back(BoardSettings.height);
        mines.push_back(BoardSettings.mines);
    });
    uint32_t t = ScriptClick(5200, PresetX[1], PresetY);
    t = ScriptClick(t + 100, PresetX[2], PresetY);
    t = ScriptClick(t + 100, PresetX[3], PresetY);
    ScriptEndAt(t + 200);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(Changes(widths), (std::vector<int32_t>{15, 20, 25, 40}));
    EXPECT_EQ(Changes(heights), (std::vector<int32_t>{10, 15, 20, 25}));
    EXPECT_EQ(Changes(mines), (std::vector<int32_t>{12, 35, 80, 200}));

    // 200 of 1000 cells: the density bar fills 20 of its 100 pixels, from colour 1 on.
    const Rgb background{195, 200, 205};
    EXPECT_EQ(ShownRgb(71, 152), (Rgb{250, 200, 200}));
    EXPECT_FALSE(ShownRgb(90, 152) == background);
    EXPECT_EQ(ShownRgb(91, 152), background);
    EXPECT_EQ(ShownRgb(121, 143), (Rgb{255, 255, 0})); // the 50 % mark
    EXPECT_EQ(ShownRgb(121, 163), (Rgb{255, 255, 0}));
    // Full width and height bars: 200 pixels each; mines 40 % gives 80.
    EXPECT_FALSE(ShownRgb(270, 77) == background);
    EXPECT_FALSE(ShownRgb(150, 127) == background);
    EXPECT_EQ(ShownRgb(151, 127), background);
}

TEST(Settings, StepButtonsChangeByOneAndStopAtTheLimits) {
    FreshMachine("steps");
    std::vector<int32_t> widths;
    EachPresent([&] { widths.push_back(BoardSettings.width); });
    uint32_t t = ScriptClick(5200, MinusX, SliderRowY[0], 1, 1500); // held long: still one step
    t = ScriptClick(t + 100, 70, SliderRowY[0]);                    // 4
    t = ScriptClick(t + 100, MinusX, SliderRowY[0]);                // stays 4
    t = ScriptClick(t + 100, 270, SliderRowY[0]);                   // 40
    t = ScriptClick(t + 100, PlusX, SliderRowY[0]);                 // stays 40
    t = ScriptClick(t + 100, MinusX, SliderRowY[1]);                // height 10 -> 9
    t = ScriptClick(t + 100, PlusX, SliderRowY[2]);                 // mines 12 -> 13
    ScriptEndAt(t + 200);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(Changes(widths), (std::vector<int32_t>{15, 14, 4, 40}));
    EXPECT_EQ(BoardSettings.height, 9);
    EXPECT_EQ(BoardSettings.mines, 13);
}

TEST(Settings, HalfTheCellsIsTheMostAndStartTakesIt) {
    FreshMachine("half");
    int32_t framesWithNine = 0, roundHeight = 0, minesBeforePlus = 0;
    uint32_t t = ScriptClick(5200, 70, SliderRowY[0]); // width 4
    t = ScriptClick(t + 100, 70, SliderRowY[1]);       // height 4: 12 mines fall to 8
    t = ScriptClick(t + 100, 73, SliderRowY[2]);       // mines 7.5 shows 8 (50 %)
    uint32_t beforePlus = t + 50;
    t = ScriptClick(t + 100, PlusX, SliderRowY[2]); // 9 for one frame, then 8 again
    t = ScriptClick(t + 200, StartX, StartY);
    ScriptEndAt(t + 500);
    EachPresent([&] {
        if (ScriptClock() <= beforePlus) minesBeforePlus = BoardSettings.mines;
        if (ScriptClock() > beforePlus && BoardSettings.mines == 9) ++framesWithNine;
        if (ScriptWindow().height != 310) roundHeight = ScriptWindow().height;
    });
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(minesBeforePlus, 8);
    EXPECT_EQ(framesWithNine, 1);
    EXPECT_EQ(BoardSettings.mines, 8);
    EXPECT_EQ(roundHeight, 4 * 20 + 88); // the round started on 4 x 4 with 8 mines
}

// Preset 4, then the width dragged from 40 to 4 and, once the mines have fallen, back.
uint32_t ScriptDensityFall() {
    uint32_t t = ScriptClick(5200, PresetX[3], PresetY);
    ScriptMouseMove(t + 100, 270, SliderRowY[0]);
    ScriptMouseDown(t + 101, 1);
    ScriptMouseMove(t + 150, 70, SliderRowY[0]);
    ScriptMouseMove(t + 3000, 270, SliderRowY[0]); // back up after the fall
    ScriptMouseUp(t + 3050, 1);
    return t + 3050;
}

TEST(Settings, TooManyMinesFallByOnePerFrame) {
    FreshMachine("fall");
    std::vector<int32_t> invalidMines;
    EachPresent([&] {
        if (SettingsValid == 0 && ScriptClock() > 5200) invalidMines.push_back(BoardSettings.mines);
    });
    uint32_t t = ScriptDensityFall();
    ScriptEndAt(t + 3000);
    ASSERT_EQ(RunTessaroc(), 0);
    ASSERT_EQ(invalidMines.size(), 150u);
    for (size_t i = 0; i < invalidMines.size(); ++i)
        EXPECT_EQ(invalidMines[i], 200 - int32_t(i));
    EXPECT_EQ(BoardSettings.width, 40); // dragged back up: the mines stay down
    EXPECT_EQ(BoardSettings.height, 25);
    EXPECT_EQ(BoardSettings.mines, 50);
}

TEST(Settings, StartIsIgnoredWhileTooDense) {
    FreshMachine("fallstart");
    std::vector<int32_t> heights;
    EachPresent([&] { heights.push_back(ScriptWindow().height); });
    uint32_t t = ScriptClick(5200, PresetX[3], PresetY);
    ScriptMouseMove(t + 100, 270, SliderRowY[0]);
    ScriptMouseDown(t + 101, 1);
    ScriptMouseMove(t + 150, 70, SliderRowY[0]);
    ScriptMouseUp(t + 200, 1);
    t = ScriptClick(t + 400, StartX, StartY);  // during the fall: ignored
    t = ScriptClick(t + 3000, StartX, StartY); // afterwards: 4 x 25 with 50 mines
    ScriptEndAt(t + 300);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(Changes(heights), (std::vector<int32_t>{310, 25 * 20 + 88}));
    EXPECT_EQ(BoardSettings.width, 4);
    EXPECT_EQ(BoardSettings.mines, 50);
}

TEST(Settings, StoredValuesShowUntilTheFirstPress) {
    std::string folder = FreshMachine("stored");
    WriteWholeFile(folder + "Prefs", PrefsRecord(0, 0, 1, 0, 100, 10, 12, 0, 0));
    std::set<int32_t> widthsBeforePress, effectsBeforePress;
    int32_t roundWidth = 0;
    const uint32_t press = 5400;
    EachPresent([&] {
        if (ScriptClock() < press) {
            widthsBeforePress.insert(BoardSettings.width);
            effectsBeforePress.insert(QuibWindow.TitleEffects);
        }
        if (ScriptWindow().width != 370) roundWidth = ScriptWindow().width;
    });
    uint32_t t = ScriptClick(press, 150, 170); // a press on no control clamps
    t = ScriptClick(t + 100, StartX, StartY);
    ScriptEndAt(t + 300); // ends on the game screen
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(widthsBeforePress, (std::set<int32_t>{100}));
    EXPECT_EQ(effectsBeforePress, (std::set<int32_t>{0}));
    EXPECT_EQ(QuibWindow.TitleEffects, 1);
    EXPECT_EQ(roundWidth, 40 * 20 + 19);
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 1, 0, 40, 10, 12, 0, 0));
}

TEST(Settings, CheckBoxTogglesOncePerClick) {
    std::string folder = FreshMachine("boxes");
    int32_t greyPixelsAfterStarOn = -1;
    EachPresent([&] {
        if (Options.starBackground == 1 && greyPixelsAfterStarOn < 0) {
            greyPixelsAfterStarOn = 0;
            for (int32_t y = 28; y <= 305; ++y)
                for (int32_t x = 5; x <= 365; ++x)
                    if (ShownRgb(x, y) == (Rgb{195, 200, 205})) ++greyPixelsAfterStarOn;
        }
    });
    uint32_t t = ScriptClick(5200, CheckBoxX, CheckBoxY[0], 1, 800); // held long: once
    t = ScriptClick(t + 100, CheckBoxX, CheckBoxY[1]);
    t = ScriptClick(t + 100, CheckBoxX, CheckBoxY[1]);
    t = ScriptClick(t + 100, 36, 296); // corner of box 4
    ScriptEndAt(t + 200);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(Options.starBackground, 1);
    EXPECT_EQ(Options.emptyTransparent, 0);
    EXPECT_EQ(Options.titleAnimation, 0);
    EXPECT_EQ(Options.titleGradient, 1);
    // The black background came in the frame of the click, white text with it.
    EXPECT_EQ(greyPixelsAfterStarOn, 0);
    EXPECT_EQ(TextGrey, 255);
    EXPECT_TRUE(CheckBoxShows(220, 2));
    EXPECT_TRUE(CheckBoxShows(240, 1));
    EXPECT_TRUE(CheckBoxShows(280, 2));
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(1, 0, 0, 1, 15, 10, 12, 0, 0));
}

TEST(Settings, ButtonActsOnlyWhenReleasedOverItself) {
    FreshMachine("release");
    // Pressed on preset 4, released below it: nothing.
    ScriptMouseMove(5200, PresetX[3], PresetY);
    ScriptMouseDown(5201, 1);
    ScriptMouseMove(5300, PresetX[3], 230);
    ScriptMouseUp(5350, 1);
    // Pressed elsewhere, moved onto preset 2 and released there: acts.
    ScriptMouseMove(5600, 150, 170);
    ScriptMouseDown(5601, 1);
    ScriptMouseMove(5700, PresetX[1], PresetY);
    ScriptMouseUp(5800, 1);
    int32_t widthAtMiddle = 0;
    EachPresent([&] {
        if (ScriptClock() < 5550) widthAtMiddle = BoardSettings.width;
    });
    ScriptEndAt(6000);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(widthAtMiddle, 15);
    EXPECT_EQ(BoardSettings.width, 20);
    EXPECT_EQ(BoardSettings.mines, 35);
}

// 200 quick clicks on an empty spot, faster than the screen takes them, then the pointer
// parked on "+" without a click: none of them acts on "+", and the backlog is gone within a
// second, so a click on "+" two seconds later acts at once.
TEST(Settings, ABurstOfClicksActsWhereItWasMadeAndIsGoneWithinASecond) {
    FreshMachine("burst");
    ScriptUseTapGate(true);
    ScriptMouseMove(5200, 150, 170);
    for (uint32_t i = 0; i < 200; i++) {
        ScriptMouseDown(5201 + 5 * i, 1);
        ScriptMouseUp(5203 + 5 * i, 1);
    }
    ScriptMouseMove(6300, PlusX, SliderRowY[0]);
    const uint32_t release = ScriptClick(8300, PlusX, SliderRowY[0]);
    uint32_t changedAt = 0;
    EachPresent([&] {
        if (changedAt == 0 && BoardSettings.width != 15) changedAt = ScriptClock();
    });
    ScriptEndAt(release + 300);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(BoardSettings.width, 16);
    EXPECT_GE(changedAt, 8301u);
    EXPECT_LT(changedAt, release + 100) << "the click on + waited behind the burst";
}

TEST(Settings, AQuitDuringAPressIsNoRelease) {
    // The program is ended (as by SIGTERM) while "+", a check box or start is held down: the
    // preferences are saved as they were before the press.
    struct Hold {
        int32_t x, y;
    };
    for (const Hold& h : {Hold{PlusX, SliderRowY[0]}, Hold{CheckBoxX, CheckBoxY[0]},
                          Hold{PresetX[3], PresetY}, Hold{StartX, StartY}}) {
        SCOPED_TRACE(testing::Message() << h.x << "," << h.y);
        std::string folder = FreshMachine("quit-held");
        ScriptMouseMove(5200, h.x, h.y);
        ScriptMouseDown(5201, 1);
        ScriptEndAt(5800);
        ASSERT_EQ(RunTessaroc(), 0);
        EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0));
        EXPECT_EQ(ScriptWindow().width, 370); // no round was started
    }
}

TEST(Settings, EscapeEndsTheProgramAndSaves) {
    std::string folder = FreshMachine("escape");
    uint32_t t = ScriptClick(5200, PresetX[2], PresetY);
    ScriptTap(t + 100, 1);
    ScriptEndAt(60000);
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_LT(ScriptClock(), 10000u);
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 25, 20, 80, 0, 0));
}

} // namespace

// A settings screen that nothing moves on sleeps in nearly every present; the star field, the
// title bar's colour animation and the falling mine count never let a present wait.
TEST(Settings, OnlyAScreenWithNothingMovingWaitsForThePlayer) {
    struct Run {
        std::string prefs;
        bool still;
    };
    for (const Run& run : {Run{PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0), true},
                           Run{PrefsRecord(1, 0, 0, 0, 15, 10, 12, 0, 0), false},
                           Run{PrefsRecord(0, 0, 1, 0, 15, 10, 12, 0, 0), false},
                           Run{PrefsRecord(0, 0, 0, 0, 4, 4, 200, 0, 0), false}}) {
        SCOPED_TRACE(run.still ? "still" : "moving");
        FreshMachineWithPrefs("still", run.prefs);
        ScriptClick(RunStartMs + 100, 250, 300); // takes the remembered title effects
        int64_t stillFrames = -1;
        EachPresent([&] {
            if (stillFrames < 0 && ScriptClock() >= RunStartMs + 1000)
                stillFrames = int64_t(FrameMotion.stillWaits);
        });
        ScriptEndAt(RunStartMs + 2000);
        ASSERT_EQ(RunTessaroc(), 0);
        if (run.still) {
            EXPECT_GT(int64_t(FrameMotion.stillWaits) - stillFrames, 55)
                << "a second of frames, nearly all";
        } else {
            EXPECT_EQ(int64_t(FrameMotion.stillWaits) - stillFrames, 0);
        }
    }
}
