// Data files in the program folder: an in-memory image per open file, committed on close.
//
// Opening reads the whole file into memory; reads and writes work on that image at the
// current position. Closing after a write saves the image crash-safely: a temporary file in
// the same folder is written and synced, then renamed over the file and the folder synced,
// so the file on disk is always either the old or the new contents. Where no temporary file
// can be made, or the name is a symbolic link (renaming would replace the link), the image
// is written in place instead.
//
// The transfer cell (DataFiles.transfer) holds the last value moved by ReadInt32, WriteInt32
// or ReadByte (the byte sign-extended); a read that cannot be completed returns it unchanged.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform_state.h"

namespace {

// Largest file image kept: the program's files are about a kilobyte; larger files are not
// opened and writes that would grow an image past this are dropped.
constexpr int64_t MaxImageBytes = int64_t{1} << 24;

DataFileRecord* CurrentFile() {
    return DataFiles.current >= 0 ? &DataFiles.files[DataFiles.current] : nullptr;
}

// The folder of the running executable as the kernel reports it, ending in '/'.
std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string DataFilePath(const Text& fileName) {
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    return ProgramFolder() + name;
}

bool ReadAll(int fd, std::vector<uint8_t>& bytes) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > MaxImageBytes)
        return false;
    bytes.clear();
    uint8_t chunk[4096];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (static_cast<int64_t>(bytes.size()) + got > MaxImageBytes) return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes, off_t offset) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put =
            pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// fsync unless a fuzzer switched durability off; true when the data reached the disk.
bool SyncToDisk(int fd) {
    return SkipDiskSync || fsync(fd) == 0;
}

void SyncFolder(const std::string& folder) {
    if (SkipDiskSync) return;
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Writes the image over the file's old bytes through its own descriptor.
void CommitInPlace(const DataFileRecord& file) {
    if (WriteAll(file.fd, file.image, 0)) SyncToDisk(file.fd);
}

// Writes the image to a temporary file beside the file and renames it over the file.
// Returns false when no temporary file could be made (the caller then writes in place);
// a failure after that leaves the old file as it was.
bool CommitByRename(const DataFileRecord& file) {
    size_t slash = file.path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : file.path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? file.path : file.path.substr(slash + 1);
    std::string temp = folder + "." + name + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(file.fd, &info) == 0) fchmod(fd, info.st_mode & 07777);
    bool ok = WriteAll(fd, file.image, 0) && SyncToDisk(fd);
    ok = close(fd) == 0 && ok;
    if (ok && DataFiles.failBeforeRename) ok = false;
    if (ok && rename(temp.c_str(), file.path.c_str()) == 0) {
        SyncFolder(folder);
    } else {
        unlink(temp.c_str());
    }
    return true;
}

void CommitImage(const DataFileRecord& file) {
    struct stat link;
    bool isLink = lstat(file.path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (isLink || !CommitByRename(file)) CommitInPlace(file);
}

// Commits the file if it was written, closes it and makes the most recently opened file
// that is still open the current one.
void CloseRecord(int32_t index) {
    DataFileRecord& file = DataFiles.files[index];
    if (file.dirty) CommitImage(file);
    close(file.fd);
    file = DataFileRecord{};
    if (DataFiles.current != index) return;
    DataFiles.current = -1;
    for (int32_t i = 0; i < DataFileSlots; ++i) {
        const DataFileRecord& other = DataFiles.files[i];
        if (other.number != 0 && (DataFiles.current < 0 ||
                                  other.openOrder > DataFiles.files[DataFiles.current].openOrder))
            DataFiles.current = i;
    }
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

// Puts bytes into the image at the current position, extending it (zero-filled) as needed.
void WriteBytes(const uint8_t* from, int64_t count) {
    DataFileRecord* file = CurrentFile();
    if (file == nullptr || count <= 0 || file->position + count > MaxImageBytes) return;
    if (file->position + count > static_cast<int64_t>(file->image.size()))
        file->image.resize(static_cast<size_t>(file->position + count), 0);
    std::memcpy(file->image.data() + file->position, from, static_cast<size_t>(count));
    file->position += count;
    file->dirty = true;
}

} // namespace

// Called by the preferences and the best-time file. Opens the named file in the program
// folder for reading and writing, creating it empty at once; it becomes the current file.
// A file already open under this number is closed first. Returns 0 when it cannot be opened
// (read-only, not a regular file, too large, no free record), 1 otherwise.
int32_t OpenDataFile(int32_t number, const Text& fileName) {
    if (number == 0 || fileName.empty()) return 0;
    int32_t old = FindRecord(number);
    if (old >= 0) CloseRecord(old);
    int32_t index = FindRecord(0);
    if (index < 0) return 0;
    std::string path = DataFilePath(fileName);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    DataFileRecord& file = DataFiles.files[index];
    if (!ReadAll(fd, file.image)) {
        close(fd);
        file = DataFileRecord{};
        return 0;
    }
    file.number = number;
    file.path = path;
    file.fd = fd;
    file.position = 0;
    file.dirty = false;
    file.openOrder = ++DataFiles.opened;
    DataFiles.current = index;
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
void CloseDataFile(int32_t number) {
    int32_t index = number != 0 ? FindRecord(number) : -1;
    if (index >= 0) CloseRecord(index);
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
    if (DataFiles.programFolder.empty()) DataFiles.programFolder = ExecutableFolder();
    return DataFiles.programFolder;
}

// Called by tests to work in a temporary folder; an empty folder returns to the default.
void SetProgramFolder(const std::string& folder) {
    DataFiles.programFolder = folder;
    if (!folder.empty() && folder.back() != '/') DataFiles.programFolder += '/';
}
