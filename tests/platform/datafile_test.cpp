// Tests of the data files: the transfer cell, several open files, crash-safe saving, two
// instances saving one file, leftovers of crashes, read-only files and folder names.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "datafile_fixture.h"

TEST_F(DataFileTest, ReadsPastTheEndReturnTheLastValueTransferred) {
    // Opening creates the empty file at once.
    ASSERT_EQ(OpenDataFile(1, "Fresh"), 1);
    EXPECT_TRUE(FileExists(folder + "Fresh"));
    EXPECT_EQ(DataFileLength(), 0);
    EXPECT_EQ(ReadInt32(), 0); // nothing transferred in the run yet
    WriteInt32(123456);
    SeekDataFile(100);
    EXPECT_EQ(ReadInt32(), 123456);
    CloseDataFile(1);

    // The cell lasts the whole run, across files: an empty new file reads the last value.
    ASSERT_EQ(OpenDataFile(2, "Empty"), 1);
    EXPECT_EQ(ReadInt32(), 123456);
    EXPECT_EQ(ReadByte(), int8_t(123456 & 0xFF));
    CloseDataFile(2);
    EXPECT_EQ(ReadInt32(), 123456); // no file open: nothing moves

    // A read that would pass the end transfers nothing, not even the bytes that exist.
    WriteWholeFile(folder + "Short", std::string("\x01\x02\x03", 3));
    ASSERT_EQ(OpenDataFile(3, "Short"), 1);
    EXPECT_EQ(ReadInt32(), 123456);
    SeekDataFile(2);
    EXPECT_EQ(ReadByte(), 3);
    EXPECT_EQ(ReadInt32(), 3);
    EXPECT_EQ(ReadByte(), 3);
    CloseDataFile(3);
}

TEST_F(DataFileTest, ReadsAndWritesLittleEndianAndSignedBytes) {
    WriteWholeFile(folder + "Data",
                   std::string("\x00xst\xFE\xFF\xFF\xFF\x80\x7F\x10\x32\x54\x76", 14));
    ASSERT_EQ(OpenDataFile(2, "Data"), 1);
    EXPECT_EQ(DataFileLength(), 14);
    SeekDataFile(1);
    EXPECT_EQ(ReadByte(), 'x');
    EXPECT_EQ(ReadByte(), 's');
    EXPECT_EQ(ReadByte(), 't');
    EXPECT_EQ(ReadInt32(), -2);
    EXPECT_EQ(ReadByte(), -128);
    EXPECT_EQ(ReadByte(), 127);
    EXPECT_EQ(ReadInt32(), 0x76543210);
    SeekDataFile(-5); // refused: the position stays at the end
    EXPECT_EQ(ReadByte(), 0x10);

    SeekDataFile(4);
    WriteInt32(-1000);
    WriteText("ab");
    SeekDataFile(20); // past the end: the gap is filled with zeros
    WriteText("Z");
    EXPECT_EQ(DataFileLength(), 21);
    CloseDataFile(2);
    EXPECT_EQ(ReadWholeFile(folder + "Data"),
              std::string("\x00xst\x18\xFC\xFF\xFF"
                          "ab\x10\x32\x54\x76\x00\x00\x00\x00\x00\x00Z",
                          21));
}

TEST_F(DataFileTest, SeveralFilesOpenAtOnce) {
    // The program closes while the best-time file is open, then saves its preferences.
    ASSERT_EQ(OpenDataFile(1, "TopList"), 1);
    WriteText("top");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    EXPECT_EQ(DataFileLength(), 0); // the newest file is current
    SeekDataFile(1);
    WriteText("xst");
    CloseDataFile(2);
    // Closing the current file makes the previous one current again, at its position.
    EXPECT_EQ(DataFileLength(), 3);
    WriteText("!");
    CloseDataFile(1);
    EXPECT_EQ(ReadWholeFile(folder + "Prefs"), std::string("\0xst", 4));
    EXPECT_EQ(ReadWholeFile(folder + "TopList"), "top!");

    // Closing a file that is not current leaves the current one alone.
    ASSERT_EQ(OpenDataFile(1, "A"), 1);
    ASSERT_EQ(OpenDataFile(2, "B"), 1);
    ASSERT_EQ(OpenDataFile(3, "C"), 1);
    CloseDataFile(1);
    WriteText("c");
    CloseDataFile(3);
    WriteText("b"); // B, the most recently opened file still open
    CloseDataFile(2);
    WriteText("nowhere"); // no file open: nothing happens
    CloseDataFile(9);
    EXPECT_EQ(ReadWholeFile(folder + "A"), "");
    EXPECT_EQ(ReadWholeFile(folder + "B"), "b");
    EXPECT_EQ(ReadWholeFile(folder + "C"), "c");

    // Opening a number that is open closes (and saves) the old file first.
    ASSERT_EQ(OpenDataFile(1, "A"), 1);
    WriteText("first");
    ASSERT_EQ(OpenDataFile(1, "A"), 1);
    EXPECT_EQ(DataFileLength(), 5);
    CloseDataFile(1);

    // Files still open at the end of the program are saved as they stand.
    ASSERT_EQ(OpenDataFile(1, "End1"), 1);
    WriteText("one");
    ASSERT_EQ(OpenDataFile(2, "End2"), 1);
    WriteText("two");
    CloseAllDataFiles();
    EXPECT_EQ(ReadWholeFile(folder + "End1"), "one");
    EXPECT_EQ(ReadWholeFile(folder + "End2"), "two");
    EXPECT_EQ(DataFileLength(), 0);
}

TEST_F(DataFileTest, SavingKeepsBytesNeverWrittenAndIsAllOrNothing) {
    std::string old(40, '\0');
    for (size_t i = 0; i < old.size(); ++i)
        old[i] = char(0xA0 + i);
    WriteWholeFile(folder + "Prefs", old + "tail");

    // A failure between writing the temporary file and the rename leaves the old file.
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    SeekDataFile(1);
    WriteText("xst");
    WriteInt32(7);
    DataFiles.failBeforeRename = true;
    CloseDataFile(2);
    DataFiles.failBeforeRename = false;
    EXPECT_EQ(ReadWholeFile(folder + "Prefs"), old + "tail");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Prefs"}); // no temporary left

    // The real save changes only the written bytes: byte 0 and the bytes after survive.
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    SeekDataFile(1);
    WriteText("xst");
    WriteInt32(7);
    CloseDataFile(2);
    std::string expected = old + "tail";
    expected.replace(1, 7, std::string("xst\x07\0\0\0", 7));
    EXPECT_EQ(ReadWholeFile(folder + "Prefs"), expected);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Prefs"});

    // Closing without a write does not touch the file.
    struct stat before, after;
    ASSERT_EQ(stat((folder + "Prefs").c_str(), &before), 0);
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    ReadInt32();
    CloseDataFile(2);
    ASSERT_EQ(stat((folder + "Prefs").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

// ---------------------------------------------------------------- two instances, crashes

namespace {

// Runs fn as a second instance of the program would between this instance's open and close:
// with a data-file table of its own on the same folder; this instance's table is put back
// afterwards.
void AsOtherInstance(const std::function<void()>& fn) {
    const DataFilesRecord mine = DataFiles;
    DataFiles = DataFilesRecord{};
    DataFiles.programFolder = mine.programFolder;
    fn();
    DataFiles = mine;
}

// What the other instance does with the file: one write of `text` at `position`, then the
// close that commits it.
void SaveAsOtherInstance(int32_t position, const std::string& text) {
    AsOtherInstance([&] {
        ASSERT_EQ(OpenDataFile(1, "Data"), 1);
        SeekDataFile(position);
        WriteText(text);
        CloseDataFile(1);
    });
}

// Sets the file's last change to `seconds` ago.
void Age(const std::string& path, int seconds) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::seconds(seconds));
}

} // namespace

TEST_F(DataFileTest, AClosePutsOnlyItsOwnBytesOnTopOfWhatIsOnDiskNow) {
    WriteWholeFile(folder + "Data", "0123456789");
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    SeekDataFile(2);
    WriteText("ab");
    // Another instance opens and saves the same file meanwhile, in other bytes and longer.
    SaveAsOtherInstance(6, "cdefgh");
    CloseDataFile(1);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "01ab45cdefgh");

    // Where both wrote the same bytes, the later close wins ("Prefs" behaves so).
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    WriteText("AAAA");
    SaveAsOtherInstance(2, "BBBB");
    CloseDataFile(1);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "AAAABBcdefgh");
}

TEST_F(DataFileTest, ReloadDropsOwnWritesAndReadsTheFileAsItIsNow) {
    WriteWholeFile(folder + "Data", "old");
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    WriteText("mine");
    WriteWholeFile(folder + "Data", "newer!");
    ASSERT_EQ(ReloadDataFile(), 1);
    EXPECT_EQ(DataFileLength(), 6);
    CloseDataFile(1); // nothing written since: the file stays
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "newer!");
    EXPECT_EQ(ReloadDataFile(), 0); // no file open
}

TEST_F(DataFileTest, StaleTemporariesOfTheFileAreRemovedWhenItIsOpened) {
    const std::vector<std::string> names = {".Prefs.Ab12Cd",  ".Prefs.zz99zz",   ".Prefs.x",
                                            ".Prefs.Ab12Cd7", ".TopList.Ab12Cd", "Prefs.Ab12Cd",
                                            ".Prefs.Ab-2Cd"};
    for (const std::string& name : names) {
        WriteWholeFile(folder + name, "left over");
        Age(folder + name, 120);
    }
    WriteWholeFile(folder + ".Prefs.New123", "a commit going on");
    Age(folder + ".Prefs.New123", 5);
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    CloseDataFile(2);
    std::vector<std::string> left = FolderEntries();
    std::sort(left.begin(), left.end());
    // Only this file's own pattern, and only when older than a minute, is removed.
    EXPECT_EQ(left,
              (std::vector<std::string>{".Prefs.Ab-2Cd", ".Prefs.Ab12Cd7", ".Prefs.New123",
                                        ".Prefs.x", ".TopList.Ab12Cd", "Prefs", "Prefs.Ab12Cd"}));
}

TEST_F(DataFileTest, AFailedSaveIsOneLineOnStderrNamingTheFile) {
    WriteWholeFile(folder + "Prefs", "old");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    WriteText("new");
    DataFiles.failBeforeRename = true;
    testing::internal::CaptureStderr();
    CloseDataFile(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tessaroc: could not save " + folder + "Prefs: stopped before the rename\n");
    DataFiles.failBeforeRename = false;

    // The file became a folder while it was open: nothing is saved, and that is said.
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    WriteText("new");
    std::filesystem::remove(folder + "Prefs");
    std::filesystem::create_directories(folder + "Prefs");
    testing::internal::CaptureStderr();
    CloseDataFile(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("tessaroc: could not save " + folder + "Prefs: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "Prefs"));
}

// A read-only file is read; what is written goes to the per-user folder (as root on POSIX,
// where every file may be written, in place).
TEST_F(DataFileTest, AReadOnlyFileIsReadAndKeepsItsBytes) {
    WriteWholeFile(folder + "Locked", "old");
    namespace fs = std::filesystem;
    fs::permissions(folder + "Locked",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_EQ(OpenDataFile(1, "Locked"), 1);
    EXPECT_EQ(ReadByte(), 'o');
    SeekDataFile(0);
    WriteText("new");
    testing::internal::CaptureStderr();
    CloseDataFile(1);
    testing::internal::GetCapturedStderr();
    const bool inPlace = ReadWholeFile(folder + "Locked") == "new";
    if (!inPlace) {
        EXPECT_EQ(ReadWholeFile(folder + "Locked"), "old");
        EXPECT_TRUE(ReadWholeFile(folder + "xdg/tessaroc/Locked") == "new" ||
                    ReadWholeFile(folder + "localappdata/Tessaroc/Locked") == "new");
    }
    fs::permissions(folder + "Locked", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(DataFileTest, AFolderNamedWithUmlautsHoldsTheFiles) {
    namespace fs = std::filesystem;
    // "Spielstände" in UTF-8, the encoding of every path inside the program.
    const std::string name = "Spielst\xC3\xA4nde";
    const fs::path umlautFolder = fs::path(folder) / fs::path(u8"Spielst\u00E4nde");
    fs::create_directories(umlautFolder / "GFX");
    SetProgramFolder(folder + name);
    for (int round = 0; round < 2; ++round) { // once new, once over the existing file
        ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
        SeekDataFile(1);
        WriteText(round == 0 ? "xst" : "XST");
        CloseDataFile(2);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(umlautFolder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"GFX", "Prefs"}));
    EXPECT_EQ(fs::file_size(umlautFolder / "Prefs"), 4u);
}

// ---------------------------------------------------------------- damaged files

TEST_F(DataFileTest, ADamagedFileIsKeptBesideItAndNoEarlierCopyIsReplaced) {
    WriteWholeFile(folder + "Prefs", "a record of some other program");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KeepDamagedDataFile(), 1);
    CloseDataFile(2);
    EXPECT_EQ(ReadWholeFile(folder + "Prefs.damaged"), "a record of some other program");

    // Damaged again later: the first copy stays, the next name is taken.
    WriteWholeFile(folder + "Prefs", "damaged again");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    EXPECT_EQ(KeepDamagedDataFile(), 1);
    CloseDataFile(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(folder + "Prefs.damaged"), "a record of some other program");
    EXPECT_EQ(ReadWholeFile(folder + "Prefs.damaged.2"), "damaged again");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find(folder + "Prefs.damaged.2\n"), std::string::npos) << said;

    // A new empty file holds nothing to keep.
    ASSERT_EQ(OpenDataFile(1, "TopList"), 1);
    EXPECT_EQ(KeepDamagedDataFile(), 1);
    CloseDataFile(1);
    EXPECT_FALSE(FileExists(folder + "TopList.damaged"));
}

TEST_F(DataFileTest, ADamagedFileThatCannotBeKeptIsReportedToTheCaller) {
    WriteWholeFile(folder + "TopList", "old lists");
    WriteWholeFile(folder + "TopList.damaged", "first");
    for (int n = 2; n <= 100; ++n)
        WriteWholeFile(folder + "TopList.damaged." + std::to_string(n), "earlier");
    ASSERT_EQ(OpenDataFile(1, "TopList"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KeepDamagedDataFile(), 0);
    CloseDataFile(1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(
        said.rfind("tessaroc: " + folder + "TopList lacks its marker and is left as it is", 0), 0u)
        << said;
    EXPECT_EQ(ReadWholeFile(folder + "TopList.damaged"), "first");
    EXPECT_FALSE(FileExists(folder + "TopList.damaged.101"));
}
