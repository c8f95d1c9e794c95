// The real window's events: our own queue of mouse and close events, the cursor and the drag.
#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>

#include "platform_state.h"
#include "sdl_state.h"

// Held-button mask of a mouse event: tracked buttons plus shift and control.
static int32_t CurrentMask() {
    return SdlQueue.buttons | SdlQueue.modifiers;
}

// A desktop pixel in the game's pixels, counted from the window's client origin (desktop
// pixels) so that a point inside the window lands on the game pixel drawn there, whatever
// the origin's remainder by the scale.
static int32_t GameCoordinate(int32_t desktop, int32_t origin) {
    const int32_t scale = SdlWindow.scale;
    return FloorDivide(origin, scale) + FloorDivide(desktop - origin, scale);
}

// The desktop point of a window-relative pointer position (SDL reports desktop pixels).
static void DesktopPoint(SdlQueuedEvent* e, int32_t windowX, int32_t windowY) {
    if (!SdlQueue.originKnown) {
        PhysicalWindowPosition(&SdlQueue.originX, &SdlQueue.originY);
        SdlQueue.originKnown = true;
    }
    e->hasPoint = true;
    e->x = GameCoordinate(SdlQueue.originX + windowX, SdlQueue.originX);
    e->y = GameCoordinate(SdlQueue.originY + windowY, SdlQueue.originY);
}

// Appends an event; a pointer move replaces a move waiting at the end of the queue (runs of
// motion arrive as their newest position, never merged across a button event). A queue that
// nobody reads keeps its oldest events and drops new ones past the limit.
static void Queue(int32_t kind, int32_t windowX, int32_t windowY) {
    std::deque<SdlQueuedEvent>& q = SdlQueue.events;
    SdlQueuedEvent e{kind, 0};
    if (kind != EventClose) {
        e.param = CurrentMask();
        DesktopPoint(&e, windowX, windowY);
    }
    if (kind == EventMouseMove && !q.empty() && q.back().kind == EventMouseMove) {
        q.back() = e;
        return;
    }
    if (q.size() < SdlQueueLimit) q.push_back(e);
}

// Our mask bit and event kinds of an SDL button; false for buttons the game does not read.
static bool ButtonKinds(uint8_t button, int32_t* bit, int32_t* down, int32_t* up) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        *bit = MaskLeft, *down = EventLeftDown, *up = EventLeftUp;
        return true;
    case SDL_BUTTON_RIGHT:
        *bit = MaskRight, *down = EventRightDown, *up = EventRightUp;
        return true;
    case SDL_BUTTON_MIDDLE:
        *bit = MaskMiddle, *down = EventMiddleDown, *up = EventMiddleUp;
        return true;
    default:
        return false;
    }
}

// Turns one SDL event into what the game reads: pointer moves, presses and releases with
// our mask, the close request; key events only update the modifier bits; the rest is dropped.
static void Translate(const SDL_Event& ev) {
    int32_t bit = 0, down = 0, up = 0;
    switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        SdlQueue.modifiers = ((ev.key.keysym.mod & KMOD_SHIFT) ? MaskShift : 0) |
                             ((ev.key.keysym.mod & KMOD_CTRL) ? MaskControl : 0);
        break;
    case SDL_MOUSEMOTION:
        Queue(EventMouseMove, ev.motion.x, ev.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (!ButtonKinds(ev.button.button, &bit, &down, &up)) break;
        SdlQueue.buttons |= bit;
        Queue(down, ev.button.x, ev.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (!ButtonKinds(ev.button.button, &bit, &down, &up)) break;
        SdlQueue.buttons &= ~bit;
        Queue(up, ev.button.x, ev.button.y);
        break;
    case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) Queue(EventClose, 0, 0);
        break;
    case SDL_QUIT:
        Queue(EventClose, 0, 0);
        break;
    default:
        break;
    }
}

void PumpIntoQueue() {
    if (!SdlWindow.videoReady) return;
    SDL_PumpEvents();
    SdlQueue.originKnown = false;
    SDL_Event events[64];
    int n = 0;
    while ((n = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
        for (int i = 0; i < n; i++)
            Translate(events[i]);
}

// Index into SdlQueue.pressTick of a press or release kind, -1 for the other kinds.
static int PressIndex(int32_t kind) {
    if (kind == EventLeftDown || kind == EventLeftUp) return 0;
    if (kind == EventRightDown || kind == EventRightUp) return 1;
    if (kind == EventMiddleDown || kind == EventMiddleUp) return 2;
    return -1;
}

// MouseButton, once per call: the only place where the game takes an event. A release stays
// pending until its press was taken SdlMinPressMs ago: each frame asks for the button from
// several places (the screen's own test, the title bar), so a press and release arriving
// together (a touchpad tap) would otherwise be seen only by a caller that ignores the press.
int32_t PollWindowEvent() {
    PumpIntoQueue();
    if (SdlQueue.events.empty()) return 0;
    const SdlQueuedEvent e = SdlQueue.events.front();
    const int index = PressIndex(e.kind);
    const bool release = e.kind == EventLeftUp || e.kind == EventRightUp || e.kind == EventMiddleUp;
    if (release &&
        uint32_t(TickCountMs()) - uint32_t(SdlQueue.pressTick[index]) < uint32_t(SdlMinPressMs)) {
        SleepMs(1);
        return 0;
    }
    if (index >= 0 && !release) SdlQueue.pressTick[index] = TickCountMs();
    SdlQueue.events.pop_front();
    SdlQueue.last = e;
    return e.kind;
}

int32_t LastEventParam() {
    return SdlQueue.last.param;
}

// The pointer's position in desktop pixels and whether the left button is down, asked of
// the X server at this moment (SDL's cached state would lag behind a warped pointer).
static bool QueryPointer(int32_t* x, int32_t* y) {
    if (SdlWindow.xDisplay) {
        Display* d = static_cast<Display*>(SdlWindow.xDisplay);
        ::Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask)) {
            *x = rx;
            *y = ry;
            return (mask & Button1Mask) != 0;
        }
    }
    int gx = 0, gy = 0;
    const uint32_t buttons = SdlWindow.videoReady ? SDL_GetGlobalMouseState(&gx, &gy) : 0;
    *x = gx;
    *y = gy;
    return (buttons & SDL_BUTTON_LMASK) != 0;
}

// The pointer in the game's pixels, counted from where the window is now.
void CursorScreenPosition(int32_t* x, int32_t* y) {
    int32_t px = 0, py = 0, originX = 0, originY = 0;
    QueryPointer(&px, &py);
    PhysicalWindowPosition(&originX, &originY);
    *x = GameCoordinate(px, originX);
    *y = GameCoordinate(py, originY);
}

// Ends a move: the events up to and including the left button's release are dropped (the
// move consumed them), the button counts as up, and a pointer move with the new mask goes to
// the head of the queue, as a window system reports the pointer after moving a window under it.
static void ConsumeRelease() {
    std::deque<SdlQueuedEvent>& q = SdlQueue.events;
    auto release = std::find_if(q.begin(), q.end(),
                                [](const SdlQueuedEvent& e) { return e.kind == EventLeftUp; });
    if (release != q.end()) q.erase(q.begin(), release + 1);
    SdlQueue.buttons &= ~MaskLeft;
    SdlQueuedEvent move{EventMouseMove, CurrentMask()};
    move.hasPoint = true;
    CursorScreenPosition(&move.x, &move.y);
    q.push_front(move);
}

// DragQuibWindow: while the left button is held the window follows the pointer's motion
// since the last event the game took (the press, or a move after it; the pointer at the call
// when that event had no point), checked about every millisecond; nothing is presented
// meanwhile. The motion is counted in the game's pixels, so the window moves in whole game
// pixels and keeps the client origin's remainder by the scale. Returns when the button goes
// up (at once when it already is) or a quit is requested.
void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2) {
    (void)window, (void)param2;
    if (message != MessageNcLeftDown || param1 != HitCaption || !SdlWindow.window) return;
    const int32_t scale = SdlWindow.scale;
    int32_t startX = 0, startY = 0, px = 0, py = 0;
    PhysicalWindowPosition(&startX, &startY);
    bool held = QueryPointer(&px, &py);
    int32_t anchorX = GameCoordinate(px, startX), anchorY = GameCoordinate(py, startY);
    if (SdlQueue.last.hasPoint) {
        anchorX = SdlQueue.last.x;
        anchorY = SdlQueue.last.y;
    }
    int32_t placedX = startX, placedY = startY;
    while (held && !QuitRequested()) {
        SleepMs(1);
        held = QueryPointer(&px, &py);
        const int32_t tx = startX + (GameCoordinate(px, startX) - anchorX) * scale;
        const int32_t ty = startY + (GameCoordinate(py, startY) - anchorY) * scale;
        if (tx != placedX || ty != placedY) {
            SDL_SetWindowPosition(SdlWindow.window, tx, ty);
            placedX = tx;
            placedY = ty;
        }
        PumpIntoQueue();
    }
    PumpIntoQueue();
    ConsumeRelease();
}
