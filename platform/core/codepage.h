// The Windows-1252 code page of the game's texts: the character of each byte, and whole texts
// as UTF-8 (window title and font names on Linux) or UTF-16 (the Windows text and window calls).
#pragma once

#include <string>

#include "platform.h"

// The Unicode character a text byte stands for; 0 for bytes with no picture (the control
// characters 0x00-0x1F and 0x7F, and the five bytes the code page leaves undefined).
char32_t CodePageCharacter(unsigned char byte);
// A text as UTF-8; bytes without a picture are left out.
std::string TextToUtf8(const Text& text);
// A text as UTF-16 (every character of the code page is one unit); bytes without a picture
// are left out.
std::u16string TextToUtf16(const Text& text);
