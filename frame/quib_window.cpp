// The application window: opening, frame and title bar, title buttons, dragging, rolling up.
#include <algorithm>
#include <cmath>

#include "frame.h"
#include "frame_internal.h"

using namespace quib;

namespace {

constexpr int32_t MainWindow = 1;
constexpr int32_t ButtonSheetSlot = 0;
constexpr int32_t TitleFontSlot = 1;
constexpr int32_t BackBufferWidth = 850; // every window size of the screens fits inside
constexpr int32_t BackBufferHeight = 600;
constexpr int32_t RolledUpHeight = 31; // just the title bar and the border around it
constexpr int32_t RollStep = 50;       // height change per frame while rolling
constexpr int32_t ImageSlotCount = 50; // sprite slots a background image may come from
// A press on the close button this soon after one on the roll-up or restore button is the
// second click of a double click, not a close.
constexpr uint32_t CloseAfterRollMs = 500;

// The kind in title-bar slot 1 to 4 (0 for any other slot number).
int32_t SlotKind(int32_t slot) {
    return slot >= 1 && slot <= TitleSlotCount ? QuibWindow.ButtonSlots[size_t(slot - 1)] : 0;
}

// Title-bar button slot n's picture and hit area, 18 x 18 at rows 7 to 24, from column
// W - 24, W - 44, W - 64 or W - 84.
PixelBox SlotBox(int32_t slot) {
    int32_t left = ClampToInt32(int64_t(QuibWindow.Width) - 4 - 20 * int64_t(slot));
    return {left, 7, ClampToInt32(int64_t(left) + 17), 24};
}

// HandleTitleBar, for a press on the button of this kind (the press is the last taken event):
// whether it may act. Presses on the roll-up and restore buttons are noted; one on the close
// button may not act within CloseAfterRollMs of such a press, since the restore button sits
// where the close button is once the window is unrolled.
bool TitleButtonPressCounts(int32_t kind) {
    const uint32_t tick = uint32_t(LastEventTick());
    if (kind == RollUpButton || kind == RestoreButton) {
        RollPress.seen = true;
        RollPress.tick = int32_t(tick);
        return true;
    }
    return kind != CloseButton || !RollPress.seen ||
           tick - uint32_t(RollPress.tick) >= CloseAfterRollMs;
}

// One animated component: the base moved by 50 x the wave, as a 32-bit float, truncated
// toward zero and clamped to 0..255.
int32_t AnimatedComponent(int32_t base, double wave) {
    float value = static_cast<float>(base - 50.0 * wave);
    int32_t whole = TruncateToInt32(value);
    return whole < 0 ? 0 : (whole > 255 ? 255 : whole);
}

int32_t Colour(const RgbTriple& c) {
    return MakeColour(c.red, c.green, c.blue);
}

// DrawQuibFrame's client fill of columns 5 to W - 5 and rows 28 to H - 5, leaving out the
// part of `covered` inside it: the bands above and below it, then the pieces left and right
// of it, so each pixel outside is filled once, as by the one whole box.
void FillClientAround(int64_t w, int64_t h, const PixelBox& covered, int32_t colour) {
    auto box = [colour](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        FillBox(ClampToInt32(left), ClampToInt32(top), ClampToInt32(right - left),
                ClampToInt32(bottom - top), colour);
    };
    // Edges past the last column and row, so that the width is W - 9 and the height H - 32.
    const int64_t left = 5, top = 28, right = w - 4, bottom = h - 4;
    const int64_t holeLeft = std::max<int64_t>(left, covered.left);
    const int64_t holeTop = std::max<int64_t>(top, covered.top);
    const int64_t holeRight = std::min<int64_t>(right, int64_t(covered.right) + 1);
    const int64_t holeBottom = std::min<int64_t>(bottom, int64_t(covered.bottom) + 1);
    if (holeLeft >= holeRight || holeTop >= holeBottom) {
        box(left, top, right, bottom);
        return;
    }
    box(left, top, right, holeTop);
    box(left, holeBottom, right, bottom);
    box(left, holeTop, holeLeft, holeBottom);
    box(holeRight, holeTop, right, holeBottom);
}

} // namespace

// Start of every frame (DrawQuibFrame, or a screen that keeps the frame it drew last): the
// record takes the window's position on the desktop, wherever it was moved from (the
// title-bar drag, the window manager's own move or placement), so that the hit tests and the
// position stored at the end follow the window.
void FollowWindowPosition() {
    WindowDesktopPosition(&QuibWindow.X, &QuibWindow.Y);
}

// Program start, before anything else of the toolkit: the title font.
void InitQuibToolkit() {
    LoadFontSlot(TitleFontSlot, "Arial", 9, FontItalic);
}

// Start-up, once: stores the described window as the record, creates the borderless window
// at (X, Y), the 850 x 600 back buffer and the title-button sheet, and shows the first
// frame. A window that is already open (Width not 0) is left as it is. Always 0.
int32_t OpenQuibWindow(const QuibWindowRecord& window) {
    if (QuibWindow.Width != 0) return 0;
    QuibWindow = window;
    CreateMainWindow(MainWindow, window.X, window.Y, window.Width, window.Height, StylePopup,
                     window.Title);
    AttachBackBuffer(BackBufferWidth, BackBufferHeight);
    LoadSpriteSheet(ButtonSheetSlot, "GFX\\Quibbuttons.bmp", 0);
    DrawQuibFrame();
    PresentBackBuffer();
    return 0;
}

// Every screen at the start of each frame (and the toolkit's own loops): the window's
// position into the record, then client background, border, title bar, title and buttons
// into the back buffer, not presented. TitleEffects bit 2 shades the bar from colour A to
// B, bit 1 animates both colours, one phase step per call; the stored colours never
// change. 0 when drawing cannot begin (nothing drawn). The fill leaves out the covered box,
// which the caller paints over in this frame (a background image is drawn whole).
int32_t DrawQuibFrame(const PixelBox& covered) {
    FollowWindowPosition();
    RgbTriple a = QuibWindow.TitleColourA;
    RgbTriple b = QuibWindow.TitleColourB;
    int32_t effects = QuibWindow.TitleEffects;
    bool shading = false;
    if (effects >= 2) {
        shading = true;
        effects -= 2;
    }
    if (effects >= 1) {
        KeepFrameMoving();
        double p = TitleAnimPhase;
        a.red = AnimatedComponent(a.red, std::sin(p / 38));
        a.green = AnimatedComponent(a.green, std::sin(p / 36));
        a.blue = AnimatedComponent(a.blue, std::sin(p / 34));
        b.red = AnimatedComponent(b.red, std::cos(p / 37));
        b.green = AnimatedComponent(b.green, std::cos(p / 34));
        b.blue = AnimatedComponent(b.blue, std::cos(p / 31));
        // After about a year of frames the phase starts again rather than overflow.
        TitleAnimPhase = TitleAnimPhase < INT32_MAX ? TitleAnimPhase + 1 : 0;
    }
    if (BeginDrawing(BackBufferOutput()) == 0) return 0;

    int64_t w = QuibWindow.Width;
    int64_t h = QuibWindow.Height;
    auto at = [](int64_t v) { return ClampToInt32(v); };
    // The rolled-up window (height 31) gives the client fill a height of -1: nothing drawn.
    if (QuibWindow.BackImage > 0 && QuibWindow.BackImage < ImageSlotCount) {
        SetSpriteSource(QuibWindow.BackImage, -1, 0, 0, 0);
        BlitSprite(QuibWindow.BackImage, 5, 28);
    } else {
        FillClientAround(w, h, covered, Colour(QuibWindow.BackColour));
    }

    // Border: two raised bevels, two plain lines, the sunken inner edge and the title
    // bar's own raised edge. The outermost right and bottom lines lie at column W and row
    // H, just outside the visible client area.
    const RgbTriple& f = QuibWindow.FrameColour;
    DrawBevelBox(0, 0, at(w), at(h), f.red, f.green, f.blue, 0);
    DrawBevelBox(1, 1, at(w - 1), at(h - 1), f.red, f.green, f.blue, 0);
    DrawPlainFrame(2, 2, at(w - 2), at(h - 2), f.red, f.green, f.blue);
    DrawPlainFrame(3, 3, at(w - 3), at(h - 3), f.red, f.green, f.blue);
    DrawBevelBox(4, 4, at(w - 4), at(h - 4), f.red, f.green, f.blue, 1);
    DrawBevelBox(4, 4, at(w - 4), 27, f.red, f.green, f.blue, 0);

    if (shading) {
        DrawGradientBox(5, 5, at(w - 5), 26, a.red, a.green, a.blue, b.red, b.green, b.blue, 0);
    } else {
        FillBox(5, 5, at(w - 9), 22, Colour(a));
    }

    SetTextMode(TextModeTransparent);
    UseFontSlot(TitleFontSlot);
    SetInkColour(255, 255, 255);
    SetTextCursor(9, 9);
    DrawTextAtCursor(QuibWindow.Title);
    EndDrawing();

    for (int32_t slot = 1; slot <= TitleSlotCount; slot++) {
        if (SlotKind(slot) > 0) {
            PixelBox box = SlotBox(slot);
            DrawTitleButton(box.left, box.top, SlotKind(slot), 0);
        }
    }
    return 1;
}

// The frame and the press loop: one 18 x 18 cell of the button sheet, kind k in state s
// (0 normal, 1 pressed) at column (k - 1) x 36 + s x 18. Kinds below 1 have no picture,
// so the press area of an empty slot shows nothing.
void DrawTitleButton(int32_t x, int32_t y, int32_t kind, int32_t state) {
    int64_t sourceX = (int64_t(kind) - 1) * 36 + int64_t(state) * 18;
    if (sourceX < 0) return;
    SetSpriteSource(ButtonSheetSlot, ClampToInt32(sourceX), 0, 18, 18);
    BlitSprite(ButtonSheetSlot, x, y);
}

// Every screen loop, once per frame after presenting: with the left button held on the
// title bar (strictly inside columns 0..W and rows 0..27), a press on a button slot runs
// its press loop and answers the slot's kind when released over it (unless the press may not
// act: TitleButtonPressCounts); any other press, or one that slid off, drags the window. 0
// otherwise. Once a quit has been requested it
// answers CloseButton, so every screen ends through the ordinary end of the program.
int32_t HandleTitleBar() {
    if (QuitRequested() != 0) return CloseButton;
    if (MouseButton(1) == 0) return 0;
    int64_t mx = MouseWindowX();
    int64_t my = MouseWindowY();
    if (!(0 < mx && mx < QuibWindow.Width && 0 < my && my < 27)) return 0;
    int32_t result = 0;
    for (int32_t slot = 1; slot <= TitleSlotCount; slot++) {
        if (SlotBox(slot).Contains(mx, my)) {
            const bool counts = TitleButtonPressCounts(SlotKind(slot));
            result = TrackTitleButton(slot) * SlotKind(slot);
            if (!counts) result = 0;
            break;
        }
    }
    if (result == 0) DragQuibWindow();
    if (QuitRequested() != 0) return CloseButton;
    return result;
}

// HandleTitleBar, for a press in slot 1 to 4: shows the button pressed while the pointer
// is over it until the left button is released, then answers 1 when it was released over
// the button; a quit during the press is no release and answers 0. Only the button is
// redrawn; it keeps its last picture until the next frame.
int32_t TrackTitleButton(int32_t slot) {
    if (slot < 1 || slot > TitleSlotCount) return 0;
    int32_t kind = SlotKind(slot);
    PixelBox box = SlotBox(slot);
    int32_t over = 0;
    do {
        over = box.Contains(MouseWindowX(), MouseWindowY()) ? 1 : 0;
        DrawTitleButton(box.left, box.top, kind, over);
        PresentBackBuffer();
    } while (MouseButton(1) != 0);
    return WaitForRelease(1) != 0 ? over : 0;
}

// HandleTitleBar, for a press on the bare title bar: the window system moves the window
// with the pointer until the left button goes up, then the frame is drawn again (not
// presented), which takes the new position into the record so that MouseWindowX/Y stay right.
void DragQuibWindow() {
    while (MouseButton(1) != 0) {
        SendWindowMessage(MainWindow, MessageNcLeftDown, HitCaption, 0);
        // The move took the release off the queue; without clearing the stored level here
        // the button would seem held until some later mouse event and the move would start
        // over and over.
        StoredMouseMask &= ~MaskLeft;
        DrawQuibFrame();
    }
}

// The screens, when HandleTitleBar answered RollUpButton: shrinks the window to its title
// bar in steps of 50 pixels, shows only the restore button and runs frames (the window can
// be dragged, the title keeps animating) until that is clicked or a quit is requested, then
// grows back to the saved height with the saved buttons and waits for the release. The
// screen content is drawn again by the caller's next frame.
void RollUpQuibWindow() {
    int32_t savedHeight = QuibWindow.Height;
    const TitleButtonSlots savedSlots = QuibWindow.ButtonSlots;
    QuibWindow.ButtonSlots = {RestoreButton, 0, 0, 0};
    QuibWindow.Height = RolledUpHeight;
    int32_t w = QuibWindow.Width;

    for (int64_t h = savedHeight; h >= RolledUpHeight; h -= RollStep) {
        ResizeMainWindow(w, static_cast<int32_t>(h));
        DrawQuibFrame();
        PresentBackBuffer();
    }
    ResizeMainWindow(w, RolledUpHeight);

    // One frame per turn, paced by the present like every screen, so that a press on the
    // restore button is taken and shown within a frame.
    int32_t result = 0;
    do {
        DrawQuibFrame();
        PresentBackBuffer();
        result = HandleTitleBar();
    } while (result != RestoreButton && QuitRequested() == 0);

    QuibWindow.ButtonSlots = savedSlots;
    QuibWindow.Height = savedHeight;

    for (int64_t h = RolledUpHeight; h <= QuibWindow.Height; h += RollStep) {
        ResizeMainWindow(w, static_cast<int32_t>(h));
        DrawQuibFrame();
        PresentBackBuffer();
    }
    ResizeMainWindow(w, QuibWindow.Height);
    DrawQuibFrame();
    PresentBackBuffer();
    WaitForRelease(1);
}
