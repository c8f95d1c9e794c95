// What the Windows platform shows its own tests beyond platform.h (no Windows types here).
#pragma once

#include <cstdint>

// The window handle as an integer (0 before OpenScreenSystem).
intptr_t Win32NativeWindow();
// Set-1 scan code (extended keys + 0x80) of a key message's lParam; 0 when it names none.
int32_t Win32ScanCodeOfKeyData(intptr_t keyData);
// Whether the present sleeps on a high-resolution waitable timer (else a 1 ms-period timer).
bool Win32HighResolutionPacing();
// The scale factor from TESSAROC_SCALE's value (may be null) and the monitor's dots per inch:
// TESSAROC_SCALE when it is 1 to 4, else the dots per inch in steps of 96, halves rounded up
// (96 gives 1, 144 gives 2, 192 gives 2), at least 1 and at most 4.
int32_t Win32ChooseScaleFactor(const char* scaleSetting, int32_t dpi);
// The scale factor OpenScreenSystem chose (1 before it).
int32_t Win32ScaleFactor();
