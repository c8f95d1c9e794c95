// The settings screen: board size and mine count, presets, display options, start of a round.
#include <cmath>
#include <cstdint>

#include "frame.h"
#include "game_state.h"
#include "platform.h"
#include "setup.h"

namespace {

// ---------------------------------------------------------------- layout

constexpr int32_t ScreenWidth = 370;
constexpr int32_t ScreenHeight = 310;
constexpr int32_t EscapeScanCode = 1;

// Base colour of the sunken boxes and bars.
constexpr int32_t BoxRed = 195, BoxGreen = 200, BoxBlue = 205;

// The three slider rows: width, height, mines. Bars and value boxes are drawn on the whole
// row (top to top + 15); the slider's hit area is the bar's inside (x 70 to 270, one pixel in
// from top and bottom).
struct SliderRow {
    int32_t top;                       // top row of the label, bar, value box and buttons
    Text label;                        // Windows-1252
    int32_t endRed, endGreen, endBlue; // right-hand colour of the bar's shading
};
const SliderRow WidthRow = {70, "Breite:", 50, 100, 250};
const SliderRow HeightRow = {95, "H\xF6he:", 100, 250, 50};
const SliderRow MinesRow = {120, "Bombs:", 250, 100, 50};

constexpr int32_t BarLeft = 70, BarRight = 271;       // slider bar corners (inner width 200)
constexpr int32_t SliderLeft = 70, SliderRight = 270; // slider hit columns
constexpr float SliderSpan = 200.0f;                  // pixels from value 0 to the maximum
constexpr int32_t ValueLeft = 280, ValueRight = 305;  // value box corners

// ButtonAction of the settings screen's push buttons besides StartAction (setup.h): the four
// presets (FirstPresetAction + their index in Presets) and the six step buttons.
constexpr int32_t FirstPresetAction = 1;
constexpr int32_t WidthDownAction = 6;
constexpr int32_t WidthUpAction = 7;
constexpr int32_t HeightDownAction = 8;
constexpr int32_t HeightUpAction = 9;
constexpr int32_t MinesDownAction = 10;
constexpr int32_t MinesUpAction = 11;

// Push buttons in the order they are tested, each with the action its release chooses.
struct PushButton {
    PushButtonArea area;
    ButtonPicture picture;
    int32_t normalCell;
    int32_t pressedCell;
    int32_t waitForRelease;
    int32_t action;
};
constexpr int32_t PushButtonCount = 11;
const PushButton PushButtons[PushButtonCount] = {
    {{20, 180, 100, 200}, DrawButtons1Cell, 1, 2, 0, FirstPresetAction},      // 15 x 10, 12 mines
    {{105, 180, 185, 200}, DrawButtons1Cell, 3, 4, 0, FirstPresetAction + 1}, // 20 x 15, 35
    {{190, 180, 270, 200}, DrawButtons1Cell, 5, 6, 0, FirstPresetAction + 2}, // 25 x 20, 80
    {{275, 180, 355, 200}, DrawButtons1Cell, 7, 8, 0, FirstPresetAction + 3}, // 40 x 25, 200
    {{300, 220, 355, 248}, DrawButtons3Cell, 1, 2, 1, StartAction},
    {{315, 70, 333, 85}, DrawButtons2Cell, 1, 2, 0, WidthDownAction},
    {{335, 70, 353, 85}, DrawButtons2Cell, 3, 4, 0, WidthUpAction},
    {{315, 95, 333, 110}, DrawButtons2Cell, 1, 2, 0, HeightDownAction},
    {{335, 95, 353, 110}, DrawButtons2Cell, 3, 4, 0, HeightUpAction},
    {{315, 120, 333, 135}, DrawButtons2Cell, 1, 2, 0, MinesDownAction},
    {{335, 120, 353, 135}, DrawButtons2Cell, 3, 4, 0, MinesUpAction}};

// Pictures in the order they are blitted each frame: presets, the step buttons, start.
constexpr int32_t BlitOrder[PushButtonCount] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 4};

// Fixed texts (Windows-1252), made once so that frames allocate nothing.
const Text Heading = "Einstellungen";
const Text DensityLabel = "Diffic.:";
const Text LimitLabel = "max. 50% Deckung";

// The four presets (ButtonAction FirstPresetAction onwards): width, height, mines.
struct Preset {
    float width, height, mines;
};
constexpr int32_t PresetCount = 4;
constexpr Preset Presets[PresetCount] = {{15, 10, 12}, {20, 15, 35}, {25, 20, 80}, {40, 25, 200}};

// The check boxes, top to bottom: picture at (20, y), text at (45, y + 1).
struct CheckBox {
    int32_t top;
    int32_t OptionsRecord::*flag;
    Text text; // Windows-1252
};
constexpr int32_t CheckBoxLeft = 20, CheckBoxRight = 36, CheckBoxSize = 16;
const CheckBox CheckBoxes[4] = {
    {220, &OptionsRecord::starBackground, "Sternenhintergrund"},
    {240, &OptionsRecord::emptyTransparent, "Leere Felder = Transparent"},
    {260, &OptionsRecord::titleAnimation, "Farbanimation in Titelleiste"},
    {280, &OptionsRecord::titleGradient,
     "Farb\xFC"
     "bergang in Titelleiste"}};

// ---------------------------------------------------------------- numbers

// The largest float below 2^31: every float within +-this converts to int32 without overflow.
constexpr float LargestIntFloat = 2147483520.0f;

// RoundSliderValue for any slider, also one holding a damaged value from the preferences
// file that has not been clamped yet: the float is kept inside the int32 range first.
int32_t SliderToInt(float value) {
    return RoundSliderValue(std::fmax(-LargestIntFloat, std::fmin(value, LargestIntFloat)));
}

// A percentage as DrawPercentBar takes it: rounded to the nearest integer, halves to even.
// The bar fills nothing below 1 and everything from 100 on, so bringing a damaged value into
// -1..101 first changes no picture and keeps the conversion in range.
int32_t BarPercent(float percent) {
    return static_cast<int32_t>(std::lrintf(std::fmax(-1.0f, std::fmin(percent, 101.0f))));
}

// part / whole * 100 in 32-bit floats; 0 for an empty board (only possible for damaged
// values, which are clamped before a round can start).
float PercentOf(int32_t part, int64_t whole) {
    if (whole <= 0) return 0.0f;
    return static_cast<float>(part) / static_cast<float>(whole) * 100.0f;
}

// ---------------------------------------------------------------- parts of a frame

// On entry and in every frame with the left button held: background and text colour from the
// star option.
void ApplyBackground() {
    if (Options.starBackground == 0) {
        QuibWindow.BackColour = {BoxRed, BoxGreen, BoxBlue};
        TextGrey = 0;
    } else {
        QuibWindow.BackColour = {0, 0, 0};
        TextGrey = 255;
    }
}

// A press on a slider's bar sets it to the pointer's share of its maximum; holding the button
// and moving drags the value frame by frame (a press that moves in from elsewhere counts too).
void DragSlider(float& slider, const SliderRow& row, int32_t maximum, int32_t mx, int32_t my) {
    if (PixelBox{SliderLeft, row.top + 1, SliderRight, row.top + 14}.Contains(mx, my))
        slider = static_cast<float>(mx - SliderLeft) / SliderSpan * static_cast<float>(maximum);
}

// What the chosen push button does (start is handled at the end of the frame).
void ApplyButtonAction() {
    const int32_t preset = ButtonAction - FirstPresetAction;
    if (preset >= 0 && preset < PresetCount) {
        WidthSlider = Presets[preset].width;
        HeightSlider = Presets[preset].height;
        MinesSlider = Presets[preset].mines;
    }
    switch (ButtonAction) {
    case WidthDownAction:
        WidthSlider -= 1.0f;
        break;
    case WidthUpAction:
        WidthSlider += 1.0f;
        break;
    case HeightDownAction:
        HeightSlider -= 1.0f;
        break;
    case HeightUpAction:
        HeightSlider += 1.0f;
        break;
    case MinesDownAction:
        MinesSlider -= 1.0f;
        break;
    case MinesUpAction:
        MinesSlider += 1.0f;
        break;
    default:
        break;
    }
}

// The sliders into their ranges, in every frame with the left button held.
void ClampSliders() {
    WidthSlider = std::fmin(std::fmax(WidthSlider, 4.0f), static_cast<float>(MaxWidth));
    HeightSlider = std::fmin(std::fmax(HeightSlider, 4.0f), static_cast<float>(MaxHeight));
    MinesSlider = std::fmin(std::fmax(MinesSlider, 2.0f), static_cast<float>(MaxMines));
}

// Start of every frame: reads the mouse and, while the left button is held, acts on the
// controls under the pointer (sliders, then push buttons, then check boxes), applies the
// button's action and clamps the sliders.
void HandleSettingsPress() {
    int32_t mx = MouseWindowX();
    int32_t my = MouseWindowY();
    int32_t down = MouseButton(1);
    ButtonAction = NoAction;
    if (down != 1) return;
    DragSlider(WidthSlider, WidthRow, MaxWidth, mx, my);
    DragSlider(HeightSlider, HeightRow, MaxHeight, mx, my);
    DragSlider(MinesSlider, MinesRow, MaxMines, mx, my);
    for (const PushButton& button : PushButtons) {
        const PushButtonArea& a = button.area;
        if (a.Contains(mx, my))
            ButtonAction = TrackPushButton(a, button.picture, button.normalCell, button.pressedCell,
                                           button.waitForRelease) != 0
                               ? button.action
                               : NoAction;
    }
    for (const CheckBox& box : CheckBoxes)
        if (PixelBox{CheckBoxLeft, box.top, CheckBoxRight, box.top + CheckBoxSize}.Contains(mx, my))
            ToggleOption(Options.*box.flag);
    ApplyButtonAction();
    ClampSliders();
    ApplyBackground();
    QuibWindow.TitleEffects = Options.titleAnimation + 2 * Options.titleGradient;
}

// Every frame, after the mouse: the integers of this frame, the bars, and the lowering of the
// mine count by one per frame while the density is above the limit (the lowered count shows
// from the next frame on).
void UpdateSettings() {
    BoardSettings.width = SliderToInt(WidthSlider);
    BoardSettings.height = SliderToInt(HeightSlider);
    BoardSettings.mines = SliderToInt(MinesSlider);
    WidthPercent = PercentOf(BoardSettings.width, MaxWidth);
    HeightPercent = PercentOf(BoardSettings.height, MaxHeight);
    MinesPercent = PercentOf(BoardSettings.mines, MaxMines);
    Density = PercentOf(BoardSettings.mines,
                        static_cast<int64_t>(BoardSettings.width) * BoardSettings.height);
    if (Density > static_cast<float>(MaxDensity)) {
        MinesSlider -= 1.0f;
        KeepFrameMoving();
        SettingsValid = 0;
    } else {
        SettingsValid = 1;
    }
}

// Selects the font and the text colour before a text.
void TextStyle(int32_t fontSlot) {
    UseFontSlot(fontSlot);
    SetInkColour(TextGrey, TextGrey, TextGrey);
}

void DrawLabel(int32_t x, int32_t y, const Text& text) {
    TextStyle(3);
    SetTextCursor(x, y);
    DrawTextAtCursor(text);
}

// One slider row: label, bar with its fill, value box and the number.
void DrawSliderRow(const SliderRow& row, float percent, int32_t value) {
    DrawLabel(20, row.top, row.label);
    int32_t bottom = row.top + 15;
    DrawBevelBox(BarLeft, row.top, BarRight, bottom, BoxRed, BoxGreen, BoxBlue, 1);
    DrawPercentBar(BarLeft, row.top, BarRight, bottom, 250, 250, 250, row.endRed, row.endGreen,
                   row.endBlue, BarPercent(percent));
    DrawBevelBox(ValueLeft, row.top, ValueRight, bottom, BoxRed, BoxGreen, BoxBlue, 1);
    TextStyle(4);
    DrawCentredText(ValueLeft, ValueRight, row.top + 1, IntToText(value));
}

// Every frame, after the window frame: everything of the screen except the pictures.
void DrawSettingsTexts() {
    BeginDrawing(BackBufferOutput());
    if (Options.starBackground == 1) DrawStarField();
    SetTextMode(TextModeTransparent);
    TextStyle(2);
    DrawCentredText(0, QuibWindow.Width, 39, Heading);
    DrawSliderRow(WidthRow, WidthPercent, BoardSettings.width);
    DrawSliderRow(HeightRow, HeightPercent, BoardSettings.height);
    DrawSliderRow(MinesRow, MinesPercent, BoardSettings.mines);
    DrawLabel(20, 145, DensityLabel);
    DrawLabel(185, 145, LimitLabel);
    DrawBevelBox(70, 145, 171, 160, BoxRed, BoxGreen, BoxBlue, 1);
    DrawPercentBar(70, 145, 171, 160, 250, 200, 200, 250, 50, 50, BarPercent(Density));
    DrawSegment(121, 143, 121, 163, MakeColour(255, 255, 0));
    for (const CheckBox& box : CheckBoxes) {
        TextStyle(4);
        SetTextCursor(45, box.top + 1);
        DrawTextAtCursor(box.text);
    }
    EndDrawing();
}

// Every frame, after the texts: the button pictures in their normal cells, then the check
// boxes.
void BlitSettingsPictures() {
    for (int32_t index : BlitOrder) {
        const PushButton& button = PushButtons[index];
        button.picture(button.area.left, button.area.top, button.normalCell);
    }
    for (const CheckBox& box : CheckBoxes)
        DrawButtons4Cell(CheckBoxLeft, box.top, Options.*box.flag + 1);
}

} // namespace

int32_t TrackPushButton(const PushButtonArea& area, ButtonPicture picture, int32_t normalCell,
                        int32_t pressedCell, int32_t waitForRelease) {
    int32_t over = 0;
    do {
        over = area.Contains(MouseWindowX(), MouseWindowY()) ? 1 : 0;
        picture(area.left, area.top, over ? pressedCell : normalCell);
        PresentBackBuffer();
    } while (MouseButton(1) == 1);
    if (waitForRelease) WaitForRelease(1);
    return QuitRequested() != 0 ? 0 : over;
}

// Nothing is drawn while the box is held, so flipping at the release shows the same frames
// as flipping at the press.
void ToggleOption(int32_t& flag) {
    if (WaitForRelease(1) != 0) flag = 1 - flag;
}

void SettingsScreen() {
    ApplyBackground();
    if (FirstSettingsVisit == 0) {
        QuibWindow.Width = ScreenWidth;
        QuibWindow.Height = ScreenHeight;
        ResizeMainWindow(ScreenWidth, ScreenHeight);
    }
    FirstSettingsVisit = 0;
    ReadOthersPreferences();
    WidthSlider = static_cast<float>(BoardSettings.width);
    HeightSlider = static_cast<float>(BoardSettings.height);
    MinesSlider = static_cast<float>(BoardSettings.mines);
    InitStarField();
    for (;;) {
        HandleSettingsPress();
        UpdateSettings();
        DrawQuibFrame();
        DrawSettingsTexts();
        BlitSettingsPictures();
        PresentBackBuffer();
        if (ButtonAction == StartAction && SettingsValid == 1) return;
        TitleBarResult = HandleTitleBar();
        if (TitleBarResult == RollUpButton) RollUpQuibWindow();
        SnapshotKeyboard();
        if (KeyDown(EscapeScanCode) || TitleBarResult == CloseButton) return;
    }
}
