// Tests of the mouse helpers: button levels from the event masks, window coordinates.
#include <limits>

#include "frame_fixture.h"

namespace {

constexpr int32_t LeftShift = 0x2A;
constexpr int32_t LeftControl = 0x1D;

// Takes every event released up to atMs off the queue, one per MouseButton call.
void TakeEventsUpTo(uint32_t atMs, int32_t calls) {
    ScriptSetClock(atMs);
    for (int32_t i = 0; i < calls; i++)
        MouseButton(1);
}

class MouseTest : public FrameTest {};

} // namespace

TEST_F(MouseTest, ModifierKeysDoNotCountAsButtons) {
    ScriptKeyDown(1, LeftShift);
    ScriptKeyDown(1, LeftControl);
    ScriptMouseDown(2, 1);
    TakeEventsUpTo(3, 1);
    EXPECT_EQ(StoredMouseMask, MaskLeft | MaskShift | MaskControl);
    EXPECT_EQ(MouseButton(1), 1);
    EXPECT_EQ(MouseButton(2), 0);
    EXPECT_EQ(MouseButton(3), 0);
}

TEST_F(MouseTest, EachButtonHasItsOwnBitAndOtherNumbersAnswerZero) {
    ScriptMouseDown(1, 1);
    ScriptMouseDown(2, 2);
    TakeEventsUpTo(3, 2);
    EXPECT_EQ(MouseButton(1), 1);
    EXPECT_EQ(MouseButton(2), 1);
    EXPECT_EQ(MouseButton(3), 0);
    ScriptMouseDown(4, 3);
    TakeEventsUpTo(5, 1);
    EXPECT_EQ(MouseButton(3), 1);
    for (int32_t n : {0, 4, 16, -1, std::numeric_limits<int32_t>::min()})
        EXPECT_EQ(MouseButton(n), 0) << n;
}

TEST_F(MouseTest, ButtonStateIsALevelTakenOneEventPerCall) {
    ScriptMouseMove(1, 10, 10);
    ScriptMouseDown(2, 1);
    ScriptMouseUp(3, 1);
    ScriptSetClock(4);
    EXPECT_EQ(MouseButton(1), 0); // the move
    EXPECT_EQ(MouseButton(1), 1); // the press
    EXPECT_EQ(MouseButton(1), 0); // the release
    ScriptMouseDown(5, 1);
    ScriptCloseRequest(6);
    ScriptSetClock(7);
    EXPECT_EQ(MouseButton(1), 1);
    EXPECT_EQ(MouseButton(1), 1); // the close request is no mouse event
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(MouseButton(1), 1); // nothing pending
    ScriptMouseUp(8, 1);
    ScriptSetClock(9);
    EXPECT_EQ(MouseButton(1), 0);
}

TEST_F(MouseTest, WindowCoordinatesFollowTheRecordAndMayBeNegative) {
    QuibWindow.X = 100;
    QuibWindow.Y = 50;
    ScriptMouseMove(1, 97, 40);
    ScriptSetClock(2);
    EXPECT_EQ(MouseWindowX(), -3);
    EXPECT_EQ(MouseWindowY(), -10);
    ScriptMouseMove(3, 600, 500);
    ScriptSetClock(4);
    EXPECT_EQ(MouseWindowX(), 500);
    EXPECT_EQ(MouseWindowY(), 450);
    // A position from damaged preferences cannot overflow the difference.
    QuibWindow.X = std::numeric_limits<int32_t>::min();
    QuibWindow.Y = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(MouseWindowX(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(MouseWindowY(), 500 - std::numeric_limits<int32_t>::max());
}
