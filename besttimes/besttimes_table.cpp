// The best-time table and its file "TopList": classifying, loading, ranking and saving.
#include "besttimes.h"

namespace {

// "TopList" layout: byte 0 reserved (never read or written), "xst" at 1 to 3, then four
// blocks of ten entries, each entry a 20-byte name and an 8-byte time, both filled with
// spaces on the right.
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
const Text& DefaultFileBody() {
    static const Text body = [] {
        Text bytes = TopListMarker;
        for (int32_t i = 0; i < DifficultyCount * TopListPlaces; ++i)
            bytes += EntryBytes(DefaultName, DefaultTime);
        return bytes;
    }();
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

// Makes the open file a whole list file: without the marker (a new empty file, or one of
// other content) all four lists start anew, once the old content is kept in a copy beside
// it; with it, a short file is completed. False (nothing written) when a file without the
// marker could not be kept: it is then left as it is.
bool PrepareFileBody() {
    SeekDataFile(MarkerOffset);
    if (ReadFieldText(TextLength(TopListMarker)) == TopListMarker) {
        CompleteShortFile();
        return true;
    }
    if (!KeepDamagedDataFile()) return false;
    SeekDataFile(MarkerOffset);
    WriteText(DefaultFileBody());
    return true;
}

void ReadBlock(int32_t difficulty, TopListTable& table) {
    SeekDataFile(BlockOffset(difficulty));
    for (int32_t p = 1; p <= TopListPlaces; ++p) {
        table.place[p].name = ReadFieldText(TopListNameWidth);
        table.place[p].time = ReadFieldText(TopListTimeWidth);
    }
}

void WriteBlock(int32_t difficulty, const TopListTable& table) {
    SeekDataFile(BlockOffset(difficulty));
    for (int32_t p = 1; p <= TopListPlaces; ++p)
        WriteText(EntryBytes(table.place[p].name, table.place[p].time));
}

// The value a time text is ranked by: what atof reads, as a 32-bit float.
float TimeValue(const Text& time) {
    return TextToFloat(time);
}

// The place a new time takes in the table: the lowest place whose time is slower, so a time
// equal to a stored one goes below it; 11 for none. A time text that does not fit the 8-byte
// field takes no place, so it never spills into the next entry of the file.
int32_t RankTime(const TopListTable& table, const Text& time) {
    int32_t place = TopListPlaces + 1;
    if (TextLength(time) > TopListTimeWidth) return place;
    const float value = TimeValue(time);
    for (int32_t i = TopListPlaces; i >= 1; --i)
        if (TimeValue(table.place[i].time) > value) place = i;
    return place;
}

// Moves the entries from the place on down by one (the tenth is lost) and puts the entry there.
void InsertEntry(TopListTable& table, int32_t place, const TopListEntry& entry) {
    for (int32_t i = TopListPlaces; i > place; --i)
        table.place[i] = table.place[i - 1];
    table.place[place] = entry;
}

// Closes the file keeping what another instance saved since it was loaded: under the lock
// between instances the file is read again and only prepared as loading prepares it.
void ReleaseFile() {
    if (ReloadDataFile()) PrepareFileBody();
    CloseDataFile(TopListFileNumber);
    TopListFile.open = 0;
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
    if (!PrepareFileBody()) {
        CloseDataFile(TopListFileNumber);
        return 0;
    }
    TopListFile.difficulty = difficulty;
    TopListFile.open = 1;
    ReadBlock(difficulty, TopList);
    PreviousEntries = TopList;
    return 1;
}

int32_t PlaceNewTime(const Text& timeText) {
    PlaceReached = RankTime(TopList, timeText);
    if (PlaceReached > TopListPlaces) {
        ReleaseFile();
        return PlaceReached;
    }
    InsertEntry(TopList, PlaceReached, TopListEntry{Text(), timeText});
    return PlaceReached;
}

// Another instance of the program may have saved this list since it was loaded: the new
// entry is ranked again into the list as the file holds it now, under the lock between
// instances, so neither instance's new time is lost. Without other instances this writes
// exactly TopList.
int32_t SaveTopList() {
    if (TopListFile.open == 0) return 1;
    const int32_t difficulty = TopListFile.difficulty;
    TopListTable list = TopList;
    if (PlaceReached >= 1 && PlaceReached <= TopListPlaces && ReloadDataFile()) {
        const TopListEntry entry = TopList.place[PlaceReached];
        if (!PrepareFileBody()) {
            CloseDataFile(TopListFileNumber);
            TopListFile.open = 0;
            return 0;
        }
        ReadBlock(difficulty, list);
        const int32_t place = RankTime(list, entry.time);
        if (place <= TopListPlaces) InsertEntry(list, place, entry);
    }
    WriteBlock(difficulty, list);
    TopListFile.open = 0;
    return CloseDataFile(TopListFileNumber);
}

void AbandonTopList() {
    if (TopListFile.open == 0) return;
    ReleaseFile();
}
