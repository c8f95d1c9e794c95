// The real platform's global state: SDL window, X11 connection, event queue, pacing, keys.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <ctime>
#include <deque>
#include <vector>

// ---------------------------------------------------------------- window

struct SdlWindowRecord {
    SDL_Window* window = nullptr; // the one window, made hidden by OpenScreenSystem
    bool videoReady = false;      // SDL's video subsystem is initialised
    void* xDisplay = nullptr;     // X11 Display* of SDL's connection (null off X11)
    unsigned long xWindow = 0;    // X11 window id of the window (0 off X11)
    int32_t scale = 1;            // desktop pixels per game pixel, chosen by OpenScreenSystem
    std::vector<uint32_t> scaled; // the back buffer enlarged by scale, made by the present
};
extern SdlWindowRecord SdlWindow;

// ---------------------------------------------------------------- event queue

struct SdlQueuedEvent {
    int32_t kind = 0;      // Event* kind of platform.h
    int32_t param = 0;     // held-button mask for mouse kinds, 0 for the close request
    bool hasPoint = false; // a mouse event: x and y below hold the pointer
    int32_t x = 0;         // desktop position of the pointer at the event
    int32_t y = 0;
};

// Events wait here between the pump (which empties SDL's own queue) and PollWindowEvent.
constexpr size_t SdlQueueLimit = 4096;
struct SdlQueueRecord {
    std::deque<SdlQueuedEvent> events; // oldest first; pointer motion runs coalesced
    SdlQueuedEvent last;       // the last removed event (LastEventParam; its point anchors a move)
    int32_t buttons = 0;       // held buttons from tracked presses: MaskLeft/Right/Middle
    int32_t modifiers = 0;     // MaskShift and MaskControl as of the last key event
    bool originKnown = false;  // originX/Y hold the client origin for the batch being pumped
    int32_t originX = 0;       // desktop position of the client origin (asked once per batch,
    int32_t originY = 0;       // as X reports pointer positions relative to the window)
    int32_t pressTick[3] = {}; // TickCountMs when the last left, right, middle press was taken
};
extern SdlQueueRecord SdlQueue;

// Shortest time a taken press stays visible before its release may be taken (see
// PollWindowEvent): longer than one frame and the end screen's pause together.
constexpr int32_t SdlMinPressMs = 50;

// ---------------------------------------------------------------- frame pacing

struct SdlPacingRecord {
    bool on = false;       // set by AttachBackBuffer
    timespec lastReturn{}; // CLOCK_MONOTONIC time at which the last present returned
};
extern SdlPacingRecord SdlPacing;

// ---------------------------------------------------------------- keyboard

struct SdlKeyboardRecord {
    bool opened = false; // OpenKeyboardDevice has run
    bool keys[256] = {}; // last snapshot by set-1 scan code (extended keys + 0x80)
};
extern SdlKeyboardRecord SdlKeyboard;

// Clears the records (does not close SDL; ClosePlatform does).
void ResetSdlState();

// ---------------------------------------------------------------- shared inside the backend

// Moves SDL's pending events into SdlQueue (mouse and close kinds only); takes none off it.
void PumpIntoQueue();
// Installs the SIGINT/SIGTERM handlers that request the quit.
void InstallQuitSignals();
// The scale factor for this run (sdl_scale.cpp); needs the display open.
int32_t DesktopScaleFactor();
// a / b rounded toward minus infinity, for b > 0.
int32_t FloorDivide(int32_t a, int32_t b);
// Top-left corner of the window's client area in desktop pixels (not divided by the scale).
void PhysicalWindowPosition(int32_t* left, int32_t* top);
