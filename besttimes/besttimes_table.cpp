// The best-time table and its file "TopList": classifying, loading, ranking and saving.
#include "besttimes.h"

namespace {

// "TopList" layout: byte 0 reserved (never read or written), "xst" at 1 to 3, then four
// blocks of ten entries, each entry a 20-byte name and an 8-byte time, both filled with
// spaces on the right.
const Text TopListFileName = "TopList";
const Text TopListMarker = "xst";
constexpr int32_t MarkerOffset = 1;
constexpr int32_t FirstBlockOffset = 4;
constexpr int32_t DifficultyCount = 4;

// An empty place: the name "-" and the slowest time.
const Text DefaultName = "-";
const Text DefaultTime = "99999.99";

// One row per difficulty 1 to 4: the board it needs.
struct DifficultyBoard {
    int32_t width;
    int32_t height;
    int32_t mines;
};
constexpr DifficultyBoard DifficultyBoards[DifficultyCount] = {
    {15, 10, 12},  // Leicht
    {20, 15, 35},  // Mittel
    {25, 20, 80},  // Schwer
    {40, 25, 200}, // Brutal
};

// The text padded with spaces (or cut) to exactly `width` bytes, as a field of the file.
Text FieldText(const Text& text, int32_t width) {
    int32_t length = TextLength(text);
    if (length >= width) return MidText(text, 1, width);
    return text + SpaceText(width - length);
}

// The bytes of one entry as the file holds it.
Text EntryBytes(const Text& name, const Text& time) {
    return FieldText(name, TopListNameWidth) + FieldText(time, TopListTimeWidth);
}

// `count` bytes from the current position, each as a character; zero bytes are dropped.
Text ReadFieldText(int32_t count) {
    Text text;
    for (int32_t i = 0; i < count; ++i)
        text += CharToText(ReadByte() & 0xFF);
    return text;
}

// Bytes 1 to 1123 of a freshly initialised file: the marker and forty default entries.
Text DefaultFileBody() {
    Text body = TopListMarker;
    for (int32_t i = 0; i < DifficultyCount * TopListPlaces; ++i)
        body += EntryBytes(DefaultName, DefaultTime);
    return body;
}

// Loading, when the marker is present: a file that ends before its last block gets the
// missing bytes from the defaults, so every block reads as ten entries and a later save of
// one block leaves no gap of zero bytes. The bytes it had stay as they were.
void CompleteShortFile() {
    int32_t length = DataFileLength();
    if (length >= TopListFileSize) return;
    SeekDataFile(length);
    WriteText(MidText(DefaultFileBody(), length - MarkerOffset + 1, TopListFileSize - length));
}

// The value a time text is ranked by: what atof reads, as a 32-bit float.
float TimeValue(const Text& time) {
    return TextToFloat(time);
}

} // namespace

int32_t ClassifyRound(int32_t width, int32_t height, int32_t mines) {
    for (int32_t d = 0; d < DifficultyCount; ++d) {
        const DifficultyBoard& board = DifficultyBoards[d];
        if (width == board.width && height == board.height && mines == board.mines) return d + 1;
    }
    return NoDifficulty;
}

int32_t BlockOffset(int32_t difficulty) {
    return FirstBlockOffset + TopListBlockBytes * (difficulty - 1);
}

int32_t LoadTopList(int32_t difficulty) {
    if (difficulty < Leicht || difficulty > Brutal) return 0;
    AbandonTopList();
    if (OpenDataFile(TopListFileNumber, TopListFileName) == 0) return 0;
    TopListFile.difficulty = difficulty;
    TopListFile.open = 1;

    SeekDataFile(MarkerOffset);
    if (ReadFieldText(TextLength(TopListMarker)) != TopListMarker) {
        // No marker: a new file or one of other content; all four lists start anew.
        SeekDataFile(MarkerOffset);
        WriteText(DefaultFileBody());
    } else {
        CompleteShortFile();
    }

    SeekDataFile(BlockOffset(difficulty));
    for (int32_t p = 1; p <= TopListPlaces; ++p) {
        TopList.place[p].name = ReadFieldText(TopListNameWidth);
        TopList.place[p].time = ReadFieldText(TopListTimeWidth);
        PreviousEntries.place[p] = TopList.place[p];
    }
    return 1;
}

// A time text that does not fit the 8-byte field takes no place, so it never spills into
// the next entry of the file.
int32_t PlaceNewTime(const Text& timeText) {
    PlaceReached = TopListPlaces + 1;
    if (TextLength(timeText) <= TopListTimeWidth) {
        float value = TimeValue(timeText);
        for (int32_t i = TopListPlaces; i >= 1; --i)
            if (TimeValue(TopList.place[i].time) > value) PlaceReached = i;
    }

    if (PlaceReached > TopListPlaces) {
        CloseDataFile(TopListFileNumber);
        TopListFile.open = 0;
        return PlaceReached;
    }
    for (int32_t i = TopListPlaces; i > PlaceReached; --i)
        TopList.place[i] = TopList.place[i - 1];
    TopList.place[PlaceReached].name.clear();
    TopList.place[PlaceReached].time = timeText;
    return PlaceReached;
}

void SaveTopList() {
    if (TopListFile.open == 0) return;
    SeekDataFile(BlockOffset(TopListFile.difficulty));
    for (int32_t p = 1; p <= TopListPlaces; ++p)
        WriteText(EntryBytes(TopList.place[p].name, TopList.place[p].time));
    CloseDataFile(TopListFileNumber);
    TopListFile.open = 0;
}

void AbandonTopList() {
    if (TopListFile.open == 0) return;
    CloseDataFile(TopListFileNumber);
    TopListFile.open = 0;
}
