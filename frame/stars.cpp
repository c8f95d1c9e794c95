// The star background: StarCount single-pixel stars drifting right across the client area.
#include <algorithm>

#include "frame.h"
#include "frame_internal.h"

using namespace quib;

namespace {

// RandomUpTo for a span worked out from the window size: a window narrower or lower than
// the frame gives 0 instead of a negative span, an absurd one stays within int32.
float RandomFrom(int64_t offset, int64_t span) {
    int64_t n = std::clamp<int64_t>(span, 0, INT32_MAX - 100);
    return static_cast<float>(RandomUpTo(static_cast<int32_t>(n)) + offset);
}

// Row, speed and colour of star i, drawn in this order (also when a star is respawned).
void RandomiseRowSpeedColour(Star& star) {
    star.y = RandomFrom(28, int64_t(QuibWindow.Height) - 33);
    star.speed = RandomFrom(20, 100);
    star.red = RandomFrom(100, 155);
    star.green = RandomFrom(100, 155);
    star.blue = RandomFrom(100, 155);
}

int32_t LastStar() {
    return std::clamp<int32_t>(StarLastIndex, -1, StarCapacity - 1);
}

} // namespace

// Settings screen on each entry and game screen at each round start, after the window has
// its size: every star gets a column 5 to Width - 5, a row 28 to Height - 5, a speed 20 to
// 120 and colour components 100 to 255.
void InitStarField() {
    for (int32_t i = 0; i <= LastStar(); i++) {
        Star& star = Stars[i];
        star.x = RandomFrom(5, int64_t(QuibWindow.Width) - 10);
        RandomiseRowSpeedColour(star);
    }
}

// Every frame of the settings, game and end screens while the star option is on, inside
// the frame's drawing pair: plots each star at its rounded position (halves to even), then
// moves it Speed / 50 pixels right; a star past Width - 5 comes back at column 5 on a new
// row with a new speed and colour. Stars stand still while this is not called. A star in
// the covered box would be painted over in the same frame: it moves all the same, so the
// field and the random sequence do not depend on what covers it.
void DrawStarField(const PixelBox& covered) {
    KeepFrameMoving();
    float rightEdge = static_cast<float>(int64_t(QuibWindow.Width) - 5);
    for (int32_t i = 0; i <= LastStar(); i++) {
        Star& star = Stars[i];
        int32_t x = RoundToInt32(star.x);
        int32_t y = RoundToInt32(star.y);
        if (!covered.Contains(x, y))
            PlotPixel(x, y,
                      MakeColour(RoundToInt32(star.red), RoundToInt32(star.green),
                                 RoundToInt32(star.blue)));
        star.x = star.x + star.speed / 50.0f;
        if (star.x > rightEdge) {
            star.x = 5.0f;
            RandomiseRowSpeedColour(star);
        }
    }
}
