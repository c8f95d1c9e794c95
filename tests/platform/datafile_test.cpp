// Tests of the data files: the transfer cell, several open files and crash-safe saving.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform_state.h"
#include "test_support.h"

namespace {

class DataFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        folder = MakeTempFolder("datafile");
        SetProgramFolder(folder);
    }
    void TearDown() override {
        ResetPlatformState();
        SetProgramFolder("");
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    // Names of the files in the folder (temporary files of a commit included).
    std::vector<std::string> FolderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
    std::string folder;
};

} // namespace

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

TEST_F(DataFileTest, ReadOnlyFilesAreSkippedAndLinksKept) {
    WriteWholeFile(folder + "Locked", "old");
    chmod((folder + "Locked").c_str(), 0444);
    if (access((folder + "Locked").c_str(), W_OK) != 0) { // root may write anyway
        EXPECT_EQ(OpenDataFile(1, "Locked"), 0);
        WriteText("new"); // the callers skip writing; even so nothing may happen
        CloseDataFile(1);
        EXPECT_EQ(ReadWholeFile(folder + "Locked"), "old");
    }

    // A symbolic link is written through, not replaced by a plain file.
    WriteWholeFile(folder + "Target", "0123456789");
    ASSERT_EQ(symlink((folder + "Target").c_str(), (folder + "Link").c_str()), 0);
    ASSERT_EQ(OpenDataFile(1, "Link"), 1);
    SeekDataFile(2);
    WriteText("ab");
    CloseDataFile(1);
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "Link"));
    EXPECT_EQ(ReadWholeFile(folder + "Target"), "01ab456789");

    // In a folder where no temporary file can be made, the file is written in place.
    std::filesystem::create_directories(folder + "sub");
    WriteWholeFile(folder + "sub/Prefs", "abcdef");
    chmod((folder + "sub").c_str(), 0555);
    SetProgramFolder(folder + "sub");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    WriteText("XY");
    CloseDataFile(2);
    EXPECT_EQ(ReadWholeFile(folder + "sub/Prefs"), "XYcdef");
    chmod((folder + "sub").c_str(), 0755);

    SetProgramFolder(folder);
    EXPECT_EQ(OpenDataFile(1, "no-such-folder/File"), 0);
    EXPECT_EQ(OpenDataFile(1, "sub"), 0); // a folder
}

TEST(ProgramFolder, IsTheExecutablesFolderUnlessSet) {
    SetProgramFolder("");
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    ASSERT_GT(length, 0);
    std::string exe(path, size_t(length));
    EXPECT_EQ(ProgramFolder(), exe.substr(0, exe.rfind('/') + 1));
    SetProgramFolder("/tmp/somewhere");
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    ResetPlatformState();
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    SetProgramFolder("");
}
