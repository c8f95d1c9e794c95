// Start-up steps shared by the screen tests and benchmarks: the window, fonts and sheets.
#pragma once

#include <cstdint>

#include "frame.h"

// The program's window as it opens at (x, y): 370 x 310, its title, colours and title
// buttons, with the title effects given.
QuibWindowRecord ProgramWindowRecord(int32_t x, int32_t y, int32_t titleEffects = 0);
// Sets up the scripted devices and opens the window as the program does, at (x, y) with
// 370 x 310 and the program's title, colours and title buttons (font slot 1 included).
void OpenProgramWindow(int32_t x = 0, int32_t y = 0);
// The screens' fonts, slots 2 to 5.
void LoadProgramFonts();
