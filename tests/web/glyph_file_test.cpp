// The glyph file of the browser build: written and read back whole, damaged files refused,
// and the file beside the program holding every character of the program's fonts.
#include <gtest/gtest.h>

#include "codepage.h"
#include "os/web/glyph_file.h"
#include "os_files.h"

namespace {

GlyphFont SmallFont() {
    GlyphFont font;
    font.request = {"Arial", 12, true, false};
    font.metrics = {11, 3, 1, 1, 4, 1};
    SystemGlyph a;
    a.advance = 8;
    a.left = -1;
    a.top = 9;
    a.width = 2;
    a.rows = 3;
    a.coverage = {0, 255, 17, 128, 1, 2};
    font.glyphs[U'A'] = a;
    font.glyphs[U' '] = SystemGlyph{4, 0, 0, 0, 0, {}};
    return font;
}

std::vector<uint8_t> FileOf(const std::vector<GlyphFont>& fonts) {
    return GlyphFileBytes(fonts);
}

} // namespace

TEST(GlyphFile, ReadsBackWhatWasWritten) {
    GlyphFont second = SmallFont();
    second.request = {"Verdana", 11, false, true};
    std::vector<GlyphFont> fonts;
    ASSERT_TRUE(ParseGlyphFile(FileOf({SmallFont(), second}), fonts));
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[1].request.face, "Verdana");
    EXPECT_TRUE(fonts[1].request.italic);
    EXPECT_FALSE(fonts[1].request.bold);
    EXPECT_EQ(fonts[0].metrics.ascent, 11);
    EXPECT_EQ(fonts[0].metrics.strikeRow, 4);
    const SystemGlyph& a = fonts[0].glyphs.at(U'A');
    EXPECT_EQ(a.left, -1);
    EXPECT_EQ(a.coverage, (std::vector<uint8_t>{0, 255, 17, 128, 1, 2}));
    EXPECT_EQ(fonts[0].glyphs.at(U' ').advance, 4);
}

TEST(GlyphFile, EveryCutOrGrownFileIsRefusedWhole) {
    const std::vector<uint8_t> whole = FileOf({SmallFont()});
    std::vector<GlyphFont> fonts;
    for (size_t length = 0; length < whole.size(); ++length) {
        ASSERT_FALSE(ParseGlyphFile({whole.begin(), whole.begin() + std::ptrdiff_t(length)}, fonts))
            << length;
        EXPECT_TRUE(fonts.empty());
    }
    std::vector<uint8_t> longer = whole;
    longer.push_back(0);
    EXPECT_FALSE(ParseGlyphFile(longer, fonts));
    std::vector<uint8_t> otherVersion = whole;
    otherVersion[4] = 2;
    EXPECT_FALSE(ParseGlyphFile(otherVersion, fonts));
}

// The file the build rasterised, where the browser's text service reads it: the program's
// five fonts, each with a picture of every character of the code page.
TEST(GlyphFile, TheBuiltFileHoldsEveryCharacterOfTheProgramsFonts) {
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(OsReadWholeFile(OsExecutableFolder() + "tessaroc-glyphs.dat", OsOpenMode::ReadOnly,
                                int64_t{1} << 26, bytes, reason))
        << reason;
    std::vector<GlyphFont> fonts;
    ASSERT_TRUE(ParseGlyphFile(bytes, fonts));
    ASSERT_EQ(fonts.size(), 5u);
    for (const GlyphFont& font : fonts)
        for (int byte = 1; byte < 256; ++byte) {
            const char32_t character = CodePageCharacter(static_cast<unsigned char>(byte));
            if (character != 0) EXPECT_EQ(font.glyphs.count(character), 1u) << byte;
        }
    EXPECT_EQ(fonts[0].request.face, "Arial");
    EXPECT_EQ(fonts[0].request.emPixels, 19); // 14 points at 96 dots per inch
}
