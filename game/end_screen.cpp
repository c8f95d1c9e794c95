// The end screen: the revealed board, the frozen clock and the face of the outcome.
#include "frame.h"
#include "game.h"

namespace {

// One frame of the end screen: drawing, then pointer and left button only.
void EndFrame() {
    DrawRoundScreen(EndFace);
    int32_t x = MouseWindowX();
    int32_t y = MouseWindowY();
    if (MouseButton(1) != 0) {
        if (InFaceButton(x, y))
            ButtonAction = TrackFaceButton(EndFace) != 0 ? FaceAction : NoAction;
        else if (InBackButton(x, y))
            ButtonAction = TrackBackButton() != 0 ? BackAction : NoAction;
    }
    StepCounter();
    TitleBarResult = HandleTitleBar();
    if (TitleBarResult == RollUpButton) RollUpQuibWindow();
    SleepMs(20);
}

} // namespace

void EndScreen() {
    if (TimerIdle == 0) ReadClock();
    MakeTimeText();
    RevealBoard(RoundState);
    EndFace = RoundState == Lost ? 3 : 2;
    WaitForRelease(1);
    ButtonAction = NoAction;
    do {
        EndFrame();
    } while (TitleBarResult != CloseButton && ButtonAction == NoAction);
}
