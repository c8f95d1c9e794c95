// Data files: an in-memory image per open file, read whole on opening, committed on closing.
//
// Opening reads the whole file into memory and closes it again (a program must not hold a
// file open that a commit replaces). Reads and writes work on that image at the current
// position, and every byte written is marked. Closing after a write commits: under a lock
// shared by every instance of the program the file is read again as it is now, the marked
// bytes are put on top, and the result replaces the file crash-safely (os_files.h), so two
// instances that wrote different parts of one file both keep theirs.
//
// "Prefs" and "TopList" live in the data folder: the program folder when it is a writable
// portable folder (the executable with its GFX folder), otherwise a per-user folder, made on
// first use. A file of a portable folder that can be read but not written is read there and
// saved in the per-user folder, whose copy wins from then on.
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
// Copies of damaged files kept beside one file before further ones are refused.
constexpr int32_t MaxDamagedCopies = 100;

DataFileRecord* CurrentFile() {
    return DataFiles.current >= 0 ? &DataFiles.files[DataFiles.current] : nullptr;
}

// ---------------------------------------------------------------- lines on stderr
// Every line the data files say, each text in this one place.

void SayNothingSaved(const std::string& where, const std::string& reason) {
    std::fprintf(stderr, "tessaroc: settings and best times are not saved: %s: %s\n", where.c_str(),
                 reason.c_str());
}

void SaySaveFailed(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "tessaroc: could not save %s: %s\n", path.c_str(), reason.c_str());
}

void SayNotUsed(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "tessaroc: %s is neither read nor saved: %s\n", path.c_str(),
                 reason.c_str());
}

void SaySavedElsewhere(const std::string& source, const std::string& path) {
    std::fprintf(stderr, "tessaroc: %s is read-only: saved as %s, which is read from now on\n",
                 source.c_str(), path.c_str());
}

void SayDamagedKept(const std::string& path, const std::string& copy) {
    std::fprintf(stderr,
                 "tessaroc: %s lacks its marker and starts anew: its old content is kept "
                 "in %s\n",
                 path.c_str(), copy.c_str());
}

void SayDamagedLeft(const std::string& path, const std::string& reason) {
    std::fprintf(stderr,
                 "tessaroc: %s lacks its marker and is left as it is: its old content "
                 "cannot be kept beside it: %s\n",
                 path.c_str(), reason.c_str());
}

void SayLinkKept(const std::string& path, const std::string& copy) {
    std::fprintf(stderr,
                 "tessaroc: %s is a symbolic link and starts anew: the link is kept as %s\n",
                 path.c_str(), copy.c_str());
}

// A refusal to read or save a file is said once per file in a run (the preferences are
// opened at start-up and again at the end).
void SayOnce(void (*say)(const std::string&, const std::string&), const std::string& path,
             const std::string& reason) {
    std::vector<std::string>& said = DataFiles.saidPaths;
    if (std::find(said.begin(), said.end(), path) != said.end()) return;
    said.push_back(path);
    say(path, reason);
}

// ---------------------------------------------------------------- where the files are kept

// A portable folder is the executable with this folder of sprite sheets beside it; an
// installed program's sheets are elsewhere and it never writes beside itself.
const std::string PortableSheetFolder = "GFX/";

bool ProgramFolderIsPortable() {
    return OsFolderExists(ProgramFolder() + PortableSheetFolder);
}

// The per-user folder, made on its first use; "" when it cannot be had, which is said once:
// the game then saves nothing (beside a read-only portable folder, it still reads its files).
const std::string& UserFolder() {
    if (DataFiles.userFolder) return *DataFiles.userFolder;
    DataFiles.userFolder = "";
    const std::string user = OsUserDataFolder();
    std::string reason;
    if (user.empty())
        reason = "no home folder";
    else if (!OsMakePrivateFolder(user, reason))
        ;
    else if (!OsFolderWritable(user))
        reason = "not writable";
    else
        return *(DataFiles.userFolder = user);
    const std::string besideProgram =
        ProgramFolderIsPortable() ? ProgramFolder() + " is read-only, " : "";
    SayNothingSaved(besideProgram + (user.empty() ? "per-user folder" : user), reason);
    return *DataFiles.userFolder;
}

// Where one data file is read from and saved to.
struct DataFilePlace {
    std::string read;  // "" when there is nothing to read and nowhere to save
    std::string write; // "" when nowhere can be saved
};

// A file of a portable folder that can be read but not written (read-only, or in a folder
// that is) is read, and saved in the per-user folder, whose copy is read from then on.
// Everything else is read and saved in the data folder.
DataFilePlace PlaceOf(const std::string& name) {
    const std::string besideProgram = ProgramFolder() + name;
    const OsEntry program =
        ProgramFolderIsPortable() ? OsLookAt(besideProgram) : OsEntry{OsEntryKind::Missing};
    const bool programKeeps = DataFolder() == ProgramFolder() && !DataFolder().empty();
    if (programKeeps && (program.kind != OsEntryKind::File || program.writable))
        return {besideProgram, besideProgram};
    const std::string& user = UserFolder();
    const bool readable = program.kind == OsEntryKind::File;
    if (user.empty()) return {readable ? besideProgram : "", ""};
    const std::string perUser = user + name;
    const OsEntry saved = OsLookAt(perUser);
    // An empty per-user file is what an interrupted first save leaves: it holds nothing yet.
    if (readable && (saved.kind == OsEntryKind::Missing ||
                     (saved.kind == OsEntryKind::File && saved.bytes == 0)))
        return {besideProgram, perUser};
    return {perUser, perUser};
}

std::string NameWithSlashes(const Text& fileName) {
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// The content a commit or a reload starts from: the saved file as it is now, or, while that
// holds nothing yet, the read-only file it was read from.
bool ReadBase(const DataFileRecord& file, std::vector<uint8_t>& bytes, std::string& reason) {
    if (!OsReadWholeFile(file.path, OsOpenMode::ReadWriteCreate, MaxImageBytes, bytes, reason))
        return false;
    if (!bytes.empty() || file.source.empty()) return true;
    return OsReadWholeFile(file.source, OsOpenMode::ReadOnly, MaxImageBytes, bytes, reason);
}

// Keeps a damaged file's copy beside path under the first free name, "<path>.damaged", else
// "<path>.damaged.2" and on, never replacing anything: a new file holding bytes, or without
// bytes the entry at path itself moved aside. The name kept, or "" with reason set.
std::string KeepDamagedCopy(const std::string& path, const std::vector<uint8_t>* bytes,
                            std::string& reason) {
    for (int32_t n = 1; n <= MaxDamagedCopies; ++n) {
        const std::string copy = path + ".damaged" + (n > 1 ? "." + std::to_string(n) : "");
        bool exists = false;
        if (bytes ? OsCreateNewFile(copy, *bytes, exists, reason)
                  : OsMoveAside(path, copy, exists, reason))
            return copy;
        if (!exists) return "";
    }
    reason = "too many earlier copies";
    return "";
}

// OpenDataFile: a symbolic link where a file is saved is never written through (another
// user may have laid it to one of this user's files); it counts as a damaged file, whose
// copy is the link itself, moved aside under the first free copy name, so the file starts
// anew. False when the link stays (said): the file is then neither read nor saved.
bool MoveLinkAside(const std::string& path) {
    if (!OsLookAt(path).link) return true;
    std::string reason;
    const std::string copy = KeepDamagedCopy(path, nullptr, reason);
    if (!copy.empty()) {
        SayLinkKept(path, copy);
        return true;
    }
    SayOnce(SayNotUsed, path, "a symbolic link that cannot be moved aside: " + reason);
    return false;
}

// Takes the lock between instances unless the file holds it already.
void LockRecord(DataFileRecord& file) {
    if (!file.lock && !file.path.empty()) file.lock = OsLockFile(file.path);
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
// A failure leaves the file as it was, is said on stderr, is kept as the last failure's reason
// and returns false; so is a refusal, and a file with nowhere to save it. A file that was read
// from elsewhere says where it went the first time.
bool CommitRecord(DataFileRecord& file) {
    std::string reason;
    if (file.path.empty()) {
        // Nowhere to save: the folders' choice said so already.
        DataFiles.failure = "no folder can be written";
        return false;
    }
    if (!file.refusal.empty()) {
        reason = file.refusal;
    } else {
        LockRecord(file);
        std::vector<uint8_t> disk;
        if (ReadBase(file, disk, reason) &&
            OsCommitFile(file.path, MergedImage(file, std::move(disk)), reason)) {
            if (!file.source.empty()) SaySavedElsewhere(file.source, file.path);
            file.source.clear();
            return true;
        }
    }
    SaySaveFailed(file.path, reason);
    DataFiles.failure = reason;
    return false;
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

// Called by the preferences and the best-time file. Opens the named file where it is kept
// (PlaceOf) for reading and writing, creating it empty at once, reads it whole and lets it
// go again; it becomes the current file. A read-only file is read all the same: it is saved
// in the per-user folder when it belongs to a portable folder, else not at all (said on
// saving). A symbolic link where it is saved is moved aside as a damaged file's copy, and
// the file starts anew. With nowhere to read or save (said when the folders were chosen) it
// opens empty and its save fails, so the game goes on as with a new file and can tell the
// player what is not kept. Temporary files that crashed commits left beside it are removed
// first. A file already open under this number is closed first. Returns 0 when it cannot be
// read (not a regular file or too large: said on stderr; no free record), 1 otherwise.
// The open never waits, whatever kind of file the name leads to.
int32_t OpenDataFile(int32_t number, const Text& fileName) {
    if (number == 0 || fileName.empty()) return 0;
    int32_t old = FindRecord(number);
    if (old >= 0) CloseRecord(old);
    int32_t index = FindRecord(0);
    if (index < 0) return 0;
    const DataFilePlace place = PlaceOf(NameWithSlashes(fileName));
    if (!place.write.empty()) {
        OsRemoveStaleTemporaries(place.write, StaleTemporarySeconds);
        if (!MoveLinkAside(place.write)) return 0;
    }
    const OsEntry entry = OsLookAt(place.read);
    const bool readOnly = entry.kind == OsEntryKind::File && !entry.writable;
    const OsOpenMode mode =
        readOnly || place.read != place.write ? OsOpenMode::ReadOnly : OsOpenMode::ReadWriteCreate;
    DataFileRecord& file = DataFiles.files[index];
    std::string reason;
    if (!place.read.empty() &&
        !OsReadWholeFile(place.read, mode, MaxImageBytes, file.image, reason)) {
        file = DataFileRecord{};
        SayOnce(SayNotUsed, place.read, reason);
        return 0;
    }
    file.number = number;
    file.path = place.write;
    if (place.read != place.write) file.source = place.read;
    if (readOnly && place.read == place.write) file.refusal = "read-only";
    file.openOrder = ++DataFiles.opened;
    DataFiles.current = index;
    return 1;
}

// Called by the preferences and the best-time code before they write their marker over a
// file that lacks it: keeps the current file's bytes (as read; call it before writing) in a
// new file beside where it is saved, "<name>.damaged", else "<name>.damaged.2" and on, never
// replacing an earlier copy, and says so on stderr. Returns 1 when kept or when there is
// nothing to keep (an empty file, one that is never saved, one kept since it was opened: a
// reload reads the damaged bytes again until the close commits), 0 when it cannot be kept
// (said): the caller then leaves the file alone.
int32_t KeepDamagedDataFile() {
    DataFileRecord* file = CurrentFile();
    if (file == nullptr || file->image.empty() || file->path.empty() || !file->refusal.empty() ||
        file->damagedKept)
        return 1;
    std::string reason;
    const std::string copy = KeepDamagedCopy(file->path, &file->image, reason);
    if (!copy.empty()) {
        file->damagedKept = true;
        SayDamagedKept(file->path, copy);
        return 1;
    }
    SayDamagedLeft(file->path, reason);
    DataFiles.failure = "no copy of the damaged file could be kept (" + reason + ")";
    return 0;
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
    const bool read = file->path.empty() || !file->refusal.empty()
                          ? OsReadWholeFile(file->source.empty() ? file->path : file->source,
                                            OsOpenMode::ReadOnly, MaxImageBytes, disk, reason)
                          : ReadBase(*file, disk, reason);
    if (!read) return 0;
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
// The data folders and the sheet folder are chosen again when next needed.
void SetProgramFolder(const std::string& folder) {
    DataFiles.programFolder = folder;
    if (!folder.empty() && folder.back() != '/') DataFiles.programFolder += '/';
    DataFiles.dataFolder.reset();
    DataFiles.userFolder.reset();
    SheetFiles.folderChosen = false;
}

bool DataFilesInBrowser() {
    return OsDataFolderIsBrowser();
}

// Where "Prefs" and "TopList" are kept ("/" at the end), chosen once: a portable program
// folder when this process may write there, else the per-user folder; "" when neither can be
// written.
const std::string& DataFolder() {
    if (!DataFiles.dataFolder) {
        const bool portable = ProgramFolderIsPortable() && !DataFiles.programFolderReadOnly &&
                              OsFolderWritable(ProgramFolder());
        DataFiles.dataFolder = portable ? ProgramFolder() : UserFolder();
    }
    return *DataFiles.dataFolder;
}
