// Tests of building a board: clearing, mine placement and neighbour counts.
#include <gtest/gtest.h>

#include "game.h"
#include "game_test_support.h"

namespace {

int32_t CountContent(int32_t width, int32_t height, int32_t value) {
    int32_t n = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            n += Content(x, y) == value;
    return n;
}

// Neighbour mines counted the plain way, for comparison with CountNeighbours.
int32_t MinesAround(int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t n = 0;
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy) {
            int32_t nx = x + dx, ny = y + dy;
            if ((dx != 0 || dy != 0) && nx >= 0 && ny >= 0 && nx < width && ny < height)
                n += Content(nx, ny) == Mine;
        }
    return n;
}

void BuildRandom(int32_t width, int32_t height, int32_t mines) {
    ClearBoard();
    PlaceMines(width, height, mines);
    CountNeighbours(width, height);
}

class BoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        SeedRandom(77);
    }
};

TEST_F(BoardTest, PlacesExactlyTheMinesAndCountsEveryOtherCell) {
    const BoardSettingsRecord sizes[] = {{4, 4, 2},   {4, 4, 8},   {40, 25, 500}, {40, 25, 2},
                                         {4, 25, 50}, {40, 4, 80}, {15, 10, 12}};
    for (const BoardSettingsRecord& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " with " << s.mines);
        BuildRandom(s.width, s.height, s.mines);
        EXPECT_EQ(CountContent(s.width, s.height, Mine), s.mines);
        for (int32_t x = 0; x < s.width; ++x)
            for (int32_t y = 0; y < s.height; ++y)
                if (Content(x, y) != Mine) {
                    ASSERT_EQ(Content(x, y), MinesAround(x, y, s.width, s.height));
                }
        for (int32_t x = 0; x < BoardColumns; ++x)
            for (int32_t y = 0; y < BoardRows; ++y)
                if (x >= s.width || y >= s.height) {
                    ASSERT_EQ(Content(x, y), 0);
                }
    }
}

TEST_F(BoardTest, ClearBoardEmptiesTheWholeCapacity) {
    BuildRandom(40, 25, 500);
    for (int32_t& c : Board.cover)
        c = Flagged;
    BuildRandom(10, 5, 10);
    for (int32_t x = 0; x < BoardColumns; ++x)
        for (int32_t y = 0; y < BoardRows; ++y) {
            ASSERT_EQ(Cover(x, y), Covered);
            if (x >= 10 || y >= 5) {
                ASSERT_EQ(Content(x, y), 0);
            }
        }
}

TEST_F(BoardTest, CountsCornersMiddleAndNeverWrapAround) {
    BuildBoard({"*.....", "......", "...*..", "......"});
    // The corner mine raises (1,0), (0,1), (1,1); the middle mine raises its eight neighbours.
    EXPECT_EQ(Content(1, 0), 1);
    EXPECT_EQ(Content(0, 1), 1);
    EXPECT_EQ(Content(1, 1), 1);
    EXPECT_EQ(Content(2, 1), 1);
    EXPECT_EQ(Content(3, 1), 1);
    EXPECT_EQ(Content(4, 1), 1);
    EXPECT_EQ(Content(2, 3), 1);
    EXPECT_EQ(Content(4, 3), 1);
    EXPECT_EQ(Content(5, 0), 0); // not across the right edge to (0, 0)
    EXPECT_EQ(Content(0, 3), 0); // not across the bottom edge
    EXPECT_EQ(Content(5, 2), 0);
    EXPECT_EQ(CountContent(6, 4, 1), 11); // three around the corner, eight in the middle

    BuildBoard({"***.", "*.*.", "***.", "...*"});
    EXPECT_EQ(Content(1, 1), 8);
    EXPECT_EQ(Content(3, 0), 2);
    EXPECT_EQ(Content(3, 1), 3);
    // The left edge never sees the mine in the right column.
    BuildBoard({"...*", "....", "...*", "...."});
    EXPECT_EQ(Content(0, 0), 0);
    EXPECT_EQ(Content(0, 1), 0);
    EXPECT_EQ(Content(2, 1), 2);
}

TEST_F(BoardTest, FixedSeedGivesTheSameBoardEverywhere) {
    SeedRandom(2024);
    BuildRandom(8, 6, 10);
    std::string picture;
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 8; ++x)
            picture += Content(x, y) == Mine ? '*' : char('0' + Content(x, y));
        picture += '/';
    }
    EXPECT_EQ(picture, "00000011/1222212*/*3**2*21/3*643110/2***1111/123211*1/");
    // The same seed again gives the same board.
    SeedRandom(2024);
    BuildRandom(8, 6, 10);
    std::string again;
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 8; ++x)
            again += Content(x, y) == Mine ? '*' : char('0' + Content(x, y));
        again += '/';
    }
    EXPECT_EQ(again, picture);
}

TEST_F(BoardTest, OutOfRangeSizesStayInsideTheGrids) {
    // Values a damaged settings file could hold never reach past the 40 x 25 capacity.
    BuildRandom(100, 100, 5000);
    EXPECT_EQ(CountContent(40, 25, Mine), 1000);
    BuildRandom(0, 0, 12);
    EXPECT_EQ(CountContent(40, 25, Mine), 0);
    BuildRandom(-5, 4, 3);
    EXPECT_EQ(CountContent(40, 25, Mine), 0);
    BuildRandom(4, 4, -3);
    EXPECT_EQ(CountContent(40, 25, Mine), 0);
}

} // namespace
