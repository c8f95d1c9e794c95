// Tests of text on Linux: a machine whose fontconfig offers no face at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform.h"
#include "platform_state.h"
#include "test_support.h"

// Runs in a child process (fontconfig reads its configuration once per process): with no
// font, each face that cannot be loaded is named once on stderr, and its texts stay blank.
TEST(FontconfigText, AMissingFontIsReportedOnceAndDrawsNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string config = MakeTempFolder("nofonts") + "fonts.conf";
    WriteWholeFile(config, "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    EXPECT_EXIT(
        {
            setenv("FONTCONFIG_FILE", config.c_str(), 1);
            ResetPlatformState();
            CreateBackBuffer(100, 40);
            bool blank = LoadFontSlot(2, "Arial", 14, FontBold) == 0 &&
                         LoadFontSlot(3, "Arial", 10, FontBold) == 0 && // same face: no new line
                         LoadFontSlot(5, "Verdana", 8, 0) == 0;
            BeginDrawing(BackBufferOutput());
            UseFontSlot(2);
            SetInkColour(255, 255, 255);
            DrawTextAtCursor("Einstellungen");
            for (uint32_t pixel : BackBuffer.pixels)
                blank = blank && pixel == 0;
            std::exit(blank ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "^tessaroc: cannot load the font Arial: [^\n]*\"Arial\" bold[^\n]*; its texts stay blank\n"
        "tessaroc: cannot load the font Verdana: [^\n]*\"Verdana\"[^\n]*\n$");
}
