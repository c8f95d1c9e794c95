// File services on Windows: reading whole files, crash-safe commits, locks, folders.
//
// Paths arrive as UTF-8 with '/' and go to the system as UTF-16 with '\', so a folder named
// with umlauts works whatever the system's code page.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "os_files.h"

// The lock is LockFileEx on a hidden lock file beside the data file (".<name>.lock"): the
// data file itself cannot be locked, since a commit moves a new file over it and Windows
// refuses that while the old one is open. The lock file goes when the last instance using
// it lets go; one that finds it going away (access denied) tries again.
struct OsFileLock {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~OsFileLock() {
        if (file == INVALID_HANDLE_VALUE) return;
        OVERLAPPED whole = {};
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
        CloseHandle(file);
    }
};

namespace {

// Random names tried for a commit's temporary file (see IsCommitTemporary) before it fails.
constexpr int TemporaryAttempts = 100;
// How long a lock is waited for before the commit goes ahead without it: another instance
// holds it only for the moment of one commit, unless that instance is stopped.
constexpr int LockAttempts = 200;
// How long a commit tries to move its temporary file over a file that is open elsewhere:
// another instance reads it whole without the lock and lets go at once, and a virus scanner
// or an indexer looks at a changed file for a moment; Windows refuses to replace an open
// file meanwhile. Shorter than the lock wait above, so an instance waiting for this commit's
// lock does not give up before the commit ends.
constexpr int MoveAttempts = 100;
// The pause between two attempts at the lock or the move.
constexpr DWORD RetryPauseMs = 10;
// File times count 100 ns steps.
constexpr int64_t FileTimeStepsPerSecond = 10000000;

// A UTF-8 path with '/' as the system's UTF-16 with '\' (no more units than it has bytes).
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(size_t(std::max(0, MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                                       wide.data(), int(wide.size())))));
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

// The other way round (a UTF-16 unit is at most three bytes of UTF-8).
std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        size_t(std::max(0, WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()),
                                               utf8.data(), int(utf8.size()), nullptr, nullptr))));
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    return utf8;
}

// The system's error as a short English phrase (its own texts follow the user's language).
std::string Reason(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such file or folder";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "in use by another program";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "disk full";
    case ERROR_WRITE_PROTECT:
        return "write-protected";
    default:
        return "Windows error " + std::to_string(error);
    }
}

// Every instance may read, write, and move a file over it while this handle is open.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Makes bytes (a data file, far below 4 GiB) the whole content of the file opened for writing,
// syncs it (unless a fuzzer switched durability off) and closes it; false with the system's
// reason when the file is not open (the reason of the open) or any step failed.
bool WriteAndClose(HANDLE file, const std::vector<uint8_t>& bytes, std::string& reason) {
    if (file == INVALID_HANDLE_VALUE) {
        reason = Reason(GetLastError());
        return false;
    }
    DWORD put = 0;
    const bool ok =
        (bytes.empty() || (WriteFile(file, bytes.data(), DWORD(bytes.size()), &put, nullptr) &&
                           put == bytes.size())) &&
        SetEndOfFile(file) && (CommitSkipsDiskSync() || FlushFileBuffers(file));
    if (!ok) reason = Reason(GetLastError());
    CloseHandle(file);
    return ok;
}

// Whether the name itself is a symbolic link (by its reparse tag: other reparse points, such
// as the placeholders of files kept in the cloud, are ordinary files).
bool IsSymbolicLink(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           found.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
}

// A fresh temporary file beside the file, created exclusively; its name in `temp`.
HANDLE CreateTemporary(const std::string& path, std::string& temp) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    uint64_t seed = uint64_t(GetTickCount64()) * 2654435761u ^ GetCurrentProcessId();
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        temp = FolderOf(path) + "." + NameOf(path) + ".";
        for (int i = 0; i < TemporarySuffixLength; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            temp += letters[(seed >> 33) % (sizeof letters - 1)];
        }
        HANDLE file = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Moves the file `from` over the file `to`, waiting while `to` is open elsewhere (see
// MoveAttempts). False with the system's error when that does not end or the move fails
// for another reason.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            attempt >= MoveAttempts)
            return false;
        Sleep(RetryPauseMs);
    }
}

// A number the system hands over in two 32-bit halves (file sizes, file times).
int64_t Whole(DWORD high, DWORD low) {
    return int64_t(uint64_t(high) << 32 | low);
}

} // namespace

std::string OsExecutableFolder() {
    // The system cuts the name short, filling the whole buffer, when the buffer is too small.
    std::wstring path;
    DWORD length = 0;
    do {
        path.resize(path.size() * 2 + MAX_PATH);
        length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    } while (length == path.size());
    if (length == 0) return "./";
    path.resize(length);
    return FolderOf(Utf8(path));
}

bool OsReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                     std::vector<uint8_t>& bytes, std::string& reason) {
    const bool write = mode == OsOpenMode::ReadWriteCreate;
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0), ShareAll,
                    nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = Reason(GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known =
        GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info);
    const int64_t size = Whole(info.nFileSizeHigh, info.nFileSizeLow);
    bool ok = false;
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        reason = "not a regular file";
    else if (write && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        reason = "read-only"; // an administrator may open it for writing all the same
    else if (size > std::min<int64_t>(maxBytes, MAXDWORD))
        reason = "too large";
    else
        ok = true;
    bytes.assign(ok ? size_t(size) : 0, 0);
    DWORD got = 0;
    if (ok && size > 0 &&
        (!ReadFile(file, bytes.data(), DWORD(size), &got, nullptr) || got != size)) {
        ok = false;
        reason = "read failed";
    }
    CloseHandle(file);
    return ok;
}

// A temporary file beside the file is written, flushed and moved over the file.
bool OsCommitFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
    std::string temp;
    HANDLE file = CreateTemporary(path, temp);
    // Where no temporary file can be made, the bytes go over the file's own content; a symbolic
    // link is refused.
    if (file == INVALID_HANDLE_VALUE && IsSymbolicLink(path)) {
        reason = "a symbolic link";
        return false;
    }
    if (file == INVALID_HANDLE_VALUE)
        return WriteAndClose(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, ShareAll, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                             bytes, reason);
    bool ok = WriteAndClose(file, bytes, reason);
    if (ok && CommitStopsBeforeMove()) {
        ok = false;
        reason = "stopped before the rename";
    }
    if (ok && !MoveOver(Wide(temp), Wide(path))) {
        ok = false;
        reason = Reason(GetLastError());
    }
    if (!ok) DeleteFileW(Wide(temp).c_str());
    return ok;
}

std::shared_ptr<OsFileLock> OsLockFile(const std::string& path) {
    const std::wstring lockPath = Wide(FolderOf(path) + "." + NameOf(path) + ".lock");
    for (int attempt = 0; attempt < LockAttempts; ++attempt) {
        auto lock = std::make_shared<OsFileLock>();
        lock->file =
            CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, ShareAll, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock->file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_ACCESS_DENIED)
            return nullptr; // no lock file can be made here: go on without
        OVERLAPPED whole = {};
        if (lock->file != INVALID_HANDLE_VALUE &&
            LockFileEx(lock->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                       MAXDWORD, &whole))
            return lock;
        lock.reset();
        Sleep(RetryPauseMs);
    }
    return nullptr;
}

void OsRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "." + name + ".*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t latest =
        Whole(now.dwHighDateTime, now.dwLowDateTime) - minAgeSeconds * FileTimeStepsPerSecond;
    do {
        const std::string entry = Utf8(found.cFileName);
        const FILETIME& written = found.ftLastWriteTime;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsCommitTemporary(entry, name) &&
            Whole(written.dwHighDateTime, written.dwLowDateTime) <= latest)
            DeleteFileW(Wide(folder + entry).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

OsEntry OsLookAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? OsEntry{} : OsEntry{OsEntryKind::Other, false};
    }
    const DWORD attributes = data.dwFileAttributes;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsSymbolicLink(path);
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return OsEntry{OsEntryKind::Other, false, 0, link};
    return OsEntry{OsEntryKind::File, (attributes & FILE_ATTRIBUTE_READONLY) == 0,
                   Whole(data.nFileSizeHigh, data.nFileSizeLow), link};
}

// A move within the folder that does not replace: a link is moved, not what it leads to.
bool OsMoveAside(const std::string& path, const std::string& newPath, bool& exists,
                 std::string& reason) {
    if (MoveFileExW(Wide(path).c_str(), Wide(newPath).c_str(), MOVEFILE_WRITE_THROUGH)) {
        exists = false;
        return true;
    }
    const DWORD error = GetLastError();
    exists = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    reason = Reason(error);
    return false;
}

bool OsCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                     std::string& reason) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    exists = file == INVALID_HANDLE_VALUE &&
             (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS);
    if (WriteAndClose(file, bytes, reason)) return true;
    if (file != INVALID_HANDLE_VALUE) DeleteFileW(Wide(path).c_str());
    return false;
}

bool OsFolderExists(const std::string& folder) {
    const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows has no access test that sees every rule: a probe file is made and goes at once.
bool OsFolderWritable(const std::string& folder) {
    const std::string probe = folder + ".tessaroc-probe-" + std::to_string(GetCurrentProcessId());
    HANDLE file = CreateFileW(Wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// The folders under the user's local application data are the user's alone already.
bool OsMakePrivateFolder(const std::string& folder, std::string& reason) {
    const size_t first = folder.find('/', folder.size() > 2 && folder[1] == ':' ? 3 : 1);
    for (size_t slash = first; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        if (!CreateDirectoryW(Wide(folder.substr(0, slash)).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = Reason(GetLastError());
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
    return "  LOCALAPPDATA    the settings and best times go to %LOCALAPPDATA%\\Tessaroc when the\n"
           "                  program's folder cannot be written\n";
}

// A program of the window subsystem gets standard handles only from a redirection (or a
// console it was started in whose handles were passed on); otherwise they are null.
bool OsHasStandardStream(bool standardError) {
    const HANDLE stream = GetStdHandle(standardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    return stream != nullptr && stream != INVALID_HANDLE_VALUE &&
           GetFileType(stream) != FILE_TYPE_UNKNOWN;
}

bool OsDataFolderIsBrowser() {
    return false;
}

std::string OsUserDataFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return Utf8(std::wstring(buffer, length)) + "/Tessaroc/";
}
