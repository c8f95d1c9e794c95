// Leaving out the drawing of a frame where it repeats the frame before it (draw_replay.h).
#include "draw_replay.h"

#include <algorithm>
#include <bit>

#include "draw_internal.h"
#include "platform_state.h"

namespace {

// Longest list kept for one frame, in words (4 MiB), far beyond what a screen draws (a
// thousand tiles take 8,000); a frame that draws more is drawn as it comes, and not listed.
constexpr size_t MaxRecordWords = size_t{1} << 20;

// Most records of one list that the line-up passes over to find its place in the other
// again (a star that went under a picture or came out, a digit more on the clock).
constexpr size_t ResyncRecords = 4;

// Most records found different between a frame's list and the last one's for the next frame
// to be left out and drawn only where it differs. Past it (the star field of the settings
// screen: 2,500 dots moving over the whole window) drawing the frame as it comes and
// comparing all of it costs less than lining the lists up and drawing the many small parts.
constexpr size_t MostDifferingRecords = 1000;

// Frames drawn as they come without a list after one drawn as it came that differed in more
// than MostDifferingRecords records, before listing is tried again (half a second): listing
// costs those frames time and would not be used.
constexpr int32_t UnlistedFrames = 30;

// Smallest box, in pixels, of an operation painting over kept to cover the blended and
// inverted ones after it (a glyph is larger than the thin lines of bevels and frames).
constexpr int64_t CoverArea = 64;

// Per record kind (DrawRecordKind, 0 unused): its length in words and the operation that
// draws it again inside a clip.
struct RecordKindInfo {
    size_t words;
    void (*replay)(const uint32_t* record, const BufferBox& clip);
};
constexpr RecordKindInfo RecordKinds[] = {{1, nullptr},
                                          {BoxRecordWords, ReplayBox},
                                          {PixelRecordWords, ReplayPixel},
                                          {GlyphRecordWords, ReplayGlyph},
                                          {BlitRecordWords, ReplayBlit}};

size_t RecordWords(const uint32_t* record) {
    return RecordKinds[record[0]].words;
}

// The box a record's operation writes into, within the back buffer.
BufferBox RecordBox(const uint32_t* record) {
    switch (DrawRecordKind(record[0])) {
    case DrawRecordKind::Box:
        return BufferBox{record[1], record[2], record[3], record[4]};
    case DrawRecordKind::Pixel:
        return BufferBox{record[1], record[2], int64_t{record[1]} + 1, int64_t{record[2]} + 1};
    case DrawRecordKind::Glyph:
        return GlyphRecordBox(record);
    case DrawRecordKind::Blit:
        return BufferBox{record[4], record[5], record[6], record[7]};
    }
    return BufferBox{};
}

// Whether the operation's pixels depend on the pixels below it: an inverting box or pixel,
// a glyph with its blended edges.
bool MixesWithBelow(const uint32_t* record) {
    switch (DrawRecordKind(record[0])) {
    case DrawRecordKind::Box:
        return record[6] != 0;
    case DrawRecordKind::Pixel:
        return record[4] != 0;
    case DrawRecordKind::Glyph:
        return true;
    case DrawRecordKind::Blit:
        return false;
    }
    return true;
}

// Whether the operation paints every pixel of its box whatever was there: a box that does
// not invert, a blit (it copies every pixel, black too).
bool PaintsOver(const uint32_t* record) {
    const auto kind = DrawRecordKind(record[0]);
    return (kind == DrawRecordKind::Box && record[6] == 0) || kind == DrawRecordKind::Blit;
}

bool SameRecord(const uint32_t* a, const uint32_t* b) {
    return a[0] == b[0] && std::equal(a, a + RecordWords(a), b);
}

// Whether two different records are likely the same operation of two frames, changed (a
// star one column on, a longer bar, another digit in the same place), rather than one
// left out of a list: the same kind with the same row and colour, the same glyph line, the
// same sheet. The line-up only runs faster for it; any answer gives the same pixels.
bool SameOperationChanged(const uint32_t* a, const uint32_t* b) {
    if (a[0] != b[0]) return false;
    switch (DrawRecordKind(a[0])) {
    case DrawRecordKind::Box:
        return a[2] == b[2] && a[5] == b[5] && a[6] == b[6];
    case DrawRecordKind::Pixel:
        return a[2] == b[2] && a[3] == b[3] && a[4] == b[4];
    case DrawRecordKind::Glyph:
        return a[5] == b[5] && a[6] == b[6] && a[7] == b[7];
    case DrawRecordKind::Blit:
        return a[1] == b[1];
    }
    return false;
}

void DamagePixel(int64_t x, int64_t y) {
    DrawReplay.damage[size_t(y)] |= uint64_t{1} << (x >> BackBuffer.touchShift);
}

// Adds the box to the damage.
void MarkDamage(const BufferBox& box) {
    if (box.Empty()) return;
    const uint64_t bits = ColumnBits(box.x0, box.x1);
    for (int64_t y = box.y0; y < box.y1; ++y)
        DrawReplay.damage[size_t(y)] |= bits;
}

// Adds the box of a record of the last frame's list to the damage.
void DamageLastFrameRecord(const uint32_t* record) {
    if (DrawRecordKind(record[0]) == DrawRecordKind::Pixel) {
        DamagePixel(record[1], record[2]);
    } else {
        MarkDamage(RecordBox(record));
    }
}

// Notes one record of this frame in the line-up, in order: its box is damage when the last
// frame had no such operation here (matched false), or when it mixes with pixels that no
// earlier operation of this frame painted over.
void NoteThisFrame(const uint32_t* record, bool matched) {
    DrawReplayRecord& repeat = DrawReplay;
    if (DrawRecordKind(record[0]) == DrawRecordKind::Pixel && record[4] == 0) { // most stars
        if (!matched) DamagePixel(record[1], record[2]);
        return;
    }
    const BufferBox box = RecordBox(record);
    if (MixesWithBelow(record) &&
        std::none_of(repeat.covers.begin(), repeat.covers.end(),
                     [&box](const BufferBox& cover) { return cover.Holds(box); })) {
        repeat.currentPaintedUnder = false;
        MarkDamage(box);
    } else if (!matched) {
        MarkDamage(box);
    }
    if (PaintsOver(record) && (box.x1 - box.x0) * (box.y1 - box.y0) >= CoverArea)
        repeat.covers.push_back(box);
}

// The records that the line-up passes over where this frame's record at now and the last
// frame's at before differ: the fewest (up to ResyncRecords) of one list after which the two
// lists agree again, or one of each when the two are one operation changed or nothing agrees.
void Resync(size_t now, size_t before, size_t* skipNow, size_t* skipBefore) {
    const uint32_t* const a = DrawReplay.current.words.data();
    const uint32_t* const b = DrawReplay.previous.words.data();
    const size_t aLength = DrawReplay.current.length, bLength = DrawReplay.previous.length;
    *skipNow = *skipBefore = 1;
    if (SameOperationChanged(&a[now], &b[before])) return;
    size_t aheadNow = now, aheadBefore = before;
    for (size_t k = 1; k <= ResyncRecords; ++k) {
        if (aheadNow < aLength) aheadNow += RecordWords(&a[aheadNow]);
        if (aheadBefore < bLength) aheadBefore += RecordWords(&b[aheadBefore]);
        const bool laterBefore = aheadBefore < bLength;
        if (laterBefore && (SameRecord(&a[now], &b[aheadBefore]) ||
                            SameOperationChanged(&a[now], &b[aheadBefore]))) {
            *skipNow = 0, *skipBefore = k;
            return;
        }
        if (aheadNow < aLength && (SameRecord(&a[aheadNow], &b[before]) ||
                                   SameOperationChanged(&a[aheadNow], &b[before]))) {
            *skipNow = k, *skipBefore = 0;
            return;
        }
    }
}

// Lines this frame's list up with the last frame's, in order, and marks the damage: the
// boxes of the records of either list without an equal one in the other, and of the mixing
// ones not painted under.
void MarkDamageOfFrame() {
    const uint32_t* const now = DrawReplay.current.words.data();
    const uint32_t* const before = DrawReplay.previous.words.data();
    const size_t nowLength = DrawReplay.current.length, beforeLength = DrawReplay.previous.length;
    size_t i = 0, j = 0;
    while (i < nowLength && j < beforeLength) {
        if (SameRecord(&now[i], &before[j])) {
            NoteThisFrame(&now[i], true);
            i += RecordWords(&now[i]);
            j += RecordWords(&before[j]);
            continue;
        }
        size_t skipNow = 0, skipBefore = 0;
        Resync(i, j, &skipNow, &skipBefore);
        DrawReplay.differing += skipNow + skipBefore;
        for (; skipNow > 0 && i < nowLength; --skipNow, i += RecordWords(&now[i]))
            NoteThisFrame(&now[i], false);
        for (; skipBefore > 0 && j < beforeLength; --skipBefore, j += RecordWords(&before[j]))
            DamageLastFrameRecord(&before[j]);
    }
    for (; i < nowLength; i += RecordWords(&now[i]), ++DrawReplay.differing)
        NoteThisFrame(&now[i], false);
    for (; j < beforeLength; j += RecordWords(&before[j]), ++DrawReplay.differing)
        DamageLastFrameRecord(&before[j]);
}

// Called at the present of a frame drawn as it came: the records of its list that differ from
// the last list's in the same place, or more than MostDifferingRecords when the two lists
// fall out of step (a record of another kind in the same place).
size_t CountDifferingInPlace() {
    const DrawListRecord& now = DrawReplay.current;
    const DrawListRecord& before = DrawReplay.previous;
    size_t i = 0, j = 0, differing = 0;
    while (i < now.length && j < before.length) {
        if (now.words[i] != before.words[j]) return MostDifferingRecords + 1;
        if (!SameRecord(&now.words[i], &before.words[j])) ++differing;
        i += RecordWords(&now.words[i]);
        j += RecordWords(&before.words[j]);
    }
    for (; i < now.length; i += RecordWords(&now.words[i]))
        ++differing;
    for (; j < before.length; j += RecordWords(&before.words[j]))
        ++differing;
    return differing;
}

// Paints the box in pixel and notes it touched: the part of a box left out of the frame
// that lies in one run of the damage, often a few pixels of a few rows (the background under
// a star), where the general drawing of a box would cost more than the pixels.
void PaintDamagedPart(const BufferBox& part, uint32_t pixel) {
    const size_t stride = size_t(BackBuffer.width), length = size_t(part.x1 - part.x0);
    const uint64_t bits = ColumnBits(part.x0, part.x1);
    uint32_t* row = BackBuffer.pixels.data() + size_t(part.y0) * stride + size_t(part.x0);
    for (int64_t y = part.y0; y < part.y1; ++y, row += stride) {
        FillPixels(row, length, pixel);
        BackBuffer.touched[size_t(y)] |= bits;
    }
}

// Draws the record's operation inside the damage: in bands of rows whose damaged parts
// within its columns are the same, one clip per run of damaged parts.
void DrawInDamage(const uint32_t* record) {
    if (DrawRecordKind(record[0]) == DrawRecordKind::Pixel) {
        if (DrawReplay.damage[record[2]] >> (record[1] >> BackBuffer.touchShift) & 1)
            ReplayPixel(record, WholeBackBuffer());
        return;
    }
    const BufferBox box = RecordBox(record);
    if (box.Empty()) return;
    const auto replay = RecordKinds[record[0]].replay;
    const bool paintsBox = DrawRecordKind(record[0]) == DrawRecordKind::Box && record[6] == 0;
    const uint64_t columns = ColumnBits(box.x0, box.x1);
    const uint64_t* const damage = DrawReplay.damage.data();
    const int32_t shift = BackBuffer.touchShift;
    for (int64_t y = box.y0, end = y; y < box.y1; y = end) {
        const uint64_t mask = damage[y] & columns;
        for (end = y + 1; end < box.y1 && (damage[end] & columns) == mask;)
            ++end;
        for (uint64_t rest = mask; rest != 0;) {
            const int first = std::countr_zero(rest);
            const int stop = first + std::countr_one(rest >> first);
            rest = stop >= 64 ? 0 : rest & (~uint64_t{0} << stop);
            const BufferBox clip{std::max(box.x0, int64_t{first} << shift), y,
                                 std::min(box.x1, int64_t{stop} << shift), end};
            if (paintsBox) {
                PaintDamagedPart(clip, record[5]);
            } else {
                replay(record, clip);
            }
        }
    }
}

// Draws every operation of this frame's list so far, in full: what the frame would have
// drawn without leaving anything out. From here on the frame draws as it comes.
void DrawLeftOut() {
    DrawReplayRecord& repeat = DrawReplay;
    if (!repeat.leavingOut) return;
    repeat.leavingOut = false;
    const BufferBox whole = WholeBackBuffer();
    const uint32_t* const list = repeat.current.words.data();
    for (size_t at = 0; at < repeat.current.length; at += RecordWords(&list[at]))
        RecordKinds[list[at]].replay(&list[at], whole);
}

// Called by LeaveOutRepeatedDrawing when this frame's list has no room for a record of
// words more: grows it, or, past MaxRecordWords, draws what was left out and stops listing
// (false).
bool MakeRoom(size_t words) {
    DrawReplayRecord& repeat = DrawReplay;
    DrawListRecord& list = repeat.current;
    if (list.length + words > MaxRecordWords) {
        DrawLeftOut();
        repeat.recording = false;
        list.length = 0;
        return false;
    }
    list.words.resize(std::max(2 * list.words.size(), MaxRecordWords / 64));
    return true;
}

} // namespace

bool LeaveOutRepeatedDrawing(const uint32_t* record, size_t words) {
    DrawReplayRecord& repeat = DrawReplay;
    DrawListRecord& list = repeat.current;
    if (!repeat.recording) return false;
    if (list.length + words > list.words.size() && !MakeRoom(words)) return false;
    std::copy_n(record, words, list.words.data() + list.length);
    list.length += words;
    repeat.currentPaintedUnder = false; // only a line-up of the whole list can tell
    return repeat.leavingOut;
}

void FinishRepeatedDrawing() {
    DrawReplayRecord& repeat = DrawReplay;
    if (!repeat.leavingOut) return;
    repeat.leavingOut = false;
    repeat.linedUp = true;
    repeat.differing = 0;
    // The same list as last frame, whose blended and inverted operations were all painted
    // under: nothing to draw.
    const DrawListRecord& now = repeat.current;
    const DrawListRecord& before = repeat.previous;
    if (repeat.previousPaintedUnder && now.length == before.length &&
        std::equal(now.words.data(), now.words.data() + now.length, before.words.data())) {
        repeat.currentPaintedUnder = true;
        return;
    }
    repeat.damage.assign(size_t(BackBuffer.height), 0);
    repeat.covers.clear();
    repeat.currentPaintedUnder = true;
    MarkDamageOfFrame();
    if (std::all_of(repeat.damage.begin(), repeat.damage.end(),
                    [](uint64_t mask) { return mask == 0; }))
        return;
    for (size_t at = 0; at < now.length; at += RecordWords(&now.words[at]))
        DrawInDamage(&now.words[at]);
}

void NoteFrameCompared() {
    DrawReplayRecord& repeat = DrawReplay;
    const bool drawnAsItCame = repeat.recording && !repeat.linedUp;
    if (drawnAsItCame) repeat.differing = repeat.previous.length == 0 ? 0 : CountDifferingInPlace();
    if (drawnAsItCame && repeat.differing > MostDifferingRecords)
        repeat.unlistedFrames = UnlistedFrames;
    repeat.linedUp = false;
    if (repeat.recording) {
        std::swap(repeat.previous, repeat.current);
    } else {
        repeat.previous.length = 0;
    }
    repeat.current.length = 0;
    repeat.previousPaintedUnder = repeat.recording && repeat.currentPaintedUnder;
    repeat.currentPaintedUnder = false;
    repeat.recording = repeat.unlistedFrames == 0;
    if (repeat.unlistedFrames > 0) --repeat.unlistedFrames;
    repeat.leavingOut =
        repeat.recording && repeat.previous.length != 0 && repeat.differing <= MostDifferingRecords;
}

void ForgetRepeatedDrawing() {
    DrawLeftOut();
    DrawReplay = DrawReplayRecord{};
}
