// Leaving out the drawing of a frame that draws exactly what the frame before it drew.
//
// Most screens at rest draw the same frame sixty times a second. A present that finds
// nothing changed arms the record: the next frame's pixel-writing operations are written
// down as they run. If that frame changes nothing either, its list is kept, and the frames
// after it compare each operation with the list as they go. While they agree, the pixels
// are not written: the same operations on the same pixels changed nothing last time, so
// they would change nothing now. Nothing is touched, so the present finds nothing to
// compare or send. At the first operation that differs (or when the frame ends early) the
// operations left out are drawn after all, in order, and the frame goes on as usual.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of written-down operations; each record starts with its kind and has a fixed length.
enum class DrawRecordKind : uint32_t { Box = 1, Pixel, Glyph, Blit };

// Called by the core's pixel-writing operations with their record before they write, while
// RepeatListing (draw_internal.h): true when the operation is to be left out. Operations left out
// earlier in the frame are drawn before this returns false.
bool LeaveOutRepeatedDrawing(const uint32_t* record, size_t words);

// Called by every present before it compares: draws what was left out of a frame that
// ended before its list did.
void FinishRepeatedDrawing();

// Called by every present after it compared the frame, with whether anything differed.
void NoteFrameCompared(bool changed);

// Called before a sprite sheet or a font is replaced: draws what was left out and forgets
// the list, since the same operations would now draw other pixels.
void ForgetRepeatedDrawing();
