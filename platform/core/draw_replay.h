// Leaving out the drawing of a frame where it repeats what the frame before it drew.
//
// Screens draw their whole picture every frame, though from one frame to the next only a
// few pixels change (the stars, the clock's digits), or none. Every frame's pixel-writing
// operations are listed as they run. While the last frame's whole list is kept, the next
// frame's operations are only listed, not drawn; its present lines the two lists up, marks
// the parts of the buffer that an operation found in one list and not the other covers
// (the damage), and draws this frame's operations again only inside the damage. Outside it
// the same operations ran in the same order last frame, each of them paints its pixels
// over (or is painted over by an earlier one), so drawing them again would change nothing.
// The present then finds only the damage touched, to compare and send.
//
// An operation that mixes with the pixels below it (inverting, blended text) would change
// them again if drawn twice: unless an earlier operation of the frame painted over its
// whole box first, its box is damage too.
//
// Where frames differ in very many operations (a star field moving over the whole window)
// the damage would be nearly everything, in small parts: such frames are drawn as they come,
// and listing rests for a while before it is tried again.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of written-down operations; each record starts with its kind and has a fixed length.
enum class DrawRecordKind : uint32_t { Box = 1, Pixel, Glyph, Blit };

// Called by the core's pixel-writing operations with their record before they write, while
// RepeatListing (draw_internal.h): true when the operation is left out for now, to be drawn
// at the present where it is needed.
bool LeaveOutRepeatedDrawing(const uint32_t* record, size_t words);

// Called by every present before it compares: draws the frame's left-out operations inside
// the damage.
void FinishRepeatedDrawing();

// Called by every present after it compared the frame: this frame's list becomes the last.
void NoteFrameCompared();

// Called before a sprite sheet or a font is replaced, and when pixels were written around the
// operations: draws what was left out of this frame so far and forgets the lists, since
// the same operations would now draw other pixels.
void ForgetRepeatedDrawing();
