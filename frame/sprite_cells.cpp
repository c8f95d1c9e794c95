// Sprite-cell helpers: each copies one cell of its sheet to the back buffer.
#include "frame.h"
#include "frame_internal.h"

using namespace quib;

namespace {

// How a sheet's cells lie: side by side (numbered from 1), one below the other (numbered
// from 1), as a strip addressed by its pixel row, or as one picture copied whole.
enum class CellLayout { Row, Column, PixelRows, Whole };

// One sprite sheet of the GFX folder: the slot the start-up loads it into, its file, and
// the size and layout of its cells.
struct CellSheet {
    int32_t slot;
    const char* file;
    int32_t cellWidth;
    int32_t cellHeight;
    CellLayout layout;
};

// The title-bar buttons, loaded by OpenQuibWindow and drawn by DrawTitleButton.
constexpr CellSheet TitleButtonSheet = {0, "Quibbuttons.bmp", 18, 18, CellLayout::Row};
constexpr CellSheet TileSetSheet = {1, "TileSet.bmp", 20, 20, CellLayout::Row};
constexpr CellSheet Buttons1Sheet = {2, "Buttons1.bmp", 81, 21, CellLayout::Column};
constexpr CellSheet Buttons2Sheet = {3, "Buttons2.bmp", 19, 16, CellLayout::Row};
// The counter panel, which the game screen copies whole.
constexpr CellSheet PointTableSheet = {PointTableSlot, "PointTable1.bmp", 149, 37,
                                       CellLayout::Whole};
constexpr CellSheet PointsSheet = {5, "Points.bmp", 18, 27, CellLayout::PixelRows};
constexpr CellSheet SmileysSheet = {6, "Smileys.bmp", 31, 31, CellLayout::Row};
constexpr CellSheet Buttons3Sheet = {7, "Buttons3.bmp", 56, 28, CellLayout::Column};
constexpr CellSheet Buttons4Sheet = {8, "Buttons4.bmp", 16, 16, CellLayout::Row};
constexpr CellSheet Buttons5Sheet = {9, "Buttons5.bmp", 50, 26, CellLayout::Column};

// Every sheet in slot order, the order the start-up loads them in.
constexpr CellSheet Sheets[] = {TitleButtonSheet, TileSetSheet, Buttons1Sheet, Buttons2Sheet,
                                PointTableSheet,  PointsSheet,  SmileysSheet,  Buttons3Sheet,
                                Buttons4Sheet,    Buttons5Sheet};

// Board cells in the board's sheet.
constexpr int32_t TileSetCellCount = 15;

// A sheet without which a screen cannot be played, and how many cells it must hold: the
// board's cells, and the start button, the one way from the settings screen into a round.
struct NeededSheet {
    CellSheet sheet;
    int32_t cells;
};
constexpr NeededSheet NeededSheets[] = {{TileSetSheet, TileSetCellCount}, {Buttons3Sheet, 2}};

// Sets the sheet's source to cell n (the pixel row n of a strip) and copies it opaquely
// with its top-left at (x, y).
void BlitCell(const CellSheet& sheet, int32_t x, int32_t y, int32_t n) {
    int32_t sourceX = 0, sourceY = n;
    if (sheet.layout != CellLayout::PixelRows) {
        const bool row = sheet.layout == CellLayout::Row;
        const int64_t offset = (int64_t(n) - 1) * (row ? sheet.cellWidth : sheet.cellHeight);
        sourceX = row ? ClampToInt32(offset) : 0;
        sourceY = row ? 0 : ClampToInt32(offset);
    }
    SetSpriteSource(sheet.slot, sourceX, sourceY, sheet.cellWidth, sheet.cellHeight);
    BlitSprite(sheet.slot, x, y);
}

} // namespace

void LoadCellSheets() {
    for (const CellSheet& sheet : Sheets) {
        if (sheet.slot != TitleButtonSheet.slot)
            LoadSpriteSheet(sheet.slot, "GFX\\" + Text(sheet.file), 0);
    }
}

int32_t LoadedSheetCount() {
    int32_t loaded = 0;
    for (const CellSheet& sheet : Sheets)
        loaded += SpriteCovers(sheet.slot, 1, 1) ? 1 : 0;
    return loaded;
}

Text LeftOutSheetNames() {
    Text names;
    for (const CellSheet& sheet : Sheets) {
        if (SpriteCovers(sheet.slot, 1, 1)) continue;
        if (!names.empty()) names += ", ";
        names += sheet.file;
    }
    return names;
}

Text NeededSheetNamesLeftOut() {
    Text names;
    for (const auto& [sheet, cells] : NeededSheets) {
        const bool row = sheet.layout == CellLayout::Row;
        if (SpriteCovers(sheet.slot, sheet.cellWidth * (row ? cells : 1),
                         sheet.cellHeight * (row ? 1 : cells)))
            continue;
        if (!names.empty()) names += ", ";
        names += sheet.file;
    }
    return names;
}

// The game screen, each frame: whether the board's sheet holds all its cells, so that every
// tile drawn from it is whole and opaque.
bool TileSetComplete() {
    return SpriteCovers(TileSetSheet.slot, TileSetCellCount * TileSetSheet.cellWidth,
                        TileSetSheet.cellHeight);
}

// Board cells (game screen), in a row: 1 covered, 2 flag, 3 opened empty, 4 mine,
// 5 to 12 the counts 1 to 8, 13 found mine, 14 wrong mark, 15 question mark.
void DrawTileSetCell(int32_t x, int32_t y, int32_t n) {
    BlitCell(TileSetSheet, x, y, n);
}

// Mine-counter digit windows (game screen): one cell's height from row n of the digit strip,
// where digit d's picture starts at d + 1 cell heights; in-between rows show a rolling digit.
void DrawPointsStrip(int32_t x, int32_t y, int32_t n) {
    BlitCell(PointsSheet, x, y, n);
}

// Preset buttons (settings screen), in a column: normal picture n odd, pressed n + 1.
void DrawButtons1Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons1Sheet, x, y, n);
}

// Step buttons (settings screen), in a row: 1, 2 minus; 3, 4 plus.
void DrawButtons2Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons2Sheet, x, y, n);
}

// Start button (settings screen), in a column: 1 normal, 2 pressed.
void DrawButtons3Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons3Sheet, x, y, n);
}

// Option check boxes (settings screen), in a row: 1 empty, 2 ticked.
void DrawButtons4Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons4Sheet, x, y, n);
}

// Back button (game screen), in a column: 1 normal, 2 pressed.
void DrawButtons5Cell(int32_t x, int32_t y, int32_t n) {
    BlitCell(Buttons5Sheet, x, y, n);
}

// Face button (game screen), in a row: 1 playing, 2 won, 3 lost.
void DrawSmileysCell(int32_t x, int32_t y, int32_t n) {
    BlitCell(SmileysSheet, x, y, n);
}
