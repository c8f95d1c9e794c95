// The real window on Windows: set-up, placement, present with frame pacing, desktop, clock,
// session end and the end of the program.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "backend.h"
#include "whole_numbers.h"
#include "win32_platform.h"
#include "win32_state.h"

Win32WindowRecord Win32Window;

static const wchar_t WindowClassName[] = L"TessarocWindow";

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which the MinGW headers lack: Windows 10 1803 and
// later give a waitable timer with sub-millisecond resolution.
constexpr DWORD HighResolutionTimer = 0x00000002;

// A Windows-1252 text as UTF-16 for the W calls, through the shared table (the system's code
// page plays no part).
static std::wstring Wide(const Text& text) {
    const std::u16string units = TextToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

// ---------------------------------------------------------------- session end

// Set by ClosePlatform (manual reset), made with the console handler, which waits on it so that
// the ordinary end finishes first, maybe after ClosePlatform cleared the window's record.
static HANDLE SessionEnded = nullptr;

// Ctrl+C, the console window closing, log-off and shut-down of a console the program was
// started from: the quit is requested, and for the ends that terminate the process when the
// handler returns, the handler (on its own thread) waits for the ordinary end to finish.
static BOOL WINAPI OnConsoleControl(DWORD event) {
    RequestQuit();
    // Wakes the program's thread should it sleep on a still screen.
    if (HWND window = Win32Window.window) PostMessageW(window, WM_NULL, 0, 0);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        constexpr DWORD EndWaitMs = 4000; // the system ends the process after about 5 s
        if (SessionEnded) WaitForSingleObject(SessionEnded, EndWaitMs);
    }
    return TRUE;
}

// OpenKeyboardDevice and OpenScreenSystem: the console events only request the quit, so the
// program ends through its ordinary end. Installing it again changes nothing.
static void InstallQuitHandler() {
    if (SessionEnded) return;
    SessionEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

// Start-up: keys arrive as window messages, so there is nothing to open.
int32_t OpenKeyboardDevice() {
    InstallQuitHandler();
    return 1;
}

// ---------------------------------------------------------------- clock and pauses

// Milliseconds since the system started, wrapping at 2^32 as the game expects.
int32_t TickCountMs() {
    return int32_t(GetTickCount());
}

void SleepMs(int32_t ms) {
    if (ms > 0) Sleep(DWORD(ms));
}

static int64_t CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// ---------------------------------------------------------------- set-up

// One line on stderr naming what failed and one message box saying that no window can be made
// (start-up then ends with a non-zero code). The box's text is the player's language; the
// stderr line is English.
static void ReportFailure(const char* what) {
    const DWORD error = GetLastError();
    std::fprintf(stderr, "tessaroc: %s (error %lu)\n", what, static_cast<unsigned long>(error));
    const std::wstring text =
        Wide(Text("Tessaroc kann kein Fenster anlegen (Fehler ") + IntToText(int32_t(error)) + ")");
    MessageBoxW(nullptr, text.c_str(), L"Tessaroc", MB_OK | MB_ICONERROR);
}

// A monitor's dots per inch as the system tells a DPI-aware program (the manifest makes the
// program one, per monitor where the system can, so that sizes are pixels whatever the
// desktop's scale): GetDpiForMonitor, else the system-wide setting. Looked up at run time
// (Windows 8.1 on) so that older systems still start; shcore stays loaded.
static int32_t MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const HMODULE shcore = LoadLibraryW(L"shcore.dll");
    static const auto getDpi = reinterpret_cast<GetDpiForMonitorCall>(
        shcore ? reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")) : nullptr);
    constexpr int EffectiveDpi = 0; // MDT_EFFECTIVE_DPI: what the player chose for the display
    UINT x = 0, y = 0;
    if (getDpi && getDpi(monitor, EffectiveDpi, &x, &y) == S_OK && x > 0) return int32_t(x);
    HDC screen = GetDC(nullptr);
    const int32_t dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

int32_t Win32ChooseScaleFactor(const char* scaleSetting, int32_t dpi) {
    constexpr int32_t OrdinaryDpi = 96;
    if (const int32_t chosen = ParseScaleSetting(scaleSetting)) return chosen;
    return std::clamp((dpi + OrdinaryDpi / 2) / OrdinaryDpi, 1, MaxScaleFactor);
}

static DesktopArea AreaOf(const RECT& r) {
    return DesktopArea{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// A monitor as the window places itself on it.
struct Win32Display {
    DesktopArea game; // in the game's pixels at its own factor: a window placed in it lies on it
    DesktopArea work; // the part left to windows (less the taskbar), desktop pixels
    int32_t scale;    // the factor on it; 0 for a monitor the system no longer knows
    bool primary;     // the main display
};

// A monitor's rectangle, its work area and its factor: TESSAROC_SCALE as the player chose it
// (read once by OpenScreenSystem); otherwise the factor of the monitor's dots per inch,
// lowered until the largest window fits its work area.
static Win32Display DisplayOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return Win32Display{};
    const int32_t asked = Win32ChooseScaleFactor(nullptr, MonitorDpi(monitor));
    const DesktopArea work = AreaOf(info.rcWork);
    const int32_t scale =
        Win32Window.chosenScale ? Win32Window.chosenScale : FittingScaleFactor(asked, work);
    return Win32Display{InGamePixels(AreaOf(info.rcMonitor), scale), work, scale,
                        (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
}

int32_t Win32ScaleFactor() {
    return Win32Window.scale;
}

// The program's icon, resource 1 of tessaroc.rc (Explorer shows it for the file), at a
// size the system names (SM_CXICON, SM_CXSMICON): loaded once and kept by the system. Null
// in a program without it, which then shows the system's default icon.
static HICON ProgramIcon(int sizeMetric) {
    constexpr int ProgramIconResource = 1;
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(ProgramIconResource), IMAGE_ICON, size,
                                         size, LR_SHARED));
}

// Start-up, before any window is placed: makes the window, still hidden, so that every
// failure of the window system shows here where start-up checks it, and chooses the scale
// factor the window has until it is placed: TESSAROC_SCALE, or that of the main display.
int32_t OpenScreenSystem() {
    if (Win32Window.window) return 1;
    InstallQuitHandler();
    Win32Window.chosenScale = ParseScaleSetting(ScaleSettingOfEnvironment());
    HMONITOR main = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    Win32Window.scale = std::max(DisplayOf(main).scale, 1);
    if (!Win32Window.classRegistered) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_OWNDC; // no CS_DBLCLKS: a second quick press arrives as a press
        wc.lpfnWndProc = TessarocWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = ProgramIcon(SM_CXICON);
        wc.hIconSm = ProgramIcon(SM_CXSMICON);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        wc.lpszClassName = WindowClassName;
        Win32Window.classRegistered = RegisterClassExW(&wc) != 0;
    }
    if (!Win32Window.classRegistered) {
        ReportFailure("cannot register the window class");
        return 0;
    }
    // An application window: a taskbar button although it has no caption, and under Wine a
    // window that the X window manager manages and gives the keyboard focus.
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, WindowClassName, L"Tessaroc", WS_POPUP, 0, 0,
                                  370, 310, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        ReportFailure("cannot create the window");
        return 0;
    }
    // The window's own icons, the class's as well: the taskbar and Alt+Tab ask the window.
    SendMessageW(window, WM_SETICON, ICON_BIG, LPARAM(ProgramIcon(SM_CXICON)));
    SendMessageW(window, WM_SETICON, ICON_SMALL, LPARAM(ProgramIcon(SM_CXSMICON)));
    Win32Window.window = window;
    Win32Window.dc = GetDC(window);
    return 1;
}

intptr_t Win32NativeWindow() {
    return reinterpret_cast<intptr_t>(Win32Window.window);
}

// The window's top-left corner in the game's pixels: desktop pixels divided by the scale.
void WindowDesktopPosition(int32_t* left, int32_t* top) {
    RECT r;
    if (!Win32Window.window || !GetWindowRect(Win32Window.window, &r)) r = RECT{};
    *left = FloorDivide<int32_t>(r.left, Win32Window.scale);
    *top = FloorDivide<int32_t>(r.top, Win32Window.scale);
}

// The displays, the main display first.
static std::vector<Win32Display> Displays() {
    std::vector<Win32Display> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto* displays = reinterpret_cast<std::vector<Win32Display>*>(data);
            const Win32Display display = DisplayOf(monitor);
            if (display.scale != 0)
                displays->insert(display.primary ? displays->begin() : displays->end(), display);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The outer rectangle of a window of style ws whose client area, at the origin, shows width x
// height game pixels at the window's scale.
static DesktopArea OuterRect(DWORD ws, int32_t width, int32_t height) {
    RECT r = {0, 0, std::max(width, 1) * Win32Window.scale,
              std::max(height, 1) * Win32Window.scale};
    AdjustWindowRectEx(&r, ws, FALSE, 0);
    return AreaOf(r);
}

// Where a window with this outer rectangle goes when it opens or grows: inside the work
// area of its display (FitWindowIntoArea); where it is when no display is known.
static DesktopArea PlaceInWorkArea(const DesktopArea& window) {
    std::vector<DesktopArea> areas;
    for (const Win32Display& display : Displays())
        areas.push_back(display.work);
    const DesktopArea* area = WorkAreaOfWindow(areas, window);
    return area ? FitWindowIntoArea(window, *area) : window;
}

// Start-up, through the frame toolkit: places the window made by OpenScreenSystem with its
// client area at (x, y), at the factor of the display that place lies on, moved into the work
// area of its display (centred on the main display for flags 1 and 2: there is no active
// window of ours to centre on) and shows it unless asked not to. Position and size are in the
// game's pixels, the window scale times as large.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title) {
    (void)number;
    if (!Win32Window.window && !OpenScreenSystem()) return 0;
    HWND w = Win32Window.window;
    // A borderless pop-up, else a captioned window.
    const DWORD ws =
        (style & StylePopup) ? WS_POPUP : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    SetWindowLongPtrW(w, GWL_STYLE, LONG_PTR(ws));
    SetWindowTextW(w, Wide(title).c_str());
    const bool centre = (style & (StyleCentreDesktop | StyleCentreActive)) != 0;
    const std::vector<Win32Display> displays = Displays();
    std::vector<DesktopArea> inGamePixels;
    for (const Win32Display& display : displays)
        inGamePixels.push_back(display.game);
    const DesktopArea* own =
        centre && !displays.empty()
            ? inGamePixels.data()
            : WorkAreaOfWindow(inGamePixels,
                               DesktopArea{x, y, std::max(width, 1), std::max(height, 1)});
    if (own) Win32Window.scale = displays[size_t(own - inGamePixels.data())].scale;
    DesktopArea at = OuterRect(ws, width, height);
    at.x += x * Win32Window.scale;
    at.y += y * Win32Window.scale;
    at = centre ? DesktopArea{(GetSystemMetrics(SM_CXSCREEN) - at.width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - at.height) / 2, at.width, at.height}
                : PlaceInWorkArea(at);
    SetWindowPos(w, nullptr, at.x, at.y, at.width, at.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (!(style & StyleInvisible)) {
        ShowWindow(w, SW_SHOW);
        SetForegroundWindow(w);
        UpdateWindow(w);
    }
    return 1;
}

// Start-up: the core's back buffer (black) and the start of the frame pacing.
int32_t AttachBackBuffer(int32_t width, int32_t height) {
    if (!Win32Window.window || width <= 0 || height <= 0) return 0;
    CreateBackBuffer(width, height);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    Win32Window.frequency = frequency.QuadPart;
    if (!Win32Window.timer) {
        Win32Window.timer =
            CreateWaitableTimerExW(nullptr, nullptr, HighResolutionTimer, TIMER_ALL_ACCESS);
        if (!Win32Window.timer) {
            // Older systems: an ordinary timer, with the system tick shortened to 1 ms.
            Win32Window.timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
            Win32Window.coarseTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
        }
    }
    Win32Window.lastReturn = CounterNow();
    return 1;
}

bool Win32HighResolutionPacing() {
    return Win32Window.timer && !Win32Window.coarseTimer;
}

// The screens' size changes, roll-up and unroll: new client size (game pixels), same
// top-left corner, except that a window that grows moves the least needed to stay inside
// the work area of its display.
void ResizeMainWindow(int32_t width, int32_t height) {
    HWND w = Win32Window.window;
    RECT old;
    if (!w || !GetWindowRect(w, &old)) return;
    DesktopArea at = OuterRect(DWORD(GetWindowLongPtrW(w, GWL_STYLE)), width, height);
    at.x = old.left;
    at.y = old.top;
    if (at.width > old.right - old.left || at.height > old.bottom - old.top)
        at = PlaceInWorkArea(at);
    const UINT keep = (at.x == old.left && at.y == old.top) ? SWP_NOMOVE : 0;
    SetWindowPos(w, nullptr, at.x, at.y, at.width, at.height, keep | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FollowMonitor() {
    HWND w = Win32Window.window;
    RECT client;
    if (!w || !GetClientRect(w, &client)) return;
    const int32_t scale = DisplayOf(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST)).scale;
    if (scale == 0 || scale == Win32Window.scale) return;
    const int32_t width = client.right / Win32Window.scale,
                  height = client.bottom / Win32Window.scale;
    Win32Window.scale = scale;
    ResizeMainWindow(width, height);
    ForgetWindowCopy();
    InvalidateRect(w, nullptr, FALSE);
}

// The client-sized top-left part of the back buffer (the client area divided by the scale),
// whole (WM_PAINT: the system lost what the window showed) or only the rows that changed
// since the last present. A paint reaches only the region the system names, and between two
// presents the back buffer may already hold part of the next frame: after it the rest of the
// window is not known to show what was sent, so the next present sends everything again.
bool CopyBackBufferToWindow(HDC dc, bool whole) {
    RECT client;
    if (!dc || !BackBufferPixels() || !GetClientRect(Win32Window.window, &client)) return false;
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    const int32_t scale = Win32Window.scale;
    const int32_t width = std::min<int32_t>(client.right / scale, bufferWidth);
    const int32_t height = std::min<int32_t>(client.bottom / scale, bufferHeight);
    if (width <= 0 || height <= 0) return false;
    if (whole) ForgetWindowCopy();
    // Each run of rows (0x00RRGGBB, top row first) is a top-down 32-bit DIB of its own, sent to
    // the same rows of the client area enlarged by the scale (GDI stretches by repeating pixels
    // when it enlarges, and copies them as they are at scale 1).
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bufferWidth;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const std::vector<RowRun>& runs = TakeChangedRows(width, height);
    for (const RowRun& run : runs) {
        info.bmiHeader.biHeight = -run.count; // negative: rows run from the top
        StretchDIBits(dc, 0, run.first * scale, width * scale, run.count * scale, 0, 0, width,
                      run.count, BackBufferPixels() + size_t(run.first) * size_t(bufferWidth),
                      &info, DIB_RGB_COLORS, SRCCOPY);
    }
    if (whole) ForgetWindowCopy();
    return !runs.empty();
}

// Waits until the performance counter passes target: on the timer until about half a
// millisecond (two with the coarse timer) before it, then spinning for the rest, which is
// what keeps the frames even without holding a processor for the whole wait.
static void WaitForCounter(int64_t target) {
    const int64_t margin = Win32Window.frequency / (Win32Window.coarseTimer ? 500 : 2000);
    const int64_t early = target - margin - CounterNow();
    if (early > 0 && Win32Window.timer) {
        LARGE_INTEGER due; // negative: relative, in units of 100 ns
        due.QuadPart = -std::max<int64_t>(1, early * 10000000 / Win32Window.frequency);
        if (SetWaitableTimer(Win32Window.timer, &due, 0, nullptr, nullptr, FALSE))
            WaitForSingleObject(Win32Window.timer, INFINITE);
    } else if (early > 0) {
        Sleep(DWORD(early * 1000 / Win32Window.frequency));
    }
    while (CounterNow() <= target)
        YieldProcessor();
}

// Every frame of every screen: shows the frame, then waits until more than 1/61 s has passed
// since the previous present returned (no catch-up after a slow frame). Takes no events.
void PresentBackBuffer() {
    if (!Win32Window.window) return;
    // 50 us beyond 1/61 s: a caller timing its frames after each return still sees more.
    const int64_t frequency = Win32Window.frequency;
    if (!EndFrame(CopyBackBufferToWindow(Win32Window.dc, false)) && frequency != 0)
        WaitForCounter(Win32Window.lastReturn + frequency / 61 + frequency / 20000);
    Win32Window.lastReturn = CounterNow();
}

// ---------------------------------------------------------------- desktop

int32_t DisplayCount() {
    return int32_t(Displays().size());
}

int32_t DisplayBounds(int32_t index, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    const std::vector<Win32Display> displays = Displays();
    if (index < 0 || index >= int32_t(displays.size())) return 0;
    const DesktopArea game = displays[size_t(index)].game;
    *x = game.x;
    *y = game.y;
    *width = game.width;
    *height = game.height;
    return 1;
}

// TellPlayer's box, owned by the window once there is one, so it stays above it.
void BackendShowMessage(const Text& title, const Text& text) {
    MessageBoxW(Win32Window.window, Wide(text).c_str(), Wide(title).c_str(),
                MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------- end

// End of the program: data files committed, window and timer released, records cleared; a
// console handler waiting for this end may now let the system end the process.
void ClosePlatform() {
    CloseAllDataFiles();
    if (Win32Window.window) DestroyWindow(Win32Window.window);
    if (Win32Window.classRegistered) UnregisterClassW(WindowClassName, GetModuleHandleW(nullptr));
    if (Win32Window.timer) CloseHandle(Win32Window.timer);
    if (Win32Window.coarseTimer) timeEndPeriod(1);
    Win32Window = Win32WindowRecord();
    ResetEventState();
    if (SessionEnded) SetEvent(SessionEnded);
}
