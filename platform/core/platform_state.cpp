// The platform core's global records, the quit flag and the reset that tests and start-up use.
#include "platform_state.h"

#include <algorithm>

#include "os_files.h"

BackBufferRecord BackBuffer;
WatchedBoxRecord WatchedBox;
WindowCopyRecord WindowCopy;
DrawingStateRecord DrawingState;
SpriteSlot Sprites[SpriteSlotCount];
SheetFilesRecord SheetFiles;
FontSlot Fonts[FontSlotCount];
DataFilesRecord DataFiles;
PlayerNoticesRecord PlayerNotices;
bool SkipDiskSync = false;
std::mt19937 RandomGenerator;
std::atomic<int32_t> QuitFlag = 0;
EventQueueRecord EventQueue;
FrameMotionRecord FrameMotion;
KeyTableRecord KeyTable;
LargestWindowRecord LargestWindow;

// Called by the system's OsCommitFile at every commit.
bool CommitSkipsDiskSync() {
    return SkipDiskSync;
}
bool CommitStopsBeforeMove() {
    return DataFiles.failBeforeRename;
}

// Called by the real platform's SIGINT/SIGTERM handler and by the scripted platform when its
// script ends; only stores to a lock-free atomic, so it is safe inside a signal handler and
// from another thread.
void RequestQuit() {
    QuitFlag = 1;
}

// Polled by every loop of the program (through the frame toolkit) to end the run in order.
int32_t QuitRequested() {
    return QuitFlag != 0 ? 1 : 0;
}

// Called by tests between cases and by the program at start-up: empties the back buffer
// and the copy of what the window shows, the drawing state, the sprite and font slots, the
// largest window size, the data-file table (open files are dropped without commit) and the
// titles told to the player, reseeds the generator with its default seed and clears the quit
// flag. A program folder set by SetProgramFolder stays.
void ResetPlatformState() {
    std::string folder = DataFiles.programFolder;
    DataFiles = DataFilesRecord{};
    DataFiles.programFolder = folder;

    BackBuffer = BackBufferRecord{};
    WatchedBox = WatchedBoxRecord{};
    WindowCopy = WindowCopyRecord{};
    DrawingState = DrawingStateRecord{};
    std::fill(std::begin(Sprites), std::end(Sprites), SpriteSlot{});
    SheetFiles = SheetFilesRecord{};
    std::fill(std::begin(Fonts), std::end(Fonts), FontSlot{});
    LargestWindow = LargestWindowRecord{};
    PlayerNotices = PlayerNoticesRecord{};
    RandomGenerator = std::mt19937{};
    QuitFlag = 0;
}
