// The real window on SDL2: set-up, placement, present with frame pacing, desktop, end.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "backend.h"
#include "sdl_platform.h"
#include "sdl_state.h"
#include "whole_numbers.h"

SdlWindowRecord SdlWindow;
SdlInputRecord SdlInput;

void ResetSdlState() {
    SdlWindow = SdlWindowRecord();
    SdlInput = SdlInputRecord();
    ResetEventState();
}

// ---------------------------------------------------------------- set-up

// The video driver that shows a window on the user's screen: X11 wherever an X display is
// named, Wayland only where there is none; null when there is neither. SDL's own choice
// would fall back to drivers that draw off screen, and the game would run invisibly.
static const char* ScreenDriver() {
    const char* x = std::getenv("DISPLAY");
    if (x && *x) return "x11";
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return "wayland";
    return nullptr;
}

// Opens SDL's video on the screen driver (SDL then tries no other), whatever SDL_VIDEODRIVER
// says. A display that refuses the connection is asked again for DisplayRetryMs (an X server
// drops connections while it resets after its last client left). Reports a failure on stderr.
static bool OpenVideo() {
    constexpr int32_t DisplayRetryMs = 1000, RetryStepMs = 50;
    const char* driver = ScreenDriver();
    if (!driver) {
        std::fprintf(stderr, "tessaroc: cannot open the display: neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set\n");
        return false;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
    const int32_t start = TickCountMs();
    while (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        // SDL takes its displays from RandR's switched-on outputs and refuses a server whose
        // outputs are all switched off ("No available displays"). The next tries leave RandR
        // to CurrentDisplays, and SDL takes the X screen as its one display.
        SDL_SetHintWithPriority(SDL_HINT_VIDEO_X11_XRANDR, "0", SDL_HINT_OVERRIDE);
        if (TickCountMs() - start >= DisplayRetryMs) {
            const char* name =
                std::getenv(std::strcmp(driver, "x11") == 0 ? "DISPLAY" : "WAYLAND_DISPLAY");
            std::fprintf(stderr, "tessaroc: cannot open the display %s (%s): %s\n", name, driver,
                         SDL_GetError());
            return false;
        }
        SleepMs(RetryStepMs);
    }
    return true;
}

// Xlib, when the connection to the X server broke (the server ended, the session closed):
// the program's handler saves what must not be lost, one line goes to stderr, and the
// program ends with code 1 (Xlib would end it anyway once this returns).
static int OnDisplayLost(Display* display) {
    RunDisplayLostHandler();
    std::fprintf(stderr, "tessaroc: lost the connection to the display %s\n",
                 display ? DisplayString(display) : "");
    std::_Exit(1);
}

// The handler of X errors that was in place before ours (SDL's, which ends the program).
static XErrorHandler OtherErrors = nullptr;

// Xlib, when the X server refused a request: one on our window means that another program
// destroyed it (a window manager's kill, xdotool windowclose). As with a lost display, the
// program's handler saves what must not be lost, one line goes to stderr, and the program
// ends with code 1. Errors about anything else go on to the handler before ours.
static int OnWindowError(Display* display, XErrorEvent* error) {
    if (SdlWindow.xWindow == 0 || error->resourceid != SdlWindow.xWindow)
        return OtherErrors ? OtherErrors(display, error) : 0;
    RunDisplayLostHandler();
    char what[80] = "";
    XGetErrorText(display, error->error_code, what, sizeof what);
    std::fprintf(stderr, "tessaroc: the window was destroyed by another program (%s)\n", what);
    std::_Exit(1);
}

// Start-up, before any window is placed: opens the display and makes the window, still
// hidden, so that every failure of the window system shows here where start-up checks it.
int32_t OpenScreenSystem() {
    if (SdlWindow.window) return 1;
    InstallQuitSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (!OpenVideo()) return 0;
    XSetIOErrorHandler(OnDisplayLost);
    SDL_StopTextInput();
    SDL_Window* window =
        SDL_CreateWindow("Tessaroc", 0, 0, 370, 310, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (!window || !SDL_GetWindowSurface(window)) {
        std::fprintf(stderr, "tessaroc: cannot create the window: %s\n", SDL_GetError());
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return 0;
    }
    SdlWindow.window = window;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        SdlWindow.xDisplay = info.info.x11.display;
        SdlWindow.xWindow = info.info.x11.window;
        const XErrorHandler previous = XSetErrorHandler(OnWindowError);
        if (previous != OnWindowError) OtherErrors = previous; // once per process
    }
    OpenDisplays();
    const SDL_Keymod mods = SDL_GetModState();
    PostModifiers((mods & KMOD_SHIFT) != 0, (mods & KMOD_CTRL) != 0);
    return 1;
}

unsigned long SdlNativeWindow() {
    return SdlWindow.xWindow;
}

// The window's top-left corner in the game's pixels: desktop pixels divided by the scale.
void WindowDesktopPosition(int32_t* left, int32_t* top) {
    int32_t x = 0, y = 0;
    PhysicalWindowPosition(&x, &y);
    *left = FloorDivide(x, SdlWindow.scale);
    *top = FloorDivide(y, SdlWindow.scale);
}

// Start-up, through the frame toolkit: places the window made by OpenScreenSystem with its
// client area at (x, y), at the factor of the display that place lies on and moved into that
// display's work area (centred in the first display's work area for flags 1 and 2: there is
// no active window of ours to centre on), borderless for the pop-up style, and shows it
// unless asked not to. Position and size are in the game's pixels, the window scale times as
// large.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title) {
    (void)number;
    if (!SdlWindow.window && !OpenScreenSystem()) return 0;
    SDL_Window* w = SdlWindow.window;
    SDL_SetWindowTitle(w, TextToUtf8(title).c_str());
    SDL_SetWindowBordered(w, (style & StylePopup) ? SDL_FALSE : SDL_TRUE);
    width = std::max(width, 1);
    height = std::max(height, 1);
    const bool centre = (style & (StyleCentreDesktop | StyleCentreActive)) != 0;
    const std::vector<SdlDisplay> displays = CurrentDisplays();
    const SdlDisplay* display = DisplayOfWindow(displays, DesktopArea{x, y, width, height}, true);
    if (centre && !displays.empty()) display = &displays.front();
    if (display) SdlWindow.scale = display->scale;
    const int32_t scale = SdlWindow.scale;
    const int outerW = width * scale, outerH = height * scale;
    SDL_SetWindowSize(w, outerW, outerH);
    DesktopArea placed{x * scale, y * scale, outerW, outerH};
    if (display && centre) {
        placed.x = display->work.x + (display->work.width - outerW) / 2;
        placed.y = display->work.y + (display->work.height - outerH) / 2;
    }
    if (display) placed = FitWindowIntoArea(placed, display->work);
    SDL_SetWindowPosition(w, placed.x, placed.y);
    if (!(style & StyleInvisible)) {
        SDL_ShowWindow(w);
        // Without a window manager X honours the position given before mapping; with one,
        // the manager may have placed the window itself: put it back where it was asked.
        SDL_SetWindowPosition(w, placed.x, placed.y);
        SDL_RaiseWindow(w);
        SDL_SetWindowInputFocus(w);
    }
    ForgetServerAnswers();
    return 1;
}

// Start-up: the core's back buffer (black) and the start of the frame pacing.
int32_t AttachBackBuffer(int32_t width, int32_t height) {
    if (!SdlWindow.window || width <= 0 || height <= 0) return 0;
    CreateBackBuffer(width, height);
    SdlPaceFrames(true);
    return 1;
}

// The screens' size changes, roll-up and unroll: new client size (game pixels), same
// top-left corner, except that a window that grows moves the least needed to stay inside
// the work area of its display.
void ResizeMainWindow(int32_t width, int32_t height) {
    if (!SdlWindow.window) return;
    int32_t left = 0, top = 0;
    PhysicalWindowPosition(&left, &top);
    int oldW = 0, oldH = 0;
    SDL_GetWindowSize(SdlWindow.window, &oldW, &oldH);
    const int newW = std::max(width, 1) * SdlWindow.scale;
    const int newH = std::max(height, 1) * SdlWindow.scale;
    SDL_SetWindowSize(SdlWindow.window, newW, newH);
    ForgetServerAnswers();
    ForgetWindowCopy();
    DesktopArea target{left, top, newW, newH};
    if (newW > oldW || newH > oldH) {
        const std::vector<SdlDisplay> displays = CurrentDisplays();
        if (const SdlDisplay* display = DisplayOfWindow(displays, target, false))
            target = FitWindowIntoArea(target, display->work);
    }
    int32_t nowLeft = 0, nowTop = 0;
    PhysicalWindowPosition(&nowLeft, &nowTop);
    if (nowLeft != target.x || nowTop != target.y) {
        SDL_SetWindowPosition(SdlWindow.window, target.x, target.y);
        ForgetServerAnswers();
    }
}

// Converts desktop rows first to first + count - 1 of the back buffer enlarged by the scale
// (each pixel repeated scale times across and down, no smoothing), w pixels wide, into the
// surface; first is a multiple of the scale. At scale 1 the back buffer's own rows are
// converted.
static void SendRows(SDL_Surface* surface, int first, int count, int w) {
    const int scale = SdlWindow.scale;
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    const uint32_t* pixels = BackBufferPixels() + size_t(first / scale) * size_t(bufferWidth);
    int pitch = int(bufferWidth) * 4;
    if (scale > 1) {
        std::vector<uint32_t>& out = SdlWindow.scaled;
        if (out.size() < size_t(w) * size_t(count)) out.resize(size_t(w) * size_t(count));
        for (int y = 0; y < count; y++) {
            uint32_t* row = out.data() + size_t(y) * size_t(w);
            if (y % scale != 0) {
                std::copy(row - w, row, row);
                continue;
            }
            const uint32_t* source = pixels + size_t(y / scale) * size_t(bufferWidth);
            for (int x = 0; x < w; x++)
                row[x] = source[x / scale];
        }
        pixels = out.data();
        pitch = w * 4;
    }
    SDL_ConvertPixels(w, count, SDL_PIXELFORMAT_RGB888, pixels, pitch, surface->format->format,
                      static_cast<uint8_t*>(surface->pixels) + first * surface->pitch,
                      surface->pitch);
}

// Copies the top-left part of the back buffer (0x00RRGGBB rows) into the present's target
// (the shared image, else SDL's window surface), enlarged by the scale, black where the
// window is larger than the buffer, and sends it. Only the rows that changed since the last
// present are copied and sent (in the game's rows, each scale desktop rows high), so a frame
// equal to the last one costs no copy and no call of X. A window manager may give the window
// a size that is not a multiple of the scale: its last desktop column and row then show a
// game column and row of their own, which are compared too. Returns whether it sent
// anything to the window.
static bool CopyBackBufferToWindow() {
    SDL_Surface* shared = SharedFrameSurface();
    SDL_Surface* surface = shared ? shared : SDL_GetWindowSurface(SdlWindow.window);
    if (!surface) return false;
    // A new surface (after a resize) holds nothing of ours yet.
    if (surface != SdlWindow.surface) ForgetWindowCopy();
    SdlWindow.surface = surface;
    const int scale = SdlWindow.scale;
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    const int w = std::min(surface->w, int(bufferWidth) * scale);
    const int h = std::min(surface->h, int(bufferHeight) * scale);
    const bool larger = w < surface->w || h < surface->h;
    if (larger) { // a window larger than the buffer: all of it, black beyond the buffer
        SDL_FillRect(surface, nullptr, 0);
        ForgetWindowCopy();
    }
    std::vector<SDL_Rect> rects;
    for (const RowRun& run : TakeChangedRows((w + scale - 1) / scale, (h + scale - 1) / scale)) {
        const int first = run.first * scale;
        const int count = std::min(run.count * scale, h - first);
        SendRows(surface, first, count, w);
        rects.push_back(SDL_Rect{0, first, w, count});
    }
    if (larger) rects.assign(1, SDL_Rect{0, 0, surface->w, surface->h});
    if (rects.empty()) return false;
    if (shared) {
        SendSharedRects(rects.data(), int(rects.size()));
    } else {
        SDL_UpdateWindowSurfaceRects(SdlWindow.window, rects.data(), int(rects.size()));
    }
    return true;
}

// Every frame of every screen: shows the frame, then waits until more than 1/61 s has passed
// since the previous present returned (sleeping, not spinning; no catch-up after a slow
// frame) and the X server has read what it sent. A still frame instead sleeps until the
// player acts (EndFrame); the next frame then comes at once. Takes no events.
void PresentBackBuffer() {
    if (!SdlWindow.window) return;
    constexpr int64_t FrameNs = 1000000000 / 61 + 1; // just over 1/61 s
    if (!EndFrame(CopyBackBufferToWindow())) {
        if (SdlWindow.paced) SleepUntilNs(SdlWindow.presentReturn + FrameNs);
        FinishSharedSend();
    }
    SdlWindow.presentReturn = MonotonicNs();
}

void SdlPaceFrames(bool on) {
    SdlWindow.paced = on;
    SdlWindow.presentReturn = MonotonicNs();
}

// ---------------------------------------------------------------- desktop

int32_t DisplayCount() {
    return int32_t(CurrentDisplays().size());
}

// A display's rectangle in the game's pixels: desktop pixels divided by the display's own
// factor, so that a window placed in it at that factor lies on it.
int32_t DisplayBounds(int32_t index, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    const std::vector<SdlDisplay> displays = CurrentDisplays();
    if (index < 0 || size_t(index) >= displays.size()) return 0;
    const DesktopArea game =
        InGamePixels(displays[size_t(index)].bounds, displays[size_t(index)].scale);
    *x = game.x;
    *y = game.y;
    *width = game.width;
    *height = game.height;
    return 1;
}

// ---------------------------------------------------------------- end

// End of the program: data files committed, window and display closed.
void ClosePlatform() {
    CloseAllDataFiles();
    DropSharedFrame();
    if (SdlWindow.window) {
        SDL_DestroyWindow(SdlWindow.window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SDL_Quit();
    ResetSdlState();
}
