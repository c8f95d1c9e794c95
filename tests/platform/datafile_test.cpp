// Tests of the data files: the transfer cell, several open files, crash-safe saving, two
// instances saving one file, leftovers of crashes, and where the files are kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
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

    EXPECT_EQ(OpenDataFile(1, "no-such-folder/File"), 0);
    std::filesystem::create_directories(folder + "sub");
    EXPECT_EQ(OpenDataFile(1, "sub"), 0); // a folder
    ASSERT_EQ(mkfifo((folder + "Pipe").c_str(), 0644), 0);
    EXPECT_TRUE(RunInChildProcess([] { EXPECT_EQ(OpenDataFile(1, "Pipe"), 0); }, 10))
        << "a named pipe is refused at once";
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

// ---------------------------------------------------------------- two instances, crashes

namespace {

// What a second instance of the program does with the file: its own fresh state, one write
// of `text` at `position`, then the close that commits it.
void SaveAsOtherInstance(const std::string& folder, int32_t position, const std::string& text) {
    ResetPlatformState();
    SetProgramFolder(folder);
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    SeekDataFile(position);
    WriteText(text);
    CloseDataFile(1);
}

// Sets the file's last change to `seconds` ago.
void Age(const std::string& path, int seconds) {
    struct timeval times[2];
    gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(utimes(path.c_str(), times), 0);
}

} // namespace

TEST_F(DataFileTest, AClosePutsOnlyItsOwnBytesOnTopOfWhatIsOnDiskNow) {
    WriteWholeFile(folder + "Data", "0123456789");
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    SeekDataFile(2);
    WriteText("ab");
    // Another instance opens and saves the same file meanwhile, in other bytes and longer.
    ASSERT_TRUE(RunInChildProcess([this] { SaveAsOtherInstance(folder, 6, "cdefgh"); }));
    CloseDataFile(1);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "01ab45cdefgh");

    // Where both wrote the same bytes, the later close wins ("Prefs" behaves so).
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    WriteText("AAAA");
    ASSERT_TRUE(RunInChildProcess([this] { SaveAsOtherInstance(folder, 2, "BBBB"); }));
    CloseDataFile(1);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "AAAABBcdefgh");
}

TEST_F(DataFileTest, AnInstanceHoldingTheLockMakesTheOtherWait) {
    WriteWholeFile(folder + "Data", "..........");
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    ASSERT_EQ(ReloadDataFile(), 1); // holds the lock until the close
    // Whenever the other instance gets to its commit, it must wait for this one's, so the
    // file ends with both writes whatever the order of the two processes.
    pid_t other = fork();
    if (other == 0) {
        SaveAsOtherInstance(folder, 7, "OTHER");
        _exit(HasFailure() ? 1 : 0);
    }
    WriteText("MINE");
    CloseDataFile(1);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "MINE...OTHER");
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

// ---------------------------------------------------------------- where the files are kept

namespace {

// A program folder and a home of its own; the per-user folder is looked for through
// XDG_DATA_HOME and HOME, which are restored afterwards.
class DataFolderTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        Keep("XDG_DATA_HOME", savedDataHome);
        Keep("HOME", savedHome);
        setenv("XDG_DATA_HOME", (folder + "xdg").c_str(), 1);
        setenv("HOME", (folder + "home").c_str(), 1);
        std::filesystem::create_directories(folder + "home");
        std::filesystem::create_directories(folder + "program");
        SetProgramFolder(folder + "program");
    }
    void TearDown() override {
        Restore("XDG_DATA_HOME", savedDataHome);
        Restore("HOME", savedHome);
        DataFileTest::TearDown();
    }
    static void Keep(const char* name, std::optional<std::string>& saved) {
        const char* value = std::getenv(name);
        if (value != nullptr) saved = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& saved) {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }
    // Saves a 4-byte "Prefs" as the program does.
    int32_t SavePrefs() {
        if (OpenDataFile(2, "Prefs") == 0) return 0;
        SeekDataFile(1);
        WriteText("xst");
        CloseDataFile(2);
        return 1;
    }
    static mode_t Permissions(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    std::optional<std::string> savedDataHome, savedHome;
};

} // namespace

TEST_F(DataFolderTest, AWritableProgramFolderKeepsTheFilesAndMakesNoOtherFolder) {
    ASSERT_EQ(SavePrefs(), 1);
    EXPECT_EQ(ReadWholeFile(folder + "program/Prefs"), std::string("\0xst", 4));
    EXPECT_EQ(DataFolder(), folder + "program/");
    EXPECT_FALSE(FileExists(folder + "xdg"));
    EXPECT_FALSE(FileExists(folder + "home/.local"));
}

TEST_F(DataFolderTest, AReadOnlyProgramFolderSendsTheFilesToAPrivatePerUserFolder) {
    DataFiles.programFolderReadOnly = true;
    ASSERT_EQ(SavePrefs(), 1);
    EXPECT_EQ(ReadWholeFile(folder + "xdg/tessaroc/Prefs"), std::string("\0xst", 4));
    EXPECT_EQ(Permissions(folder + "xdg/tessaroc"), 0700u);
    EXPECT_EQ(Permissions(folder + "xdg"), 0700u); // made on the way, private too
    EXPECT_FALSE(FileExists(folder + "program/Prefs"));

    // Without XDG_DATA_HOME, or with a relative one, the folder is under the home folder.
    for (const char* dataHome : {static_cast<const char*>(nullptr), "relative/path"}) {
        if (dataHome == nullptr)
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", dataHome, 1);
        SetProgramFolder(folder + "program");
        DataFiles.programFolderReadOnly = true;
        EXPECT_EQ(DataFolder(), folder + "home/.local/share/tessaroc/");
    }
    ASSERT_EQ(SavePrefs(), 1);
    EXPECT_EQ(Permissions(folder + "home/.local/share/tessaroc"), 0700u);
}

TEST_F(DataFolderTest, NowhereWritableMeansNoFileAndOneLineOnStderr) {
    DataFiles.programFolderReadOnly = true;
    WriteWholeFile(folder + "xdg", "a file where the folder should be");
    testing::internal::CaptureStderr();
    EXPECT_EQ(SavePrefs(), 0);
    EXPECT_EQ(OpenDataFile(1, "TopList"), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(folder + "program/"), std::string::npos) << said;
    EXPECT_NE(said.find(folder + "xdg/tessaroc/"), std::string::npos) << said;
    EXPECT_FALSE(FileExists(folder + "program/Prefs"));
}

TEST_F(DataFolderTest, AProgramFolderThisUserMayNotWriteIsNotUsed) {
    // Root may write anywhere, so the check runs as an unprivileged user in a child process.
    const bool root = geteuid() == 0;
    const uid_t nobody = 65534;
    if (root) {
        ASSERT_EQ(chown(folder.c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown((folder + "home").c_str(), nobody, nobody), 0);
        chmod(folder.c_str(), 0755);
    }
    chmod((folder + "program").c_str(), 0555);
    EXPECT_TRUE(RunInChildProcess([&] {
        if (root) {
            ASSERT_EQ(setresuid(nobody, nobody, nobody), 0);
        }
        unsetenv("XDG_DATA_HOME");
        SetProgramFolder(folder + "program");
        ASSERT_EQ(SavePrefs(), 1);
        EXPECT_TRUE(FileExists(folder + "home/.local/share/tessaroc/Prefs"));
    }));
    EXPECT_FALSE(FileExists(folder + "program/Prefs"));
    chmod((folder + "program").c_str(), 0755);
}
