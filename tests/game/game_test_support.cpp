// Helpers of the game tests: boards drawn from text pictures, a spiral board, screen set-up.
#include "game_test_support.h"

#include <cstdlib>
#include <deque>

#include "frame.h"
#include "platform_state.h"
#include "screen_support.h"
#include "script_platform.h"
#include "test_support.h"

namespace {

int32_t Index(int32_t x, int32_t y) {
    return x * BoardRows + y;
}

} // namespace

int32_t& Cover(int32_t x, int32_t y) {
    return Board.cover[Index(x, y)];
}

int32_t& Content(int32_t x, int32_t y) {
    return Board.content[Index(x, y)];
}

void BuildBoard(const std::vector<std::string>& rows) {
    BoardSettings.height = int32_t(rows.size());
    BoardSettings.width = int32_t(rows[0].size());
    ClearBoard();
    int32_t mines = 0;
    for (int32_t y = 0; y < BoardSettings.height; ++y) {
        for (int32_t x = 0; x < BoardSettings.width; ++x) {
            if (rows[y][x] == '*') {
                Board.content[Index(x, y)] = Mine;
                ++mines;
            }
        }
    }
    CountNeighbours(BoardSettings.width, BoardSettings.height);
    BoardSettings.mines = mines;
    MinesLeft = mines;
    RoundState = Running;
}

void BuildSpiralBoard(int32_t* endX, int32_t* endY) {
    // Corners of the centre line; parallel stretches lie 4 apart, so one wall of mines
    // stays between neighbouring stretches of the corridor.
    const int32_t corners[][2] = {{1, 1},   {38, 1}, {38, 23}, {1, 23}, {1, 5},   {34, 5},
                                  {34, 19}, {5, 19}, {5, 9},   {30, 9}, {30, 15}, {9, 15}};
    std::vector<std::string> rows(BoardRows, std::string(BoardColumns, '*'));
    const int32_t count = int32_t(sizeof corners / sizeof corners[0]);
    for (int32_t c = 0; c + 1 < count; ++c) {
        int32_t x = corners[c][0], y = corners[c][1];
        const int32_t toX = corners[c + 1][0], toY = corners[c + 1][1];
        while (true) {
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    rows[y + dy][x + dx] = '.';
            if (x == toX && y == toY) break;
            x += (toX > x) - (toX < x);
            y += (toY > y) - (toY < y);
        }
    }
    BuildBoard(rows);
    *endX = corners[count - 1][0];
    *endY = corners[count - 1][1];
}

std::vector<bool> ExpectedFlood(int32_t x, int32_t y) {
    const int32_t w = BoardSettings.width, h = BoardSettings.height;
    std::vector<bool> open(BoardColumns * BoardRows, false);
    std::deque<std::pair<int32_t, int32_t>> queue{{x, y}};
    open[Index(x, y)] = true;
    while (!queue.empty()) {
        auto [cx, cy] = queue.front();
        queue.pop_front();
        int32_t i = Index(cx, cy);
        if (Board.content[i] != 0 || Board.cover[i] != Covered) continue; // passes nothing on
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                int32_t nx = cx + dx, ny = cy + dy;
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                int32_t n = Index(nx, ny);
                if (open[n] || Board.content[n] >= 10) continue;
                open[n] = true;
                queue.emplace_back(nx, ny);
            }
        }
    }
    return open;
}

void StartUpForScreens(const std::string& tag) {
    ScriptOnPresent(nullptr);
    ScriptReset();
    ResetPlatformState();
    ResetFrameState();
    ResetGameState();
    MakeProgramFolder(tag);
    SeedRandom(1234);
    MaxWidth = 40;
    MaxHeight = 25;
    MaxMines = 500;
    MaxDensity = 50;
    BoardSettings = BoardSettingsRecord{15, 10, 12};
    OpenProgramWindow();
    LoadProgramFonts();
    LoadCellSheets();
}
