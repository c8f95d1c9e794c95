// The frame toolkit's globals and their reset.
#include "frame_state.h"

FrameStateRecord FrameState;

// Called at start-up and by the tests between cases: no window open, phase and mask 0, all
// stars 0 and the star count of the field.
void ResetFrameState() {
    FrameState = FrameStateRecord{};
}
