// The glyph file of the browser build: the pictures of every character the program's fonts
// can draw, rasterised at build time by the native build's FreeType (tools/make_glyphs.cpp).
//
// Layout, all numbers little-endian: "TGLY", u32 version (1), u32 font count; per font a u16
// face name length and the name (UTF-8), i32 em pixels, u8 bold, u8 italic, six i32 metrics
// (ascent, descent, underline row and thickness, strike row and thickness), u32 glyph count;
// per glyph u32 character, i32 advance, left, top, width and rows, then rows * width
// coverage bytes.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "os_text.h"

// One font of the file: the request it answers, its metrics and its characters' pictures.
struct GlyphFont {
    SystemFontRequest request;
    SystemFontMetrics metrics;
    std::map<char32_t, SystemGlyph> glyphs;
};

// Called by the glyph generator: the whole file holding the fonts.
std::vector<uint8_t> GlyphFileBytes(const std::vector<GlyphFont>& fonts);

// Called by the browser's text service when it opens its first font: the file's fonts; false
// (and no fonts) when the bytes are not a whole glyph file of this version.
bool ParseGlyphFile(const std::vector<uint8_t>& bytes, std::vector<GlyphFont>& fonts);
