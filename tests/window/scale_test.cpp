// How the real window chooses its scale factor from the environment and the X resources.
#include <gtest/gtest.h>

#include "sdl_platform.h"

namespace {

// X resources as xrdb leaves them: one "name:<tab>value" a line.
constexpr const char* Dpi96 = "Xcursor.size:\t24\nXft.dpi:\t96\nXft.antialias:\t1\n";
constexpr const char* Dpi144 = "Xft.antialias:\t1\nXft.dpi:\t144\n";
constexpr const char* Dpi192 = "Xft.dpi:\t192";

TEST(ScaleFactor, OrdinaryDesktopDrawsAtTheGamesOwnSize) {
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, Dpi96), 1);
    EXPECT_EQ(ChooseScaleFactor(nullptr, "1", Dpi96), 1);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, "Xft.dpi:\t143.9\n"), 1);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, ""), 1);
}

TEST(ScaleFactor, HighDensityDesktopDoublesFromOneHundredFortyFourDpiOrGdkScale) {
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, Dpi144), 2);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, Dpi192), 2);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, "Xft.dpi: 288\n"), 2) << "never more than 2";
    EXPECT_EQ(ChooseScaleFactor(nullptr, "2", nullptr), 2);
    EXPECT_EQ(ChooseScaleFactor(nullptr, "2", Dpi96), 2);
}

TEST(ScaleFactor, OnlyTheXftDpiResourceCounts) {
    // Another resource that ends in "dpi", or one that merely contains the name.
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, "Foo.Xft.dpi:\t192\n*dpi:\t192\n"), 1);
    EXPECT_EQ(ChooseScaleFactor(nullptr, nullptr, "Xft.dpix:\t192\n"), 1);
}

TEST(ScaleFactor, TessarocScaleOverridesTheDesktopBothWays) {
    EXPECT_EQ(ChooseScaleFactor("1", "2", Dpi192), 1);
    EXPECT_EQ(ChooseScaleFactor("3", nullptr, Dpi96), 3);
    EXPECT_EQ(ChooseScaleFactor("4", nullptr, nullptr), 4);
    EXPECT_EQ(ChooseScaleFactor("2", nullptr, nullptr), 2);
}

TEST(ScaleFactor, TessarocScaleOutsideOneToFourIsLeftOut) {
    for (const char* wrong : {"0", "5", "-2", "+2", "2x", "1.5", "two", "", " 2"}) {
        EXPECT_EQ(ChooseScaleFactor(wrong, nullptr, Dpi96), 1) << "TESSAROC_SCALE=" << wrong;
        EXPECT_EQ(ChooseScaleFactor(wrong, nullptr, Dpi192), 2) << "TESSAROC_SCALE=" << wrong;
    }
}

} // namespace
