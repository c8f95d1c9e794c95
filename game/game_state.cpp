// The game layer's globals and their reset.
#include "game_state.h"

#include <cstring>

int32_t MaxWidth = 0;
int32_t MaxHeight = 0;
int32_t MaxMines = 0;
int32_t MaxDensity = 0;
BoardSettingsRecord BoardSettings;
OptionsRecord Options;
int32_t ButtonAction = 0;
int32_t TitleBarResult = 0;
BoardRecord Board;
int32_t FloodMark[BoardColumns * BoardRows];
BoardPictureRecord BoardPicture;
int32_t MinesLeft = 0;
int32_t RoundState = Running;
int32_t TimerIdle = 0;
int32_t StartTick = 0;
float ElapsedSeconds = 0.0f;
Text TimeText;
int32_t CounterShown[3];
int32_t CounterTarget[3];
int32_t EndFace = 0;

void ResetGameState() {
    MaxWidth = 0;
    MaxHeight = 0;
    MaxMines = 0;
    MaxDensity = 0;
    BoardSettings = BoardSettingsRecord();
    Options = OptionsRecord();
    ButtonAction = NoAction;
    TitleBarResult = 0;
    std::memset(&Board, 0, sizeof Board);
    std::memset(FloodMark, 0, sizeof FloodMark);
    BoardPicture = BoardPictureRecord();
    MinesLeft = 0;
    RoundState = Running;
    TimerIdle = 0;
    StartTick = 0;
    ElapsedSeconds = 0.0f;
    TimeText.clear();
    std::memset(CounterShown, 0, sizeof CounterShown);
    std::memset(CounterTarget, 0, sizeof CounterTarget);
    EndFace = 0;
}
