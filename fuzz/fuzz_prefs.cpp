// Fuzz target: arbitrary bytes as the preferences file, through start-up and settings frames.
//
// Each input becomes "Prefs" in a private program folder; the whole program then starts on
// the scripted platform, shows the settings screen with whatever was read for a few frames,
// takes one press on an empty spot (which clamps the values) and ends by its script.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_files.h"
#include "platform.h"
#include "platform_state.h"
#include "script_platform.h"
#include "setup.h"

namespace {

// The program folder of every run, made once.
const std::string& FuzzProgramFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/tessaroc-fuzz-prefs-XXXXXX";
        const char* made = mkdtemp(name);
        if (made == nullptr) std::abort();
        MakeFolderPortable(std::string(made) + "/");
        return std::string(made) + "/";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkipDiskSync = true;
    const std::string& folder = FuzzProgramFolder();
    RemoveDamagedCopy(folder + "Prefs");
    {
        std::ofstream out(folder + "Prefs", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ScriptReset();
    SetProgramFolder(folder);
    ScriptSetClock(1000);
    ScriptClick(1100, 150, 170, 1, 20);
    ScriptEndAt(1200);
    RunTessaroc();
    return 0;
}
