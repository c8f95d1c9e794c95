// The preferences file "Prefs": options, board settings and window position between runs.
//
// Layout (40 bytes, integers signed 32-bit little-endian):
//   0       reserved: never read or written (0x00 in a file the program created)
//   1..3    tag "xst"
//   4..16   Options: starBackground, emptyTransparent, titleAnimation, titleGradient
//   20..28  BoardSettings: width, height, mines
//   32, 36  QuibWindow.X, QuibWindow.Y: the window's top-left corner on the desktop
// The file is never truncated: bytes after offset 39 and byte 0 keep what they held.
#include <algorithm>
#include <array>
#include <cstdint>

#include "frame.h"
#include "game_state.h"
#include "platform.h"
#include "setup.h"

namespace {

constexpr int32_t PrefsFileNumber = 2;
constexpr int32_t PrefsFieldCount = 9;
constexpr int32_t PrefsFirstField = 4; // offset of the first integer

// The title bar's grab area relative to the window's corner, with the settings screen's
// width of 370 that the window opens with: columns 5 to 365, rows 5 to 26.
constexpr int32_t TitleLeft = 5;
constexpr int32_t TitleRight = 365;
constexpr int32_t TitleTop = 5;
constexpr int32_t TitleBottom = 26;

// Whether any pixel of the title bar of a window at (x, y) lies on the rectangle.
bool TitleBarMeets(int64_t x, int64_t y, int64_t left, int64_t top, int64_t width, int64_t height) {
    return x + TitleRight >= left && x + TitleLeft < left + width && y + TitleBottom >= top &&
           y + TitleTop < top + height;
}

// Whether the title bar of a window at (x, y) would show on one of the displays (the desktop
// when the platform names no display), so that the player can reach and drag it.
bool TitleBarOnSomeDisplay(int32_t x, int32_t y) {
    int32_t count = DisplayCount();
    if (count <= 0) return TitleBarMeets(x, y, 0, 0, DesktopMetric(0), DesktopMetric(1));
    for (int32_t i = 0; i < count; ++i) {
        int32_t left = 0, top = 0, width = 0, height = 0;
        if (DisplayBounds(i, &left, &top, &width, &height) &&
            TitleBarMeets(x, y, left, top, width, height))
            return true;
    }
    return false;
}

// A damaged flag reads as set: any value other than 0 counts as 1.
int32_t FlagFrom(int32_t value) {
    return value != 0 ? 1 : 0;
}

// The three bytes at offset 1 of the open file, where the tag belongs.
Text ReadTag() {
    SeekDataFile(1);
    Text tag;
    for (int32_t i = 0; i < 3; ++i)
        tag += CharToText(ReadByte());
    return tag;
}

// Whether the open file holds bytes that the program did not write: any, without the tag.
bool LacksTag() {
    return DataFileLength() > 0 && ReadTag() != "xst";
}

// The values the record holds, in the file's order; the window position comes last.
std::array<int32_t*, PrefsFieldCount> PrefsValues() {
    return {&Options.starBackground,
            &Options.emptyTransparent,
            &Options.titleAnimation,
            &Options.titleGradient,
            &BoardSettings.width,
            &BoardSettings.height,
            &BoardSettings.mines,
            &QuibWindow.X,
            &QuibWindow.Y};
}
constexpr int32_t PrefsPositionField = 7;

// Field i of the file as the game takes it: the four flags (the first fields) as 0 or 1.
int32_t ValueOfField(int32_t i, int32_t stored) {
    return i < 4 ? FlagFrom(stored) : stored;
}

// Reads the fields that the open file holds into `fields`, from the first; answers how many
// (none without the tag). A field past a short file's end keeps what `fields` held.
int32_t ReadPrefsFields(int32_t* fields) {
    int32_t length = DataFileLength();
    if (length < PrefsFirstField || ReadTag() != "xst") return 0;
    int32_t count = 0;
    while (count < PrefsFieldCount && PrefsFirstField + 4 * (count + 1) <= length)
        fields[count++] = ReadInt32();
    return count;
}

} // namespace

// Called once by start-up after the defaults are set and before the window opens. Fields that
// a short tagged file does not hold keep their defaults (a read past the end would otherwise
// return the stale transfer value).
void LoadPreferences() {
    PreferencesLoaded = 1;
    const auto values = PrefsValues();
    for (int32_t i = 0; i < PrefsFieldCount; ++i)
        PrefsAsSynced[i] = *values[i];
    if (!OpenDataFile(PrefsFileNumber, "Prefs")) return;
    if (ReadPrefsFields(PrefsAsSynced) > 0) {
        for (int32_t i = 0; i < PrefsFieldCount; ++i)
            *values[i] = ValueOfField(i, PrefsAsSynced[i]);
        if (!TitleBarOnSomeDisplay(QuibWindow.X, QuibWindow.Y)) {
            QuibWindow.X = 0;
            QuibWindow.Y = 0;
        }
    }
    CloseDataFile(PrefsFileNumber);
}

// Called by the settings screen on each entry, before it shows the values: options and board
// settings that another instance saved since this one last read or wrote the file, and that
// this one has not changed since, are taken. The window position is left out: the window
// stays where this instance has it.
void ReadOthersPreferences() {
    if (!PreferencesLoaded || !OpenDataFile(PrefsFileNumber, "Prefs")) return;
    int32_t file[PrefsFieldCount] = {};
    const int32_t count = std::min(ReadPrefsFields(file), PrefsPositionField);
    const auto values = PrefsValues();
    for (int32_t i = 0; i < count; ++i) {
        if (*values[i] == PrefsAsSynced[i] && file[i] != PrefsAsSynced[i]) {
            *values[i] = ValueOfField(i, file[i]);
            PrefsAsSynced[i] = file[i];
        }
    }
    CloseDataFile(PrefsFileNumber);
}

// Called once as the first step of the ordinary end of the program, from every screen, and
// when the window system ends it (the display or the window gone, the session ending), and
// when a browser page is hidden. What another instance (a second window, another browser tab)
// saved meanwhile in a field that this one has not changed since is kept, not written over
// with a stale value: the last change wins, field by field. A file without the tag is kept
// as a copy before the record is written over it.
void SavePreferences() {
    if (!PreferencesLoaded) return;
    if (!OpenDataFile(PrefsFileNumber, "Prefs")) return;
    if (LacksTag() && !KeepDamagedDataFile()) {
        CloseDataFile(PrefsFileNumber);
        return;
    }
    int32_t file[PrefsFieldCount] = {};
    const int32_t count = ReadPrefsFields(file);
    SeekDataFile(1);
    WriteText("xst");
    const auto values = PrefsValues();
    for (int32_t i = 0; i < PrefsFieldCount; ++i) {
        if (i < count && *values[i] == PrefsAsSynced[i]) {
            WriteInt32(file[i]); // the current values stay: the screen shown keeps its own
        } else {
            WriteInt32(*values[i]);
            PrefsAsSynced[i] = *values[i];
        }
    }
    CloseDataFile(PrefsFileNumber);
}
