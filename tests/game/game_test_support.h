// Helpers of the game tests: boards drawn from text pictures, a spiral board, screen set-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game.h"

// The cover and the content of board cell (x, y) of the running round, to read or to set.
int32_t& Cover(int32_t x, int32_t y);
int32_t& Content(int32_t x, int32_t y);

// Builds a round's board from rows of text: '*' a mine, any other character a free cell.
// Sets BoardSettings to the picture's size and the mine count, clears the grids, writes the
// counts and sets MinesLeft to the mines, as the round set-up leaves them.
void BuildBoard(const std::vector<std::string>& rows);

// A 40 x 25 board that is all mines except a three cells wide corridor winding as a spiral
// from the top-left corner inwards; its centre line is empty, the sides hold counts. The
// returned cell is the centre line's inner end (the worst place to start a flood).
void BuildSpiralBoard(int32_t* endX, int32_t* endY);

// The cells a flood from the empty cell (x, y) must open, found by a breadth-first search:
// the connected empty cells (through covered empty cells only) and their numbered neighbours.
std::vector<bool> ExpectedFlood(int32_t x, int32_t y);

// Prepares the scripted machine as start-up does: fresh state of every layer, a program
// folder with the artwork, the window at (0, 0) with 370 x 310, fonts 1-5, sheets 1-9,
// the limits and the default settings.
void StartUpForScreens(const std::string& tag);
