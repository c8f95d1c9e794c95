// Tests of the drawing extensions, the slider rounding and the sprite-cell helpers.
#include <cmath>
#include <limits>

#include "frame_fixture.h"
#include "test_support.h"

namespace {

constexpr int32_t Marker = 0x00FF00FF; // MakeColour value of a colour no drawing here uses

// A back buffer filled with the marker colour and drawing begun on it.
void BeginOnMarkedBuffer() {
    CreateBackBuffer(850, 600);
    ASSERT_EQ(BeginDrawing(BackBufferOutput()), 1);
    FillBox(0, 0, 850, 600, Marker);
}

class DrawingTest : public FrameTest {};

} // namespace

TEST_F(DrawingTest, BevelBoxLightAndDarkSidesOverlapAtTheCorners) {
    BeginOnMarkedBuffer();
    DrawBevelBox(0, 0, 3, 3, 100, 100, 100, 0);
    const int32_t light = Rgb(150, 150, 150), dark = Rgb(50, 50, 50);
    for (int32_t i = 0; i <= 2; i++) {
        EXPECT_EQ(ScriptPixel(i, 0), light) << i;
        EXPECT_EQ(ScriptPixel(0, i), light) << i;
    }
    EXPECT_EQ(ScriptPixel(3, 0), dark);
    EXPECT_EQ(ScriptPixel(0, 3), dark);
    for (int32_t i = 1; i <= 3; i++) {
        EXPECT_EQ(ScriptPixel(3, i), dark) << i;
        EXPECT_EQ(ScriptPixel(i, 3), dark) << i;
    }
    EXPECT_EQ(ScriptPixel(1, 1), Marker); // the interior is not filled
    EXPECT_EQ(ScriptPixel(4, 4), Marker);

    // Sunken swaps the two colours.
    DrawBevelBox(10, 10, 13, 13, 100, 100, 100, 1);
    EXPECT_EQ(ScriptPixel(10, 10), dark);
    EXPECT_EQ(ScriptPixel(13, 13), light);
}

TEST_F(DrawingTest, BevelBoxClampsEachComponent) {
    BeginOnMarkedBuffer();
    DrawBevelBox(0, 0, 5, 5, 10, 10, 10, 0);
    EXPECT_EQ(ScriptPixel(0, 0), Rgb(60, 60, 60));
    EXPECT_EQ(ScriptPixel(5, 5), Rgb(0, 0, 0));
    DrawBevelBox(10, 0, 15, 5, 230, 240, 250, 0);
    EXPECT_EQ(ScriptPixel(10, 0), Rgb(255, 255, 255));
    EXPECT_EQ(ScriptPixel(15, 5), Rgb(180, 190, 200));
    // Extreme components neither overflow nor leave 0..255.
    constexpr int32_t big = std::numeric_limits<int32_t>::max();
    constexpr int32_t small = std::numeric_limits<int32_t>::min();
    DrawBevelBox(20, 0, 25, 5, big, small, 300, 1);
    EXPECT_EQ(ScriptPixel(20, 0), Rgb(255, 0, 250));
    EXPECT_EQ(ScriptPixel(25, 5), Rgb(255, 0, 255));
}

TEST_F(DrawingTest, PlainFrameDrawsOnlyTheOutline) {
    BeginOnMarkedBuffer();
    DrawPlainFrame(2, 2, 6, 5, 1, 2, 3);
    EXPECT_EQ(ScriptPixel(2, 2), Rgb(1, 2, 3));
    EXPECT_EQ(ScriptPixel(6, 2), Rgb(1, 2, 3));
    EXPECT_EQ(ScriptPixel(2, 5), Rgb(1, 2, 3));
    EXPECT_EQ(ScriptPixel(6, 5), Rgb(1, 2, 3));
    EXPECT_EQ(ScriptPixel(4, 3), Marker);
    EXPECT_EQ(ScriptPixel(7, 5), Marker);
}

TEST_F(DrawingTest, GradientRunsFromColourOneTowardsColourTwo) {
    BeginOnMarkedBuffer();
    DrawGradientBox(5, 5, 365, 26, 40, 60, 80, 210, 230, 250, 0);
    EXPECT_EQ(ScriptPixel(5, 5), Rgb(40, 60, 80));
    EXPECT_EQ(ScriptPixel(5, 26), Rgb(40, 60, 80));
    EXPECT_EQ(ScriptPixel(365, 5), Rgb(209, 229, 249));
    EXPECT_EQ(ScriptPixel(365, 26), Rgb(209, 229, 249));
    EXPECT_EQ(ScriptPixel(185, 15), Rgb(124, 144, 164)); // 40 + 180 x 170/361 = 124.8
    EXPECT_EQ(ScriptPixel(366, 15), Marker);
    EXPECT_EQ(ScriptPixel(100, 27), Marker);
    EXPECT_EQ(ScriptPixel(100, 4), Marker);

    // One column is exactly colour 1; right < left draws nothing.
    DrawGradientBox(400, 10, 400, 20, 7, 8, 9, 200, 200, 200, 0);
    EXPECT_EQ(ScriptPixel(400, 10), Rgb(7, 8, 9));
    EXPECT_EQ(ScriptPixel(401, 10), Marker);
    DrawGradientBox(420, 10, 419, 20, 7, 8, 9, 200, 200, 200, 0);
    EXPECT_EQ(ScriptPixel(419, 10), Marker);
    EXPECT_EQ(ScriptPixel(420, 10), Marker);

    // Falling colours truncate toward zero as well: 100 - 0.5 shows as 99.
    DrawGradientBox(500, 0, 501, 0, 100, 100, 100, 99, 99, 99, 0);
    EXPECT_EQ(ScriptPixel(501, 0), Rgb(99, 99, 99));

    // Other directions shade from top to bottom.
    DrawGradientBox(600, 100, 610, 103, 0, 0, 0, 200, 40, 80, 1);
    EXPECT_EQ(ScriptPixel(610, 100), Rgb(0, 0, 0));
    EXPECT_EQ(ScriptPixel(600, 103), Rgb(150, 30, 60));
}

TEST_F(DrawingTest, PercentBarFillsWholePixelsPerPercent) {
    BeginOnMarkedBuffer();
    DrawPercentBar(70, 70, 271, 85, 250, 250, 250, 50, 100, 250, 50);
    EXPECT_EQ(ScriptPixel(70, 78), Marker);
    EXPECT_EQ(ScriptPixel(71, 71), Rgb(250, 250, 250));
    EXPECT_NE(ScriptPixel(170, 84), Marker);
    EXPECT_EQ(ScriptPixel(171, 78), Marker);
    EXPECT_EQ(ScriptPixel(100, 70), Marker);
    EXPECT_EQ(ScriptPixel(100, 85), Marker);

    DrawPercentBar(70, 100, 271, 115, 250, 250, 250, 50, 100, 250, 0);
    DrawPercentBar(70, 100, 271, 115, 250, 250, 250, 50, 100, 250, -30);
    for (int32_t x = 70; x <= 271; x++)
        EXPECT_EQ(ScriptPixel(x, 108), Marker) << x;

    DrawPercentBar(70, 130, 271, 145, 250, 250, 250, 50, 100, 250, 150);
    EXPECT_NE(ScriptPixel(71, 138), Marker);
    EXPECT_NE(ScriptPixel(270, 138), Marker);
    EXPECT_EQ(ScriptPixel(271, 138), Marker);

    // Inner width 150: one pixel per per cent, at most 100 pixels.
    DrawPercentBar(0, 200, 151, 210, 250, 250, 250, 50, 100, 250, 100);
    EXPECT_NE(ScriptPixel(100, 205), Marker);
    EXPECT_EQ(ScriptPixel(101, 205), Marker);
    // Bars narrower than 100 pixels never fill.
    DrawPercentBar(0, 220, 50, 230, 250, 250, 250, 50, 100, 250, 100);
    EXPECT_EQ(ScriptPixel(1, 225), Marker);
}

TEST_F(DrawingTest, CentredTextStartsAtTheMiddleLessHalfItsWidth) {
    BeginOnMarkedBuffer();
    ASSERT_NE(LoadFontSlot(3, "Arial", 10, 0), 0);
    UseFontSlot(3);
    SetTextMode(TextModeTransparent);
    // Pick a text of odd width so that the halving's rounding shows.
    Text text;
    for (const char* candidate : {"Einstellungen", "Breite:", "H\xF6he:", "Bombs:", "Diffic.:", "T",
                                  "Il", "max. 50% Deckung"}) {
        if (MeasureText(candidate) % 2 != 0) {
            text = candidate;
            break;
        }
    }
    ASSERT_FALSE(text.empty());
    int32_t width = MeasureText(text);
    DrawCentredText(0, 370, 39, text);
    EXPECT_EQ(DrawingState.cursorX - width, 185 - (width - 1) / 2);
    EXPECT_EQ(DrawingState.cursorY, 39);
    DrawCentredText(280, 305, 71, text);
    EXPECT_EQ(DrawingState.cursorX - width, 292 - (width - 1) / 2);
    // The halvings round toward minus infinity, also for an inverted span.
    DrawCentredText(0, -5, 10, "");
    EXPECT_EQ(DrawingState.cursorX, -3);
}

TEST_F(DrawingTest, SliderValuesRoundUpOnlyPastFourNinths) {
    EXPECT_EQ(RoundSliderValue(4.4444f), 4);
    EXPECT_EQ(RoundSliderValue(4.4445f), 5);
    EXPECT_EQ(RoundSliderValue(3.44f), 3);
    EXPECT_EQ(RoundSliderValue(3.45f), 4);
    EXPECT_EQ(RoundSliderValue(3.0f), 3);
    EXPECT_EQ(RoundSliderValue(-1.7f), -1);
    EXPECT_EQ(RoundSliderValue(0.44444442f), 0);
    EXPECT_EQ(RoundSliderValue(4.0f / 9.0f), 1);
    EXPECT_EQ(RoundSliderValue(14.4f), 14);
    EXPECT_EQ(RoundSliderValue(14.6f), 15);
    // Values no integer can hold stay defined.
    EXPECT_EQ(RoundSliderValue(std::nanf("")), 0);
    EXPECT_EQ(RoundSliderValue(1e20f), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundSliderValue(-1e20f), std::numeric_limits<int32_t>::min());
}

namespace {

// A 320 x 400 test sheet whose every pixel tells its own position.
int32_t SheetPixel(int32_t x, int32_t y) {
    return (x & 255) | ((y & 255) << 8) | (((x >> 8) | ((y >> 8) << 4)) << 16);
}

void LoadPositionSheet(int32_t slot, const std::string& folder) {
    const int32_t width = 320, height = 400;
    std::string bmp = "BM";
    auto put = [&bmp](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++)
            bmp.push_back(char((v >> (8 * i)) & 255));
    };
    put(54 + width * 3 * height, 4), put(0, 4), put(54, 4), put(40, 4), put(width, 4),
        put(height, 4), put(1, 2), put(24, 2), put(0, 4), put(width * 3 * height, 4);
    for (int i = 0; i < 4; i++)
        put(0, 4);
    for (int32_t y = height - 1; y >= 0; y--) {
        for (int32_t x = 0; x < width; x++) {
            int32_t c = SheetPixel(x, y); // red in the low byte: stored as blue, green, red
            bmp.push_back(char((c >> 16) & 255));
            bmp.push_back(char((c >> 8) & 255));
            bmp.push_back(char(c & 255));
        }
    }
    WriteWholeFile(folder + "sheet.bmp", bmp);
    ASSERT_NE(LoadSpriteSheet(slot, folder + "sheet.bmp", 0), 0);
}

// Whether the width x height block at (x, y) shows the sheet from (sx, sy).
::testing::AssertionResult ShowsSheet(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t width,
                                      int32_t height) {
    for (int32_t row = 0; row < height; row++) {
        for (int32_t col = 0; col < width; col++) {
            if (ScriptPixel(x + col, y + row) != SheetPixel(sx + col, sy + row)) {
                return ::testing::AssertionFailure() << "at " << col << "," << row;
            }
        }
    }
    if (ScriptPixel(x + width, y) != Marker || ScriptPixel(x, y + height) != Marker)
        return ::testing::AssertionFailure() << "drew past the cell";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(DrawingTest, SpriteHelpersCopyTheirCellOfTheirSheet) {
    std::string folder = MakeTempFolder("frame-cells");
    BeginOnMarkedBuffer();
    EndDrawing();
    struct Case {
        int32_t slot;
        void (*draw)(int32_t, int32_t, int32_t);
        int32_t n, sx, sy, width, height;
    };
    const Case cases[] = {
        {1, DrawTileSetCell, 15, 280, 0, 20, 20}, {1, DrawTileSetCell, 1, 0, 0, 20, 20},
        {5, DrawPointsStrip, 27, 0, 27, 18, 27},  {5, DrawPointsStrip, 40, 0, 40, 18, 27},
        {2, DrawButtons1Cell, 8, 0, 147, 81, 21}, {3, DrawButtons2Cell, 4, 57, 0, 19, 16},
        {7, DrawButtons3Cell, 2, 0, 28, 56, 28},  {8, DrawButtons4Cell, 2, 16, 0, 16, 16},
        {9, DrawButtons5Cell, 2, 0, 26, 50, 26},  {6, DrawSmileysCell, 3, 62, 0, 31, 31},
    };
    int32_t x = 0;
    for (const Case& c : cases) {
        LoadPositionSheet(c.slot, folder);
        c.draw(x, 100, c.n);
        EXPECT_TRUE(ShowsSheet(x, 100, c.sx, c.sy, c.width, c.height))
            << "slot " << c.slot << " n " << c.n;
        x += 85;
    }
    // An empty slot draws nothing.
    Sprites[6] = SpriteSlot{};
    DrawSmileysCell(0, 300, 1);
    EXPECT_EQ(ScriptPixel(0, 300), Marker);
}
