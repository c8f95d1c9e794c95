// Mouse helpers: the held-button level from the window events, the cursor in window pixels.
#include "frame.h"
#include "frame_internal.h"

using namespace quib;

// Every screen loop, press loop and wait for a release: takes at most one pending window
// event (the only place the program does), remembers the held-button mask of the latest
// mouse event and answers from it, so the answer is a level that holds while no newer
// mouse event arrives. 1 left, 2 right, 3 middle; anything else 0. Once a quit has been
// requested it answers 0, so that every press loop and wait ends.
int32_t MouseButton(int32_t n) {
    int32_t kind = PollWindowEvent();
    if (kind >= EventMouseFirst && kind <= EventMouseLast) StoredMouseMask = LastEventParam();
    if (QuitRequested() != 0) return 0;
    int32_t bit = 0;
    if (n == 1) bit = MaskLeft;
    if (n == 2) bit = MaskRight;
    if (n == 3) bit = MaskMiddle;
    return (StoredMouseMask & bit) != 0 ? 1 : 0;
}

// The desktop point the hit tests judge: where the click being worked through happened
// (JudgedPointerPoint), else the cursor now.
static void JudgedPoint(int32_t* x, int32_t* y) {
    if (!JudgedPointerPoint(x, y)) CursorScreenPosition(x, y);
}

// Hit tests of every screen: the judged pointer's x relative to the window's top-left corner
// (which is the client origin of the borderless window); not clamped to the window.
int32_t MouseWindowX() {
    int32_t x = 0, y = 0;
    JudgedPoint(&x, &y);
    return ClampToInt32(int64_t(x) - QuibWindow.X);
}

// As MouseWindowX, for y.
int32_t MouseWindowY() {
    int32_t x = 0, y = 0;
    JudgedPoint(&x, &y);
    return ClampToInt32(int64_t(y) - QuibWindow.Y);
}
