// Tests of the game and end screens, run on the scripted platform with the built artwork.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "frame.h"
#include "game.h"
#include "game_test_support.h"
#include "script_platform.h"

namespace {

// A board cell's column and row, compared as one.
using Cell = std::pair<int32_t, int32_t>;

// Client pixel in the middle of board cell (cx, cy).
int32_t CellX(int32_t cx) {
    return 20 + 20 * cx;
}
int32_t CellY(int32_t cy) {
    return 88 + 20 * cy;
}

// Whether the last presented frame shows, in the w x h area at (x, y), exactly what `draw`
// puts into the back buffer there (the reference is drawn over the finished frame).
bool ShownMatches(int32_t x, int32_t y, int32_t w, int32_t h, const std::function<void()>& draw) {
    draw();
    for (int32_t py = y; py < y + h; ++py)
        for (int32_t px = x; px < x + w; ++px)
            if (ScriptPixel(px, py) != ScriptShownPixel(px, py)) return false;
    return true;
}

bool ShownTile(int32_t cx, int32_t cy, int32_t tile) {
    return ShownMatches(10 + 20 * cx, 78 + 20 * cy, 20, 20,
                        [&] { DrawTileSetCell(10 + 20 * cx, 78 + 20 * cy, tile); });
}

bool ShownFace(int32_t face) {
    return ShownMatches(250, 35, 31, 31, [&] { DrawSmileysCell(250, 35, face); });
}

// Time text the clock must show for a whole number of hundredths below 16 seconds.
std::string Hundredths(uint32_t h) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", h / 100, h % 100);
    return text;
}

class GameScreenTest : public ::testing::Test {
  protected:
    void SetUp() override { StartUpForScreens("game"); }
    void TearDown() override { ScriptOnPresent(nullptr); }

    // Calls `firstFrame` once when the first play frame of the next round is presented (the
    // board exists then); the presents of the window set-up come before it.
    void OnFirstPlayFrame(std::function<void()> firstFrame) {
        int64_t first = ScriptPresentCount() + 2;
        ScriptOnPresent([first, firstFrame](int64_t count) {
            if (count == first) firstFrame();
        });
    }
};

TEST_F(GameScreenTest, WindowIsSizedForTheBoardWithTheBoardAtTheLeft) {
    struct Case {
        BoardSettingsRecord board;
        int32_t windowWidth, windowHeight;
    };
    const Case cases[] = {{{4, 4, 2}, 370, 168},
                          {{40, 25, 500}, 819, 588},
                          {{15, 10, 12}, 370, 288},
                          {{18, 5, 10}, 379, 188}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.board.width << "x" << c.board.height);
        BoardSettings = c.board;
        ScriptEndAt(ScriptClock() + 100);
        StartRound();
        EXPECT_EQ(QuibWindow.Width, c.windowWidth);
        EXPECT_EQ(QuibWindow.Height, c.windowHeight);
        EXPECT_EQ(ScriptWindow().width, c.windowWidth);
        EXPECT_EQ(ScriptWindow().height, c.windowHeight);
        EXPECT_EQ(TitleBarResult, CloseButton);
        EXPECT_EQ(QuibWindow.BackColour.red, 195);
        EXPECT_TRUE(ShownTile(0, 0, 1));
        EXPECT_TRUE(ShownTile(c.board.width - 1, c.board.height - 1, 1));
        StartUpForScreens("game");
    }
    Options.starBackground = 1;
    BoardSettings = BoardSettingsRecord{4, 4, 2};
    ScriptEndAt(ScriptClock() + 100);
    StartRound();
    EXPECT_EQ(QuibWindow.BackColour.red + QuibWindow.BackColour.green, 0);
    // Right of the board the window shows the black star background, below the panel.
    int32_t lit = 0;
    for (int32_t x = 100; x < 360; ++x)
        for (int32_t y = 80; y < 160; ++y) {
            int32_t p = ScriptShownPixel(x, y);
            ASSERT_TRUE(p == 0 || (p & 0xFF) >= 100) << x << "," << y;
            lit += p != 0;
        }
    EXPECT_GT(lit, 0);
}

TEST_F(GameScreenTest, PressPositionsMapToCellsByRoundingDown) {
    int32_t cx = 0, cy = 0;
    EXPECT_EQ(PointerToCell(10, 78, &cx, &cy), OnBoard);
    EXPECT_EQ(Cell(cx, cy), Cell(0, 0));
    EXPECT_EQ(PointerToCell(29, 97, &cx, &cy), OnBoard);
    EXPECT_EQ(Cell(cx, cy), Cell(0, 0));
    EXPECT_EQ(PointerToCell(30, 98, &cx, &cy), OnBoard);
    EXPECT_EQ(Cell(cx, cy), Cell(1, 1));
    EXPECT_EQ(PointerToCell(9, 80, &cx, &cy), OffBoard);
    EXPECT_EQ(cx, -1); // not cut to 0, as truncating division would
    EXPECT_EQ(PointerToCell(20, 77, &cx, &cy), OffBoard);
    EXPECT_EQ(cy, -1); // above the board
    EXPECT_EQ(PointerToCell(309, 277, &cx, &cy), OnBoard);
    EXPECT_EQ(Cell(cx, cy), Cell(14, 9));
    EXPECT_EQ(PointerToCell(310, 100, &cx, &cy), OffBoard); // right of a 15-column board

    // The same positions pressed with the right button on a running round.
    uint32_t t = ScriptClick(100, 10, 78, 2);
    t = ScriptClick(t + 100, 29, 97, 2);
    t = ScriptClick(t + 100, 30, 98, 2);
    t = ScriptClick(t + 100, 9, 80, 2);
    t = ScriptClick(t + 100, 20, 77, 2);
    t = ScriptClick(t + 100, 20, 77, 1); // left above the board but on no button
    ScriptEndAt(t + 200);
    StartRound();
    EXPECT_EQ(Cover(0, 0), Queried); // flagged, then queried
    EXPECT_EQ(Cover(1, 1), Flagged);
    int32_t marked = 0;
    for (int32_t c : Board.cover)
        marked += c != Covered;
    EXPECT_EQ(marked, 2);
    EXPECT_EQ(MinesLeft, 10);
    EXPECT_EQ(TimerIdle, 1);
    EXPECT_EQ(ButtonAction, 0);
    EXPECT_EQ(RoundState, Running);
}

TEST_F(GameScreenTest, FaceAndBackButtonsActOnlyWhenReleasedOverThem) {
    for (int32_t width : {4, 15, 40}) {
        SCOPED_TRACE(width);
        StartUpForScreens("game");
        BoardSettings = BoardSettingsRecord{width, 10, 8};
        int32_t sunkenSeen = 0;
        ScriptOnPresent(
            [&](int64_t) { sunkenSeen += ScriptShownPixel(247, 32) == MakeColour(145, 150, 155); });
        ScriptClick(200, 260, 68, 1); // the face button's lower edge
        StartRound();
        EXPECT_EQ(ButtonAction, 1);
        EXPECT_EQ(TitleBarResult, 0);
        EXPECT_EQ(RoundState, Running);
        EXPECT_GT(sunkenSeen, 0);
        ScriptClick(ScriptClock() + 100, 350, 64, 1); // the back button's corner
        StartRound();
        EXPECT_EQ(ButtonAction, 2);
        ScriptOnPresent(nullptr);
    }
    // Pressed over a button and released off it: nothing happens and play goes on.
    uint32_t t = ScriptClock() + 100;
    ScriptMouseMove(t, 260, 50);
    ScriptMouseDown(t + 1, 1);
    ScriptMouseMove(t + 60, 284, 50);
    ScriptMouseUp(t + 100, 1);
    ScriptMouseMove(t + 200, 320, 50);
    ScriptMouseDown(t + 201, 1);
    ScriptMouseMove(t + 260, 320, 65);
    ScriptMouseUp(t + 300, 1);
    ScriptEndAt(t + 600);
    StartRound();
    EXPECT_EQ(ButtonAction, 0);
    EXPECT_EQ(TitleBarResult, CloseButton);
}

TEST_F(GameScreenTest, CounterRollsUpToTheMineCountAndFollowsTheFlags) {
    std::vector<std::array<int32_t, 3>> shown;
    int64_t base = ScriptPresentCount() + 1; // the window set-up presents once
    ScriptOnPresent([&](int64_t count) {
        if (count > base) shown.push_back({CounterShown[0], CounterShown[1], CounterShown[2]});
    });
    uint32_t t = ScriptClick(400, CellX(3), CellY(3), 2);
    ScriptEndAt(t + 300);
    StartRound();
    ASSERT_GT(shown.size(), 12u);
    // Play frame n shows the counter after n steps of 9 pixels.
    EXPECT_EQ(shown[0][1], 36);
    EXPECT_EQ(shown[1][1], 45);
    EXPECT_EQ(shown[2][1], 54); // tens settled after 3 frames: digit 1
    EXPECT_EQ(shown[4][2], 72);
    EXPECT_EQ(shown[5][2], 81); // ones settled after 6 frames: digit 2
    for (auto& s : shown)
        EXPECT_EQ(s[0], 27);
    EXPECT_EQ(shown[10][2], 81);
    // The flag makes 11: the ones roll back down to digit 1.
    EXPECT_EQ(CounterShown[1], 54);
    EXPECT_EQ(CounterShown[2], 54);
    EXPECT_TRUE(ShownMatches(97, 37, 18, 27, [] { DrawPointsStrip(97, 37, 27); }));
    EXPECT_TRUE(ShownMatches(115, 37, 18, 27, [] { DrawPointsStrip(115, 37, 54); }));
    EXPECT_TRUE(ShownMatches(133, 37, 18, 27, [] { DrawPointsStrip(133, 37, 54); }));

    MinesLeft = 120;
    SetCounterTarget();
    EXPECT_EQ(CounterTarget[0], 54);
    EXPECT_EQ(CounterTarget[1], 81);
    EXPECT_EQ(CounterTarget[2], 27);
    MinesLeft = 7;
    SetCounterTarget();
    EXPECT_EQ(CounterTarget[0] + CounterTarget[1], 54);
    EXPECT_EQ(CounterTarget[2], 216);
}

TEST_F(GameScreenTest, ClockShowsHundredthsCutNotRounded) {
    const struct {
        uint32_t ms;
        const char* text;
    } cases[] = {{0, "0.00"},      {9, "0.00"},      {1234, "1.23"},     {9999, "9.99"},
                 {61000, "61.00"}, {16050, "16.04"}, {999990, "999.98"}, {123400, "123.40"}};
    for (auto& c : cases) {
        for (uint32_t start : {5000u, 0xFFFFFFFFu - 500u}) { // the second run crosses the wrap
            StartTick = int32_t(start);
            ScriptSetClock(start + c.ms);
            ReadClock();
            MakeTimeText();
            EXPECT_EQ(TimeText, c.text) << c.ms << " from " << start;
        }
    }
}

TEST_F(GameScreenTest, ClockStartsWhenTheFirstLeftPressOnACellIsReleased) {
    struct Seen {
        uint32_t clock;
        std::string text;
        int32_t idle;
    };
    std::vector<Seen> seen;
    ScriptOnPresent([&](int64_t) { seen.push_back({ScriptClock(), TimeText, TimerIdle}); });
    uint32_t t = ScriptClick(100, CellX(0), CellY(0), 2); // flags the cell
    t = ScriptClick(t + 200, CellX(5), CellY(5), 2);
    t = ScriptClick(t + 200, CellX(5), CellY(5), 2);
    t = ScriptClick(t + 200, 100, 50, 1); // on the panel
    // A left press on the flagged cell changes nothing but starts the clock at its release.
    uint32_t release = ScriptClick(t + 200, CellX(0), CellY(0), 1, 300);
    ScriptEndAt(release + 5000);
    StartRound();
    ASSERT_EQ(RoundState, Running);
    EXPECT_EQ(Cover(0, 0), Flagged);
    EXPECT_EQ(TimerIdle, 0);
    EXPECT_EQ(uint32_t(StartTick), release);
    int32_t running = 0;
    for (const Seen& s : seen) {
        if (s.idle == 1) {
            EXPECT_EQ(s.text, "0.00");
            EXPECT_LE(s.clock, release);
        } else if (!s.text.empty()) {
            EXPECT_EQ(s.text, Hundredths((s.clock - release) / 10)) << s.clock;
            ++running;
        }
    }
    EXPECT_GT(running, 200);
}

TEST_F(GameScreenTest, ClockRunsRightAcrossTheTickWrap) {
    ScriptSetClock(0xFFFFFFFFu - 2000u);
    uint32_t t = ScriptClick(ScriptClock() + 100, CellX(0), CellY(9), 2);
    uint32_t release = ScriptClick(t + 100, CellX(0), CellY(9), 1); // flagged: starts the clock
    std::vector<std::string> texts;
    ScriptOnPresent([&](int64_t) {
        if (TimerIdle == 0) texts.push_back(TimeText);
        // The timeline cannot reach past the wrap: end the run from here once it has passed.
        if (ScriptClock() > 2000u && ScriptClock() < 0x80000000u) ScriptEndAt(ScriptClock());
    });
    StartRound();
    ASSERT_EQ(uint32_t(StartTick), release);
    ASSERT_GT(texts.size(), 100u);
    EXPECT_EQ(texts.back().substr(0, 2), "3.");
    for (size_t i = 1; i < texts.size(); ++i)
        ASSERT_LE(std::atof(texts[i - 1].c_str()), std::atof(texts[i].c_str()));
}

TEST_F(GameScreenTest, LostRoundShowsFaceThreeEveryMineAndTheWrongMark) {
    BoardSettings = BoardSettingsRecord{15, 10, 20};
    int32_t flaggedMine = -1, wrongFlag = -1, hitMine = -1;
    OnFirstPlayFrame([&] {
        for (int32_t i = 0; i < 150; ++i) {
            int32_t x = i % 15, y = i / 15;
            if (Content(x, y) == Mine && flaggedMine < 0)
                flaggedMine = i;
            else if (Content(x, y) == Mine && hitMine < 0)
                hitMine = i;
            else if (Content(x, y) > 0 && Content(x, y) < 9 && wrongFlag < 0)
                wrongFlag = i;
        }
        uint32_t t = ScriptClock() + 50;
        t = ScriptClick(t, CellX(flaggedMine % 15), CellY(flaggedMine / 15), 2);
        t = ScriptClick(t + 100, CellX(wrongFlag % 15), CellY(wrongFlag / 15), 2);
        ScriptClick(t + 100, CellX(hitMine % 15), CellY(hitMine / 15), 1);
    });
    StartRound();
    ASSERT_EQ(RoundState, Lost);
    ASSERT_EQ(TitleBarResult, 0);
    std::string lastPlayText = TimeText;

    std::vector<std::string> endTexts;
    ScriptOnPresent([&](int64_t) { endTexts.push_back(TimeText); });
    uint32_t endStart = ScriptClock();
    ScriptEndAt(endStart + 2000);
    EndScreen();
    EXPECT_EQ(TitleBarResult, CloseButton);
    EXPECT_EQ(EndFace, 3);
    EXPECT_TRUE(ShownFace(3));
    ASSERT_FALSE(endTexts.empty());
    EXPECT_GE(std::atof(endTexts[0].c_str()), std::atof(lastPlayText.c_str()));
    for (const std::string& text : endTexts)
        EXPECT_EQ(text, endTexts[0]); // frozen
    EXPECT_EQ(TimeText, endTexts[0]);
    // About 36 ms a frame: one present of 16 ms and the pause of 20 ms.
    EXPECT_NEAR(double(endTexts.size()), 2000.0 / 36.0, 3.0);

    int32_t mines = 0;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 15; ++x) {
            int32_t i = y * 15 + x;
            if (i == flaggedMine) {
                EXPECT_EQ(Content(x, y), MineFound);
                EXPECT_TRUE(ShownTile(x, y, 13));
            } else if (i == wrongFlag) {
                EXPECT_EQ(Content(x, y), WrongMark);
                EXPECT_TRUE(ShownTile(x, y, 14));
            } else if (Content(x, y) == Mine) {
                EXPECT_EQ(Cover(x, y), Opened);
                EXPECT_TRUE(ShownTile(x, y, 4)) << x << "," << y;
            } else {
                EXPECT_EQ(Cover(x, y), Covered);
                EXPECT_TRUE(ShownTile(x, y, 1));
            }
            mines += Content(x, y) == Mine || Content(x, y) == MineFound;
        }
    EXPECT_EQ(mines, 20);
}

TEST_F(GameScreenTest, WonRoundShowsFaceTwoAndEveryMineFound) {
    BoardSettings = BoardSettingsRecord{4, 4, 2};
    uint32_t lastClick = 0;
    OnFirstPlayFrame([&] {
        uint32_t t = ScriptClock() + 50;
        for (int32_t x = 0; x < 4; ++x)
            for (int32_t y = 0; y < 4; ++y)
                if (Content(x, y) != Mine) t = ScriptClick(t + 50, CellX(x), CellY(y), 1);
        lastClick = t;
    });
    StartRound();
    ASSERT_EQ(RoundState, Won);
    ScriptClick(lastClick + 500, 320, 50, 1); // back to the settings
    EndScreen();
    EXPECT_EQ(ButtonAction, 2);
    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_EQ(EndFace, 2);
    EXPECT_TRUE(ShownFace(2));
    int32_t found = 0;
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t y = 0; y < 4; ++y) {
            EXPECT_EQ(Cover(x, y), Opened);
            if (Content(x, y) == MineFound) {
                ++found;
                EXPECT_TRUE(ShownTile(x, y, 13));
            }
        }
    EXPECT_EQ(found, 2);
}

TEST_F(GameScreenTest, EndScreenFaceButtonAndCellsThatDoNotReact) {
    BoardSettings = BoardSettingsRecord{6, 6, 18};
    uint32_t rightUp = 0;
    OnFirstPlayFrame([&] {
        // Both buttons pressed on a mine; the right one is let go long after the left.
        for (int32_t i = 0; i < 36; ++i)
            if (Content(i % 6, i / 6) == Mine) {
                uint32_t t = ScriptClock() + 50;
                ScriptMouseMove(t, CellX(i % 6), CellY(i / 6));
                ScriptMouseDown(t + 1, 1);
                ScriptMouseDown(t + 2, 2);
                ScriptMouseUp(t + 100, 1);
                rightUp = t + 600;
                ScriptMouseUp(rightUp, 2);
                break;
            }
    });
    StartRound();
    ASSERT_EQ(RoundState, Lost);
    EXPECT_GE(ScriptClock(), rightUp); // the play frame waited for the right release
    BoardRecord before = Board;
    RevealBoard(Lost);
    BoardRecord revealed = Board;
    Board = before;
    uint32_t t = ScriptClick(ScriptClock() + 100, CellX(1), CellY(1), 1);
    t = ScriptClick(t + 100, CellX(2), CellY(2), 2);
    t = ScriptClick(t + 100, 260, 50, 1, 200);
    ScriptMouseMove(t - 100, 100, 50); // the face released off itself does nothing
    ScriptClick(t + 100, 265, 50, 1);
    EndScreen();
    EXPECT_EQ(ButtonAction, 1);
    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_EQ(0, std::memcmp(&Board, &revealed, sizeof Board));
}

TEST_F(GameScreenTest, OpenedEmptyCellsShowTheBackgroundWhenTransparent) {
    for (int32_t transparent : {0, 1}) {
        SCOPED_TRACE(transparent);
        StartUpForScreens("game");
        Options.emptyTransparent = transparent;
        BoardSettings = BoardSettingsRecord{15, 10, 40};
        int32_t empty = -1;
        OnFirstPlayFrame([&] {
            for (int32_t i = 0; i < 150 && empty < 0; ++i)
                if (Content(i % 15, i / 15) == 0) empty = i;
            if (empty >= 0) ScriptClick(ScriptClock() + 50, CellX(empty % 15), CellY(empty / 15));
        });
        ScriptEndAt(1000);
        StartRound();
        ASSERT_GE(empty, 0);
        ASSERT_EQ(RoundState, Running);
        int32_t x = empty % 15, y = empty / 15;
        EXPECT_EQ(Cover(x, y), Opened);
        if (transparent != 0) {
            for (int32_t py = 0; py < 20; ++py)
                for (int32_t px = 0; px < 20; ++px)
                    ASSERT_EQ(ScriptShownPixel(10 + 20 * x + px, 78 + 20 * y + py),
                              MakeColour(195, 200, 205));
        } else {
            EXPECT_TRUE(ShownTile(x, y, 3));
        }
    }
}

TEST_F(GameScreenTest, QuitEndsEveryLoopOfTheScreens) {
    // Held on the face button, on a cell and on the back button when the quit comes.
    const int32_t presses[][2] = {{260, 50}, {CellX(2), CellY(2)}, {320, 50}};
    for (auto& p : presses) {
        StartUpForScreens("game");
        ScriptMouseMove(100, p[0], p[1]);
        ScriptMouseDown(101, 1);
        ScriptEndAt(600);
        StartRound();
        EXPECT_EQ(TitleBarResult, CloseButton);
    }
    StartUpForScreens("game");
    RoundState = Lost;
    ScriptMouseMove(100, 260, 50);
    ScriptMouseDown(101, 1);
    ScriptEndAt(600);
    EndScreen();
    EXPECT_EQ(TitleBarResult, CloseButton);
}

TEST_F(GameScreenTest, AQuitDuringAPressIsNoRelease) {
    // Held with the left button on a cell, with the right one on a cell, on the face button
    // and on the back button when the quit comes: the cell is neither opened nor marked and
    // no button acts.
    struct Hold {
        int32_t x, y, button;
    };
    const Hold holds[] = {
        {CellX(2), CellY(2), 1}, {CellX(2), CellY(2), 2}, {260, 50, 1}, {320, 50, 1}};
    for (const Hold& h : holds) {
        SCOPED_TRACE(testing::Message() << h.x << "," << h.y << " button " << h.button);
        StartUpForScreens("game");
        ScriptMouseMove(100, h.x, h.y);
        ScriptMouseDown(101, h.button);
        ScriptEndAt(600);
        StartRound();
        EXPECT_EQ(TitleBarResult, CloseButton);
        EXPECT_EQ(ButtonAction, 0);
        EXPECT_EQ(RoundState, Running);
        EXPECT_EQ(Cover(2, 2), Covered);
        EXPECT_EQ(TimerIdle, 1);
    }
    StartUpForScreens("game");
    RoundState = Lost;
    ScriptMouseMove(100, 260, 50);
    ScriptMouseDown(101, 1); // the press that ended the round, held
    ScriptMouseUp(300, 1);
    ScriptMouseDown(400, 1); // the face button, held when the quit comes
    ScriptEndAt(600);
    ScriptSetClock(102);
    MouseButton(1);
    ASSERT_EQ(MouseButton(1), 1);
    EndScreen();
    EXPECT_EQ(ButtonAction, 0);
    EXPECT_GE(ScriptClock(), 600u);
}

TEST_F(GameScreenTest, RollUpKeepsTheRoundAndTheCloseButtonEndsIt) {
    uint32_t t = ScriptClick(100, CellX(0), CellY(0), 2);
    t = ScriptClick(t + 100, 335, 15); // roll up
    int32_t rolledHeight = 1000;
    ScriptOnPresent([&](int64_t) { rolledHeight = std::min(rolledHeight, ScriptWindow().height); });
    t = ScriptClick(t + 500, 355, 15); // restore
    t = ScriptClick(t + 500, 355, 15); // close, more than half a second after the restore
    ScriptEndAt(t + 2000);
    StartRound();
    EXPECT_EQ(rolledHeight, 31);
    EXPECT_EQ(QuibWindow.Height, 288);
    EXPECT_EQ(TitleBarResult, CloseButton);
    EXPECT_EQ(RoundState, Running);
    EXPECT_EQ(Cover(0, 0), Flagged);
    EXPECT_LT(ScriptClock(), t + 300); // ended by the click, not by the end of the script
}

TEST_F(GameScreenTest, SettingsOutsideTheRangesNeverReachPastTheGrids) {
    const BoardSettingsRecord settings[] = {
        {0, 0, 5}, {1000, 1000, 100000}, {-4, 7, -3}, {2147483647, -2147483647 - 1, 2147483647}};
    for (const BoardSettingsRecord& s : settings) {
        StartUpForScreens("game");
        BoardSettings = s;
        ScriptClick(100, CellX(0), CellY(0), 2);
        ScriptClick(300, CellX(39), CellY(24), 1);
        ScriptEndAt(800);
        StartRound();
        EXPECT_LE(QuibWindow.Width, 819);
        EXPECT_LE(QuibWindow.Height, 588);
        EXPECT_GE(QuibWindow.Width, 370);
        EXPECT_GE(MinesLeft, 0);
        EndScreen();
    }
}

// Saves frames of running rounds and end screens as PNG files into the folder named by
// GAME_FRAMES_DIR, for a person to look at; skipped without it.
TEST_F(GameScreenTest, SaveFramesForLooking) {
    const char* dir = std::getenv("GAME_FRAMES_DIR");
    if (dir == nullptr) GTEST_SKIP() << "set GAME_FRAMES_DIR to save frames";
    const std::string folder = dir;
    struct Shot {
        const char* name;
        int32_t w, h, m, stars, transparent, lose;
    };
    const Shot shots[] = {{"small", 4, 4, 2, 0, 0, 0},
                          {"large", 40, 25, 150, 1, 0, 1},
                          {"medium", 15, 10, 20, 0, 1, 1},
                          {"large_plain", 40, 25, 100, 0, 0, 0},
                          {"small_stars", 6, 5, 4, 1, 1, 1}};
    for (const Shot& s : shots) {
        StartUpForScreens("game");
        BoardSettings = BoardSettingsRecord{s.w, s.h, s.m};
        Options.starBackground = s.stars;
        Options.emptyTransparent = s.transparent;
        int32_t cells = s.w * s.h;
        int64_t first = ScriptPresentCount() + 2;
        uint32_t saveAt = 0xFFFFFFFFu;
        ScriptOnPresent([&](int64_t count) {
            if (ScriptClock() >= saveAt && ScriptClock() < saveAt + ScriptFrameMs)
                ScriptSaveFrame(folder + "/" + s.name + "_running.png");
            if (count != first) return;
            uint32_t t = ScriptClock() + 50;
            int32_t flags = 0, opened = 0;
            for (int32_t i = 0; i < cells; ++i) {
                int32_t x = i % s.w, y = i / s.w;
                if (Content(x, y) == Mine && flags < 3) {
                    t = ScriptClick(t + 40, CellX(x), CellY(y), 2);
                    ++flags;
                } else if (Content(x, y) == 0 && opened < 3) {
                    t = ScriptClick(t + 40, CellX(x), CellY(y), 1);
                    ++opened;
                } else if (Content(x, y) > 0 && Content(x, y) < 9 && flags == 3) {
                    t = ScriptClick(t + 40, CellX(x), CellY(y), 2); // a wrong flag
                    ++flags;
                }
            }
            saveAt = t + 1000;
            uint32_t u = t + 1200;
            int32_t lastMine = -1;
            for (int32_t i = 0; i < cells; ++i) {
                int32_t x = i % s.w, y = i / s.w;
                if (s.lose != 0 && Content(x, y) == Mine && Cover(x, y) == Covered) lastMine = i;
                if (s.lose == 0 && Content(x, y) != Mine)
                    u = ScriptClick(u + 40, CellX(x), CellY(y), 1);
            }
            if (lastMine >= 0) ScriptClick(u + 40, CellX(lastMine % s.w), CellY(lastMine / s.w), 1);
        });
        ScriptEndAt(400000);
        StartRound();
        ScriptEndAt(ScriptClock() + 500);
        EndScreen();
        ScriptSaveFrame(folder + "/" + s.name + (RoundState == Lost ? "_lost.png" : "_won.png"));
    }
    // The face and the back button held down.
    StartUpForScreens("game");
    ScriptClick(300, 265, 50, 1, 400);
    ScriptClick(1000, 320, 50, 1, 400);
    ScriptOnPresent([&](int64_t) {
        if (ScriptClock() >= 600 && ScriptClock() < 616)
            ScriptSaveFrame(folder + "/face_pressed.png");
        if (ScriptClock() >= 1300 && ScriptClock() < 1316)
            ScriptSaveFrame(folder + "/back_pressed.png");
    });
    StartRound();
    StartRound();
}

} // namespace
