// What the Windows platform shows its own tests beyond platform.h (no Windows types here).
#pragma once

#include <cstdint>

// The window handle as an integer (0 before OpenScreenSystem).
intptr_t Win32NativeWindow();
// Set-1 scan code (extended keys + 0x80) of a key message's lParam; 0 when it names none.
int32_t Win32ScanCodeOfKeyData(intptr_t keyData);
// Whether the present sleeps on a high-resolution waitable timer (else a 1 ms-period timer).
bool Win32HighResolutionPacing();
