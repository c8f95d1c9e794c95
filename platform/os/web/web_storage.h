// The browser's storage for the page's origin, behind the file service (web_files.cpp):
// one localStorage entry per data file, its bytes one character each (0 to 255).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder the data files of the browser build live in: no folder of the file system,
// its files are entries of the storage.
constexpr const char* StorageFolder = "/storage/";

// Whether the path names a file of StorageFolder.
bool IsStoragePath(const std::string& path);
// Whether the page may keep data (false in private modes and with site data blocked); the
// first refusal also tells the page, which says so under the game.
bool StorageUsable();
// The file's bytes; a missing entry is an empty file. False with reason when refused.
bool ReadStorageFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);
// The file's length in bytes; -1 when it has no entry or storage is refused.
int64_t StorageFileBytes(const std::string& path);
// Replaces the file's bytes in one step: a closed tab keeps the old or the new content.
bool CommitStorageFile(const std::string& path, const std::vector<uint8_t>& bytes,
                       std::string& reason);
// Waits until this tab holds the browser lock of the file (every tab of the origin shares
// it), drawing on meanwhile; 0 when the browser has no locks, else the lock's number.
int32_t LockStorageFile(const std::string& path);
// Gives the lock back.
void UnlockStorageFile(int32_t lock);
// Where the program's own files lie: the page's bundle folder, or under Node the folder of
// the test program.
std::string ProgramFilesFolder();
// Whether the program runs in a page (not under Node).
bool InBrowser();
