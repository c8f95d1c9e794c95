// Leaving out the drawing of a frame that repeats the one before it (frame_repeat.h).
#include "frame_repeat.h"

#include <algorithm>

#include "draw_internal.h"
#include "platform_state.h"

namespace {

// Longest list kept for one frame, in words; a frame that draws more is never left out.
// The largest screen draws about 40,000 words.
constexpr size_t MaxRecordWords = size_t{1} << 20;

// Draws one written-down operation again.
void Replay(const uint32_t* record) {
    switch (DrawRecordKind(record[0])) {
    case DrawRecordKind::Box:
        ReplayBox(record);
        break;
    case DrawRecordKind::Pixel:
        ReplayPixel(record);
        break;
    case DrawRecordKind::Glyph:
        ReplayGlyph(record);
        break;
    case DrawRecordKind::Blit:
        ReplayBlit(record);
        break;
    }
}

// Words of a record of this kind.
size_t RecordWords(uint32_t kind) {
    switch (DrawRecordKind(kind)) {
    case DrawRecordKind::Box:
        return BoxRecordWords;
    case DrawRecordKind::Pixel:
        return PixelRecordWords;
    case DrawRecordKind::Glyph:
        return GlyphRecordWords;
    case DrawRecordKind::Blit:
        return BlitRecordWords;
    }
    return 1;
}

// Ends the leaving out: draws the operations of the last frame's list that this frame left
// out, which become the start of this frame's own list.
void DrawLeftOut() {
    FrameRepeatRecord& repeat = FrameRepeat;
    if (!repeat.leavingOut) return;
    repeat.leavingOut = false;
    repeat.current.assign(repeat.previous.begin(),
                          repeat.previous.begin() + std::ptrdiff_t(repeat.matched));
    for (size_t at = 0; at < repeat.current.size(); at += RecordWords(repeat.current[at]))
        Replay(repeat.current.data() + at);
}

} // namespace

bool LeaveOutRepeatedDrawing(const uint32_t* record, size_t words) {
    FrameRepeatRecord& repeat = FrameRepeat;
    if (repeat.leavingOut) {
        const uint32_t* expected = repeat.previous.data() + repeat.matched;
        if (repeat.previous.size() - repeat.matched >= words &&
            std::equal(record, record + words, expected)) {
            repeat.matched += words;
            return true;
        }
        DrawLeftOut();
    }
    if (!repeat.recording) return false;
    if (repeat.current.size() + words > MaxRecordWords) {
        repeat.recording = false;
        repeat.current.clear();
        return false;
    }
    repeat.current.insert(repeat.current.end(), record, record + words);
    return false;
}

void FinishRepeatedDrawing() {
    FrameRepeatRecord& repeat = FrameRepeat;
    if (repeat.leavingOut && repeat.matched != repeat.previous.size()) DrawLeftOut();
}

void NoteFrameCompared(bool changed) {
    FrameRepeatRecord& repeat = FrameRepeat;
    const bool wholeFrameLeftOut = repeat.leavingOut;
    const bool listed = repeat.recording || wholeFrameLeftOut;
    repeat.leavingOut = false;
    repeat.matched = 0;
    if (changed || !listed) {
        repeat.previous.clear();
    } else if (!wholeFrameLeftOut) {
        repeat.previous.swap(repeat.current);
    }
    repeat.current.clear();
    // A frame that changed nothing arms the record for the next one; with a list of such a
    // frame, the next one is compared with it as it draws.
    repeat.recording = !changed;
    repeat.leavingOut = !changed && listed && !repeat.previous.empty();
}

void ForgetRepeatedDrawing() {
    DrawLeftOut();
    FrameRepeat = FrameRepeatRecord{};
}
