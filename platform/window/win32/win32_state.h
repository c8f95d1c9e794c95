// The Windows platform's global state: the window and its frame pacing.
#pragma once

#include <windows.h>

#include <cstdint>

struct Win32WindowRecord {
    HWND window = nullptr;        // the one window, made hidden by OpenScreenSystem
    HDC dc = nullptr;             // its own device context (the class has CS_OWNDC)
    bool classRegistered = false; // the window class exists
    bool moving = false;          // inside the window system's move (SendWindowMessage)
    int32_t scale = 1;            // desktop pixels per game pixel, that of the window's monitor
    int32_t chosenScale = 0;      // the player's TESSAROC_SCALE (0: none), kept as it is
    HANDLE timer = nullptr;       // waitable timer the present sleeps on (null: Sleep instead)
    bool coarseTimer = false;     // not high-resolution: timeBeginPeriod(1) is in force
    int64_t frequency = 0;        // performance counter counts per second (0: not yet paced)
    int64_t lastReturn = 0;       // performance counter when the last present returned
};
extern Win32WindowRecord Win32Window;

// ---------------------------------------------------------------- shared inside the backend

// After the window system's move of the window, and when its monitor's density changed: the
// window takes the factor of the monitor it is on (client size in game pixels kept, top-left
// corner where it is), moved into its work area when it grew.
void FollowMonitor();
// The window procedure of the one window (win32_events.cpp).
LRESULT CALLBACK TessarocWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the back buffer in the window's client area: the changed rows (present) or, after
// the system lost the window's contents (WM_PAINT), all of them.
bool CopyBackBufferToWindow(HDC dc, bool whole);
