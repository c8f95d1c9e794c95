// The real window's questions to the X server: where the pointer and the client origin are,
// whether the server sent something, the wait for it, and the displays' work areas. Each
// answer about the pointer and the origin is kept until the server may have changed it.
#include <SDL.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include "backend.h"
#include "sdl_state.h"

// Longest time an answer of the X server about the pointer is kept while the server sends
// nothing and the pointer is not over the window (the pointer's motion over the window,
// entering or leaving it, a press or a move of the window all send something and end it at
// once).
constexpr int32_t PointerRefreshMs = 100;

static Display* XDisplayOfWindow() {
    return static_cast<Display*>(SdlWindow.xDisplay);
}

// Whether the X server has sent something not read yet (sending what waits in the output
// buffer first); true off X11, where there is no cheaper way to know than to pump.
bool ServerHasSent() {
    Display* d = XDisplayOfWindow();
    return !d || XPending(d) > 0;
}

void WaitForWindowSystem(int32_t ms) {
    Display* d = XDisplayOfWindow();
    if (!d) {
        SDL_WaitEventTimeout(nullptr, ms);
        return;
    }
    if (XPending(d) > 0) return;
    // Bytes of signals that were already seen go first; a signal after the look at the quit
    // flag leaves a new one, which ends the wait.
    char seen[16];
    while (QuitSignalFd() >= 0 && read(QuitSignalFd(), seen, sizeof seen) > 0)
        continue;
    if (QuitRequested() != 0) return;
    // A quit signal ends the wait through its pipe, also one that came just before it.
    pollfd watched[2] = {{ConnectionNumber(d), POLLIN, 0}, {QuitSignalFd(), POLLIN, 0}};
    poll(watched, watched[1].fd >= 0 ? 2 : 1, ms);
}

void ForgetServerAnswers() {
    SdlInput.pointerKnown = false;
    SdlInput.originKnown = false;
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

// Whether the pointer is over the window, as the X server last said by entering and leaving
// it (SDL's mouse focus): every motion and button of the pointer there is sent to the window.
// While another program holds the pointer grabbed the window keeps the focus but hears
// nothing, and no input reaches it either; the grab's end is sent.
static bool PointerOverWindow() {
    return SdlWindow.window && SDL_GetMouseFocus() == SdlWindow.window;
}

static bool PointerAnswerHolds() {
    if (!SdlInput.pointerKnown) return false;
    return PointerOverWindow() ||
           uint32_t(TickCountMs() - SdlInput.pointerTick) < uint32_t(PointerRefreshMs);
}

// The pointer's position in desktop pixels and whether the left button is down, as the X
// server answered since it last sent something: while the pointer is over the window that
// answer stands, elsewhere it is at most PointerRefreshMs old (SDL's own record would lag
// behind a warped pointer).
bool QueryPointer(int32_t* x, int32_t* y) {
    if (!PointerAnswerHolds() && !AskServer()) {
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

// OpenScreenSystem (through DesktopScaleFactor) and the window's placement when it opens or
// grows: the work areas as the window manager announces them now (SDL reads _NET_WORKAREA).
std::vector<DesktopArea> DisplayWorkAreas() {
    std::vector<DesktopArea> areas;
    const int count = SdlWindow.videoReady ? SDL_GetNumVideoDisplays() : 0;
    for (int i = 0; i < count; i++) {
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(i, &r) == 0 && r.w > 0 && r.h > 0)
            areas.push_back(DesktopArea{r.x, r.y, r.w, r.h});
    }
    return areas;
}
