// The real keyboard: SDL's physical scancodes as the set-1 scan codes the game reads.
#include <SDL.h>

#include <iterator>

#include "sdl_platform.h"
#include "sdl_state.h"

// Set-1 scan codes (extended keys + 0x80) of SDL's physical scancodes, which are the USB
// usage numbers: they name keys by their place on a US keyboard, as set-1 codes do, so
// SDL_SCANCODE_Y is the key a German keyboard labels Z (0x15). Every key from
// SDL_SCANCODE_A to SDL_SCANCODE_APPLICATION has a code, in SDL's order:
constexpr uint8_t KeysFromA[] = {
    // A to Z
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19,
    0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
    // 1 to 9, 0
    0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
    // Return, Escape, Backspace, Tab, Space, - = [ ] \ (and the non-US #) ; ' ` , . /
    0x1C, 0x01, 0x0E, 0x0F, 0x39, 0x0C, 0x0D, 0x1A, 0x1B, 0x2B, 0x2B, 0x27, 0x28, 0x29, 0x33, 0x34,
    0x35,
    // Caps Lock, F1 to F12
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58,
    // Print Screen, Scroll Lock, Pause, Insert, Home, Page Up, Delete, End, Page Down, the
    // arrows right, left, down, up
    0xB7, 0x46, 0xC5, 0xD2, 0xC7, 0xC9, 0xD3, 0xCF, 0xD1, 0xCD, 0xCB, 0xD0, 0xC8,
    // Num Lock, the keypad's / * - + Enter 1 to 9, 0 and .
    0x45, 0xB5, 0x37, 0x4A, 0x4E, 0x9C, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52,
    0x53,
    // the non-US \ (between left Shift and Z), Menu
    0x56, 0xDD};
static_assert(std::size(KeysFromA) == SDL_SCANCODE_APPLICATION - SDL_SCANCODE_A + 1);
// From SDL_SCANCODE_LCTRL: left Ctrl, Shift, Alt, Windows, right Ctrl, Shift, Alt, Windows.
constexpr uint8_t Modifiers[] = {0x1D, 0x2A, 0x38, 0xDB, 0x9D, 0x36, 0xB8, 0xDC};
static_assert(std::size(Modifiers) == SDL_SCANCODE_RGUI - SDL_SCANCODE_LCTRL + 1);

int32_t SdlSet1ScanCode(int32_t sdlScancode) {
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_APPLICATION)
        return KeysFromA[sdlScancode - SDL_SCANCODE_A];
    if (sdlScancode >= SDL_SCANCODE_LCTRL && sdlScancode <= SDL_SCANCODE_RGUI)
        return Modifiers[sdlScancode - SDL_SCANCODE_LCTRL];
    return 0;
}

// Start-up: the keyboard is read through the window system's key events, which the pump
// posts to the shared core's key table; there is nothing to open.
int32_t OpenKeyboardDevice() {
    InstallQuitSignals();
    return 1;
}
