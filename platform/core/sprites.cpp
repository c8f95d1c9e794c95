// Sprite slots: loading bitmap sheets, choosing the source rectangle and opaque blits.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "bmp.h"
#include "draw_internal.h"
#include "os_files.h"
#include "platform_state.h"

namespace {

// Largest sheet file read: the biggest bitmap the decoder accepts, plus room for headers.
constexpr int64_t MaxSheetBytes = int64_t{BmpMaxSide} * BmpMaxSide * 4 + 65536;
// Sheet names start with this folder; it is looked for beside the executable first, then in
// the data folder of an installed tree.
const std::string SheetFolderName = "GFX/";
const std::string InstalledDataFolder = "share/tessaroc/";

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < SpriteSlotCount;
}

// The folder above a folder ("/usr/bin/" gives "/usr/"), ending in '/'.
std::string ParentFolder(const std::string& folder) {
    const std::string trimmed = folder.substr(0, folder.size() - 1);
    const size_t slash = trimmed.rfind('/');
    if (trimmed.empty() || trimmed == "." || slash == std::string::npos) return folder + "../";
    return trimmed.substr(0, slash + 1);
}

// Chooses the sheet folder once per run: "GFX" beside the executable (a portable folder),
// else "../share/tessaroc/GFX" from it (an installed tree). When neither exists that is said
// once on stderr and the sheets' pictures are left out.
const std::string& SheetFolder() {
    if (SheetFiles.folderChosen) return SheetFiles.folder;
    SheetFiles.folderChosen = true;
    const std::string portable = ProgramFolder() + SheetFolderName;
    const std::string installed =
        ParentFolder(ProgramFolder()) + InstalledDataFolder + SheetFolderName;
    SheetFiles.folder =
        OsFolderExists(portable) || !OsFolderExists(installed) ? portable : installed;
    SheetFiles.folderMissing = !OsFolderExists(SheetFiles.folder);
    if (SheetFiles.folderMissing)
        std::fprintf(stderr, "tessaroc: no sprite sheets: neither %s nor %s is a folder\n",
                     portable.c_str(), installed.c_str());
    return SheetFiles.folder;
}

// The file's path: names use '\' between folders; "GFX\..." is in the sheet folder, other
// relative names in the program folder.
std::string SheetPath(const Text& fileName) {
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    // A full path ("/..." here, "C:/..." on Windows) is taken as it is.
    if (std::filesystem::path(name).is_absolute()) return name;
    if (name.compare(0, SheetFolderName.size(), SheetFolderName) == 0)
        return SheetFolder() + name.substr(SheetFolderName.size());
    return ProgramFolder() + name;
}

// Says on stderr why a sheet is left out, once per file in a run; nothing more when the
// whole sheet folder is missing (that was said already).
void ReportSheetFailure(const std::string& path, const std::string& reason) {
    if (SheetFiles.folderMissing) return;
    if (std::find(SheetFiles.reported.begin(), SheetFiles.reported.end(), path) !=
        SheetFiles.reported.end())
        return;
    SheetFiles.reported.push_back(path);
    std::fprintf(stderr, "tessaroc: sprite sheet %s left out: %s\n", path.c_str(), reason.c_str());
}

} // namespace

// Called by start-up for each sheet (mode 0). Replaces the slot's bitmap with the file's;
// on any failure the slot is left empty, the reason goes to stderr and 0 is returned. The
// file is read without waiting: a named pipe or device in its place is refused at once.
int32_t LoadSpriteSheet(int32_t slot, const Text& fileName, int32_t /*mode*/) {
    if (!ValidSlot(slot)) return 0;
    // Blits from the slot may now give other pictures.
    WatchedBox.touched = true;
    SpriteSlot& sprite = Sprites[slot];
    sprite = SpriteSlot{};
    const std::string path = SheetPath(fileName);
    std::vector<uint8_t> bytes;
    std::string reason;
    DecodedBitmap bitmap;
    if (!OsReadWholeFile(path, OsOpenMode::ReadOnly, MaxSheetBytes, bytes, reason)) {
        ReportSheetFailure(path, reason);
        return 0;
    }
    if (!DecodeBmp(bytes.data(), bytes.size(), bitmap)) {
        ReportSheetFailure(path, "not an uncompressed 16, 24 or 32-bit bitmap");
        return 0;
    }
    sprite.pixels = std::move(bitmap.pixels);
    sprite.width = bitmap.width;
    sprite.height = bitmap.height;
    sprite.srcWidth = bitmap.width;
    sprite.srcHeight = bitmap.height;
    return 1;
}

// Called by start-up when sheets were left out, to name where they were looked for.
const std::string& SpriteSheetFolder() {
    return SheetFolder();
}

bool SpriteSheetFolderFound() {
    SheetFolder();
    return !SheetFiles.folderMissing;
}

bool SpriteCovers(int32_t slot, int32_t width, int32_t height) {
    if (!ValidSlot(slot)) return false;
    const SpriteSlot& sprite = Sprites[slot];
    return !sprite.pixels.empty() && sprite.width >= width && sprite.height >= height;
}

// Called before each blit by the sprite-cell helpers. The rectangle is cut at the bitmap's
// right and bottom edges; x = -1 restores the whole bitmap. A rectangle that starts outside
// the bitmap (other negative positions, or past the edge) or has a negative size is empty,
// so the blit draws nothing, as a blit from outside a surface would fail.
void SetSpriteSource(int32_t slot, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!ValidSlot(slot)) return;
    SpriteSlot& sprite = Sprites[slot];
    if (x == -1) {
        sprite.srcX = 0;
        sprite.srcY = 0;
        sprite.srcWidth = sprite.width;
        sprite.srcHeight = sprite.height;
        return;
    }
    if (x < 0 || y < 0 || x >= sprite.width || y >= sprite.height || width < 0 || height < 0) {
        sprite.srcX = sprite.srcY = sprite.srcWidth = sprite.srcHeight = 0;
        return;
    }
    sprite.srcX = x;
    sprite.srcY = y;
    sprite.srcWidth = std::min(width, sprite.width - x);
    sprite.srcHeight = std::min(height, sprite.height - y);
}

// Called by the screens after EndDrawing (works at any time): copies the source rectangle
// to the back buffer at (x, y), every pixel including black, clipped to the buffer.
void BlitSprite(int32_t slot, int32_t x, int32_t y) {
    if (!ValidSlot(slot) || BackBuffer.pixels.empty()) return;
    const SpriteSlot& sprite = Sprites[slot];
    if (sprite.pixels.empty() || sprite.srcWidth <= 0 || sprite.srcHeight <= 0) return;
    // Visible part in back-buffer coordinates, in 64 bits so far-off positions cannot wrap.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + sprite.srcWidth, BackBuffer.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + sprite.srcHeight, BackBuffer.height);
    if (left >= right || top >= bottom) return;
    NoteWatchedWrite(left, top, right, bottom);
    TouchRect(left, top, right, bottom);
    const uint32_t* src = sprite.pixels.data() + (sprite.srcY + (top - y)) * sprite.width +
                          (sprite.srcX + (left - x));
    uint32_t* dst = BackBuffer.pixels.data() + top * BackBuffer.width + left;
    for (int64_t row = top; row < bottom; ++row, src += sprite.width, dst += BackBuffer.width)
        CopyPixels(dst, src, size_t(right - left));
}
