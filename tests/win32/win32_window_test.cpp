// Tests of the Windows window backend through its own window: placement, messages turned
// into the game's events and keys, the close request, the session end, the move, pacing and
// the scale factor.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "backend.h"
#include "platform.h"
#include "platform_state.h"
#include "win32_platform.h"
#include "window_contract.h"

namespace {

constexpr int32_t WinX = 120, WinY = 90, WinW = 370, WinH = 310;

HWND TestWindow() {
    return reinterpret_cast<HWND>(Win32NativeWindow());
}

// Key data of a key message: the scan code in bits 16-23, the extended flag in bit 24.
LPARAM KeyData(int32_t scanCode, bool extended) {
    return LPARAM((scanCode & 0xFF) << 16) | (extended ? LPARAM(1) << 24 : 0);
}

// Polls until an event arrives (the quick-tap gate may hold a release for a while); 0 when
// none came within two seconds.
int32_t NextEvent() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        const int32_t kind = PollWindowEvent();
        if (kind != 0) return kind;
    }
    return 0;
}

// Takes every pending event so each test starts with an empty queue.
void DrainEvents() {
    for (int i = 0; i < 50; i++)
        PollWindowEvent();
}

class RealWin32Window : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for Wine (DISPLAY is unset)";
        // The factor 1 whatever the desktop's density; the fixture below sets its own.
        _putenv_s("TESSAROC_SCALE", scaleSetting);
        ASSERT_NE(OpenKeyboardDevice(), 0);
        ASSERT_NE(OpenScreenSystem(), 0);
        ASSERT_NE(CreateMainWindow(1, WinX, WinY, WinW, WinH, StylePopup,
                                   "Tessaroc Pr\xFC"
                                   "fung"),
                  0);
        ASSERT_NE(AttachBackBuffer(850, 600), 0);
        DrainEvents();
    }
    void TearDown() override {
        ClosePlatform();
        ResetPlatformState();
        _putenv_s("TESSAROC_SCALE", "");
    }
    const char* scaleSetting = "1";
};

// The same window at the scale factor 2, as on a display of 192 dots per inch.
class RealWin32WindowAtScaleTwo : public RealWin32Window {
  protected:
    void SetUp() override {
        scaleSetting = "2";
        RealWin32Window::SetUp();
    }
};

// Plays the window system for the shared checks: the messages it would send to the window,
// posted to its queue, and the window as the system has it.
struct Win32WindowDriver {
    static constexpr int32_t X = WinX, Y = WinY, W = WinW, H = WinH;
    static constexpr bool RealClock = true;
    static inline int32_t pointX = 0, pointY = 0, heldModifiers = 0, heldButtons = 0;

    static void Open() {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for Wine (DISPLAY is unset)";
        _putenv_s("TESSAROC_SCALE", "1");
        ASSERT_NE(OpenKeyboardDevice(), 0);
        ASSERT_NE(OpenScreenSystem(), 0);
        ASSERT_NE(CreateMainWindow(1, X, Y, W, H, StylePopup, "Tessaroc"), 0);
        ASSERT_NE(AttachBackBuffer(850, 600), 0);
        DrainEvents();
        pointX = pointY = heldModifiers = heldButtons = 0;
    }
    static void Close() {
        ClosePlatform();
        ResetPlatformState();
        _putenv_s("TESSAROC_SCALE", "");
    }
    // The mouse messages' key state: the held buttons and modifier keys.
    static WPARAM KeyState() {
        WPARAM state = 0;
        for (const auto& [mask, flag] :
             {std::pair(MaskLeft, MK_LBUTTON), std::pair(MaskRight, MK_RBUTTON),
              std::pair(MaskMiddle, MK_MBUTTON), std::pair(MaskShift, MK_SHIFT),
              std::pair(MaskControl, MK_CONTROL)})
            if (((heldButtons | heldModifiers) & mask) != 0) state |= WPARAM(flag);
        return state;
    }
    static void Post(UINT message) {
        PostMessageW(TestWindow(), message, KeyState(), MAKELPARAM(pointX, pointY));
    }
    static void Modifiers(int32_t mask) { heldModifiers = mask; }
    static void MoveTo(int32_t x, int32_t y) {
        pointX = x;
        pointY = y;
        Post(WM_MOUSEMOVE);
    }
    // Button 1 left, 2 right, 3 middle: its mask bit and its down and up messages.
    struct Button {
        int32_t mask;
        UINT down, up;
    };
    static Button ButtonOf(int32_t button) {
        const Button buttons[] = {{MaskLeft, WM_LBUTTONDOWN, WM_LBUTTONUP},
                                  {MaskRight, WM_RBUTTONDOWN, WM_RBUTTONUP},
                                  {MaskMiddle, WM_MBUTTONDOWN, WM_MBUTTONUP}};
        return buttons[button - 1];
    }
    static void Press(int32_t button) {
        heldButtons |= ButtonOf(button).mask;
        Post(ButtonOf(button).down);
    }
    static void Release(int32_t button) {
        heldButtons &= ~ButtonOf(button).mask;
        Post(ButtonOf(button).up);
    }
    static void HoldKey(int32_t scanCode) {
        PostMessageW(TestWindow(), WM_KEYDOWN, 'A', KeyData(scanCode, false));
        ASSERT_NE(SnapshotKeyboard(), 0);
    }
    static void LoseFocus() { SendMessageW(TestWindow(), WM_KILLFOCUS, 0, 0); }
    static void RequestClose() { PostMessageW(TestWindow(), WM_CLOSE, 0, 0); }
    // The quick-tap gate may hold a release back for a while.
    static std::vector<TakenEvent> Take(size_t count) {
        std::vector<TakenEvent> taken;
        const DWORD start = GetTickCount();
        while (taken.size() < count && GetTickCount() - start < 2000)
            TakeOneEvent(&taken);
        return taken;
    }
    static uint32_t Shown(int32_t x, int32_t y) {
        HDC dc = GetDC(TestWindow());
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(TestWindow(), dc);
        return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 |
               GetBValue(colour);
    }
    // The window's corner and its client area's size.
    static void Geometry(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
        RECT outer{}, client{};
        GetWindowRect(TestWindow(), &outer);
        GetClientRect(TestWindow(), &client);
        *x = outer.left;
        *y = outer.top;
        *width = client.right;
        *height = client.bottom;
    }
    static bool Visible() { return IsWindow(TestWindow()) && IsWindowVisible(TestWindow()); }
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowContract, Win32WindowDriver);

namespace {

TEST(Win32Keys, KeyDataGivesSetOneScanCodesWithExtendedKeysFromHex80) {
    struct Case {
        int32_t scanCode;
        bool extended;
        int32_t expected;
    };
    const Case cases[] = {
        {0x01, false, 0x01}, // Escape
        {0x1C, false, 0x1C}, // Return
        {0x1C, true, 0x9C},  // Enter on the number block
        {0x1D, true, 0x9D},  // right Control
        {0x48, true, 0xC8},  // arrow up (0x48 alone is 8 on the number block)
        {0x00, false, 0x00}, // a message without a scan code names no key
        {0x00, true, 0x00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Win32ScanCodeOfKeyData(intptr_t(KeyData(c.scanCode, c.extended))), c.expected)
            << "scan code " << c.scanCode << (c.extended ? " extended" : "");
    // Repeat count and the previous-state and transition bits change nothing.
    EXPECT_EQ(Win32ScanCodeOfKeyData(intptr_t(KeyData(0x10, false) | 0xC0000005)), 0x10);
}

TEST(Win32Scale, FactorFollowsTheDotsPerInchInStepsOfNinetySixRoundingHalvesUp) {
    struct Case {
        int32_t dpi;
        int32_t factor;
    };
    const Case cases[] = {
        {96, 1},  {120, 1}, {143, 1}, {144, 2}, {168, 2}, {192, 2},
        {239, 2}, {240, 3}, {288, 3}, {336, 4}, {384, 4}, {480, 4}, // never more than 4
        {72, 1},  {0, 1},   {-96, 1},                               // never less than 1
    };
    for (const Case& c : cases)
        EXPECT_EQ(Win32ChooseScaleFactor(nullptr, c.dpi), c.factor) << c.dpi << " dpi";
}

TEST(Win32Scale, TessarocScaleWinsOverTheDotsPerInchBothWays) {
    EXPECT_EQ(Win32ChooseScaleFactor("1", 192), 1);
    EXPECT_EQ(Win32ChooseScaleFactor("3", 96), 3);
    EXPECT_EQ(Win32ChooseScaleFactor("4", 96), 4);
    for (const char* wrong : {"0", "5", "-2", "+2", "2x", "1.5", "two", "", " 2"}) {
        EXPECT_EQ(Win32ChooseScaleFactor(wrong, 96), 1) << "TESSAROC_SCALE=" << wrong;
        EXPECT_EQ(Win32ChooseScaleFactor(wrong, 192), 2) << "TESSAROC_SCALE=" << wrong;
    }
}

// The title in Windows-1252 reaches the system as its Unicode text; a borderless window is
// its client area, so resizing keeps the client at the corner.
TEST_F(RealWin32Window, TitleIsTheTextAndTheClientIsTheWholeWindow) {
    wchar_t title[64] = {};
    GetWindowTextW(TestWindow(), title, 64);
    EXPECT_STREQ(title, L"Tessaroc Pr\u00FCfung");

    ResizeMainWindow(WinW, 28);
    RECT outer{};
    GetWindowRect(TestWindow(), &outer);
    EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(long(WinX), long(WinY)));
    EXPECT_EQ(outer.bottom - outer.top, 28);
}

// A repaint the system asks for between two presents reaches only the part it names, though
// it sends from the back buffer, where the next frame is already being drawn: the present
// after it still sends that frame everywhere else.
TEST_F(RealWin32Window, ARepaintBeforeAPresentLeavesNoOldPixels) {
    std::fill(BackBuffer.pixels.begin(), BackBuffer.pixels.end(), 0x102030u);
    TouchWholeBackBuffer();
    PresentMovingFrame();
    BeginDrawing(BackBufferOutput()); // the next frame, not presented yet
    PlotPixel(200, 150, MakeColour(0xAB, 0xCD, 0xEF));
    EndDrawing();
    RECT corner{0, 0, 20, 20}; // another window left the top-left corner
    InvalidateRect(TestWindow(), &corner, FALSE);
    UpdateWindow(TestWindow());
    PresentMovingFrame();
    HDC dc = GetDC(TestWindow());
    EXPECT_EQ(GetPixel(dc, 200, 150), RGB(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0x10, 0x20, 0x30));
    ReleaseDC(TestWindow(), dc);
}

TEST_F(RealWin32Window, LostCaptureReleasesTheHeldButtonsSoWaitsForAReleaseEnd) {
    PostMessageW(TestWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
    EXPECT_EQ(NextEvent(), EventLeftDown);
    EXPECT_EQ(GetCapture(), TestWindow());
    SendMessageW(TestWindow(), WM_CAPTURECHANGED, 0, 0); // another window took the mouse
    EXPECT_EQ(NextEvent(), EventLeftUp);
    EXPECT_EQ(LastEventParam() & MaskLeft, 0);
    EXPECT_EQ(HeldButtons(), 0);
}

TEST_F(RealWin32Window, KeysArriveAsScanCodes) {
    PostMessageW(TestWindow(), WM_KEYDOWN, VK_CONTROL, KeyData(0x1D, true));
    PostMessageW(TestWindow(), WM_KEYDOWN, VK_ESCAPE, KeyData(0x01, false));
    ASSERT_NE(SnapshotKeyboard(), 0);
    EXPECT_NE(KeyDown(0x01), 0);
    EXPECT_NE(KeyDown(0x9D), 0);
    EXPECT_EQ(KeyDown(0x1D), 0); // the left Control key stays up
}

TEST_F(RealWin32Window, AltKeysReachTheGameWithoutOpeningTheWindowMenu) {
    PostMessageW(TestWindow(), WM_SYSKEYDOWN, VK_MENU, KeyData(0x38, false) | (LPARAM(1) << 29));
    PostMessageW(TestWindow(), WM_SYSKEYUP, VK_MENU, KeyData(0x38, false) | (LPARAM(1) << 29));
    PostMessageW(TestWindow(), WM_KEYDOWN, 'A', KeyData(0x1E, false));
    ASSERT_NE(SnapshotKeyboard(), 0);
    EXPECT_NE(KeyDown(0x1E), 0); // the key after Alt still reaches the game
}

TEST_F(RealWin32Window, EndOfTheSessionAgreesAndRequestsTheOrdinaryEnd) {
    ASSERT_EQ(QuitRequested(), 0);
    EXPECT_EQ(SendMessageW(TestWindow(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_NE(QuitRequested(), 0);
    EXPECT_TRUE(IsWindow(TestWindow())); // the program ends itself, after saving
}

// After WM_ENDSESSION the system may end the process at any moment: the settings are saved
// before the message returns, not left to the ordinary end.
static int32_t SavesAtSessionEnd = 0;

TEST_F(RealWin32Window, EndOfTheSessionSavesBeforeTheMessageReturns) {
    SavesAtSessionEnd = 0;
    SetDisplayLostHandler([] { ++SavesAtSessionEnd; });
    EXPECT_EQ(SendMessageW(TestWindow(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(TestWindow(), WM_ENDSESSION, FALSE, 0); // cancelled: nothing to save
    EXPECT_EQ(SavesAtSessionEnd, 0);
    SendMessageW(TestWindow(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(SavesAtSessionEnd, 1);
    EXPECT_NE(QuitRequested(), 0);
    SetDisplayLostHandler(nullptr);
}

TEST_F(RealWin32Window, MoveWithTheButtonAlreadyUpReturnsAndLeavesTheWindow) {
    PostMessageW(TestWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
    PostMessageW(TestWindow(), WM_LBUTTONUP, 0, MAKELPARAM(5, 7));
    EXPECT_EQ(NextEvent(), EventLeftDown);
    SendWindowMessage(1, MessageNcLeftDown, HitCaption, 0);
    int32_t left = 0, top = 0;
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(std::pair(left, top), std::pair(WinX, WinY));
    // The move consumed the release: the game sees the button up, not a stale release.
    EXPECT_EQ(NextEvent(), EventMouseMove);
    EXPECT_EQ(LastEventParam() & MaskLeft, 0);
}

TEST_F(RealWin32Window, PresentsAreAtLeastOneSixtyFirstSecondApart) {
    LARGE_INTEGER frequency, previous, now;
    QueryPerformanceFrequency(&frequency);
    PresentMovingFrame();
    QueryPerformanceCounter(&previous);
    for (int i = 0; i < 30; i++) {
        PresentMovingFrame();
        QueryPerformanceCounter(&now);
        EXPECT_GT(now.QuadPart - previous.QuadPart, frequency.QuadPart / 61) << "present " << i;
        previous = now;
    }
}

TEST_F(RealWin32WindowAtScaleTwo, WindowIsTwiceTheSizeAtTwiceThePositionInDesktopPixels) {
    ASSERT_EQ(Win32ScaleFactor(), 2);
    RECT outer{}, client{};
    GetWindowRect(TestWindow(), &outer);
    GetClientRect(TestWindow(), &client);
    EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(long(2 * WinX), long(2 * WinY)));
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(long(2 * WinW), long(2 * WinH)));
    int32_t left = 0, top = 0;
    WindowDesktopPosition(&left, &top);
    EXPECT_EQ(std::pair(left, top), std::pair(WinX, WinY));

    ResizeMainWindow(WinW, 28);
    GetWindowRect(TestWindow(), &outer);
    EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(long(2 * WinX), long(2 * WinY)));
    EXPECT_EQ(std::pair(outer.right - outer.left, outer.bottom - outer.top),
              std::pair(long(2 * WinW), 56L));

    // The displays in the game's pixels: the main one at half its desktop size.
    int32_t x = -1, y = -1, w = 0, h = 0;
    ASSERT_NE(DisplayBounds(0, &x, &y, &w, &h), 0);
    EXPECT_EQ(std::pair(x, y), std::pair(0, 0));
    EXPECT_EQ(std::pair(w, h),
              std::pair(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2));
}

TEST_F(RealWin32WindowAtScaleTwo, EachGamePixelCoversTwoByTwoDesktopPixels) {
    std::fill(BackBuffer.pixels.begin(), BackBuffer.pixels.end(), 0x000000u);
    BackBuffer.pixels[size_t(4) * 850 + 3] = 0xFF0000u;        // game pixel (3, 4): red
    BackBuffer.pixels[size_t(WinH - 1) * 850 + 0] = 0x0000FFu; // bottom-left: blue
    TouchWholeBackBuffer();
    PresentMovingFrame();
    HDC dc = GetDC(TestWindow());
    for (const auto& [x, y] : {std::pair(6, 8), std::pair(7, 8), std::pair(6, 9), std::pair(7, 9)})
        EXPECT_EQ(GetPixel(dc, x, y), RGB(255, 0, 0)) << x << ", " << y;
    for (const auto& [x, y] : {std::pair(5, 8), std::pair(8, 8), std::pair(6, 7), std::pair(6, 10)})
        EXPECT_EQ(GetPixel(dc, x, y), RGB(0, 0, 0)) << x << ", " << y;
    EXPECT_EQ(GetPixel(dc, 1, 2 * WinH - 1), RGB(0, 0, 255));

    // A changed row reaches both of its desktop rows.
    BackBuffer.pixels[size_t(100) * 850 + 7] = 0x00FF00u;
    TouchWholeBackBuffer(); // written directly, not by the drawing operations
    PresentMovingFrame();
    EXPECT_EQ(GetPixel(dc, 15, 200), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 14, 201), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 15, 202), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 6, 8), RGB(255, 0, 0));
    ReleaseDC(TestWindow(), dc);
}

TEST_F(RealWin32WindowAtScaleTwo, MousePointsArriveInTheGamesPixels) {
    // Client pixels 10 and 11 show game pixel 5; client pixel 15 shows game pixel 7.
    PostMessageW(TestWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 15));
    PostMessageW(TestWindow(), WM_LBUTTONUP, 0, MAKELPARAM(11, 15));
    EXPECT_EQ(NextEvent(), EventLeftDown);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(LastTakenPoint(&x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(WinX + 5, WinY + 7));
    EXPECT_EQ(NextEvent(), EventLeftUp);
    ASSERT_TRUE(LastTakenPoint(&x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(WinX + 5, WinY + 7));

    // Left of the client area while captured: the game pixel left of the window's first.
    DrainEvents(); // the system's own move after the capture ended
    PostMessageW(TestWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(TestWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(uint16_t(-1), 4));
    EXPECT_EQ(NextEvent(), EventLeftDown);
    EXPECT_EQ(NextEvent(), EventMouseMove);
    ASSERT_TRUE(LastTakenPoint(&x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(WinX - 1, WinY + 2));
}

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Not a test: tools/measure-pacing-windows.sh runs it for the figures.
TEST_F(RealWin32Window, DISABLED_PacingReport) {
    const char* env = std::getenv("TESSAROC_PACING_SECONDS");
    const double seconds = env ? std::atof(env) : 10.0;
    LARGE_INTEGER frequency, start, previous, now;
    QueryPerformanceFrequency(&frequency);
    const double cpuBefore = ProcessorSeconds();
    PresentMovingFrame();
    QueryPerformanceCounter(&start);
    previous = start;
    std::vector<double> intervals;
    do {
        BackBuffer.pixels[size_t(intervals.size() % 300) * 850] ^= 0x00FFFFFF; // a changing frame
        PresentMovingFrame();
        QueryPerformanceCounter(&now);
        intervals.push_back(double(now.QuadPart - previous.QuadPart) * 1e3 /
                            double(frequency.QuadPart));
        previous = now;
    } while (double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart) < seconds);
    const double cpu = ProcessorSeconds() - cpuBefore;
    double sum = 0, squares = 0;
    for (double ms : intervals)
        sum += ms;
    const double mean = sum / double(intervals.size());
    for (double ms : intervals)
        squares += (ms - mean) * (ms - mean);
    std::vector<double> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    const double wall = sum / 1e3;
    std::printf("timer: %s\n", Win32HighResolutionPacing() ? "high-resolution" : "1 ms period");
    std::printf("presents: %zu in %.2f s (%.2f per second)\n", intervals.size(), wall,
                double(intervals.size()) / wall);
    std::printf("interval: mean %.3f ms, standard deviation %.3f ms, min %.3f ms, max %.3f ms\n",
                mean, std::sqrt(squares / double(intervals.size())), sorted.front(), sorted.back());
    std::printf("interval: median %.3f ms, 99th percentile %.3f ms\n", sorted[sorted.size() / 2],
                sorted[sorted.size() * 99 / 100]);
    std::printf("processor: %.1f %% of one core\n", 100.0 * cpu / wall);
}

} // namespace
