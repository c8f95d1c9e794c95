// Helpers of the set-up tests: whole-program runs on the scripted machine, Prefs records.
#include "program_run.h"

#include <algorithm>
#include <iterator>

#include "game_state.h"
#include "platform_state.h"
#include "script_platform.h"
#include "test_support.h"

std::string FreshMachine(const std::string& tag) {
    ScriptReset();
    std::string folder = MakeProgramFolder(tag);
    ScriptSetClock(RunStartMs);
    return folder;
}

std::string PrefsRecord(int32_t star, int32_t empty, int32_t animation, int32_t gradient,
                        int32_t width, int32_t height, int32_t mines, int32_t x, int32_t y) {
    std::string bytes("\0xst", 4);
    for (int32_t v : {star, empty, animation, gradient, width, height, mines, x, y}) {
        uint32_t u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((u >> shift) & 0xFF);
    }
    return bytes;
}

std::string PrefsOf(const std::string& folder) {
    return ReadWholeFile(folder + "Prefs");
}

void EachPresent(std::function<void()> fn) {
    ScriptOnPresent([fn](int64_t) { fn(); });
}

Rgb ShownRgb(int32_t x, int32_t y) {
    int32_t c = ScriptShownPixel(x, y);
    return {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
}

bool CheckBoxShows(int32_t top, int32_t cell) {
    const SpriteSlot& sheet = Sprites[8];
    if (sheet.width < 16 * cell || sheet.height < 16) return false;
    for (int32_t dy = 0; dy < 16; ++dy)
        for (int32_t dx = 0; dx < 16; ++dx) {
            uint32_t p =
                sheet.pixels[size_t(dy) * size_t(sheet.width) + size_t(16 * (cell - 1) + dx)];
            Rgb want{int32_t((p >> 16) & 0xFF), int32_t((p >> 8) & 0xFF), int32_t(p & 0xFF)};
            if (!(ShownRgb(20 + dx, top + dy) == want)) return false;
        }
    return true;
}

std::string FreshMachineWithPrefs(const std::string& tag, const std::string& prefs) {
    const std::string folder = FreshMachine(tag);
    WriteWholeFile(folder + "Prefs", prefs);
    return folder;
}

bool OnGameScreen() {
    const bool placed =
        std::count(std::begin(Board.content), std::end(Board.content), Mine) == BoardSettings.mines;
    return ScriptWindow().height == 20 * BoardSettings.height + 88 && placed;
}

std::pair<int32_t, int32_t> NthCell(bool (*test)(int32_t content), int32_t nth) {
    for (int32_t x = 0; x < BoardSettings.width; ++x)
        for (int32_t y = 0; y < BoardSettings.height; ++y)
            if (test(Board.content[x * BoardRows + y]) && --nth == 0) return {x, y};
    return {-1, -1};
}
int32_t CellX(int32_t cx) {
    return ScriptWindow().x + 10 + 20 * cx + 5;
}
int32_t CellY(int32_t cy) {
    return ScriptWindow().y + 78 + 20 * cy + 5;
}

uint32_t WinRound(uint32_t atMs) {
    uint32_t t = atMs;
    for (int32_t x = 0; x < BoardSettings.width; ++x)
        for (int32_t y = 0; y < BoardSettings.height; ++y)
            if (Board.content[x * BoardRows + y] != Mine)
                t = ScriptClick(t, CellX(x), CellY(y), 1, 30) + 50;
    return t;
}

bool Empty(int32_t content) {
    return content == 0;
}
bool Counted(int32_t content) {
    return content > 0 && content < Mine;
}
bool HoldsMine(int32_t content) {
    return content == Mine;
}
