// Events of the browser window backend: the page's events posted to the core, the waits,
// the pointer, the window's move, the keyboard and the text field.
#include <emscripten.h>

#include "backend.h"
#include "web_state.h"

// clang-format off

// Moves the page's oldest event into event (5 numbers); 0 when the page has none.
EM_JS(int, web_take_event, (int* event), {
    const queue = Module.tessarocPage.queue;
    if (queue.length === 0) return 0;
    for (let i = 0; i < 5; i++) HEAP32[(event >> 2) + i] = queue.shift();
    return 1;
});

// Sleeps until the page has an event or ms pass (the browser runs meanwhile). The program
// goes on where it slept by running this again (Asyncify's rewind), which then only ends the
// sleep: everything else belongs inside the start of the sleep.
EM_JS(void, web_wait_event, (int ms), {
    const page = Module.tessarocPage;
    Asyncify.handleSleep(function(wakeUp) {
        if (page.queue.length > 0) { wakeUp(); return; }
        let done = false;
        const finish = function() { if (!done) { done = true; page.wake = null; wakeUp(); } };
        page.wake = finish;
        if (ms >= 0) setTimeout(finish, ms);
    });
});

// The name entry asks for text (or has it): the text field or the canvas takes the focus.
EM_JS(void, web_offer_text, (int on), {
    const page = Module.tessarocPage;
    page.wantsText = on !== 0;
    document.getElementById("typing").value = page.blank;
    if (!page.ended) page.focusGame();
});

// clang-format on

namespace {

// One event the page reported, in the order of the browser's events.
struct WebEvent {
    int32_t kind = 0; // a WebEventKind
    int32_t a = 0, b = 0, c = 0, d = 0;
};

enum WebEventKind : int32_t {
    WebPointerMove = 1, // a = x, b = y
    WebButton = 2,      // a = button (1 left, 2 right, 3 middle), b = down, c = x, d = y
    WebModifiers = 3,   // a = shift, b = control
    WebKey = 4,         // a = set-1 scan code (extended + 0x80), b = down
    WebFocusLost = 5,   // the page lost the keyboard
    WebCharacter = 6,   // a = a character typed into the text field (8 Backspace, 13 Enter)
    WebViewport = 7,    // the viewport changed its size (rotated, resized)
};

// Posts one page event to the core and keeps the pointer's record.
void Post(const WebEvent& event) {
    switch (event.kind) {
    case WebPointerMove:
        WebPointer.x = event.a;
        WebPointer.y = event.b;
        PostPointerMove(event.a, event.b);
        break;
    case WebButton:
        WebPointer.x = event.c;
        WebPointer.y = event.d;
        if (event.a == 1) WebPointer.leftHeld = event.b != 0;
        if (event.a == 1 && event.b == 0) {
            WebPointer.leftUpX = event.c;
            WebPointer.leftUpY = event.d;
        }
        PostButton(event.a, event.b != 0, event.c, event.d);
        break;
    case WebModifiers:
        PostModifiers(event.a != 0, event.b != 0);
        break;
    case WebKey:
        PostKey(event.a, event.b != 0);
        break;
    case WebFocusLost:
        ReleaseAllKeys();
        break;
    case WebCharacter:
        PostTypedCharacter(char32_t(event.a));
        break;
    case WebViewport:
        ResizeMainWindow(WebWindow.width, WebWindow.height);
        break;
    }
}

} // namespace

void PumpPageEvents() {
    if (TypedTextWanted() != WebWindow.textOffered) {
        WebWindow.textOffered = TypedTextWanted();
        web_offer_text(WebWindow.textOffered ? 1 : 0);
    }
    static_assert(sizeof(WebEvent) == 5 * sizeof(int32_t), "five numbers an event");
    WebEvent event;
    while (web_take_event(reinterpret_cast<int*>(&event)))
        Post(event);
}

// The core, at every poll and keyboard snapshot: hands the page's pending events to it.
bool BackendPumpEvents() {
    if (!WebWindow.open) return false;
    PumpPageEvents();
    return true;
}

// The core, at an empty poll after a run of them: the browser runs until the page has an
// event or ms pass.
void BackendWaitForEvent(int32_t ms) {
    if (WebWindow.open) web_wait_event(ms);
}

// The pointer where it is now, as a window system answers: what the page reported since the
// last poll is handed to the core first (a hit test before the frame's poll would otherwise
// judge a click just made at the pointer's previous place).
void CursorScreenPosition(int32_t* x, int32_t* y) {
    if (WebWindow.open) PumpPageEvents();
    *x = WebPointer.x;
    *y = WebPointer.y;
}

// DragQuibWindow: while the left button is held the canvas follows the pointer's motion
// since the last event the game took, moved whenever the page reports motion; nothing is
// presented meanwhile. Returns when the button goes up, with the window where the pointer
// was then (a drag the page reported whole before the game took its press moves it too).
void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2) {
    (void)window, (void)param2;
    if (message != MessageNcLeftDown || param1 != HitCaption || !WebWindow.open) return;
    PumpPageEvents();
    const int32_t startX = WebWindow.x, startY = WebWindow.y;
    int32_t anchorX = WebPointer.x, anchorY = WebPointer.y;
    LastTakenPoint(&anchorX, &anchorY);
    while (WebPointer.leftHeld && !QuitRequested()) {
        web_wait_event(100);
        PumpPageEvents();
        const int32_t x = startX + WebPointer.x - anchorX, y = startY + WebPointer.y - anchorY;
        if (x != WebWindow.x || y != WebWindow.y) MoveWebWindow(x, y);
    }
    if (!WebPointer.leftHeld)
        MoveWebWindow(startX + WebPointer.leftUpX - anchorX, startY + WebPointer.leftUpY - anchorY);
    FinishWindowMove(WebPointer.x, WebPointer.y);
}

// Start-up: keys come as the canvas's key events; there is nothing to open.
int32_t OpenKeyboardDevice() {
    return 1;
}
