// libFuzzer target: arbitrary bytes through the reader of the browser build's glyph file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "os/web/glyph_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<GlyphFont> fonts;
    if (ParseGlyphFile(std::vector<uint8_t>(data, data + size), fonts)) {
        // Every picture read must hold exactly its rows of coverage.
        for (const GlyphFont& font : fonts)
            for (const auto& [character, glyph] : font.glyphs)
                if (glyph.coverage.size() != size_t(glyph.width) * size_t(glyph.rows))
                    __builtin_trap();
    } else if (!fonts.empty()) {
        __builtin_trap(); // a refused file leaves no fonts behind
    }
    return 0;
}
