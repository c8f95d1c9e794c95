// The real window's scale factor and place: the largest window fits, a growing window stays
// on its display.
#include <algorithm>

#include "backend.h"
#include "platform_state.h"

namespace {

int64_t Overlap(int64_t a, int64_t aSize, int64_t b, int64_t bSize) {
    return std::max<int64_t>(0, std::min(a + aSize, b + bSize) - std::max(a, b));
}

// How far apart two ranges lie along an axis (0 when they touch or overlap).
int64_t Gap(int64_t a, int64_t aSize, int64_t b, int64_t bSize) {
    return std::max<int64_t>({0, b - (a + aSize), a - (b + bSize)});
}

// One axis of FitWindowIntoArea: the window's start moved the least needed to lie within the
// area, or to the area's start when it is larger.
int32_t FitAxis(int32_t start, int32_t size, int32_t areaStart, int32_t areaSize) {
    if (size >= areaSize) return areaStart;
    const int64_t last = int64_t(areaStart) + areaSize - size;
    return int32_t(std::clamp<int64_t>(start, areaStart, last));
}

} // namespace

void SetLargestWindowSize(int32_t width, int32_t height) {
    LargestWindow.width = std::max(width, 0);
    LargestWindow.height = std::max(height, 0);
}

int32_t FittingScaleFactor(int32_t asked, const DesktopArea& workArea) {
    for (int32_t factor = asked; factor > 1; factor--) {
        if (int64_t(LargestWindow.width) * factor <= workArea.width &&
            int64_t(LargestWindow.height) * factor <= workArea.height)
            return factor;
    }
    return 1;
}

const DesktopArea* WorkAreaOfWindow(const std::vector<DesktopArea>& areas,
                                    const DesktopArea& window) {
    const DesktopArea* best = nullptr;
    int64_t bestOverlap = 0, bestGap = 0;
    for (const DesktopArea& a : areas) {
        if (a.width <= 0 || a.height <= 0) continue;
        const int64_t overlap = Overlap(window.x, window.width, a.x, a.width) *
                                Overlap(window.y, window.height, a.y, a.height);
        const int64_t gap =
            Gap(window.x, window.width, a.x, a.width) + Gap(window.y, window.height, a.y, a.height);
        const bool better =
            !best || overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && gap < bestGap);
        if (better) best = &a, bestOverlap = overlap, bestGap = gap;
    }
    return best;
}

DesktopArea FitWindowIntoArea(DesktopArea window, const DesktopArea& workArea) {
    window.x = FitAxis(window.x, window.width, workArea.x, workArea.width);
    window.y = FitAxis(window.y, window.height, workArea.y, workArea.height);
    return window;
}

DesktopArea InGamePixels(const DesktopArea& desktop, int32_t scale) {
    return DesktopArea{FloorDivide(desktop.x, scale), FloorDivide(desktop.y, scale),
                       desktop.width / scale, desktop.height / scale};
}
