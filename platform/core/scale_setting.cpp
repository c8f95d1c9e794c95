// The player's choice of the real window's scale factor (TESSAROC_SCALE).
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "backend.h"

int32_t ParseScaleSetting(const char* text) {
    if (!text || !std::isdigit(static_cast<unsigned char>(*text))) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > MaxScaleFactor) return 0;
    return int32_t(value);
}

const char* ScaleSettingOfEnvironment() {
    const char* setting = std::getenv("TESSAROC_SCALE");
    if (setting && *setting && ParseScaleSetting(setting) == 0)
        std::fprintf(stderr, "tessaroc: TESSAROC_SCALE=%s is not 1 to %d, ignored\n", setting,
                     int(MaxScaleFactor));
    return setting;
}
