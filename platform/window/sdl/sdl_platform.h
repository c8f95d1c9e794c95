// What the real platform shows its own tests beyond platform.h (no SDL types here).
#pragma once

#include <cstdint>

// X11 id of the window (0 before OpenScreenSystem or off X11).
unsigned long SdlNativeWindow();
// X11 Display* of the program's connection (null before OpenScreenSystem or off X11).
void* SdlNativeDisplay();
// Whether presents may send through their own shared-memory image (the default) or only
// through SDL's window surface, as where the X server cannot share memory with us.
void SdlAllowSharedFrames(bool allowed);
// Turns the frame pacing of the presents off (they then return at once) and on again.
void SdlPaceFrames(bool on);
// Set-1 scan code (extended keys + 0x80) that KeyDown reports for an SDL physical scancode
// (the USB usage number); 0 for keys the table leaves out or numbers outside it.
int32_t SdlSet1ScanCode(int32_t sdlScancode);
// The scale factor from the values of TESSAROC_SCALE and GDK_SCALE and the X resources
// (each may be null): TESSAROC_SCALE when it is 1 to 4, else 2 for Xft.dpi of 144 or more or
// GDK_SCALE of 2 or more, else 1.
int32_t ChooseScaleFactor(const char* scaleSetting, const char* gdkScale, const char* xResources);
