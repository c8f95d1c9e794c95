// Where the real window may go: the scale factor at which the largest window fits the screen,
// and the place that keeps a window that opens or grows inside its display's work area.
// Shared by the window backends; all sizes and positions are desktop pixels.
#pragma once

#include <cstdint>
#include <vector>

// A rectangle of the desktop: a display's work area (the display less the panels and docks
// the desktop keeps for itself), or a window's outer rectangle.
struct DesktopArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The backend's OpenScreenSystem: the factor for the run. `asked` is the desktop's own
// factor (from its dots per inch); the answer is the largest factor from 1 up to `asked` at
// which the largest window the program opens (SetLargestWindowSize, game pixels) fits the
// work area. 1 when even that does not fit. The player's TESSAROC_SCALE is not passed here:
// it is taken as it is.
int32_t FittingScaleFactor(int32_t asked, const DesktopArea& workArea);

// The backends, when the window opens at a given place and when it grows: the work area
// the window belongs to among `areas`: the one it overlaps most, else the nearest one.
// Null when there are none.
const DesktopArea* WorkAreaOfWindow(const std::vector<DesktopArea>& areas,
                                    const DesktopArea& window);

// The window moved the least needed to lie inside the work area. Along an axis on which it
// is larger than the area its top-left corner goes to the area's edge, so the title bar and
// its buttons are what stays in reach.
DesktopArea FitWindowIntoArea(DesktopArea window, const DesktopArea& workArea);
