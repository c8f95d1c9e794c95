// Pixel helpers shared by the box, line and text drawing of the platform core.
#pragma once

#include <cstdint>

// The value BackBufferOutput names the back buffer by.
constexpr int32_t BackBufferTarget = 1;

// Whether drawing is allowed now: between BeginDrawing and EndDrawing with a back buffer.
bool DrawingActive();

// A colour value (red in the low byte) as a back-buffer pixel (0x00RRGGBB).
inline uint32_t ColourToPixel(int32_t colour) {
    const uint32_t c = uint32_t(colour);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Paints (or, with invert, inverts) the pixels of columns x0 to x1 - 1 and rows y0 to
// y1 - 1, cut to the back buffer; an empty or reversed range paints nothing.
void PaintRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel, bool invert);
