// The game layer's operations: board building, the rules of play, the game and end screens.
#pragma once

#include <cstdint>

#include "game_state.h"

// ---------------------------------------------------------------- board (board.cpp)

// Round set-up (StartRound), first of three calls: every cell of the 40 x 25 capacity
// becomes Covered and empty, whatever the board size.
void ClearBoard();
// Round set-up, second call: puts mines into `mines` distinct cells of the width x height
// board, column drawn first, then row, each redrawn while it hits a mine.
void PlaceMines(int32_t width, int32_t height, int32_t mines);
// Round set-up, third call: writes into every cell without a mine how many of its
// neighbours hold one.
void CountNeighbours(int32_t width, int32_t height);

// ---------------------------------------------------------------- rules (rules.cpp)
// These act on the board of BoardSettings.width x BoardSettings.height.

// The play loop, for a left press on a board cell: what happened, one of the three below.
int32_t OpenCell(int32_t x, int32_t y);
constexpr int32_t OpenedNothing = 0; // off the board, marked or already open
constexpr int32_t OpenedSafe = 1;    // the cell (and an empty cell's region) opened, no mine
constexpr int32_t OpenedMine = 2;    // the cell held a mine
// OpenCell, for a covered empty cell: opens its empty region and the numbered cells around it.
void FloodOpen(int32_t x, int32_t y);
// The play loop's marking rule for a right press: 1 when CycleMark may be called.
int32_t MarkAllowed(int32_t x, int32_t y);
// The play loop, for an allowed right press: Covered -> Flagged -> Queried -> Covered.
void CycleMark(int32_t x, int32_t y);
// The play loop, after each left press: cells without a mine that are not opened yet.
int32_t SafeCellsLeft();
// End screen, once: shows the mines and the wrong marks (roundState Won or Lost).
void RevealBoard(int32_t roundState);

// ---------------------------------------------------------------- game and end screens

// The application flow's entry for a round (from the settings screen, after the face button
// of the game or end screen): sizes the window, builds a fresh board from BoardSettings
// and runs the play loop until a close request (TitleBarResult CloseButton), a button
// (ButtonAction FaceAction or BackAction) or the end of the round (RoundState Won or Lost,
// ButtonAction NoAction).
void StartRound();
// Client size of the game screen's window for a board of this many columns and rows:
// StartRound sizes the window by them, start-up names the largest (BoardColumns x
// BoardRows) as the largest window of the program.
int32_t RoundWindowWidth(int32_t columns);
int32_t RoundWindowHeight(int32_t rows);
// The application flow's entry after StartRound returned with the round ended (TitleBarResult
// not CloseButton, ButtonAction NoAction, RoundState not Running): freezes the clock, reveals
// the board and runs the end screen until TitleBarResult is CloseButton or ButtonAction is
// FaceAction or BackAction.
void EndScreen();

// Game and end screen, every frame: the board's cells with their tiles, rows outer; with
// `kept`, only those whose tile changed since the last call.
void DrawBoard(int32_t width, int32_t height, bool kept);
// Game and end screen, every frame: the band above the board (clock, counter, buttons).
void DrawRoundPanel(int32_t faceCell);
// Modal press loop of the face button showing Smileys cell `faceCell`: 1 when released over
// it, 0 when released elsewhere or when a quit ended the press.
int32_t TrackFaceButton(int32_t faceCell);
// Modal press loop of the back button: 1 when released over it, 0 otherwise (as above).
int32_t TrackBackButton();

// Game and end screen, every frame: draws the whole screen with Smileys cell `faceCell` and
// presents it.
void DrawRoundScreen(int32_t faceCell);

// Game screen helpers, also used by the tests.
// The round's board size, cut to the grids' 40 x 25 capacity.
int32_t RoundColumns();
int32_t RoundRows();
// Hit areas of the face button (247..283, 32..68) and the back button (300..350, 38..64).
bool InFaceButton(int32_t x, int32_t y);
bool InBackButton(int32_t x, int32_t y);
// Turns client coordinates into a cell, rounding towards minus infinity: OnBoard when the
// cell lies on the board of BoardSettings, else OffBoard (the cell is still set).
int32_t PointerToCell(int32_t x, int32_t y, int32_t* cx, int32_t* cy);
constexpr int32_t OffBoard = 0;
constexpr int32_t OnBoard = 1;
// Play frame and end of round: ElapsedSeconds from the tick count since StartTick.
void ReadClock();
// Play frame: TimeText from ElapsedSeconds, whole seconds and two decimals, cut not rounded.
void MakeTimeText();
// Play frame: CounterTarget from MinesLeft; play and end frames: one step of CounterShown.
void SetCounterTarget();
void StepCounter();
