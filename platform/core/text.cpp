// Fonts and text on the back buffer: font slots, the glyph cache, blending and text cells.
// The system's font service only rasterises (os_text.h); everything drawn is decided here.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "draw_internal.h"
#include "os_text.h"
#include "platform_state.h"
#include "whole_numbers.h"

// A loaded font slot: the system's font, its metrics, its styles drawn here and its glyphs.
struct FontFace {
    // One pixel of a glyph's picture that has ink: its column and row in the picture and its
    // coverage (1 to 255).
    struct Ink {
        uint16_t column = 0;
        uint16_t row = 0;
        uint8_t cover = 0;
    };
    // Where a character's picture goes and how far the pen moves, apart from the picture
    // itself: laying out a text reads only these few bytes per character, close together.
    struct Placement {
        bool ready = false; // the character is rasterised (each byte value at most once)
        bool inked = false; // its picture has any pixel
        int32_t advance = 0;
        int32_t left = 0;
        int32_t top = 0;
        int32_t width = 0;
        int32_t rows = 0;
    };
    // One rasterised character, kept for the whole life of the font.
    struct Picture {
        SystemGlyph glyph;        // coverage and placement
        std::vector<Ink> solid;   // the pixels of full coverage, row by row
        std::vector<Ink> partial; // the pixels of partial coverage, row by row
    };

    std::shared_ptr<SystemFont> system; // the system's font at this size
    SystemFontMetrics metrics;          // text cell, underline and strike-out rows
    bool underline = false;             // flag 4
    bool strikeOut = false;             // flag 8
    Placement placements[256];          // by text byte
    Picture glyphs[256];                // by text byte
};

namespace {

// The picture's inked pixels sorted into the solid and the partial ones, so that drawing
// visits only those and needs no test per pixel.
void ListInk(FontFace::Picture& picture) {
    const SystemGlyph& glyph = picture.glyph;
    for (int32_t r = 0; r < glyph.rows; ++r)
        for (int32_t c = 0; c < glyph.width; ++c) {
            const uint8_t cover = glyph.coverage[size_t(r) * size_t(glyph.width) + size_t(c)];
            if (cover == 0) continue;
            FontFace::Ink ink{uint16_t(c), uint16_t(r), cover};
            (cover == 255 ? picture.solid : picture.partial).push_back(ink);
        }
}

// The font of the current drawing, or null when the slot is empty or none was chosen.
FontFace* CurrentFont() {
    if (DrawingState.fontSlot <= 0 || DrawingState.fontSlot >= FontSlotCount) return nullptr;
    return Fonts[DrawingState.fontSlot].face.get();
}

// The placement of a text byte's glyph. The glyph is rasterised the first time it is needed;
// later calls return what was kept. Bytes without a picture get an empty one with no
// advance.
const FontFace::Placement& Place(FontFace& font, unsigned char byte) {
    FontFace::Placement& place = font.placements[byte];
    if (place.ready) return place;
    FontFace::Picture& picture = font.glyphs[byte];
    const char32_t character = CodePageCharacter(byte);
    if (character != 0) picture.glyph = RasteriseCharacter(*font.system, character);
    ListInk(picture);
    const SystemGlyph& glyph = picture.glyph;
    place = FontFace::Placement{
        true,      !glyph.coverage.empty(), glyph.advance, glyph.left, glyph.top, glyph.width,
        glyph.rows};
    return place;
}

// Sum of the whole-pixel advances of the text's bytes.
int64_t TextAdvance(FontFace& font, const Text& text) {
    int64_t width = 0;
    for (unsigned char byte : text)
        width += Place(font, byte).advance;
    return width;
}

// The ink pixel laid over the pixel p with coverage a (1 to 254), each component rounded.
uint32_t Blend(uint32_t p, uint32_t ink, uint32_t a) {
    const uint32_t keep = 255 - a;
    const uint32_t red = (((ink >> 16) & 0xFF) * a + ((p >> 16) & 0xFF) * keep + 127) / 255;
    const uint32_t green = (((ink >> 8) & 0xFF) * a + ((p >> 8) & 0xFF) * keep + 127) / 255;
    const uint32_t blue = ((ink & 0xFF) * a + (p & 0xFF) * keep + 127) / 255;
    return (red << 16) | (green << 8) | blue;
}

// Called by DrawTextAtCursor for each glyph with ink: blends its picture into the back buffer
// in the given pixel colour, its first row and column at (x, y), visiting only the inked
// pixels; parts outside the buffer are cut off.
void BlendGlyph(const FontFace::Picture& picture, int64_t x, int64_t y, uint32_t pixel) {
    const SystemGlyph& glyph = picture.glyph;
    const int64_t c0 = std::max<int64_t>(0, -x), r0 = std::max<int64_t>(0, -y);
    const int64_t c1 = std::min<int64_t>(glyph.width, BackBuffer.width - x);
    const int64_t r1 = std::min<int64_t>(glyph.rows, BackBuffer.height - y);
    if (c0 >= c1 || r0 >= r1) return;
    NoteWatchedWrite(x + c0, y + r0, x + c1, y + r1);
    TouchRect(x + c0, y + r0, x + c1, y + r1);
    const bool cut = c0 > 0 || r0 > 0 || c1 < glyph.width || r1 < glyph.rows;
    const auto target = [&](const FontFace::Ink& ink) -> uint32_t* {
        if (cut && (ink.column < c0 || ink.column >= c1 || ink.row < r0 || ink.row >= r1))
            return nullptr;
        return &BackBuffer.pixels[size_t(y + ink.row) * size_t(BackBuffer.width) +
                                  size_t(x + ink.column)];
    };
    for (const FontFace::Ink& ink : picture.solid)
        if (uint32_t* p = target(ink)) *p = pixel;
    for (const FontFace::Ink& ink : picture.partial)
        if (uint32_t* p = target(ink)) *p = Blend(*p, pixel, ink.cover);
}

// Says once per face and style on stderr that a font could not be loaded and why; its texts
// stay blank, as the screens draw on without them.
void ReportMissingFont(const SystemFontRequest& request, const std::string& failure) {
    static std::set<std::tuple<std::string, bool, bool>> reported;
    if (!reported.insert({request.face, request.bold, request.italic}).second) return;
    std::fprintf(stderr, "tessaroc: cannot load the font %s: %s; its texts stay blank\n",
                 request.face.c_str(), failure.c_str());
}

} // namespace

// Called at start-up for each of the program's fonts. The em height in pixels is the size in
// points at 96 dots per inch, rounded. Returns the slot number, or 0 when the slot number is
// not 1 to FontSlotCount - 1, the size is not 1 to 1000 points or no face file could be read
// (the slot is then empty).
int32_t LoadFontSlot(int32_t slot, const Text& face, int32_t size, int32_t flags) {
    if (slot <= 0 || slot >= FontSlotCount) return 0;
    Fonts[slot].face.reset();
    if (size <= 0 || size > 1000 || face.empty()) return 0;
    SystemFontRequest request;
    request.face = TextToUtf8(face);
    request.emPixels = (size * 96 + 36) / 72;
    request.bold = (flags & FontBold) != 0;
    request.italic = (flags & FontItalic) != 0;
    auto font = std::make_shared<FontFace>();
    std::string failure;
    font->system = OpenSystemFont(request, &font->metrics, &failure);
    if (!font->system) {
        ReportMissingFont(request, failure);
        return 0;
    }
    font->underline = (flags & FontUnderline) != 0;
    font->strikeOut = (flags & FontStrikeOut) != 0;
    Fonts[slot].face = std::move(font);
    return slot;
}

// Called by the screens after BeginDrawing, before their texts. A slot number out of range
// selects no font (texts then draw nothing).
void UseFontSlot(int32_t slot) {
    if (!DrawingActive()) return;
    DrawingState.fontSlot = (slot > 0 && slot < FontSlotCount) ? slot : 0;
}

// Called by the frame toolkit and the screens to place texts (centring, cursors): the sum of
// the whole-pixel advances, exactly what DrawTextAtCursor moves the cursor by.
int32_t MeasureText(const Text& text) {
    if (!DrawingActive() || text.empty()) return 0;
    FontFace* font = CurrentFont();
    return font ? ClampToInt32(TextAdvance(*font, text)) : 0;
}

// Called by the screens for every text they show. The text cell's top-left corner is the
// text cursor; the baseline lies the font's ascent below it. Without mode flag 1 the cell
// (the text's width by ascent + descent) is first filled white. The cursor then moves right
// by the text's width, exactly MeasureText.
void DrawTextAtCursor(const Text& text) {
    if (!DrawingActive() || text.empty()) return;
    FontFace* font = CurrentFont();
    if (!font) return;
    const int64_t width = TextAdvance(*font, text);
    const int64_t left = DrawingState.cursorX, top = DrawingState.cursorY;
    const int64_t baseline = top + font->metrics.ascent;
    const uint32_t pixel = ColourToPixel(DrawingState.colour);
    if (!(DrawingState.modeFlags & TextModeTransparent)) {
        PaintRect(left, top, left + width, baseline + font->metrics.descent, 0xFFFFFFu, false);
    }
    int64_t pen = left;
    for (unsigned char byte : text) {
        const FontFace::Placement& place = font->placements[byte]; // placed by TextAdvance
        if (place.inked)
            BlendGlyph(font->glyphs[byte], pen + place.left, baseline - place.top, pixel);
        pen += place.advance;
    }
    if (font->underline) {
        const int64_t y = baseline + font->metrics.underlineRow;
        PaintRect(left, y, left + width, y + font->metrics.underlineThickness, pixel, false);
    }
    if (font->strikeOut) {
        const int64_t y = baseline - font->metrics.strikeRow;
        PaintRect(left, y, left + width, y + font->metrics.strikeThickness, pixel, false);
    }
    DrawingState.cursorX = ClampToInt32(left + width);
}
