// The frame toolkit's globals: window record, title animation phase, roll-up press, mouse
// mask, star arrays.
#include "frame_state.h"

QuibWindowRecord QuibWindow;
int32_t TitleAnimPhase = 0;
int32_t StoredMouseMask = 0;
RollPressRecord RollPress;

int32_t StarLastIndex = 2499;
float StarX[StarCapacity];
float StarY[StarCapacity];
float StarSpeed[StarCapacity];
float StarRed[StarCapacity];
float StarGreen[StarCapacity];
float StarBlue[StarCapacity];

// Called at start-up and by the tests between cases: the record zero-filled, no window
// open, phase and mask 0, no roll-up press, all stars 0.
void ResetFrameState() {
    QuibWindow = QuibWindowRecord{};
    TitleAnimPhase = 0;
    StoredMouseMask = 0;
    RollPress = RollPressRecord{};
    StarLastIndex = 2499;
    for (int32_t i = 0; i < StarCapacity; i++) {
        StarX[i] = 0.0f;
        StarY[i] = 0.0f;
        StarSpeed[i] = 0.0f;
        StarRed[i] = 0.0f;
        StarGreen[i] = 0.0f;
        StarBlue[i] = 0.0f;
    }
}
