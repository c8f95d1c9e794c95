// The shared event core: the queue the backends post into, the polls the game takes, keys.
#include <algorithm>
#include <iterator>

#include "backend.h"
#include "codepage.h"
#include "platform_state.h"

void (*DisplayLostHandler)() = nullptr;
void (*DisplayHiddenHandler)() = nullptr;

// Called by a backend when the program may be ended without a word from now on.
void RunDisplayHiddenHandler() {
    if (DisplayHiddenHandler) DisplayHiddenHandler();
}

void SetDisplayHiddenHandler(void (*handler)()) {
    DisplayHiddenHandler = handler;
}

void SetDisplayLostHandler(void (*handler)()) {
    DisplayLostHandler = handler;
}

// Called once, from the backend's report of a broken connection; the handler runs once even
// if saving touches the broken connection again.
void RunDisplayLostHandler() {
    void (*handler)() = DisplayLostHandler;
    DisplayLostHandler = nullptr;
    if (handler) handler();
}

void ResetEventState() {
    EventQueue = EventQueueRecord();
    KeyTable = KeyTableRecord();
    FrameMotion = FrameMotionRecord();
}

// Called by the scripted platform's pump: a loop with events waiting is not idle.
bool EventsWaiting() {
    return !EventQueue.events.empty();
}

// Called by the scripted platform's reset (off) and by tests that ask for the gate (on).
void SetQuickTapGate(bool on) {
    EventQueue.tapGate = on;
}

// ---------------------------------------------------------------- posting

// Held-button mask of a mouse event posted now: held buttons plus shift and control.
static int32_t CurrentMask() {
    return EventQueue.buttons | EventQueue.modifiers;
}

// Appends an event; a pointer move replaces a move waiting at the end of the queue (runs of
// motion arrive as their newest position, never merged across a button event). A queue that
// nobody reads keeps its oldest events and drops new ones past the limit.
static void Queue(PlatformEvent e) {
    std::deque<PlatformEvent>& q = EventQueue.events;
    e.tick = TickCountMs();
    EventQueue.posts++;
    if (e.kind == EventMouseMove && !q.empty() && q.back().kind == EventMouseMove) {
        q.back() = e;
        return;
    }
    if (q.size() < EventQueueLimit) q.push_back(e);
}

static void QueueMouse(int32_t kind, int32_t x, int32_t y) {
    Queue(PlatformEvent{kind, CurrentMask(), true, x, y});
}

void PostPointerMove(int32_t x, int32_t y) {
    QueueMouse(EventMouseMove, x, y);
}

// The mask bit and event kinds of buttons 1 (left), 2 (right) and 3 (middle), in the order
// of EventQueue.pressFrames.
struct ButtonKinds {
    int32_t bit, down, up;
};
constexpr ButtonKinds Buttons[3] = {{MaskLeft, EventLeftDown, EventLeftUp},
                                    {MaskRight, EventRightDown, EventRightUp},
                                    {MaskMiddle, EventMiddleDown, EventMiddleUp}};

void PostButton(int32_t button, bool down, int32_t x, int32_t y) {
    if (button < 1 || button > 3) return;
    const ButtonKinds& b = Buttons[button - 1];
    EventQueue.buttons = down ? EventQueue.buttons | b.bit : EventQueue.buttons & ~b.bit;
    QueueMouse(down ? b.down : b.up, x, y);
}

void PostModifiers(bool shift, bool control) {
    EventQueue.modifiers = (shift ? MaskShift : 0) | (control ? MaskControl : 0);
}

void PostCloseRequest() {
    Queue(PlatformEvent{EventClose, 0, false, 0, 0});
}

// Shift, Control and Alt (left and right): they go with the key pressed after them.
constexpr int32_t ModifierCodes[] = {0x2A, 0x36, 0x1D, 0x9D, 0x38, 0xB8};

static bool IsModifierKey(int32_t code) {
    return std::find(std::begin(ModifierCodes), std::end(ModifierCodes), code) !=
           std::end(ModifierCodes);
}

// PostKey, at a key's press: the modifier keys held now, one bit each (FreshKey::modifiers).
static uint8_t HeldModifiers() {
    uint8_t bits = 0;
    for (size_t i = 0; i < std::size(ModifierCodes); i++)
        if (KeyTable.held[ModifierCodes[i]]) bits |= uint8_t(1u << i);
    return bits;
}

void PostKey(int32_t scanCode, bool down) {
    if (scanCode <= 0 || scanCode > 255) return;
    EventQueue.posts++;
    if (down && !KeyTable.held[scanCode] && KeyTable.fresh.size() < FreshKeyLimit) {
        const uint8_t modifiers = IsModifierKey(scanCode) ? 0 : HeldModifiers();
        KeyTable.fresh.push_back(FreshKey{scanCode, TickCountMs(), modifiers});
    }
    KeyTable.held[scanCode] = down;
}

// Only while the name entry wants text; what the code page cannot hold is left out.
void PostTypedCharacter(char32_t character) {
    EventQueue.posts++;
    if (!KeyTable.textWanted || KeyTable.typed.size() >= FreshKeyLimit) return;
    const bool control = character == U'\b' || character == U'\r';
    const uint8_t byte = control ? uint8_t(character) : CodePageByte(character);
    if (byte != 0) KeyTable.typed.push_back(byte);
}

bool TypedTextWanted() {
    return KeyTable.textWanted;
}

void WantTypedText(bool on) {
    if (on && !KeyTable.textWanted) KeyTable.typed.clear();
    KeyTable.textWanted = on;
}

Text TakeTypedCharacter() {
    if (KeyTable.typed.empty()) return Text();
    const Text character(1, char(KeyTable.typed.front()));
    KeyTable.typed.pop_front();
    if (!KeyTable.typed.empty()) KeepFrameMoving(); // the rest come in the next frames
    return character;
}

void ReleaseAllKeys() {
    EventQueue.posts++;
    std::fill(std::begin(KeyTable.held), std::end(KeyTable.held), false);
    KeyTable.fresh.clear();
}

// ---------------------------------------------------------------- frames

void KeepFrameMoving() {
    FrameMotion.moving = true;
}

void WakeAfterMs(int32_t ms) {
    ms = std::max(ms, 0);
    if (FrameMotion.wakeMs == WaitForever || ms < FrameMotion.wakeMs) FrameMotion.wakeMs = ms;
}

// The frame is still when nothing asked for the next one, it showed nothing new and no input
// came while it was drawn: nothing on the screen can change until the player acts, so the
// program sleeps in the window system's wait. The input that ends the wait is taken by the
// next frame, whose present shows the change and does not wait again before a frame has
// shown nothing new.
bool EndFrame(bool changed) {
    EventQueue.idlePolls = 0;
    for (int32_t& frames : EventQueue.pressFrames)
        frames = std::max(frames - 1, 0);
    FrameMotionRecord& frame = FrameMotion;
    const bool moving = frame.moving || changed;
    const int32_t wakeMs = frame.wakeMs;
    frame.moving = false;
    frame.wakeMs = WaitForever;
    if (!moving) BackendPumpEvents();
    const bool input = EventQueue.posts != frame.postsSeen || !EventQueue.events.empty();
    frame.postsSeen = EventQueue.posts;
    if (moving || input || QuitRequested() != 0) return false;
    frame.stillWaits++;
    BackendWaitForEvent(wakeMs);
    return true;
}

// ---------------------------------------------------------------- taking events

// Index into Buttons of a press or release kind, -1 for the other kinds.
static int PressIndex(int32_t kind) {
    for (int i = 0; i < 3; i++)
        if (kind == Buttons[i].down || kind == Buttons[i].up) return i;
    return -1;
}

static bool IsRelease(int32_t kind) {
    const int index = PressIndex(kind);
    return index >= 0 && kind == Buttons[index].up;
}

// Whether the release at the head of the queue must still wait: its press was taken during
// this frame or the one before (a press taken by the last caller of a frame is seen by every
// caller of the next), and the polls since have not yet shown a loop that waits for the
// release without presenting (IdleFreePolls polls in a row found nothing else to take).
static bool ReleaseHeldBack(const PlatformEvent& e) {
    if (!IsRelease(e.kind) || EventQueue.pressFrames[PressIndex(e.kind)] == 0) return false;
    return EventQueue.idlePolls < IdleFreePolls;
}

constexpr int32_t ButtonBits = MaskLeft | MaskRight | MaskMiddle;

// Position in the queue of the newest press of any button before position `before`; the
// queue's length when none.
static size_t NewestPress(const std::deque<PlatformEvent>& q, size_t before) {
    for (size_t i = before; i > 0; i--)
        if (PressIndex(q[i - 1].kind) >= 0 && !IsRelease(q[i - 1].kind)) return i - 1;
    return q.size();
}

// PollWindowEvent, before it takes an event: drops the longest run of mouse events at the
// head of the queue that ends with every button up and that is all backlog: events that
// came before two newer presses (the player clicked twice more before the game took them:
// they came faster than it takes clicks, about one a frame), that came before a newer press
// and waited more than BacklogClickMs, or that waited more than StaleClickMs. One pointer
// move to where the run ended is left in their place. Only whole clicks go: nothing is
// dropped while the game holds a press whose release it has not taken, and a close request
// stays. Without this a burst of clicks replays at one click a frame, and the click after it
// acts only once the burst has been worked off; with it, at most one click of the burst
// comes before it.
static void DropStaleClicks() {
    std::deque<PlatformEvent>& q = EventQueue.events;
    if ((EventQueue.takenButtons & ButtonBits) != 0) return;
    const uint32_t now = uint32_t(TickCountMs());
    const size_t newestPress = NewestPress(q, q.size());
    const size_t pressBefore = newestPress == q.size() ? q.size() : NewestPress(q, newestPress);
    size_t end = 0;
    for (size_t i = 0; i < q.size(); i++) {
        const PlatformEvent& e = q[i];
        const uint32_t waited = now - uint32_t(e.tick);
        const bool behind = (i < newestPress && waited > uint32_t(BacklogClickMs)) ||
                            (pressBefore < q.size() && i < pressBefore);
        if (!e.hasPoint || !(behind || waited > uint32_t(StaleClickMs))) break;
        if ((e.param & ButtonBits) == 0) end = i + 1;
    }
    if (end < 2) return;
    PlatformEvent move = q[end - 1];
    move.kind = EventMouseMove;
    q.erase(q.begin(), q.begin() + std::ptrdiff_t(end));
    q.push_front(move);
}

// MouseButton, once per call: the only place where the game takes an event. With the
// quick-tap gate on, a release stays pending until its press has been seen by a whole frame
// (ReleaseHeldBack): each frame asks for the button from several places (the screen's own
// test, the title bar), so a press and release arriving together (a touchpad tap) would
// otherwise be seen only by a caller that ignores the press.
// Once IdleFreePolls empty polls came with no present or taken event in between, each further
// empty poll waits up to IdleWaitMs for the next event before it answers 0 (IdleLongWaitMs
// after IdleShortWaits such waits), so a loop waiting for a release sleeps instead of
// spinning; the event that ends the wait is taken by the next poll.
int32_t PollWindowEvent() {
    BackendPumpEvents();
    DropStaleClicks();
    std::deque<PlatformEvent>& q = EventQueue.events;
    if (q.empty()) {
        const int32_t waits = EventQueue.idlePolls - IdleFreePolls;
        EventQueue.idlePolls = std::min(EventQueue.idlePolls, IdleFreePolls + IdleShortWaits) + 1;
        if (waits >= 0) BackendWaitForEvent(waits >= IdleShortWaits ? IdleLongWaitMs : IdleWaitMs);
        return 0;
    }
    const PlatformEvent e = q.front();
    if (EventQueue.tapGate && ReleaseHeldBack(e)) {
        EventQueue.idlePolls++;
        return 0;
    }
    const int index = PressIndex(e.kind);
    if (index >= 0) EventQueue.pressFrames[index] = IsRelease(e.kind) ? 0 : 2;
    q.pop_front();
    EventQueue.last = e;
    if (e.hasPoint) EventQueue.takenButtons = e.param;
    EventQueue.idlePolls = 0;
    return e.kind;
}

int32_t LastEventParam() {
    return EventQueue.last.param;
}

int32_t LastEventTick() {
    return EventQueue.last.tick;
}

bool LastTakenPoint(int32_t* x, int32_t* y) {
    if (!EventQueue.last.hasPoint) return false;
    *x = EventQueue.last.x;
    *y = EventQueue.last.y;
    return true;
}

bool JudgedPointerPoint(int32_t* x, int32_t* y) {
    const std::deque<PlatformEvent>& q = EventQueue.events;
    auto next = std::find_if(q.begin(), q.end(),
                             [](const PlatformEvent& e) { return PressIndex(e.kind) >= 0; });
    const PlatformEvent* e = next != q.end() ? &*next : q.empty() ? &EventQueue.last : nullptr;
    if (!e || PressIndex(e->kind) < 0) return false;
    *x = e->x;
    *y = e->y;
    return true;
}

int32_t HeldButtons() {
    return EventQueue.buttons;
}

void FinishWindowMove(int32_t x, int32_t y) {
    std::deque<PlatformEvent>& q = EventQueue.events;
    auto release = std::find_if(q.begin(), q.end(),
                                [](const PlatformEvent& e) { return e.kind == EventLeftUp; });
    if (release != q.end()) q.erase(q.begin(), release + 1);
    EventQueue.buttons &= ~MaskLeft;
    q.push_front(PlatformEvent{EventMouseMove, CurrentMask(), true, x, y, TickCountMs()});
}

// ---------------------------------------------------------------- keyboard

// ShowFreshKeys, as a key shows one at a time: the modifiers held when it went down show
// with it, also when they were let go before it (a modifier shown in an earlier snapshot is
// no fresh press any more).
static void ShowModifiersOf(const FreshKey& k, bool (&shownNow)[256]) {
    for (size_t i = 0; i < std::size(ModifierCodes); i++) {
        if ((k.modifiers & (1u << i)) == 0) continue;
        KeyTable.snapshot[ModifierCodes[i]] = true;
        shownNow[ModifierCodes[i]] = true;
    }
}

// SnapshotKeyboard: shows the fresh presses (down since they last showed) in the order they
// went down, one key per snapshot with the modifiers pressed before it and those held when
// it went down, each even when already up again (keys typed faster than the snapshots, or
// during a slow frame); the presses after it stay fresh and do not show yet, even when held.
// So every press shows once and in order, also one made while another key is held. A key
// that showed in the previous snapshot and was pressed again skips one snapshot, so the
// second press reads as a new one. A tap that went down more than KeyLatchMs ago and is up
// again is dropped (typed while no screen read the keyboard).
static void ShowFreshKeys(const bool (&previous)[256]) {
    const uint32_t now = uint32_t(TickCountMs());
    std::deque<FreshKey>& fresh = KeyTable.fresh;
    std::erase_if(fresh, [now](const FreshKey& k) {
        return !KeyTable.held[k.code] && now - uint32_t(k.downTick) > uint32_t(KeyLatchMs);
    });
    std::deque<FreshKey> later;
    bool shownNow[256] = {};
    bool keyShown = false;
    for (const FreshKey& k : fresh) {
        if (keyShown || (!IsModifierKey(k.code) && previous[k.code])) {
            later.push_back(k);
            if (!shownNow[k.code]) KeyTable.snapshot[k.code] = false;
            keyShown = true;
            continue;
        }
        KeyTable.snapshot[k.code] = true;
        shownNow[k.code] = true;
        keyShown = !IsModifierKey(k.code);
        ShowModifiersOf(k, shownNow);
    }
    fresh = std::move(later);
}

// The name entry and the settings screen, once per frame: the keys held now, with the fresh
// presses shown one at a time (ShowFreshKeys). Without a window nothing can be read: 0, and
// the table keeps its contents.
int32_t SnapshotKeyboard() {
    if (!BackendPumpEvents()) return 0;
    std::copy(std::begin(KeyTable.snapshot), std::end(KeyTable.snapshot), KeyTable.previous);
    std::copy(std::begin(KeyTable.held), std::end(KeyTable.held), KeyTable.snapshot);
    ShowFreshKeys(KeyTable.previous);
    return 1;
}

int32_t KeyDown(int32_t scanCode) {
    const bool *const keys = KeyTable.snapshot, *const end = keys + 255;
    if (scanCode == -1) return std::find(keys, end, true) != end ? 1 : 0;
    if (scanCode < 0 || scanCode > 255) return 0;
    return KeyTable.snapshot[scanCode] ? 1 : 0;
}

// The name entry, once per frame after its snapshot: which key went down since the one before.
int32_t KeyPressed(int32_t scanCode) {
    if (scanCode < 0 || scanCode > 255) return 0;
    return KeyTable.snapshot[scanCode] && !KeyTable.previous[scanCode] ? 1 : 0;
}
