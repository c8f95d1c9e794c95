// Rasterising text on Linux: faces found by fontconfig, glyphs rendered by FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <string>

#include "os_text.h"
#include "whole_numbers.h"

namespace {

// The FreeType library, started together with fontconfig on the first font opened and never
// ended, so that fonts released at program exit still have it; null when either failed.
FT_Library Library() {
    static const FT_Library library = [] {
        FT_Library made = nullptr;
        return FcInit() && FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    return library;
}

// The face name with its style, for messages: "Arial" bold italic.
std::string Described(const std::string& name, bool bold, bool italic) {
    return "\"" + name + "\"" + (bold ? " bold" : "") + (italic ? " italic" : "");
}

// Asks fontconfig for the best face of the family in the wanted weight and slant, so that
// the family's own bold and italic files are used; unknown names get fontconfig's
// substitute, as the Windows font mapper would give one. Opens it as a face of its own, or
// returns null with what was looked for and where.
FT_Face OpenBestFace(const std::string& name, bool bold, bool italic, std::string* failure) {
    if (!Library()) {
        *failure = "FreeType or fontconfig did not start";
        return nullptr;
    }
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
    FT_Face face = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    std::string path; // the file fontconfig offered
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(Library(), path.c_str(), index & 0xFFFF, &face) != 0) face = nullptr;
        if (face && !FT_IS_SCALABLE(face)) { // fixed-size bitmap fonts cannot take our sizes
            FT_Done_Face(face);
            face = nullptr;
        }
    }
    if (match) FcPatternDestroy(match);
    if (!face && path.empty())
        *failure = "fontconfig has no scalable face for " + Described(name, bold, italic);
    else if (!face)
        *failure = "fontconfig offered " + path + " for " + Described(name, bold, italic) +
                   ", which FreeType cannot read as a scalable face";
    return face;
}

// Font units scaled to whole pixels at the em size, rounded to the nearest (halves up).
int32_t ScaleUnits(int64_t units, int32_t emPixels, int32_t unitsPerEm) {
    return int32_t(FloorDivide<int64_t>(2 * units * emPixels + unitsPerEm, 2 * unitsPerEm));
}

// The pixel metrics of a face at its em size: the text cell from the face's Windows ascent
// and descent (falling back to the typographic ones), underline and strike-out positions.
SystemFontMetrics MetricsOf(FT_Face face, int32_t emPixels) {
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
    SystemFontMetrics m;
    m.ascent = std::max(1, ScaleUnits(ascent, emPixels, units));
    m.descent = std::max(0, ScaleUnits(descent, emPixels, units));
    m.underlineThickness = std::max(1, ScaleUnits(face->underline_thickness, emPixels, units));
    const int32_t underlineCentre = ScaleUnits(-int64_t(face->underline_position), emPixels, units);
    m.underlineRow = std::max(0, underlineCentre - m.underlineThickness / 2);
    m.strikeThickness = std::max(1, ScaleUnits(strikeSize, emPixels, units));
    m.strikeRow = std::max(1, ScaleUnits(strikePosition, emPixels, units));
    return m;
}

} // namespace

// A face of its own at the font's size, and the styles FreeType has to add to it.
struct SystemFont {
    FT_Face face = nullptr; // owned
    bool embolden = false;  // bold asked for, but the family has no bold face
    bool oblique = false;   // italic asked for, but the family has no italic or oblique face

    ~SystemFont() {
        if (face) FT_Done_Face(face);
    }
};

std::shared_ptr<SystemFont> OpenSystemFont(const SystemFontRequest& request,
                                           SystemFontMetrics* metrics, std::string* failure) {
    auto font = std::make_shared<SystemFont>();
    font->face = OpenBestFace(request.face, request.bold, request.italic, failure);
    if (!font->face) return nullptr;
    // The face file's own style says whether it is bold or italic; fontconfig may report
    // the requested style for a face it only means to slant or embolden.
    font->embolden = request.bold && !(font->face->style_flags & FT_STYLE_FLAG_BOLD);
    font->oblique = request.italic && !(font->face->style_flags & FT_STYLE_FLAG_ITALIC);
    if (FT_Set_Pixel_Sizes(font->face, 0, FT_UInt(request.emPixels)) != 0) {
        *failure = "FreeType cannot size " + Described(request.face, request.bold, request.italic) +
                   " to " + std::to_string(request.emPixels) + " pixels";
        return nullptr;
    }
    *metrics = MetricsOf(font->face, request.emPixels);
    return font;
}

SystemGlyph RasteriseCharacter(SystemFont& font, char32_t character) {
    SystemGlyph glyph;
    const FT_Face face = font.face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_BITMAP) != 0)
        return glyph;
    FT_GlyphSlot slot = face->glyph;
    FT_Pos advance = slot->advance.x;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (font.embolden) {
            // The stroke widening FreeType's own synthetic bold uses: 1/24 em.
            const FT_Pos strength = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24;
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
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
        return glyph;
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
