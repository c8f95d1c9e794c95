// The preferences file: tag test, layout, short and damaged files, no truncation.
#include <gtest/gtest.h>

#include <cstdio>

#include "frame_state.h"
#include "game_state.h"
#include "platform_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"
#include "test_support.h"

namespace {

// A clean machine with the start-up defaults, as LoadPreferences meets them.
class Preferences : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        ResetFrameState();
        ResetGameState();
        ResetSetupState();
        folder = FreshMachine("prefs");
        BoardSettings = {15, 10, 12};
    }
    void Load(const std::string& bytes) {
        WriteWholeFile(folder + "Prefs", bytes);
        LoadPreferences();
    }
    void ExpectDefaults() {
        EXPECT_EQ(Options.starBackground + Options.emptyTransparent + Options.titleAnimation +
                      Options.titleGradient,
                  0);
        EXPECT_EQ(BoardSettings.width, 15);
        EXPECT_EQ(BoardSettings.height, 10);
        EXPECT_EQ(BoardSettings.mines, 12);
        EXPECT_EQ(QuibWindow.X, 0);
        EXPECT_EQ(QuibWindow.Y, 0);
    }
    std::string folder;
};

TEST_F(Preferences, TaggedRecordIsReadIntoEveryField) {
    Load(PrefsRecord(1, 0, 1, 1, 20, 15, 35, 640, 480));
    EXPECT_EQ(Options.starBackground, 1);
    EXPECT_EQ(Options.emptyTransparent, 0);
    EXPECT_EQ(Options.titleAnimation, 1);
    EXPECT_EQ(Options.titleGradient, 1);
    EXPECT_EQ(BoardSettings.width, 20);
    EXPECT_EQ(BoardSettings.height, 15);
    EXPECT_EQ(BoardSettings.mines, 35);
    EXPECT_EQ(QuibWindow.X, 640);
    EXPECT_EQ(QuibWindow.Y, 480);
}

TEST_F(Preferences, MissingOrUntaggedFileLeavesTheDefaults) {
    LoadPreferences();
    ExpectDefaults();
    EXPECT_TRUE(FileExists(folder + "Prefs"));
    EXPECT_EQ(PrefsOf(folder).size(), 0u);

    std::string wrongCase = PrefsRecord(1, 1, 1, 1, 40, 25, 200, 10, 10);
    wrongCase[3] = 'T';
    Load(wrongCase);
    ExpectDefaults();

    // The tag at offset 0 instead of 1.
    Load(std::string("xst", 3) + PrefsRecord(1, 1, 1, 1, 40, 25, 200, 10, 10).substr(4));
    ExpectDefaults();
}

TEST_F(Preferences, ShortTaggedFileKeepsDefaultsBeyondItsEnd) {
    Load(std::string("\0xst", 4));
    ExpectDefaults();

    // Options and width present; height, mines and the position are not.
    Load(PrefsRecord(1, 1, 0, 0, 22, 99, 99, 99, 99).substr(0, 24));
    EXPECT_EQ(Options.starBackground, 1);
    EXPECT_EQ(BoardSettings.width, 22);
    EXPECT_EQ(BoardSettings.height, 10);
    EXPECT_EQ(BoardSettings.mines, 12);
    EXPECT_EQ(QuibWindow.X, 0);

    // A field cut in the middle is not read either.
    ResetSetupState();
    BoardSettings = {15, 10, 12};
    Load(PrefsRecord(0, 0, 0, 0, 30, 20, 40, 5, 5).substr(0, 34));
    EXPECT_EQ(BoardSettings.mines, 40);
    EXPECT_EQ(QuibWindow.X, 0);
}

TEST_F(Preferences, DamagedFlagsCountAsSet) {
    Load(PrefsRecord(7, -1, 0, int32_t(0x80000000u), 15, 10, 12, 0, 0));
    EXPECT_EQ(Options.starBackground, 1);
    EXPECT_EQ(Options.emptyTransparent, 1);
    EXPECT_EQ(Options.titleAnimation, 0);
    EXPECT_EQ(Options.titleGradient, 1);
}

TEST_F(Preferences, PositionOffEveryDisplayBecomesTheCorner) {
    // The fake desktop is one display of 1280 x 1024 at (0, 0).
    Load(PrefsRecord(0, 0, 0, 0, 15, 10, 12, 1200, 1000)); // title bar partly visible
    EXPECT_EQ(QuibWindow.X, 1200);
    EXPECT_EQ(QuibWindow.Y, 1000);
    Load(PrefsRecord(0, 0, 0, 0, 15, 10, 12, -300, -20)); // title bar rows 5..26 reach row 6
    EXPECT_EQ(QuibWindow.X, -300);
    EXPECT_EQ(QuibWindow.Y, -20);
    Load(PrefsRecord(0, 0, 0, 0, 15, 10, 12, 1280, 100));
    EXPECT_EQ(QuibWindow.X, 0);
    EXPECT_EQ(QuibWindow.Y, 0);
    Load(PrefsRecord(0, 0, 0, 0, 15, 10, 12, 100, -27));
    EXPECT_EQ(QuibWindow.X, 0);
    EXPECT_EQ(QuibWindow.Y, 0);
    Load(PrefsRecord(0, 0, 0, 0, 15, 10, 12, 2147483647, -2147483647 - 1));
    EXPECT_EQ(QuibWindow.X, 0);
    EXPECT_EQ(QuibWindow.Y, 0);
}

TEST_F(Preferences, SaveWritesFortyBytesWithoutTruncating) {
    LoadPreferences();
    BoardSettings = {40, 25, 200};
    Options.titleGradient = 1;
    QuibWindow.X = -5;
    QuibWindow.Y = 70000;
    SavePreferences();
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 1, 40, 25, 200, -5, 70000));

    // Byte 0 and everything after offset 39 stay as they were.
    std::string longer = std::string("Q") + std::string(50, 'z');
    WriteWholeFile(folder + "Prefs", longer);
    SavePreferences();
    std::string bytes = PrefsOf(folder);
    ASSERT_EQ(bytes.size(), 51u);
    EXPECT_EQ(bytes[0], 'Q');
    EXPECT_EQ(bytes.substr(1, 39), PrefsRecord(0, 0, 0, 1, 40, 25, 200, -5, 70000).substr(1));
    EXPECT_EQ(bytes.substr(40), std::string(11, 'z'));
}

// A file without the tag (one changed byte) is kept in a copy beside it before the record is
// written over it; a file that has the tag makes no copy.
TEST_F(Preferences, AnUntaggedFileIsKeptBesideItBeforeTheRecordIsSaved) {
    std::string damaged = PrefsRecord(1, 1, 0, 0, 20, 15, 35, 10, 10);
    damaged[2] = 'S';
    Load(damaged);
    ExpectDefaults();
    testing::internal::CaptureStderr();
    SavePreferences();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(folder + "Prefs.damaged"), damaged);
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 15, 10, 12, 0, 0));
    EXPECT_NE(said.find(folder + "Prefs.damaged"), std::string::npos) << said;

    SavePreferences();
    EXPECT_FALSE(FileExists(folder + "Prefs.damaged.2"));
}

// A "Prefs" that can be read but not written (its portable folder is read-only) is read;
// the end saves it in the per-user folder, which the next start reads.
TEST_F(Preferences, AReadOnlyFileIsReadAndSavedPerUser) {
    PrivateUserFolder user(folder);
    const std::string stored = PrefsRecord(1, 0, 0, 0, 20, 15, 35, 40, 30);
    WriteWholeFile(folder + "Prefs", stored);
    SetProgramFolder(folder);
    DataFiles.programFolderReadOnly = true;
    LoadPreferences();
    EXPECT_EQ(BoardSettings.width, 20);
    EXPECT_EQ(Options.starBackground, 1);
    BoardSettings = {25, 20, 80};
    testing::internal::CaptureStderr();
    SavePreferences();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(PrefsOf(folder), stored);
    // The per-user folder is the data folder now, wherever the system keeps it.
    EXPECT_EQ(ReadWholeFile(DataFolder() + "Prefs"), PrefsRecord(1, 0, 0, 0, 25, 20, 80, 40, 30));

    BoardSettings = {15, 10, 12};
    SetProgramFolder(folder);
    DataFiles.programFolderReadOnly = true;
    LoadPreferences();
    EXPECT_EQ(BoardSettings.width, 25);
}

// Two instances (windows, browser tabs) on one file: each save keeps the fields that the
// other changed and this one did not, and the settings screen's entry shows them.
TEST_F(Preferences, TwoInstancesKeepEachOthersLastChanges) {
    Load(PrefsRecord(0, 0, 0, 0, 20, 15, 35, 40, 30));
    WriteWholeFile(folder + "Prefs", PrefsRecord(1, 0, 0, 0, 20, 15, 35, 90, 30)); // the other
    BoardSettings.mines = 50;
    SavePreferences();
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(1, 0, 0, 0, 20, 15, 50, 90, 30));

    WriteWholeFile(folder + "Prefs", PrefsRecord(1, 1, 0, 0, 30, 15, 60, 500, 30));
    Options.titleAnimation = 1;
    BoardSettings.height = 12;
    ReadOthersPreferences();
    EXPECT_EQ(Options.emptyTransparent, 1);
    EXPECT_EQ(BoardSettings.width, 30);
    EXPECT_EQ(BoardSettings.height, 12);
    EXPECT_EQ(BoardSettings.mines, 60);
    EXPECT_EQ(QuibWindow.X, 40); // the window stays where it is
    SavePreferences();
    EXPECT_EQ(PrefsOf(folder), PrefsRecord(1, 1, 1, 0, 30, 12, 60, 500, 30));
}

TEST_F(Preferences, NothingIsSavedBeforeLoading) {
    WriteWholeFile(folder + "Prefs", "player's file");
    SavePreferences();
    EXPECT_EQ(PrefsOf(folder), "player's file");
    std::remove((folder + "Prefs").c_str());
    SavePreferences();
    EXPECT_FALSE(FileExists(folder + "Prefs"));
}

} // namespace
