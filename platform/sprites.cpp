// Sprite slots: loading bitmap sheets, choosing the source rectangle and opaque blits.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bmp.h"
#include "platform_state.h"

namespace {

// Largest sheet file read: the biggest bitmap the decoder accepts, plus room for headers.
constexpr int64_t MaxSheetBytes = int64_t{BmpMaxSide} * BmpMaxSide * 4 + 65536;

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < SpriteSlotCount;
}

// The file's path: names are relative to the program folder and use '\' between folders.
std::string SheetPath(const Text& fileName) {
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!name.empty() && name[0] == '/') return name;
    return ProgramFolder() + name;
}

// The whole contents of a regular file; false when it cannot be read or is too large.
bool ReadSheetFile(const std::string& path, std::vector<uint8_t>& bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxSheetBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0)
                ok = false;
            else
                done += static_cast<size_t>(got);
        }
    }
    close(fd);
    return ok;
}

} // namespace

// Called by start-up for each sheet (mode 0). Replaces the slot's bitmap with the file's;
// on any failure the slot is left empty and 0 is returned.
int32_t LoadSpriteSheet(int32_t slot, const Text& fileName, int32_t /*mode*/) {
    if (!ValidSlot(slot)) return 0;
    SpriteSlot& sprite = Sprites[slot];
    sprite = SpriteSlot{};
    sprite.fileName = fileName;
    std::vector<uint8_t> bytes;
    DecodedBitmap bitmap;
    if (!ReadSheetFile(SheetPath(fileName), bytes) ||
        !DecodeBmp(bytes.data(), bytes.size(), bitmap))
        return 0;
    sprite.pixels = std::move(bitmap.pixels);
    sprite.width = bitmap.width;
    sprite.height = bitmap.height;
    sprite.srcWidth = bitmap.width;
    sprite.srcHeight = bitmap.height;
    return 1;
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
    for (int64_t row = top; row < bottom; ++row) {
        const int64_t srcRow = sprite.srcY + (row - y);
        const int64_t srcCol = sprite.srcX + (left - x);
        const uint32_t* src = sprite.pixels.data() + srcRow * sprite.width + srcCol;
        uint32_t* dst = BackBuffer.pixels.data() + row * BackBuffer.width + left;
        std::copy(src, src + (right - left), dst);
    }
}
