// Tests of the rules of play: opening, flooding, marks, winning, losing and the reveal.
#include <gtest/gtest.h>

#include "game.h"
#include "game_test_support.h"

namespace {

class RulesTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetGameState(); }
};

// clang-format off
// Mines in the middle of the top edge: the empty cells form a U open at the top.
const std::vector<std::string> UBoard = {
    "...***...",
    "...***...",
    "...***...",
    "...***...",
    "...***...",
    ".........",
    ".........",
    "........."};
// clang-format on

TEST_F(RulesTest, OpenCellOpensOneCountedCellOrAMineAndIgnoresMarkedAndOpenCells) {
    BuildBoard({"*...", ".*..", "....", "...."});
    EXPECT_EQ(Content(1, 0), 2);
    EXPECT_EQ(OpenCell(1, 0), 1);
    EXPECT_EQ(Cover(1, 0), Opened);
    EXPECT_EQ(SafeCellsLeft(), 13);
    EXPECT_EQ(OpenCell(1, 0), 0); // already open

    Cover(2, 2) = Flagged;
    Cover(3, 3) = Queried;
    EXPECT_EQ(OpenCell(2, 2), 0);
    EXPECT_EQ(OpenCell(3, 3), 0);
    EXPECT_EQ(Cover(2, 2), Flagged);
    EXPECT_EQ(Cover(3, 3), Queried);

    EXPECT_EQ(OpenCell(0, 0), 2);
    EXPECT_EQ(Cover(0, 0), Opened);
    EXPECT_EQ(Cover(1, 1), Covered);
}

TEST_F(RulesTest, FloodReachesAllFourEdgesAndNeverCrossesThem) {
    BuildBoard({"......", "......", "..*...", "......", "......"});
    EXPECT_EQ(OpenCell(5, 4), 1);
    for (int32_t x = 0; x < 6; ++x)
        for (int32_t y = 0; y < 5; ++y)
            EXPECT_EQ(Cover(x, y), (x == 2 && y == 2) ? 0 : Opened);
    EXPECT_EQ(SafeCellsLeft(), 0);
    for (int32_t x = 0; x < BoardColumns; ++x)
        for (int32_t y = 0; y < BoardRows; ++y)
            if (x >= 6 || y >= 5) {
                ASSERT_EQ(Cover(x, y), Covered);
            }
}

TEST_F(RulesTest, FloodOpensAUShapedRegionFromEitherArm) {
    for (int32_t startX : {0, 8}) {
        SCOPED_TRACE(startX);
        BuildBoard(UBoard);
        std::vector<bool> expected = ExpectedFlood(startX, 0);
        EXPECT_EQ(OpenCell(startX, 0), 1);
        for (int32_t x = 0; x < 9; ++x)
            for (int32_t y = 0; y < 8; ++y)
                EXPECT_EQ(Cover(x, y) == Opened, bool(expected[x * BoardRows + y]))
                    << x << "," << y;
        EXPECT_EQ(Cover(0, 0), Opened);
        EXPECT_EQ(Cover(8, 0), Opened); // the other arm's top end
        EXPECT_EQ(Cover(4, 0), Covered);
        EXPECT_EQ(SafeCellsLeft(), 0);
    }
}

TEST_F(RulesTest, FloodFollowsALongSpiralWithManyLeftAndUpwardTurns) {
    int32_t endX = 0, endY = 0;
    BuildSpiralBoard(&endX, &endY);
    ASSERT_EQ(Content(endX, endY), 0);
    ASSERT_EQ(Content(1, 1), 0);
    std::vector<bool> expected = ExpectedFlood(endX, endY);
    EXPECT_EQ(OpenCell(endX, endY), 1);
    int32_t opened = 0;
    for (int32_t x = 0; x < BoardColumns; ++x)
        for (int32_t y = 0; y < BoardRows; ++y) {
            ASSERT_EQ(Cover(x, y) == Opened, bool(expected[x * BoardRows + y])) << x << "," << y;
            opened += Cover(x, y) == Opened;
        }
    EXPECT_EQ(Cover(0, 0), Opened); // the far, outer end of the corridor
    EXPECT_EQ(SafeCellsLeft(), 0);
    EXPECT_GT(opened, 500);
}

TEST_F(RulesTest, MarksReachedByTheFloodAreOpenedAndGiveTheirMineBack) {
    BuildBoard(UBoard);
    Cover(2, 0) = Flagged; // numbered cell on the region's border
    Cover(2, 1) = Queried; // numbered cell on the border, second mark
    Cover(0, 3) = Flagged; // empty cell inside the region
    MinesLeft = BoardSettings.mines - 3;
    Cover(8, 7) = Flagged; // the start itself must be covered: press elsewhere
    MinesLeft -= 1;
    EXPECT_EQ(OpenCell(0, 0), 1);
    EXPECT_EQ(Cover(2, 0), Opened);
    EXPECT_EQ(Cover(2, 1), Opened);
    EXPECT_EQ(Cover(0, 3), Opened);
    EXPECT_EQ(Cover(8, 7), Opened); // reached through the bottom and the other arm
    EXPECT_EQ(MinesLeft, BoardSettings.mines);
    EXPECT_EQ(SafeCellsLeft(), 0);
}

TEST_F(RulesTest, AMarkedEmptyCellIsOpenedButDoesNotPassTheOpeningOn) {
    // clang-format off
    // The only empty way from the top to the bottom half runs through (3, 2).
    BuildBoard({".......",
                ".......",
                "**...**",
                ".......",
                "......."});
    // clang-format on
    ASSERT_EQ(Content(3, 2), 0);
    Cover(3, 2) = Flagged;
    MinesLeft -= 1;
    EXPECT_EQ(OpenCell(0, 0), 1);
    EXPECT_EQ(Cover(3, 2), Opened);
    EXPECT_EQ(Cover(2, 2), Opened);
    EXPECT_EQ(Cover(4, 2), Opened);
    EXPECT_EQ(MinesLeft, BoardSettings.mines);
    for (int32_t x = 0; x < 7; ++x) {
        EXPECT_EQ(Cover(x, 3), Covered) << x;
        EXPECT_EQ(Cover(x, 4), Covered) << x;
    }
    // Unmarked, the same cell lets the opening through to the bottom.
    BuildBoard({".......", ".......", "**...**", ".......", "......."});
    EXPECT_EQ(OpenCell(0, 0), 1);
    EXPECT_EQ(Cover(6, 4), Opened);
    EXPECT_EQ(SafeCellsLeft(), 0);
}

TEST_F(RulesTest, CycleMarkStepsThroughTheCycleAndKeepsTheCounter) {
    BuildBoard({"*...", "....", "....", "...*"});
    EXPECT_EQ(MinesLeft, 2);
    CycleMark(2, 2);
    EXPECT_EQ(Cover(2, 2), Flagged);
    EXPECT_EQ(MinesLeft, 1);
    CycleMark(2, 2);
    EXPECT_EQ(Cover(2, 2), Queried);
    EXPECT_EQ(MinesLeft, 1);
    CycleMark(2, 2);
    EXPECT_EQ(Cover(2, 2), Covered);
    EXPECT_EQ(MinesLeft, 2);
    Content(1, 1) = 1;
    Cover(1, 1) = Opened;
    CycleMark(1, 1);
    EXPECT_EQ(Cover(1, 1), Opened);
    EXPECT_EQ(MinesLeft, 2);
}

TEST_F(RulesTest, AtZeroMinesLeftNoNewFlagButOldMarksStillCycle) {
    BuildBoard({"*...", "....", "....", "...*"});
    CycleMark(1, 0);
    CycleMark(2, 0);
    ASSERT_EQ(MinesLeft, 0);
    EXPECT_EQ(MarkAllowed(3, 0), 0); // covered: a new flag is refused
    EXPECT_EQ(MarkAllowed(1, 0), 1);
    CycleMark(1, 0);
    EXPECT_EQ(Cover(1, 0), Queried);
    EXPECT_EQ(MinesLeft, 0);
    EXPECT_EQ(MarkAllowed(1, 0), 1);
    CycleMark(1, 0);
    EXPECT_EQ(Cover(1, 0), Covered);
    EXPECT_EQ(MinesLeft, 1);
    EXPECT_EQ(MarkAllowed(3, 0), 1);
}

TEST_F(RulesTest, OnlyOpeningEverySafeCellWins) {
    BuildBoard({"*..", "...", "..*"});
    CycleMark(0, 0);
    CycleMark(2, 2);
    EXPECT_EQ(SafeCellsLeft(), 7); // flags on every mine win nothing
    for (int32_t x = 0; x < 3; ++x)
        for (int32_t y = 0; y < 3; ++y)
            if (Content(x, y) != Mine) OpenCell(x, y);
    EXPECT_EQ(SafeCellsLeft(), 0);
}

TEST_F(RulesTest, LossRevealShowsEveryMineAndTheWrongMarks) {
    BuildBoard({"*..*", "....", "....", "*..."});
    Cover(0, 0) = Flagged; // right
    Cover(2, 2) = Queried; // wrong
    Cover(1, 2) = Flagged; // wrong
    EXPECT_EQ(OpenCell(3, 0), 2);
    RevealBoard(Lost);
    EXPECT_EQ(Content(0, 0), MineFound);
    EXPECT_EQ(Cover(0, 0), Opened);
    EXPECT_EQ(Content(3, 0), Mine); // the mine that was hit looks like the others
    EXPECT_EQ(Cover(3, 0), Opened);
    EXPECT_EQ(Content(0, 3), Mine);
    EXPECT_EQ(Cover(0, 3), Opened);
    EXPECT_EQ(Content(2, 2), WrongMark);
    EXPECT_EQ(Content(1, 2), WrongMark);
    EXPECT_EQ(Cover(2, 2), Opened);
    EXPECT_EQ(Cover(3, 3), Covered); // covered safe cells stay covered
    EXPECT_EQ(Content(3, 3), 0);
    EXPECT_EQ(Cover(1, 1), Covered);
}

TEST_F(RulesTest, WinRevealShowsEveryMineAsFound) {
    BuildBoard({"*..*", "....", "....", "*..."});
    int32_t before = MinesLeft;
    Cover(0, 0) = Queried;
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t y = 0; y < 4; ++y)
            if (Content(x, y) != Mine) OpenCell(x, y);
    ASSERT_EQ(SafeCellsLeft(), 0);
    RevealBoard(Won);
    int32_t found = 0;
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t y = 0; y < 4; ++y)
            if (Content(x, y) == MineFound) {
                ++found;
                EXPECT_EQ(Cover(x, y), Opened);
            }
    EXPECT_EQ(found, 3);
    EXPECT_EQ(MinesLeft, before);
}

} // namespace
