// What a window-system backend gives the shared event core, and what the core gives it back.
//
// The core (platform/events.cpp) owns the event queue, motion coalescing, the held-button
// and modifier masks, the quick-tap gate, the key table with its latch and the poll pacing;
// it implements PollWindowEvent, LastEventParam, SnapshotKeyboard and KeyDown once for every
// backend. A backend only reports what its window system says, one Post call per system
// event, in the order the system delivered them, and provides the three hooks at the end.
//
// A backend on a system with a message queue (Win32: PeekMessageW) pumps like this:
//   - pointer motion in the client area (WM_MOUSEMOVE)            -> PostPointerMove
//   - a button going down or up (WM_LBUTTONDOWN ... WM_MBUTTONUP;
//     a double click counts as a press)                          -> PostButton
//     Post the modifier state the message carries (MK_SHIFT, MK_CONTROL) with
//     PostModifiers first, so the event's mask says what was held.
//   - the window system's request to close the window (WM_CLOSE) -> PostCloseRequest;
//     the window stays open, the game decides.
//   - a key going down or up (WM_KEYDOWN/UP, WM_SYSKEYDOWN/UP)    -> PostKey with the set-1
//     scan code: bits 16-23 of lParam, plus 0x80 when bit 24 (extended key) is set.
//     Auto-repeated downs may be posted again; they change nothing.
//   - keyboard focus lost (WM_KILLFOCUS, WM_ACTIVATEAPP false)    -> ReleaseAllKeys
// Positions are desktop pixels (client position plus the client origin on the desktop).
// The core numbers the event kinds as Win32 numbers its mouse messages (platform.h), so a
// backend needs no table for them; it needs one for scan codes only if its system does not
// report set-1 codes.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------- posting (core, called by
// the backend's pump)

// The pointer moved to (x, y) on the desktop. A move waiting at the end of the queue is
// replaced, so a run of motion arrives as its newest position.
void PostPointerMove(int32_t x, int32_t y);
// Button 1 (left), 2 (right) or 3 (middle) went down or up with the pointer at (x, y) on the
// desktop. The core tracks which buttons are held from these calls; other buttons (wheel,
// extra buttons) are ignored.
void PostButton(int32_t button, bool down, int32_t x, int32_t y);
// The shift and control keys as the system reports them now; the masks of later mouse
// events carry them. Post before the mouse event they belong to.
void PostModifiers(bool shift, bool control);
// The window system asked to close the window.
void PostCloseRequest();
// The key with this set-1 scan code (extended keys + 0x80) went down or up. A key that goes
// down and up between two keyboard snapshots still shows as down in the next one, once.
void PostKey(int32_t scanCode, bool down);
// The window lost the keyboard: every key counts as up from now on, and keys that went down
// since the last snapshot are forgotten (their releases will never be reported).
void ReleaseAllKeys();

// ---------------------------------------------------------------- the core's services to
// the backend

// Every PresentBackBuffer, once the frame is shown: a poll after a present never waits.
void NoteFramePresented();
// The desktop point of the last mouse event the game took; false when it has taken none.
// The window move anchors the motion it follows there.
bool LastTakenPoint(int32_t* x, int32_t* y);
// The held-button mask (MaskLeft, MaskRight, MaskMiddle) from the posted presses/releases.
int32_t HeldButtons();
// Ends the window system's move of the window (SendWindowMessage): queued events up to and
// including the left button's release are dropped (the move consumed them), the left button
// counts as up, and a pointer move to (x, y) with the new mask goes to the head of the
// queue, so the game's next poll sees the button up, as a window system reports it.
void FinishWindowMove(int32_t x, int32_t y);

// The connection to the window system broke for good, or another program destroyed the
// window: runs the program's handler (see SetDisplayLostHandler); the backend then reports
// it on stderr and ends with code 1. Also run when the session ends (Windows), where the
// system may end the process before the ordinary end: the handler saves first.
void RunDisplayLostHandler();

// ---------------------------------------------------------------- hooks (backend, called by
// the core)

// Hands every event the window system has pending to the Post calls above, without waiting;
// false when there is no window to read from yet (nothing was read).
bool BackendPumpEvents();
// Blocks until the window system has an event pending or ms milliseconds have passed,
// whichever is first; takes no event. Returns at once when there is no window.
void BackendWaitForEvent(int32_t ms);
// The clock is TickCountMs (platform.h), also provided by the backend.
