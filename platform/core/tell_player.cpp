// Telling the player about trouble: one line on stderr and one message box per kind and run.
#include <algorithm>
#include <cstdio>

#include "backend.h"
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
