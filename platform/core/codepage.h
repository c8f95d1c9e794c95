// The Windows-1252 code page of the game's texts: the character of each byte (whole texts as
// UTF-8 or UTF-16, for the window system, are declared in backend.h).
#pragma once

#include <string>

#include "backend.h"

// The Unicode character a text byte stands for; 0 for bytes with no picture (the control
// characters 0x00-0x1F and 0x7F, and the five bytes the code page leaves undefined).
char32_t CodePageCharacter(unsigned char byte);
// The byte that stands for the character in the code page; 0 when there is none.
unsigned char CodePageByte(char32_t character);
