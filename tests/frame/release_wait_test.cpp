// Tests of the shared wait for a release and of the window position the frame follows.
#include <utility>

#include "frame_fixture.h"
#include "script_state.h"

namespace {

// The left button goes down at time 11 with the pointer at window point (x, y) and the press
// is taken; the release and anything later stays for the code under test.
void HoldLeftAt(int32_t x, int32_t y) {
    ScriptMouseMove(10, QuibWindow.X + x, QuibWindow.Y + y);
    ScriptMouseDown(11, 1);
    ScriptSetClock(12);
    while (MouseButton(1) == 0) {
        ASSERT_EQ(QuitRequested(), 0);
    }
}

// The window manager moves the window to (x, y) without the game taking part, as an
// Alt-drag or its own placement does.
void WindowManagerMoves(int32_t x, int32_t y) {
    ScriptScreen.window.x = x;
    ScriptScreen.window.y = y;
}

class ReleaseWaitTest : public FrameTest {};

} // namespace

TEST_F(ReleaseWaitTest, WaitForReleaseEndsAtTheReleaseAndKeepsLaterPresses) {
    OpenStandardWindow();
    HoldLeftAt(200, 200);
    ScriptMouseDown(40, 2); // a right press during the hold is an ordinary event on the way
    ScriptMouseUp(500, 1);
    ScriptMouseDown(700, 1);
    EXPECT_EQ(WaitForRelease(1), 1);
    EXPECT_EQ(ScriptClock(), 500u); // seen in the millisecond it arrived
    EXPECT_EQ(MouseButton(2), 1);
    // The next press is still there for the screen's next frame.
    int32_t polls = 0;
    while (MouseButton(1) == 0 && polls < 10000) {
        SleepMs(1);
        polls++;
    }
    EXPECT_EQ(ScriptClock(), 700u);
}

TEST_F(ReleaseWaitTest, AQuitDuringAPressIsNoRelease) {
    OpenStandardWindow();
    HoldLeftAt(200, 200);
    ScriptEndAt(300);
    EXPECT_EQ(WaitForRelease(1), 0);

    // The roll-up button held when the quit comes: not pressed, though the pointer is on it.
    ResetPlatformState();
    ScriptReset();
    ResetFrameState();
    OpenStandardWindow();
    HoldLeftAt(335, 15);
    ScriptEndAt(300);
    EXPECT_EQ(TrackTitleButton(2), 0);
    EXPECT_EQ(HandleTitleBar(), CloseButton);
}

TEST_F(ReleaseWaitTest, ThePositionFollowsAWindowMovedByTheWindowManager) {
    OpenStandardWindow();
    WindowManagerMoves(400, 300);
    DrawQuibFrame();
    EXPECT_EQ(std::pair(QuibWindow.X, QuibWindow.Y), std::pair(400, 300));

    // The next press on the roll-up button at its new place hits it; a press where the
    // button was before the move is off the window.
    ScriptClickWindow(1000, 335, 15);
    ScriptSetClock(1002);
    ASSERT_EQ(MouseButton(1), 0); // the move
    ASSERT_EQ(MouseButton(1), 1); // the press
    EXPECT_EQ(std::pair(MouseWindowX(), MouseWindowY()), std::pair(335, 15));
    EXPECT_EQ(HandleTitleBar(), RollUpButton);

    ScriptClick(2000, 100 + 335, 50 + 15);
    ScriptSetClock(2002);
    MouseButton(1);
    ASSERT_EQ(MouseButton(1), 1);
    EXPECT_EQ(HandleTitleBar(), 0);
    EXPECT_EQ(std::pair(QuibWindow.X, QuibWindow.Y), std::pair(400, 300)); // and no drag
}
