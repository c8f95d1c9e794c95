// The Windows-1252 table and the conversions of texts to UTF-8 and UTF-16.
#include "codepage.h"

namespace {

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

// Called for the face names given to fontconfig and by the SDL window for its title. Every
// character of the code page lies below U+10000, so one to three UTF-8 bytes each.
std::string TextToUtf8(const Text& text) {
    std::string out;
    for (unsigned char byte : text) {
        const char32_t c = CodePageCharacter(byte);
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

// Called by the Windows backend for texts, face names and the window title.
std::u16string TextToUtf16(const Text& text) {
    std::u16string out;
    for (unsigned char byte : text) {
        const char32_t c = CodePageCharacter(byte);
        if (c != 0) out += char16_t(c);
    }
    return out;
}
