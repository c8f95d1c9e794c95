// Fuzz target: arbitrary bytes as "Prefs", read by LoadPreferences alone (no screen runs),
// so that tens of thousands of files a second reach the reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame_state.h"
#include "fuzz_files.h"
#include "game_state.h"
#include "platform_state.h"
#include "setup.h"

namespace {

// The little-endian integer at the offset of the input.
int32_t FieldAt(const uint8_t* data, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= uint32_t(data[offset + i]) << (8 * i);
    return static_cast<int32_t>(value);
}

// What a complete record's flag reads as: any value other than 0 is set.
int32_t Flag(const uint8_t* data, size_t offset) {
    return FieldAt(data, offset) != 0 ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkipDiskSync = true;
    RemoveDamagedCopy(FuzzFolder("prefs-file") + "Prefs");
    WriteFuzzFile(FuzzFolder("prefs-file") + "Prefs", data, size);
    // Only what the reader fills is set to the start-up defaults: the whole frame state (its
    // star field) would cost more than the reading.
    PrepareFuzzPlatform(FuzzFolder("prefs-file"));
    Options = OptionsRecord{};
    BoardSettings = BoardSettingsRecord{15, 10, 12};
    QuibWindow = QuibWindowRecord{};
    PreferencesLoaded = 0;

    LoadPreferences();

    const int32_t flags[4] = {Options.starBackground, Options.emptyTransparent,
                              Options.titleAnimation, Options.titleGradient};
    for (int32_t flag : flags)
        FuzzCheck(flag == 0 || flag == 1);
    const bool tagged = size >= 4 && std::memcmp(data + 1, "xst", 3) == 0;
    if (!tagged) {
        FuzzCheck(flags[0] + flags[1] + flags[2] + flags[3] == 0);
        FuzzCheck(BoardSettings.width == 15 && BoardSettings.height == 10 &&
                  BoardSettings.mines == 12);
        FuzzCheck(QuibWindow.X == 0 && QuibWindow.Y == 0);
    } else if (size >= 40) {
        // A whole record: the values as stored, the flags as 0 or 1.
        FuzzCheck(flags[0] == Flag(data, 4) && flags[1] == Flag(data, 8) &&
                  flags[2] == Flag(data, 12) && flags[3] == Flag(data, 16));
        FuzzCheck(BoardSettings.width == FieldAt(data, 20) &&
                  BoardSettings.height == FieldAt(data, 24) &&
                  BoardSettings.mines == FieldAt(data, 28));
        const bool kept = QuibWindow.X == FieldAt(data, 32) && QuibWindow.Y == FieldAt(data, 36);
        FuzzCheck(kept || (QuibWindow.X == 0 && QuibWindow.Y == 0));
    }
    return 0;
}
