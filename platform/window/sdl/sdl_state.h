// The real platform's global state: SDL window, X11 connection, input batch, pacing.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "backend.h"

// ---------------------------------------------------------------- window

struct SdlSharedImage;            // the present's own shared-memory image (sdl_xshm.cpp)
typedef struct _XDisplay Display; // as Xlib names it, without Xlib's macros here

struct SdlWindowRecord {
    SDL_Window* window = nullptr;     // the one window, made hidden by OpenScreenSystem (SDL's
                                      // video is open while there is one)
    Display* xDisplay = nullptr;      // X11 connection of SDL's (null off X11)
    unsigned long xWindow = 0;        // X11 window id of the window (0 off X11)
    SDL_Surface* surface = nullptr;   // the window surface the last present drew into
    int32_t scale = 1;                // desktop pixels per game pixel, that of the display the
                                      // window is on (FollowDisplay)
    int32_t askedScale = 1;           // the factor TESSAROC_SCALE or the desktop asks for
    bool scaleChosen = false;         // askedScale is the player's TESSAROC_SCALE, kept as it is
    bool dragging = false;            // the title-bar drag runs: the scale stays as it is
    std::vector<uint32_t> scaled;     // rows of the back buffer enlarged by scale, for a present
    SdlSharedImage* shared = nullptr; // the image presents send on X11, null when none yet
    bool sharingAllowed = true;       // false once the X server refused a shared image (or a
                                      // test switched it off): presents use SDL's surface
    bool paced = false;               // presents pace the frames (set by AttachBackBuffer)
    int64_t presentReturn = 0;        // MonotonicNs at which the last present returned
};
extern SdlWindowRecord SdlWindow;

// ---------------------------------------------------------------- input

struct SdlInputRecord {
    int32_t lastSdlPump = 0;  // TickCountMs of the last SDL_PumpEvents
    bool answerKnown = false; // the fields below hold an answer of the X server
    int32_t answerTick = 0;   // TickCountMs of that answer
    int32_t pointerX = 0;     // the pointer's desktop column, desktop pixels
    int32_t pointerY = 0;     // the pointer's desktop row, desktop pixels
    bool leftHeld = false;    // button 1 was down when the server answered
    int32_t originX = 0;      // desktop column of the client origin (X reports pointer
                              // positions relative to the window)
    int32_t originY = 0;      // desktop row of the client origin
};
extern SdlInputRecord SdlInput;

// Clears the records (does not close SDL; ClosePlatform does).
void ResetSdlState();

// ---------------------------------------------------------------- shared inside the backend
//
// The files call one way: sdl_window and sdl_events call sdl_displays, sdl_xserver, sdl_xshm,
// sdl_keyboard and sdl_clock; sdl_displays calls sdl_xserver; sdl_xserver and sdl_keyboard
// call sdl_clock; none calls back.

// sdl_clock.cpp: installs the SIGINT/SIGTERM/SIGHUP handlers that request the quit.
void InstallQuitSignals();
// sdl_clock.cpp: a descriptor that turns readable once a quit signal came (-1 when none could
// be made), for the waits on the X server.
int QuitSignalFd();
// sdl_clock.cpp: the monotonic clock now in nanoseconds (TickCountMs counts on it too), and a
// sleep until an absolute time of that clock (resuming after signals).
int64_t MonotonicNs();
void SleepUntilNs(int64_t deadline);

// sdl_xserver.cpp, the questions to the X server:
// Top-left corner of the window's client area in desktop pixels (not divided by the scale),
// from the same answer of the X server as QueryPointer's.
void PhysicalWindowPosition(int32_t* left, int32_t* top);
// The pointer and the client origin are asked of the X server only when it may have changed:
// whenever the server sent something, SDL queued an event, or the program moved or resized
// the window, this is called, so the next question asks the server again.
void ForgetServerAnswers();
// Whether the X server has sent something not read yet (sending what waits in the output
// buffer first); true off X11, where there is no cheaper way to know than to pump.
bool ServerHasSent();
// The pointer's position in desktop pixels and whether the left button is down, as the X
// server answered since it last sent something: while the pointer is over the window that
// answer stands, elsewhere it is at most PointerRefreshMs old (SDL's own record would lag
// behind a warped pointer).
bool QueryPointer(int32_t* x, int32_t* y);

// sdl_displays.cpp, the displays as the window system tells them now:
// OpenScreenSystem, once the window is made: reads the factor asked for (the player's
// TESSAROC_SCALE, else the desktop's) into askedScale and scaleChosen, gives the window the
// first display's factor until it is placed, and asks the X server to tell when the screen
// changes size or the window manager announces new work areas; SDL hands these on as its
// window-system events.
void OpenDisplays();
struct SdlDisplay {
    DesktopArea bounds; // the display's rectangle, desktop pixels
    DesktopArea work;   // the part of it the window manager leaves to windows
    int32_t scale;      // the factor on it (its work area's for the largest window)
};
// Every display, the first first: on X11 the RandR monitors that show something, else the X
// screen as a whole (all outputs switched off, or no RandR), each less the work area the
// window manager announces; off X11 SDL's displays. Empty before the video is open.
std::vector<SdlDisplay> CurrentDisplays();
// The display a window belongs to (the one it overlaps most, else the nearest): a window of
// desktop pixels by the displays' work areas, or with inGamePixels a window of the game's
// pixels by each display's rectangle counted in the game's pixels at its own factor; null
// without displays.
const SdlDisplay* DisplayOfWindow(const std::vector<SdlDisplay>& displays,
                                  const DesktopArea& window, bool inGamePixels);
// sdl_events, for one of SDL's window-system events: whether it says so.
bool IsDesktopChange(const SDL_SysWMmsg* message);
// After the window moved, and with fitWhole after the screen or the work areas changed: the
// window takes the factor of the display it is on (client size in game pixels kept, top-left
// corner where it is), and moves the least needed into that display's work area when its
// size changed or fitWhole is set. Nothing happens during the title-bar drag.
void FollowDisplay(bool fitWhole);

// sdl_xshm.cpp:
// The target of the presents on X11: an image of the window's size in memory shared
// with the X server, made on first use and again when the size changed (the shown frame is
// then forgotten); null where the server cannot share one, and presents use SDL's window
// surface.
SDL_Surface* SharedFrameSurface();
// Sends rectangles of the shared image to the window, at the same place, without waiting for
// the server.
void SendSharedRects(const SDL_Rect* rects, int count);
// Called by the present before it returns: waits, if need be, until the X server has read
// the last send, so that the next frame may draw into the image.
void FinishSharedSend();
// Frees the shared image (ClosePlatform, a size change).
void DropSharedFrame();
