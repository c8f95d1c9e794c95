// The Windows platform's global state: the window, the frame pacing and the session end.
#pragma once

#include <windows.h>

#include <cstdint>

// ---------------------------------------------------------------- window

struct Win32WindowRecord {
    HWND window = nullptr;        // the one window, made hidden by OpenScreenSystem
    HDC dc = nullptr;             // its own device context (the class has CS_OWNDC)
    bool classRegistered = false; // the window class exists
    bool moving = false;          // inside the window system's move (SendWindowMessage)
    int32_t scale = 1;            // desktop pixels per game pixel, that of the window's monitor
    int32_t chosenScale = 0;      // the player's TESSAROC_SCALE (0: none), kept as it is
};
extern Win32WindowRecord Win32Window;

// ---------------------------------------------------------------- frame pacing

struct Win32PacingRecord {
    bool on = false;        // set by AttachBackBuffer
    HANDLE timer = nullptr; // waitable timer the present sleeps on (null: Sleep instead)
    bool coarse = false;    // the timer is not high-resolution: timeBeginPeriod(1) is in force
    int64_t frequency = 0;  // performance counter counts per second
    int64_t lastReturn = 0; // performance counter when the last present returned
};
extern Win32PacingRecord Win32Pacing;

// ---------------------------------------------------------------- session end

struct Win32SessionRecord {
    HANDLE ended = nullptr; // manual-reset event set by ClosePlatform (a console handler waits
                            // on it so the ordinary end can finish first); made with the handler
};
extern Win32SessionRecord Win32Session;

// ClosePlatform: clears the window's and the pacing's records (it destroyed the window
// first); the session's stays, as a console handler's thread may be waiting on its event.
void ResetWin32State();

// ---------------------------------------------------------------- shared inside the backend

// A monitor as the window places itself on it (win32_window.cpp).
struct Win32Display {
    RECT bounds;   // desktop pixels
    RECT work;     // the part left to windows (less the taskbar)
    int32_t scale; // the factor on it; 0 for a monitor the system no longer knows
    bool primary;  // the main display
};
// After the window system's move of the window, and when its monitor's density changed: the
// window takes the factor of the monitor it is on (client size in game pixels kept, top-left
// corner where it is), moved into its work area when it grew.
void FollowMonitor();
// The window procedure of the one window (win32_events.cpp).
LRESULT CALLBACK TessarocWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the back buffer in the window's client area: the changed rows (present) or, after
// the system lost the window's contents (WM_PAINT), all of them.
bool CopyBackBufferToWindow(HDC dc, bool whole);
// Installs the console control handler that requests the quit (once).
void InstallQuitHandler();
