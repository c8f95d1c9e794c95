// Tests of the top-ten screen on the scripted platform: start, slide, name entry, clicks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "besttimes_test_support.h"
#include "frame.h"
#include "game_state.h"
#include "script_platform.h"
#include "test_support.h"

namespace {

// Shown pixels of the client rectangle x0..x1, y0..y1 (inclusive). The window's border
// takes the last four columns (346 to 349), so list areas end at x = 340.
bool AnyShownPixel(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour) {
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            if (ScriptShownPixel(x, y) == colour) return true;
    return false;
}

// The largest red component in the rectangle, and the first row holding a lit pixel.
int32_t MaxRed(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t best = 0;
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            best = std::max(best, ScriptShownPixel(x, y) & 0xFF);
    return best;
}
int32_t TopLitRow(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            if (ScriptShownPixel(x, y) > 0) return y;
    return -1;
}

// Colours as MakeColour gives them.
const int32_t Yellow = MakeColour(255, 255, 0);
const int32_t PromptBlue = MakeColour(80, 120, 170);
const int32_t TypingBlue = MakeColour(100, 190, 255);
const int32_t HintOrange = MakeColour(255, 190, 100);

// The band of a row's name and time (place p), moved down by `offset` pixels.
int32_t RowY(int32_t place) {
    return 90 + 18 * (place - 1);
}

// Saves the frame shown now when TESSAROC_FRAMES_DIR names a folder (for looking at it).
void SaveFrameFor(const std::string& name) {
    if (const char* dir = std::getenv("TESSAROC_FRAMES_DIR"))
        ScriptSaveFrame(std::string(dir) + "/" + name + ".png");
}

std::string SlowerThanAll() {
    return WithBlock(DefaultTopListImage(), Leicht,
                     TimesBlock({"1.00", "2.00", "3.00", "4.00", "5.00", "6.00", "7.00", "8.00",
                                 "9.00", "10.00"}));
}

} // namespace

TEST(TopListScreen, BoardWithoutListReturnsAtOnce) {
    std::string path = StartUpForTopList("bt-screen-none");
    BoardSettings = BoardSettingsRecord{16, 10, 12};
    TimeText = "5.00";
    int64_t presents = ScriptPresentCount();
    TopListScreen();
    EXPECT_EQ(ScriptPresentCount(), presents);
    EXPECT_EQ(ScriptWindow().width, 370);
    EXPECT_EQ(ScriptWindow().height, 310);
    EXPECT_EQ(QuibWindow.Width, 370);
    EXPECT_FALSE(FileExists(path));
}

TEST(TopListScreen, NoPlaceShowsBothLinesAndOneClickReturns) {
    std::string path = StartUpForTopList("bt-screen-slow");
    WriteWholeFile(path, SlowerThanAll());
    TimeText = "10.00";
    ScriptClickWindow(400, 150, 200);
    TopListScreen();
    EXPECT_EQ(QuitRequested(), 0);
    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_GE(ScriptClock(), 401u);
    EXPECT_EQ(ScriptWindow().width, 350);
    EXPECT_EQ(ScriptWindow().height, 360);
    EXPECT_EQ(PlaceReached, 11);
    EXPECT_EQ(SlideFrames, 0);
    EXPECT_EQ(MessageText, "Leider keine Bestzeit geschafft !");
    EXPECT_EQ(HintText, "Linker Mausklick zum fortsetzen");
    EXPECT_TRUE(AnyShownPixel(40, 300, 340, 314, TypingBlue));
    EXPECT_TRUE(AnyShownPixel(40, 315, 340, 330, HintOrange));
    EXPECT_TRUE(AnyShownPixel(40, RowY(10), 340, RowY(10) + 15, Yellow));
    EXPECT_EQ(ScriptShownPixel(200, 200), 0); // black background
    EXPECT_EQ(ReadWholeFile(path), SlowerThanAll());
}

// Place 1: all ten old entries slide down (the first one pixel behind) while the tenth
// fades; then the prompt, the typed name in light blue, Enter, the name in yellow, a click.
TEST(TopListScreen, SlideNameEntryAndSave) {
    std::string path = StartUpForTopList("bt-screen-slide");
    TimeText = "12.34";
    // Top rows of the time column of places 1 and 10, the fade, per slide frame.
    std::map<int32_t, int32_t> top1, top10, fade, beyondFade;
    std::string hintDuringSlide;
    bool sawPrompt = false, sawTyping = false, sawYellowName = false;
    ScriptOnPresent([&](int64_t) {
        if (SlideActive && SlideFrames >= 1) {
            int32_t k = SlideFrames;
            top1[k] = TopLitRow(255, RowY(1), 340, RowY(1) + 17 + k);
            top10[k] = TopLitRow(255, RowY(10) + k, 340, RowY(10) + k + 17);
            fade[k] = MaxRed(70, RowY(10) + k, 340, RowY(10) + k + 17);
            hintDuringSlide = HintText;
            if (k == 5) SaveFrameFor("toplist-slide-5");
        }
        if (!SlideActive && RecordMade && EnteringName) {
            if (EnteredName.empty()) {
                sawPrompt = sawPrompt || AnyShownPixel(70, RowY(1), 250, RowY(1) + 15, PromptBlue);
            } else if (!sawTyping) {
                sawTyping = AnyShownPixel(70, RowY(1), 250, RowY(1) + 15, TypingBlue);
                SaveFrameFor("toplist-entry");
            }
        }
        if (RecordMade && !EnteringName && !sawYellowName) {
            sawYellowName = AnyShownPixel(70, RowY(1), 250, RowY(1) + 15, Yellow) &&
                            !AnyShownPixel(70, RowY(1), 250, RowY(1) + 15, TypingBlue);
            SaveFrameFor("toplist-after-enter");
        }
    });
    ScriptKeyDown(1000, KeyShift);
    ScriptTap(1010, KeyA, 50);
    ScriptKeyUp(1070, KeyShift);
    ScriptTap(1100, KeyB, 50);
    ScriptTap(1200, KeyAe, 50);
    ScriptTap(1300, KeyEnter, 50);
    ScriptClickWindow(1600, 150, 200);
    TopListScreen();
    ScriptOnPresent(nullptr);

    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_EQ(QuitRequested(), 0);
    EXPECT_EQ(MessageText, "Du hast den 1. Platz belegt");
    EXPECT_EQ(HintText, "Linker Mausklick zum fortsetzen");
    EXPECT_EQ(hintDuringSlide, "Gib deinen Namen ein");
    EXPECT_EQ(SlideFrames, 19);
    ASSERT_EQ(fade.size(), 18u);
    const int32_t expectedFade[18] = {240, 226, 212, 198, 184, 170, 156, 142, 128,
                                      114, 100, 86,  72,  58,  44,  30,  16,  2};
    for (int32_t k = 1; k <= 18; ++k) {
        EXPECT_EQ(fade[k], expectedFade[k - 1]) << "slide frame " << k;
        EXPECT_EQ(top1[k], top1[1] + (k - 1)) << "slide frame " << k;
        EXPECT_EQ(top10[k] - RowY(10), top1[1] - RowY(1) + k) << "slide frame " << k;
    }
    EXPECT_TRUE(sawPrompt);
    EXPECT_TRUE(sawTyping);
    EXPECT_TRUE(sawYellowName);
    EXPECT_EQ(EnteredName, "Ab\xE4");
    std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1124u);
    EXPECT_EQ(file.substr(4, 28), EntryField("Ab\xE4", "12.34"));
    EXPECT_EQ(file.substr(32), DefaultTopListImage().substr(32));
}

TEST(TopListScreen, HeldEndScreenClickAndEntryClicksDoNotEnd) {
    std::string path = StartUpForTopList("bt-screen-clicks");
    WriteWholeFile(path, SlowerThanAll());
    TimeText = "10.00";
    ScriptMouseDown(0, 1); // still held from the end screen
    MouseButton(1);
    ScriptMouseUp(300, 1);
    ScriptClickWindow(800, 150, 200);
    TopListScreen();
    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_GE(ScriptClock(), 801u);

    TimeText = "3.50";
    uint32_t t = ScriptClock();
    ScriptClickWindow(t + 600, 150, 200); // during the entry: nothing
    ScriptClickWindow(t + 900, 10, 340);
    ScriptTap(t + 1200, KeyEnter);
    ScriptClickWindow(t + 1500, 150, 200);
    TopListScreen();
    EXPECT_EQ(TitleBarResult, 0);
    EXPECT_GE(ScriptClock(), t + 1501);
    EXPECT_EQ(PlaceReached, 4);
    EXPECT_EQ(ReadWholeFile(path).substr(4 + 3 * 28, 28), EntryField("- ??? -", "3.50"));
}

TEST(TopListScreen, CloseDuringEntryKeepsTheFile) {
    std::string path = StartUpForTopList("bt-screen-close");
    BoardSettings = BoardSettingsRecord{20, 15, 35};
    std::string before = WithBlock(DefaultTopListImage(), Mittel, TimesBlock({"50.00", "60.00"}));
    WriteWholeFile(path, before);
    TimeText = "40.00";
    ScriptTap(900, KeyA);
    ScriptClickWindow(1000, 350 - 24 + 9, 15); // the close button
    TopListScreen();
    EXPECT_EQ(TitleBarResult, CloseButton);
    EXPECT_EQ(EnteredName, "a");
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST(TopListScreen, EndOfRunDuringEntryKeepsTheTime) {
    std::string path = StartUpForTopList("bt-screen-quit");
    TimeText = "40.00";
    ScriptEndAt(2000);
    TopListScreen();
    EXPECT_EQ(TitleBarResult, CloseButton);
    EXPECT_EQ(ReadWholeFile(path).substr(4, 28), EntryField("- ??? -", "40.00"));
}

TEST(TopListScreen, EnterDuringTheSlideSavesAtOnce) {
    std::string path = StartUpForTopList("bt-screen-early");
    TimeText = "7.25";
    int32_t slideFrameAtEnter = 0;
    ScriptOnPresent([&](int64_t) {
        if (!EnteringName && slideFrameAtEnter == 0) slideFrameAtEnter = SlideFrames;
    });
    ScriptTap(60, 0x2D, 30); // "x"
    ScriptTap(150, KeyEnter, 30);
    ScriptClickWindow(1500, 150, 200);
    TopListScreen();
    ScriptOnPresent(nullptr);
    EXPECT_GT(slideFrameAtEnter, 0);
    EXPECT_LT(slideFrameAtEnter, 19);
    EXPECT_EQ(TopList.place[1].name, "x");
    EXPECT_EQ(ReadWholeFile(path).substr(4, 28), EntryField("x", "7.25"));
    EXPECT_TRUE(AnyShownPixel(70, RowY(1), 250, RowY(1) + 15, Yellow));
    EXPECT_EQ(HintText, "Linker Mausklick zum fortsetzen");
}
