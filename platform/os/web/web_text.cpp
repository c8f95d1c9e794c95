// Text in the browser: the pictures of the native build's FreeType, read from the glyph file.
#include <string>

#include "glyph_file.h"
#include "os_files.h"
#include "os_text.h"

namespace {

// The glyph file lies beside the program (the page's folder, or a test program's folder).
constexpr const char* GlyphFileName = "tessaroc-glyphs.dat";
// The file holds a few fonts of about a hundred kilobytes.
constexpr int64_t MaxGlyphFileBytes = int64_t{1} << 26;

// Every font of the glyph file, read on the first font opened and kept for the whole run
// (like the face files of FreeType); failure says why there are none.
struct GlyphStore {
    std::vector<GlyphFont> fonts;
    std::string failure;
};

GlyphStore ReadGlyphStore() {
    GlyphStore store;
    const std::string path = OsExecutableFolder() + GlyphFileName;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!OsReadWholeFile(path, OsOpenMode::ReadOnly, MaxGlyphFileBytes, bytes, reason))
        store.failure = "cannot read " + path + ": " + reason;
    else if (!ParseGlyphFile(bytes, store.fonts))
        store.failure = path + " is not a glyph file of this program";
    return store;
}

bool SameRequest(const SystemFontRequest& a, const SystemFontRequest& b) {
    return a.face == b.face && a.emPixels == b.emPixels && a.bold == b.bold && a.italic == b.italic;
}

} // namespace

// A font of the glyph file (owned by the store).
struct SystemFont {
    const GlyphFont* font = nullptr;
};

std::shared_ptr<SystemFont> OpenSystemFont(const SystemFontRequest& request,
                                           SystemFontMetrics* metrics, std::string* failure) {
    static const GlyphStore& store = *new GlyphStore(ReadGlyphStore());
    for (const GlyphFont& font : store.fonts) {
        if (!SameRequest(font.request, request)) continue;
        *metrics = font.metrics;
        auto opened = std::make_shared<SystemFont>();
        opened->font = &font;
        return opened;
    }
    *failure = store.failure.empty() ? "the glyph file has no pictures of it at " +
                                           std::to_string(request.emPixels) + " pixels"
                                     : store.failure;
    return nullptr;
}

// Characters outside the code page were never rasterised: an empty picture, no advance.
SystemGlyph RasteriseCharacter(SystemFont& font, char32_t character) {
    const auto found = font.font->glyphs.find(character);
    return found == font.font->glyphs.end() ? SystemGlyph() : found->second;
}
