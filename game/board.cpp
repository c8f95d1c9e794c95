// Building a fresh board: clearing the grids, placing the mines, counting neighbours.
#include <cstring>

#include "board_grid.h"
#include "game.h"

void ClearBoard() {
    std::memset(Board.cover, 0, sizeof Board.cover);
    std::memset(Board.content, 0, sizeof Board.content);
}

void PlaceMines(int32_t width, int32_t height, int32_t mines) {
    width = ClampColumns(width);
    height = ClampRows(height);
    // More mines than cells could never all be placed; the settings keep M at half or less.
    mines = std::clamp(mines, 0, width * height);
    for (int32_t i = 1; i <= mines; ++i) {
        int32_t x = 0;
        int32_t y = 0;
        do {
            x = RandomUpTo(width - 1);
            y = RandomUpTo(height - 1);
        } while (Board.content[CellIndex(x, y)] != 0);
        Board.content[CellIndex(x, y)] = Mine;
    }
}

void CountNeighbours(int32_t width, int32_t height) {
    width = ClampColumns(width);
    height = ClampRows(height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (Board.content[CellIndex(x, y)] != 0) continue;
            int32_t count = 0;
            for (int32_t d = 0; d < 8; ++d) {
                if (NeighbourOnBoard(x, y, d, width, height) &&
                    Board.content[CellIndex(x + NeighbourDx[d], y + NeighbourDy[d])] == Mine)
                    ++count;
            }
            Board.content[CellIndex(x, y)] = count;
        }
    }
}
