// The page of the browser window backend: its canvas, and the listeners that queue the page's
// events for web_events.cpp.
#include "web_state.h"

#include <emscripten.h>

// clang-format off

// Takes the canvas #game inside the desktop #desk and listens to the page: pointer, touch and
// keyboard events become queued events (5 numbers each, web_events.cpp's WebEvent). A touch
// that ends within half a second is a left click; one held still for half a second is a right
// click then; one that moves, gets a second finger or is cancelled by the browser is a gesture
// (a scroll, a pinch), which opens and marks nothing. The keys are the page's whatever on it
// has the focus; while the game wants text the text field #typing holds the focus (so a
// phone shows its keyboard), and what is typed into it becomes characters.
EM_JS(int, web_open_page, (), {
    const canvas = document.getElementById("game");
    const desk = document.getElementById("desk");
    const typing = document.getElementById("typing");
    if (!canvas || !desk || !typing) return 0;
    const page = { canvas: canvas, desk: desk, context: canvas.getContext("2d"), queue: [],
                   wake: null, scale: 1, touch: null, fingers: 0, wantsText: false,
                   work: { frames: 0, ms: 0 }, firstFrameMs: 0 };
    Module.tessarocPage = page;
    // The program waiting for an event goes on once the handler has queued all of its own.
    const wakeProgram = function() { if (page.wake) page.wake(); };
    const push = function(kind, a, b, c, d) {
        page.queue.push(kind, a | 0, b | 0, c | 0, d | 0);
        if (page.wake) queueMicrotask(wakeProgram);
    };
    page.push = push;
    const at = function(event) {
        const box = desk.getBoundingClientRect();
        return [Math.floor((event.clientX - box.left) / page.scale),
                Math.floor((event.clientY - box.top) / page.scale)];
    };
    const button = function(event, which, down) {
        const p = at(event);
        push(3, event.shiftKey, event.ctrlKey, 0, 0);
        push(2, which, down, p[0], p[1]);
    };
    const move = function(event) {
        const p = at(event);
        push(1, p[0], p[1], 0, 0);
    };
    // A mouse's event: where the pointer is, then its button (0 left, 1 middle, 2 right, -1
    // none) going down or up.
    const mouse = function(event, down) {
        move(event);
        if (event.button >= 0 && event.button <= 2) button(event, [1, 3, 2][event.button], down);
    };
    // A touch on the title bar (the window's top 27 rows, where the frame takes presses) is a
    // press there at once, as a mouse's, and drags the window; one moved elsewhere is a
    // scroll, which posts nothing.
    const touchHoldMs = 500, touchSlop = 8, captionRows = 27;
    const touchDown = function(event) {
        move(event);
        const row = (event.clientY - canvas.getBoundingClientRect().top) / page.scale;
        const touch = { x: event.clientX, y: event.clientY, pressed: 0, event: event,
                        id: event.pointerId, gesture: false };
        page.touch = touch;
        if (row >= 0 && row < captionRows) { touch.pressed = 1; button(event, 1, 1); return; }
        touch.timer = setTimeout(function() {
            touch.pressed = 2;
            button(touch.event, 2, 1);
            button(touch.event, 2, 0);
        }, touchHoldMs);
    };
    // The touch becomes a gesture: a drag of the title bar lets go where it got to.
    const gesture = function(touch) {
        if (touch.gesture) return;
        touch.gesture = true;
        clearTimeout(touch.timer);
        if (touch.pressed === 1) button(touch.event, 1, 0);
    };
    const touchMove = function(event) {
        const touch = page.touch;
        if (touch.gesture || event.pointerId !== touch.id) return;
        if (touch.pressed === 0 && Math.hypot(event.clientX - touch.x, event.clientY - touch.y) > touchSlop) {
            gesture(touch);
            return;
        }
        if (touch.pressed === 1) touch.event = event;
        move(event);
    };
    const touchUp = function(event) {
        const touch = page.touch;
        if (page.fingers === 0) page.touch = null;
        if (touch.gesture || event.pointerId !== touch.id) return;
        clearTimeout(touch.timer);
        move(event);
        if (touch.pressed === 0) button(event, 1, 1);
        if (touch.pressed !== 2) button(event, 1, 0);
        page.touch = null;
    };
    page.focusGame = function() {
        (page.wantsText ? typing : canvas).focus({ preventScroll: true });
    };
    // Every finger on the page counts, on the canvas or beside it.
    window.addEventListener("pointerdown", function(event) {
        if (event.pointerType !== "touch") return;
        page.fingers++;
        if (page.touch) gesture(page.touch);
    }, true);
    canvas.addEventListener("pointerdown", function(event) {
        event.preventDefault();
        page.focusGame();
        try { canvas.setPointerCapture(event.pointerId); } catch (e) {}
        if (event.pointerType === "touch") {
            if (!page.touch && page.fingers === 1) touchDown(event);
            return;
        }
        mouse(event, 1);
    });
    window.addEventListener("pointermove", function(event) {
        if (event.pointerType === "touch") { if (page.touch) touchMove(event); return; }
        // A second button pressed or released while another is held comes as a move.
        mouse(event, (event.buttons & [1, 4, 2][event.button]) ? 1 : 0);
    });
    const up = function(event) {
        if (event.pointerType === "touch") {
            page.fingers = Math.max(0, page.fingers - 1);
            if (page.touch) touchUp(event);
            return;
        }
        mouse(event, 0);
    };
    window.addEventListener("pointerup", up);
    window.addEventListener("pointercancel", function(event) {
        if (event.pointerType !== "touch") return;
        if (page.touch) gesture(page.touch);
        up(event);
    });
    desk.addEventListener("contextmenu", function(event) { event.preventDefault(); });
    desk.addEventListener("selectstart", function(event) { event.preventDefault(); });
    // A press elsewhere on the page leaves the focus where it is (buttons still work).
    desk.addEventListener("mousedown", function(event) {
        if (event.target.tagName !== "BUTTON") event.preventDefault();
    });
    // The set-1 scan code of each KeyboardEvent.code (the physical key, named by its place on
    // a US keyboard, as set-1 codes are): the key a German keyboard labels Z is "KeyY", 0x15.
    const codes = {
        Escape: 0x01, Digit0: 0x0B, Minus: 0x0C, Equal: 0x0D, Backspace: 0x0E, Tab: 0x0F,
        BracketLeft: 0x1A, BracketRight: 0x1B, Enter: 0x1C, ControlLeft: 0x1D, Semicolon: 0x27,
        Quote: 0x28, Backquote: 0x29, ShiftLeft: 0x2A, Backslash: 0x2B, Comma: 0x33, Period: 0x34,
        Slash: 0x35, ShiftRight: 0x36, NumpadMultiply: 0x37, AltLeft: 0x38, Space: 0x39,
        CapsLock: 0x3A, NumLock: 0x45, ScrollLock: 0x46, Numpad7: 0x47, Numpad8: 0x48,
        Numpad9: 0x49, NumpadSubtract: 0x4A, Numpad4: 0x4B, Numpad5: 0x4C, Numpad6: 0x4D,
        NumpadAdd: 0x4E, Numpad1: 0x4F, Numpad2: 0x50, Numpad3: 0x51, Numpad0: 0x52,
        NumpadDecimal: 0x53, IntlBackslash: 0x56, F11: 0x57, F12: 0x58, NumpadEnter: 0x9C,
        ControlRight: 0x9D, NumpadDivide: 0xB5, PrintScreen: 0xB7, AltRight: 0xB8, Pause: 0xC5,
        Home: 0xC7, ArrowUp: 0xC8, PageUp: 0xC9, ArrowLeft: 0xCB, ArrowRight: 0xCD, End: 0xCF,
        ArrowDown: 0xD0, PageDown: 0xD1, Insert: 0xD2, Delete: 0xD3, MetaLeft: 0xDB,
        MetaRight: 0xDC, ContextMenu: 0xDD
    };
    [[0x10, "QWERTYUIOP"], [0x1E, "ASDFGHJKL"], [0x2C, "ZXCVBNM"]].forEach(function(row) {
        for (let i = 0; i < row[1].length; i++) codes["Key" + row[1][i]] = row[0] + i;
    });
    for (let i = 1; i <= 9; i++) codes["Digit" + i] = 0x01 + i;
    for (let i = 1; i <= 10; i++) codes["F" + i] = 0x3A + i;
    // Keys the text field's keyboard composes come as its input, not as keys.
    const key = function(event, down) {
        const code = codes[event.code];
        if (!code || page.ended || event.isComposing || event.keyCode === 229) return;
        // Function keys and the browser's shortcuts stay the browser's.
        if (!(code >= 0x3B && code <= 0x44) && code !== 0x57 && code !== 0x58 &&
            !event.metaKey && !(event.ctrlKey && code !== 0x1D && code !== 0x9D))
            event.preventDefault();
        push(3, event.shiftKey, event.ctrlKey, 0, 0);
        push(4, code, down, 0, 0);
    };
    window.addEventListener("keydown", function(event) { key(event, 1); });
    window.addEventListener("keyup", function(event) { key(event, 0); });
    window.addEventListener("blur", function() { push(5, 0, 0, 0, 0); });
    // The text field holds one blank: a Backspace on an empty name still has it to delete.
    // What follows the blank once nothing is being composed is typed; a missing blank is a
    // Backspace; the keyboard's Enter submits the field's form.
    page.blank = " ";
    const typed = function() {
        const text = typing.value;
        typing.value = page.blank;
        if (!text.startsWith(page.blank)) { push(6, 8, 0, 0, 0); return; }
        for (const character of text.slice(page.blank.length))
            push(6, character.codePointAt(0), 0, 0, 0);
    };
    typing.addEventListener("input", function(event) { if (!event.isComposing) typed(); });
    typing.addEventListener("compositionend", typed);
    typing.form.addEventListener("submit", function(event) {
        event.preventDefault();
        typed();
        push(6, 13, 0, 0, 0);
    });
    // The program saves its settings when the page is hidden (a phone may end a background
    // tab without a word) and when it goes away, then without waiting for locks (nothing can
    // wait any more, and the settings' last change wins).
    const save = function(exported) {
        Module.tessarocLeaving = true;
        try { Module[exported](); } finally { Module.tessarocLeaving = false; }
    };
    document.addEventListener("visibilitychange", function() {
        wakeProgram();
        if (document.hidden && page.frameStep) page.frameStep();
        if (document.hidden) save("_tessaroc_page_hidden");
    });
    page.leaving = function() { save("_tessaroc_page_leaving"); };
    window.addEventListener("pagehide", page.leaving);
    canvas.focus({ preventScroll: true });
    return 1;
});

// clang-format on

bool OpenPage() {
    return web_open_page() != 0;
}
