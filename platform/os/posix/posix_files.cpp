// File services on POSIX systems: reading whole files, crash-safe commits, locks, folders.
// The browser build compiles it too, renamed, for every path outside its storage (web_files.cpp).
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "os_files.h"

// The lock is flock() on the file itself, taken on a descriptor of the file the name leads
// to at that moment; a commit renames a new file over the name, so a waiting instance checks
// after locking that the name still leads to the file it locked.
struct OsFileLock {
    int fd = -1;
    ~OsFileLock() {
        if (fd >= 0) close(fd);
    }
};

namespace {

// How long a lock is waited for before the commit goes ahead without it: another instance
// holds it only for the moment of one commit, unless that instance is stopped.
constexpr int LockAttempts = 200;
constexpr auto LockRetryPause = std::chrono::milliseconds(10);

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put =
            pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// fsync of the folder, so that a new name in it reaches the disk (unless a fuzzer switched
// durability off, as for the files).
void SyncFolder(const std::string& folder) {
    if (CommitSkipsDiskSync()) return;
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Writes the bytes over the whole file through fd, brings them to the disk and closes fd;
// false with the reason when fd is not open (the reason of the open) or any step failed.
bool WriteAndClose(int fd, const std::vector<uint8_t>& bytes, std::string& reason) {
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
              (CommitSkipsDiskSync() || fsync(fd) == 0);
    if (!ok) reason = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    return ok;
}

// Opens the file for locking without waiting; created when missing, read-only as last resort.
// A link is not followed (nothing is created where it leads).
int OpenForLock(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

} // namespace

std::string OsExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    return FolderOf(std::string(buffer, static_cast<size_t>(length)));
}

bool OsReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                     std::vector<uint8_t>& bytes, std::string& reason) {
    // A data file is never opened for writing through a link.
    const int flags = mode == OsOpenMode::ReadOnly ? O_RDONLY : O_RDWR | O_CREAT | O_NOFOLLOW;
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
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
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        ok = got > 0 && static_cast<int64_t>(bytes.size()) + got <= maxBytes;
        if (ok)
            bytes.insert(bytes.end(), chunk, chunk + got);
        else
            reason = got < 0 ? std::strerror(errno) : "too large";
    }
    close(fd);
    return ok;
}

// A temporary file beside the file, renamed over it.
bool OsCommitFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
    const std::string folder = FolderOf(path);
    std::string temp = folder + "." + NameOf(path) + "." + std::string(TemporarySuffixLength, 'X');
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    // Where no temporary file can be made, the bytes go over the file's own content through a
    // descriptor of it; a link is refused.
    if (fd < 0)
        return WriteAndClose(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC),
                             bytes, reason);
    struct stat info;
    if (stat(path.c_str(), &info) == 0) fchmod(fd, info.st_mode & 07777);
    bool ok = WriteAndClose(fd, bytes, reason);
    if (ok && CommitStopsBeforeMove()) {
        ok = false;
        reason = "stopped before the rename";
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok)
        SyncFolder(folder);
    else
        unlink(temp.c_str());
    return ok;
}

std::shared_ptr<OsFileLock> OsLockFile(const std::string& path) {
    for (int attempt = 0; attempt < LockAttempts;) {
        auto lock = std::make_shared<OsFileLock>();
        lock->fd = OpenForLock(path);
        if (lock->fd < 0) return nullptr;
        if (flock(lock->fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return nullptr;
            ++attempt;
            lock.reset();
            std::this_thread::sleep_for(LockRetryPause);
            continue;
        }
        // Locked when the name still leads to the file locked; else another instance renamed
        // a new file over the name meanwhile: lock that one.
        struct stat byFd, byName;
        if (fstat(lock->fd, &byFd) == 0 && stat(path.c_str(), &byName) == 0 &&
            byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino)
            return lock;
    }
    return nullptr;
}

void OsRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (!IsCommitTemporary(entryName, name)) continue;
        struct stat info;
        const std::string entryPath = folder + entryName;
        if (lstat(entryPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime >= minAgeSeconds)
            unlink(entryPath.c_str());
    }
    closedir(dir);
}

OsEntry OsLookAt(const std::string& path) {
    struct stat info;
    const bool link = lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    if (stat(path.c_str(), &info) != 0)
        return OsEntry{errno == ENOENT || errno == ENOTDIR ? OsEntryKind::Missing
                                                           : OsEntryKind::Other,
                       false, 0, link};
    if (!S_ISREG(info.st_mode)) return OsEntry{OsEntryKind::Other, false, 0, link};
    return OsEntry{OsEntryKind::File, faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0,
                   static_cast<int64_t>(info.st_size), link};
}

// A second name for the entry itself (Linux's link() does not follow a symbolic link), then
// the first one goes.
bool OsMoveAside(const std::string& path, const std::string& newPath, bool& exists,
                 std::string& reason) {
    exists = false;
    if (linkat(AT_FDCWD, path.c_str(), AT_FDCWD, newPath.c_str(), 0) != 0) {
        exists = errno == EEXIST;
        reason = std::strerror(errno);
        return false;
    }
    if (unlink(path.c_str()) != 0) {
        reason = std::strerror(errno);
        unlink(newPath.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

bool OsCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                     std::string& reason) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    exists = fd < 0 && errno == EEXIST;
    const bool ok = WriteAndClose(fd, bytes, reason);
    if (ok)
        SyncFolder(FolderOf(path));
    else if (fd >= 0)
        unlink(path.c_str());
    return ok;
}

bool OsFolderExists(const std::string& folder) {
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool OsFolderWritable(const std::string& folder) {
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool OsMakePrivateFolder(const std::string& folder, std::string& reason) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            reason = std::strerror(errno);
            return false;
        }
    }
    if (!OsFolderExists(folder)) {
        reason = "not a folder";
        return false;
    }
    return true;
}

std::string OsUserDataFolderUsage() {
    return "  XDG_DATA_HOME   the settings and best times go to $XDG_DATA_HOME/tessaroc when the\n"
           "                  program's folder cannot be written (default ~/.local/share)\n";
}

bool OsHasStandardStream(bool standardError) {
    return fcntl(standardError ? STDERR_FILENO : STDOUT_FILENO, F_GETFD) != -1;
}

bool OsDataFolderIsBrowser() {
    return false;
}

std::string OsUserDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/tessaroc/";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share/tessaroc/";
    return "";
}
