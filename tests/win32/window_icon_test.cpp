// The window's icon on Windows: the class's and the window's own, big and small, are the
// program's icon (resource 1), which the taskbar, Alt+Tab and the window manager show.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "platform.h"
#include "platform_state.h"
#include "win32_platform.h"

namespace {

// The program's icon at a system size, as the system keeps it for the module.
HICON ProgramIconAt(int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         size, size, LR_SHARED));
}

TEST(Win32WindowIcon, ClassAndWindowShowTheProgramsIconBigAndSmall) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for Wine (DISPLAY is unset)";
    const HICON big = ProgramIconAt(SM_CXICON);
    const HICON small = ProgramIconAt(SM_CXSMICON);
    ASSERT_NE(big, nullptr) << "the test program carries no icon resource";
    ASSERT_NE(small, nullptr);
    ASSERT_NE(OpenKeyboardDevice(), 0);
    ASSERT_NE(OpenScreenSystem(), 0);
    ASSERT_NE(CreateMainWindow(1, 100, 100, 370, 310, StylePopup, "Tessaroc"), 0);
    HWND window = reinterpret_cast<HWND>(Win32NativeWindow());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), big);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), small);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)), big);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)), small);
    ClosePlatform();
    ResetPlatformState();
}

} // namespace
