// What the real platform shows its own tests beyond platform.h (no SDL types here).
#pragma once

// X11 id of the window (0 before OpenScreenSystem or off X11).
unsigned long SdlNativeWindow();
