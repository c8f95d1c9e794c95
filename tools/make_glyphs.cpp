// Glyph generator: rasterises the program's fonts into the glyph file of the browser build.
#include <cstdio>
#include <string>
#include <vector>

#include "codepage.h"
#include "os/web/glyph_file.h"
#include "os_text.h"

// The browser has no FreeType: the build runs "make_glyphs <file>" with the native build's
// text service, so the browser draws the very pixels the Linux program draws.
namespace {

// A font the program opens: the face, its size in points and whether it is bold or italic.
struct ProgramFont {
    const char* face;
    int32_t points;
    bool bold;
    bool italic;
};

// The screens' fonts (setup) and the title bar's (frame), as their LoadFontSlot calls ask.
constexpr ProgramFont ProgramFonts[] = {
    {"Arial", 14, true, false},  {"Arial", 10, true, false}, {"Arial", 9, true, false},
    {"Verdana", 8, true, false}, {"Arial", 9, false, true},
};

// The font's pictures of every byte of the code page that has a character, as the glyph
// cache of the text drawing asks for them; false when the system has no face for it.
bool Rasterise(const ProgramFont& wanted, GlyphFont& font) {
    font.request.face = wanted.face;
    font.request.emPixels = (wanted.points * 96 + 36) / 72; // as LoadFontSlot converts points
    font.request.bold = wanted.bold;
    font.request.italic = wanted.italic;
    std::string failure;
    auto system = OpenSystemFont(font.request, &font.metrics, &failure);
    if (!system) {
        std::fprintf(stderr, "make_glyphs: %s\n", failure.c_str());
        return false;
    }
    for (int byte = 1; byte < 256; ++byte) {
        const char32_t character = CodePageCharacter(static_cast<unsigned char>(byte));
        if (character != 0) font.glyphs[character] = RasteriseCharacter(*system, character);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_glyphs <glyph file>\n");
        return 2;
    }
    std::vector<GlyphFont> fonts(std::size(ProgramFonts));
    for (size_t i = 0; i < fonts.size(); ++i)
        if (!Rasterise(ProgramFonts[i], fonts[i])) return 1;
    const std::vector<uint8_t> bytes = GlyphFileBytes(fonts);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "make_glyphs: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
