// Telling the player about trouble (one line on stderr and one message box per kind and run),
// and the command line's answers.
#include <algorithm>
#include <cstdio>

#include "backend.h"
#include "os_files.h"
#include "platform_state.h"

// Called by start-up and the best-time list (see platform.h). The stderr line comes first, so
// it is there even when the player never answers the box.
void TellPlayer(const Text& title, const Text& text) {
    std::vector<Text>& told = PlayerNotices.told;
    if (std::find(told.begin(), told.end(), title) != told.end()) return;
    told.push_back(title);
    std::fprintf(stderr, "tessaroc: %s: %s\n", TextToUtf8(title).c_str(), TextToUtf8(text).c_str());
    std::fflush(stderr);
    BackendShowMessage("Tessaroc: " + title, text);
}

// Called by main (see platform.h).
void PrintAnswer(const std::string& text, bool toStandardError) {
    if (OsHasStandardStream(toStandardError)) {
        std::fputs(text.c_str(), toStandardError ? stderr : stdout);
        std::fflush(toStandardError ? stderr : stdout);
        return;
    }
    BackendShowMessage("Tessaroc", SystemText(text));
}

// Called by the command line's usage.
std::string DataFolderUsage() {
    return OsUserDataFolderUsage();
}
