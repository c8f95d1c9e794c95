// The shared wait for a mouse button's release, used by every press loop of the screens.
#include "frame.h"

// Press loops and the waits after a press on every screen: MouseButton takes one event per
// call, so a backlog of queued events is worked off in order; once the queue has been found
// empty in a run of polls with no present between (IdleFreePolls of the platform core), its
// poll sleeps until the next event arrives (waking at least every few milliseconds), so a held
// button costs next to no processor time and the release is seen as it arrives. The level turns 0
// at the release and at a quit, which the answer tells apart.
int32_t WaitForRelease(int32_t n) {
    while (MouseButton(n) != 0)
        continue;
    return QuitRequested() != 0 ? 0 : 1;
}
