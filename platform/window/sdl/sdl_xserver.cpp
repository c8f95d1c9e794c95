// The real window's questions to the X server: where the pointer and the client origin are,
// whether the server sent something, and the wait for it. Each answer is kept until the
// server may have changed it.
#include <SDL.h>
#include <X11/Xlib.h>
#include <poll.h>

#include "backend.h"
#include "sdl_state.h"

// Longest time an answer of the X server about the pointer is kept while the server sends
// nothing (the pointer's motion over the window, entering or leaving it, a press or a move
// of the window all send something and end it at once).
constexpr int32_t PointerRefreshMs = 100;

// How long a finding that the X server sent nothing holds while nothing read the connection
// since: a frame polls two or three times within a fraction of a millisecond, and each
// question costs the kernel several calls.
constexpr int64_t QuietHoldsNs = 500000;

// Whether the last question found the X server silent, less than QuietHoldsNs ago, with
// nothing read from the connection since (which could have left events in Xlib's buffers).
static bool KnownQuiet() {
    return SdlInput.serverQuiet && MonotonicNs() - SdlInput.quietSinceNs < QuietHoldsNs;
}

void NoteConnectionRead() {
    SdlInput.serverQuiet = false;
}

// Whether the X server has sent something not read yet (sending what waits in the output
// buffer first); true off X11, where there is no cheaper way to know than to pump.
bool ServerHasSent() {
    if (!SdlWindow.xDisplay) return true;
    if (KnownQuiet()) return false;
    const bool sent = XPending(static_cast<Display*>(SdlWindow.xDisplay)) > 0;
    SdlInput.serverQuiet = !sent;
    SdlInput.quietSinceNs = MonotonicNs();
    return sent;
}

void WaitForWindowSystem(int32_t ms) {
    if (!SdlWindow.xDisplay) {
        SDL_WaitEventTimeout(nullptr, ms);
        return;
    }
    Display* d = static_cast<Display*>(SdlWindow.xDisplay);
    if (!KnownQuiet() && XPending(d) > 0) return;
    pollfd connection{ConnectionNumber(d), POLLIN, 0};
    // A signal ends the wait early, as it should. A wait that ran out read nothing and found
    // the server silent, which the polls right after it need not ask again.
    if (poll(&connection, 1, ms) == 0) {
        SdlInput.serverQuiet = true;
        SdlInput.quietSinceNs = MonotonicNs();
    } else {
        NoteConnectionRead();
    }
}

void ForgetServerAnswers() {
    SdlInput.pointerKnown = false;
    SdlInput.originKnown = false;
    NoteConnectionRead();
}

// Asks the X server where the pointer is, whether the left button is down and where the
// client origin is, all in one round trip; false when it cannot say (not on X11, or the
// pointer is on another screen of the display).
static bool AskServer() {
    if (!SdlWindow.xDisplay || !SdlWindow.xWindow) return false;
    Display* d = static_cast<Display*>(SdlWindow.xDisplay);
    ::Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    const bool answered =
        XQueryPointer(d, SdlWindow.xWindow, &root, &child, &rx, &ry, &wx, &wy, &mask);
    NoteConnectionRead();
    if (!answered) return false;
    SdlInput.pointerKnown = true;
    SdlInput.pointerTick = TickCountMs();
    SdlInput.pointerX = rx;
    SdlInput.pointerY = ry;
    SdlInput.leftHeld = (mask & Button1Mask) != 0;
    SdlInput.originKnown = true;
    SdlInput.originX = rx - wx;
    SdlInput.originY = ry - wy;
    return true;
}

// The client origin when the server did not answer AskServer: the X server's own
// translation on X11 (it knows what a window manager did), else SDL's record.
static void AskOriginAlone(int32_t* left, int32_t* top) {
    int x = 0, y = 0;
    ::Window child = 0;
    Display* d = static_cast<Display*>(SdlWindow.xDisplay);
    NoteConnectionRead();
    if (!d ||
        !XTranslateCoordinates(d, SdlWindow.xWindow, DefaultRootWindow(d), 0, 0, &x, &y, &child))
        SDL_GetWindowPosition(SdlWindow.window, &x, &y);
    *left = x;
    *top = y;
}

void PhysicalWindowPosition(int32_t* left, int32_t* top) {
    *left = 0;
    *top = 0;
    if (!SdlWindow.window) return;
    if (!SdlInput.originKnown && !AskServer()) {
        AskOriginAlone(&SdlInput.originX, &SdlInput.originY);
        SdlInput.originKnown = true;
    }
    *left = SdlInput.originX;
    *top = SdlInput.originY;
}

// The pointer's position in desktop pixels and whether the left button is down, as the X
// server answered since it last sent something, at most PointerRefreshMs ago (SDL's own
// record would lag behind a warped pointer).
bool QueryPointer(int32_t* x, int32_t* y) {
    const bool fresh = SdlInput.pointerKnown &&
                       uint32_t(TickCountMs() - SdlInput.pointerTick) < uint32_t(PointerRefreshMs);
    if (!fresh && !AskServer()) {
        int gx = 0, gy = 0;
        const uint32_t buttons = SdlWindow.videoReady ? SDL_GetGlobalMouseState(&gx, &gy) : 0;
        *x = gx;
        *y = gy;
        return (buttons & SDL_BUTTON_LMASK) != 0;
    }
    *x = SdlInput.pointerX;
    *y = SdlInput.pointerY;
    return SdlInput.leftHeld;
}
