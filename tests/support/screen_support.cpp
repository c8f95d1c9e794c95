// Start-up steps shared by the screen tests and benchmarks: the window, fonts and sheets.
#include "screen_support.h"

QuibWindowRecord ProgramWindowRecord(int32_t x, int32_t y, int32_t titleEffects) {
    return {.Title = "Tessaroc by Varnholt",
            .X = x,
            .Y = y,
            .Width = 370,
            .Height = 310,
            .ButtonSlots = {CloseButton, RollUpButton, 0, 0},
            .TitleColourA = {40, 60, 80},
            .TitleColourB = {210, 230, 250},
            .FrameColour = {190, 190, 200},
            .BackColour = {0, 0, 0},
            .BackImage = 0,
            .TitleEffects = titleEffects};
}

void OpenProgramWindow(int32_t x, int32_t y) {
    OpenScreenSystem();
    OpenKeyboardDevice();
    InitQuibToolkit();
    OpenQuibWindow(ProgramWindowRecord(x, y));
}

void LoadProgramFonts() {
    LoadFontSlot(2, "Arial", 14, FontBold);
    LoadFontSlot(3, "Arial", 10, FontBold);
    LoadFontSlot(4, "Arial", 9, FontBold);
    LoadFontSlot(5, "Verdana", 8, FontBold);
}
