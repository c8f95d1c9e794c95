// The real window's messages on Windows: what the system reports, posted to the shared core;
// the cursor; the window move.
#include <windows.h>

#include "backend.h"
#include "whole_numbers.h"
#include "win32_platform.h"
#include "win32_state.h"

// The key messages' lParam holds the set-1 scan code in bits 16-23 and, in bit 24, whether
// the key is one of the extended keys, which the game's tables number from 0x80 on.
int32_t Win32ScanCodeOfKeyData(intptr_t keyData) {
    const int32_t code = int32_t((keyData >> 16) & 0xFF);
    return (code != 0 && (keyData & (intptr_t(1) << 24))) ? (code | 0x80) : code;
}

// The game point on the desktop of a point of the client area (desktop pixels from its
// origin): the client origin and the point each divided by the scale, so that a point inside
// the window lands on the game pixel drawn there, whatever the origin's remainder by the scale.
static POINT GamePoint(POINT client) {
    POINT origin = {0, 0};
    if (Win32Window.window) ClientToScreen(Win32Window.window, &origin);
    const int32_t scale = Win32Window.scale;
    return POINT{FloorDivide<int32_t>(origin.x, scale) + FloorDivide<int32_t>(client.x, scale),
                 FloorDivide<int32_t>(origin.y, scale) + FloorDivide<int32_t>(client.y, scale)};
}

// The pointer where it is now, in the game's pixels, counted from where the window is now.
void CursorScreenPosition(int32_t* x, int32_t* y) {
    POINT p = {};
    GetCursorPos(&p);
    if (Win32Window.window) ScreenToClient(Win32Window.window, &p);
    p = GamePoint(p);
    *x = p.x;
    *y = p.y;
}

// The pointer moved, or a button went down or up. Windows numbers each button's messages in
// threes from WM_LBUTTONDOWN (down, up, double click, which the class does not ask for): left,
// right, middle, the game's buttons 1 to 3. A press captures the mouse so that its release
// reaches us wherever it happens (a modal loop waiting for a release outside the window would
// otherwise wait for the next press); the capture ends with the last held button. The
// message's coordinates are signed 16-bit (negative left of or above the client area while
// the mouse is captured).
static void PostMouseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT p = GamePoint(POINT{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))});
    PostModifiers((wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0);
    if (message == WM_MOUSEMOVE) {
        PostPointerMove(p.x, p.y);
        return;
    }
    const bool down = (message - WM_LBUTTONDOWN) % 3 == 0;
    PostButton(int32_t(message - WM_LBUTTONDOWN) / 3 + 1, down, p.x, p.y);
    if (down)
        SetCapture(window);
    else if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0)
        ReleaseCapture();
}

// The capture was taken from us while buttons were held (another window took it, or the
// system's task switch): their releases will never arrive, so they are posted here, at the
// pointer, and the game's waits for a release end. Our own move of the window takes the
// capture on purpose and consumes the release itself.
static void ReleaseHeldButtons() {
    if (Win32Window.moving) return;
    const int32_t held = HeldButtons();
    int32_t x = 0, y = 0;
    CursorScreenPosition(&x, &y);
    const int32_t masks[3] = {MaskLeft, MaskRight, MaskMiddle};
    for (int32_t i = 0; i < 3; i++)
        if (held & masks[i]) PostButton(i + 1, false, x, y);
}

// Runs inside PeekMessageW and DispatchMessageW, that is inside the core's pump: turns each
// message into the core's Post calls and answers the system.
LRESULT CALLBACK TessarocWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        PostMouseMessage(window, message, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (HWND(lParam) != window) ReleaseHeldButtons();
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (const int32_t code = Win32ScanCodeOfKeyData(intptr_t(lParam)))
            PostKey(code, message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
        // The system keys: Alt and F10 would open the (absent) window menu and swallow the next
        // keys; only Alt+F4 goes on to the system, which turns it into the close request.
        if (message == WM_SYSKEYDOWN && wParam == VK_F4) break;
        return 0;
    case WM_KILLFOCUS:
        ReleaseAllKeys();
        return 0;
    case WM_CLOSE: // the game decides; the window stays
        PostCloseRequest();
        return 0;
    case WM_QUERYENDSESSION:
        // Log-off or shut-down: the program agrees and ends through its ordinary end (the
        // preferences are written) as soon as the pump returns, before the session ends.
        RequestQuit();
        return TRUE;
    case WM_ENDSESSION:
        // The session ends now: the system may end the process once this returns, before
        // the ordinary end is reached, so the program's handler saves the settings first.
        if (wParam) {
            RequestQuit();
            RunDisplayLostHandler();
        }
        return 0;
    case WM_DPICHANGED: // the monitor's scaling changed, or a move outside the drag took us
                        // to a monitor of another density
        if (!Win32Window.moving) FollowMonitor();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the back buffer covers the whole client area
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        CopyBackBufferToWindow(dc, true);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The core, at every poll and keyboard snapshot: every pending message of the program's
// thread is dispatched (the window procedure posts it to the core).
bool BackendPumpEvents() {
    if (!Win32Window.window) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            RequestQuit();
        else
            DispatchMessageW(&msg);
    }
    return true;
}

// The core, at an empty poll after a run of them (see PollWindowEvent): sleeps until a
// message arrives or ms pass.
void BackendWaitForEvent(int32_t ms) {
    if (!Win32Window.window || QuitRequested() != 0) return;
    const DWORD timeout = ms == WaitForever ? INFINITE : DWORD(ms);
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// DragQuibWindow: the window system's own move of the window (it follows the pointer while
// the left button is held and consumes the release); nothing is presented meanwhile. Once it
// ends the window takes the factor of the monitor it was dropped on. When the left button
// (the primary one, which the system may have swapped) is already up the move is not
// started, as the system's move loop would wait for the next press.
void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2) {
    (void)window, (void)param2;
    HWND w = Win32Window.window;
    if (message != MessageNcLeftDown || param1 != HitCaption || !w) return;
    BackendPumpEvents();
    const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if ((HeldButtons() & MaskLeft) && (GetAsyncKeyState(primary) & 0x8000)) {
        POINT p = {};
        GetCursorPos(&p);
        Win32Window.moving = true;
        ReleaseCapture();
        SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
        Win32Window.moving = false;
        FollowMonitor();
    }
    BackendPumpEvents();
    int32_t x = 0, y = 0;
    CursorScreenPosition(&x, &y);
    FinishWindowMove(x, y);
}
