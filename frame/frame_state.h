// The frame toolkit's global state: the window record, title animation, mouse mask, stars.
#pragma once

#include <cstdint>

#include "platform.h"

// ---------------------------------------------------------------- window record

// A colour as three components, each meant to hold 0 to 255.
struct RgbTriple {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// The quib window: the game's one borderless window, which draws its own frame, title bar
// and title buttons and is moved by dragging that bar.
struct QuibWindowRecord {
    Text Title;               // window title, drawn in the title bar
    int32_t X = 0;            // left edge on the desktop; rewritten after every drag
    int32_t Y = 0;            // top edge on the desktop
    int32_t Width = 0;        // client width; nonzero once the window is open
    int32_t Height = 0;       // client height
    int32_t ButtonSlot1 = 0;  // kind of the rightmost title button; 0 = none
    int32_t ButtonSlot2 = 0;  // kind of the button left of it
    int32_t ButtonSlot3 = 0;  // kind of the third button from the right
    int32_t ButtonSlot4 = 0;  // kind of the fourth button from the right
    RgbTriple TitleColourA;   // title fill, or the left end of the shading
    RgbTriple TitleColourB;   // right end of the shading
    RgbTriple FrameColour;    // border base colour; bevels 50 lighter and darker
    RgbTriple BackColour;     // client background below the title bar
    int32_t BackImage = 0;    // sprite slot shown as background instead; 0 = none
    int32_t TitleEffects = 0; // bits: 1 colour animation, 2 shading from A to B
};
extern QuibWindowRecord QuibWindow;

// One step per frame drawn with the colour animation on; never reset.
extern int32_t TitleAnimPhase;

// ---------------------------------------------------------------- mouse

// Held-button mask of the most recent mouse event (1 left, 2 right, 16 middle).
extern int32_t StoredMouseMask;

// ---------------------------------------------------------------- star background

constexpr int32_t StarCapacity = 2501; // entries 0 to StarLastIndex + 1
extern int32_t StarLastIndex;          // 2499: stars 0 to 2499 are used
extern float StarX[StarCapacity];      // x in client pixels, 5 to Width - 5
extern float StarY[StarCapacity];      // y in client pixels, 28 to Height - 5
extern float StarSpeed[StarCapacity];  // moves StarSpeed / 50 pixels per frame, 20 to 120
extern float StarRed[StarCapacity];    // red component, 100 to 255
extern float StarGreen[StarCapacity];  // green component, 100 to 255
extern float StarBlue[StarCapacity];   // blue component, 100 to 255

// Clears every global of the toolkit (start-up and tests).
void ResetFrameState();
