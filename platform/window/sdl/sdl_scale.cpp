// The real window's scale factor: how many desktop pixels show one pixel of the game.
#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

#include "backend.h"
#include "sdl_platform.h"
#include "sdl_state.h"

namespace {

constexpr double HighDensityDpi = 144; // 150 % of the 96 dots per inch of an ordinary screen

// The value of "Xft.dpi" in the X resources (lines "name:<blanks>value"), 0 when absent.
double XftDpi(const char* resources) {
    static const char Name[] = "Xft.dpi:";
    for (const char* line = resources; line && *line;) {
        if (std::strncmp(line, Name, sizeof Name - 1) == 0)
            return std::strtod(line + sizeof Name - 1, nullptr);
        line = std::strchr(line, '\n');
        if (line) line++;
    }
    return 0;
}

} // namespace

// TESSAROC_SCALE (1 to 4) when set to such a number; else 2 when the desktop asks for
// high-density drawing (Xft.dpi at 144 or more, or GDK_SCALE of 2 or more); else 1.
int32_t ChooseScaleFactor(const char* scaleSetting, const char* gdkScale, const char* xResources) {
    if (const int32_t chosen = ParseScaleSetting(scaleSetting)) return chosen;
    if (XftDpi(xResources) >= HighDensityDpi) return 2;
    if (gdkScale && std::strtol(gdkScale, nullptr, 10) >= 2) return 2;
    return 1;
}

// OpenScreenSystem, once the display is open: TESSAROC_SCALE is the player's choice and
// taken as it is; otherwise the desktop asks for its factor through the X server's resources
// (as they were when the display was opened). A TESSAROC_SCALE that is no number from 1 to 4
// is reported and left out.
void ReadAskedScaleFactor() {
    const int32_t chosen = ParseScaleSetting(ScaleSettingOfEnvironment());
    const char* resources = SdlWindow.xDisplay
                                ? XResourceManagerString(static_cast<Display*>(SdlWindow.xDisplay))
                                : nullptr;
    SdlWindow.scaleChosen = chosen != 0;
    SdlWindow.askedScale =
        chosen ? chosen : ChooseScaleFactor(nullptr, std::getenv("GDK_SCALE"), resources);
}

// CurrentDisplays and FollowDisplay, for each display they look at.
int32_t DisplayScaleFactor(const DesktopArea& workArea) {
    if (SdlWindow.scaleChosen) return SdlWindow.askedScale;
    return FittingScaleFactor(SdlWindow.askedScale, workArea);
}

// a / b rounded toward minus infinity (b > 0): desktop coordinates left of or above the
// first display are negative.
int32_t FloorDivide(int32_t a, int32_t b) {
    const int32_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
