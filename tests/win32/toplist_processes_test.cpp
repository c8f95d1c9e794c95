// Tests of two instances of the program, each a Windows process of its own, saving best times
// into one "TopList" at the same time: neither instance's new times are lost.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "besttimes.h"
#include "platform_state.h"
#include "test_support.h"

namespace {

// What the parent tells an instance, through its environment.
constexpr const char* FolderVariable = "TESSAROC_TEST_INSTANCE_FOLDER";
constexpr const char* DifficultyVariable = "TESSAROC_TEST_INSTANCE_DIFFICULTY";
constexpr const char* NameVariable = "TESSAROC_TEST_INSTANCE_NAME";
constexpr const char* FirstTimeVariable = "TESSAROC_TEST_INSTANCE_FIRST_TIME";
// Name of the parent's start event; with "Ready" added, of the semaphore the instances count
// up once they wait for the start.
constexpr const char* StartVariable = "TESSAROC_TEST_INSTANCE_START";

// Each instance wins this many rounds, two seconds apart, from its first time on; each save
// is a load, a place and a save of the list, as the top-ten screen makes them. The later
// times take no place but still load the list: many saves of both instances overlap.
constexpr int32_t Wins = 30;
constexpr int32_t SecondsBetweenTimes = 2;
constexpr DWORD InstanceTimeoutMs = 60000;

std::string TimeText(int32_t seconds) {
    return std::to_string(seconds) + ".00";
}

// An instance: this test program again, running only the instance's part, with its orders in
// the environment (inherited from the parent, set just before the start).
struct Instance {
    std::string difficulty, name;
    int32_t firstSecond = 0;
};

HANDLE StartInstance(const std::string& folder, const Instance& instance,
                     const std::string& startEvent) {
    SetEnvironmentVariableA(FolderVariable, folder.c_str());
    SetEnvironmentVariableA(DifficultyVariable, instance.difficulty.c_str());
    SetEnvironmentVariableA(NameVariable, instance.name.c_str());
    SetEnvironmentVariableA(FirstTimeVariable, std::to_string(instance.firstSecond).c_str());
    SetEnvironmentVariableA(StartVariable, startEvent.c_str());
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) +
                           L"\" --gtest_also_run_disabled_tests"
                           L" --gtest_filter=TopListInstance.DISABLED_WinsAndSavesItsTimes";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The instance writes to this program's output, so what it says on stderr (a failed save)
    // shows with the test.
    if (!CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Starts both instances, lets them go at the same moment (once both wait for the start, so
// that neither is still starting while the other saves) and waits for their ends; true when
// both ended with code 0.
bool RunInstancesTogether(const std::string& folder, const Instance& a, const Instance& b) {
    const std::string eventName = "TessarocTestStart" + std::to_string(GetCurrentProcessId());
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    HANDLE ready = CreateSemaphoreA(nullptr, 0, 2, (eventName + "Ready").c_str());
    HANDLE processes[2] = {StartInstance(folder, a, eventName),
                           StartInstance(folder, b, eventName)};
    bool ok = processes[0] && processes[1];
    for (int i = 0; ok && i < 2; ++i)
        ok = WaitForSingleObject(ready, InstanceTimeoutMs) == WAIT_OBJECT_0;
    SetEvent(start);
    for (HANDLE process : processes) {
        if (!process) continue;
        DWORD code = 1;
        ok = ok && WaitForSingleObject(process, InstanceTimeoutMs) == WAIT_OBJECT_0 &&
             GetExitCodeProcess(process, &code) && code == 0;
        CloseHandle(process);
    }
    CloseHandle(start);
    CloseHandle(ready);
    return ok;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

// Names and times of a block of the file, trailing blanks dropped.
Rows Block(const std::string& file, int32_t difficulty) {
    Rows rows;
    for (int32_t p = 0; p < TopListPlaces; ++p) {
        const size_t at = size_t(BlockOffset(difficulty) + p * TopListEntryBytes);
        std::string name = file.substr(at, TopListNameWidth);
        std::string time = file.substr(at + TopListNameWidth, TopListTimeWidth);
        name.erase(name.find_last_not_of(' ') + 1);
        time.erase(time.find_last_not_of(' ') + 1);
        rows.emplace_back(name, time);
    }
    return rows;
}

// The rows an instance's wins alone give a list of its own: its ten best times.
Rows OwnRows(const Instance& instance) {
    Rows rows;
    for (int32_t i = 0; i < TopListPlaces; ++i)
        rows.emplace_back(instance.name, TimeText(instance.firstSecond + i * SecondsBetweenTimes));
    return rows;
}

class TopListTwoProcesses : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        folder = MakeProgramFolder("toplist-processes");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};

} // namespace

// The part an instance runs (not a test of its own: the tests below start it).
TEST(TopListInstance, DISABLED_WinsAndSavesItsTimes) {
    const char* folder = std::getenv(FolderVariable);
    ASSERT_NE(folder, nullptr);
    SetProgramFolder(folder);
    const int32_t difficulty = std::atoi(std::getenv(DifficultyVariable));
    const std::string name = std::getenv(NameVariable);
    const int32_t first = std::atoi(std::getenv(FirstTimeVariable));
    const std::string startName = std::getenv(StartVariable);
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, startName.c_str());
    HANDLE ready = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (startName + "Ready").c_str());
    ASSERT_NE(start, nullptr);
    ASSERT_NE(ready, nullptr);
    ReleaseSemaphore(ready, 1, nullptr);
    WaitForSingleObject(start, InstanceTimeoutMs);
    CloseHandle(start);
    CloseHandle(ready);
    for (int32_t i = 0; i < Wins; ++i) {
        ASSERT_EQ(LoadTopList(difficulty), 1);
        const int32_t place = PlaceNewTime(TimeText(first + i * SecondsBetweenTimes));
        if (place > TopListPlaces) continue; // no place: the file is closed already
        TopList.place[place].name = name;
        SaveTopList();
    }
}

TEST_F(TopListTwoProcesses, InstancesSavingDifferentListsKeepAllTheirTimes) {
    const Instance a{std::to_string(Leicht), "anna", 10};
    const Instance b{std::to_string(Mittel), "bert", 11};
    ASSERT_TRUE(RunInstancesTogether(folder, a, b));
    const std::string file = ReadWholeFile(folder + "TopList");
    ASSERT_EQ(file.size(), size_t(TopListFileSize));
    EXPECT_EQ(Block(file, Leicht), OwnRows(a));
    EXPECT_EQ(Block(file, Mittel), OwnRows(b));
    EXPECT_EQ(Block(file, Schwer)[0], (std::pair<std::string, std::string>{"-", "99999.99"}));
}

TEST_F(TopListTwoProcesses, InstancesSavingOneListKeepTheBestTenOfBoth) {
    // Anna's times are the even seconds from 10, Bert's the odd ones from 11: the ten best
    // of both alternate between them.
    const Instance a{std::to_string(Schwer), "anna", 10};
    const Instance b{std::to_string(Schwer), "bert", 11};
    ASSERT_TRUE(RunInstancesTogether(folder, a, b));
    const std::string file = ReadWholeFile(folder + "TopList");
    ASSERT_EQ(file.size(), size_t(TopListFileSize));
    Rows expected;
    for (int32_t second = 10; second < 10 + TopListPlaces; ++second)
        expected.emplace_back(second % 2 == 0 ? "anna" : "bert", TimeText(second));
    EXPECT_EQ(Block(file, Schwer), expected);
    EXPECT_EQ(Block(file, Leicht)[0], (std::pair<std::string, std::string>{"-", "99999.99"}));
}
