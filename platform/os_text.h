// Rasterising text through the system's font service, one implementation per system:
// FreeType with fontconfig on Linux (posix/freetype_text.cpp), GDI on Windows.
//
// The shared text drawing (text.cpp) asks for a font once per font slot and for each
// character once per font; it keeps every picture in its own glyph cache, blends the
// coverage into the back buffer and draws underline and strike-out itself. An
// implementation therefore only turns one character into grey levels and reports the
// font's metrics; it never touches the back buffer and keeps no state the tests reset.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A font of the system at one size: opaque to the shared code, owned through shared_ptr, and
// released (with whatever the system holds for it) when the last owner lets go.
struct SystemFont;

// The font a font slot asks for.
struct SystemFontRequest {
    std::string face;     // family name as UTF-8, for example "Arial"
    int32_t emPixels = 0; // em height in whole pixels (the size in points at 96 dpi), 1 to 1333
    bool bold = false;    // weight 700 (a face without a bold variant is emboldened)
    bool italic = false;  // italic (a face without an italic variant is slanted)
};

// The font's vertical metrics in whole pixels, all measured from the baseline.
struct SystemFontMetrics {
    int32_t ascent = 0;             // from the top of the text cell down to the baseline (>= 1)
    int32_t descent = 0;            // from the baseline down to the bottom of the cell (>= 0)
    int32_t underlineRow = 0;       // first underline row below the baseline (>= 0)
    int32_t underlineThickness = 1; // underline rows (>= 1)
    int32_t strikeRow = 0;          // first strike-out row above the baseline (>= 1)
    int32_t strikeThickness = 1;    // strike-out rows (>= 1)
};

// One character's picture: 8-bit coverage (0 no ink, 255 full ink) and where it goes. The
// pen stands on the baseline; the picture's first column lies `left` columns right of the
// pen and its first row `top` rows above the baseline; the pen then moves `advance` columns.
struct SystemGlyph {
    int32_t advance = 0;           // whole pixels the pen moves (>= 0)
    int32_t left = 0;              // columns from the pen to the picture's first column
    int32_t top = 0;               // rows from the picture's first row down to the baseline
    int32_t width = 0;             // picture columns (0 for a blank such as the space)
    int32_t rows = 0;              // picture rows
    std::vector<uint8_t> coverage; // rows * width grey levels, top row first
};

// Called by LoadFontSlot. Opens the best face of the system for the request: the family's
// own bold and italic faces when it has them, the system's usual substitute for an unknown
// family. Returns null when no usable face exists, with `failure` saying in one line what
// was looked for and where (the caller reports it once on stderr).
std::shared_ptr<SystemFont> OpenSystemFont(const SystemFontRequest& request,
                                           SystemFontMetrics* metrics, std::string* failure);

// Called by the glyph cache the first time a font draws or measures a character (a Unicode
// code point below U+10000). A character the face lacks gives the face's own missing-glyph
// picture; a failure of the system gives an empty picture with no advance.
SystemGlyph RasteriseCharacter(SystemFont& font, char32_t character);
