// What a window-system backend gives the shared event core, and what the core gives it back.
//
// The core (platform/core/events.cpp) owns the event queue, motion coalescing, the held-button
// and modifier masks, the quick-tap gate, the key table with its latch, the poll pacing and
// the end of every frame (EndFrame: whether it is still and may sleep until the player acts);
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

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"

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
// A character came through the system's text input (an on-screen keyboard, an input method):
// kept for the name entry as Windows-1252 while it wants text, else dropped; U'\b' is
// Backspace and U'\r' Enter. Characters the code page cannot hold are left out.
void PostTypedCharacter(char32_t character);

// ---------------------------------------------------------------- the core's services to
// the backend

// Whether the name entry wants text now (WantTypedText): the backend offers its text input
// meanwhile (the browser's page focuses a text field, which opens a phone's keyboard).
bool TypedTextWanted();

// Every PresentBackBuffer, once the frame is shown (changed: it changed what the window
// shows, or the present cannot tell): the frame is over, and every press taken during it has
// been seen by a whole frame. A still frame (platform.h's PresentBackBuffer) then waits here,
// through BackendWaitForEvent, until the player acts or its wake time comes; true when it
// waited, and the present then starts its pacing anew instead of sleeping.
bool EndFrame(bool changed);
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
// Called by a backend whose program may be ended without a word from now on (a browser tab
// gone to the background): runs the program's handler for that (SetDisplayHiddenHandler).
void RunDisplayHiddenHandler();

// Whether events the backend posted wait in the queue, not yet taken by the game.
bool EventsWaiting();
// The quick-tap gate: on, the release of a taken press waits until the press has been seen
// by a whole frame (every real window); off, a release is taken at once (the scripted
// platform, unless a test asks for the gate).
void SetQuickTapGate(bool on);
// The backends' resets: empties the event queue, the key table and the frame's record.
void ResetEventState();
// A SIGINT or SIGTERM handler, or the end of a script: sets the flag QuitRequested reports.
// Only stores to a lock-free atomic, so it is safe inside a signal handler.
void RequestQuit();
// ClosePlatform: commits and closes every data file still open.
void CloseAllDataFiles();

// ---------------------------------------------------------------- the back buffer (core,
// read by the backend's present)

// AttachBackBuffer: allocates the back buffer (black) at width x height.
void CreateBackBuffer(int32_t width, int32_t height);
// The back buffer's pixels, 0x00RRGGBB, BackBufferSize (platform.h) columns a row, top row
// first, with the frame's drawing so far in them; null before one is attached.
const uint32_t* BackBufferPixels();

// ---------------------------------------------------------------- what the window shows
// (core, called by the backend's present)

// A run of changed rows: rows first to first + count - 1 of the client area.
struct RowRun {
    int32_t first = 0; // top row of the run
    int32_t count = 0; // rows in the run (>= 1)
};

// Called by a backend's present with the client-sized part it sends (the top-left width x
// height of the back buffer): compares it with the copy of what was sent last, brings the
// copy up to date and returns the runs of rows that differ, top to bottom. Everything is
// one run when nothing was sent yet, the size changed or the copy was forgotten; nothing
// when the frame equals the last one (the backend then sends nothing but still paces).
// Only the parts drawn on since the last present are compared; the others cannot differ.
// The returned runs stay valid until the next call.
const std::vector<RowRun>& TakeChangedRows(int32_t width, int32_t height);

// Called by a present that keeps what was sent itself (the scripted platform's screen), and
// by TakeChangedRows: brings shown, height rows of width pixels with a row every stride
// pixels, up to date with the back buffer (all of it when whole, else the parts drawn on
// since the last present, where they differ) and returns the runs of rows that changed. The
// runs stay valid until the next call.
const std::vector<RowRun>& UpdateShownRows(uint32_t* shown, size_t stride, int32_t width,
                                           int32_t height, bool whole);

// Called by a backend when the window system lost what the window showed (the window was
// exposed, resized or shown again): the next present sends the whole frame.
void ForgetWindowCopy();

// ---------------------------------------------------------------- texts and settings for
// the window system (core)

// A text as UTF-8 (window titles and boxes on Linux), with the characters SystemText kept;
// line breaks stay, other bytes without a picture are left out.
std::string TextToUtf8(const Text& text);
// A text as UTF-16 (the Windows calls; every character of the code page is one unit), with
// the characters SystemText kept; line breaks stay, other bytes without a picture are left
// out.
std::u16string TextToUtf16(const Text& text);

// Largest scale factor of a real window: desktop pixels per game pixel across and down.
constexpr int32_t MaxScaleFactor = 4;
// The player's choice of the scale factor (TESSAROC_SCALE), read the same way by every real
// window: a whole number 1 to MaxScaleFactor in plain digits, or 0 for anything else (null,
// signs, blanks and trailing characters included).
int32_t ParseScaleSetting(const char* text);
// OpenScreenSystem of a real-window backend: the value of TESSAROC_SCALE (null when unset).
// A set value that is no number from 1 to MaxScaleFactor is said on stderr (one line) and
// then left to ParseScaleSetting, which refuses it.
const char* ScaleSettingOfEnvironment();

// ---------------------------------------------------------------- the real window's size and
// place on the desktop (core, called by the backends; desktop pixels throughout)

// A rectangle of the desktop: a display's work area (the display less the panels and docks
// the desktop keeps for itself), or a window's outer rectangle.
struct DesktopArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The backends, for each display: the factor of a window on it. `asked` is the desktop's own
// factor (from its dots per inch); the answer is the largest factor from 1 up to `asked` at
// which the largest window the program opens (SetLargestWindowSize, game pixels) fits the
// display's work area. 1 when even that does not fit. The player's TESSAROC_SCALE is not passed
// here: it is taken as it is.
int32_t FittingScaleFactor(int32_t asked, const DesktopArea& workArea);

// The backends, when the window opens at a given place and when it grows: the work area
// the window belongs to among `areas`: the one it overlaps most, else the nearest one.
// Areas without width or height are left out (a window system may report one while its
// window manager is still setting up); null when no area is left.
const DesktopArea* WorkAreaOfWindow(const std::vector<DesktopArea>& areas,
                                    const DesktopArea& window);

// The window moved the least needed to lie inside the work area. Along an axis on which it
// is larger than the area its top-left corner goes to the area's edge, so the title bar and
// its buttons are what stays in reach.
DesktopArea FitWindowIntoArea(DesktopArea window, const DesktopArea& workArea);

// A display's rectangle of desktop pixels in the game's pixels at the display's own factor
// (DisplayBounds, and finding the display a window of the game's pixels belongs to).
DesktopArea InGamePixels(const DesktopArea& desktop, int32_t scale);

// ---------------------------------------------------------------- hooks (backend, called by
// the core)

// Hands every event the window system has pending to the Post calls above, without waiting;
// false when there is no window to read from yet (nothing was read).
bool BackendPumpEvents();
// Blocks until the window system has an event pending (or a quit is requested) or ms
// milliseconds have passed, whichever is first, WaitForever for no time limit; takes no event.
// An event that came before the call ends it at once. Returns at once when there is no window.
constexpr int32_t WaitForever = -1;
void BackendWaitForEvent(int32_t ms);
// The clock is TickCountMs (platform.h), also provided by the backend.
// TellPlayer, the first time for a title: shows the text in a message box with the title on
// the game's display (above the window when there is one) and returns when the player has
// closed it. Windows-1252 texts.
void BackendShowMessage(const Text& title, const Text& text);
