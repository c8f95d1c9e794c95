// The real window's events: what SDL reports, posted to the shared core; the cursor; the drag.
#include <SDL.h>

#include "backend.h"
#include "sdl_platform.h"
#include "sdl_state.h"
#include "whole_numbers.h"

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

// Our button number of an SDL button (left 1, right 2, middle 3); 0 for buttons the game
// does not read.
static int32_t ButtonNumber(uint8_t button) {
    static_assert(SDL_BUTTON_LEFT == 1 && SDL_BUTTON_MIDDLE == 2 && SDL_BUTTON_RIGHT == 3);
    constexpr int32_t Ours[] = {0, 1, 3, 2};
    return button < 4 ? Ours[button] : 0;
}

// Posts one SDL event to the core: pointer moves, presses and releases, keys (which also
// update the modifier bits), the close request, and the loss of the keyboard focus; a move
// of the window or a change of the desktop lets the window follow its display.
static void Translate(const SDL_Event& ev) {
    int32_t x = 0, y = 0;
    switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        PostModifiers((ev.key.keysym.mod & KMOD_SHIFT) != 0, (ev.key.keysym.mod & KMOD_CTRL) != 0);
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
            ForgetWindowCopy();
        // Moved by the window manager (an Alt+drag takes the pointer's motion): the pointer
        // is somewhere new relative to the window, so the hit tests take it from now on.
        if (ev.window.event == SDL_WINDOWEVENT_MOVED) {
            FollowDisplay(false);
            CursorScreenPosition(&x, &y);
            PostPointerMove(x, y);
        }
        break;
    case SDL_QUIT:
        PostCloseRequest();
        break;
    case SDL_DISPLAYEVENT:
    case SDL_SYSWMEVENT: // the screen, a display or the work areas changed: back into them
        if (ev.type == SDL_DISPLAYEVENT || IsDesktopChange(ev.syswm.msg)) FollowDisplay(true);
        break;
    default:
        break;
    }
}

// Longest time between two calls of SDL_PumpEvents while the X server sends nothing: SDL
// keeps some state of its own up to date there.
constexpr int32_t SdlPumpRefreshMs = 250;
// The core, at every poll and keyboard snapshot: hands SDL's pending events to the core.
// SDL's pump does much work per call, so it runs only when the X server has sent something
// or SdlPumpRefreshMs have passed; events SDL queued itself are taken in any case. What the
// server sent may have moved the pointer or the window: the server is asked again. A pump
// after its silence may still read what came meanwhile, which SDL then queues as events.
bool BackendPumpEvents() {
    if (!SdlWindow.window) return false;
    const int32_t now = TickCountMs();
    const bool sent = ServerHasSent();
    if (sent || uint32_t(now - SdlInput.lastSdlPump) >= uint32_t(SdlPumpRefreshMs)) {
        SDL_PumpEvents();
        SdlInput.lastSdlPump = now;
        if (sent) ForgetServerAnswers();
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
// up (at once when it already is) or a quit is requested, the window then at the factor of
// the display it was dropped on.
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
    SdlWindow.dragging = true;
    while (held && !QuitRequested()) {
        BackendWaitForEvent(DragStepMs);
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
    SdlWindow.dragging = false;
    BackendPumpEvents();
    FollowDisplay(false);
    CursorScreenPosition(&px, &py);
    FinishWindowMove(px, py);
}
