// The game layer's global state: the shared settings and flow codes, the board, the round.
#pragma once

#include <cstdint>

#include "platform.h"

// ---------------------------------------------------------------- limits

constexpr int32_t BoardColumns = 40; // capacity of the grids
constexpr int32_t BoardRows = 25;
extern int32_t MaxWidth;   // 40, set at start-up
extern int32_t MaxHeight;  // 25
extern int32_t MaxMines;   // 500
extern int32_t MaxDensity; // 50 (per cent of the cells)

// ---------------------------------------------------------------- settings of the next round

struct BoardSettingsRecord {
    int32_t width = 0;  // columns, 4 to MaxWidth (default 15)
    int32_t height = 0; // rows, 4 to MaxHeight (default 10)
    int32_t mines = 0;  // 2 to MaxMines, at most MaxDensity per cent of the cells (default 12)
};
extern BoardSettingsRecord BoardSettings;

// Display options, each 0 or 1, switched by the settings screen's check boxes.
struct OptionsRecord {
    int32_t starBackground = 0;   // black background with the star field
    int32_t emptyTransparent = 0; // opened empty cells are not drawn
    int32_t titleAnimation = 0;   // title bar colour animation (TitleEffects bit 1)
    int32_t titleGradient = 0;    // title bar shading (TitleEffects bit 2)
};
extern OptionsRecord Options;

// ---------------------------------------------------------------- flow codes

// What a push button chose in the current frame: NoAction, or one of the screen's actions
// (FaceAction and BackAction here, the settings screen's in setup.h).
extern int32_t ButtonAction;
constexpr int32_t NoAction = 0;
constexpr int32_t FaceAction = 1; // game and end screen: the face button, a new round
constexpr int32_t BackAction = 2; // game and end screen: the back button, the settings screen
// What HandleTitleBar returned in the current frame: 0, 1 close, 4 roll up.
extern int32_t TitleBarResult;

// ---------------------------------------------------------------- board

// Cell (x, y) is element x * BoardRows + y of each grid.
struct BoardRecord {
    int32_t cover[BoardColumns * BoardRows];   // 0 Covered, 1 Flagged, 2 Opened, 3 Queried
    int32_t content[BoardColumns * BoardRows]; // 0 empty, 1-8 count, 10 to 12 as below
};
extern BoardRecord Board;
// Scratch grid of the flood opening (FloodOpen), one Flood* mark per cell; not part of the
// round.
extern int32_t FloodMark[BoardColumns * BoardRows];
constexpr int32_t FloodMine = -1;           // holds a mine: never reached
constexpr int32_t FloodEmpty = 0;           // empty, not reached yet
constexpr int32_t FloodNumbered = 1;        // a neighbour count, not reached yet
constexpr int32_t FloodEmptyReached = 2;    // empty and reached: opens, reaches its neighbours
constexpr int32_t FloodNumberedReached = 3; // a neighbour count reached: opens, goes no further

constexpr int32_t Covered = 0;
constexpr int32_t Flagged = 1;
constexpr int32_t Opened = 2;
constexpr int32_t Queried = 3;
constexpr int32_t Mine = 10;      // content: the cell holds a mine
constexpr int32_t MineFound = 11; // content, end of round: a marked mine, or any after a win
constexpr int32_t WrongMark = 12; // content, end of round: a marked cell without a mine

// Whether a cell's content is a mine while the round runs (contents are then 0 to 8 or Mine).
inline bool IsMine(int32_t content) {
    return content >= Mine;
}

// The tiles DrawBoard last put in the back buffer, so that a frame whose board box nobody
// else drew on copies only the cells whose tile changed.
struct BoardPictureRecord {
    int32_t tile[BoardColumns * BoardRows]; // TileSet cell drawn per cell, 0 none (CellIndex)
    int32_t columns = 0;                    // board columns drawn; 0 before the first drawing
    int32_t rows = 0;                       // board rows drawn; 0 before the first drawing
};
extern BoardPictureRecord BoardPicture;

// ---------------------------------------------------------------- round

constexpr int32_t Running = 0;
constexpr int32_t Won = 1;
constexpr int32_t Lost = -1;
extern int32_t MinesLeft;  // mines minus marked cells, 0 to M while the round runs
extern int32_t RoundState; // Running, Won or Lost

// ---------------------------------------------------------------- clock of the round

extern int32_t TimerIdle;    // 1 until the first left press on a board cell is released
extern int32_t StartTick;    // TickCountMs when the clock started (read as unsigned 32-bit)
extern float ElapsedSeconds; // elapsed time in seconds, whole hundredths
extern Text TimeText;        // ElapsedSeconds as shown and handed to the best-time list

// ---------------------------------------------------------------- mines-left counter and faces

// Per digit (0 hundreds, 1 tens, 2 ones): pixel offset into the Points strip; digit d is at
// 27 * d + 27, so the picture at the top of the strip is never shown.
extern int32_t CounterShown[3];  // offset drawn now, moves 9 pixels a frame
extern int32_t CounterTarget[3]; // offset of the digit of MinesLeft
extern int32_t EndFace;          // Smileys cell of the end screen: 2 won, 3 lost

// Clears every global of the game layer (start-up and tests).
void ResetGameState();
