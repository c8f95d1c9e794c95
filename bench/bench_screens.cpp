// Benchmarks of whole screens as the program runs them: one frame of the settings screen.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "game_state.h"
#include "platform_state.h"
#include "script_platform.h"
#include "setup.h"

namespace {

// A program folder with the built sheets and a Prefs file choosing the star option.
void PrepareFolder(int32_t stars) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "tessaroc-bench-screens";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(fs::path(TESSAROC_BINARY_DIR) / "GFX", folder / "GFX", fs::copy_options::recursive);
    std::string prefs("\0xst", 4);
    for (int32_t v : {stars, 0, 0, 0, 15, 10, 12, 0, 0})
        for (int shift = 0; shift < 32; shift += 8)
            prefs += char((uint32_t(v) >> shift) & 0xFF);
    FILE* file = std::fopen((folder / "Prefs").c_str(), "wb");
    std::fwrite(prefs.data(), 1, prefs.size(), file);
    std::fclose(file);
    SetProgramFolder(folder.string() + "/");
}

// The whole program on the scripted machine, idle on the settings screen: each iteration is
// the time from one present to the next, that is one frame's polling and drawing (the
// scripted present copies the frame and does not wait). Start-up is not timed.
void SettingsFrame(benchmark::State& state, int32_t stars) {
    ScriptReset();
    ResetPlatformState();
    PrepareFolder(stars);
    ScriptSetClock(5000);
    ScriptOnPresent([&state](int64_t) {
        if (!state.KeepRunning()) ScriptEndAt(ScriptClock());
    });
    RunTessaroc();
    ScriptOnPresent(nullptr);
}

void BM_SettingsFramePlain(benchmark::State& state) {
    SettingsFrame(state, 0);
}
BENCHMARK(BM_SettingsFramePlain)->Unit(benchmark::kMicrosecond);

void BM_SettingsFrameStars(benchmark::State& state) {
    SettingsFrame(state, 1);
}
BENCHMARK(BM_SettingsFrameStars)->Unit(benchmark::kMicrosecond);

} // namespace
