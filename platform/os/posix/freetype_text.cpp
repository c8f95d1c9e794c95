// Rasterising text on Linux: faces found by fontconfig, glyphs rendered by FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "os_text.h"

namespace {

// A face file and what the font needs added to it: fontconfig's answer for a face name.
struct ResolvedFace {
    FT_Face face = nullptr; // null when nothing usable was found
    bool embolden = false;  // bold asked for, but the family has no bold face
    bool oblique = false;   // italic asked for, but the family has no italic or oblique face
    std::string failure;    // why face is null: what was looked for and where
};

// The process-wide font machinery: the FreeType library, every face file opened so far (each
// once) and the faces resolved for each name and style. These are caches of resources only:
// what is drawn depends on the font slots alone, so they are kept for the whole run and not
// cleared with the platform state. Made on the first font opened and never destroyed, so
// fonts released at program exit still find their faces.
struct FontMachinery {
    FT_Library library = nullptr;                         // null when FreeType failed
    std::map<std::pair<std::string, int>, FT_Face> files; // file and face index -> face
    std::map<std::tuple<std::string, bool, bool>, ResolvedFace> names; // name, bold, italic
};

FontMachinery& Machinery() {
    static FontMachinery* machinery = [] {
        auto* made = new FontMachinery;
        if (!FcInit() || FT_Init_FreeType(&made->library) != 0) made->library = nullptr;
        return made;
    }();
    return *machinery;
}

// Opens a face file, or finds it open already; null when FreeType cannot read it.
FT_Face OpenFaceFile(FontMachinery& machinery, const std::string& file, int index) {
    const auto key = std::make_pair(file, index);
    const auto found = machinery.files.find(key);
    if (found != machinery.files.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(machinery.library, file.c_str(), index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) { // fixed-size bitmap fonts cannot take our sizes
        FT_Done_Face(face);
        face = nullptr;
    }
    machinery.files[key] = face;
    return face;
}

// The face name with its style, for messages: "Arial" bold italic.
std::string Described(const std::string& name, bool bold, bool italic) {
    return "\"" + name + "\"" + (bold ? " bold" : "") + (italic ? " italic" : "");
}

// Asks fontconfig for the best face of the family in the wanted weight and slant, so that
// the family's own bold and italic files are used; unknown names get fontconfig's
// substitute, as the Windows font mapper would give one. Bold and italic are made by
// FreeType only when the chosen face lacks them.
ResolvedFace ResolveFace(const std::string& name, bool bold, bool italic) {
    FontMachinery& machinery = Machinery();
    if (!machinery.library) return {nullptr, false, false, "FreeType or fontconfig did not start"};
    const auto key = std::make_tuple(name, bold, italic);
    const auto found = machinery.names.find(key);
    if (found != machinery.names.end()) return found->second;

    ResolvedFace resolved;
    resolved.failure = "fontconfig has no scalable face for " + Described(name, bold, italic);
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
            const std::string path = reinterpret_cast<const char*>(file);
            resolved.face = OpenFaceFile(machinery, path, index & 0xFFFF);
            resolved.failure = "fontconfig offered " + path + " for " +
                               Described(name, bold, italic) +
                               ", which FreeType cannot read as a scalable face";
        }
        FcPatternDestroy(match);
    }
    // The face file's own style says whether it is bold or italic; fontconfig may report
    // the requested style for a face it only means to slant or embolden.
    if (resolved.face) {
        resolved.embolden = bold && !(resolved.face->style_flags & FT_STYLE_FLAG_BOLD);
        resolved.oblique = italic && !(resolved.face->style_flags & FT_STYLE_FLAG_ITALIC);
        resolved.failure.clear();
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

// One size of a shared face file and the styles FreeType has to add to it.
struct SystemFont {
    FT_Face face = nullptr; // the face file (owned by the font machinery)
    FT_Size size = nullptr; // this font's size object of that face (owned)
    bool embolden = false;  // synthetic bold
    bool oblique = false;   // synthetic italic

    ~SystemFont() {
        if (size) FT_Done_Size(size);
    }
};

std::shared_ptr<SystemFont> OpenSystemFont(const SystemFontRequest& request,
                                           SystemFontMetrics* metrics, std::string* failure) {
    const ResolvedFace resolved = ResolveFace(request.face, request.bold, request.italic);
    if (!resolved.face) {
        *failure = resolved.failure;
        return nullptr;
    }
    auto font = std::make_shared<SystemFont>();
    font->face = resolved.face;
    font->embolden = resolved.embolden;
    font->oblique = resolved.oblique;
    if (FT_New_Size(resolved.face, &font->size) != 0) font->size = nullptr;
    if (!font->size || FT_Activate_Size(font->size) != 0 ||
        FT_Set_Pixel_Sizes(resolved.face, 0, FT_UInt(request.emPixels)) != 0) {
        *failure = "FreeType cannot size " + Described(request.face, request.bold, request.italic) +
                   " to " + std::to_string(request.emPixels) + " pixels";
        return nullptr;
    }
    *metrics = MetricsOf(resolved.face, request.emPixels);
    return font;
}

SystemGlyph RasteriseCharacter(SystemFont& font, char32_t character) {
    SystemGlyph glyph;
    FT_Activate_Size(font.size);
    const FT_Face face = font.face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_BITMAP) != 0)
        return glyph;
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
