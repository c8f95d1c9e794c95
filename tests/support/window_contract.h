// The checks every window backend answers to, written once and run by each backend's test program.
//
// A program runs them with INSTANTIATE_TYPED_TEST_SUITE_P(Backend, WindowContract, Driver),
// where Driver plays the window system for its backend through these static members:
//   X, Y, W, H             where the window opens (desktop, game pixels) and its client size
//   RealClock              TickCountMs runs on its own (false: a fake clock moved by presents)
//   Open(), Close()        the window at (X, Y) with W x H and the 850 x 600 back buffer,
//                          an empty queue and no key or button held; after the check
//   Modifiers(mask)        holds exactly the modifier keys of mask (MaskShift, MaskControl)
//   MoveTo(x, y)           the pointer to client point (x, y) of the window
//   Press(b), Release(b)   mouse button b (1 left, 2 right, 3 middle) at the pointer
//   HoldKey(scanCode)      a key held down until the check ends, seen by the next snapshot
//   LoseFocus()            the window loses the keyboard focus
//   RequestClose()         the window system asks the window to close
//   Take(n)                polls until n events came (at most a few seconds), as taken
//   Shown(x, y)            the client pixel (x, y) as the window shows it, 0xRRGGBB
//   Geometry(&x, &y, &w, &h), Visible()   the window as the window system has it
// The driver acts as a person or the window system would: what it sends reaches the backend
// by the backend's own way in (X server, window messages, the scripted timeline).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "backend.h"
#include "platform.h"
#include "platform_state.h"
#include "taken_events.h"

// The back buffer's pixel (x, y), 0xRRGGBB, written directly.
inline uint32_t& BackPixel(int32_t x, int32_t y) {
    return BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)];
}

// A present of a frame that moves on its own, as the animated screens present: it paces and
// never waits for the player.
inline void PresentMovingFrame() {
    KeepFrameMoving();
    PresentBackBuffer();
}

template <class Driver> class WindowContract : public ::testing::Test {
  protected:
    void SetUp() override { Driver::Open(); }
    void TearDown() override { Driver::Close(); }

    // Fills the client area with one colour, marks its corners and presents it.
    static void PresentMarkedFrame(uint32_t fill) {
        for (int32_t y = 0; y < Driver::H; y++)
            for (int32_t x = 0; x < Driver::W; x++)
                BackPixel(x, y) = fill;
        BackPixel(0, 0) = 0xFF0000;
        BackPixel(1, 0) = 0x00FF00;
        BackPixel(Driver::W - 1, Driver::H - 1) = 0x0000FF;
        BackPixel(0, Driver::H - 1) = 0x0000FE;
        TouchWholeBackBuffer(); // written directly, not by the drawing operations
        PresentBackBuffer();
    }
};

TYPED_TEST_SUITE_P(WindowContract);

TYPED_TEST_P(WindowContract, OpensWhereAskedAtItsSizeAndStaysThereWhenResized) {
    using D = TypeParam;
    int32_t left = 0, top = 0, width = 0, height = 0;
    D::Geometry(&left, &top, &width, &height);
    EXPECT_EQ(std::pair(left, top), std::pair(D::X, D::Y));
    EXPECT_EQ(std::pair(width, height), std::pair(D::W, D::H));
    EXPECT_TRUE(D::Visible());
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(std::pair(left, top), std::pair(D::X, D::Y));

    for (const auto& [newWidth, newHeight] : {std::pair(500, 31), std::pair(D::W, 28)}) {
        SCOPED_TRACE(testing::Message() << newWidth << " x " << newHeight);
        ResizeMainWindow(newWidth, newHeight);
        PresentBackBuffer();
        D::Geometry(&left, &top, &width, &height);
        EXPECT_EQ(std::pair(left, top), std::pair(D::X, D::Y));
        EXPECT_EQ(std::pair(width, height), std::pair(newWidth, newHeight));
        WindowDesktopPosition(&left, &top);
        EXPECT_EQ(std::pair(left, top), std::pair(D::X, D::Y));
        BeginDrawing(BackBufferOutput());
        PlotPixel(newWidth - 1, newHeight - 1, MakeColour(0xAB, 0xCD, 0xEF));
        EndDrawing();
        PresentBackBuffer();
        EXPECT_EQ(D::Shown(newWidth - 1, newHeight - 1), 0xABCDEFu);
    }
    ResizeMainWindow(D::W, D::H);
    PresentBackBuffer();
    D::Geometry(&left, &top, &width, &height);
    EXPECT_EQ(std::pair(left, top), std::pair(D::X, D::Y));
    EXPECT_EQ(std::pair(width, height), std::pair(D::W, D::H));
}

// The client area shows the back buffer's corner top row first; a later present sends the
// rows that changed and leaves the others as they were.
TYPED_TEST_P(WindowContract, PresentsShowTheBackBufferAndThenTheChangedRows) {
    using D = TypeParam;
    this->PresentMarkedFrame(0x203040);
    EXPECT_EQ(D::Shown(0, 0), 0xFF0000u);
    EXPECT_EQ(D::Shown(1, 0), 0x00FF00u);
    EXPECT_EQ(D::Shown(D::W - 1, D::H - 1), 0x0000FFu);
    EXPECT_EQ(D::Shown(0, D::H - 1), 0x0000FEu);
    EXPECT_EQ(D::Shown(50, 50), 0x203040u);

    BackPixel(7, 100) = 0x00FF00; // only row 100 changes
    TouchWholeBackBuffer();
    PresentBackBuffer();
    EXPECT_EQ(D::Shown(7, 100), 0x00FF00u);
    EXPECT_EQ(D::Shown(7, 99), 0x203040u);
    EXPECT_EQ(D::Shown(7, 101), 0x203040u);
    EXPECT_EQ(D::Shown(0, 0), 0xFF0000u);
    EXPECT_EQ(D::Shown(0, D::H - 1), 0x0000FEu);

    // Drawn with the drawing operations, as the screens draw.
    BeginDrawing(BackBufferOutput());
    PlotPixel(200, 150, MakeColour(0xAB, 0xCD, 0xEF));
    PlotPixel(5, D::H - 1, MakeColour(0xFE, 0xDC, 0xBA));
    EndDrawing();
    PresentBackBuffer();
    EXPECT_EQ(D::Shown(200, 150), 0xABCDEFu);
    EXPECT_EQ(D::Shown(5, D::H - 1), 0xFEDCBAu);
    EXPECT_EQ(D::Shown(199, 150), 0x203040u);
}

// Presses, moves and releases arrive in the order they were made, each with the buttons and
// modifier keys held after it and the desktop point where it was made.
TYPED_TEST_P(WindowContract, EventsArriveInOrderWithTheirMasksAndPoints) {
    using D = TypeParam;
    D::MoveTo(5, 7);
    D::Modifiers(MaskShift);
    D::Press(1);
    D::Modifiers(0);
    D::MoveTo(6, 7);
    D::Modifiers(MaskControl);
    D::MoveTo(9, 8);
    D::Modifiers(0);
    D::Press(2);
    const std::vector<TakenEvent> got = D::Take(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].kind, EventMouseMove);
    EXPECT_EQ(got[1].kind, EventLeftDown);
    EXPECT_EQ(got[1].param, MaskLeft | MaskShift);
    EXPECT_EQ(std::pair(got[1].x, got[1].y), std::pair(D::X + 5, D::Y + 7));
    EXPECT_EQ(got[2].kind, EventMouseMove); // the two moves arrive as the newest one
    EXPECT_EQ(got[2].param, MaskLeft | MaskControl);
    EXPECT_EQ(std::pair(got[2].x, got[2].y), std::pair(D::X + 9, D::Y + 8));
    EXPECT_EQ(got[3].kind, EventRightDown);
    EXPECT_EQ(got[3].param, MaskLeft | MaskRight);
    D::Release(2);
    D::Release(1);
    const std::vector<TakenEvent> ups = D::Take(2);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(ups[0].kind, EventRightUp);
    EXPECT_EQ(ups[0].param, MaskLeft);
    EXPECT_EQ(ups[1].kind, EventLeftUp);
    EXPECT_EQ(ups[1].param, 0);
}

// Each release comes after its press, with the modifier keys still held in both masks.
TYPED_TEST_P(WindowContract, AReleaseComesAfterItsPress) {
    using D = TypeParam;
    D::MoveTo(150, 120);
    std::vector<TakenEvent> got = D::Take(1);
    D::Press(1);
    D::Release(1);
    got = D::Take(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(std::pair(got[0].kind, got[0].param), std::pair(EventLeftDown, MaskLeft));
    EXPECT_EQ(std::pair(got[1].kind, got[1].param), std::pair(EventLeftUp, 0));

    D::Modifiers(MaskShift);
    D::Press(2);
    D::Release(2);
    D::Modifiers(0);
    got = D::Take(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(std::pair(got[0].kind, got[0].param),
              std::pair(EventRightDown, MaskRight | MaskShift));
    EXPECT_EQ(std::pair(got[1].kind, got[1].param), std::pair(EventRightUp, MaskShift));

    D::Modifiers(MaskControl);
    D::Press(1);
    D::Press(3);
    D::Release(3);
    D::Release(1);
    D::Modifiers(0);
    got = D::Take(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(std::pair(got[0].kind, got[0].param),
              std::pair(EventLeftDown, MaskLeft | MaskControl));
    EXPECT_EQ(std::pair(got[1].kind, got[1].param),
              std::pair(EventMiddleDown, MaskLeft | MaskMiddle | MaskControl));
    EXPECT_EQ(std::pair(got[2].kind, got[2].param),
              std::pair(EventMiddleUp, MaskLeft | MaskControl));
    EXPECT_EQ(std::pair(got[3].kind, got[3].param), std::pair(EventLeftUp, MaskControl));
}

// Moves that nobody took in between arrive as one, but never across a press or a release.
TYPED_TEST_P(WindowContract, MotionRunsAreCoalescedButNotAcrossButtons) {
    using D = TypeParam;
    D::MoveTo(30, 30);
    D::MoveTo(33, 30);
    D::MoveTo(36, 30);
    std::vector<TakenEvent> got = D::Take(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, EventMouseMove);
    EXPECT_EQ(std::pair(got[0].x, got[0].y), std::pair(D::X + 36, D::Y + 30));

    D::MoveTo(38, 30);
    D::MoveTo(40, 30);
    D::Press(1);
    D::MoveTo(42, 30);
    D::MoveTo(44, 30);
    D::Release(1);
    got = D::Take(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(std::pair(got[0].kind, got[0].param), std::pair(EventMouseMove, 0));
    EXPECT_EQ(std::pair(got[1].kind, got[1].param), std::pair(EventLeftDown, MaskLeft));
    EXPECT_EQ(std::pair(got[2].kind, got[2].param), std::pair(EventMouseMove, MaskLeft));
    EXPECT_EQ(std::pair(got[2].x, got[2].y), std::pair(D::X + 44, D::Y + 30));
    EXPECT_EQ(std::pair(got[3].kind, got[3].param), std::pair(EventLeftUp, 0));
}

TYPED_TEST_P(WindowContract, CloseRequestIsReportedAndLeavesTheWindowOpen) {
    using D = TypeParam;
    D::RequestClose();
    const std::vector<TakenEvent> got = D::Take(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(std::pair(got[0].kind, got[0].param), std::pair(EventClose, 0));
    int32_t left = 0, top = 0, width = 0, height = 0;
    D::Geometry(&left, &top, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(D::W, D::H));
    EXPECT_TRUE(D::Visible());
    EXPECT_EQ(QuitRequested(), 0);
}

// A key held while the window loses the focus never sends its release: the loss lets it go.
TYPED_TEST_P(WindowContract, FocusLossLetsTheHeldKeysGo) {
    using D = TypeParam;
    D::HoldKey(0x1E); // A
    EXPECT_NE(KeyDown(0x1E), 0);
    EXPECT_NE(KeyDown(-1), 0);
    D::LoseFocus();
    ASSERT_NE(SnapshotKeyboard(), 0);
    EXPECT_EQ(KeyDown(0x1E), 0);
    EXPECT_EQ(KeyDown(-1), 0);
}

// A frame that shows nothing new, asked for no next one and saw no input sleeps in its
// present until the player acts or its wake time comes; a moving frame paces and never waits.
TYPED_TEST_P(WindowContract, AStillFrameSleepsUntilInputOrItsWakeTime) {
    using D = TypeParam;
    this->PresentMarkedFrame(0x203040);
    PresentMovingFrame();
    const uint64_t waits = FrameMotion.stillWaits;
    PresentMovingFrame();
    EXPECT_EQ(FrameMotion.stillWaits, waits) << "a moving frame paces";
    // Still frames until 150 ms have passed: a few at most, as the window system may wake the
    // wait for something of its own; paced frames would be nine.
    const int32_t start = TickCountMs();
    int32_t presents = 0;
    for (int32_t passed = 0; passed < 150 && presents < 5; passed = TickCountMs() - start) {
        WakeAfterMs(150 - passed);
        PresentBackBuffer();
        presents++;
    }
    EXPECT_GT(FrameMotion.stillWaits, waits) << "a still frame waits";
    if (D::RealClock) {
        EXPECT_LT(presents, 5) << "until its wake time, not frame by frame";
    }
    D::MoveTo(40, 30);
    EXPECT_EQ(D::Take(1).size(), 1u);
    const uint64_t before = FrameMotion.stillWaits;
    PresentBackBuffer();
    EXPECT_EQ(FrameMotion.stillWaits, before) << "input came: the next frame shows it";
}

REGISTER_TYPED_TEST_SUITE_P(WindowContract, OpensWhereAskedAtItsSizeAndStaysThereWhenResized,
                            AStillFrameSleepsUntilInputOrItsWakeTime,
                            PresentsShowTheBackBufferAndThenTheChangedRows,
                            EventsArriveInOrderWithTheirMasksAndPoints, AReleaseComesAfterItsPress,
                            MotionRunsAreCoalescedButNotAcrossButtons,
                            CloseRequestIsReportedAndLeavesTheWindowOpen,
                            FocusLossLetsTheHeldKeysGo);
