// The browser window backend's side of the page: the canvas that is the game's window, its
// place on the page (the desktop), the events the page reports and the waits on the browser.
//
// Positions are desktop pixels: the page's CSS pixels divided by the page scale, which shows
// one game pixel as a whole number of device pixels where the viewport has room.
#pragma once

#include <cstdint>

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

// Start-up: takes the page's canvas and starts listening; false without a canvas.
bool OpenPage();
// Moves the page's events into events (at most capacity); their count.
int32_t TakePageEvents(WebEvent* events, int32_t capacity);
// Sleeps until the page has an event or ms pass (the browser runs meanwhile).
void WaitForPageEvent(int32_t ms);
// Sleeps until an animation frame at or after the time (ms of TickCountMs) has come, or
// until that time in a hidden tab, which has no animation frames.
void WaitForFrame(double untilMs);
// While the game wants text the page's text field holds the focus, else the canvas.
void OfferTextInput(bool on);
// Whether the tab is hidden (nothing it draws is seen).
bool PageHidden();
