// File services of the browser build: data files in the browser's storage, the program's own
// files (sprite sheets, glyphs) in Emscripten's file system.
//
// In a page the bundle's files are read-only and the data folder is StorageFolder, the
// per-user folder, whose files are entries of the browser's storage (web_storage.h). Under Node
// (the tests) the file system is the machine's, and files are read and committed as on POSIX
// systems.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os_files.h"
#include "web_storage.h"

// A browser lock held for a data file of the storage.
struct OsFileLock {
    int32_t lock = 0;
    ~OsFileLock() { UnlockStorageFile(lock); }
};

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) return false;
        done += size_t(put);
    }
    return true;
}

// A file of the file system: a temporary file beside it written whole, then renamed over it.
bool CommitByRename(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& reason) {
    std::string temp =
        FolderOf(path) + "." + NameOf(path) + "." + std::string(TemporarySuffixLength, 'X');
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (close(fd) != 0) ok = false;
    if (!ok) reason = std::strerror(errno);
    if (ok && CommitStopsBeforeMove()) {
        ok = false;
        reason = "stopped before the rename";
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool ReadFromFileSystem(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                        std::vector<uint8_t>& bytes, std::string& reason) {
    const int flags = mode == OsOpenMode::ReadOnly ? O_RDONLY : O_RDWR | O_CREAT;
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info;
    bool ok = false;
    if (fstat(fd, &info) != 0)
        reason = std::strerror(errno);
    else if (!S_ISREG(info.st_mode))
        reason = "not a regular file";
    else if (info.st_size > maxBytes)
        reason = "too large";
    else
        ok = true;
    bytes.clear();
    uint8_t chunk[4096];
    while (ok) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0) {
            reason = std::strerror(errno);
            ok = false;
        }
        if (got <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (int64_t(bytes.size()) > maxBytes) {
            reason = "too large";
            ok = false;
        }
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

} // namespace

std::string OsExecutableFolder() {
    return ProgramFilesFolder();
}

bool OsReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                     std::vector<uint8_t>& bytes, std::string& reason) {
    if (!IsStoragePath(path)) return ReadFromFileSystem(path, mode, maxBytes, bytes, reason);
    if (!ReadStorageFile(path, bytes, reason)) return false;
    if (int64_t(bytes.size()) <= maxBytes) return true;
    bytes.clear();
    reason = "too large";
    return false;
}

bool OsCommitFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
    return IsStoragePath(path) ? CommitStorageFile(path, bytes, reason)
                               : CommitByRename(path, bytes, reason);
}

// Only the storage's files are shared with other instances (the other tabs of the page).
std::shared_ptr<OsFileLock> OsLockFile(const std::string& path) {
    if (!IsStoragePath(path)) return nullptr;
    const int32_t lock = LockStorageFile(path);
    if (lock == 0) return nullptr;
    auto held = std::make_shared<OsFileLock>();
    held->lock = lock;
    return held;
}

// A commit of the storage is one step and leaves nothing behind.
void OsRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds) {
    if (IsStoragePath(path)) return;
    const std::string folder = FolderOf(path), name = NameOf(path);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        if (!IsCommitTemporary(entry->d_name, name)) continue;
        struct stat info;
        const std::string entryPath = folder + entry->d_name;
        if (lstat(entryPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime >= minAgeSeconds)
            unlink(entryPath.c_str());
    }
    closedir(dir);
}

// A file of the storage is writable wherever the page may keep data.
OsEntry OsLookAt(const std::string& path) {
    if (IsStoragePath(path)) {
        const int64_t bytes = StorageFileBytes(path);
        if (bytes < 0) return OsEntry{};
        return OsEntry{OsEntryKind::File, true, bytes};
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? OsEntry{} : OsEntry{OsEntryKind::Other, false};
    if (!S_ISREG(info.st_mode)) return OsEntry{OsEntryKind::Other, false};
    return OsEntry{OsEntryKind::File, !InBrowser() && access(path.c_str(), W_OK) == 0,
                   static_cast<int64_t>(info.st_size)};
}

// Neither the page's storage nor the bundle's files hold links: OsLookAt never reports one.
bool OsMoveAside(const std::string&, const std::string&, bool& exists, std::string& reason) {
    exists = false;
    reason = "not supported";
    return false;
}

bool OsCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                     std::string& reason) {
    if (IsStoragePath(path)) {
        exists = StorageFileBytes(path) >= 0;
        if (exists) {
            reason = "file exists";
            return false;
        }
        return CommitStorageFile(path, bytes, reason);
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    exists = fd < 0 && errno == EEXIST;
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (close(fd) != 0) ok = false;
    if (!ok) {
        reason = std::strerror(errno);
        unlink(path.c_str());
    }
    return ok;
}

bool OsFolderExists(const std::string& folder) {
    if (IsStoragePath(folder)) return true;
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// In a page only the storage can keep anything: the bundle's folder is the page's own.
bool OsFolderWritable(const std::string& folder) {
    if (IsStoragePath(folder)) return InBrowser() && StorageUsable();
    return !InBrowser() && access(folder.c_str(), W_OK | X_OK) == 0;
}

// The storage needs no folder made; where the page may keep nothing, the refusal is the reason
// the data files' line on the console gives.
bool OsMakePrivateFolder(const std::string& folder, std::string& reason) {
    if (IsStoragePath(folder)) {
        if (InBrowser() && StorageUsable()) return true;
        reason = "the browser refuses to keep data";
        return false;
    }
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        if (mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            reason = std::strerror(errno);
            return false;
        }
    }
    return OsFolderExists(folder);
}

// No page asks for the command line's usage; under Node (the tests) as on POSIX systems.
std::string OsUserDataFolderUsage() {
    return "  XDG_DATA_HOME   the settings and best times go to $XDG_DATA_HOME/tessaroc when the\n"
           "                  program's folder cannot be written (default ~/.local/share)\n";
}

// The page's console, or Node's streams.
bool OsHasStandardStream(bool) {
    return true;
}

bool OsDataFolderIsBrowser() {
    return InBrowser();
}

// In a page the storage is the per-user folder: the bundle's own folder is never writable,
// so the data folder is always the storage. Under Node (the tests) the machine's per-user
// folder, as on POSIX systems.
std::string OsUserDataFolder() {
    if (InBrowser()) return StorageFolder;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/tessaroc/";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share/tessaroc/";
    return "";
}
