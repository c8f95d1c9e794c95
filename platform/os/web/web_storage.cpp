// The browser's storage and locks for the file service, through the page's JavaScript.
#include "web_storage.h"

#include <cstdlib>
#include <emscripten.h>

// clang-format off
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
// length; -1 when storage is refused, 0 with no block for a missing entry.
EM_JS(int, web_storage_read, (const char* name, uint8_t** block, int* length), {
    let text;
    try {
        text = localStorage.getItem("tessaroc:" + UTF8ToString(name));
    } catch (e) {
        return -1;
    }
    HEAP32[length >> 2] = 0;
    HEAP32[block >> 2] = 0;
    if (text === null) return 0;
    const bytes = _malloc(text.length + 1);
    for (let i = 0; i < text.length; i++) HEAPU8[bytes + i] = text.charCodeAt(i) & 255;
    HEAP32[block >> 2] = bytes;
    HEAP32[length >> 2] = text.length;
    return 0;
});

// The entry's length in characters (one a byte); -1 when it is missing or storage is refused.
EM_JS(double, web_storage_length, (const char* name), {
    try {
        const text = localStorage.getItem("tessaroc:" + UTF8ToString(name));
        return text === null ? -1 : text.length;
    } catch (e) {
        return -1;
    }
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

// Sleeps until the Web Locks API grants the lock; its release waits in tessarocLocks. No lock
// while the page is going away, when nothing can wait.
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

EM_JS(int, web_in_browser, (), {
    return typeof window !== "undefined" ? 1 : 0;
});

// The folder of the program's own files ('/' at the end) into buffer; its length.
EM_JS(int, web_program_folder, (char* buffer, int size), {
    let folder = "/tessaroc/";
    if (typeof process !== "undefined" && process.argv && process.argv.length > 1)
        folder = require("path").dirname(require("path").resolve(process.argv[1])) + "/";
    stringToUTF8(folder, buffer, size);
    return lengthBytesUTF8(folder);
});
// clang-format on

namespace {

std::string NameOf(const std::string& path) {
    return path.substr(std::string(StorageFolder).size());
}

} // namespace

bool IsStoragePath(const std::string& path) {
    return path.compare(0, std::string(StorageFolder).size(), StorageFolder) == 0;
}

bool StorageUsable() {
    return web_storage_usable() != 0;
}

bool ReadStorageFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
    uint8_t* block = nullptr;
    int length = 0;
    bytes.clear();
    if (web_storage_read(NameOf(path).c_str(), &block, &length) != 0) {
        reason = "the browser refuses to keep data";
        return false;
    }
    bytes.assign(block, block + length);
    std::free(block);
    return true;
}

int64_t StorageFileBytes(const std::string& path) {
    return static_cast<int64_t>(web_storage_length(NameOf(path).c_str()));
}

bool CommitStorageFile(const std::string& path, const std::vector<uint8_t>& bytes,
                       std::string& reason) {
    const int result =
        web_storage_write(NameOf(path).c_str(), bytes.data(), static_cast<int>(bytes.size()));
    if (result == 0) return true;
    reason = result == 2 ? "the browser's storage is full" : "the browser refuses to keep data";
    return false;
}

int32_t LockStorageFile(const std::string& path) {
    return web_lock(NameOf(path).c_str());
}

void UnlockStorageFile(int32_t lock) {
    web_unlock(lock);
}

std::string ProgramFilesFolder() {
    char buffer[4096];
    const int length = web_program_folder(buffer, sizeof buffer);
    return length > 0 && length < int(sizeof buffer) ? std::string(buffer, size_t(length))
                                                     : std::string("./");
}

bool InBrowser() {
    return web_in_browser() != 0;
}
