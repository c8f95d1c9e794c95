// The operating system's file services behind the data files and sprite sheets: one
// implementation per system (os/posix/posix_files.cpp, os/win32/win32_files.cpp, and
// os/web/web_files.cpp, where the browser's storage holds the data files and every other
// path goes to the POSIX implementation, compiled there under other names).
//
// Paths are UTF-8 with '/' between folders; folders end in '/'. On failure the calls that
// take `reason` set it to a short English phrase for a stderr line ("permission denied").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The folder of the running executable, ending in '/' ("./" when the system cannot say).
std::string OsExecutableFolder();

// Whether a file read whole may be created and must be writable.
enum class OsOpenMode {
    ReadOnly,        // sprite sheets
    ReadWriteCreate, // data files: created empty when missing; a read-only file fails
};

// Reads the file whole and closes it again. The open never waits (a named pipe or a device
// fails at once) and only a regular file of at most maxBytes is accepted.
bool OsReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                     std::vector<uint8_t>& bytes, std::string& reason);

// Makes bytes the file's whole content so that a crash leaves either the old or the new
// content: a temporary file beside it is written and synced, then moved over the file (a
// symbolic link in its place is replaced, never written through). Where no temporary file
// can be made the file is written in place, unless it is a link. A failure before the move
// leaves the old file and no temporary file.
bool OsCommitFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason);

// Set in the core for fuzzing and tests, read by OsCommitFile: whether commits leave out the
// sync to disk (the same bytes, no durability, so a fuzzer runs thousands a second) and
// whether a commit stops after writing the temporary file, before the move, as a crash there
// would. The program never sets either.
bool CommitSkipsDiskSync();
bool CommitStopsBeforeMove();

// An exclusive lock on a file shared by every instance of the program: held while one
// instance re-reads and commits the file. Released when the last reference goes; null when
// the system gives no lock (the caller goes on without it).
struct OsFileLock;
std::shared_ptr<OsFileLock> OsLockFile(const std::string& path);

// Removes the temporary files that interrupted commits of `path` left beside it: only names
// of the commit's own pattern, last changed at least minAgeSeconds ago.
void OsRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds);

// Shared by the implementations: a commit of the file `name` writes a temporary file named
// "." + name + "." + TemporarySuffixLength letters or digits beside it; whether entry is one.
constexpr int TemporarySuffixLength = 6;
bool IsCommitTemporary(const std::string& entry, const std::string& name);
// A path's folder ("./" when it names none), ending in '/', and its last part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// What a name leads to (links followed): nothing, a regular file, or something else (a folder,
// a pipe, a device); for a regular file, whether this process may write it (not read-only)
// and its length; and whether the name itself is a symbolic link.
enum class OsEntryKind { Missing, File, Other };
struct OsEntry {
    OsEntryKind kind = OsEntryKind::Missing;
    bool writable = false;
    int64_t bytes = 0;
    bool link = false;
};
OsEntry OsLookAt(const std::string& path);

// Gives the entry itself (a link, not what it leads to) the new name in the same folder;
// never replaces anything: false with exists = true when the name is taken already.
bool OsMoveAside(const std::string& path, const std::string& newPath, bool& exists,
                 std::string& reason);

// Makes a new file holding bytes, synced; never replaces anything: false with exists = true
// when the name is taken already.
bool OsCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                     std::string& reason);

bool OsFolderExists(const std::string& folder);
// Whether this process may create files in the folder.
bool OsFolderWritable(const std::string& folder);
// Makes the folder, and missing folders above it, readable by this user only. True when it
// exists afterwards (an existing folder keeps its permissions).
bool OsMakePrivateFolder(const std::string& folder, std::string& reason);
// The folder this user's data of the game belong in when the program folder is not
// writable, ending in '/'; "" when the system names none.
std::string OsUserDataFolder();
// The command line's usage: the lines (ASCII, each ending in a line break) saying where the
// data go when the program folder is not writable, as this system's players name that folder.
std::string OsUserDataFolderUsage();
// Whether the program has a standard output (or standard error) to print on: a console, a
// file or a pipe. A Windows program started from Explorer, or by a file dropped on it, has none.
bool OsHasStandardStream(bool standardError);
// Whether the data folder is the browser's storage, which has no path a player could look for.
bool OsDataFolderIsBrowser();
