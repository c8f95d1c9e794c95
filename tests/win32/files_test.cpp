// Tests of the Windows file services where Windows differs: a file that another program holds
// open for a moment cannot be replaced until it lets go.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "os_files.h"
#include "test_support.h"

namespace {

// Opens the file as another instance reading it whole does (every kind of sharing allowed).
HANDLE OpenAsReader(const std::string& path) {
    return CreateFileW(std::filesystem::path(path).wstring().c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

// Another instance reading the file (or a virus scanner looking at it) keeps it open for a
// moment; the commit waits for it instead of failing, which would lose the saved data.
TEST(Win32Commit, AFileHeldOpenForAMomentIsReplacedOnceItIsLetGo) {
    const std::string folder = MakeTempFolder("win32-commit");
    const std::string path = folder + "TopList";
    WriteWholeFile(path, "old content");
    HANDLE reader = OpenAsReader(path);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread letGo([reader] {
        Sleep(300);
        CloseHandle(reader);
    });
    std::string reason;
    const bool committed = OsCommitFile(path, Bytes("new content"), reason);
    letGo.join();
    EXPECT_TRUE(committed) << reason;
    EXPECT_EQ(ReadWholeFile(path), "new content");
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        entries += entry.path().filename() == "TopList" ? 0 : 1;
    EXPECT_EQ(entries, 0u) << "no temporary file left";
    std::filesystem::remove_all(folder);
}
