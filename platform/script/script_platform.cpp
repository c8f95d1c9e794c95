// The scripted test platform: window, present, events, cursor, keyboard and clock on a timeline.
#include "script_platform.h"

#include <algorithm>

#include "platform_state.h"
#include "script_state.h"

ScriptTimelineRecord ScriptTimeline;
ScriptQueueRecord ScriptQueue;
ScriptInputRecord ScriptInput;
ScriptScreenRecord ScriptScreen;
ScriptClockRecord ScriptClockState;

// Empty polls in a row after which a loop counts as waiting on the clock without presenting.
constexpr int32_t IdlePollLimit = 64;

void ResetScriptState() {
    ScriptTimeline = ScriptTimelineRecord();
    ScriptQueue = ScriptQueueRecord();
    ScriptInput = ScriptInputRecord();
    ScriptScreen = ScriptScreenRecord();
    ScriptClockState = ScriptClockRecord();
}

void ScriptReset() {
    ResetScriptState();
}

// ---------------------------------------------------------------- releasing the timeline

// The held-button mask of a mouse event: buttons held now plus the shift and control keys.
static int32_t CurrentMask() {
    const bool* k = ScriptInput.keysHeld;
    int32_t mask = ScriptInput.buttons;
    if (k[0x2A] || k[0x36]) mask |= MaskShift;
    if (k[0x1D] || k[0x9D]) mask |= MaskControl;
    return mask;
}

// Queues an event with the pointer position; a move replaces a move waiting at the queue's
// end, so runs of motion arrive as their newest position (never merged across a button).
static void QueueEvent(int32_t kind, int32_t param) {
    QueuedEvent e{kind, param, ScriptInput.pointerX, ScriptInput.pointerY};
    std::deque<QueuedEvent>& q = ScriptQueue.events;
    if (kind == EventMouseMove && !q.empty() && q.back().kind == EventMouseMove) {
        q.back() = e;
        return;
    }
    q.push_back(e);
}

// Mask bit and event kinds of button 1 (left), 2 (right) or 3 (middle); false for others.
static bool ButtonKinds(int32_t button, int32_t* bit, int32_t* down, int32_t* up) {
    switch (button) {
    case 1:
        *bit = MaskLeft, *down = EventLeftDown, *up = EventLeftUp;
        return true;
    case 2:
        *bit = MaskRight, *down = EventRightDown, *up = EventRightUp;
        return true;
    case 3:
        *bit = MaskMiddle, *down = EventMiddleDown, *up = EventMiddleUp;
        return true;
    default:
        return false;
    }
}

// Applies one released event to the input state and queues what the window would receive.
static void ApplyEvent(const ScriptEvent& ev) {
    int32_t bit = 0, down = 0, up = 0;
    switch (ev.action) {
    case ScriptAction::Move:
        ScriptInput.pointerX = ev.a;
        ScriptInput.pointerY = ev.b;
        QueueEvent(EventMouseMove, CurrentMask());
        break;
    case ScriptAction::Down:
        if (!ButtonKinds(ev.a, &bit, &down, &up)) break;
        ScriptInput.buttons |= bit;
        QueueEvent(down, CurrentMask());
        break;
    case ScriptAction::Up:
        if (!ButtonKinds(ev.a, &bit, &down, &up)) break;
        ScriptInput.buttons &= ~bit;
        QueueEvent(up, CurrentMask());
        break;
    case ScriptAction::KeyDown:
        ScriptInput.keysHeld[ev.a & 255] = true;
        break;
    case ScriptAction::KeyUp:
        ScriptInput.keysHeld[ev.a & 255] = false;
        break;
    case ScriptAction::Close:
        QueueEvent(EventClose, 0);
        break;
    }
}

// Releases every timeline event whose time has come, in time order, and requests the end
// of the run once the end time is reached. Called whenever the clock moves or is read.
static void ReleaseDueEvents() {
    auto& pending = ScriptTimeline.pending;
    while (!pending.empty() && pending.begin()->first <= ScriptClockState.now) {
        ScriptEvent ev = pending.begin()->second;
        pending.erase(pending.begin());
        ApplyEvent(ev);
    }
    if (ScriptTimeline.hasEnd && ScriptClockState.now >= ScriptTimeline.endAt) RequestQuit();
}

static void AdvanceClock(uint32_t ms) {
    ScriptClockState.now += ms;
    ReleaseDueEvents();
}

// ---------------------------------------------------------------- the fake clock

uint32_t ScriptClock() {
    return ScriptClockState.now;
}

void ScriptSetClock(uint32_t ms) {
    ScriptClockState.now = ms;
    ReleaseDueEvents();
}

int32_t TickCountMs() {
    return int32_t(ScriptClockState.now);
}

void SleepMs(int32_t ms) {
    ScriptQueue.idlePolls = 0;
    AdvanceClock(ms > 0 ? uint32_t(ms) : 0);
}

// ---------------------------------------------------------------- building the timeline

static void AddEvent(uint32_t atMs, ScriptAction action, int32_t a, int32_t b = 0) {
    ScriptTimeline.pending.emplace(atMs, ScriptEvent{action, a, b});
}

void ScriptMouseMove(uint32_t atMs, int32_t x, int32_t y) {
    AddEvent(atMs, ScriptAction::Move, x, y);
}
void ScriptMouseDown(uint32_t atMs, int32_t button) {
    AddEvent(atMs, ScriptAction::Down, button);
}
void ScriptMouseUp(uint32_t atMs, int32_t button) {
    AddEvent(atMs, ScriptAction::Up, button);
}
void ScriptKeyDown(uint32_t atMs, int32_t scanCode) {
    AddEvent(atMs, ScriptAction::KeyDown, scanCode);
}
void ScriptKeyUp(uint32_t atMs, int32_t scanCode) {
    AddEvent(atMs, ScriptAction::KeyUp, scanCode);
}
void ScriptCloseRequest(uint32_t atMs) {
    AddEvent(atMs, ScriptAction::Close, 0);
}

void ScriptEndAt(uint32_t atMs) {
    ScriptTimeline.hasEnd = true;
    ScriptTimeline.endAt = atMs;
}

uint32_t ScriptClick(uint32_t atMs, int32_t x, int32_t y, int32_t button, uint32_t holdMs) {
    ScriptMouseMove(atMs, x, y);
    ScriptMouseDown(atMs + 1, button);
    ScriptMouseUp(atMs + 1 + holdMs, button);
    return atMs + 1 + holdMs;
}

uint32_t ScriptClickWindow(uint32_t atMs, int32_t x, int32_t y, int32_t button, uint32_t holdMs) {
    const ScriptWindowInfo& w = ScriptScreen.window;
    return ScriptClick(atMs, w.x + x, w.y + y, button, holdMs);
}

uint32_t ScriptTap(uint32_t atMs, int32_t scanCode, uint32_t holdMs) {
    ScriptKeyDown(atMs, scanCode);
    ScriptKeyUp(atMs + holdMs, scanCode);
    return atMs + holdMs;
}

void ScriptFailSetUp(bool screen, bool window, bool keyboard) {
    ScriptInput.failScreen = screen;
    ScriptInput.failWindow = window;
    ScriptInput.failKeyboard = keyboard;
}

// ---------------------------------------------------------------- window and screen

// Start-up: as on the real platform, a window that cannot be made already fails here.
int32_t OpenScreenSystem() {
    return ScriptInput.failScreen || ScriptInput.failWindow ? 0 : 1;
}

// Start-up (through the frame toolkit): the window sits at (x, y) unless a centring flag
// puts it in the middle of the fake desktop (there is never an active window to centre on).
// Every style keeps the window's corner at the client origin.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title) {
    (void)number;
    if (ScriptInput.failWindow) return 0;
    ScriptWindowInfo& w = ScriptScreen.window;
    w = ScriptWindowInfo();
    w.created = true;
    w.x = x;
    w.y = y;
    if (style & (StyleCentreDesktop | StyleCentreActive)) {
        w.x = (ScriptDesktopWidth - width) / 2;
        w.y = (ScriptDesktopHeight - height) / 2;
    }
    w.width = width;
    w.height = height;
    w.style = style;
    w.title = title;
    w.visible = (style & StyleInvisible) == 0;
    return 1;
}

int32_t AttachBackBuffer(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t stretch, int32_t rightMargin, int32_t bottomMargin) {
    (void)window, (void)x, (void)y, (void)stretch, (void)rightMargin, (void)bottomMargin;
    if (!ScriptScreen.window.created || width <= 0 || height <= 0) return 0;
    CreateBackBuffer(width, height);
    return 1;
}

void ResizeMainWindow(int32_t width, int32_t height) {
    ScriptScreen.window.width = width;
    ScriptScreen.window.height = height;
}

// Every frame of every screen: the client-sized top-left part of the back buffer becomes the
// shown image (black where the client passes the buffer), then one frame of fake time passes.
void PresentBackBuffer() {
    const int32_t w = std::max(ScriptScreen.window.width, 0);
    const int32_t h = std::max(ScriptScreen.window.height, 0);
    const int32_t cw = std::min(w, BackBuffer.width), ch = std::min(h, BackBuffer.height);
    // Cleared only when the client passes the buffer or changed size: otherwise every shown
    // pixel is copied below, and the benchmarks measure drawing rather than this clearing.
    if (cw < w || ch < h || ScriptScreen.shownWidth != w || ScriptScreen.shownHeight != h)
        ScriptScreen.shown.assign(size_t(w) * size_t(h), 0);
    ScriptScreen.shownWidth = w;
    ScriptScreen.shownHeight = h;
    for (int32_t row = 0; row < ch; row++)
        std::copy_n(BackBuffer.pixels.begin() + size_t(row) * size_t(BackBuffer.width), cw,
                    ScriptScreen.shown.begin() + size_t(row) * size_t(w));
    ScriptScreen.presentCount++;
    if (ScriptScreen.onPresent) ScriptScreen.onPresent(ScriptScreen.presentCount);
    ScriptQueue.idlePolls = 0;
    AdvanceClock(ScriptFrameMs);
}

// A loop that polls without presenting or sleeping would wait forever on the fake clock:
// jump to the next scripted event, or to the end of the script (which requests the quit).
static void SkipIdleTime() {
    ScriptQueue.idlePolls = 0;
    if (!ScriptTimeline.pending.empty()) {
        ScriptSetClock(std::max(ScriptClockState.now, ScriptTimeline.pending.begin()->first));
    } else if (ScriptTimeline.hasEnd) {
        ScriptSetClock(std::max(ScriptClockState.now, ScriptTimeline.endAt));
        RequestQuit();
    } else {
        RequestQuit();
    }
}

// MouseButton, once per call: takes at most one released event off the queue.
int32_t PollWindowEvent() {
    ReleaseDueEvents();
    if (ScriptQueue.events.empty()) {
        if (++ScriptQueue.idlePolls >= IdlePollLimit) SkipIdleTime();
        return 0;
    }
    ScriptQueue.idlePolls = 0;
    QueuedEvent e = ScriptQueue.events.front();
    ScriptQueue.events.pop_front();
    ScriptQueue.lastParam = e.param;
    ScriptQueue.lastX = e.x;
    ScriptQueue.lastY = e.y;
    return e.kind;
}

int32_t LastEventParam() {
    return ScriptQueue.lastParam;
}

void CursorScreenPosition(int32_t* x, int32_t* y) {
    ReleaseDueEvents();
    *x = ScriptInput.pointerX;
    *y = ScriptInput.pointerY;
}

// The window's interactive move (DragQuibWindow): the window follows the pointer's motion
// since the last event taken off the queue, frame by frame on the fake clock, until the left
// button goes up. Every event up to the release is consumed; in the release's place a pointer
// move with the new mask is left at the head of the queue, so that the caller's next
// MouseButton(1) sees the button up, as a window system's move after the drag would say.
static void DragWindow() {
    ScriptWindowInfo& w = ScriptScreen.window;
    const int32_t anchorX = ScriptQueue.lastX, anchorY = ScriptQueue.lastY;
    const int32_t startX = w.x, startY = w.y;
    ReleaseDueEvents();
    for (;;) {
        auto& q = ScriptQueue.events;
        bool released = false;
        while (!q.empty() && !released) {
            QueuedEvent e = q.front();
            q.pop_front();
            if (e.kind == EventMouseMove || e.kind == EventLeftUp) {
                w.x = startX + (e.x - anchorX);
                w.y = startY + (e.y - anchorY);
            }
            released = (e.kind == EventLeftUp);
        }
        if (released || !(ScriptInput.buttons & MaskLeft) || QuitRequested()) break;
        if (ScriptTimeline.pending.empty() && !ScriptTimeline.hasEnd) {
            RequestQuit(); // the button is never released: the script has run out
            break;
        }
        AdvanceClock(ScriptFrameMs);
    }
    ScriptQueue.events.push_front(
        QueuedEvent{EventMouseMove, CurrentMask(), ScriptInput.pointerX, ScriptInput.pointerY});
    ScriptQueue.idlePolls = 0;
}

void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2) {
    (void)window, (void)param2;
    if (message == MessageNcLeftDown && param1 == HitCaption && ScriptScreen.window.created)
        DragWindow();
}

void WindowDesktopPosition(int32_t* left, int32_t* top) {
    *left = ScriptScreen.window.x;
    *top = ScriptScreen.window.y;
}

int32_t DesktopMetric(int32_t index) {
    if (index == 0) return ScriptDesktopWidth;
    if (index == 1) return ScriptDesktopHeight;
    return 0;
}

int32_t DisplayCount() {
    return 1;
}

int32_t DisplayBounds(int32_t index, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    if (index != 0) return 0;
    *x = 0;
    *y = 0;
    *width = ScriptDesktopWidth;
    *height = ScriptDesktopHeight;
    return 1;
}

// End of the program: data files are committed; the shown image stays for the test to read.
void ClosePlatform() {
    CloseAllDataFiles();
    ScriptScreen.window.closed = true;
    ScriptScreen.window.visible = false;
}

// ---------------------------------------------------------------- keyboard

int32_t OpenKeyboardDevice() {
    return ScriptInput.failKeyboard ? 0 : 1;
}

int32_t SnapshotKeyboard() {
    ReleaseDueEvents();
    std::copy(std::begin(ScriptInput.keysHeld), std::end(ScriptInput.keysHeld),
              std::begin(ScriptInput.keyTable));
    return 1;
}

int32_t KeyDown(int32_t scanCode) {
    if (scanCode == -1)
        return std::any_of(ScriptInput.keyTable, ScriptInput.keyTable + 255,
                           [](bool d) { return d; })
                   ? 1
                   : 0;
    if (scanCode < 0 || scanCode > 255) return 0;
    return ScriptInput.keyTable[scanCode] ? 1 : 0;
}

// ---------------------------------------------------------------- what the program did

const ScriptWindowInfo& ScriptWindow() {
    return ScriptScreen.window;
}
int64_t ScriptPresentCount() {
    return ScriptScreen.presentCount;
}
void ScriptOnPresent(std::function<void(int64_t presentCount)> hook) {
    ScriptScreen.onPresent = std::move(hook);
}

// 0x00RRGGBB to the colour value of MakeColour (red in the low byte).
static int32_t ToColourValue(uint32_t p) {
    return int32_t(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

int32_t ScriptPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= BackBuffer.width || y >= BackBuffer.height) return -1;
    return ToColourValue(BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)]);
}

int32_t ScriptShownPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= ScriptScreen.shownWidth || y >= ScriptScreen.shownHeight) return -1;
    return ToColourValue(
        ScriptScreen.shown[size_t(y) * size_t(ScriptScreen.shownWidth) + size_t(x)]);
}
