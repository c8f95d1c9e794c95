// Tests of fonts and text on the back buffer: sizes, widths, placement, code page, styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform.h"
#include "platform_state.h"

namespace {

constexpr uint32_t White = 0xFFFFFFu;

// The ink of the pixels in a rectangle: the bounding box of every pixel that is not black.
struct InkBox {
    int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
    int32_t Height() const { return Empty() ? 0 : bottom - top + 1; }
};

class TextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        // The program's five fonts.
        ASSERT_NE(LoadFontSlot(1, "Arial", 9, FontItalic), 0);
        ASSERT_NE(LoadFontSlot(2, "Arial", 14, FontBold), 0);
        ASSERT_NE(LoadFontSlot(3, "Arial", 10, FontBold), 0);
        ASSERT_NE(LoadFontSlot(4, "Arial", 9, FontBold), 0);
        ASSERT_NE(LoadFontSlot(5, "Verdana", 8, FontBold), 0);
        ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    }
    void TearDown() override { ResetPlatformState(); }

    static uint32_t Pixel(int32_t x, int32_t y) {
        return BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)];
    }
    static void Clear() { std::fill(BackBuffer.pixels.begin(), BackBuffer.pixels.end(), 0u); }
    static InkBox Ink() {
        InkBox box;
        for (int32_t y = 0; y < BackBuffer.height; ++y)
            for (int32_t x = 0; x < BackBuffer.width; ++x)
                if (Pixel(x, y) != 0) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }
    // Draws white text without background on a black buffer at (x, y) and returns its ink.
    static InkBox DrawWhite(int32_t slot, const Text& text, int32_t x = 100, int32_t y = 100) {
        Clear();
        UseFontSlot(slot);
        SetTextMode(TextModeTransparent);
        SetInkColour(255, 255, 255);
        SetTextCursor(x, y);
        DrawTextAtCursor(text);
        return Ink();
    }
    // The text cell of a text drawn with its white background in black ink on black.
    static InkBox DrawCell(int32_t slot, const Text& text, int32_t x = 100, int32_t y = 100) {
        Clear();
        UseFontSlot(slot);
        SetTextMode(0);
        SetInkColour(0, 0, 0);
        SetTextCursor(x, y);
        DrawTextAtCursor(text);
        return Ink();
    }
};

TEST_F(TextTest, FontsHaveTheirPixelSizes) {
    // Text cells are ascent + descent high: 12 px Arial (9 pt) 14, 19 px (14 pt) 21,
    // 13 px (10 pt) 15, 11 px Verdana (8 pt) 13. Where GDI draws (Wine), Verdana falls to
    // Liberation Sans, whose 11 px cell is 12 high.
    const bool gdi = std::string(TESSAROC_TEXT_BACKEND) == "gdi";
    const int32_t cellHeights[6] = {0, 14, 21, 15, 14, gdi ? 12 : 13};
    for (int32_t slot = 1; slot <= 5; ++slot) {
        const InkBox cell = DrawCell(slot, "Hg");
        EXPECT_EQ(cell.top, 100) << "slot " << slot;
        EXPECT_EQ(cell.left, 100) << "slot " << slot;
        EXPECT_EQ(cell.Height(), cellHeights[slot]) << "slot " << slot;
    }
    // Capital height follows the em size: about 0.72 em for both families.
    const int32_t capHeights[6] = {0, 9, 14, 9, 9, 8};
    for (int32_t slot = 1; slot <= 5; ++slot)
        EXPECT_NEAR(DrawWhite(slot, "H").Height(), capHeights[slot], 1) << "slot " << slot;
}

TEST_F(TextTest, WidthOfAKnownTextAndMeasureEqualsTheCursorAdvance) {
    UseFontSlot(4);
    EXPECT_EQ(MeasureText("Sekunden"), 57);
    EXPECT_EQ(MeasureText("Sekunden"), MeasureText("Sek") + MeasureText("unden"));
    const Text texts[] = {"Sekunden",
                          "H\xF6he: 12",
                          "0.00",
                          "Gl\xFC"
                          "ckwunsch!",
                          "i",
                          "W\x80\x85\x99",
                          "x\x81y"};
    for (int32_t slot = 1; slot <= 5; ++slot) {
        UseFontSlot(slot);
        for (const Text& text : texts) {
            const int32_t width = MeasureText(text);
            EXPECT_GT(width, 0);
            SetTextCursor(17, 40);
            DrawTextAtCursor(text);
            EXPECT_EQ(DrawingState.cursorX, 17 + width) << "slot " << slot << " " << text;
            EXPECT_EQ(DrawingState.cursorY, 40);
            // The background fills exactly the measured width.
            const InkBox cell = DrawCell(slot, text, 17, 40);
            EXPECT_EQ(cell.right - cell.left + 1, width) << "slot " << slot << " " << text;
        }
    }
    // Bold is wider than regular, a larger size wider than a smaller one.
    ASSERT_NE(LoadFontSlot(6, "Arial", 9, 0), 0);
    UseFontSlot(6);
    const int32_t regular = MeasureText("Sekunden");
    UseFontSlot(4);
    EXPECT_LT(regular, MeasureText("Sekunden"));
    UseFontSlot(2);
    EXPECT_GT(MeasureText("Sekunden"), 57);
}

TEST_F(TextTest, EmptyTextAndMeasuringOutsideDrawingGiveNothing) {
    UseFontSlot(3);
    EXPECT_EQ(MeasureText(""), 0);
    SetTextCursor(10, 10);
    SetTextMode(0);
    DrawTextAtCursor("");
    EXPECT_EQ(DrawingState.cursorX, 10);
    EXPECT_TRUE(Ink().Empty());
    EndDrawing();
    EXPECT_EQ(MeasureText("Sekunden"), 0);
    DrawTextAtCursor("Sekunden");
    EXPECT_TRUE(Ink().Empty());
}

TEST_F(TextTest, GermanLettersAndSymbolsHaveGlyphs) {
    const Text letters = "\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xA7\x80\x84\x93\x96";
    for (int32_t slot = 1; slot <= 5; ++slot) {
        UseFontSlot(slot);
        for (char letter : letters) {
            const Text text(1, letter);
            EXPECT_GT(MeasureText(text), 0) << "slot " << slot << " byte " << int(uint8_t(letter));
            EXPECT_FALSE(DrawWhite(slot, text).Empty())
                << "slot " << slot << " byte " << int(uint8_t(letter));
        }
    }
    // Umlauts carry their dots above the letter's body: more ink rows than the bare letter.
    EXPECT_GT(DrawWhite(2, "\xC4").Height(), DrawWhite(2, "A").Height());
    EXPECT_GT(DrawWhite(2, "\xFC").Height(), DrawWhite(2, "u").Height());
}

TEST_F(TextTest, BytesUndefinedInTheCodePageDrawNothing) {
    for (int32_t slot = 1; slot <= 5; ++slot) {
        UseFontSlot(slot);
        for (const char* text : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
            EXPECT_EQ(MeasureText(text), 0);
            SetTextCursor(30, 30);
            EXPECT_TRUE(DrawCell(slot, text, 30, 30).Empty());
            EXPECT_EQ(DrawingState.cursorX, 30);
        }
        EXPECT_EQ(MeasureText("A\x81\x8D"
                              "B"),
                  MeasureText("AB"));
    }
}

TEST_F(TextTest, GlyphsSitOnTheBaselineAscentBelowTheCursor) {
    // Arial 12 px: ascent 11, so "H" ends on row y + 10; Verdana 11 px: ascent 10.
    const InkBox h = DrawWhite(4, "H", 200, 300);
    EXPECT_GE(h.top, 300);
    EXPECT_EQ(h.bottom, 300 + 11 - 1);
    EXPECT_GE(h.left, 200);
    const InkBox v = DrawWhite(5, "H", 200, 300);
    EXPECT_EQ(v.bottom, 300 + 10 - 1);
    // Descenders go below the baseline but stay inside the text cell.
    for (int32_t slot = 1; slot <= 5; ++slot) {
        const InkBox cell = DrawCell(slot, "H", 200, 300);
        const InkBox g = DrawWhite(slot, "gjpqy\xC4", 200, 300);
        EXPECT_GT(g.bottom, DrawWhite(slot, "H", 200, 300).bottom) << "slot " << slot;
        EXPECT_LE(g.bottom, cell.bottom) << "slot " << slot;
        EXPECT_GE(g.top, cell.top) << "slot " << slot;
    }
    // Text may start partly outside the buffer: only the visible part is drawn.
    EXPECT_FALSE(DrawWhite(2, "Hallo", -5, -8).Empty());
    EXPECT_TRUE(DrawWhite(2, "Hallo", INT32_MAX - 3, INT32_MAX - 3).Empty());
    EXPECT_EQ(DrawingState.cursorX, INT32_MAX);
    EXPECT_TRUE(DrawWhite(2, "Hallo", INT32_MIN, 100).Empty());
}

TEST_F(TextTest, BackgroundIsWhiteUnlessModeFlagOne) {
    UseFontSlot(3);
    const int32_t width = MeasureText("Minen");
    InkBox cell = DrawCell(3, "Minen", 50, 60);
    EXPECT_EQ(cell.left, 50);
    EXPECT_EQ(cell.right, 50 + width - 1);
    EXPECT_EQ(Pixel(50, 60), White);
    EXPECT_EQ(Pixel(50 + width - 1, 60 + 15 - 1), White);
    EXPECT_EQ(Pixel(50 + width, 60), 0u);
    // With flag 1 only the glyphs' own pixels change, within the cell.
    const InkBox ink = DrawWhite(3, "Minen", 50, 60);
    EXPECT_GT(ink.left, cell.left - 1);
    EXPECT_LT(ink.right, cell.right + 1);
    EXPECT_NE(Pixel(50, 60), White);
}

TEST_F(TextTest, GlyphEdgesBlendTheInkIntoThePixelsBelow) {
    Clear();
    FillBox(0, 0, 300, 40, MakeColour(0, 0, 255));
    UseFontSlot(2);
    SetTextMode(TextModeTransparent);
    SetInkColour(255, 0, 0);
    SetTextCursor(5, 5);
    DrawTextAtCursor("Sekunden 0.00");
    int32_t full = 0, partial = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 300; ++x) {
            const uint32_t p = Pixel(x, y);
            EXPECT_EQ(p & 0x00FF00u, 0u); // only red ink and blue background mix
            const uint32_t red = p >> 16, blue = p & 0xFF;
            EXPECT_NEAR(int(red + blue), 255, 1);
            if (red == 255) ++full;
            if (red > 0 && red < 255) ++partial;
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);
}

// Glyphs cut by an edge of the buffer blend their visible part exactly as whole glyphs do.
TEST_F(TextTest, GlyphsCutByTheBufferEdgesKeepTheirVisiblePixels) {
    const Text text = "W\xE4ldchen 1234";
    auto draw = [&text](int32_t x, int32_t y) {
        FillBox(0, 0, 850, 600, MakeColour(90, 160, 40));
        UseFontSlot(2);
        SetTextMode(TextModeTransparent);
        SetInkColour(200, 30, 90);
        SetTextCursor(x, y);
        DrawTextAtCursor(text);
        return BackBufferCopy();
    };
    const int32_t width = MeasureText(text);
    const std::vector<uint32_t> whole = draw(400, 300);
    struct Shift {
        int32_t dx, dy;
    };
    // Each shift moves the text so that about half of it leaves the buffer at one edge.
    const Shift shifts[] = {{-400 - width / 2, 0}, {0, -308}, {450 - width / 2, 0}, {0, 292}};
    for (const Shift& shift : shifts) {
        const std::vector<uint32_t> cut = draw(400 + shift.dx, 300 + shift.dy);
        int32_t compared = 0;
        for (int32_t y = 290; y < 330; ++y)
            for (int32_t x = 395; x < 405 + width; ++x) {
                const int32_t cx = x + shift.dx, cy = y + shift.dy;
                if (cx < 0 || cy < 0 || cx >= 850 || cy >= 600) continue;
                ASSERT_EQ(cut[size_t(cy) * 850 + size_t(cx)], whole[size_t(y) * 850 + size_t(x)])
                    << "at " << x << ", " << y << " shifted by " << shift.dx << ", " << shift.dy;
                ++compared;
            }
        EXPECT_GT(compared, 100);
    }
}

TEST_F(TextTest, UnderlineAndStrikeOutRunAlongTheWholeText) {
    ASSERT_NE(LoadFontSlot(6, "Arial", 10, FontBold | FontUnderline), 0);
    ASSERT_NE(LoadFontSlot(7, "Arial", 10, FontBold | FontStrikeOut), 0);
    UseFontSlot(6);
    const int32_t width = MeasureText("ab cd");
    UseFontSlot(3);
    EXPECT_EQ(MeasureText("ab cd"), width);
    // Ascent of Arial 13 px is 12: the baseline is row 100 + 12.
    const auto fullRows = [&](int32_t first, int32_t last) {
        std::vector<int32_t> rows;
        for (int32_t y = first; y <= last; ++y) {
            bool full = true;
            for (int32_t x = 100; x < 100 + width; ++x)
                full = full && Pixel(x, y) == White;
            if (full) rows.push_back(y);
        }
        return rows;
    };
    DrawWhite(6, "ab cd");
    const auto under = fullRows(100, 120);
    ASSERT_FALSE(under.empty());
    EXPECT_GE(under.front(), 112);
    EXPECT_LT(under.back(), 100 + 15);
    EXPECT_EQ(Pixel(100 + width, under.front()), 0u);
    DrawWhite(7, "ab cd");
    const auto strike = fullRows(100, 120);
    ASSERT_FALSE(strike.empty());
    EXPECT_GT(strike.front(), 100 + 3);
    EXPECT_LT(strike.back(), 112);
    DrawWhite(3, "ab cd");
    EXPECT_TRUE(fullRows(100, 120).empty());
}

TEST_F(TextTest, FamiliesWithoutBoldOrItalicFacesAreEmboldenedAndSlanted) {
    // DejaVu Math TeX Gyre comes in one regular face only.
    const Text family = "DejaVu Math TeX Gyre";
    ASSERT_NE(LoadFontSlot(6, family, 14, 0), 0);
    ASSERT_NE(LoadFontSlot(7, family, 14, FontBold), 0);
    ASSERT_NE(LoadFontSlot(8, family, 14, FontItalic), 0);
    UseFontSlot(6);
    const int32_t regular = MeasureText("Minen");
    UseFontSlot(7);
    EXPECT_GT(MeasureText("Minen"), regular);
    UseFontSlot(8);
    EXPECT_EQ(MeasureText("Minen"), regular);
    // Slanting moves the top of an upright stroke to the right of its foot.
    const InkBox upright = DrawWhite(6, "|");
    const InkBox slanted = DrawWhite(8, "|");
    EXPECT_GE(slanted.right - slanted.left, upright.right - upright.left + 3);
    int64_t ink6 = 0, ink7 = 0;
    for (int32_t slot : {6, 7}) {
        DrawWhite(slot, "Minen");
        for (uint32_t p : BackBuffer.pixels)
            (slot == 6 ? ink6 : ink7) += p & 0xFF;
    }
    EXPECT_GT(ink7, ink6 * 5 / 4);
}

TEST_F(TextTest, FontSlotsThatCannotBeMadeStayEmpty) {
    EXPECT_EQ(LoadFontSlot(0, "Arial", 9, 0), 0);
    EXPECT_EQ(LoadFontSlot(FontSlotCount, "Arial", 9, 0), 0);
    EXPECT_EQ(LoadFontSlot(-1, "Arial", 9, 0), 0);
    EXPECT_EQ(LoadFontSlot(8, "", 9, 0), 0);
    EXPECT_EQ(LoadFontSlot(9, "Arial", 0, 0), 0);
    EXPECT_EQ(Fonts[8].face, nullptr);
    EXPECT_EQ(Fonts[9].face, nullptr);
    // A failed load releases the font the slot held.
    ASSERT_NE(LoadFontSlot(10, "Arial", 9, 0), 0);
    EXPECT_EQ(LoadFontSlot(10, "Arial", -3, 0), 0);
    EXPECT_EQ(Fonts[10].face, nullptr);
    for (int32_t slot : {0, 8, 10, 11, -4, 99}) {
        UseFontSlot(slot);
        EXPECT_EQ(MeasureText("Hallo"), 0);
        EXPECT_TRUE(DrawCell(slot, "Hallo").Empty());
    }
    // Loading again replaces the slot's font.
    ASSERT_NE(LoadFontSlot(4, "Arial", 14, FontBold), 0);
    UseFontSlot(4);
    EXPECT_GT(MeasureText("Sekunden"), 57);
}

TEST_F(TextTest, ANewDrawingStartsWithBlackInkDefaultModesAndNoFont) {
    FillBox(0, 0, 200, 50, MakeColour(0, 255, 0));
    UseFontSlot(2);
    SetInkColour(255, 255, 255);
    SetTextMode(TextModeTransparent);
    ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    EXPECT_EQ(MeasureText("Hallo"), 0);
    UseFontSlot(2);
    SetTextCursor(5, 5);
    DrawTextAtCursor("Hallo");
    bool black = false, white = false;
    for (int32_t y = 5; y < 26; ++y)
        for (int32_t x = 5; x < 60; ++x) {
            black = black || Pixel(x, y) == 0u;
            white = white || Pixel(x, y) == White;
        }
    EXPECT_TRUE(black);
    EXPECT_TRUE(white);
}

} // namespace
