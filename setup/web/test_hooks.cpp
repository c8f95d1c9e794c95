// What the browser tests read of the running game: the board and the round, as the desktop
// tests read them through the game's state (the page calls these from its console).
#include <emscripten.h>

#include "game_state.h"

// Cell (x, y) of the board: its content plus 100 times its cover; -1 outside the board.
extern "C" EMSCRIPTEN_KEEPALIVE int tessaroc_test_cell(int x, int y) {
    if (x < 0 || y < 0 || x >= BoardSettings.width || y >= BoardSettings.height) return -1;
    const int cell = x * BoardRows + y;
    return Board.content[cell] + 100 * Board.cover[cell];
}

// 0 the board's width, 1 its height, 2 its mines, 3 the round's state (1 won, -1 lost),
// 4 mines left, 5 whether the clock waits for the first press, 6 hundredths on the clock.
extern "C" EMSCRIPTEN_KEEPALIVE int tessaroc_test_value(int which) {
    switch (which) {
    case 0:
        return BoardSettings.width;
    case 1:
        return BoardSettings.height;
    case 2:
        return BoardSettings.mines;
    case 3:
        return RoundState;
    case 4:
        return MinesLeft;
    case 5:
        return TimerIdle;
    case 6:
        return int(ElapsedSeconds * 100.0f + 0.5f);
    default:
        return 0;
    }
}
