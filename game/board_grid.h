// Cell addressing and neighbour order shared by the board builder and the rules.
#pragma once

#include <algorithm>
#include <cstdint>

#include "game_state.h"

// Element of cell (x, y) in Board.cover, Board.content and FloodMark.
inline int32_t CellIndex(int32_t x, int32_t y) {
    return x * BoardRows + y;
}

// Board sizes as the grids can hold them: the settings screen keeps width and height in
// range, these only make sure no other value ever indexes past the 40 x 25 capacity.
inline int32_t ClampColumns(int32_t width) {
    return std::clamp(width, 0, BoardColumns);
}
inline int32_t ClampRows(int32_t height) {
    return std::clamp(height, 0, BoardRows);
}

// The eight neighbour directions in their fixed order: N, NE, E, SE, S, SW, W, NW.
constexpr int32_t NeighbourDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t NeighbourDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// Whether neighbour d of (x, y) lies on the width x height board (no wrap-around).
inline bool NeighbourOnBoard(int32_t x, int32_t y, int32_t d, int32_t width, int32_t height) {
    int32_t nx = x + NeighbourDx[d];
    int32_t ny = y + NeighbourDy[d];
    return nx >= 0 && nx < width && ny >= 0 && ny < height;
}
