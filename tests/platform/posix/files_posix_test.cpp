// Tests of the data files and sheets that only POSIX systems can set up: named pipes,
// symbolic links, two processes, permissions, the per-user folder of XDG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../datafile_fixture.h"

namespace {

// Runs body in a child process, as a second instance of the program or a run that may hang
// would; a run still going after `seconds` is ended. True when the child ended normally and
// no expectation failed in it.
bool RunInChildProcess(const std::function<void()>& body, unsigned seconds = 60) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        alarm(seconds);
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(DataFileTest, LinksAreKeptAsideAndPipesRefusedAtOnce) {
    // A symbolic link is never written through (nor is a file made where a dangling one
    // leads): it is kept aside as a damaged file, and the file starts anew.
    WriteWholeFile(folder + "Target", "0123456789");
    WriteWholeFile(folder + "Link.damaged", "an earlier copy");
    ASSERT_EQ(symlink((folder + "Target").c_str(), (folder + "Link").c_str()), 0);
    ASSERT_EQ(symlink((folder + "Nowhere").c_str(), (folder + "Dangling").c_str()), 0);
    for (const char* name : {"Link", "Dangling"}) {
        ASSERT_EQ(OpenDataFile(1, name), 1);
        WriteText("ab");
        EXPECT_EQ(CloseDataFile(1), 1);
        EXPECT_EQ(ReadWholeFile(folder + name), "ab");
    }
    EXPECT_EQ(ReadWholeFile(folder + "Target"), "0123456789");
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "Link.damaged.2"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "Dangling.damaged"));
    EXPECT_FALSE(std::filesystem::exists(folder + "Nowhere"));

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

TEST_F(DataFileTest, AnInstanceHoldingTheLockMakesTheOtherWait) {
    WriteWholeFile(folder + "Data", "..........");
    ASSERT_EQ(OpenDataFile(1, "Data"), 1);
    ASSERT_EQ(ReloadDataFile(), 1); // holds the lock until the close
    // Whenever the other instance, a process of its own, gets to its commit, it must wait
    // for this one's, so the file ends with both writes whatever the order of the two.
    pid_t other = fork();
    if (other == 0) {
        ResetPlatformState();
        SetProgramFolder(folder);
        bool ok = OpenDataFile(1, "Data") == 1;
        SeekDataFile(7);
        WriteText("OTHER");
        CloseDataFile(1);
        _exit(ok ? 0 : 1);
    }
    WriteText("MINE");
    CloseDataFile(1);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadWholeFile(folder + "Data"), "MINE...OTHER");
}

TEST_F(DataFileTest, ANamedPipeInPlaceOfASheetIsRefusedAtOnce) {
    std::filesystem::create_directories(folder + "GFX");
    ASSERT_EQ(mkfifo((folder + "GFX/Pipe.bmp").c_str(), 0644), 0);
    // Run apart, so that a load that waits for a writer ends the child, not the test program.
    EXPECT_TRUE(
        RunInChildProcess([] { EXPECT_EQ(LoadSpriteSheet(1, "GFX\\Pipe.bmp", 0), 0); }, 10));
}

// ---------------------------------------------------------------- where the files are kept

namespace {

// A portable program folder of its own; the per-user folder is the fixture's.
class DataFolderTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        std::filesystem::create_directories(folder + "home");
        std::filesystem::create_directories(folder + "program/GFX");
        SetProgramFolder(folder + "program");
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
    EXPECT_EQ(SavePrefs(), 1) << "opened empty";
    ASSERT_EQ(OpenDataFile(1, "TopList"), 1);
    WriteText("xst");
    EXPECT_EQ(CloseDataFile(1), 0) << "nowhere to save";
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
        SetEnvironment("XDG_DATA_HOME", nullptr);
        SetProgramFolder(folder + "program");
        ASSERT_EQ(SavePrefs(), 1);
        EXPECT_TRUE(FileExists(folder + "home/.local/share/tessaroc/Prefs"));
    }));
    EXPECT_FALSE(FileExists(folder + "program/Prefs"));
    chmod((folder + "program").c_str(), 0755);
}

TEST_F(DataFolderTest, AnInstalledProgramNeverWritesBesideItself) {
    // No sheets' folder beside the executable: an installed one, in a folder that this user
    // (root, say) may write all the same.
    std::filesystem::remove(folder + "program/GFX");
    WriteWholeFile(folder + "program/Prefs", std::string("\0xstLEFT BEHIND", 15));
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    EXPECT_EQ(DataFileLength(), 0) << "a file beside an installed program is not read";
    CloseDataFile(2);
    ASSERT_EQ(SavePrefs(), 1);
    EXPECT_EQ(DataFolder(), folder + "xdg/tessaroc/");
    EXPECT_EQ(ReadWholeFile(folder + "xdg/tessaroc/Prefs"), std::string("\0xst", 4));
    EXPECT_EQ(ReadWholeFile(folder + "program/Prefs"), std::string("\0xstLEFT BEHIND", 15));
    EXPECT_FALSE(FileExists(folder + "program/TopList"));
}

TEST_F(DataFolderTest, AReadOnlyPortableFolderIsReadAndItsPerUserCopyWinsAfterwards) {
    const std::string original("\0xstOLD CONTENT", 15);
    WriteWholeFile(folder + "program/Prefs", original);
    DataFiles.programFolderReadOnly = true;
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    ASSERT_EQ(DataFileLength(), 15);
    SeekDataFile(4);
    EXPECT_EQ(ReadByte(), 'O');
    SeekDataFile(4);
    WriteText("NEW");
    testing::internal::CaptureStderr();
    CloseDataFile(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(folder + "xdg/tessaroc/Prefs"), std::string("\0xstNEW CONTENT", 15));
    EXPECT_EQ(ReadWholeFile(folder + "program/Prefs"), original);
    EXPECT_EQ(said, "tessaroc: " + folder + "program/Prefs is read-only: saved as " + folder +
                        "xdg/tessaroc/Prefs, which is read from now on\n");

    // The next start reads the per-user copy; one that an interrupted first save left empty
    // does not hide the program folder's file.
    SetProgramFolder(folder + "program");
    DataFiles.programFolderReadOnly = true;
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    SeekDataFile(4);
    EXPECT_EQ(ReadByte(), 'N');
    CloseDataFile(2);
    WriteWholeFile(folder + "xdg/tessaroc/Prefs", "");
    ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
    EXPECT_EQ(DataFileLength(), 15);
    CloseDataFile(2);
}

TEST_F(DataFolderTest, AReadOnlyFileInAWritableFolderIsReadAndSavedPerUser) {
    // Root may write any file whatever its permissions say: the game runs as an unprivileged
    // user in a child process, in a folder that user owns.
    const bool root = geteuid() == 0;
    const uid_t nobody = 65534;
    const std::string original("\0xstOLD CONTENT", 15);
    WriteWholeFile(folder + "program/Prefs", original);
    if (root) {
        for (const char* part : {"", "program", "program/Prefs", "home"})
            ASSERT_EQ(chown((folder + part).c_str(), nobody, nobody), 0) << part;
        chmod(folder.c_str(), 0755);
    }
    chmod((folder + "program/Prefs").c_str(), 0444);
    EXPECT_TRUE(RunInChildProcess([&] {
        if (root) {
            ASSERT_EQ(setresuid(nobody, nobody, nobody), 0);
        }
        SetProgramFolder(folder + "program");
        ASSERT_EQ(OpenDataFile(2, "Prefs"), 1);
        EXPECT_EQ(DataFileLength(), 15);
        SeekDataFile(4);
        WriteText("NEW");
        CloseDataFile(2);
        EXPECT_EQ(ReadWholeFile(folder + "xdg/tessaroc/Prefs"),
                  std::string("\0xstNEW CONTENT", 15));
    }));
    EXPECT_EQ(ReadWholeFile(folder + "program/Prefs"), original);
}

TEST_F(DataFileTest, APrefsThatIsNoFileIsNeverUsedAndThatIsSaidOnce) {
    std::filesystem::create_directories(folder + "Folder");
    ASSERT_EQ(mkfifo((folder + "Pipe").c_str(), 0644), 0);
    for (const char* name : {"Folder", "Pipe"}) {
        testing::internal::CaptureStderr();
        EXPECT_TRUE(RunInChildProcess(
            [name] {
                EXPECT_EQ(OpenDataFile(2, name), 0); // start-up
                EXPECT_EQ(OpenDataFile(2, name), 0); // the save at the end
            },
            10))
            << name;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("tessaroc: " + folder + name + " is neither read nor saved: ", 0), 0u)
            << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}
