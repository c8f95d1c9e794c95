// The real window's questions to the X server: where the pointer and the client origin are,
// whether the server sent something, and the wait for it. The answer about the pointer and the
// origin is kept until the server may have changed it.
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

bool ServerHasSent() {
    Display* d = SdlWindow.xDisplay;
    return !d || XPending(d) > 0;
}

// The core, at an empty poll after a run of them (see PollWindowEvent), and the title-bar
// drag: sleeps until the X server has sent something (or the window system has an event) or
// ms pass; reads nothing. Sends what waits in the output buffer first.
void BackendWaitForEvent(int32_t ms) {
    Display* d = SdlWindow.xDisplay;
    if (!d) {
        if (SdlWindow.window) SDL_WaitEventTimeout(nullptr, ms);
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
    SdlInput.answerKnown = false;
}

// Asks the X server where the pointer is, whether the left button is down and where the
// client origin is, all in one round trip; false when it cannot say (not on X11, or the
// pointer is on another screen of the display).
static bool AskServer() {
    Display* d = SdlWindow.xDisplay;
    ::Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    if (!d || !XQueryPointer(d, SdlWindow.xWindow, &root, &child, &rx, &ry, &wx, &wy, &mask))
        return false;
    SdlInput.answerKnown = true;
    SdlInput.answerTick = TickCountMs();
    SdlInput.pointerX = rx;
    SdlInput.pointerY = ry;
    SdlInput.leftHeld = (mask & Button1Mask) != 0;
    SdlInput.originX = rx - wx;
    SdlInput.originY = ry - wy;
    return true;
}

// Whether the last answer still holds. While the pointer is over the window (SDL's mouse
// focus, as the X server last said by entering and leaving it) every motion and button of
// the pointer there is sent to the window and ends the answer; while another program holds
// the pointer grabbed the window keeps the focus but hears nothing, and no input reaches it
// either (the grab's end is sent).
static bool AnswerHolds() {
    return SdlInput.answerKnown &&
           (SDL_GetMouseFocus() == SdlWindow.window ||
            uint32_t(TickCountMs() - SdlInput.answerTick) < uint32_t(PointerRefreshMs));
}

void PhysicalWindowPosition(int32_t* left, int32_t* top) {
    *left = 0;
    *top = 0;
    if (!SdlWindow.window) return;
    if (AnswerHolds() || AskServer()) {
        *left = SdlInput.originX;
        *top = SdlInput.originY;
        return;
    }
    // The X server's own translation on X11 (it knows what a window manager did), else SDL's
    // record.
    Display* d = SdlWindow.xDisplay;
    ::Window child = 0;
    if (!d ||
        !XTranslateCoordinates(d, SdlWindow.xWindow, DefaultRootWindow(d), 0, 0, left, top, &child))
        SDL_GetWindowPosition(SdlWindow.window, left, top);
}

bool QueryPointer(int32_t* x, int32_t* y) {
    if (!AnswerHolds() && !AskServer()) {
        int gx = 0, gy = 0;
        const uint32_t buttons = SdlWindow.window ? SDL_GetGlobalMouseState(&gx, &gy) : 0;
        *x = gx;
        *y = gy;
        return (buttons & SDL_BUTTON_LMASK) != 0;
    }
    *x = SdlInput.pointerX;
    *y = SdlInput.pointerY;
    return SdlInput.leftHeld;
}
