// Helpers of the best-time tests: "TopList" images, a fresh program folder, screen set-up.
#include "besttimes_test_support.h"

#include "frame.h"
#include "game_state.h"
#include "platform_state.h"
#include "screen_support.h"
#include "script_platform.h"
#include "test_support.h"

std::string EntryField(const std::string& name, const std::string& time) {
    return name + std::string(20 - name.size(), ' ') + time + std::string(8 - time.size(), ' ');
}

std::string DefaultTopListImage() {
    std::string image(1, '\0');
    image += "xst";
    for (int i = 0; i < 40; ++i)
        image += EntryField("-", "99999.99");
    return image;
}

std::string WithBlock(std::string image, int32_t difficulty,
                      const std::vector<std::pair<std::string, std::string>>& entries) {
    size_t offset = 4 + 280 * size_t(difficulty - 1);
    for (const auto& [name, time] : entries) {
        image.replace(offset, 28, EntryField(name, time));
        offset += 28;
    }
    return image;
}

std::vector<std::pair<std::string, std::string>> TimesBlock(const std::vector<std::string>& times) {
    std::vector<std::pair<std::string, std::string>> block;
    for (size_t i = 0; i < times.size(); ++i)
        block.emplace_back("p" + std::to_string(i + 1), times[i]);
    return block;
}

std::string FreshTopListFolder(const std::string& tag) {
    ScriptReset();
    ResetPlatformState();
    ResetFrameState();
    ResetGameState();
    ResetBestTimesState();
    return MakeProgramFolder(tag) + "TopList";
}

std::string StartUpForTopList(const std::string& tag) {
    std::string path = FreshTopListFolder(tag);
    BoardSettings = BoardSettingsRecord{15, 10, 12};
    OpenProgramWindow();
    LoadProgramFonts();
    return path;
}
