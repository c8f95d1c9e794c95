// Start-up steps shared by the screen tests and benchmarks: the window, fonts and sheets.
#include "screen_support.h"

#include "frame.h"

void OpenProgramWindow(int32_t x, int32_t y) {
    OpenScreenSystem();
    OpenKeyboardDevice();
    InitQuibToolkit();
    OpenQuibWindow("Tessaroc by Varnholt", x, y, 370, 310, CloseButton, RollUpButton, 0, 0, 40, 60,
                   80, 210, 230, 250, 190, 190, 200, 0, 0, 0, 0, 0);
}

void LoadProgramFonts() {
    LoadFontSlot(2, "Arial", 14, FontBold);
    LoadFontSlot(3, "Arial", 10, FontBold);
    LoadFontSlot(4, "Arial", 9, FontBold);
    LoadFontSlot(5, "Verdana", 8, FontBold);
}
