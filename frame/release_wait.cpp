// The shared wait for a mouse button's release, used by every press loop of the screens.
#include "frame.h"

namespace {

// Pause after a poll while the button is still held: long enough to give the processor
// away, short enough that the release is seen within about a millisecond of its arrival.
constexpr int32_t PollPauseMs = 1;

} // namespace

// Press loops and the waits after a press on every screen: MouseButton takes one event per
// call, so a backlog of queued events is worked off one per pause, in order; the level it
// answers turns 0 at the release and at a quit, which the answer tells apart.
int32_t WaitForRelease(int32_t n) {
    while (MouseButton(n) != 0)
        SleepMs(PollPauseMs);
    return QuitRequested() != 0 ? 0 : 1;
}
