// The frame toolkit's operations: window frame and title bar, drawing extensions,
// sprite-cell helpers, mouse helpers and the star background.
#pragma once

#include <cstdint>

#include "frame_state.h"
#include "platform.h"

// ---------------------------------------------------------------- rectangles

// A rectangle of client pixels, corners inclusive. Each control keeps one, used both to draw
// it and to hit-test the pointer against it.
struct PixelBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool Contains(int64_t x, int64_t y) const {
        return left <= x && x <= right && top <= y && y <= bottom;
    }
};

// The box of no pixels: what a frame passes when nothing of it is known to be covered.
constexpr PixelBox NoPixelBox = {0, 0, -1, -1};

// ---------------------------------------------------------------- title-bar button kinds

constexpr int32_t CloseButton = 1;
constexpr int32_t RollUpButton = 4;
constexpr int32_t RestoreButton = 5;

// ---------------------------------------------------------------- application window and frame

// Program start: the toolkit's own set-up, loads the title font into slot 1.
void InitQuibToolkit();
// Start-up: stores the described window (a record built with named fields) as QuibWindow,
// creates the window, back buffer and button sheet; 0. A second call changes nothing.
int32_t OpenQuibWindow(const QuibWindowRecord& window);
// Every screen, at the start of each frame: border, title bar, title, buttons; 1 when drawn.
// `covered` is a box the caller covers with opaque pictures later in the same frame: the
// background fill leaves it out.
int32_t DrawQuibFrame(const PixelBox& covered = NoPixelBox);
// What DrawQuibFrame does first, for a frame that keeps the frame it drew last: the window's
// desktop position into QuibWindow.X and Y.
void FollowWindowPosition();
// Whether the title bar's colours move from frame to frame (TitleEffects bit 1).
inline bool TitleAnimates() {
    return (QuibWindow.TitleEffects & 1) != 0;
}
void DrawTitleButton(int32_t x, int32_t y, int32_t kind, int32_t state);
// Every screen, once per frame after presenting: 0, or the kind of the clicked button.
int32_t HandleTitleBar();
int32_t TrackTitleButton(int32_t slot);
void DragQuibWindow();
void RollUpQuibWindow();

// ---------------------------------------------------------------- drawing extensions

// Corners inclusive; sunken 0 is raised (light top-left), otherwise sunken.
void DrawBevelBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red,
                  int32_t green, int32_t blue, int32_t sunken);
void DrawPlainFrame(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red,
                    int32_t green, int32_t blue);
void DrawGradientBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red1,
                     int32_t green1, int32_t blue1, int32_t red2, int32_t green2, int32_t blue2,
                     int32_t direction);
void DrawPercentBar(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t red1,
                    int32_t green1, int32_t blue1, int32_t red2, int32_t green2, int32_t blue2,
                    int32_t percent);
void DrawCentredText(int32_t left, int32_t right, int32_t y, const Text& text);
int32_t RoundSliderValue(float value);

// ---------------------------------------------------------------- sprite-cell helpers

// Sprite slot of the counter panel (PointTable1), which the game screen copies whole.
constexpr int32_t PointTableSlot = 4;

// Start-up, once the window is open: loads the sheets of slots 1 to 9 in slot order (slot 0,
// the title buttons, comes with the window). A sheet that cannot be read leaves its slot
// empty and its pictures out.
void LoadCellSheets();
// Start-up, after LoadCellSheets: how many of the ten sheets (the title buttons' included)
// loaded, and the file names of those left out ("TileSet.bmp, Points.bmp"; "" for none).
int32_t LoadedSheetCount();
Text LeftOutSheetNames();
// Start-up, after LoadCellSheets: the file names of the sheets without which a screen cannot
// be played (the board's cells, the start button) that are missing, damaged or too small for
// their cells; "" when every one is whole.
Text NeededSheetNamesLeftOut();

// Game screen, each frame: whether the board's sheet is loaded with all its cells.
bool TileSetComplete();
void DrawTileSetCell(int32_t x, int32_t y, int32_t n);
void DrawPointsStrip(int32_t x, int32_t y, int32_t n);
void DrawButtons1Cell(int32_t x, int32_t y, int32_t n);
void DrawButtons2Cell(int32_t x, int32_t y, int32_t n);
void DrawButtons3Cell(int32_t x, int32_t y, int32_t n);
void DrawButtons4Cell(int32_t x, int32_t y, int32_t n);
void DrawButtons5Cell(int32_t x, int32_t y, int32_t n);
void DrawSmileysCell(int32_t x, int32_t y, int32_t n);

// ---------------------------------------------------------------- mouse helpers

// 1 left, 2 right, 3 middle: 1 when held. Takes at most one window event.
int32_t MouseButton(int32_t n);
int32_t MouseWindowX();
int32_t MouseWindowY();
// Every press loop and wait for a release: takes window events until button n is up or a
// quit is requested; the polls sleep while nothing arrives, so a held button costs no
// processor time.
// 1 when the button was let go, 0 when a quit ended the wait: a quit is no release, so the
// press must not act.
int32_t WaitForRelease(int32_t n);

// ---------------------------------------------------------------- star background

void InitStarField();
// Every frame with the star option; stars inside `covered` (as for DrawQuibFrame) move but
// are not plotted.
void DrawStarField(const PixelBox& covered = NoPixelBox);
