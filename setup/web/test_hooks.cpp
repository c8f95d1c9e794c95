// What the browser tests read of the running game: the board and the round, as the desktop
// tests read them through the game's state (the page calls these from its console).
#include <emscripten.h>

#include "game_state.h"

namespace {

bool OnBoard(int x, int y) {
    return x >= 0 && y >= 0 && x < BoardSettings.width && y < BoardSettings.height;
}

// What tessaroc_test_value answers.
enum TestValue {
    TestBoardWidth = 0,
    TestBoardHeight = 1,
    TestBoardMines = 2,
    TestRoundState = 3,   // Running, Won or Lost
    TestMinesLeft = 4,    //
    TestClockWaiting = 5, // 1 while the clock waits for the first press
    TestHundredths = 6,   // the clock in hundredths of a second
};

} // namespace

// Cell (x, y) of the board: its content (0 empty, 1-8 count, Mine); -1 outside the board.
extern "C" EMSCRIPTEN_KEEPALIVE int tessaroc_test_content(int x, int y) {
    return OnBoard(x, y) ? Board.content[x * BoardRows + y] : -1;
}

// Cell (x, y) of the board: its cover (Covered, Flagged, Opened, Queried); -1 outside.
extern "C" EMSCRIPTEN_KEEPALIVE int tessaroc_test_cover(int x, int y) {
    return OnBoard(x, y) ? Board.cover[x * BoardRows + y] : -1;
}

// One value of the board or the round, named by TestValue.
extern "C" EMSCRIPTEN_KEEPALIVE int tessaroc_test_value(int which) {
    switch (which) {
    case TestBoardWidth:
        return BoardSettings.width;
    case TestBoardHeight:
        return BoardSettings.height;
    case TestBoardMines:
        return BoardSettings.mines;
    case TestRoundState:
        return RoundState;
    case TestMinesLeft:
        return MinesLeft;
    case TestClockWaiting:
        return TimerIdle;
    case TestHundredths:
        return int(ElapsedSeconds * 100.0f + 0.5f);
    default:
        return 0;
    }
}
