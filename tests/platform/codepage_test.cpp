// Tests of the code page table and of texts as UTF-8 and UTF-16.
#include <gtest/gtest.h>

#include <string>

#include "codepage.h"

namespace {

// The code point of each character of a UTF-8 string, decoded here independently.
std::u32string DecodeUtf8(const std::string& bytes) {
    std::u32string out;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < bytes.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        out += c;
        i += length;
    }
    return out;
}

} // namespace

TEST(CodePage, GermanTextsAndTheSymbolsOfTheHighBlock) {
    EXPECT_EQ(TextToUtf8("H\xF6he"), "H\xC3\xB6he");
    EXPECT_EQ(TextToUtf16("H\xF6he"), u"H\u00F6he");
    EXPECT_EQ(TextToUtf16("Farb\xFC"
                          "bergang \x80 \x84\x93"),
              u"Farb\u00FCbergang \u20AC \u201E\u201C");
    EXPECT_EQ(TextToUtf8("\x80"), "\xE2\x82\xAC"); // the euro sign takes three bytes
    EXPECT_EQ(TextToUtf16("\x9F\xFF"), u"\u0178\u00FF");
}

TEST(CodePage, BytesWithoutAPictureAreLeftOut) {
    EXPECT_EQ(TextToUtf8(std::string("a\0b\tc\x7F"
                                     "d",
                                     7)),
              "abcd");
    EXPECT_EQ(TextToUtf16("\x81\x8D\x8F\x90\x9D\n"), u"\n"); // but line breaks stay
    EXPECT_EQ(TextToUtf8(""), "");
}

// Over every byte: both conversions give the same character, and exactly the bytes with a
// picture (and the line break) give one.
TEST(CodePage, BothConversionsAgreeOnEveryByte) {
    int pictures = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const std::u16string wide = TextToUtf16(text);
        const std::u32string decoded = DecodeUtf8(TextToUtf8(text));
        const char32_t c = CodePageCharacter(static_cast<unsigned char>(byte));
        ASSERT_EQ(wide.size(), c == 0 && byte != '\n' ? 0u : 1u) << byte;
        ASSERT_EQ(decoded.size(), wide.size()) << byte;
        if (c == 0) continue;
        ++pictures;
        EXPECT_EQ(char32_t(wide[0]), c) << byte;
        EXPECT_EQ(decoded[0], c) << byte;
        if (byte < 0x80 || byte >= 0xA0) { // ASCII and Latin-1 stand for themselves
            EXPECT_EQ(c, char32_t(byte));
        }
    }
    EXPECT_EQ(pictures, 256 - 32 - 1 - 5); // control characters, delete, five undefined bytes
}

// A path or a system's reason shown to the player: German letters and the euro sign become
// code-page bytes, other characters reach both conversions as they are, control characters and
// broken UTF-8 become one '?' each.
TEST(CodePage, SystemTextsKeepTheirCharacters) {
    EXPECT_EQ(SystemText("/home/j\xC3\xBCrgen/Spiele/"), "/home/j\xFCrgen/Spiele/");
    EXPECT_EQ(SystemText("\xE2\x82\xAC 5"), "\x80 5");
    const Text path = "Im Ordner " + SystemText("C:\\\xC5\x81\xC3\xB3"
                                                "d\xC5\xBA\\\xD0\x96 \xF0\x9F\x98\x80?");
    EXPECT_EQ(TextToUtf8(path), "Im Ordner C:\\\xC5\x81\xC3\xB3"
                                "d\xC5\xBA\\\xD0\x96 \xF0\x9F\x98\x80?");
    EXPECT_EQ(TextToUtf16(path), u"Im Ordner C:\\\u0141\u00F3d\u017A\\\u0416 \U0001F600?");
    EXPECT_EQ(SystemText("a\xC3"), "a?"); // cut off at the end
    EXPECT_EQ(SystemText("\xBC\xC3(\xF4\x90\x80\x80"), "?"
                                                       "?(?");   // broken, beyond U+10FFFF
    EXPECT_EQ(SystemText("tab\there\xC2\x85\n"), "tab?here?\n"); // control characters
    EXPECT_EQ(SystemText(""), "");
}
