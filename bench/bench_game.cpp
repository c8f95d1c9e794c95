// Benchmarks of the game layer: building the largest board, the worst flood, one game frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "frame.h"
#include "game.h"
#include "platform_state.h"
#include "screen_support.h"
#include "script_platform.h"

namespace {

// A 40 x 25 board that is all mines but for a three cells wide corridor winding inwards as
// a spiral; a flood started at its inner end turns left and up many times, each turn a
// further sweep. Returns the inner end of the corridor's empty centre line.
void BuildSpiral(int32_t* endX, int32_t* endY) {
    const int32_t corners[][2] = {{1, 1},   {38, 1}, {38, 23}, {1, 23}, {1, 5},   {34, 5},
                                  {34, 19}, {5, 19}, {5, 9},   {30, 9}, {30, 15}, {9, 15}};
    const int32_t count = int32_t(sizeof corners / sizeof corners[0]);
    BoardSettings = BoardSettingsRecord{BoardColumns, BoardRows, 500};
    ClearBoard();
    for (int32_t& c : Board.content)
        c = Mine;
    for (int32_t c = 0; c + 1 < count; ++c) {
        int32_t x = corners[c][0], y = corners[c][1];
        while (true) {
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    Board.content[(x + dx) * BoardRows + y + dy] = 0;
            if (x == corners[c + 1][0] && y == corners[c + 1][1]) break;
            x += (corners[c + 1][0] > x) - (corners[c + 1][0] < x);
            y += (corners[c + 1][1] > y) - (corners[c + 1][1] < y);
        }
    }
    CountNeighbours(BoardColumns, BoardRows);
    *endX = corners[count - 1][0];
    *endY = corners[count - 1][1];
}

void BM_BuildLargestBoard(benchmark::State& state) {
    ResetGameState();
    SeedRandom(11);
    for (auto _ : state) {
        ClearBoard();
        PlaceMines(40, 25, 500);
        CountNeighbours(40, 25);
        benchmark::DoNotOptimize(Board.content);
    }
}
BENCHMARK(BM_BuildLargestBoard);

// Covers are reset in the loop (a 4 KB clear) so that every run floods the whole spiral.
void BM_SpiralFlood(benchmark::State& state) {
    ResetGameState();
    int32_t x = 0, y = 0;
    BuildSpiral(&x, &y);
    for (auto _ : state) {
        std::memset(Board.cover, 0, sizeof Board.cover);
        benchmark::DoNotOptimize(OpenCell(x, y));
    }
}
BENCHMARK(BM_SpiralFlood);

// The drawing of one play frame of a 40 x 25 round with the star field: frame, stars,
// panel, texts, 1,000 tiles, counter and buttons. The scripted present only copies the
// buffer and moves the fake clock; there is no pacing.
void BM_LargestGameFrame(benchmark::State& state) {
    ScriptReset();
    ResetPlatformState();
    ResetFrameState();
    ResetGameState();
    SetProgramFolder(std::string(TESSAROC_BINARY_DIR) + "/");
    OpenProgramWindow();
    LoadProgramFonts();
    LoadCellSheets();
    Options.starBackground = 1;
    BoardSettings = BoardSettingsRecord{40, 25, 500};
    QuibWindow.Width = 819;
    QuibWindow.Height = 588;
    QuibWindow.BackColour = RgbTriple{0, 0, 0};
    ResizeMainWindow(819, 588);
    SeedRandom(5);
    ClearBoard();
    PlaceMines(40, 25, 500);
    CountNeighbours(40, 25);
    InitStarField();
    for (int32_t i = 0; i < BoardColumns * BoardRows; i += 2)
        Board.cover[i] = Opened;
    MinesLeft = 500;
    for (int32_t& shown : CounterShown)
        shown = 27;
    ElapsedSeconds = 123.45f;
    MakeTimeText();
    for (auto _ : state) {
        SetCounterTarget();
        StepCounter();
        DrawRoundScreen(1);
    }
}
BENCHMARK(BM_LargestGameFrame)->Unit(benchmark::kMicrosecond);

} // namespace
