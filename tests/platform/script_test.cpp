// Tests of the scripted test platform: fake clock, timeline, queue, masks, drag and saved frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend.h"
#include "platform_state.h"
#include "script_platform.h"
#include "taken_events.h"
#include "test_support.h"

namespace {

class ScriptPlatform : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        ScriptReset();
    }
    void TearDown() override {
        ScriptReset();
        ResetPlatformState();
    }
    // A 370 x 310 borderless window at (100, 50) with the program's 850 x 600 back buffer.
    static void OpenWindow() {
        ASSERT_NE(CreateMainWindow(1, 100, 50, 370, 310, StylePopup, "Tessaroc"), 0);
        ASSERT_NE(AttachBackBuffer(850, 600), 0);
    }
    // Behind the tap gate, a move to (40, 60) at 100 ms, then 200 left clicks 5 ms apart
    // from 101 ms on, far faster than frames that take a click each (TakeEventOrPresent).
    static void QueueClickBurst() {
        ScriptUseTapGate(true);
        ScriptMouseMove(100, 40, 60);
        for (uint32_t i = 0; i < 200; i++) {
            ScriptMouseDown(101 + 5 * i, 1);
            ScriptMouseUp(103 + 5 * i, 1);
        }
    }
};

// One poll of a frame that takes at most one event; with nothing taken, the frame ends.
int32_t TakeEventOrPresent() {
    const int32_t kind = PollWindowEvent();
    if (kind == 0) PresentBackBuffer();
    return kind;
}

// Takes every event pending now (fewer polls than the idle limit).
std::vector<TakenEvent> Drain() {
    std::vector<TakenEvent> out;
    while (TakeOneEvent(&out))
        continue;
    return out;
}

TEST_F(ScriptPlatform, PresentAndSleepAdvanceTheFakeClock) {
    OpenWindow();
    EXPECT_EQ(TickCountMs(), 0);
    std::vector<uint32_t> clockInHook;
    ScriptOnPresent([&](int64_t count) {
        EXPECT_EQ(count, ScriptPresentCount());
        clockInHook.push_back(ScriptClock());
    });
    PresentBackBuffer();
    PresentBackBuffer();
    EXPECT_EQ(TickCountMs(), 2 * ScriptFrameMs);
    EXPECT_EQ(clockInHook, (std::vector<uint32_t>{0, uint32_t(ScriptFrameMs)}));
    SleepMs(100);
    EXPECT_EQ(TickCountMs(), 2 * ScriptFrameMs + 100);
    SleepMs(-5);
    EXPECT_EQ(TickCountMs(), 2 * ScriptFrameMs + 100);
    ScriptSetClock(123456);
    EXPECT_EQ(TickCountMs(), 123456);
    EXPECT_EQ(ScriptPresentCount(), 2);
}

TEST_F(ScriptPlatform, EventsAreReleasedAtTheirTimesOneEachPoll) {
    EXPECT_EQ(ScriptClick(100, 40, 60, 1, 50), 151u);
    EXPECT_EQ(PollWindowEvent(), 0);
    ScriptSetClock(99);
    EXPECT_EQ(PollWindowEvent(), 0);
    int32_t x = -1, y = -1;
    CursorScreenPosition(&x, &y);
    EXPECT_EQ(x, 0);

    ScriptSetClock(101); // the move and the press are both due
    CursorScreenPosition(&x, &y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 60);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(LastEventParam(), 0);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    EXPECT_EQ(LastEventParam(), MaskLeft);
    EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(LastEventParam(), MaskLeft) << "an empty poll keeps the last parameter";

    ScriptSetClock(150);
    EXPECT_EQ(PollWindowEvent(), 0);
    ScriptSetClock(151);
    EXPECT_EQ(PollWindowEvent(), EventLeftUp);
    EXPECT_EQ(LastEventParam(), 0);

    // Events added at a time already passed arrive at the next poll; ties keep their order.
    ScriptMouseDown(10, 2);
    ScriptCloseRequest(10);
    EXPECT_EQ(PollWindowEvent(), EventRightDown);
    EXPECT_EQ(PollWindowEvent(), EventClose);
}

// Beyond the window contract's coalescing (tests/support/window_contract.h): a move after a
// release is not merged into the moves before it, nor a move taken off the queue with a later one.
TEST_F(ScriptPlatform, MovesAreNotMergedAcrossAReleaseOrATakenMove) {
    ScriptMouseMove(10, 1, 1);
    ScriptMouseDown(40, 1);
    ScriptMouseMove(50, 4, 4);
    ScriptMouseMove(60, 5, 5);
    ScriptMouseUp(70, 1);
    ScriptMouseMove(80, 6, 6);
    ScriptSetClock(100);
    std::vector<TakenEvent> got = Drain();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[2].kind, EventMouseMove);
    EXPECT_EQ(got[3].kind, EventLeftUp);
    EXPECT_EQ(got[4].kind, EventMouseMove);
    EXPECT_EQ(got[4].param, 0);

    // A move taken off the queue is not merged with a later one.
    ScriptMouseMove(110, 7, 7);
    ScriptSetClock(110);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    ScriptMouseMove(120, 8, 8);
    ScriptSetClock(120);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(ScriptPlatform, MasksCarryButtonsAndModifierKeysAtTheEventTime) {
    ScriptKeyDown(10, 0x36); // right shift
    ScriptMouseDown(20, 2);
    ScriptKeyDown(30, 0x9D); // right control
    ScriptMouseDown(40, 1);
    ScriptMouseDown(50, 3);
    ScriptKeyUp(60, 0x36);
    ScriptMouseUp(70, 2);
    ScriptKeyUp(80, 0x9D);
    ScriptMouseUp(90, 3);
    ScriptMouseUp(95, 1);
    ScriptSetClock(100);
    std::vector<TakenEvent> got = Drain();
    ASSERT_EQ(got.size(), 6u) << "key events do not enter the window's queue";
    EXPECT_EQ(got[0].kind, EventRightDown);
    EXPECT_EQ(got[0].param, MaskRight | MaskShift);
    EXPECT_EQ(got[1].kind, EventLeftDown);
    EXPECT_EQ(got[1].param, MaskLeft | MaskRight | MaskShift | MaskControl);
    EXPECT_EQ(got[2].kind, EventMiddleDown);
    EXPECT_EQ(got[2].param, MaskLeft | MaskRight | MaskShift | MaskControl | MaskMiddle);
    EXPECT_EQ(got[3].kind, EventRightUp);
    EXPECT_EQ(got[3].param, MaskLeft | MaskControl | MaskMiddle);
    EXPECT_EQ(got[4].kind, EventMiddleUp);
    EXPECT_EQ(got[4].param, MaskLeft);
    EXPECT_EQ(got[5].kind, EventLeftUp);
    EXPECT_EQ(got[5].param, 0);
}

TEST_F(ScriptPlatform, KeyTableIsTheSnapshotOfTheFakeTime) {
    EXPECT_NE(OpenKeyboardDevice(), 0);
    ScriptTap(10, 0x2C, 20); // Y on a German keyboard, down from 10 to 30
    ScriptKeyDown(10, 0xFF);
    EXPECT_EQ(SnapshotKeyboard(), 1);
    EXPECT_EQ(KeyDown(0x2C), 0);
    ScriptSetClock(10);
    EXPECT_EQ(KeyDown(0x2C), 0) << "KeyDown reads the last snapshot, not the live state";
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x2C), 1);
    EXPECT_EQ(KeyDown(-1), 1);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0xFF), 1) << "pressed with Y, shown in the snapshot after it";
    ScriptSetClock(30);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x2C), 0);
    EXPECT_EQ(KeyDown(-1), 0) << "-1 looks at keys 0 to 254 only";
    EXPECT_EQ(KeyDown(256), 0);
    EXPECT_EQ(KeyDown(-2), 0);
}

// The name entry snapshots the keyboard once per frame; a key typed quicker than that.
TEST_F(ScriptPlatform, KeyTappedBetweenTwoSnapshotsShowsInTheNextOneOnce) {
    SnapshotKeyboard();
    ScriptTap(10, 0x1E, 5); // A, down from 10 to 15
    ScriptTap(20, 0x30, 5); // B, down from 20 to 25
    ScriptSetClock(ScriptFrameMs * 2);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x1E), 1);
    EXPECT_EQ(KeyDown(0x30), 0) << "one fresh key per snapshot";
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x1E), 0) << "a tap counts once";
    EXPECT_EQ(KeyDown(0x30), 1);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(-1), 0);

    // Held across snapshots, a key shows until its release; auto-repeat changes nothing.
    ScriptKeyDown(40, 0x1C);
    ScriptKeyDown(45, 0x1C);
    ScriptSetClock(50);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x1C), 1);
    ScriptKeyUp(60, 0x1C);
    ScriptSetClock(60);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x1C), 0);
}

// Typing faster than the snapshots (a slow frame): every key shows once, in the order typed,
// each with the modifiers pressed before it. Keys still held together show as levels.
TEST_F(ScriptPlatform, KeysTypedWithinOneFrameShowOneAtATimeInOrder) {
    SnapshotKeyboard();
    ScriptTap(10, 0x23, 2);  // h
    ScriptKeyDown(13, 0x2A); // Shift down for a capital
    ScriptTap(14, 0x22, 2);  // G
    ScriptKeyUp(17, 0x2A);   // Shift up
    ScriptTap(18, 0x1E, 2);  // a
    ScriptTap(21, 0x1E, 2);  // a again
    ScriptKeyDown(24, 0x30); // b, held on
    ScriptSetClock(60);      // one slow frame
    std::vector<std::string> seen;
    for (int i = 0; i < 7; i++) {
        SnapshotKeyboard();
        std::string keys;
        for (int32_t code : {0x2A, 0x23, 0x22, 0x1E, 0x30})
            if (KeyDown(code)) keys += code == 0x2A ? "S" : std::to_string(code);
        seen.push_back(keys);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"35", "S34", "30", "", "30", "48", "48"}))
        << "h, Shift+G, a, (a gap so the second a is a new press), a, then b held";
    ScriptKeyUp(70, 0x30);
    ScriptSetClock(70);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(-1), 0);
}

// Shift shown by one snapshot, then a letter typed with it and Shift let go before the next:
// the letter shows with Shift, which it went down with; a key pressed after Shift's release
// shows without it.
TEST_F(ScriptPlatform, AKeyShowsWithTheModifiersHeldWhenItWentDown) {
    ScriptKeyDown(10, 0x2A);
    ScriptSetClock(10);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x2A), 1);
    ScriptKeyDown(20, 0x30);
    ScriptKeyUp(30, 0x2A);
    ScriptKeyUp(40, 0x30);
    ScriptTap(50, 0x1E, 5);
    ScriptSetClock(100);
    SnapshotKeyboard();
    EXPECT_EQ(std::pair(KeyDown(0x30), KeyDown(0x2A)), std::pair(1, 1));
    SnapshotKeyboard();
    EXPECT_EQ(std::pair(KeyDown(0x1E), KeyDown(0x2A)), std::pair(1, 0));
}

TEST_F(ScriptPlatform, TapsMadeWhileNoScreenReadsTheKeyboardAreNotDeliveredLate) {
    SnapshotKeyboard();
    ScriptTap(100, 0x1E, 5);
    ScriptTap(1000 - KeyLatchMs, 0x30, 5); // just within the latch before the snapshot
    ScriptSetClock(1000);
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(0x1E), 0) << "typed 900 ms before anyone looked";
    EXPECT_EQ(KeyDown(0x30), 1);
}

TEST_F(ScriptPlatform, LosingTheKeyboardReleasesEveryKeyAndForgetsTaps) {
    ScriptKeyDown(10, 0x2A);
    ScriptTap(12, 0x1E, 2);
    ScriptSetClock(20);
    ReleaseAllKeys(); // the window lost the focus; the releases never come
    SnapshotKeyboard();
    EXPECT_EQ(KeyDown(-1), 0);
}

// The real window holds a release back until its press has been seen by a whole frame, so
// that every caller of a frame sees a quick tap's press, also one taken by the frame's last
// caller; a loop that waits for the release without presenting gets it after a few polls,
// at once on the clock.
TEST_F(ScriptPlatform, TapGateHoldsAReleaseForTheRestOfTheFrame) {
    OpenWindow();
    ScriptUseTapGate(true);
    ScriptClick(100, 40, 60, 1, 0); // press and release together at 101
    ScriptSetClock(101);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    EXPECT_EQ(PollWindowEvent(), 0) << "the frame's next caller still sees the press";
    PresentBackBuffer();
    EXPECT_EQ(PollWindowEvent(), 0) << "every caller of the next frame sees it too";
    PresentBackBuffer();
    EXPECT_EQ(PollWindowEvent(), EventLeftUp) << "the frame after that takes the release";

    ScriptClick(200, 40, 60, 2, 0);
    ScriptSetClock(201);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventRightDown);
    int32_t polls = 0;
    while (PollWindowEvent() != EventRightUp)
        ASSERT_LT(++polls, 50) << "a wait for the release without a present";
    EXPECT_EQ(ScriptClock(), 201u) << "no time passes";
}

// ---------------------------------------------------------------- where clicks are judged

// The point the screens judge while working through the queue: the next press or release
// still queued, else the last one taken, else (only moves pending, or a move taken last) the
// pointer now.
TEST_F(ScriptPlatform, ClicksAreJudgedWhereTheyWereMade) {
    int32_t x = 0, y = 0;
    EXPECT_FALSE(JudgedPointerPoint(&x, &y)) << "nothing taken yet";
    ScriptClick(10, 40, 60, 1, 5);   // at (40, 60): press 11, release 16
    ScriptMouseMove(20, 300, 200);   // then the pointer moves on
    ScriptClick(30, 300, 200, 2, 5); // a right click there: press 31, release 36
    ScriptSetClock(40);
    ASSERT_TRUE(JudgedPointerPoint(&x, &y));
    EXPECT_EQ(x * 1000 + y, 40060) << "the pointer is already at (300, 200)";
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    ASSERT_TRUE(JudgedPointerPoint(&x, &y));
    EXPECT_EQ(x * 1000 + y, 40060) << "the release waits, where it was made";
    EXPECT_EQ(PollWindowEvent(), EventLeftUp);
    ASSERT_TRUE(JudgedPointerPoint(&x, &y));
    EXPECT_EQ(x * 1000 + y, 300200) << "the right press is next";
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventRightDown);
    EXPECT_EQ(PollWindowEvent(), EventRightUp);
    ASSERT_TRUE(JudgedPointerPoint(&x, &y)) << "a release taken last, nothing queued";
    EXPECT_EQ(x * 1000 + y, 300200);
    ScriptMouseMove(50, 5, 6);
    ScriptSetClock(50);
    EXPECT_FALSE(JudgedPointerPoint(&x, &y)) << "only a move queued: the pointer now";
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_FALSE(JudgedPointerPoint(&x, &y)) << "a move taken last";
}

// A quick click-and-move: the release is held back by the quick-tap gate while the pointer
// leaves; it is still judged where the button went up.
TEST_F(ScriptPlatform, AReleaseHeldBackByTheTapGateIsJudgedWhereItHappened) {
    ScriptUseTapGate(true);
    ScriptClick(100, 40, 60, 1, 10); // release at 111
    ScriptMouseMove(112, 200, 200);
    ScriptSetClock(101);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    ScriptSetClock(120);
    EXPECT_EQ(PollWindowEvent(), 0) << "the gate holds the release";
    int32_t x = 0, y = 0;
    ASSERT_TRUE(JudgedPointerPoint(&x, &y));
    EXPECT_EQ(x * 1000 + y, 40060);
}

// A burst of clicks faster than the gate lets them through: what waited longer than
// StaleClickMs is dropped as whole clicks, leaving a move to where the burst ended.
TEST_F(ScriptPlatform, ABacklogOfClicksIsGoneWithinASecond) {
    QueueClickBurst();
    ScriptCloseRequest(1100);
    int32_t presses = 0, closes = 0;
    uint32_t lastPress = 0;
    while (ScriptClock() < 3000) {
        const int32_t kind = TakeEventOrPresent();
        if (kind == EventLeftDown) presses++, lastPress = ScriptClock();
        if (kind == EventClose) closes++;
    }
    EXPECT_GT(presses, 10) << "clicks within the last second are taken";
    EXPECT_LT(presses, 100) << "far fewer than the 200 clicked";
    EXPECT_LT(lastPress, 1100u + uint32_t(StaleClickMs)) << "nothing replays after that";
    EXPECT_EQ(closes, 1) << "a close request is never dropped";
    EXPECT_EQ(HeldButtons(), 0);
    EXPECT_EQ(LastEventParam() & MaskLeft, 0) << "the last taken event has the button up";
}

// The click after a burst: the burst's clicks that were more than BacklogClickMs behind when
// the player clicked again are dropped at once, so the new click is taken within a frame,
// where it was made.
TEST_F(ScriptPlatform, TheClickAfterABurstIsTakenWithinAFrame) {
    QueueClickBurst();
    ScriptClick(1200, 300, 200, 1, 100); // press at 1201
    uint32_t takenAt = 0;
    int32_t x = 0, y = 0;
    while (takenAt == 0 && ScriptClock() < 3000) {
        const int32_t kind = TakeEventOrPresent();
        if (kind == EventLeftDown && LastTakenPoint(&x, &y) && x == 300) takenAt = ScriptClock();
    }
    EXPECT_GE(takenAt, 1201u);
    EXPECT_LE(takenAt, 1201u + uint32_t(ScriptFrameMs)) << "the burst was replayed first";
    EXPECT_EQ(y, 200);
}

// Clicks the game keeps up with are all taken, however quickly one follows another.
TEST_F(ScriptPlatform, ClicksAsQuickAsTheGameTakesThemAreAllTaken) {
    ScriptUseTapGate(true);
    for (uint32_t i = 0; i < 20; i++)
        ScriptClick(100 + 90 * i, 40 + int32_t(i), 60, 1, 40);
    int32_t presses = 0;
    while (ScriptClock() < 3000) {
        if (TakeEventOrPresent() == EventLeftDown) presses++;
    }
    EXPECT_EQ(presses, 20);
}

// A press the game took is never left without its release, however long that waited.
TEST_F(ScriptPlatform, AStaleReleaseOfATakenPressIsKept) {
    ScriptClick(100, 40, 60, 1, 10);
    ScriptClick(120, 50, 60, 1, 10);
    ScriptSetClock(101);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    ScriptSetClock(5000);
    EXPECT_EQ(PollWindowEvent(), EventLeftUp);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove) << "the stale click after it is dropped";
    EXPECT_EQ(PollWindowEvent(), 0);
    int32_t x = 0, y = 0;
    CursorScreenPosition(&x, &y);
    EXPECT_EQ(x, 50);
}

// A loop that waits for a release without presenting (a press on a board cell) must sleep
// between its polls, not spin: every empty poll after the first few waits for the next event.
TEST_F(ScriptPlatform, PressLoopPollingAnEmptyQueueIsPaced) {
    OpenWindow();
    ScriptClick(10, 40, 60, 1, 500);
    ScriptSetClock(11);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    for (int i = 0; i < 40; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaits(), 40 - IdleFreePolls) << "the first empty polls answer at once";
    EXPECT_EQ(ScriptPollWaitMs(), (40 - IdleFreePolls) * IdleWaitMs);

    // A frame loop presents between its polls: its three polls a frame never wait, so a
    // frame wakes the program once, from the sleep of its present.
    for (int i = 0; i < 10; i++) {
        PresentBackBuffer();
        for (int j = 0; j < 3; j++)
            EXPECT_EQ(PollWindowEvent(), 0);
    }
    EXPECT_EQ(ScriptPollWaits(), 40 - IdleFreePolls);
    // Taking an event ends the run of empty polls as a present does.
    ScriptSetClock(511);
    EXPECT_EQ(PollWindowEvent(), EventLeftUp);
    for (int i = 0; i < IdleFreePolls; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaits(), 40 - IdleFreePolls);
    EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaits(), 41 - IdleFreePolls);
}

// A button held for longer than the quick-tap gate: the loop waiting for its release polls
// less often (each wait ends at the next event all the same); a present starts over.
TEST_F(ScriptPlatform, LongWaitForAReleaseWaitsLongerPerPoll) {
    OpenWindow();
    ScriptClick(10, 40, 60, 1, 5000);
    ScriptSetClock(11);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    for (int i = 0; i < IdleFreePolls + IdleShortWaits; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaits(), IdleShortWaits);
    EXPECT_EQ(ScriptPollWaitMs(), IdleShortWaits * IdleWaitMs);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaitMs(), IdleShortWaits * IdleWaitMs + 5 * IdleLongWaitMs);

    PresentBackBuffer();
    for (int i = 0; i <= IdleFreePolls; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptPollWaitMs(), (IdleShortWaits + 1) * IdleWaitMs + 5 * IdleLongWaitMs);
}

// Empty polls in a row, with no present, before the fake clock skips to the next event.
constexpr int32_t PollsBeforeTheSkip = IdleFreePolls + ScriptIdleWaitLimit - 1;

TEST_F(ScriptPlatform, PollingWithoutPresentingJumpsToTheNextEventThenEnds) {
    ScriptMouseMove(5000, 10, 10);
    for (int i = 0; i < PollsBeforeTheSkip; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    PresentBackBuffer(); // a present breaks the run of empty polls
    for (int i = 0; i < PollsBeforeTheSkip; i++)
        EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(ScriptClock(), uint32_t(ScriptFrameMs));
    EXPECT_EQ(PollWindowEvent(), 0); // the next empty poll in a row jumps
    EXPECT_EQ(ScriptClock(), 5000u);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(QuitRequested(), 0);

    ScriptEndAt(9000);
    for (int i = 0; i <= PollsBeforeTheSkip; i++)
        PollWindowEvent();
    EXPECT_EQ(ScriptClock(), 9000u);
    EXPECT_NE(QuitRequested(), 0);
}

TEST_F(ScriptPlatform, PollingAnExhaustedScriptWithoutEndRequestsTheQuit) {
    for (int i = 0; i <= PollsBeforeTheSkip; i++)
        PollWindowEvent();
    EXPECT_NE(QuitRequested(), 0);
    EXPECT_EQ(ScriptClock(), 0u);
}

TEST_F(ScriptPlatform, EndTimeRequestsTheQuitWhenTheClockGetsThere) {
    OpenWindow();
    ScriptEndAt(5 * ScriptFrameMs);
    for (int i = 0; i < 4; i++)
        PresentBackBuffer();
    EXPECT_EQ(QuitRequested(), 0);
    PresentBackBuffer();
    EXPECT_NE(QuitRequested(), 0);
}

TEST_F(ScriptPlatform, WindowPlacementAndDesktop) {
    ASSERT_NE(CreateMainWindow(1, 30, 40, 370, 310, StylePopup, "T"), 0);
    int32_t left = 0, top = 0;
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(top, 40);
    EXPECT_TRUE(ScriptWindow().visible);
    ResizeMainWindow(500, 31);
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(ScriptWindow().height, 31);

    CreateMainWindow(1, 30, 40, 370, 311, StylePopup | StyleCentreActive | StyleInvisible, "T");
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(left, (1280 - 370) / 2);
    EXPECT_EQ(top, (1024 - 311) / 2);
    EXPECT_FALSE(ScriptWindow().visible);

    EXPECT_EQ(DesktopMetric(0), 1280);
    EXPECT_EQ(DesktopMetric(1), 1024);
    int32_t x = 1, y = 1, w = 0, h = 0;
    EXPECT_EQ(DisplayCount(), 1);
    EXPECT_EQ(DisplayBounds(0, &x, &y, &w, &h), 1);
    EXPECT_EQ(x + y + w + h, 1280 + 1024);
    EXPECT_EQ(DisplayBounds(1, &x, &y, &w, &h), 0);

    ScriptFailSetUp(false, true, true);
    EXPECT_EQ(CreateMainWindow(1, 0, 0, 10, 10, StylePopup, "T"), 0);
    EXPECT_EQ(OpenKeyboardDevice(), 0);
    EXPECT_EQ(OpenScreenSystem(), 0) << "the window is made at the screen's set-up";
    ScriptFailSetUp(false, false, false);
    EXPECT_NE(OpenScreenSystem(), 0);
}

TEST_F(ScriptPlatform, PresentShowsTheClientSizedCornerOfTheBackBuffer) {
    OpenWindow();
    EXPECT_EQ(ScriptShownPixel(0, 0), -1) << "nothing shown before the first present";
    ASSERT_EQ(BackBuffer.width, 850);
    auto at = [](int x, int y) -> uint32_t& { return BackBuffer.pixels[size_t(y) * 850 + x]; };
    at(0, 0) = 0x00FF8000; // red 255, green 128, blue 0
    at(369, 309) = 0x000000FF;
    at(370, 0) = 0x00FFFFFF; // just right of the client area
    EXPECT_EQ(ScriptPixel(0, 0), MakeColour(255, 128, 0));
    EXPECT_EQ(ScriptPixel(850, 0), -1);
    PresentBackBuffer();
    at(0, 0) = 0; // later drawing does not reach the shown image until the next present
    EXPECT_EQ(ScriptShownPixel(0, 0), MakeColour(255, 128, 0));
    EXPECT_EQ(ScriptShownPixel(369, 309), MakeColour(0, 0, 255));
    EXPECT_EQ(ScriptShownPixel(370, 0), -1);
    ResizeMainWindow(900, 20); // wider than the back buffer: the rest is black
    PresentBackBuffer();
    EXPECT_EQ(ScriptShownPixel(370, 0), MakeColour(255, 255, 255));
    EXPECT_EQ(ScriptShownPixel(899, 0), 0);
    EXPECT_EQ(ScriptShownPixel(0, 20), -1);
}

TEST_F(ScriptPlatform, DragMovesTheWindowWithThePointerAndConsumesTheRelease) {
    OpenWindow();                      // at (100, 50)
    ScriptClick(100, 110, 60, 1, 400); // press at 101, release at 501
    ScriptMouseMove(200, 150, 80);
    ScriptMouseMove(300, 210, 90);
    ScriptMouseMove(600, 400, 400); // after the release: must not move the window
    ScriptSetClock(101);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    SendWindowMessage(1, MessageNcLeftDown, HitCaption, 0);
    int32_t left = 0, top = 0;
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(left, 200);
    EXPECT_EQ(top, 80);
    EXPECT_GE(ScriptClock(), 501u);
    EXPECT_LT(ScriptClock(), 600u);
    EXPECT_EQ(ScriptPresentCount(), 0) << "the move presents nothing";
    // The next poll reports the button up without a button-up event.
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(LastEventParam() & MaskLeft, 0);
    EXPECT_EQ(PollWindowEvent(), 0);

    // With the button already up the move returns at once and leaves the window alone.
    const uint32_t before = ScriptClock();
    SendWindowMessage(1, MessageNcLeftDown, HitCaption, 0);
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(left, 200);
    EXPECT_EQ(ScriptClock(), before);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(LastEventParam(), 0);
}

TEST_F(ScriptPlatform, DragWhoseReleaseIsAlreadyQueuedEndsWithoutWaiting) {
    OpenWindow();
    ScriptClick(100, 110, 60, 1, 50); // press at 101, release at 151
    ScriptMouseMove(120, 130, 70);
    ScriptMouseMove(140, 0, 0);
    ScriptSetClock(160);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    SendWindowMessage(1, MessageNcLeftDown, HitCaption, 0);
    EXPECT_EQ(ScriptClock(), 160u);
    EXPECT_EQ(ScriptWindow().x, 100 - 110);
    EXPECT_EQ(ScriptWindow().y, 50 - 60);
    EXPECT_EQ(PollWindowEvent(), EventMouseMove);
    EXPECT_EQ(LastEventParam(), 0);
}

TEST_F(ScriptPlatform, DragThatNeverEndsRequestsTheQuit) {
    OpenWindow();
    ScriptMouseDown(10, 1);
    ScriptSetClock(10);
    EXPECT_EQ(PollWindowEvent(), EventLeftDown);
    SendWindowMessage(1, MessageNcLeftDown, HitCaption, 0);
    EXPECT_NE(QuitRequested(), 0);
}

// Reads a big-endian 32-bit value.
uint32_t Be32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

// Reference CRC-32 (table-driven, independent of the platform's).
uint32_t ReferenceCrc(const std::string& s, size_t at, size_t n) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = at; i < at + n; i++)
        c = table[(c ^ uint8_t(s[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

TEST_F(ScriptPlatform, SavedPngIsAValidImageOfTheShownFrame) {
    OpenWindow();
    ResizeMainWindow(200, 120); // 601 bytes a row: several stored blocks
    for (int y = 0; y < 120; y++)
        for (int x = 0; x < 200; x++)
            BackBuffer.pixels[size_t(y) * 850 + x] = uint32_t(x) << 16 | uint32_t(y) << 8 | 0x40;
    EXPECT_FALSE(ScriptSaveFrame(MakeTempFolder("png") + "none.png")) << "nothing shown yet";
    PresentBackBuffer();
    const std::string path = MakeTempFolder("png") + "frame.png";
    ASSERT_TRUE(ScriptSaveFrame(path));
    const std::string png = ReadWholeFile(path);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));

    // Walk the chunks, checking each CRC, and gather the zlib stream.
    std::string zlib;
    size_t at = 8;
    std::vector<std::string> types;
    while (at + 12 <= png.size()) {
        const uint32_t len = Be32(png, at);
        ASSERT_LE(at + 12 + len, png.size());
        types.push_back(png.substr(at + 4, 4));
        EXPECT_EQ(Be32(png, at + 8 + len), ReferenceCrc(png, at + 4, 4 + len)) << types.back();
        if (types.back() == "IHDR") {
            EXPECT_EQ(Be32(png, at + 8), 200u);
            EXPECT_EQ(Be32(png, at + 12), 120u);
        }
        if (types.back() == "IDAT") zlib += png.substr(at + 8, len);
        at += 12 + len;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(at, png.size());

    // Inflate the stored blocks and compare with the presented pixels and the Adler-32.
    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ((uint8_t(zlib[0]) * 256 + uint8_t(zlib[1])) % 31, 0);
    std::string raw;
    size_t z = 2;
    for (bool last = false; !last;) {
        ASSERT_LE(z + 5, zlib.size());
        last = zlib[z] & 1;
        EXPECT_EQ(uint8_t(zlib[z]) >> 1, 0) << "stored block";
        const size_t n = uint8_t(zlib[z + 1]) | uint8_t(zlib[z + 2]) << 8;
        EXPECT_EQ(n ^ (uint8_t(zlib[z + 3]) | uint8_t(zlib[z + 4]) << 8), 0xFFFFu);
        raw += zlib.substr(z + 5, n);
        z += 5 + n;
    }
    ASSERT_EQ(raw.size(), 120u * 601u);
    uint32_t a = 1, b = 0;
    for (char c : raw)
        a = (a + uint8_t(c)) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(Be32(zlib, z), b << 16 | a);
    const size_t p = 57 * 601 + 1 + 33 * 3; // pixel (33, 57)
    EXPECT_EQ(uint8_t(raw[p]), 33);
    EXPECT_EQ(uint8_t(raw[p + 1]), 57);
    EXPECT_EQ(uint8_t(raw[p + 2]), 0x40);

    if (std::system("command -v identify >/dev/null 2>&1") == 0) {
        const std::string cmd = "identify -format '%m %w %h' '" + path + "' > '" + path + ".txt'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_EQ(ReadWholeFile(path + ".txt"), "PNG 200 120");
    }
}

} // namespace
