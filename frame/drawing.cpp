// Drawing extensions: bevelled and plain outlines, shaded boxes, bars, centred text, rounding.
#include <algorithm>

#include "frame.h"
#include "frame_internal.h"

using namespace quib;

namespace {

int32_t ClampComponent(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 255));
}

// The four sides in the order top, left, right, bottom: the later lines overwrite the
// earlier ones, so the top-right and bottom-left corners take the bottom-right colour.
void DrawFourSides(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t topLeftColour,
                   int32_t bottomRightColour) {
    DrawSegment(left, top, right, top, topLeftColour);
    DrawSegment(left, top, left, bottom, topLeftColour);
    DrawSegment(right, bottom, right, top, bottomRightColour);
    DrawSegment(right, bottom, left, bottom, bottomRightColour);
}

} // namespace

// DrawQuibFrame's border and the screens' boxes and bars: light side 50 above the base, dark
// side 50 below, swapped when sunken, each component clamped to 0..255.
void DrawBevelBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red,
                  int32_t green, int32_t blue, int32_t sunken) {
    int64_t light[3] = {int64_t(red) + 50, int64_t(green) + 50, int64_t(blue) + 50};
    int64_t dark[3] = {int64_t(red) - 50, int64_t(green) - 50, int64_t(blue) - 50};
    if (sunken != 0) std::swap(light, dark);
    int32_t topLeft =
        MakeColour(ClampComponent(light[0]), ClampComponent(light[1]), ClampComponent(light[2]));
    int32_t bottomRight =
        MakeColour(ClampComponent(dark[0]), ClampComponent(dark[1]), ClampComponent(dark[2]));
    DrawFourSides(left, top, right, bottom, topLeft, bottomRight);
}

// The frame's middle border lines: the same four sides in one colour, interior left alone.
void DrawPlainFrame(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red,
                    int32_t green, int32_t blue) {
    int32_t colour = MakeColour(red, green, blue);
    DrawFourSides(left, top, right, bottom, colour, colour);
}

// The shaded title bar and the percentage bars. Direction 0 draws one vertical line per
// column from left to right; any other direction one horizontal line per row from top to
// bottom. The step per line is a 32-bit float added up line by line, so the last line
// holds colour 1 + (n - 1)/n of the difference and colour 2 is never quite reached.
void DrawGradientBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red1,
                     int32_t green1, int32_t blue1, int32_t red2, int32_t green2, int32_t blue2,
                     int32_t direction) {
    bool columns = direction == 0;
    int64_t first = columns ? left : top;
    int64_t last = columns ? right : bottom;
    if (last < first) return;
    // Lines past the back buffer's far edge cannot show; stopping there keeps absurd
    // rectangles from looping billions of times.
    int32_t bufferWidth = 0, bufferHeight = 0;
    BackBufferSize(&bufferWidth, &bufferHeight);
    int64_t visibleEnd = columns ? bufferWidth : bufferHeight;
    float n = static_cast<float>(last - first + 1);
    float stepRed = static_cast<float>(int64_t(red2) - red1) / n;
    float stepGreen = static_cast<float>(int64_t(green2) - green1) / n;
    float stepBlue = static_cast<float>(int64_t(blue2) - blue1) / n;
    float red = static_cast<float>(red1);
    float green = static_cast<float>(green1);
    float blue = static_cast<float>(blue1);
    for (int64_t i = first; i <= last && i < visibleEnd; i++) {
        int32_t colour =
            MakeColour(TruncateToInt32(red), TruncateToInt32(green), TruncateToInt32(blue));
        int32_t at = static_cast<int32_t>(i);
        if (columns) {
            DrawSegment(at, top, at, bottom, colour);
        } else {
            DrawSegment(left, at, right, at, colour);
        }
        red = red + stepRed;
        green = green + stepGreen;
        blue = blue + stepBlue;
    }
}

// The settings screen's slider and density bars: fills whole pixels per per cent inside
// the outline the caller drew; above 100 counts as 100, a fill under one pixel draws nothing.
void DrawPercentBar(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red1,
                    int32_t green1, int32_t blue1, int32_t red2, int32_t green2, int32_t blue2,
                    int32_t percent) {
    int64_t clampedPercent = std::min<int64_t>(percent, 100);
    int64_t pixelsPerPercent = (int64_t(right) - left - 1) / 100;
    int64_t length = pixelsPerPercent * clampedPercent;
    if (length < 1) return;
    DrawGradientBox(ClampToInt32(int64_t(left) + 1), ClampToInt32(int64_t(top) + 1),
                    ClampToInt32(int64_t(left) + length), ClampToInt32(int64_t(bottom) - 1), red1,
                    green1, blue1, red2, green2, blue2, 0);
}

// Headings and the settings screen's numbers: the text centred between two columns in the
// caller's font and colour; both halvings shift right, rounding toward minus infinity.
void DrawCentredText(int32_t left, int32_t right, int32_t y, const Text& text) {
    int64_t width = MeasureText(text);
    int64_t x = int64_t(left) + ((int64_t(right) - left) >> 1) - (width >> 1);
    SetTextCursor(ClampToInt32(x), y);
    DrawTextAtCursor(text);
}

// The settings screen's slider values to board numbers: the fraction is cut off and the
// value goes up by one when the cut-off part exceeds the float just below 4/9. Negative
// values keep their truncation.
int32_t RoundSliderValue(float value) {
    constexpr float threshold = 0.44444442f;
    int32_t whole = TruncateToInt32(value);
    float fraction = value - static_cast<float>(whole);
    if (fraction > threshold && whole < INT32_MAX) return whole + 1;
    return whole;
}
