// Writing and reading the glyph file of the browser build (layout in glyph_file.h).
#include "glyph_file.h"

#include <string>

namespace {

constexpr uint32_t GlyphFileMagic = 0x594C4754; // "TGLY" read as a little-endian u32
constexpr uint32_t GlyphFileVersion = 1;
// Sizes no font of the program comes near; a larger field means a damaged file.
constexpr int32_t MaxPictureSide = 4096;
constexpr uint32_t MaxGlyphs = 65536;

// Appends value as count little-endian bytes (the writer's end of Reader::Number).
void Put(std::vector<uint8_t>& out, uint32_t value, int count = 4) {
    for (int i = 0; i < count; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// Reads the file front to back; every read past the end fails the reader for good.
struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
    bool ok = true;

    // Where the next count bytes start, then past them; null when the file ends first.
    const uint8_t* Take(size_t count) {
        ok = ok && bytes.size() - at >= count;
        if (!ok) return nullptr;
        at += count;
        return bytes.data() + (at - count);
    }
    // The next count bytes as a little-endian number; 0 past the end.
    uint32_t Number(size_t count) {
        const uint8_t* from = Take(count);
        uint32_t value = 0;
        for (size_t i = 0; from && i < count; ++i)
            value |= uint32_t(from[i]) << (8 * i);
        return value;
    }
    uint32_t U32() { return Number(4); }
    int32_t I32() { return int32_t(Number(4)); }
    uint16_t U16() { return uint16_t(Number(2)); }
    uint8_t U8() { return uint8_t(Number(1)); }
};

bool ReadGlyph(Reader& in, char32_t& character, SystemGlyph& glyph) {
    character = char32_t(in.U32());
    glyph.advance = in.I32();
    glyph.left = in.I32();
    glyph.top = in.I32();
    glyph.width = in.I32();
    glyph.rows = in.I32();
    if (glyph.width < 0 || glyph.rows < 0 || glyph.width > MaxPictureSide ||
        glyph.rows > MaxPictureSide)
        return false;
    const size_t size = size_t(glyph.width) * size_t(glyph.rows);
    if (const uint8_t* coverage = in.Take(size)) glyph.coverage.assign(coverage, coverage + size);
    return in.ok;
}

bool ReadFont(Reader& in, GlyphFont& font) {
    const uint16_t nameLength = in.U16();
    if (const uint8_t* name = in.Take(nameLength))
        font.request.face.assign(name, name + nameLength);
    font.request.emPixels = in.I32();
    font.request.bold = in.U8() != 0;
    font.request.italic = in.U8() != 0;
    SystemFontMetrics& m = font.metrics;
    m.ascent = in.I32();
    m.descent = in.I32();
    m.underlineRow = in.I32();
    m.underlineThickness = in.I32();
    m.strikeRow = in.I32();
    m.strikeThickness = in.I32();
    const uint32_t count = in.U32();
    if (!in.ok || count > MaxGlyphs) return false;
    for (uint32_t i = 0; i < count; ++i) {
        char32_t character = 0;
        SystemGlyph glyph;
        if (!ReadGlyph(in, character, glyph)) return false;
        font.glyphs[character] = std::move(glyph);
    }
    return true;
}

void PutFont(std::vector<uint8_t>& out, const GlyphFont& font) {
    const std::string& face = font.request.face;
    Put(out, uint32_t(face.size()), 2);
    out.insert(out.end(), face.begin(), face.end());
    Put(out, uint32_t(font.request.emPixels));
    Put(out, font.request.bold ? 1 : 0, 1);
    Put(out, font.request.italic ? 1 : 0, 1);
    const SystemFontMetrics& m = font.metrics;
    for (int32_t value : {m.ascent, m.descent, m.underlineRow, m.underlineThickness, m.strikeRow,
                          m.strikeThickness})
        Put(out, uint32_t(value));
    Put(out, uint32_t(font.glyphs.size()));
    for (const auto& [character, glyph] : font.glyphs) {
        Put(out, uint32_t(character));
        for (int32_t value : {glyph.advance, glyph.left, glyph.top, glyph.width, glyph.rows})
            Put(out, uint32_t(value));
        out.insert(out.end(), glyph.coverage.begin(), glyph.coverage.end());
    }
}

} // namespace

std::vector<uint8_t> GlyphFileBytes(const std::vector<GlyphFont>& fonts) {
    std::vector<uint8_t> out;
    for (uint32_t value : {GlyphFileMagic, GlyphFileVersion, uint32_t(fonts.size())})
        Put(out, value);
    for (const GlyphFont& font : fonts)
        PutFont(out, font);
    return out;
}

bool ParseGlyphFile(const std::vector<uint8_t>& bytes, std::vector<GlyphFont>& fonts) {
    fonts.clear();
    Reader in{bytes};
    if (in.U32() != GlyphFileMagic || in.U32() != GlyphFileVersion) return false;
    const uint32_t count = in.U32();
    for (uint32_t i = 0; in.ok && i < count; ++i) {
        GlyphFont font;
        if (!ReadFont(in, font)) break;
        fonts.push_back(std::move(font));
    }
    if (in.ok && fonts.size() == count && in.at == bytes.size()) return true;
    fonts.clear();
    return false;
}
