// Tests of the window frame: opening, drawing, title-bar buttons, dragging and rolling up.
#include <limits>
#include <vector>

#include "frame_fixture.h"
#include "screen_support.h"
#include "script_state.h"
#include "test_support.h"

void OpenStandardWindow(int32_t titleEffects) {
    MakeProgramFolder("frame");
    InitQuibToolkit();
    OpenQuibWindow(ProgramWindowRecord(100, 50, titleEffects));
}

namespace {

// A fresh start of the program's window, for tests that press more than once.
void ReopenStandardWindow() {
    ResetPlatformState();
    ScriptReset();
    ResetFrameState();
    OpenStandardWindow();
}

// Releases the scripted input up to atMs and takes it off the queue, so that the next
// MouseButton call answers from the newest state without taking another event.
void TakeInputUpTo(uint32_t atMs) {
    ScriptSetClock(atMs);
    while (!EventQueue.events.empty())
        MouseButton(1);
}

// Presses the left button at window point (x, y) at time 10, optionally moves it by
// (dx, dy) at time 100, releases at time 200, and runs HandleTitleBar on the press.
int32_t PressTitleBar(int32_t x, int32_t y, int32_t dx = 0, int32_t dy = 0) {
    int32_t startX = QuibWindow.X + x, startY = QuibWindow.Y + y;
    ScriptMouseMove(10, startX, startY);
    ScriptMouseDown(11, 1);
    if (dx != 0 || dy != 0) ScriptMouseMove(100, startX + dx, startY + dy);
    ScriptMouseUp(200, 1);
    TakeInputUpTo(12);
    EXPECT_EQ(MouseButton(1), 1);
    return HandleTitleBar();
}

// Whether the 18 x 18 block at window point (x, y) of the shown image is the title-button
// sheet's picture of kind in state.
bool ShowsButton(int32_t x, int32_t y, int32_t kind, int32_t state) {
    const SpriteSlot& sheet = Sprites[0];
    for (int32_t row = 0; row < 18; row++) {
        for (int32_t col = 0; col < 18; col++) {
            uint32_t p = sheet.pixels[size_t(row) * size_t(sheet.width) +
                                      size_t((kind - 1) * 36 + state * 18 + col)];
            int32_t expected = Rgb(int32_t(p >> 16), int32_t((p >> 8) & 255), int32_t(p & 255));
            if (ScriptPixel(x + col, y + row) != expected) return false;
        }
    }
    return true;
}

class QuibWindowTest : public FrameTest {};

} // namespace

TEST_F(QuibWindowTest, OpeningStoresTheRecordAndASecondOpenChangesNothing) {
    OpenStandardWindow();
    EXPECT_EQ(QuibWindow.Title, "Tessaroc by Varnholt");
    EXPECT_EQ(QuibWindow.Width, 370);
    EXPECT_EQ(QuibWindow.ButtonSlots, (TitleButtonSlots{CloseButton, RollUpButton, 0, 0}));
    EXPECT_EQ(QuibWindow.FrameColour.blue, 200);
    const ScriptWindowInfo& w = ScriptWindow();
    EXPECT_TRUE(w.created);
    EXPECT_EQ(w.x, 100);
    EXPECT_EQ(w.y, 50);
    EXPECT_EQ(w.width, 370);
    EXPECT_EQ(w.height, 310);
    EXPECT_EQ(w.style, StylePopup);
    EXPECT_EQ(BackBuffer.width, 850);
    EXPECT_EQ(BackBuffer.height, 600);
    EXPECT_EQ(ScriptPresentCount(), 1);
    EXPECT_GT(Sprites[0].width, 179);

    OpenQuibWindow({.Title = "Other",
                    .X = 5,
                    .Y = 6,
                    .Width = 200,
                    .Height = 100,
                    .ButtonSlots = {2, 2, 2, 2},
                    .TitleColourA = {1, 1, 1},
                    .TitleColourB = {1, 1, 1},
                    .FrameColour = {1, 1, 1},
                    .BackColour = {1, 1, 1},
                    .BackImage = 0,
                    .TitleEffects = 3});
    EXPECT_EQ(QuibWindow.Title, "Tessaroc by Varnholt");
    EXPECT_EQ(QuibWindow.X, 100);
    EXPECT_EQ(QuibWindow.Width, 370);
    EXPECT_EQ(QuibWindow.ButtonSlots, (TitleButtonSlots{CloseButton, RollUpButton, 0, 0}));
    EXPECT_EQ(QuibWindow.TitleEffects, 0);
    EXPECT_EQ(ScriptWindow().width, 370);
    EXPECT_EQ(ScriptPresentCount(), 1);
}

TEST_F(QuibWindowTest, FrameDrawsBorderPlainTitleBarBackgroundAndButtons) {
    OpenStandardWindow();
    QuibWindow.BackColour = {195, 200, 205};
    ASSERT_EQ(DrawQuibFrame(), 1);
    EXPECT_EQ(ScriptPixel(0, 0), Rgb(240, 240, 250));     // outer raised bevel
    EXPECT_EQ(ScriptPixel(369, 100), Rgb(140, 140, 150)); // second bevel's right edge
    EXPECT_EQ(ScriptPixel(370, 100), Rgb(140, 140, 150)); // outermost, just outside
    EXPECT_EQ(ScriptPixel(2, 100), Rgb(190, 190, 200));   // plain lines
    EXPECT_EQ(ScriptPixel(3, 100), Rgb(190, 190, 200));
    EXPECT_EQ(ScriptPixel(4, 100), Rgb(140, 140, 150)); // sunken inner edge
    EXPECT_EQ(ScriptPixel(366, 100), Rgb(240, 240, 250));
    EXPECT_EQ(ScriptPixel(100, 27), Rgb(140, 140, 150)); // title bar's raised edge
    EXPECT_EQ(ScriptPixel(100, 4), Rgb(240, 240, 250));
    EXPECT_EQ(ScriptPixel(5, 5), Rgb(40, 60, 80)); // plain title fill
    EXPECT_EQ(ScriptPixel(365, 26), Rgb(40, 60, 80));
    EXPECT_EQ(ScriptPixel(5, 28), Rgb(195, 200, 205)); // client background
    EXPECT_EQ(ScriptPixel(365, 305), Rgb(195, 200, 205));
    EXPECT_EQ(ScriptPixel(366, 306), Rgb(240, 240, 250));
    // Title text in white somewhere right of (9, 9); buttons in slots 1 and 2 only.
    bool white = false;
    for (int32_t x = 9; x < 150; x++)
        for (int32_t y = 9; y < 24; y++)
            white = white || ScriptPixel(x, y) == Rgb(255, 255, 255);
    EXPECT_TRUE(white);
    EXPECT_TRUE(ShowsButton(346, 7, CloseButton, 0));
    EXPECT_TRUE(ShowsButton(326, 7, RollUpButton, 0));
    EXPECT_EQ(ScriptPixel(306, 10), Rgb(40, 60, 80));
}

TEST_F(QuibWindowTest, TitleEffectsShadeAndAnimateWithoutChangingTheRecord) {
    OpenStandardWindow();
    QuibWindow.TitleEffects = 2;
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(5, 15), Rgb(40, 60, 80));
    EXPECT_EQ(ScriptPixel(365, 15), Rgb(209, 229, 249));
    EXPECT_EQ(TitleAnimPhase, 0);
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(365, 15), Rgb(209, 229, 249)); // static shading

    // Animation at phase 0: A unchanged, B 50 darker; the phase steps once per frame.
    QuibWindow.TitleEffects = 3;
    DrawQuibFrame();
    EXPECT_EQ(TitleAnimPhase, 1);
    EXPECT_EQ(ScriptPixel(5, 15), Rgb(40, 60, 80));
    EXPECT_EQ(ScriptPixel(365, 15), Rgb(159, 179, 199)); // towards (160, 180, 200)
    TitleAnimPhase = 40;                                 // the colours move on with the phase
    DrawQuibFrame();
    EXPECT_EQ(TitleAnimPhase, 41);
    EXPECT_NE(ScriptPixel(5, 15), Rgb(40, 60, 80));
    EXPECT_NE(ScriptPixel(365, 15), Rgb(159, 179, 199));
    TitleAnimPhase = 2;

    // Animation alone fills with the animated A: at phase 2, 40 - 50 sin(2/38) = 37.4.
    QuibWindow.TitleEffects = 1;
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(200, 15), Rgb(37, 57, 77));
    EXPECT_EQ(TitleAnimPhase, 3);
    EXPECT_EQ(QuibWindow.TitleColourA.red, 40);
    EXPECT_EQ(QuibWindow.TitleColourB.red, 210);

    // Animated components are clamped to 0..255.
    QuibWindow.TitleColourA = {10, 10, 10};
    TitleAnimPhase = 60; // sin(60/38) is almost 1
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(200, 15), Rgb(0, 0, 0));
    QuibWindow.TitleColourA = {250, 250, 250};
    TitleAnimPhase = 179; // sin(179/38) is almost -1
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(200, 15), Rgb(255, 255, 255));
}

TEST_F(QuibWindowTest, BackgroundImageReplacesTheBackgroundColour) {
    OpenStandardWindow();
    ASSERT_NE(LoadSpriteSheet(3, "GFX\\Smileys.bmp", 0), 0);
    SetSpriteSource(3, 31, 0, 31, 31); // the frame shows the whole image, whatever was set
    QuibWindow.BackImage = 3;
    DrawQuibFrame();
    const SpriteSlot& image = Sprites[3];
    for (int32_t x : {0, 15, 92}) {
        uint32_t p = image.pixels[size_t(15) * size_t(image.width) + size_t(x)];
        EXPECT_EQ(ScriptPixel(5 + x, 28 + 15),
                  Rgb(int32_t(p >> 16), int32_t((p >> 8) & 255), int32_t(p & 255)));
    }
    // A number that names no sprite slot leaves the plain background.
    QuibWindow.BackImage = 1000;
    DrawQuibFrame();
    EXPECT_EQ(ScriptPixel(20, 43), Rgb(0, 0, 0));
}

TEST_F(QuibWindowTest, RolledUpAndOddSizedFramesStayInsideTheirArea) {
    OpenStandardWindow(3);
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, 850, 600, Rgb(255, 0, 255));
    EndDrawing();
    QuibWindow.Height = 31;
    QuibWindow.ButtonSlots[0] = RestoreButton;
    ASSERT_EQ(DrawQuibFrame(), 1);
    for (int32_t x = 0; x < 850; x += 7)
        EXPECT_EQ(ScriptPixel(x, 32), Rgb(255, 0, 255)) << x;
    EXPECT_EQ(ScriptPixel(100, 31), Rgb(140, 140, 150)); // outermost bottom line at row H
    EXPECT_EQ(ScriptPixel(371, 10), Rgb(255, 0, 255));
    EXPECT_TRUE(ShowsButton(346, 7, RestoreButton, 0));

    // Sizes no screen uses must not break the drawing.
    for (int32_t w :
         {0, 3, 9, 10, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
        QuibWindow.Width = w;
        QuibWindow.Height = w;
        EXPECT_EQ(DrawQuibFrame(), 1);
    }
}

// Over a marker colour, a frame with a covered box leaves the marker exactly on the covered
// client pixels; every other pixel is what the frame without a box draws.
TEST_F(QuibWindowTest, FillLeavesOutExactlyTheCoveredClientPixels) {
    OpenStandardWindow();
    auto drawOverMarker = [](const PixelBox& box) {
        BeginDrawing(BackBufferOutput());
        FillBox(0, 0, 850, 600, Rgb(255, 0, 255));
        EndDrawing();
        DrawQuibFrame(box);
        return BackBufferCopy();
    };
    const std::vector<uint32_t> whole = drawOverMarker(NoPixelBox);
    const PixelBox client = {5, 28, 365, 305};
    // A board inside; a box across the title bar and both sides; one past the far corner.
    for (PixelBox box : {PixelBox{10, 78, 189, 257}, {0, 0, 400, 40}, {300, 200, 900, 700}}) {
        const std::vector<uint32_t> pixels = drawOverMarker(box);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const int32_t x = int32_t(i % 850), y = int32_t(i / 850);
            const bool hidden = box.Contains(x, y) && client.Contains(x, y);
            ASSERT_EQ(pixels[i], hidden ? uint32_t(Rgb(255, 0, 255)) : whole[i]) << x << "," << y;
        }
    }
}

TEST_F(QuibWindowTest, TitleBarPressAreaExcludesItsOuterRowsAndColumns) {
    OpenStandardWindow();
    struct Point {
        int32_t x, y;
    };
    for (Point p : {Point{100, 0}, Point{100, 27}, Point{0, 10}, Point{370, 10}}) {
        ReopenStandardWindow();
        EXPECT_EQ(PressTitleBar(p.x, p.y, 60, 40), 0);
        EXPECT_EQ(QuibWindow.X, 100) << p.x << "," << p.y;
        EXPECT_EQ(ScriptWindow().x, 100);
    }
    // Just inside, the same press drags the window.
    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(1, 26, 60, 40), 0);
    EXPECT_EQ(QuibWindow.X, 160);
    EXPECT_EQ(QuibWindow.Y, 90);
}

TEST_F(QuibWindowTest, TitleButtonsActOnlyWhenReleasedOverThemselves) {
    OpenStandardWindow();
    EXPECT_EQ(PressTitleBar(355, 15), CloseButton);
    EXPECT_TRUE(ShowsButton(346, 7, CloseButton, 1)); // left pressed until the next frame

    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(355, 15, 0, 40), 0); // slid off before the release
    EXPECT_TRUE(ShowsButton(346, 7, CloseButton, 0));
    EXPECT_EQ(QuibWindow.X, 100); // and no drag afterwards
    EXPECT_EQ(QuibWindow.Y, 50);
    EXPECT_GE(ScriptClock(), 200u);

    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(343, 24), RollUpButton); // slot 2's bottom-right corner

    // Released on the button's last column and row it counts; one pixel further it does not.
    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(355, 15, 8, 9), CloseButton);
    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(355, 15, 9, 0), 0);
    ReopenStandardWindow();
    EXPECT_EQ(PressTitleBar(355, 15, 0, 10), 0);
}

TEST_F(QuibWindowTest, PressOnAnEmptySlotBlocksUntilReleaseAndYieldsZero) {
    OpenStandardWindow();
    EXPECT_EQ(PressTitleBar(315, 15), 0);
    EXPECT_GE(ScriptClock(), 200u);                        // waited for the release
    EXPECT_EQ(ScriptShownPixel(315, 15), Rgb(40, 60, 80)); // no picture in slot 3
    EXPECT_EQ(QuibWindow.X, 100);
    EXPECT_EQ(MouseButton(1), 0);
}

TEST_F(QuibWindowTest, DraggingTheTitleBarMovesTheWindowAndConsumesTheRelease) {
    OpenStandardWindow();
    EXPECT_EQ(PressTitleBar(150, 12, 100, 30), 0);
    EXPECT_EQ(QuibWindow.X, 200);
    EXPECT_EQ(QuibWindow.Y, 80);
    EXPECT_EQ(ScriptWindow().x, 200);
    EXPECT_EQ(MouseButton(1), 0);
    EXPECT_EQ(StoredMouseMask & MaskLeft, 0);
    // The client point under the pointer keeps its window coordinates.
    EXPECT_EQ(MouseWindowX(), 150);
    EXPECT_EQ(MouseWindowY(), 12);
}

TEST_F(QuibWindowTest, RollUpShrinksWaitsForRestoreAndGrowsBack) {
    OpenStandardWindow();
    std::vector<int32_t> heights;
    bool restoreShown = false;
    ScriptOnPresent([&](int64_t) {
        heights.push_back(ScriptWindow().height);
        if (ScriptWindow().height == 31 && QuibWindow.Height == 31)
            restoreShown = restoreShown || ShowsButton(346, 7, RestoreButton, 0);
    });
    ScriptClickWindow(1000, 355, 15);
    RollUpQuibWindow();
    const std::vector<int32_t> down = {310, 260, 210, 160, 110, 60};
    const std::vector<int32_t> up = {31, 81, 131, 181, 231, 281, 310};
    ASSERT_GT(heights.size(), down.size() + up.size());
    EXPECT_EQ(std::vector<int32_t>(heights.begin(), heights.begin() + 6), down);
    EXPECT_EQ(std::vector<int32_t>(heights.end() - 7, heights.end()), up);
    for (size_t i = 6; i < heights.size() - 7; i++)
        EXPECT_EQ(heights[i], 31) << i;
    EXPECT_TRUE(restoreShown);
    EXPECT_EQ(QuibWindow.Height, 310);
    EXPECT_EQ(QuibWindow.ButtonSlots, (TitleButtonSlots{CloseButton, RollUpButton, 0, 0}));
    EXPECT_EQ(ScriptWindow().height, 310);
    EXPECT_GE(ScriptClock(), 1101u);
}

TEST_F(QuibWindowTest, TheRolledUpWindowAnswersAPressWithinAFrame) {
    // Quick clicks on the restore button at different moments of the frame: each shows the
    // pressed picture in the next frame and restores the window, though the pointer leaves
    // the button as soon as the button is up.
    for (uint32_t offset = 0; offset < 120; offset += 7) {
        SCOPED_TRACE(offset);
        ReopenStandardWindow();
        const uint32_t down = 1000 + offset;
        ScriptMouseMove(900, 100 + 355, 50 + 15);
        ScriptMouseDown(down, 1);
        ScriptMouseUp(down + 30, 1);
        ScriptMouseMove(down + 30, 100 + 200, 50 + 200);
        ScriptEndAt(5000);
        uint32_t pressedShownAt = 0;
        ScriptOnPresent([&](int64_t) {
            if (pressedShownAt == 0 && ScriptWindow().height == 31 &&
                ShowsButton(346, 7, RestoreButton, 1))
                pressedShownAt = ScriptClock();
        });
        RollUpQuibWindow();
        EXPECT_GE(pressedShownAt, down);
        EXPECT_LT(pressedShownAt, down + ScriptFrameMs);
        EXPECT_EQ(QuitRequested(), 0); // restored by the click, not ended by the script
        ScriptOnPresent(nullptr);
    }
}

TEST_F(QuibWindowTest, QuitRequestEndsTitleBarHandlingAndRollUp) {
    OpenStandardWindow();
    ScriptEndAt(2000);
    RollUpQuibWindow(); // nothing clicks restore: the end of the script ends the wait
    EXPECT_EQ(QuitRequested(), 1);
    EXPECT_EQ(QuibWindow.Height, 310);
    EXPECT_EQ(QuibWindow.ButtonSlots, (TitleButtonSlots{CloseButton, RollUpButton, 0, 0}));
    EXPECT_EQ(ScriptWindow().height, 310);
    EXPECT_EQ(HandleTitleBar(), CloseButton);
    ScriptMouseDown(ScriptClock(), 1);
    for (int32_t n = 1; n <= 3; n++)
        EXPECT_EQ(MouseButton(n), 0);
}

namespace {

// A screen's frames with only the title bar: rolls up on the roll-up button, until the
// close button (or the end of the script) answers CloseButton; returns the clock then.
uint32_t RunTitleBarFramesUntilClosed() {
    while (true) {
        DrawQuibFrame();
        PresentBackBuffer();
        const int32_t result = HandleTitleBar();
        if (result == RollUpButton) RollUpQuibWindow();
        if (result == CloseButton) return ScriptClock();
    }
}

// Window points of the close button (the restore button while rolled up) and the roll-up one.
constexpr int32_t CloseX = 355, RollUpX = 335, ButtonY = 15;

} // namespace

// A double click on the restore button: the second press lands on the close button of the
// window that has just grown back. It does not end the program; a click half a second later
// does.
TEST_F(FrameTest, ADoubleClickOnRestoreDoesNotClose) {
    OpenStandardWindow();
    uint32_t t = ScriptClickWindow(1000, RollUpX, ButtonY, 1, 60);
    const uint32_t restore = t + 300;
    ScriptClickWindow(restore, CloseX, ButtonY, 1, 60);
    ScriptClickWindow(restore + 250, CloseX, ButtonY, 1, 60); // the window is whole by then
    const uint32_t close = restore + 1000;
    ScriptClickWindow(close, CloseX, ButtonY, 1, 60);
    ScriptEndAt(close + 2000);
    const uint32_t closedAt = RunTitleBarFramesUntilClosed();
    EXPECT_EQ(QuitRequested(), 0) << "closed by the close button, not the end of the script";
    EXPECT_GT(closedAt, close);
    EXPECT_EQ(QuibWindow.Height, 310);
}

// Roll-up and restore clicked in turn, 50 ms apart, fifteen times: whatever state each click
// finds, none of them closes. Clicks on the close button's place a second later (restore
// first if the window was left rolled up) still end the program.
TEST_F(FrameTest, QuickRollUpAndRestoreClicksNeverClose) {
    OpenStandardWindow();
    uint32_t t = 1000;
    for (int32_t pair = 0; pair < 15; pair++) {
        ScriptClickWindow(t, RollUpX, ButtonY, 1, 20);
        ScriptClickWindow(t + 50, CloseX, ButtonY, 1, 20);
        t += 100;
    }
    const uint32_t burstEnd = t;
    ScriptEndAt(burstEnd + 5000);
    uint32_t nextClick = burstEnd + 1000;
    ScriptOnPresent([&](int64_t) {
        if (ScriptClock() < nextClick) return;
        ScriptClickWindow(ScriptClock() + 1, CloseX, ButtonY, 1, 60);
        nextClick = ScriptClock() + 700; // past the half second after a restore
    });
    const uint32_t closedAt = RunTitleBarFramesUntilClosed();
    EXPECT_GT(closedAt, burstEnd + 1000) << "a click of the burst closed the window";
    EXPECT_EQ(QuitRequested(), 0) << "the later click ended it, not the end of the script";
}
