// The real window's events: what SDL reports, posted to the shared core; the cursor; the drag.
#include <SDL.h>
#include <X11/Xlib.h>
#include <poll.h>

#include "backend.h"
#include "platform_state.h"
#include "sdl_platform.h"
#include "sdl_state.h"

// A desktop pixel in the game's pixels, counted from the window's client origin (desktop
// pixels) so that a point inside the window lands on the game pixel drawn there, whatever
// the origin's remainder by the scale.
static int32_t GameCoordinate(int32_t desktop, int32_t origin) {
    const int32_t scale = SdlWindow.scale;
    return FloorDivide(origin, scale) + FloorDivide(desktop - origin, scale);
}

// The desktop point, in the game's pixels, of a window-relative pointer position in desktop
// pixels: X reports pointer positions relative to the window.
static void DesktopPoint(int32_t windowX, int32_t windowY, int32_t* x, int32_t* y) {
    int32_t originX = 0, originY = 0;
    PhysicalWindowPosition(&originX, &originY);
    *x = GameCoordinate(originX + windowX, originX);
    *y = GameCoordinate(originY + windowY, originY);
}

// Our button number of an SDL button; 0 for buttons the game does not read.
static int32_t ButtonNumber(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 3;
    default:
        return 0;
    }
}

static void PostKeyModifiers(uint16_t mod) {
    PostModifiers((mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0);
}

// Posts one SDL event to the core: pointer moves, presses and releases, keys (which also
// update the modifier bits), the close request, and the loss of the keyboard focus.
static void Translate(const SDL_Event& ev) {
    int32_t x = 0, y = 0;
    switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        PostKeyModifiers(ev.key.keysym.mod);
        PostKey(SdlSet1ScanCode(ev.key.keysym.scancode), ev.type == SDL_KEYDOWN);
        break;
    case SDL_MOUSEMOTION:
        DesktopPoint(ev.motion.x, ev.motion.y, &x, &y);
        PostPointerMove(x, y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        DesktopPoint(ev.button.x, ev.button.y, &x, &y);
        PostButton(ButtonNumber(ev.button.button), ev.type == SDL_MOUSEBUTTONDOWN, x, y);
        break;
    case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) PostCloseRequest();
        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) ReleaseAllKeys();
        // The window system lost what the window showed, or the window has a new size (SDL's
        // new surface may lie where the old one was): the next present sends it all.
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED ||
            ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            ForgetShownFrame();
        // Moved by the window manager (an Alt+drag takes the pointer's motion): the pointer
        // is somewhere new relative to the window, so the hit tests take it from now on.
        if (ev.window.event == SDL_WINDOWEVENT_MOVED) {
            CursorScreenPosition(&x, &y);
            PostPointerMove(x, y);
        }
        break;
    case SDL_QUIT:
        PostCloseRequest();
        break;
    default:
        break;
    }
}

// Longest time between two calls of SDL_PumpEvents while the X server sends nothing: SDL
// keeps some state of its own up to date there.
constexpr int32_t SdlPumpRefreshMs = 250;
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
static bool ServerHasSent() {
    if (!SdlWindow.xDisplay) return true;
    if (KnownQuiet()) return false;
    const bool sent = XPending(static_cast<Display*>(SdlWindow.xDisplay)) > 0;
    SdlInput.serverQuiet = !sent;
    SdlInput.quietSinceNs = MonotonicNs();
    return sent;
}

// The core, at every poll and keyboard snapshot: hands SDL's pending events to the core.
// SDL's pump does much work per call, so it runs only when the X server has sent something
// or SdlPumpRefreshMs have passed; events SDL queued itself are taken in any case. What the
// server sent may have moved the pointer or the window: the server is asked again.
bool BackendPumpEvents() {
    if (!SdlWindow.videoReady || !SdlWindow.window) return false;
    const int32_t now = TickCountMs();
    if (uint32_t(now - SdlInput.lastSdlPump) >= uint32_t(SdlPumpRefreshMs) || ServerHasSent()) {
        SDL_PumpEvents();
        SdlInput.lastSdlPump = now;
        ForgetServerAnswers();
    }
    SDL_Event events[64];
    int n = 0;
    while ((n = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        ForgetServerAnswers();
        for (int i = 0; i < n; i++)
            Translate(events[i]);
    }
    return true;
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

// The core, at an empty poll after a run of them (see PollWindowEvent): sleeps until the X
// server sends something or ms pass.
void BackendWaitForEvent(int32_t ms) {
    if (!SdlWindow.videoReady || !SdlWindow.window) return;
    WaitForWindowSystem(ms);
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
static bool QueryPointer(int32_t* x, int32_t* y) {
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

// The pointer in the game's pixels, counted from where the window is now.
void CursorScreenPosition(int32_t* x, int32_t* y) {
    int32_t px = 0, py = 0, originX = 0, originY = 0;
    QueryPointer(&px, &py);
    PhysicalWindowPosition(&originX, &originY);
    *x = GameCoordinate(px, originX);
    *y = GameCoordinate(py, originY);
}

// DragQuibWindow: while the left button is held the window follows the pointer's motion
// since the last event the game took (the press, or a move after it; the pointer at the call
// when that event had no point), looked at whenever the X server sends something (the
// pointer's motion, the release) and at least about once a frame; nothing is presented
// meanwhile. The motion is counted in the game's pixels, so the window moves in whole game
// pixels and keeps the client origin's remainder by the scale. Returns when the button goes
// up (at once when it already is) or a quit is requested.
void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2) {
    (void)window, (void)param2;
    if (message != MessageNcLeftDown || param1 != HitCaption || !SdlWindow.window) return;
    constexpr int32_t DragStepMs = 16;
    const int32_t scale = SdlWindow.scale;
    int32_t startX = 0, startY = 0, px = 0, py = 0;
    ForgetServerAnswers();
    PhysicalWindowPosition(&startX, &startY);
    bool held = QueryPointer(&px, &py);
    int32_t anchorX = GameCoordinate(px, startX), anchorY = GameCoordinate(py, startY);
    LastTakenPoint(&anchorX, &anchorY);
    int32_t placedX = startX, placedY = startY;
    while (held && !QuitRequested()) {
        WaitForWindowSystem(DragStepMs);
        BackendPumpEvents();
        ForgetServerAnswers();
        held = QueryPointer(&px, &py);
        const int32_t tx = startX + (GameCoordinate(px, startX) - anchorX) * scale;
        const int32_t ty = startY + (GameCoordinate(py, startY) - anchorY) * scale;
        if (tx != placedX || ty != placedY) {
            SDL_SetWindowPosition(SdlWindow.window, tx, ty);
            placedX = tx;
            placedY = ty;
        }
    }
    BackendPumpEvents();
    ForgetServerAnswers();
    CursorScreenPosition(&px, &py);
    FinishWindowMove(px, py);
}
