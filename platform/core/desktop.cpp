// Desktop facts every backend answers the same way, from its own display bounds.
#include "platform.h"

// The frame toolkit's placement of a new window: 0 gives the width, 1 the height of the first
// display (the desktop the window opens on); 0 for other indexes or without a display.
int32_t DesktopMetric(int32_t index) {
    int32_t x = 0, y = 0, w = 0, h = 0;
    if ((index != 0 && index != 1) || !DisplayBounds(0, &x, &y, &w, &h)) return 0;
    return index == 0 ? w : h;
}
