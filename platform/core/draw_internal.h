// Pixel helpers shared by the box, line and text drawing of the platform core.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform_state.h"

// The value BackBufferOutput names the back buffer by.
constexpr int32_t BackBufferTarget = 1;

// Whether drawing is allowed now: between BeginDrawing and EndDrawing with a back buffer.
bool DrawingActive();

// A colour value (red in the low byte) as a back-buffer pixel (0x00RRGGBB).
inline uint32_t ColourToPixel(int32_t colour) {
    const uint32_t c = uint32_t(colour);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Notes a write into columns x0 to x1 - 1 of rows y0 to y1 - 1 for the watched box; every
// pixel-writing operation calls it.
inline void NoteWatchedWrite(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    const WatchedBoxRecord& box = WatchedBox;
    if (x0 < box.x1 && box.x0 < x1 && y0 < box.y1 && box.y0 < y1) WatchedBox.touched = true;
}

// The touched masks' bits of columns x0 to x1 - 1; the range is already cut to the buffer and
// not empty.
inline uint64_t ColumnBits(int64_t x0, int64_t x1) {
    const int32_t shift = BackBuffer.touchShift;
    const uint64_t first = uint64_t(x0) >> shift, last = uint64_t(x1 - 1) >> shift;
    const uint64_t upToLast = last >= 63 ? ~uint64_t{0} : (uint64_t{2} << last) - 1;
    return upToLast & ~((uint64_t{1} << first) - 1);
}

// Notes in the back buffer's touched masks that columns x0 to x1 - 1 of rows y0 to y1 - 1
// were written; the range is already cut to the buffer and not empty. Every operation that
// writes pixels calls it, or a present would miss what it drew.
inline void TouchRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    const uint64_t bits = ColumnBits(x0, x1);
    uint64_t* const masks = BackBuffer.touched.data();
    for (int64_t y = y0; y < y1; ++y)
        masks[y] |= bits;
}

// Paints (or, with invert, inverts) the pixels of columns x0 to x1 - 1 and rows y0 to
// y1 - 1, cut to the back buffer; an empty or reversed range paints nothing.
void PaintRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel, bool invert);

// Stores n copies of pixel from p on: 16 at a time as a fixed block, which the compiler turns
// into a few vector stores.
inline void FillPixels(uint32_t* p, size_t n, uint32_t pixel) {
    uint32_t block[16];
    for (uint32_t& b : block)
        b = pixel;
    for (; n >= 16; n -= 16, p += 16)
        std::memcpy(p, block, sizeof block);
    for (; n > 0; --n)
        *p++ = pixel;
}

// Whether n pixels at a and b are equal, in fixed blocks of 16 for short runs (the parts of
// rows a present compares are often a single block) and by the library for long ones.
inline bool SamePixels(const uint32_t* a, const uint32_t* b, size_t n) {
    constexpr size_t LongRun = 64;
    if (n >= LongRun) return std::memcmp(a, b, n * sizeof(uint32_t)) == 0;
    for (; n >= 16; n -= 16, a += 16, b += 16)
        if (std::memcmp(a, b, 16 * sizeof(uint32_t)) != 0) return false;
    for (; n > 0; --n)
        if (*a++ != *b++) return false;
    return true;
}

// Copies n pixels from src to dst (not overlapping). Sprite rows are short (tiles are 20
// pixels): they are copied in fixed blocks of 16, 8, 4 and 1 pixels that the compiler turns
// into a few vector moves, where a call of the library's block move per row would cost more
// than the pixels; long rows go to the library.
inline void CopyPixels(uint32_t* dst, const uint32_t* src, size_t n) {
    constexpr size_t LongRow = 64;
    if (n >= LongRow) {
        std::memcpy(dst, src, n * sizeof(uint32_t));
        return;
    }
    for (; n >= 16; n -= 16, dst += 16, src += 16)
        std::memcpy(dst, src, 16 * sizeof(uint32_t));
    if (n >= 8) {
        std::memcpy(dst, src, 8 * sizeof(uint32_t));
        n -= 8, dst += 8, src += 8;
    }
    if (n >= 4) {
        std::memcpy(dst, src, 4 * sizeof(uint32_t));
        n -= 4, dst += 4, src += 4;
    }
    for (; n > 0; --n)
        *dst++ = *src++;
}
