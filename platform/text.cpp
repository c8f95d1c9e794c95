// Fonts and text on the back buffer: faces found by fontconfig, glyphs rasterised by FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "draw_internal.h"
#include "platform_state.h"

namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F (the bytes 0xA0 to 0xFF are
// Latin-1 and stand for themselves). 0 marks the five bytes the code page leaves undefined.
constexpr char32_t HighControlBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 98-9F
};

// The character a text byte stands for; 0 for bytes with no picture (control characters and
// the undefined bytes), which draw as nothing and do not move the pen.
char32_t DecodeByte(unsigned char byte) {
    if (byte < 0x20 || byte == 0x7F) return 0;
    if (byte >= 0x80 && byte < 0xA0) return HighControlBlock[byte - 0x80];
    return byte;
}

} // namespace

// Called for the face names given to fontconfig and by the real window for its title.
std::string TextToUtf8(const Text& text) {
    std::string out;
    for (unsigned char byte : text) {
        const char32_t c = DecodeByte(byte);
        if (c == 0) continue;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

// A face file and what the font needs added to it: fontconfig's answer for a face name.
struct ResolvedFace {
    FT_Face face = nullptr; // null when nothing usable was found
    bool embolden = false;  // bold asked for, but the family has no bold face
    bool oblique = false;   // italic asked for, but the family has no italic or oblique face
};

// The process-wide font machinery: the FreeType library, every face file opened so far (each
// once) and the faces resolved for each name and style. These are caches of resources only:
// what is drawn depends on the font slots alone, so they are kept for the whole run and not
// cleared with the platform state. Made on the first LoadFontSlot and never destroyed, so
// font slots released at program exit still find their faces.
struct FontMachinery {
    bool started = false;                                 // start-up attempted
    FT_Library library = nullptr;                         // null when FreeType failed
    std::map<std::pair<std::string, int>, FT_Face> files; // file and face index -> face
    std::map<std::tuple<std::string, bool, bool>, ResolvedFace> names; // name, bold, italic
};

FontMachinery& Machinery() {
    static FontMachinery* machinery = new FontMachinery;
    if (!machinery->started) {
        machinery->started = true;
        if (FcInit() && FT_Init_FreeType(&machinery->library) != 0) machinery->library = nullptr;
    }
    return *machinery;
}

// Opens a face file, or finds it open already; null when FreeType cannot read it.
FT_Face OpenFaceFile(FontMachinery& machinery, const std::string& file, int index) {
    const auto key = std::make_pair(file, index);
    const auto found = machinery.files.find(key);
    if (found != machinery.files.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(machinery.library, file.c_str(), index, &face) != 0) {
        face = nullptr;
    } else if (!FT_IS_SCALABLE(face)) { // fixed-size bitmap fonts cannot take our sizes
        FT_Done_Face(face);
        face = nullptr;
    }
    machinery.files[key] = face;
    return face;
}

// Asks fontconfig for the best face of the family in the wanted weight and slant, so that
// the family's own bold and italic files are used; unknown names get fontconfig's
// substitute, as the Windows font mapper would give one. Bold and italic are made by
// FreeType only when the chosen face lacks them.
ResolvedFace ResolveFace(const std::string& name, bool bold, bool italic) {
    FontMachinery& machinery = Machinery();
    if (!machinery.library || name.empty()) return {};
    const auto key = std::make_tuple(name, bold, italic);
    const auto found = machinery.names.find(key);
    if (found != machinery.names.end()) return found->second;

    ResolvedFace resolved;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match) {
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            resolved.face =
                OpenFaceFile(machinery, reinterpret_cast<const char*>(file), index & 0xFFFF);
        }
        FcPatternDestroy(match);
    }
    // The face file's own style says whether it is bold or italic; fontconfig may report
    // the requested style for a face it only means to slant or embolden.
    if (resolved.face) {
        resolved.embolden = bold && !(resolved.face->style_flags & FT_STYLE_FLAG_BOLD);
        resolved.oblique = italic && !(resolved.face->style_flags & FT_STYLE_FLAG_ITALIC);
    }
    machinery.names[key] = resolved;
    return resolved;
}

// Font units scaled to whole pixels at the em size, rounded to the nearest (halves up).
int32_t ScaleUnits(int64_t units, int32_t emPixels, int32_t unitsPerEm) {
    const int64_t twice = 2 * units * emPixels + unitsPerEm;
    const int64_t divisor = 2 * int64_t(unitsPerEm);
    return int32_t(twice >= 0 ? twice / divisor : -((-twice + divisor - 1) / divisor));
}

} // namespace

// A loaded font slot: a size of a shared face file, its pixel metrics and its glyph cache.
struct FontFace {
    // One rasterised character: its grey levels and where they go relative to the pen.
    struct Picture {
        bool ready = false;            // rasterised already (each byte value at most once)
        int32_t advance = 0;           // whole pixels the pen moves
        int32_t left = 0;              // columns from the pen to the picture's first column
        int32_t top = 0;               // rows from the picture's first row down to the baseline
        int32_t width = 0;             // picture columns
        int32_t rows = 0;              // picture rows
        std::vector<uint8_t> coverage; // rows * width grey levels, 0 blank to 255 full ink
    };

    FT_Face face = nullptr;         // the face file (owned by the font machinery)
    FT_Size size = nullptr;         // this font's size object of that face (owned)
    bool embolden = false;          // synthetic bold
    bool oblique = false;           // synthetic italic
    bool underline = false;         // flag 4
    bool strikeOut = false;         // flag 8
    int32_t ascent = 0;             // pixels from the top of the text cell to the baseline
    int32_t descent = 0;            // pixels from the baseline to the bottom of the cell
    int32_t underlineRow = 0;       // first underline row, counted down from the baseline
    int32_t underlineThickness = 1; // underline rows
    int32_t strikeRow = 0;          // first strike-out row, counted up from the baseline
    int32_t strikeThickness = 1;    // strike-out rows
    Picture glyphs[256];            // by text byte

    ~FontFace() {
        if (size) FT_Done_Size(size);
    }
};

namespace {

// The pixel metrics of a font at its em size: the text cell from the face's Windows ascent
// and descent (falling back to the typographic ones), underline and strike-out positions.
void SetFontMetrics(FontFace& font, int32_t emPixels) {
    const FT_Face face = font.face;
    const int32_t units = face->units_per_EM ? face->units_per_EM : 2048;
    int64_t ascent = face->ascender, descent = -int64_t(face->descender);
    int64_t strikePosition = face->ascender / 4, strikeSize = face->underline_thickness;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        if (os2->yStrikeoutSize > 0) {
            strikePosition = os2->yStrikeoutPosition;
            strikeSize = os2->yStrikeoutSize;
        }
    }
    font.ascent = std::max(1, ScaleUnits(ascent, emPixels, units));
    font.descent = std::max(0, ScaleUnits(descent, emPixels, units));
    font.underlineThickness = std::max(1, ScaleUnits(face->underline_thickness, emPixels, units));
    const int32_t underlineCentre = ScaleUnits(-int64_t(face->underline_position), emPixels, units);
    font.underlineRow = std::max(0, underlineCentre - font.underlineThickness / 2);
    font.strikeThickness = std::max(1, ScaleUnits(strikeSize, emPixels, units));
    font.strikeRow = std::max(1, ScaleUnits(strikePosition, emPixels, units));
}

// Rasterises the glyph of a text byte the first time it is needed; later calls return the
// cached picture. Bytes without a picture get an empty one with no advance.
const FontFace::Picture& Glyph(FontFace& font, unsigned char byte) {
    FontFace::Picture& glyph = font.glyphs[byte];
    if (glyph.ready) return glyph;
    glyph.ready = true;
    const char32_t character = DecodeByte(byte);
    if (character == 0) return glyph;
    FT_Activate_Size(font.size);
    const FT_Face face = font.face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_BITMAP) != 0) {
        return glyph;
    }
    FT_GlyphSlot slot = face->glyph;
    FT_Pos advance = slot->advance.x;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (font.embolden) {
            // The stroke widening FreeType's own synthetic bold uses: 1/24 em.
            const FT_Pos strength = FT_MulFix(face->units_per_EM, font.size->metrics.y_scale) / 24;
            FT_Outline_Embolden(&slot->outline, strength);
            advance += strength;
        }
        if (font.oblique) {
            // Slant to the right as FreeType's own synthetic oblique does (x += 0.21 * y).
            FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    glyph.advance = int32_t((advance + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) {
        return glyph;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = int32_t(bitmap.width);
    glyph.rows = int32_t(bitmap.rows);
    glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.rows));
    const int64_t pitch = bitmap.pitch;
    for (int32_t r = 0; r < glyph.rows; ++r) {
        // A negative pitch stores the rows bottom-up.
        const int64_t row = pitch >= 0 ? r : glyph.rows - 1 - r;
        const unsigned char* source = bitmap.buffer + row * (pitch >= 0 ? pitch : -pitch);
        std::copy(source, source + glyph.width, glyph.coverage.begin() + size_t(r) * glyph.width);
    }
    return glyph;
}

// The font of the current drawing, or null when the slot is empty or none was chosen.
FontFace* CurrentFont() {
    if (DrawState.fontSlot <= 0 || DrawState.fontSlot >= FontSlotCount) return nullptr;
    return Fonts[DrawState.fontSlot].face.get();
}

// Sum of the whole-pixel advances of the text's bytes.
int64_t TextAdvance(FontFace& font, const Text& text) {
    int64_t width = 0;
    for (unsigned char byte : text)
        width += Glyph(font, byte).advance;
    return width;
}

// Blends one grey-level picture into the back buffer in the given pixel colour, its first
// row and column at (x, y); parts outside the buffer are cut off.
void BlendGlyph(const FontFace::Picture& glyph, int64_t x, int64_t y, uint32_t pixel) {
    const int64_t c0 = std::max<int64_t>(0, -x),
                  c1 = std::min<int64_t>(glyph.width, BackBuffer.width - x);
    const int64_t r0 = std::max<int64_t>(0, -y),
                  r1 = std::min<int64_t>(glyph.rows, BackBuffer.height - y);
    const uint32_t inkR = (pixel >> 16) & 0xFF, inkG = (pixel >> 8) & 0xFF, inkB = pixel & 0xFF;
    for (int64_t r = r0; r < r1; ++r) {
        const uint8_t* cover = glyph.coverage.data() + r * glyph.width;
        uint32_t* row = BackBuffer.pixels.data() + size_t(y + r) * size_t(BackBuffer.width);
        for (int64_t c = c0; c < c1; ++c) {
            const uint32_t a = cover[c];
            if (a == 0) continue;
            uint32_t& p = row[x + c];
            if (a == 255) {
                p = pixel;
                continue;
            }
            const uint32_t keep = 255 - a;
            const uint32_t red = (inkR * a + ((p >> 16) & 0xFF) * keep + 127) / 255;
            const uint32_t green = (inkG * a + ((p >> 8) & 0xFF) * keep + 127) / 255;
            const uint32_t blue = (inkB * a + (p & 0xFF) * keep + 127) / 255;
            p = (red << 16) | (green << 8) | blue;
        }
    }
}

int32_t ClampToInt32(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

// Called at start-up for each of the program's fonts. The em height in pixels is the size in
// points at 96 dots per inch, rounded. Returns the slot number, or 0 when the slot number is
// not 1 to FontSlotCount - 1, the size is not 1 to 1000 points or no face file could be read
// (the slot is then empty).
int32_t LoadFontSlot(int32_t slot, const Text& face, int32_t size, int32_t flags) {
    if (slot <= 0 || slot >= FontSlotCount) return 0;
    Fonts[slot].face.reset();
    if (size <= 0 || size > 1000) return 0;
    const int32_t emPixels = (size * 96 + 36) / 72;
    const ResolvedFace resolved =
        ResolveFace(TextToUtf8(face), (flags & FontBold) != 0, (flags & FontItalic) != 0);
    if (!resolved.face) return 0;
    auto font = std::make_shared<FontFace>();
    font->face = resolved.face;
    if (FT_New_Size(resolved.face, &font->size) != 0) {
        font->size = nullptr;
        return 0;
    }
    FT_Activate_Size(font->size);
    if (FT_Set_Pixel_Sizes(resolved.face, 0, FT_UInt(emPixels)) != 0) return 0;
    font->embolden = resolved.embolden;
    font->oblique = resolved.oblique;
    font->underline = (flags & FontUnderline) != 0;
    font->strikeOut = (flags & FontStrikeOut) != 0;
    SetFontMetrics(*font, emPixels);
    Fonts[slot].face = std::move(font);
    return slot;
}

// Called by the screens after BeginDrawing, before their texts. A slot number out of range
// selects no font (texts then draw nothing).
void UseFontSlot(int32_t slot) {
    if (!DrawingActive()) return;
    DrawState.fontSlot = (slot > 0 && slot < FontSlotCount) ? slot : 0;
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
    const int64_t left = DrawState.cursorX, top = DrawState.cursorY;
    const int64_t baseline = top + font->ascent;
    const uint32_t pixel = ColourToPixel(DrawState.colour);
    if (!(DrawState.modeFlags & TextModeTransparent)) {
        PaintRect(left, top, left + width, baseline + font->descent, 0xFFFFFFu, false);
    }
    int64_t pen = left;
    for (unsigned char byte : text) {
        const FontFace::Picture& glyph = Glyph(*font, byte);
        if (!glyph.coverage.empty())
            BlendGlyph(glyph, pen + glyph.left, baseline - glyph.top, pixel);
        pen += glyph.advance;
    }
    if (font->underline) {
        const int64_t y = baseline + font->underlineRow;
        PaintRect(left, y, left + width, y + font->underlineThickness, pixel, false);
    }
    if (font->strikeOut) {
        const int64_t y = baseline - font->strikeRow;
        PaintRect(left, y, left + width, y + font->strikeThickness, pixel, false);
    }
    DrawState.cursorX = ClampToInt32(left + width);
}
