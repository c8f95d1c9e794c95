// State of the browser window backend (platform/window/web), and what its files share.
//
// Positions are desktop pixels: the page's CSS pixels divided by the page scale, which shows
// one game pixel as a whole number of device pixels where the viewport has room.
#pragma once

#include <cstdint>
#include <vector>

struct WebWindowRecord {
    bool open = false;             // the page's canvas is taken
    bool placed = false;           // shown: CreateMainWindow ran without StyleInvisible
    int32_t x = 0, y = 0;          // client origin on the page, desktop pixels
    int32_t width = 0, height = 0; // client size, game pixels
    double lastReturnMs = 0;       // when the last present returned (pacing)
    bool pacing = false;           // a back buffer is attached: presents keep the frame rate
    bool textOffered = false;      // the page's text field holds the focus (TypedTextWanted)
    std::vector<uint8_t> rgba;     // rows on their way to the canvas, 4 bytes a pixel
};
extern WebWindowRecord WebWindow;

// The pointer as the page last reported it: desktop pixels and the left button, and where the
// left button last went up.
struct WebPointerRecord {
    int32_t x = 0, y = 0;
    bool leftHeld = false;
    int32_t leftUpX = 0, leftUpY = 0;
};
extern WebPointerRecord WebPointer;

// Start-up: takes the page's canvas and starts listening; false without a canvas (web_page.cpp).
bool OpenPage();
// Hands the page's pending events to the core (web_events.cpp); also keeps WebPointer.
void PumpPageEvents();
// Puts the canvas at (x, y) on the page (web_window.cpp).
void MoveWebWindow(int32_t x, int32_t y);
