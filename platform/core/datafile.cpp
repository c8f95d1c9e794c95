// Data files: an in-memory image per open file, read whole on opening, committed on closing.
//
// Opening reads the whole file into memory and closes it again (a program must not hold a
// file open that a commit replaces). Reads and writes work on that image at the current
// position, and every byte written is marked. Closing after a write commits: under a lock
// shared by every instance of the program the file is read again as it is now, the marked
// bytes are put on top, and the result replaces the file crash-safely (os_files.h), so two
// instances that wrote different parts of one file both keep theirs.
//
// "Prefs" and "TopList" live in the data folder: the program folder when it is writable (a
// portable folder), otherwise a per-user folder, made on first use.
//
// The transfer cell (DataFiles.transfer) holds the last value moved by ReadInt32, WriteInt32
// or ReadByte (the byte sign-extended); a read that cannot be completed returns it unchanged.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "os_files.h"
#include "platform_state.h"

namespace {

// Largest file image kept: the program's files are about a kilobyte; larger files are not
// opened and writes that would grow an image past this are dropped.
constexpr int64_t MaxImageBytes = int64_t{1} << 24;
// Temporary files of a commit this old are left over from a crash, not from a commit that
// another instance is making right now.
constexpr int64_t StaleTemporarySeconds = 60;

DataFileRecord* CurrentFile() {
    return DataFiles.current >= 0 ? &DataFiles.files[DataFiles.current] : nullptr;
}

// Chooses the data folder once: the program folder when this process may write there, else
// the per-user folder, made on this first use. "" when neither can be written; that is said
// once on stderr and the game then saves nothing.
void ChooseDataFolder() {
    DataFiles.dataFolderChosen = true;
    const std::string& program = ProgramFolder();
    if (!DataFiles.programFolderReadOnly && OsFolderWritable(program)) {
        DataFiles.dataFolder = program;
        return;
    }
    const std::string user = OsUserDataFolder();
    std::string reason;
    if (user.empty())
        reason = "no home folder";
    else if (!OsMakePrivateFolder(user, reason))
        ;
    else if (!OsFolderWritable(user))
        reason = "not writable";
    else {
        DataFiles.dataFolder = user;
        return;
    }
    std::fprintf(stderr,
                 "tessaroc: settings and best times are not saved: %s is read-only, %s: %s\n",
                 program.c_str(), user.empty() ? "per-user folder" : user.c_str(), reason.c_str());
}

std::string DataFilePath(const Text& fileName) {
    const std::string& folder = DataFolder();
    if (folder.empty()) return "";
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    return folder + name;
}

void ReportFailedSave(const DataFileRecord& file, const std::string& reason) {
    std::fprintf(stderr, "tessaroc: could not save %s: %s\n", file.path.c_str(), reason.c_str());
    DataFiles.failure = reason;
}

// Takes the lock between instances unless the file holds it already.
void LockRecord(DataFileRecord& file) {
    if (!file.lock) file.lock = OsLockFile(file.path);
}

// The file as it is on disk now with the bytes this instance wrote put on top; a gap between
// the end on disk and a byte written past it is zero-filled.
std::vector<uint8_t> MergedImage(const DataFileRecord& file, std::vector<uint8_t> disk) {
    for (size_t i = 0; i < file.written.size(); ++i) {
        if (!file.written[i]) continue;
        if (i >= disk.size()) disk.resize(i + 1, 0);
        disk[i] = file.image[i];
    }
    return disk;
}

// Commits a written file: lock, read it again, put the written bytes on top, replace it.
// A failure leaves the file as it was, is said on stderr and returns false.
bool CommitRecord(DataFileRecord& file) {
    LockRecord(file);
    std::vector<uint8_t> disk;
    std::string reason;
    if (!OsReadWholeFile(file.path, OsOpenMode::ReadWriteCreate, MaxImageBytes, disk, reason) ||
        !OsCommitFile(file.path, MergedImage(file, std::move(disk)), reason)) {
        ReportFailedSave(file, reason);
        return false;
    }
    return true;
}

// Commits the file if it was written, releases it and makes the most recently opened file
// that is still open the current one; false when the commit failed.
bool CloseRecord(int32_t index) {
    DataFileRecord& file = DataFiles.files[index];
    const bool saved = !file.dirty || CommitRecord(file);
    file = DataFileRecord{};
    if (DataFiles.current != index) return saved;
    DataFiles.current = -1;
    for (int32_t i = 0; i < DataFileSlots; ++i) {
        const DataFileRecord& other = DataFiles.files[i];
        if (other.number != 0 && (DataFiles.current < 0 ||
                                  other.openOrder > DataFiles.files[DataFiles.current].openOrder))
            DataFiles.current = i;
    }
    return saved;
}

int32_t FindRecord(int32_t number) {
    for (int32_t i = 0; i < DataFileSlots; ++i)
        if (DataFiles.files[i].number == number) return i;
    return -1;
}

// Copies count bytes from the current position into the caller's buffer; false (nothing
// moved, position kept) when fewer remain.
bool ReadBytes(uint8_t* to, int64_t count) {
    DataFileRecord* file = CurrentFile();
    if (file == nullptr || file->position < 0 ||
        file->position + count > static_cast<int64_t>(file->image.size()))
        return false;
    std::memcpy(to, file->image.data() + file->position, static_cast<size_t>(count));
    file->position += count;
    return true;
}

// Puts bytes into the image at the current position, extending it (zero-filled) as needed,
// and marks them written.
void WriteBytes(const uint8_t* from, int64_t count) {
    DataFileRecord* file = CurrentFile();
    if (file == nullptr || count <= 0 || file->position + count > MaxImageBytes) return;
    const size_t end = static_cast<size_t>(file->position + count);
    if (end > file->image.size()) file->image.resize(end, 0);
    if (end > file->written.size()) file->written.resize(end, 0);
    std::memcpy(file->image.data() + file->position, from, static_cast<size_t>(count));
    std::fill(file->written.begin() + file->position, file->written.begin() + end, 1);
    file->position += count;
    file->dirty = true;
}

} // namespace

// Called by the preferences and the best-time file. Opens the named file in the data folder
// for reading and writing, creating it empty at once, reads it whole and lets it go again;
// it becomes the current file. Temporary files that crashed commits left beside it are
// removed first. A file already open under this number is closed first. Returns 0 when it
// cannot be opened (read-only, not a regular file, too large, no data folder, no free
// record), 1 otherwise. The open never waits, whatever kind of file the name leads to.
int32_t OpenDataFile(int32_t number, const Text& fileName) {
    if (number == 0 || fileName.empty()) return 0;
    int32_t old = FindRecord(number);
    if (old >= 0) CloseRecord(old);
    int32_t index = FindRecord(0);
    if (index < 0) return 0;
    std::string path = DataFilePath(fileName);
    if (path.empty()) return 0;
    OsRemoveStaleTemporaries(path, StaleTemporarySeconds);
    DataFileRecord& file = DataFiles.files[index];
    std::string reason;
    if (!OsReadWholeFile(path, OsOpenMode::ReadWriteCreate, MaxImageBytes, file.image, reason)) {
        file = DataFileRecord{};
        return 0;
    }
    file.number = number;
    file.path = path;
    file.openOrder = ++DataFiles.opened;
    DataFiles.current = index;
    return 1;
}

// Called by savers that fit their bytes into what another instance may have saved meanwhile
// (the best-time list). Takes the lock between instances, held until the file is closed, and
// makes the image the file as it is on disk now; writes made before are dropped, the
// position is kept. Returns 0 (image unchanged) when the file can no longer be read.
int32_t ReloadDataFile() {
    DataFileRecord* file = CurrentFile();
    if (file == nullptr) return 0;
    LockRecord(*file);
    std::vector<uint8_t> disk;
    std::string reason;
    if (!OsReadWholeFile(file->path, OsOpenMode::ReadWriteCreate, MaxImageBytes, disk, reason))
        return 0;
    file->image = std::move(disk);
    file->written.clear();
    file->dirty = false;
    return 1;
}

// Sets the current file's byte position; a negative position is refused (position kept).
void SeekDataFile(int32_t position) {
    DataFileRecord* file = CurrentFile();
    if (file != nullptr && position >= 0) file->position = position;
}

// Reads a little-endian signed 32-bit integer; at or past the end (or with no file) nothing
// is read and the transfer cell's last value is returned.
int32_t ReadInt32() {
    uint8_t bytes[4];
    if (ReadBytes(bytes, 4))
        DataFiles.transfer =
            static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                 uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    return DataFiles.transfer;
}

// Reads one byte as a signed value -128..127; past the end the transfer cell's low byte.
int32_t ReadByte() {
    uint8_t byte;
    if (ReadBytes(&byte, 1)) DataFiles.transfer = static_cast<int8_t>(byte);
    return static_cast<int8_t>(static_cast<uint8_t>(DataFiles.transfer & 0xFF));
}

void WriteInt32(int32_t value) {
    DataFiles.transfer = value;
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16),
                              uint8_t(bits >> 24)};
    WriteBytes(bytes, 4);
}

// Writes the text's bytes with no terminator.
void WriteText(const Text& text) {
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int64_t>(text.size()));
}

// Called by the preferences and best-time code when done; an unknown number does nothing.
int32_t CloseDataFile(int32_t number) {
    int32_t index = number != 0 ? FindRecord(number) : -1;
    return index < 0 || CloseRecord(index) ? 1 : 0;
}

// Called by the best-time list to tell the player why a new time was not kept.
const std::string& DataFileFailure() {
    return DataFiles.failure;
}

// For callers that must not trust short files: the current file's length in bytes.
int32_t DataFileLength() {
    const DataFileRecord* file = CurrentFile();
    return file != nullptr ? static_cast<int32_t>(file->image.size()) : 0;
}

// Called at the end of the program: every file still open is committed as it stands.
void CloseAllDataFiles() {
    for (int32_t i = 0; i < DataFileSlots; ++i)
        if (DataFiles.files[i].number != 0) CloseRecord(i);
}

// The folder of the executable ("/" at the end) unless SetProgramFolder chose another.
const std::string& ProgramFolder() {
    if (DataFiles.programFolder.empty()) DataFiles.programFolder = OsExecutableFolder();
    return DataFiles.programFolder;
}

// Called by tests to work in a temporary folder; an empty folder returns to the default.
// The data folder and the sheet folder are chosen again when next needed.
void SetProgramFolder(const std::string& folder) {
    DataFiles.programFolder = folder;
    if (!folder.empty() && folder.back() != '/') DataFiles.programFolder += '/';
    DataFiles.dataFolder.clear();
    DataFiles.dataFolderChosen = false;
    SheetFiles.folderChosen = false;
}

// Where "Prefs" and "TopList" are kept ("/" at the end); "" when nowhere can be written.
const std::string& DataFolder() {
    if (!DataFiles.dataFolderChosen) ChooseDataFolder();
    return DataFiles.dataFolder;
}
