// Tests of the search for changed rows that lets a present send only what changed.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform_state.h"

namespace {

class ShownFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    }
    void TearDown() override { ResetPlatformState(); }

    // The runs of the next present of a client area of width x height, as (first, count).
    static std::vector<std::pair<int32_t, int32_t>> Present(int32_t width, int32_t height) {
        std::vector<std::pair<int32_t, int32_t>> runs;
        for (const RowRun& run : TakeChangedRows(width, height))
            runs.emplace_back(run.first, run.count);
        return runs;
    }
    using Runs = std::vector<std::pair<int32_t, int32_t>>;
};

} // namespace

TEST_F(ShownFrameTest, FirstPresentSendsEverythingAndAnEqualFrameNothing) {
    EXPECT_EQ(Present(370, 310), (Runs{{0, 310}}));
    EXPECT_EQ(Present(370, 310), Runs{});
    // Drawing the same pixels again changes nothing that is sent.
    FillBox(0, 0, 850, 600, 0);
    EXPECT_EQ(Present(370, 310), Runs{});
}

TEST_F(ShownFrameTest, ChangedRowsAreSentAsRunsTopToBottom) {
    Present(370, 310);
    PlotPixel(369, 0, MakeColour(1, 2, 3)); // last column of the first row
    FillBox(10, 100, 5, 3, MakeColour(9, 9, 9));
    PlotPixel(0, 103, MakeColour(9, 9, 9));   // joins the run above
    PlotPixel(0, 309, MakeColour(4, 4, 4));   // the last row
    PlotPixel(370, 200, MakeColour(4, 4, 4)); // outside the client area: not sent
    PlotPixel(5, 310, MakeColour(4, 4, 4));
    EXPECT_EQ(Present(370, 310), (Runs{{0, 1}, {100, 4}, {309, 1}}));
    EXPECT_EQ(Present(370, 310), Runs{});
}

// A change that is undone before the next present sends nothing; one undone after it sends
// the row again, since the window shows the changed row.
TEST_F(ShownFrameTest, TheCopyFollowsWhatWasSent) {
    Present(370, 310);
    PlotPixel(3, 50, MakeColour(255, 0, 0));
    PlotPixel(3, 50, 0);
    EXPECT_EQ(Present(370, 310), Runs{});
    PlotPixel(3, 50, MakeColour(255, 0, 0));
    EXPECT_EQ(Present(370, 310), (Runs{{50, 1}}));
    PlotPixel(3, 50, 0);
    EXPECT_EQ(Present(370, 310), (Runs{{50, 1}}));
}

TEST_F(ShownFrameTest, ANewSizeOrAForgottenCopySendsTheWholeFrame) {
    Present(370, 310);
    EXPECT_EQ(Present(819, 588), (Runs{{0, 588}}));
    EXPECT_EQ(Present(819, 588), Runs{});
    ForgetShownFrame();
    EXPECT_EQ(Present(819, 588), (Runs{{0, 588}}));
    // A client larger than the buffer is cut to it; an empty one sends nothing.
    EXPECT_EQ(Present(900, 700), (Runs{{0, 600}}));
    EXPECT_EQ(Present(0, 310), Runs{});
    EXPECT_EQ(Present(370, -5), Runs{});
}
