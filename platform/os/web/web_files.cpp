// File services of the browser build: data files in the browser's storage, the program's own
// files (sprite sheets, glyphs) in Emscripten's file system.
//
// In a page the bundle's files are read-only and the data folder is StorageFolder, the
// per-user folder, whose files are entries of the browser's storage for the page's origin: one
// localStorage entry per data file, its bytes one character each (0 to 255). A commit of the
// storage replaces the entry in one step, so a closed tab keeps the old or the new content.
// Every other path (under Node, the tests, the machine's file system) goes to the POSIX file
// services, which this build compiles under the names below (CMakeLists.txt); OsMoveAside,
// OsUserDataFolderUsage and OsHasStandardStream are theirs as they are, as the storage holds
// no links and the page's console is its standard stream.
#include <cstdlib>
#include <cstring>
#include <emscripten.h>

#include "os_files.h"

// os/posix/posix_files.cpp's Os* functions of the same arguments.
bool PosixReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                        std::vector<uint8_t>& bytes, std::string& reason);
bool PosixCommitFile(const std::string& path, const std::vector<uint8_t>& bytes,
                     std::string& reason);
void PosixRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds);
OsEntry PosixLookAt(const std::string& path);
bool PosixCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                        std::string& reason);
bool PosixFolderExists(const std::string& folder);
bool PosixFolderWritable(const std::string& folder);
bool PosixMakePrivateFolder(const std::string& folder, std::string& reason);
std::string PosixUserDataFolder();

// clang-format off
// Whether the page may keep data (not in private modes or with site data blocked); the first
// refusal also tells the page, which says so under the game.
EM_JS(int, web_storage_usable, (), {
    try {
        const probe = "tessaroc:probe";
        localStorage.setItem(probe, "1");
        localStorage.removeItem(probe);
        return 1;
    } catch (e) {
        if (Module["tessarocStorageRefused"]) Module["tessarocStorageRefused"]();
        return 0;
    }
});

// The entry's bytes in a block of malloc (the caller frees it) and their count through
// length, which the caller set to none: 0 when read, 1 for a missing entry, -1 when storage is
// refused.
EM_JS(int, web_storage_read, (const char* name, uint8_t** block, int* length), {
    let text;
    try {
        text = localStorage.getItem("tessaroc:" + UTF8ToString(name));
    } catch (e) {
        return -1;
    }
    if (text === null) return 1;
    const bytes = _malloc(text.length + 1);
    for (let i = 0; i < text.length; i++) HEAPU8[bytes + i] = text.charCodeAt(i) & 255;
    HEAP32[block >> 2] = bytes;
    HEAP32[length >> 2] = text.length;
    return 0;
});

// 0 when written, 1 when storage is refused, 2 when it is full.
EM_JS(int, web_storage_write, (const char* name, const uint8_t* bytes, int length), {
    let text = "";
    for (let i = 0; i < length; i += 4096)
        text += String.fromCharCode.apply(null, HEAPU8.subarray(bytes + i, bytes + Math.min(length, i + 4096)));
    try {
        localStorage.setItem("tessaroc:" + UTF8ToString(name), text);
        return 0;
    } catch (e) {
        return e && e.name === "QuotaExceededError" ? 2 : 1;
    }
});

// Sleeps until the Web Locks API grants the lock that every tab of the origin shares (the
// page draws on meanwhile); its release waits in tessarocLocks. 0 when the browser has no
// locks, and while the page is going away, when nothing can wait.
EM_JS(int, web_lock, (const char* name), {
    if (typeof navigator === "undefined" || !navigator.locks || Module.tessarocLeaving) return 0;
    const lockName = "tessaroc:" + UTF8ToString(name);
    return Asyncify.handleSleep(function(wakeUp) {
        navigator.locks.request(lockName, function() {
            return new Promise(function(release) {
                Module.tessarocLocks = Module.tessarocLocks || {next: 1};
                const id = Module.tessarocLocks.next++;
                Module.tessarocLocks[id] = release;
                wakeUp(id);
            });
        }).catch(function() { wakeUp(0); });
    });
});

EM_JS(void, web_unlock, (int lock), {
    const locks = Module.tessarocLocks;
    if (!locks || !locks[lock]) return;
    locks[lock]();
    delete locks[lock];
});

// Whether the program runs in a page (not under Node).
EM_JS(int, web_in_browser, (), {
    return typeof window !== "undefined" ? 1 : 0;
});

// The folder of the program's own files ('/' at the end) into buffer, its length: the page's
// bundle folder, or under Node the folder of the test program.
EM_JS(int, web_program_folder, (char* buffer, int size), {
    let folder = "/tessaroc/";
    if (typeof process !== "undefined" && process.argv && process.argv.length > 1)
        folder = require("path").dirname(require("path").resolve(process.argv[1])) + "/";
    stringToUTF8(folder, buffer, size);
    return lengthBytesUTF8(folder);
});
// clang-format on

// A browser lock held for a data file of the storage.
struct OsFileLock {
    int32_t lock = 0;
    ~OsFileLock() { web_unlock(lock); }
};

namespace {

// The folder the data files of the browser build live in: no folder of the file system, its
// files are entries of the storage.
constexpr const char* StorageFolder = "/storage/";
constexpr const char* StorageRefused = "the browser refuses to keep data";

bool IsStoragePath(const std::string& path) {
    return path.compare(0, std::strlen(StorageFolder), StorageFolder) == 0;
}

// The storage's name of one of its files: the path less StorageFolder.
const char* EntryName(const std::string& path) {
    return path.c_str() + std::strlen(StorageFolder);
}

bool InBrowser() {
    return web_in_browser() != 0;
}

bool StorageUsable() {
    return InBrowser() && web_storage_usable() != 0;
}

// The storage's entry of the file into bytes: 0 when read, 1 when it has none (no bytes), -1
// when storage is refused.
int ReadStorageEntry(const std::string& path, std::vector<uint8_t>& bytes) {
    uint8_t* block = nullptr;
    int length = 0;
    const int result = web_storage_read(EntryName(path), &block, &length);
    bytes.assign(block, block + length);
    std::free(block);
    return result;
}

bool CommitStorageFile(const std::string& path, const std::vector<uint8_t>& bytes,
                       std::string& reason) {
    const int result = web_storage_write(EntryName(path), bytes.data(), int(bytes.size()));
    if (result == 0) return true;
    reason = result == 2 ? "the browser's storage is full" : StorageRefused;
    return false;
}

} // namespace

std::string OsExecutableFolder() {
    char buffer[4096];
    const int length = web_program_folder(buffer, sizeof buffer);
    return length > 0 && length < int(sizeof buffer) ? std::string(buffer, size_t(length))
                                                     : std::string("./");
}

bool OsReadWholeFile(const std::string& path, OsOpenMode mode, int64_t maxBytes,
                     std::vector<uint8_t>& bytes, std::string& reason) {
    if (!IsStoragePath(path)) return PosixReadWholeFile(path, mode, maxBytes, bytes, reason);
    if (ReadStorageEntry(path, bytes) < 0) {
        reason = StorageRefused;
        return false;
    }
    if (int64_t(bytes.size()) <= maxBytes) return true;
    bytes.clear();
    reason = "too large";
    return false;
}

// The storage's entry is replaced in one step.
bool OsCommitFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
    return IsStoragePath(path) ? CommitStorageFile(path, bytes, reason)
                               : PosixCommitFile(path, bytes, reason);
}

// Only the storage's files are shared with other instances (the other tabs of the page).
std::shared_ptr<OsFileLock> OsLockFile(const std::string& path) {
    if (!IsStoragePath(path)) return nullptr;
    const int32_t lock = web_lock(EntryName(path));
    if (lock == 0) return nullptr;
    auto held = std::make_shared<OsFileLock>();
    held->lock = lock;
    return held;
}

// A commit of the storage is one step and leaves nothing behind.
void OsRemoveStaleTemporaries(const std::string& path, int64_t minAgeSeconds) {
    if (!IsStoragePath(path)) PosixRemoveStaleTemporaries(path, minAgeSeconds);
}

// A file of the storage is writable wherever the page may keep data; in a page nothing else is.
OsEntry OsLookAt(const std::string& path) {
    if (!IsStoragePath(path)) {
        OsEntry entry = PosixLookAt(path);
        entry.writable = entry.writable && !InBrowser();
        return entry;
    }
    std::vector<uint8_t> bytes;
    if (ReadStorageEntry(path, bytes) != 0) return OsEntry{};
    return OsEntry{OsEntryKind::File, true, int64_t(bytes.size())};
}

bool OsCreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& exists,
                     std::string& reason) {
    if (!IsStoragePath(path)) return PosixCreateNewFile(path, bytes, exists, reason);
    exists = OsLookAt(path).kind == OsEntryKind::File;
    if (exists) {
        reason = "file exists";
        return false;
    }
    return CommitStorageFile(path, bytes, reason);
}

bool OsFolderExists(const std::string& folder) {
    return IsStoragePath(folder) || PosixFolderExists(folder);
}

// In a page only the storage can keep anything: the bundle's folder is the page's own.
bool OsFolderWritable(const std::string& folder) {
    if (IsStoragePath(folder)) return StorageUsable();
    return !InBrowser() && PosixFolderWritable(folder);
}

// The storage needs no folder made; where the page may keep nothing, the refusal is the reason
// the data files' line on the console gives.
bool OsMakePrivateFolder(const std::string& folder, std::string& reason) {
    if (!IsStoragePath(folder)) return PosixMakePrivateFolder(folder, reason);
    if (StorageUsable()) return true;
    reason = StorageRefused;
    return false;
}

bool OsDataFolderIsBrowser() {
    return InBrowser();
}

// In a page the storage is the per-user folder: the bundle's own folder is never writable,
// so the data folder is always the storage. Under Node (the tests) the machine's per-user
// folder, as on POSIX systems.
std::string OsUserDataFolder() {
    return InBrowser() ? StorageFolder : PosixUserDataFolder();
}
