// The game's window in a browser page: a canvas placed on the page, presents on animation
// frames, the page as the desktop, the clock, the end.
#include <algorithm>
#include <emscripten.h>

#include "backend.h"
#include "web_state.h"

WebWindowRecord WebWindow;
WebPointerRecord WebPointer;

// clang-format off

// The page scale (CSS pixels per game pixel): a whole number of device pixels a game pixel
// where the viewport has room for the window, else whatever fits its width and height.
// Chosen again for each new size of the window and of the viewport.
EM_JS(void, web_choose_scale, (int width, int height), {
    const page = Module.tessarocPage;
    page.chooseScale = function(w, h) {
        const ratio = window.devicePixelRatio || 1;
        let scale = Math.max(1, Math.round(ratio)) / ratio;
        const roomX = page.desk.clientWidth, roomY = page.desk.clientHeight;
        if (roomX > 0 && roomY > 0) scale = Math.min(scale, roomX / w, roomY / h);
        page.scale = scale;
    };
    page.chooseScale(width, height);
});

// Sizes the canvas (its backing store is the client area in game pixels) and puts it at
// (x, y) desktop pixels; the note under it follows. A new size of the viewport places it
// again at the scale chosen for it, and tells the program, which keeps it inside.
EM_JS(void, web_place_canvas, (int x, int y, int width, int height, int visible), {
    const page = Module.tessarocPage;
    page.place = function() {
        const canvas = page.canvas;
        if (canvas.width !== width) canvas.width = width;
        if (canvas.height !== height) canvas.height = height;
        const s = page.scale;
        canvas.style.width = (width * s) + "px";
        canvas.style.height = (height * s) + "px";
        canvas.style.left = (x * s) + "px";
        canvas.style.top = (y * s) + "px";
        canvas.style.visibility = visible ? "visible" : "hidden";
        const note = document.getElementById("note");
        if (note) {
            note.style.left = (x * s) + "px";
            note.style.top = ((y + height) * s + 4) + "px";
        }
    };
    page.place();
    if (!page.onResize) {
        page.onResize = function() {
            page.chooseScale(page.canvas.width, page.canvas.height);
            page.place();
            page.push(7, 0, 0, 0, 0);
        };
        window.addEventListener("resize", page.onResize);
    }
});

// The desktop's size in desktop pixels: the page's viewport.
EM_JS(void, web_desk_size, (int* width, int* height), {
    const page = Module.tessarocPage;
    HEAP32[width >> 2] = Math.floor(page.desk.clientWidth / page.scale);
    HEAP32[height >> 2] = Math.floor(page.desk.clientHeight / page.scale);
});

// Rows first to first + count - 1 of the canvas from RGBA bytes, width pixels a row.
EM_JS(void, web_put_rows, (const uint8_t* rgba, int first, int count, int width), {
    const page = Module.tessarocPage;
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * count * 4);
    page.context.putImageData(new ImageData(bytes, width, count), 0, first);
    if (!page.firstFrameMs) page.firstFrameMs = performance.now();
});

// The program ended: the canvas goes, and the page offers to start it again.
EM_JS(void, web_close_page, (), {
    const page = Module.tessarocPage;
    page.canvas.style.visibility = "hidden";
    page.ended = true;
    window.removeEventListener("pagehide", page.leaving);
    if (Module["tessarocEnded"]) Module["tessarocEnded"]();
});

// TellPlayer's box: a line under the canvas, handed to the page (web/page.js), which shows
// each line once; no alert(), which would hold the page until it is answered.
EM_JS(void, web_show_message, (const char* title, const char* text), {
    const show = Module["tessarocMessage"];
    if (show) show(UTF8ToString(title), UTF8ToString(text));
});

// Sleeps until an animation frame at or after the time (ms of TickCountMs) has come, or until
// that time in a hidden tab, which has no animation frames. Also counts the program's own work
// per frame (from the end of one wait to the start of the next) in tessarocPage.work, for
// measurements.
EM_JS(void, web_wait_frame, (double untilMs), {
    const page = Module.tessarocPage;
    Asyncify.handleSleep(function(wakeUp) {
        if (page.lastWake !== undefined) {
            page.work.frames++;
            page.work.ms += performance.now() - page.lastWake;
        }
        let done = false, timer = 0;
        // A tab hidden meanwhile has no more animation frames: the wait goes on by the clock.
        const later = function() {
            if (document.hidden) timer = setTimeout(step, Math.max(0, untilMs - performance.now()));
            else requestAnimationFrame(step);
        };
        const step = function() {
            if (done) return;
            clearTimeout(timer);
            if (performance.now() < untilMs - 0.5) return later();
            done = true;
            page.frameStep = null;
            page.lastWake = performance.now();
            wakeUp();
        };
        page.frameStep = step;
        later();
    });
});

EM_JS(int, web_page_hidden, (), {
    return document.hidden ? 1 : 0;
});

// clang-format on

namespace {

void PlaceCanvas() {
    web_place_canvas(WebWindow.x, WebWindow.y, std::max(WebWindow.width, 1),
                     std::max(WebWindow.height, 1), WebWindow.placed ? 1 : 0);
}

// The canvas with the client size width x height at the scale chosen for it, its client area at
// (x, y) or centred on the page, moved only as far as keeps it inside the page where it fits (a
// position kept from a larger page comes back into view).
void PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height, bool centre) {
    web_choose_scale(std::max(width, 1), std::max(height, 1));
    int32_t deskWidth = 0, deskHeight = 0;
    web_desk_size(&deskWidth, &deskHeight);
    if (centre) {
        x = (deskWidth - width) / 2;
        y = (deskHeight - height) / 2;
    }
    x = std::clamp(x, 0, std::max(0, deskWidth - width));
    y = std::clamp(y, 0, std::max(0, deskHeight - height));
    WebWindow.x = x;
    WebWindow.y = y;
    WebWindow.width = width;
    WebWindow.height = height;
    PlaceCanvas();
}

// Sends the rows of the back buffer that changed since the last present to the canvas, as
// RGBA bytes; nothing when the frame is the same.
bool SendChangedRows() {
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    const int32_t w = std::min(WebWindow.width, bufferWidth);
    const int32_t h = std::min(WebWindow.height, bufferHeight);
    if (w <= 0 || h <= 0) return false;
    const uint32_t* pixels = BackBufferPixels();
    const std::vector<RowRun>& runs = TakeChangedRows(w, h);
    for (const RowRun& run : runs) {
        std::vector<uint8_t>& rgba = WebWindow.rgba;
        rgba.resize(size_t(w) * size_t(run.count) * 4);
        uint8_t* out = rgba.data();
        for (int32_t y = run.first; y < run.first + run.count; ++y) {
            const uint32_t* row = pixels + size_t(y) * size_t(bufferWidth);
            for (int32_t x = 0; x < w; ++x) {
                *out++ = uint8_t(row[x] >> 16);
                *out++ = uint8_t(row[x] >> 8);
                *out++ = uint8_t(row[x]);
                *out++ = 255;
            }
        }
        web_put_rows(rgba.data(), run.first, run.count, w);
    }
    return !runs.empty();
}

} // namespace

// Milliseconds since the page started, wrapping at 2^32.
int32_t TickCountMs() {
    return int32_t(uint32_t(uint64_t(emscripten_get_now())));
}

// The browser runs on meanwhile; what the page reported goes to the core, as after a present.
void SleepMs(int32_t ms) {
    if (ms <= 0) return;
    emscripten_sleep(uint32_t(ms));
    if (WebWindow.open) PumpPageEvents();
}

// Start-up: takes the page's canvas (still hidden) and starts listening to the page.
int32_t OpenScreenSystem() {
    if (WebWindow.open) return 1;
    if (!OpenPage()) return 0;
    WebWindow.open = true;
    web_choose_scale(370, 310);
    return 1;
}

// Start-up, through the frame toolkit: places the canvas with its client area at (x, y),
// centred on the page for the centring styles, inside the page where it fits.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title) {
    (void)number, (void)title;
    if (!WebWindow.open && !OpenScreenSystem()) return 0;
    WebWindow.placed = (style & StyleInvisible) == 0;
    PlaceWindow(x, y, width, height, (style & (StyleCentreDesktop | StyleCentreActive)) != 0);
    ForgetWindowCopy();
    return 1;
}

// Start-up: the core's back buffer (black) and the start of the frame pacing.
int32_t AttachBackBuffer(int32_t width, int32_t height) {
    if (!WebWindow.open || width <= 0 || height <= 0) return 0;
    CreateBackBuffer(width, height);
    WebWindow.pacing = true;
    WebWindow.lastReturnMs = emscripten_get_now();
    return 1;
}

// Roll-up, unroll and a round's size, and a new size of the viewport (web_events.cpp, at the
// same client size): the canvas takes the client size at the same corner, moved only as far as
// keeps it inside the page (a new backing store holds nothing: the next present sends it whole).
void ResizeMainWindow(int32_t width, int32_t height) {
    if (!WebWindow.open) return;
    PlaceWindow(WebWindow.x, WebWindow.y, width, height, false);
    ForgetWindowCopy();
}

// Every frame of every screen: the changed rows go to the canvas (none in a hidden tab, which
// gets them all once it shows again), then the present waits for the browser's animation
// frame at least 1/61 s after the last present returned (no catch-up after a slow frame); a
// still frame instead waits for the page's next event, asking for no animation frames.
// What the page reported meanwhile goes to the core before the next frame begins, so the
// frame's hit tests, which look at the core's queue before they poll, judge a click just made
// where it was made.
void PresentBackBuffer() {
    if (!WebWindow.open) return;
    bool sent = false;
    if (web_page_hidden())
        ForgetWindowCopy();
    else
        sent = SendChangedRows();
    const bool waited = EndFrame(sent);
    if (!waited && !WebWindow.pacing) return;
    if (!waited) web_wait_frame(WebWindow.lastReturnMs + 1000.0 / 61);
    WebWindow.lastReturnMs = emscripten_get_now();
    PumpPageEvents();
}

void WindowDesktopPosition(int32_t* left, int32_t* top) {
    *left = WebWindow.x;
    *top = WebWindow.y;
}

// Called by the window's move (web_events.cpp): the canvas at a new place on the page.
void MoveWebWindow(int32_t x, int32_t y) {
    WebWindow.x = x;
    WebWindow.y = y;
    PlaceCanvas();
}

int32_t DisplayCount() {
    return WebWindow.open ? 1 : 0;
}

// The page's viewport, in desktop pixels.
int32_t DisplayBounds(int32_t index, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    if (index != 0 || !WebWindow.open) return 0;
    web_desk_size(width, height);
    *x = 0;
    *y = 0;
    return 1;
}

// The page's visibilitychange to hidden: a phone may end a hidden tab without a word, so the
// program's handler saves the preferences now and stays for the next time.
extern "C" EMSCRIPTEN_KEEPALIVE void tessaroc_page_hidden() {
    RunDisplayHiddenHandler();
}

// The page's pagehide event: the page is closed, reloaded or left while the program runs, as
// when a desktop's display goes away; the program's handler saves the preferences.
extern "C" EMSCRIPTEN_KEEPALIVE void tessaroc_page_leaving() {
    RunDisplayLostHandler();
}

// TellPlayer, the first time for a title: the line goes under the canvas and the game goes on
// at once, as nothing on a page waits for an answer; TellPlayer's stderr line is the
// console's.
void BackendShowMessage(const Text& title, const Text& text) {
    web_show_message(TextToUtf8(title).c_str(), TextToUtf8(text).c_str());
}

// End of the program: data files committed, the canvas hidden, the page offers a new start.
void ClosePlatform() {
    CloseAllDataFiles();
    if (WebWindow.open) web_close_page();
    WebWindow = WebWindowRecord();
    ResetEventState();
}
