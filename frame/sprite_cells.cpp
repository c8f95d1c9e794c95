// Sprite-cell helpers: each copies one cell of its sheet to the back buffer.
#include "frame.h"
#include "frame_internal.h"

using namespace quib;

namespace {

// Sprite slots the start-up loads the sheets into.
constexpr int32_t TileSetSlot = 1;
constexpr int32_t Buttons1Slot = 2;
constexpr int32_t Buttons2Slot = 3;
constexpr int32_t PointsSlot = 5;
constexpr int32_t SmileysSlot = 6;
constexpr int32_t Buttons3Slot = 7;
constexpr int32_t Buttons4Slot = 8;
constexpr int32_t Buttons5Slot = 9;

// The file of each sheet in the GFX folder, by slot; slot 0, the title-bar buttons, is loaded
// by OpenQuibWindow.
constexpr int32_t SheetCount = 10;
const char* const SheetFileNames[SheetCount] = {
    "Quibbuttons.bmp", "TileSet.bmp", "Buttons1.bmp", "Buttons2.bmp", "PointTable1.bmp",
    "Points.bmp",      "Smileys.bmp", "Buttons3.bmp", "Buttons4.bmp", "Buttons5.bmp"};

// Sets the slot's source to the cell and copies it opaquely with its top-left at (x, y).
// Cells lie side by side (horizontal) or one below the other (vertical), numbered from 1.
void BlitCell(int32_t slot, int32_t x, int32_t y, int32_t n, int32_t width, int32_t height,
              bool horizontal) {
    int64_t offset = (int64_t(n) - 1) * (horizontal ? width : height);
    int32_t sourceX = horizontal ? ClampToInt32(offset) : 0;
    int32_t sourceY = horizontal ? 0 : ClampToInt32(offset);
    SetSpriteSource(slot, sourceX, sourceY, width, height);
    BlitSprite(slot, x, y);
}

} // namespace

void LoadCellSheets() {
    for (int32_t slot = TileSetSlot; slot < SheetCount; ++slot)
        LoadSpriteSheet(slot, "GFX\\" + Text(SheetFileNames[slot]), 0);
}

int32_t LoadedSheetCount() {
    int32_t loaded = 0;
    for (int32_t slot = 0; slot < SheetCount; ++slot)
        loaded += SpriteCovers(slot, 1, 1) ? 1 : 0;
    return loaded;
}

Text LeftOutSheetNames() {
    Text names;
    for (int32_t slot = 0; slot < SheetCount; ++slot) {
        if (SpriteCovers(slot, 1, 1)) continue;
        if (!names.empty()) names += ", ";
        names += SheetFileNames[slot];
    }
    return names;
}

// The game screen, each frame: whether the board's sheet holds all its 15 cells of 20 x 20,
// so that every tile drawn from it is whole and opaque.
bool TileSetComplete() {
    return SpriteCovers(TileSetSlot, 15 * 20, 20);
}

// Board cells (game screen): 20 x 20, in a row; 1 covered, 2 flag, 3 opened empty, 4 mine,
// 5 to 12 the counts 1 to 8, 13 found mine, 14 wrong mark, 15 question mark.
void DrawTileSetCell(int32_t x, int32_t y, int32_t n) {
    BlitCell(TileSetSlot, x, y, n, 20, 20, true);
}

// Mine-counter digit windows (game screen): 18 x 27 from row n of the digit strip, where
// digit d's picture starts at row 27 x (d + 1); in-between rows show a rolling digit.
void DrawPointsStrip(int32_t x, int32_t y, int32_t n) {
    SetSpriteSource(PointsSlot, 0, n, 18, 27);
    BlitSprite(PointsSlot, x, y);
}

// Preset buttons (settings screen): 81 x 21 in a column, normal picture n odd, pressed n + 1.
void DrawButtons1Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons1Slot, x, y, n, 81, 21, false);
}

// Step buttons (settings screen): 19 x 16 in a row; 1, 2 minus; 3, 4 plus.
void DrawButtons2Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons2Slot, x, y, n, 19, 16, true);
}

// Start button (settings screen): 56 x 28 in a column; 1 normal, 2 pressed.
void DrawButtons3Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons3Slot, x, y, n, 56, 28, false);
}

// Option check boxes (settings screen): 16 x 16 in a row; 1 empty, 2 ticked.
void DrawButtons4Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons4Slot, x, y, n, 16, 16, true);
}

// Back button (game screen): 50 x 26 in a column; 1 normal, 2 pressed.
void DrawButtons5Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons5Slot, x, y, n, 50, 26, false);
}

// Face button (game screen): 31 x 31 in a row; 1 playing, 2 won, 3 lost.
void DrawSmileysCell(int32_t x, int32_t y, int32_t n) {
    BlitCell(SmileysSlot, x, y, n, 31, 31, true);
}
