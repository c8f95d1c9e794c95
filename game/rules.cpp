// The rules of play: opening cells and flooding empty regions, marks, winning and the reveal.
#include "board_grid.h"
#include "game.h"

int32_t RoundColumns() {
    return ClampColumns(BoardSettings.width);
}
int32_t RoundRows() {
    return ClampRows(BoardSettings.height);
}

namespace {

// One sweep of FloodOpen over the board, rows outer: every reached empty cell that is still
// covered reaches its neighbours; true when a cell was newly reached.
bool FloodSweep(int32_t width, int32_t height) {
    bool changed = false;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t i = CellIndex(x, y);
            if (Board.cover[i] != Covered || Board.content[i] != 0 ||
                FloodMark[i] != FloodEmptyReached)
                continue;
            for (int32_t d = 0; d < 8; ++d) {
                if (!NeighbourOnBoard(x, y, d, width, height)) continue;
                int32_t n = CellIndex(x + NeighbourDx[d], y + NeighbourDy[d]);
                if (FloodMark[n] == FloodEmpty) {
                    FloodMark[n] = FloodEmptyReached;
                    changed = true;
                } else if (FloodMark[n] == FloodNumbered) {
                    FloodMark[n] = FloodNumberedReached;
                    changed = true;
                }
            }
        }
    }
    return changed;
}

} // namespace

int32_t OpenCell(int32_t x, int32_t y) {
    if (x < 0 || x >= RoundColumns() || y < 0 || y >= RoundRows()) return OpenedNothing;
    int32_t i = CellIndex(x, y);
    if (Board.cover[i] != Covered) return OpenedNothing; // marks protect, opened cells ignore
    int32_t content = Board.content[i];
    if (content == 0) {
        FloodOpen(x, y);
        return OpenedSafe;
    }
    Board.cover[i] = Opened;
    return content == Mine ? OpenedMine : OpenedSafe;
}

void FloodOpen(int32_t x, int32_t y) {
    int32_t width = RoundColumns();
    int32_t height = RoundRows();
    if (x < 0 || x >= width || y < 0 || y >= height) return;
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t column = 0; column < width; ++column) {
            int32_t content = Board.content[CellIndex(column, row)];
            FloodMark[CellIndex(column, row)] =
                content == 0 ? FloodEmpty : (IsMine(content) ? FloodMine : FloodNumbered);
        }
    }
    FloodMark[CellIndex(x, y)] = FloodEmptyReached;
    // Within one sweep the opening runs right and down; each turn left or up takes another.
    while (FloodSweep(width, height)) {
    }
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t column = 0; column < width; ++column) {
            int32_t i = CellIndex(column, row);
            if (FloodMark[i] != FloodEmptyReached && FloodMark[i] != FloodNumberedReached) continue;
            if (Board.cover[i] == Flagged || Board.cover[i] == Queried) ++MinesLeft;
            Board.cover[i] = Opened;
        }
    }
}

int32_t MarkAllowed(int32_t x, int32_t y) {
    return MinesLeft > 0 || Board.cover[CellIndex(x, y)] != Covered ? 1 : 0;
}

void CycleMark(int32_t x, int32_t y) {
    if (x < 0 || x >= RoundColumns() || y < 0 || y >= RoundRows()) return;
    int32_t& cover = Board.cover[CellIndex(x, y)];
    switch (cover) {
    case Covered:
        cover = Flagged;
        --MinesLeft;
        break;
    case Flagged:
        cover = Queried; // a queried cell still counts as marked
        break;
    case Queried:
        cover = Covered;
        ++MinesLeft;
        break;
    default:
        break;
    }
}

int32_t SafeCellsLeft() {
    int32_t width = RoundColumns();
    int32_t height = RoundRows();
    int32_t count = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t i = CellIndex(x, y);
            if (!IsMine(Board.content[i]) && Board.cover[i] != Opened) ++count;
        }
    }
    return count;
}

void RevealBoard(int32_t roundState) {
    int32_t width = RoundColumns();
    int32_t height = RoundRows();
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t& cover = Board.cover[CellIndex(x, y)];
            int32_t& content = Board.content[CellIndex(x, y)];
            bool marked = cover == Flagged || cover == Queried;
            if (content != Mine && marked) {
                content = WrongMark;
                cover = Opened;
            }
            if (content == Mine) {
                if (cover == Covered) cover = Opened;
                if (marked) {
                    content = MineFound;
                    cover = Opened;
                }
            }
            if (roundState == Won && content == Mine) content = MineFound;
        }
    }
}
