// The Windows-1252 table and the conversions of texts to UTF-8 and UTF-16.
#include "codepage.h"

namespace {

// The bounds of a run of a system text's own characters (UTF-8) in a text: shift out, shift in.
constexpr char SystemTextStart = '\x0E', SystemTextEnd = '\x0F';

// Unicode code points of the bytes 0x80 to 0x9F (the bytes 0xA0 to 0xFF are Latin-1 and
// stand for themselves). 0 marks the five bytes the code page leaves undefined.
constexpr char32_t HighControlBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 98-9F
};

} // namespace

// Called by the text drawing for each byte it rasterises and by the conversions below.
char32_t CodePageCharacter(unsigned char byte) {
    if (byte < 0x20 || byte == 0x7F) return 0;
    if (byte >= 0x80 && byte < 0xA0) return HighControlBlock[byte - 0x80];
    return byte;
}

// Called by SystemText below and by the typed characters of the name entry.
unsigned char CodePageByte(char32_t c) {
    for (unsigned char byte = 0xFF; c != 0 && byte >= 0x20; --byte)
        if (CodePageCharacter(byte) == c) return byte;
    return 0;
}

namespace {

// The code point of the UTF-8 sequence at text[i] and its length in bytes; a byte that does
// not start a well-formed sequence counts as one character the code page lacks (0).
char32_t DecodeUtf8(const std::string& text, size_t i, size_t* length) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    *length = 1;
    if (lead < 0x80) return lead;
    const size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || lead > 0xF4) return 0;
    char32_t c = lead & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    *length = extra + 1;
    return c;
}

// The characters of a text for the system's text interfaces: each byte's character of the
// code page, and the characters of a system text span (UTF-8 between SystemTextStart and
// SystemTextEnd) as they are; line breaks stay, other bytes and sequences without a
// character are left out.
template <typename Take> void ForEachCharacter(const Text& text, Take take) {
    bool inSystemText = false;
    size_t length = 1;
    for (size_t i = 0; i < text.size(); i += length) {
        length = 1;
        if (text[i] == SystemTextStart || text[i] == SystemTextEnd) {
            inSystemText = text[i] == SystemTextStart;
            continue;
        }
        const char32_t c = inSystemText ? DecodeUtf8(text, i, &length)
                                        : CodePageCharacter(static_cast<unsigned char>(text[i]));
        if (c != 0 || text[i] == '\n') take(c != 0 ? c : U'\n');
    }
}

// The UTF-8 bytes of a character, appended.
void AppendUtf8(std::string* out, char32_t c) {
    if (c < 0x80) {
        *out += char(c);
        return;
    }
    constexpr unsigned char Lead[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    *out += char(Lead[extra] | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k)
        *out += char(0x80 | ((c >> (6 * k)) & 0x3F));
}

} // namespace

// Called for the face names given to fontconfig, by TellPlayer for stderr and by the SDL
// window for its title and boxes. Every character of the code page lies below U+10000 (one to
// three UTF-8 bytes); a system text's characters beyond it are copied as they are.
std::string TextToUtf8(const Text& text) {
    std::string out;
    ForEachCharacter(text, [&](char32_t c) { AppendUtf8(&out, c); });
    return out;
}

// Called by the Windows backend for texts, face names and the window title; a system text's
// characters beyond U+FFFF become surrogate pairs.
std::u16string TextToUtf16(const Text& text) {
    std::u16string out;
    ForEachCharacter(text, [&](char32_t c) {
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    });
    return out;
}

// Called by the screens for the system's texts in what TellPlayer shows (paths, reasons).
// Characters the code page lacks are kept in runs of UTF-8 between SystemTextStart and
// SystemTextEnd (bytes no game text holds), which only the conversions above read.
Text SystemText(const std::string& utf8) {
    Text out;
    bool inSystemText = false;
    size_t length = 1;
    for (size_t i = 0; i < utf8.size(); i += length) {
        const char32_t c = DecodeUtf8(utf8, i, &length);
        const char byte = char(CodePageByte(c));
        const bool shown = c >= 0xA0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (inSystemText != (byte == 0 && shown))
            out += (inSystemText = !inSystemText) ? SystemTextStart : SystemTextEnd;
        if (inSystemText)
            AppendUtf8(&out, c);
        else
            out += c == '\n' ? '\n' : byte != 0 ? byte : '?';
    }
    if (inSystemText) out += SystemTextEnd;
    return out;
}
