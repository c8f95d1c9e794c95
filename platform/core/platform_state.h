// The platform core's global state, one record per service, and the calls the backends share.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "backend.h"
#include "codepage.h"
#include "platform.h"

// ---------------------------------------------------------------- back buffer

// Pixels are 0x00RRGGBB (red in bits 16-23), row after row from the top.
//
// Every drawing operation also notes which parts of which rows it wrote since the last
// present: bit b of touched[row] stands for columns b << touchShift up to the next bit's.
// A part not noted holds what the window was last sent, so a present compares only the
// noted parts (draw_internal.h, window_copy.cpp). Comparing every row instead costs about
// 0.1 ms a frame at 850 x 600, 0.7 % of a core at 61 frames a second: as much again as a
// running round or the star field costs in all.
struct BackBufferRecord {
    std::vector<uint32_t> pixels;  // width * height pixels; empty until attached
    int32_t width = 0;             // columns; 0 until attached
    int32_t height = 0;            // rows; 0 until attached
    std::vector<uint64_t> touched; // one mask per row, as above
    int32_t touchShift = 4;        // columns per mask bit: 16, more for buffers over 1,024 wide
};
extern BackBufferRecord BackBuffer;

// A copy of the back buffer's pixels, for tests that keep frames to compare.
inline std::vector<uint32_t> BackBufferCopy() {
    return {BackBuffer.pixels.begin(), BackBuffer.pixels.end()};
}

// A box of the back buffer a screen watches for writes (WatchBackBufferBox), so that it can
// leave pictures that are still there as they are. Columns x0 to x1 - 1, rows y0 to y1 - 1.
struct WatchedBoxRecord {
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0; // the box; empty when nothing is watched
    bool touched = true;                    // something wrote into it since it was set
};
extern WatchedBoxRecord WatchedBox;

// ---------------------------------------------------------------- what the window shows

// The client area as the backend last sent it to the window (window_copy.cpp).
struct WindowCopyRecord {
    std::vector<uint32_t> pixels; // width * height pixels as sent, top row first
    int32_t width = 0;            // client columns sent
    int32_t height = 0;           // client rows sent
    bool valid = false;           // false: the next present sends the whole frame
    std::vector<RowRun> runs;     // the changed rows of the last present (storage reused)
};
extern WindowCopyRecord WindowCopy;

// ---------------------------------------------------------------- drawing state

struct DrawingStateRecord {
    bool active = false; // between BeginDrawing and EndDrawing
    int32_t colour = 0;  // current colour as MakeColour gives it (red in the low byte)
    int32_t cursorX = 0; // text cursor: top-left corner of the next text cell
    int32_t cursorY = 0;
    int32_t fontSlot = 0;  // current font slot (0: none)
    int32_t modeFlags = 0; // SetTextMode flags 1, 2, 4
};
extern DrawingStateRecord DrawingState;

// ---------------------------------------------------------------- sprites

constexpr int32_t SpriteSlotCount = 50;
struct SpriteSlot {
    std::vector<uint32_t> pixels; // width * height pixels, 0x00RRGGBB, top row first
    int32_t width = 0;            // whole bitmap; 0 when the slot is empty
    int32_t height = 0;
    int32_t srcX = 0, srcY = 0; // source rectangle used by BlitSprite
    int32_t srcWidth = 0, srcHeight = 0;
};
extern SpriteSlot Sprites[SpriteSlotCount];

// Where the sheets are read from, and which failures stderr has been told about.
struct SheetFilesRecord {
    std::string folder;                // the folder "GFX\..." names mean, ends in '/'
    bool folderChosen = false;         // folder has been looked for in this run
    bool folderMissing = false;        // neither place had the folder (said once)
    std::vector<std::string> reported; // sheet paths whose failure has been said
};
extern SheetFilesRecord SheetFiles;

// ---------------------------------------------------------------- fonts

constexpr int32_t FontSlotCount = 16;
struct FontFace; // the system font, its metrics and glyph cache (text.cpp)
struct FontSlot {
    std::shared_ptr<FontFace> face; // null when the slot is empty
};
extern FontSlot Fonts[FontSlotCount];

// ---------------------------------------------------------------- data files

struct OsFileLock; // the lock between instances while a file is saved (os_files.h)
struct DataFileRecord {
    int32_t number = 0;               // the caller's file number; 0 when the record is free
    std::string path;                 // where the file is saved, UTF-8; "" when nowhere
    std::string source;               // where it was read from while path holds nothing yet (a
                                      // read-only file of the program folder); else ""
    std::string refusal;              // why saving is refused ("read-only"); "" when allowed
    bool damagedKept = false;         // KeepDamagedDataFile made its copy of this file
    std::vector<uint8_t> image;       // the file's bytes as read; writes change this image
    std::vector<uint8_t> written;     // 1 for each byte of the image written since it was read
    int64_t position = 0;             // current byte position
    bool dirty = false;               // a write happened: commit on close
    int64_t openOrder = 0;            // when it was opened (DataFilesRecord.opened at that time)
    std::shared_ptr<OsFileLock> lock; // held from ReloadDataFile until the close; else null
};
constexpr int32_t DataFileSlots = 4;
struct DataFilesRecord {
    DataFileRecord files[DataFileSlots]; // open files, any order
    int32_t current = -1;                // index of the file the operations act on, -1 none
    int32_t transfer = 0;                // the 4-byte transfer cell, shared by every read and write
    std::string programFolder;           // ends in '/'
    // The two folders below are unset until they are chosen (the per-user one made) in a run.
    std::optional<std::string> dataFolder; // where the data files live, ends in '/'; "" nowhere
    std::optional<std::string> userFolder; // the per-user folder, ends in '/'; "" none
    std::vector<std::string> saidPaths;    // files whose refusal was said on stderr in this run
    int64_t opened = 0;                    // number of successful opens in the run
    bool failBeforeRename = false;         // for tests: a commit stops after writing the temporary
                                           // file, before the rename, as a crash there would
    bool programFolderReadOnly = false;    // for tests: the program folder counts as not writable
    std::string failure;                   // why the last failed save failed (DataFileFailure)
};
extern DataFilesRecord DataFiles;
// For fuzzing: commits skip fsync (same bytes, no durability), so thousands of runs a second
// are possible. Survives ResetPlatformState; the program never sets it.
extern bool SkipDiskSync;

// ---------------------------------------------------------------- telling the player

struct PlayerNoticesRecord {
    std::vector<Text> told; // titles TellPlayer has shown in this run
};
extern PlayerNoticesRecord PlayerNotices;

// ---------------------------------------------------------------- random numbers

extern std::mt19937 RandomGenerator;

// ---------------------------------------------------------------- window size limits

// The largest client area the program will open (SetLargestWindowSize), game pixels; 0 x 0
// until start-up says, and then every scale factor counts as fitting.
struct LargestWindowRecord {
    int32_t width = 0;
    int32_t height = 0;
};
extern LargestWindowRecord LargestWindow;

// ---------------------------------------------------------------- window events

// An event in the queue of events.cpp, or the last one the game took.
struct PlatformEvent {
    int32_t kind = 0;      // Event* kind of platform.h
    int32_t param = 0;     // held-button mask for mouse kinds, 0 for the close request
    bool hasPoint = false; // a mouse event: x and y hold the pointer at the event
    int32_t x = 0;         // desktop position of the pointer at the event
    int32_t y = 0;
    int32_t tick = 0; // TickCountMs when the backend posted it
};

// A queue that nobody reads keeps its oldest events and drops new ones past this length.
constexpr size_t EventQueueLimit = 4096;
// Clicks that waited longer than this in the queue are dropped rather than replayed, so a
// backlog (a burst of clicks faster than the screens take them) is gone within that time.
constexpr int32_t StaleClickMs = 1000;
// Clicks that waited longer than this when a newer press follows them are dropped as well,
// so the click after a burst acts at once: longer than a click takes the game (a frame or
// two), so clicks the game keeps up with are all taken.
constexpr int32_t BacklogClickMs = 100;
// Empty polls in a row, without a present or a taken event in between, that answer at once.
// A frame polls up to three times (the screen's own tests, the title bar) and then ends in
// its present; a wait in each of those polls would wake the program twice more per frame.
// More polls than this without a present are a loop waiting for a release: the quick-tap
// gate lets the release through to it.
constexpr int32_t IdleFreePolls = 6;
// Longest wait of each empty poll after the free ones: the loop presents nothing, so it is
// waiting for a release.
constexpr int32_t IdleWaitMs = 1;
// After this many such waits in a row (about 50 ms) its polls wait up to
// IdleLongWaitMs. An event ends either wait at once, so only a loop that waits on the clock
// alone would notice the difference.
constexpr int32_t IdleShortWaits = 50;
constexpr int32_t IdleLongWaitMs = 16;

struct EventQueueRecord {
    std::deque<PlatformEvent> events; // posted by the backend, not yet taken; oldest first
    PlatformEvent last;               // the last taken event (LastEventParam, move anchor)
    int32_t takenButtons = 0;         // held buttons as the last taken mouse event said
    int32_t buttons = 0;              // held buttons from the posted presses and releases
    int32_t modifiers = 0;            // MaskShift and MaskControl as last posted
    int32_t pressFrames[3] = {};      // frames still to end before the release of the taken
                                      // left, right, middle press may come (quick-tap gate)
    int32_t idlePolls = 0;            // empty polls in a row since a present or a taken event
                                      // (counted up to IdleFreePolls + IdleShortWaits + 1)
    bool tapGate = true;              // the quick-tap gate is on (the scripted platform runs
                                      // without it unless a test asks for it)
    uint64_t posts = 0;               // events and keys posted so far: input since a frame
};
extern EventQueueRecord EventQueue;

// What the frame being drawn asked of its present (KeepFrameMoving, WakeAfterMs).
struct FrameMotionRecord {
    bool moving = false;          // something changes on its own: the present paces
    int32_t wakeMs = WaitForever; // longest wait of a still present
    uint64_t postsSeen = 0;       // EventQueue.posts when the last frame ended
    uint64_t stillWaits = 0;      // presents that waited for the player since the reset
};
extern FrameMotionRecord FrameMotion;

// What the program runs when the display goes away for good (SetDisplayLostHandler), and
// when the browser's tab is hidden (SetDisplayHiddenHandler).
extern void (*DisplayLostHandler)();
extern void (*DisplayHiddenHandler)();

// ---------------------------------------------------------------- keyboard

// A key that went down and up again between two snapshots shows in the next snapshot only
// when it went down at most this long before it: a tap made while no screen read the
// keyboard (during a round) is not delivered to the next screen that does.
constexpr int32_t KeyLatchMs = 250;

// A key that went down and has not been shown by a snapshot since.
struct FreshKey {
    int32_t code = 0;      // set-1 scan code (extended keys + 0x80)
    int32_t downTick = 0;  // TickCountMs when it went down
    uint8_t modifiers = 0; // the modifier keys held when it went down, one bit each in the
                           // order of events.cpp's ModifierCodes; 0 for a modifier key
};
// Longest run of fresh presses kept; a keyboard nobody reads forgets the newer ones.
constexpr size_t FreshKeyLimit = 64;

// By set-1 scan code (extended keys + 0x80).
struct KeyTableRecord {
    bool held[256] = {};        // down now, as the backend posted
    std::deque<FreshKey> fresh; // presses not yet shown by a snapshot, oldest first
    bool snapshot[256] = {};    // the last snapshot: what KeyDown reads
    bool previous[256] = {};    // the snapshot before it: what KeyPressed compares with
    bool textWanted = false;    // the name entry asks for typed text (WantTypedText)
    std::deque<uint8_t> typed;  // characters typed through the system's text input, oldest
                                // first, as Windows-1252 bytes ('\b' Backspace, '\r' Enter)
};
extern KeyTableRecord KeyTable;

// ---------------------------------------------------------------- quit request

// Set by RequestQuit (from a signal handler or another thread too); read by QuitRequested.
extern std::atomic<int32_t> QuitFlag;
static_assert(std::atomic<int32_t>::is_always_lock_free, "the quit flag is set in signal handlers");

// ---------------------------------------------------------------- shared inside the core

// Notes every pixel of the back buffer as touched, so the next present compares all of it.
void TouchWholeBackBuffer();
