// Drawing on the back buffer: the drawing state, boxes, lines and single pixels, all clipped.
#include <algorithm>
#include <cstdlib>

#include "draw_internal.h"
#include "platform_state.h"
#include "whole_numbers.h"

namespace {

// Largest back buffer side accepted; the program asks for 850 x 600.
constexpr int32_t MaxBackBufferSide = 16384;

// Puts one pixel of a line or a star: the colour, or the inverse of the pixel with invert.
void PutPixel(int64_t x, int64_t y, uint32_t pixel, bool invert) {
    if (x < 0 || y < 0 || x >= BackBuffer.width || y >= BackBuffer.height) return;
    NoteWatchedWrite(x, y, x + 1, y + 1);
    uint32_t& p = BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)];
    p = invert ? (p ^ 0xFFFFFFu) : pixel;
    BackBuffer.touched[size_t(y)] |= uint64_t{1} << (x >> BackBuffer.touchShift);
}

} // namespace

void PaintRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel, bool invert) {
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, BackBuffer.width);
    y1 = std::min<int64_t>(y1, BackBuffer.height);
    if (x0 >= x1 || y0 >= y1) return;
    NoteWatchedWrite(x0, y0, x1, y1);
    TouchRect(x0, y0, x1, y1);
    const size_t stride = size_t(BackBuffer.width);
    uint32_t* const first = BackBuffer.pixels.data() + size_t(y0) * stride + size_t(x0);
    const size_t length = size_t(x1 - x0), rows = size_t(y1 - y0);
    if (invert) {
        for (size_t r = 0; r < rows; ++r)
            for (uint32_t* p = first + r * stride; p != first + r * stride + length; ++p)
                *p ^= 0xFFFFFFu;
        return;
    }
    // Wide boxes: the first row pixel by pixel, the others as copies of it; a row copy is one
    // block move, several times faster than storing each pixel again (whole-window fills
    // every frame). Narrow ones (the columns of lines, bevels and shaded bars) are stored
    // directly, where a block move per row would cost more than the pixels.
    constexpr size_t WideRow = 32;
    if (length < WideRow) {
        for (size_t r = 0; r < rows; ++r)
            FillPixels(first + r * stride, length, pixel);
        return;
    }
    FillPixels(first, length, pixel);
    for (size_t r = 1; r < rows; ++r)
        std::copy(first, first + length, first + r * stride);
}

bool DrawingActive() {
    return DrawingState.active && !BackBuffer.pixels.empty();
}

// Called by the backends' AttachBackBuffer: a new buffer of black pixels, all of it noted as
// touched. Sizes that are not positive give no buffer (drawing then does nothing).
void CreateBackBuffer(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > MaxBackBufferSide || height > MaxBackBufferSide)
        width = height = 0;
    BackBuffer.width = width;
    BackBuffer.height = height;
    BackBuffer.pixels.assign(size_t(width) * size_t(height), 0u);
    // The fewest columns per mask bit (a power of two, at least 16) that fit a row in 64 bits.
    BackBuffer.touchShift = 4;
    while (width > 0 && ((width - 1) >> BackBuffer.touchShift) >= 64)
        ++BackBuffer.touchShift;
    TouchWholeBackBuffer();
}

// Called by the frame toolkit to cut drawing to the buffer, and by the backends' presents.
void BackBufferSize(int32_t* width, int32_t* height) {
    *width = BackBuffer.width;
    *height = BackBuffer.height;
}

// Called by the backends' presents, which send these pixels to the window, and by the
// scripted backend's pixel look-up.
const uint32_t* BackBufferPixels() {
    return BackBuffer.pixels.empty() ? nullptr : BackBuffer.pixels.data();
}

// Called by CreateBackBuffer, and by tests that write pixels directly.
void TouchWholeBackBuffer() {
    BackBuffer.touched.assign(size_t(BackBuffer.height), ~uint64_t{0});
    WatchedBox.touched = true;
}

// Called by the round screen after it drew a frame: from now on any write into the box
// (cut to the buffer) ends WatchedBoxUntouched. A new box replaces the old one.
void WatchBackBufferBox(int32_t x, int32_t y, int32_t width, int32_t height) {
    WatchedBox.x0 = std::max<int64_t>(x, 0);
    WatchedBox.y0 = std::max<int64_t>(y, 0);
    WatchedBox.x1 = std::min<int64_t>(int64_t{x} + std::max(width, 0), BackBuffer.width);
    WatchedBox.y1 = std::min<int64_t>(int64_t{y} + std::max(height, 0), BackBuffer.height);
    WatchedBox.touched = false;
}

// Called by the game screen before it draws the board again: 1 while the box it watches
// still holds what it drew, so cells whose picture is unchanged need no new copy.
int32_t WatchedBoxUntouched() {
    return WatchedBox.touched ? 0 : 1;
}

// Each component is cut to its low byte, so colours out of range stay within 24 bits.
int32_t MakeColour(int32_t red, int32_t green, int32_t blue) {
    return int32_t((uint32_t(red) & 0xFFu) | ((uint32_t(green) & 0xFFu) << 8) |
                   ((uint32_t(blue) & 0xFFu) << 16));
}

int32_t BackBufferOutput() {
    return BackBufferTarget;
}

// Called by every screen before its drawing of a frame. Each drawing starts afresh: black
// ink, default modes, no font, cursor at the origin.
int32_t BeginDrawing(int32_t target) {
    EndDrawing();
    if (target != BackBufferTarget || BackBuffer.pixels.empty()) return 0;
    DrawingState = DrawingStateRecord{};
    DrawingState.active = true;
    return 1;
}

// Called at the end of a frame's drawing, before the sprites are copied.
void EndDrawing() {
    DrawingState.active = false;
}

// The setters below are called by the screens and the frame toolkit between BeginDrawing and
// EndDrawing; outside a drawing they do nothing, as every drawing operation.
void SetInkColour(int32_t red, int32_t green, int32_t blue) {
    if (!DrawingActive()) return;
    DrawingState.colour = MakeColour(red, green, blue);
}

void SetTextMode(int32_t flags) {
    if (!DrawingActive()) return;
    DrawingState.modeFlags = flags;
}

void SetTextCursor(int32_t x, int32_t y) {
    if (!DrawingActive()) return;
    DrawingState.cursorX = x;
    DrawingState.cursorY = y;
}

// Fills columns x to x + width - 1 and rows y to y + height - 1; with mode flag 4 only the
// one-pixel outline of that rectangle. Each covered pixel is touched once, so an inverted
// outline of a one-pixel-wide box does not cancel itself.
void FillBox(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour) {
    if (!DrawingActive()) return;
    DrawingState.colour = colour;
    if (width <= 0 || height <= 0) return;
    const uint32_t pixel = ColourToPixel(colour);
    const bool invert = (DrawingState.modeFlags & TextModeInvert) != 0;
    const int64_t x0 = x, y0 = y, x1 = int64_t(x) + width, y1 = int64_t(y) + height;
    if (!(DrawingState.modeFlags & TextModeOutline) || width <= 2 || height <= 2) {
        PaintRect(x0, y0, x1, y1, pixel, invert);
        return;
    }
    PaintRect(x0, y0, x1, y0 + 1, pixel, invert);         // top row
    PaintRect(x0, y1 - 1, x1, y1, pixel, invert);         // bottom row
    PaintRect(x0, y0 + 1, x0 + 1, y1 - 1, pixel, invert); // left column between them
    PaintRect(x1 - 1, y0 + 1, x1, y1 - 1, pixel, invert); // right column between them
}

// One pixel per step along the longer axis, both end points included. The walk always runs
// from the end with the smaller coordinate on that axis, so a line and its reverse cover the
// same pixels; only the steps inside the back buffer are visited.
void DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour) {
    if (!DrawingActive()) return;
    if (colour != -1) DrawingState.colour = colour;
    const uint32_t pixel = ColourToPixel(DrawingState.colour);
    const bool invert = (DrawingState.modeFlags & TextModeInvert) != 0;
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    const bool alongX = std::abs(bx - ax) >= std::abs(by - ay);
    if (!alongX) {
        std::swap(ax, ay);
        std::swap(bx, by);
    }
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const int64_t majorLimit = alongX ? BackBuffer.width : BackBuffer.height;
    const int64_t first = std::max<int64_t>(ax, 0);
    const int64_t last = std::min<int64_t>(bx, majorLimit - 1);
    const int64_t n = bx - ax, d = by - ay;
    if (d == 0) { // straight lines in one go
        if (alongX) {
            PaintRect(first, ay, last + 1, ay + 1, pixel, invert);
        } else {
            PaintRect(ay, first, ay + 1, last + 1, pixel, invert);
        }
        return;
    }
    // Step i lies i * d / n off the start along the minor axis, rounded to the nearest with
    // halves upward: with i * d = q * n + r (0 <= r < n), q plus 1 when 2 * r >= n. q and r are
    // divided out once for the first visible step (coordinates are 32-bit, so i <= 2^31 and
    // |d| <= n < 2^32: i * d stays within 64 bits) and then carried from step to step.
    const int64_t product = (first - ax) * d;
    int64_t quotient = FloorDivide(product, n), remainder = product - quotient * n;
    for (int64_t major = first; major <= last; ++major) {
        const int64_t minor = ay + quotient + (2 * remainder >= n ? 1 : 0);
        if (alongX) {
            PutPixel(major, minor, pixel, invert);
        } else {
            PutPixel(minor, major, pixel, invert);
        }
        remainder += d; // |d| <= n: at most one carry per step
        if (remainder >= n) {
            remainder -= n;
            ++quotient;
        } else if (remainder < 0) {
            remainder += n;
            --quotient;
        }
    }
}

// Sets one pixel in the given colour; the current colour and the invert mode are not used.
void PlotPixel(int32_t x, int32_t y, int32_t colour) {
    if (!DrawingActive()) return;
    PutPixel(x, y, ColourToPixel(colour), false);
}
