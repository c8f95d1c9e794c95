// The game layer's global state: the shared settings and flow codes, the board, the round.
#pragma once

#include <cstdint>

#include "platform.h"

// ---------------------------------------------------------------- limits

constexpr int32_t BoardColumns = 40; // capacity of the grids
constexpr int32_t BoardRows = 25;

// ---------------------------------------------------------------- settings of the next round

struct BoardSettingsRecord {
    int32_t width = 0;  // columns, 4 to MaxWidth (default 15)
    int32_t height = 0; // rows, 4 to MaxHeight (default 10)
    int32_t mines = 0;  // 2 to MaxMines, at most MaxDensity per cent of the cells (default 12)
};

// Display options, each 0 or 1, switched by the settings screen's check boxes.
struct OptionsRecord {
    int32_t starBackground = 0;   // black background with the star field
    int32_t emptyTransparent = 0; // opened empty cells are not drawn
    int32_t titleAnimation = 0;   // title bar colour animation (TitleEffects bit 1)
    int32_t titleGradient = 0;    // title bar shading (TitleEffects bit 2)
};

// ---------------------------------------------------------------- flow codes

// What a push button chose in the current frame (ButtonAction): NoAction, or one of the
// screen's actions (FaceAction and BackAction here, the settings screen's in setup.h).
constexpr int32_t NoAction = 0;
constexpr int32_t FaceAction = 1; // game and end screen: the face button, a new round
constexpr int32_t BackAction = 2; // game and end screen: the back button, the settings screen

// ---------------------------------------------------------------- board

// Cell (x, y) is element x * BoardRows + y of each grid.
struct BoardRecord {
    int32_t cover[BoardColumns * BoardRows];   // 0 Covered, 1 Flagged, 2 Opened, 3 Queried
    int32_t content[BoardColumns * BoardRows]; // 0 empty, 1-8 count, 10 to 12 as below
};
// The flood opening's marks (FloodMark), one per cell.
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

// ---------------------------------------------------------------- round

constexpr int32_t Running = 0;
constexpr int32_t Won = 1;
constexpr int32_t Lost = -1;

// ---------------------------------------------------------------- the layer's globals

// Digits of the mines-left counter: 0 hundreds, 1 tens, 2 ones.
constexpr int32_t CounterDigits = 3;

// Every global of the game layer, in one record zero-filled by ResetGameState.
// The board comes first: the tests that read a running program's memory find it at the
// record's symbol.
struct GameStateRecord {
    BoardRecord Board;                 // the round's cells: covers and contents
    int32_t MaxWidth = 0;              // board columns at most: 40, set at start-up
    int32_t MaxHeight = 0;             // board rows at most: 25
    int32_t MaxMines = 0;              // mines at most: 500
    int32_t MaxDensity = 0;            // mines at most, in per cent of the cells: 50
    BoardSettingsRecord BoardSettings; // the size and mines of the next round
    OptionsRecord Options;             // the display options
    int32_t ButtonAction = NoAction;   // what a push button chose in the current frame
    int32_t TitleBarResult = 0;        // HandleTitleBar's answer this frame: 0, 1 close, 4 roll
    int32_t FloodMark[BoardColumns * BoardRows]; // FloodOpen's scratch grid, not the round's
    BoardPictureRecord BoardPicture;             // the tiles last drawn, for copying only changes
    int32_t MinesLeft = 0;                       // mines minus marked cells, 0 to M while running
    int32_t RoundState = Running;                // Running, Won or Lost
    int32_t TimerIdle = 0;       // 1 until the first left press on a cell is released
    int32_t StartTick = 0;       // TickCountMs when the clock started (unsigned 32-bit)
    float ElapsedSeconds = 0.0f; // elapsed time in seconds, whole hundredths
    Text TimeText;               // ElapsedSeconds as shown and handed to the list
    // Per digit: pixel offset into the Points strip; digit d is at 27 * d + 27, so the
    // picture at the top of the strip is never shown.
    int32_t CounterShown[CounterDigits];  // offset drawn now, moves 9 pixels a frame
    int32_t CounterTarget[CounterDigits]; // offset of the digit of MinesLeft
    int32_t EndFace = 0;                  // Smileys cell of the end screen: 2 won, 3 lost
};
extern GameStateRecord GameState;

// The records' own names, as the screens and the rules use them.
inline int32_t& MaxWidth = GameState.MaxWidth;
inline int32_t& MaxHeight = GameState.MaxHeight;
inline int32_t& MaxMines = GameState.MaxMines;
inline int32_t& MaxDensity = GameState.MaxDensity;
inline BoardSettingsRecord& BoardSettings = GameState.BoardSettings;
inline OptionsRecord& Options = GameState.Options;
inline int32_t& ButtonAction = GameState.ButtonAction;
inline int32_t& TitleBarResult = GameState.TitleBarResult;
inline BoardRecord& Board = GameState.Board;
inline int32_t (&FloodMark)[BoardColumns * BoardRows] = GameState.FloodMark;
inline BoardPictureRecord& BoardPicture = GameState.BoardPicture;
inline int32_t& MinesLeft = GameState.MinesLeft;
inline int32_t& RoundState = GameState.RoundState;
inline int32_t& TimerIdle = GameState.TimerIdle;
inline int32_t& StartTick = GameState.StartTick;
inline float& ElapsedSeconds = GameState.ElapsedSeconds;
inline Text& TimeText = GameState.TimeText;
inline int32_t (&CounterShown)[CounterDigits] = GameState.CounterShown;
inline int32_t (&CounterTarget)[CounterDigits] = GameState.CounterTarget;
inline int32_t& EndFace = GameState.EndFace;

// Clears every global of the game layer (start-up and tests).
void ResetGameState();
