// What the real platform shows its own tests beyond platform.h (no SDL types here).
#pragma once

#include <cstdint>

// X11 id of the window (0 before OpenScreenSystem or off X11).
unsigned long SdlNativeWindow();
// Set-1 scan code (extended keys + 0x80) that KeyDown reports for an SDL physical scancode
// (the USB usage number); 0 for keys the table leaves out or numbers outside it.
int32_t SdlSet1ScanCode(int32_t sdlScancode);
