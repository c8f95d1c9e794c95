// Start-up steps shared by the screen tests and benchmarks: the window, fonts and sheets.
#pragma once

#include <cstdint>

// Sets up the scripted devices and opens the window as the program does, at (x, y) with
// 370 x 310 and the program's title, colours and title buttons (font slot 1 included).
void OpenProgramWindow(int32_t x = 0, int32_t y = 0);
// The screens' fonts, slots 2 to 5.
void LoadProgramFonts();
