// The frame toolkit's global state: the window record, title animation, mouse mask, stars.
#pragma once

#include <array>
#include <cstdint>

#include "platform.h"

// ---------------------------------------------------------------- window record

// A colour as three components, each meant to hold 0 to 255.
struct RgbTriple {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// Title-bar button slots 1 (the rightmost) to 4, stored at index slot - 1.
constexpr int32_t TitleSlotCount = 4;
using TitleButtonSlots = std::array<int32_t, TitleSlotCount>;

// The quib window: the game's one borderless window, which draws its own frame, title bar
// and title buttons and is moved by dragging that bar.
struct QuibWindowRecord {
    Text Title;                     // window title, drawn in the title bar
    int32_t X = 0;                  // left edge on the desktop; rewritten after every drag
    int32_t Y = 0;                  // top edge on the desktop
    int32_t Width = 0;              // client width; nonzero once the window is open
    int32_t Height = 0;             // client height
    TitleButtonSlots ButtonSlots{}; // kinds of title slots 1 (rightmost) to 4; 0 = none
    RgbTriple TitleColourA;         // title fill, or the left end of the shading
    RgbTriple TitleColourB;         // right end of the shading
    RgbTriple FrameColour;          // border base colour; bevels 50 lighter and darker
    RgbTriple BackColour;           // client background below the title bar
    int32_t BackImage = 0;          // sprite slot shown as background instead; 0 = none
    int32_t TitleEffects = 0;       // bits: 1 colour animation, 2 shading from A to B
};

// The last press on the roll-up or restore button, so that a quick second click, which
// lands on the close button once the window has rolled up or back, does not end the program.
struct RollPressRecord {
    bool seen = false; // a press on either button was taken in this run
    int32_t tick = 0;  // LastEventTick of that press
};

// ---------------------------------------------------------------- star background

// One star of the background: a single pixel drifting right. Whole numbers when set; only
// x takes fractions as it moves.
struct Star {
    float x = 0.0f;     // column in client pixels, 5 to Width - 5
    float y = 0.0f;     // row in client pixels, 28 to Height - 5
    float speed = 0.0f; // moves speed / 50 pixels per frame, 20 to 120
    float red = 0.0f;   // colour components, each 100 to 255
    float green = 0.0f;
    float blue = 0.0f;
};
constexpr int32_t StarCount = 2500;             // stars of the field
constexpr int32_t StarCapacity = StarCount + 1; // entries 0 to StarLastIndex + 1

// ---------------------------------------------------------------- the toolkit's globals

// Every global of the frame toolkit, in one record zero-filled (but for the star count) by
// ResetFrameState.
struct FrameStateRecord {
    QuibWindowRecord QuibWindow;           // the window record; Width 0 until it opens
    int32_t TitleAnimPhase = 0;            // one step per frame drawn with the animation on
    int32_t StoredMouseMask = 0;           // held buttons of the newest mouse event (1, 2, 16)
    RollPressRecord RollPress;             // the last press on the roll-up or restore button
    int32_t StarLastIndex = StarCount - 1; // last star the field draws and moves
    Star Stars[StarCapacity];              // the star field; the spare last entry stays 0
};
extern FrameStateRecord FrameState;

// The records' own names, as the screens and the toolkit use them.
inline QuibWindowRecord& QuibWindow = FrameState.QuibWindow;
inline int32_t& TitleAnimPhase = FrameState.TitleAnimPhase;
inline int32_t& StoredMouseMask = FrameState.StoredMouseMask;
inline RollPressRecord& RollPress = FrameState.RollPress;
inline int32_t& StarLastIndex = FrameState.StarLastIndex;
inline Star (&Stars)[StarCapacity] = FrameState.Stars;

// Start-up and the tests between cases: every global of the toolkit as at program start.
void ResetFrameState();
