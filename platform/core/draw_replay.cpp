// Leaving out the drawing of a frame that repeats the one before it (draw_replay.h).
#include "draw_replay.h"

#include <algorithm>

#include "draw_internal.h"
#include "platform_state.h"

namespace {

// Longest list kept for one frame, in words (4 MiB), far beyond what a screen draws (a
// thousand tiles take 8,000); a frame that draws more is never left out.
constexpr size_t MaxRecordWords = size_t{1} << 20;

// Per record kind (DrawRecordKind, 0 unused): its length in words and the operation that
// draws it again.
struct RecordKindInfo {
    size_t words;
    void (*replay)(const uint32_t* record);
};
constexpr RecordKindInfo RecordKinds[] = {{1, nullptr},
                                          {BoxRecordWords, ReplayBox},
                                          {PixelRecordWords, ReplayPixel},
                                          {GlyphRecordWords, ReplayGlyph},
                                          {BlitRecordWords, ReplayBlit}};

// Ends the leaving out: draws the operations of the last frame's list that this frame left
// out, which become the start of this frame's own list.
void DrawLeftOut() {
    DrawReplayRecord& repeat = DrawReplay;
    if (!repeat.leavingOut) return;
    repeat.leavingOut = false;
    repeat.current.assign(repeat.previous.begin(),
                          repeat.previous.begin() + std::ptrdiff_t(repeat.matched));
    for (size_t at = 0; at < repeat.current.size();) {
        const RecordKindInfo& kind = RecordKinds[repeat.current[at]];
        kind.replay(repeat.current.data() + at);
        at += kind.words;
    }
}

} // namespace

bool LeaveOutRepeatedDrawing(const uint32_t* record, size_t words) {
    DrawReplayRecord& repeat = DrawReplay;
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
    DrawReplayRecord& repeat = DrawReplay;
    if (repeat.leavingOut && repeat.matched != repeat.previous.size()) DrawLeftOut();
}

void NoteFrameCompared(bool changed) {
    DrawReplayRecord& repeat = DrawReplay;
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
    DrawReplay = DrawReplayRecord{};
}
