// Tests of the search for changed rows that lets a present send only what changed.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "back_buffer_fixture.h"
#include "platform_state.h"

namespace {

class WindowCopyTest : public BackBufferTest {
  protected:
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

TEST_F(WindowCopyTest, FirstPresentSendsEverythingAndAnEqualFrameNothing) {
    EXPECT_EQ(Present(370, 310), (Runs{{0, 310}}));
    EXPECT_EQ(Present(370, 310), Runs{});
    // Drawing the same pixels again changes nothing that is sent.
    FillBox(0, 0, 850, 600, 0);
    EXPECT_EQ(Present(370, 310), Runs{});
}

TEST_F(WindowCopyTest, ChangedRowsAreSentAsRunsTopToBottom) {
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
TEST_F(WindowCopyTest, TheCopyFollowsWhatWasSent) {
    Present(370, 310);
    PlotPixel(3, 50, MakeColour(255, 0, 0));
    PlotPixel(3, 50, 0);
    EXPECT_EQ(Present(370, 310), Runs{});
    PlotPixel(3, 50, MakeColour(255, 0, 0));
    EXPECT_EQ(Present(370, 310), (Runs{{50, 1}}));
    PlotPixel(3, 50, 0);
    EXPECT_EQ(Present(370, 310), (Runs{{50, 1}}));
}

TEST_F(WindowCopyTest, ANewSizeOrAForgottenCopySendsTheWholeFrame) {
    Present(370, 310);
    EXPECT_EQ(Present(819, 588), (Runs{{0, 588}}));
    EXPECT_EQ(Present(819, 588), Runs{});
    ForgetWindowCopy();
    EXPECT_EQ(Present(819, 588), (Runs{{0, 588}}));
    // A client larger than the buffer is cut to it; an empty one sends nothing.
    EXPECT_EQ(Present(900, 700), (Runs{{0, 600}}));
    EXPECT_EQ(Present(0, 310), Runs{});
    EXPECT_EQ(Present(370, -5), Runs{});
}

namespace {

// Back buffers of the program's size and of widths where a touched-mask bit covers 16
// columns up to the last bit (1,024) and 32 columns (1,025).
class TouchedPartsTest : public ::testing::TestWithParam<std::pair<int32_t, int32_t>> {
  protected:
    void SetUp() override {
        ResetPlatformState();
        CreateBackBuffer(GetParam().first, GetParam().second);
        ASSERT_NE(LoadFontSlot(1, "Arial", 14, FontBold), 0);
        SpriteSlot& sheet = Sprites[1];
        sheet.width = sheet.srcWidth = 40;
        sheet.height = sheet.srcHeight = 20;
        for (uint32_t i = 0; i < 800; ++i)
            sheet.pixels.push_back(i * 2654435761u & 0xFFFFFFu);
        ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    }
    void TearDown() override { ResetPlatformState(); }

    // The whole buffer is the client area: after a present the copy must equal the buffer.
    static bool CopyMatches() {
        TakeChangedRows(BackBuffer.width, BackBuffer.height);
        return WindowCopy.pixels == BackBufferCopy();
    }
};

} // namespace

// Each kind of drawing, also cut at every edge of the buffer, reaches the copy of what the
// window shows: nothing it writes is left out of the compare.
TEST_P(TouchedPartsTest, EveryDrawingOperationReachesTheWindow) {
    const int32_t w = BackBuffer.width, h = BackBuffer.height;
    ASSERT_TRUE(CopyMatches());
    const std::vector<std::pair<int32_t, int32_t>> corners = {
        {0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2 + 3, h / 2 + 1}, {-7, h / 3}};
    int32_t shade = 1;
    for (const auto& [x, y] : corners) {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        const int32_t colour = MakeColour(shade, 255 - shade, 3 * shade);
        shade += 40;
        PlotPixel(x, y, colour);
        EXPECT_TRUE(CopyMatches()) << "pixel";
        FillBox(x - 20, y - 5, 37, 11, colour);
        EXPECT_TRUE(CopyMatches()) << "box";
        SetTextMode(TextModeOutline | TextModeInvert);
        FillBox(x - 30, y - 9, 61, 19, colour);
        EXPECT_TRUE(CopyMatches()) << "inverted outline";
        SetTextMode(0);
        DrawSegment(x - 50, y + 13, x + 45, y - 17, colour);
        DrawSegment(x, y - 40, x, y + 40, colour);
        EXPECT_TRUE(CopyMatches()) << "lines";
        UseFontSlot(1);
        SetInkColour(shade, 0, 255 - shade);
        SetTextMode(TextModeTransparent);
        SetTextCursor(x - 8, y - 8);
        DrawTextAtCursor("Wg\xF6");
        EXPECT_TRUE(CopyMatches()) << "text";
        SetSpriteSource(1, 3, 2, 33, 17);
        BlitSprite(1, x - 16, y - 8);
        EXPECT_TRUE(CopyMatches()) << "sprite";
    }
}

// The watched box ends at the first write into it by any operation, also one that only
// reaches it from outside; writes that end beside it leave it alone.
TEST_P(TouchedPartsTest, TheWatchedBoxSeesEveryWriteIntoIt) {
    const auto watch = [] { WatchBackBufferBox(100, 40, 60, 30); }; // columns 100-159, rows 40-69
    const auto untouched = [] { return WatchedBoxUntouched() != 0; };
    EXPECT_FALSE(untouched()) << "nothing is watched at first";
    watch();
    EXPECT_TRUE(untouched());
    PlotPixel(99, 40, MakeColour(9, 9, 9));
    PlotPixel(160, 69, MakeColour(9, 9, 9));
    FillBox(0, 0, 100, 600, MakeColour(1, 1, 1));  // ends at column 99
    FillBox(100, 70, 60, 50, MakeColour(1, 1, 1)); // starts at row 70
    SetSpriteSource(1, 0, 0, 20, 20);
    BlitSprite(1, 160, 40);
    DrawSegment(90, 39, 170, 39, MakeColour(2, 2, 2));
    TakeChangedRows(BackBuffer.width, BackBuffer.height);
    EXPECT_TRUE(untouched()) << "writes beside the box and presents";

    PlotPixel(159, 69, MakeColour(9, 9, 9));
    EXPECT_FALSE(untouched()) << "pixel";
    watch();
    BlitSprite(1, 81, 21); // its last column and row are the box's first
    EXPECT_FALSE(untouched()) << "blit";
    watch();
    DrawSegment(90, 30, 170, 80, MakeColour(2, 2, 2));
    EXPECT_FALSE(untouched()) << "line";
    watch();
    SetTextMode(TextModeOutline);
    FillBox(50, 20, 200, 100, MakeColour(3, 3, 3)); // an outline around the box: no write in it
    EXPECT_TRUE(untouched());
    FillBox(50, 20, 60, 100, MakeColour(3, 3, 3)); // its right edge is column 109
    EXPECT_FALSE(untouched()) << "outline";
    watch();
    UseFontSlot(1);
    SetTextMode(TextModeTransparent);
    SetTextCursor(150, 60);
    DrawTextAtCursor("W");
    EXPECT_FALSE(untouched()) << "text";
    watch();
    SpriteSlot kept = Sprites[1];
    LoadSpriteSheet(1, "GFX\\missing.bmp", 0);
    EXPECT_FALSE(untouched()) << "a new sheet may change what a blit gives";
    Sprites[1] = kept;
    watch();
    CreateBackBuffer(BackBuffer.width, BackBuffer.height);
    EXPECT_FALSE(untouched()) << "a new buffer";
}

INSTANTIATE_TEST_SUITE_P(Widths, TouchedPartsTest,
                         ::testing::Values(std::pair(850, 600), std::pair(1024, 90),
                                           std::pair(1025, 90)));
