// The scripted test platform: window, present, events, cursor, keyboard and clock on a timeline.
#include "script_platform.h"

#include <algorithm>

#include "backend.h"
#include "script_state.h"

ScriptTimelineRecord ScriptTimeline;
ScriptIdleRecord ScriptIdle;
ScriptInputRecord ScriptInput;
ScriptScreenRecord ScriptScreen;

void ResetScriptState() {
    ScriptTimeline = ScriptTimelineRecord();
    ScriptIdle = ScriptIdleRecord();
    ScriptInput = ScriptInputRecord();
    ScriptScreen = ScriptScreenRecord();
}

void ScriptReset() {
    ResetScriptState();
    ResetEventState();
    SetQuickTapGate(false);
}

// ---------------------------------------------------------------- releasing the timeline

// Tells the core which modifier keys the scripted keyboard holds.
static void PostScriptModifiers() {
    const bool* k = ScriptInput.keysHeld;
    PostModifiers(k[0x2A] || k[0x36], k[0x1D] || k[0x9D]);
}

// Applies one released event to the input state and posts what a window system would.
static void ApplyEvent(const ScriptEvent& ev) {
    ScriptInputRecord& in = ScriptInput;
    switch (ev.action) {
    case ScriptAction::Move:
        in.pointerX = ev.a;
        in.pointerY = ev.b;
        PostPointerMove(in.pointerX, in.pointerY);
        break;
    case ScriptAction::Down:
        PostButton(ev.a, true, in.pointerX, in.pointerY);
        break;
    case ScriptAction::Up:
        if (ev.a == 1) {
            in.leftUpX = in.pointerX;
            in.leftUpY = in.pointerY;
        }
        PostButton(ev.a, false, in.pointerX, in.pointerY);
        break;
    case ScriptAction::KeyDown:
    case ScriptAction::KeyUp:
        in.keysHeld[ev.a & 255] = ev.action == ScriptAction::KeyDown;
        PostScriptModifiers();
        PostKey(ev.a & 255, ev.action == ScriptAction::KeyDown);
        break;
    case ScriptAction::Close:
        PostCloseRequest();
        break;
    }
}

// Releases every timeline event whose time has come, in time order, each at its own time,
// and requests the end of the run once the end time is reached. Called whenever the clock
// moves or is read.
static void ReleaseDueEvents() {
    auto& pending = ScriptTimeline.pending;
    const uint32_t now = ScriptTimeline.now;
    while (!pending.empty() && pending.begin()->first <= now) {
        // The core reads the clock as the event is posted: it reads the event's own time.
        ScriptTimeline.now = pending.begin()->first;
        ScriptEvent ev = pending.begin()->second;
        pending.erase(pending.begin());
        ApplyEvent(ev);
    }
    ScriptTimeline.now = now;
    if (ScriptTimeline.hasEnd && ScriptTimeline.now >= ScriptTimeline.endAt) RequestQuit();
}

static void AdvanceClock(uint32_t ms) {
    ScriptTimeline.now += ms;
    ReleaseDueEvents();
}

// ---------------------------------------------------------------- the fake clock

uint32_t ScriptClock() {
    return ScriptTimeline.now;
}

void ScriptSetClock(uint32_t ms) {
    ScriptTimeline.now = ms;
    ReleaseDueEvents();
}

int32_t TickCountMs() {
    return int32_t(ScriptTimeline.now);
}

void SleepMs(int32_t ms) {
    ScriptIdle.waits = 0;
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

// The fake desktop is one display with no panels: its work area is the whole of it.
static const DesktopArea ScriptWorkArea{0, 0, ScriptDesktopWidth, ScriptDesktopHeight};

// Start-up (through the frame toolkit): the window sits at (x, y), moved into the fake
// desktop as the real window is moved into its work area, unless a centring flag puts it in
// the middle of the desktop (there is never an active window to centre on). Every style
// keeps the window's corner at the client origin.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title) {
    (void)number;
    if (ScriptInput.failWindow) return 0;
    ScriptWindowInfo& w = ScriptScreen.window;
    w = ScriptWindowInfo();
    w.created = true;
    const DesktopArea placed = FitWindowIntoArea(DesktopArea{x, y, width, height}, ScriptWorkArea);
    w.x = placed.x;
    w.y = placed.y;
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

int32_t AttachBackBuffer(int32_t width, int32_t height) {
    if (!ScriptScreen.window.created || width <= 0 || height <= 0) return 0;
    CreateBackBuffer(width, height);
    return 1;
}

// A window that grows is moved into the fake desktop, as the real one into its work area.
void ResizeMainWindow(int32_t width, int32_t height) {
    ScriptWindowInfo& w = ScriptScreen.window;
    const bool grows = width > w.width || height > w.height;
    w.width = width;
    w.height = height;
    if (!grows) return;
    const DesktopArea placed =
        FitWindowIntoArea(DesktopArea{w.x, w.y, width, height}, ScriptWorkArea);
    w.x = placed.x;
    w.y = placed.y;
}

// Every frame of every screen: the client-sized top-left part of the back buffer becomes the
// shown image (black where the client passes the buffer), then one frame of fake time passes.
void PresentBackBuffer() {
    const int32_t w = std::max(ScriptScreen.window.width, 0);
    const int32_t h = std::max(ScriptScreen.window.height, 0);
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    const int32_t cw = std::min(w, bufferWidth), ch = std::min(h, bufferHeight);
    // Made afresh only when the client passes the buffer or changed size; otherwise only the
    // parts drawn on since the last present can differ, and only those are copied, as the
    // real presents do.
    const bool whole =
        cw < w || ch < h || ScriptScreen.shownWidth != w || ScriptScreen.shownHeight != h;
    if (whole) ScriptScreen.shown.assign(size_t(w) * size_t(h), 0);
    ScriptScreen.shownWidth = w;
    ScriptScreen.shownHeight = h;
    const bool changed =
        !UpdateShownRows(ScriptScreen.shown.data(), size_t(w), cw, ch, whole).empty();
    ScriptScreen.presentCount++;
    if (ScriptScreen.onPresent) ScriptScreen.onPresent(ScriptScreen.presentCount);
    ScriptScreen.inPresent = true;
    EndFrame(changed);
    ScriptScreen.inPresent = false;
    ScriptIdle.waits = 0;
    AdvanceClock(ScriptFrameMs);
}

// A loop that polls without presenting or sleeping would wait forever on the fake clock:
// jump to the next scripted event, or to the end of the script (which requests the quit).
static void SkipIdleTime() {
    ScriptIdle.waits = 0;
    if (!ScriptTimeline.pending.empty()) {
        ScriptSetClock(std::max(ScriptTimeline.now, ScriptTimeline.pending.begin()->first));
    } else if (ScriptTimeline.hasEnd) {
        ScriptSetClock(std::max(ScriptTimeline.now, ScriptTimeline.endAt));
        RequestQuit();
    } else {
        RequestQuit();
    }
}

// The core, at every poll and keyboard snapshot: releases the events that are due. An event
// waiting in the core's queue means the loop is not idle.
bool BackendPumpEvents() {
    ReleaseDueEvents();
    if (EventsWaiting()) ScriptIdle.waits = 0;
    return true;
}

// The core, at an empty poll after the free ones (see PollWindowEvent): the wait is counted, not
// spent, so the fake time of every frame stays what the script says. After ScriptIdleWaitLimit
// waits in a row without a present or sleep the loop is waiting on the clock alone: skip ahead.
void BackendWaitForEvent(int32_t ms) {
    if (ScriptScreen.inPresent) return; // a still frame: the present moves the clock on
    ScriptIdle.totalWaits++;
    ScriptIdle.totalWaitMs += ms;
    if (++ScriptIdle.waits >= ScriptIdleWaitLimit) SkipIdleTime();
}

void CursorScreenPosition(int32_t* x, int32_t* y) {
    ReleaseDueEvents();
    *x = ScriptInput.pointerX;
    *y = ScriptInput.pointerY;
}

// The window's interactive move (DragQuibWindow): the window follows the pointer's motion
// since the last event taken off the queue, frame by frame on the fake clock, until the left
// button goes up; it ends where the pointer was at the release. The core then drops the
// events up to the release and leaves a pointer move with the new mask at the head of the
// queue, so that the caller's next MouseButton(1) sees the button up, as a window system's
// move would say.
static void DragWindow() {
    ScriptWindowInfo& w = ScriptScreen.window;
    int32_t anchorX = ScriptInput.pointerX, anchorY = ScriptInput.pointerY;
    LastTakenPoint(&anchorX, &anchorY);
    const int32_t startX = w.x, startY = w.y;
    ReleaseDueEvents();
    while ((HeldButtons() & MaskLeft) && !QuitRequested()) {
        w.x = startX + (ScriptInput.pointerX - anchorX);
        w.y = startY + (ScriptInput.pointerY - anchorY);
        if (ScriptTimeline.pending.empty() && !ScriptTimeline.hasEnd) {
            RequestQuit(); // the button is never released: the script has run out
            break;
        }
        AdvanceClock(ScriptFrameMs);
    }
    if (!(HeldButtons() & MaskLeft)) {
        w.x = startX + (ScriptInput.leftUpX - anchorX);
        w.y = startY + (ScriptInput.leftUpY - anchorY);
    }
    FinishWindowMove(ScriptInput.pointerX, ScriptInput.pointerY);
    ScriptIdle.waits = 0;
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

// TellPlayer's box: recorded for the test, never waiting for a player.
void BackendShowMessage(const Text& title, const Text& text) {
    ScriptScreen.messages.push_back({title, text});
}

// ---------------------------------------------------------------- keyboard

int32_t OpenKeyboardDevice() {
    return ScriptInput.failKeyboard ? 0 : 1;
}

// ---------------------------------------------------------------- what the program did

const ScriptWindowInfo& ScriptWindow() {
    return ScriptScreen.window;
}
const std::vector<ScriptMessage>& ScriptMessages() {
    return ScriptScreen.messages;
}
int64_t ScriptPresentCount() {
    return ScriptScreen.presentCount;
}
void ScriptUseTapGate(bool on) {
    SetQuickTapGate(on);
}
int64_t ScriptPollWaits() {
    return ScriptIdle.totalWaits;
}
int64_t ScriptPollWaitMs() {
    return ScriptIdle.totalWaitMs;
}
void ScriptOnPresent(std::function<void(int64_t presentCount)> hook) {
    ScriptScreen.onPresent = std::move(hook);
}

// 0x00RRGGBB to the colour value of MakeColour (red in the low byte).
static int32_t ToColourValue(uint32_t p) {
    return int32_t(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

int32_t ScriptPixel(int32_t x, int32_t y) {
    int32_t width = 0, height = 0;
    BackBufferSize(&width, &height);
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    return ToColourValue(BackBufferPixels()[size_t(y) * size_t(width) + size_t(x)]);
}

int32_t ScriptShownPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= ScriptScreen.shownWidth || y >= ScriptScreen.shownHeight) return -1;
    return ToColourValue(
        ScriptScreen.shown[size_t(y) * size_t(ScriptScreen.shownWidth) + size_t(x)]);
}
