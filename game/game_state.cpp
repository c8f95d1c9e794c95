// The game layer's globals and their reset.
#include "game_state.h"

GameStateRecord GameState;

void ResetGameState() {
    GameState = GameStateRecord{};
}
