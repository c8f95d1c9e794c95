// Tests of the message boxes on Windows: a failed set-up shows one box naming what failed, ends
// with a non-zero code and leaves its folder alone; a path in a box keeps its own letters.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform_state.h"
#include "setup.h"
#include "test_support.h"

namespace {

// What the watcher saw of the program's message boxes.
struct SeenBoxes {
    std::atomic<int> count{0}; // boxes closed by the watcher
    std::wstring firstText;    // the first box's message
    bool firstVisible = false; // the first box was on the screen
    std::atomic<bool> stop{false};
    std::wstring title = L"Tessaroc"; // the boxes watched for
};

// Closes every message box with the title of this process with its OK button, as a
// player would, until told to stop; counts them and notes the first box's text.
void WatchForBoxes(SeenBoxes& seen) {
    while (!seen.stop) {
        HWND box = FindWindowW(L"#32770", seen.title.c_str()); // the system's dialog class
        DWORD process = 0;
        if (box) GetWindowThreadProcessId(box, &process);
        if (!box || process != GetCurrentProcessId()) {
            Sleep(20);
            continue;
        }
        if (seen.count == 0) {
            wchar_t text[256] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 256); // the message's static control
            seen.firstText = text;
            seen.firstVisible = IsWindowVisible(box) != 0;
        }
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        seen.count++;
        while (IsWindow(box) && !seen.stop) // closing takes a moment; count each box once
            Sleep(20);
    }
}

} // namespace

// The window class's name already taken in the process makes the screen system's set-up fail
// for real (ERROR_CLASS_ALREADY_EXISTS, 1410), the way any failure of the window system would.
TEST(Win32SetupFailure, OneMessageBoxNamesTheFailureAndTheProgramEndsWithoutTouchingAFile) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for Wine (DISPLAY is unset)";
    const std::string folder = MakeTempFolder("setup-failure");
    SetProgramFolder(folder);
    WNDCLASSEXW taken = {};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = DefWindowProcW;
    taken.hInstance = GetModuleHandleW(nullptr);
    taken.lpszClassName = L"TessarocWindow";
    ASSERT_NE(RegisterClassExW(&taken), 0);

    SeenBoxes seen;
    std::thread watcher(WatchForBoxes, std::ref(seen));
    const int exitCode = RunTessaroc();
    seen.stop = true;
    watcher.join();
    UnregisterClassW(L"TessarocWindow", GetModuleHandleW(nullptr));

    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(seen.count, 1);
    EXPECT_TRUE(seen.firstVisible);
    EXPECT_EQ(seen.firstText, L"Tessaroc kann kein Fenster anlegen (Fehler 1410)");
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no Prefs, TopList or lock file";
    SetProgramFolder("");
    std::filesystem::remove_all(folder);
}

// A path with letters outside the game's code page (Polish, Cyrillic) reaches the box as the
// system named it.
TEST(Win32MessageBox, APathKeepsItsOwnLetters) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for Wine (DISPLAY is unset)";
    ResetPlatformState(); // nothing told yet in this run
    SeenBoxes seen;
    seen.title = L"Tessaroc: Bilder fehlen";
    std::thread watcher(WatchForBoxes, std::ref(seen));
    TellPlayer("Bilder fehlen", "Der Ordner " +
                                    SystemText("C:\\\xC5\x81\xC3\xB3"
                                               "d\xC5\xBA\\\xD0\x9C\xD0\xB8\xD1\x80") +
                                    " fehlt.");
    seen.stop = true;
    watcher.join();
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.firstText, L"Der Ordner C:\\\u0141\u00F3d\u017A\\\u041C\u0438\u0440 fehlt.");
}
