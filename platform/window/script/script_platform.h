// The scripted test platform: a timeline of input events on a fake clock, readable pixels.
//
// Tests build a script before running code that polls input: each event is released into
// the event queue when the fake clock reaches its time. PresentBackBuffer advances the
// clock by one frame (ScriptFrameMs) and SleepMs by its argument, without real waiting.
// When the clock passes the script's end time, QuitRequested() turns nonzero, so a whole
// program run ends through its ordinary end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform.h"

// Desktop and frame facts of the fake machine.
constexpr int32_t ScriptDesktopWidth = 1280;
constexpr int32_t ScriptDesktopHeight = 1024;
constexpr int32_t ScriptFrameMs = 16; // fake time one PresentBackBuffer takes (about 1/61 s)
// Poll waits in a row after which a loop counts as waiting on the clock without presenting:
// the fake clock then skips to the next scripted event.
constexpr int32_t ScriptIdleWaitLimit = 63;

// Clears the script, the core's event queue and key table, the window and the cursor; clock
// to 0. The rest of the platform core (back buffer, quit flag) is cleared by
// ResetPlatformState, not here. Releases are taken as soon as they are due: the quick-tap
// gate of the real window is off until ScriptUseTapGate turns it on.
void ScriptReset();
// Makes a release wait, as on the real window, until its press was taken MinPressMs ago.
void ScriptUseTapGate(bool on);

// ---------------------------------------------------------------- the fake clock

uint32_t ScriptClock();
void ScriptSetClock(uint32_t ms);

// ---------------------------------------------------------------- the timeline
// Times are absolute fake milliseconds; positions are desktop pixels.

void ScriptMouseMove(uint32_t atMs, int32_t x, int32_t y);
// button: 1 left, 2 right, 3 middle.
void ScriptMouseDown(uint32_t atMs, int32_t button);
void ScriptMouseUp(uint32_t atMs, int32_t button);
// scanCode: set-1 code (extended + 0x80). Shift (0x2A, 0x36) and Control (0x1D, 0x9D) also
// set the modifier bits of later mouse events' masks.
void ScriptKeyDown(uint32_t atMs, int32_t scanCode);
void ScriptKeyUp(uint32_t atMs, int32_t scanCode);
// The window system's close request (has no effect on the game).
void ScriptCloseRequest(uint32_t atMs);
// From this time on QuitRequested() answers 1 (as SIGTERM would make it).
void ScriptEndAt(uint32_t atMs);

// Convenience: move to (x, y) at atMs, press at atMs + 1, release at atMs + 1 + holdMs.
// Returns the time of the release.
uint32_t ScriptClick(uint32_t atMs, int32_t x, int32_t y, int32_t button = 1,
                     uint32_t holdMs = 100);
// Same with window-relative coordinates (the window's current desktop position is added).
uint32_t ScriptClickWindow(uint32_t atMs, int32_t x, int32_t y, int32_t button = 1,
                           uint32_t holdMs = 100);
// Press a key at atMs and release it holdMs later; returns the release time.
uint32_t ScriptTap(uint32_t atMs, int32_t scanCode, uint32_t holdMs = 100);

// Makes OpenScreenSystem, CreateMainWindow or OpenKeyboardDevice report failure (until
// ScriptReset), for tests of the start-up's failure paths. As on the real platform, where
// OpenScreenSystem already makes the (hidden) window, a window failure also makes
// OpenScreenSystem fail.
void ScriptFailSetUp(bool screen, bool window, bool keyboard);

// ---------------------------------------------------------------- what the program did

struct ScriptWindowInfo {
    bool created = false;
    int32_t x = 0, y = 0;          // desktop position of the client origin
    int32_t width = 0, height = 0; // client size
    int32_t style = 0;
    Text title;
    bool visible = false; // shown (not created with StyleInvisible)
    bool closed = false;  // ClosePlatform has run
};
const ScriptWindowInfo& ScriptWindow();
// Number of PresentBackBuffer calls since ScriptReset. A present that finds its frame still
// (the core counts them, FrameMotion.stillWaits) moves the fake clock on by a frame all the
// same, where a real window would sleep until the player acts, so a script's timeline means
// the same frames whether the screen is still or not.
int64_t ScriptPresentCount();
// Number of times since ScriptReset that a poll waited for the next event (an empty poll
// after IdleFreePolls empty polls with no present or taken event between them), and the
// milliseconds they asked for.
// The fake clock does not move during these waits.
int64_t ScriptPollWaits();
int64_t ScriptPollWaitMs();
// Called after every present with the count, before the clock advances (for frame captures).
void ScriptOnPresent(std::function<void(int64_t presentCount)> hook);
// The message boxes TellPlayer showed since ScriptReset, in order; each counts as closed by
// the player at once (the fake clock does not move).
struct ScriptMessage {
    Text title; // as the box's title bar shows it ("Tessaroc: ...")
    Text text;
};
const std::vector<ScriptMessage>& ScriptMessages();

// ---------------------------------------------------------------- pixels

// Colour of a back-buffer pixel as MakeColour gives it (red in the low byte); -1 outside.
int32_t ScriptPixel(int32_t x, int32_t y);
// Colour of a pixel as last presented in the window (client coordinates); -1 outside.
int32_t ScriptShownPixel(int32_t x, int32_t y);
// Saves the client area as last presented as a PNG.
bool ScriptSaveFrame(const std::string& path);
