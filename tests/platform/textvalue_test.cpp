// Tests of the text value helpers: number formats whatever the locale, and byte-wise texts.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "platform.h"
#include "test_support.h"

namespace {

// Whether the current locale writes a decimal comma (a C library without locales, as in the
// browser, accepts every name and keeps the point).
bool DecimalComma() {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    return std::string(buffer) == "1,5";
}

// Makes a German locale (decimal comma) current: an installed one, or else one built with
// localedef into a temporary folder. Returns false when neither works.
bool UseGermanLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"})
        if (std::setlocale(LC_ALL, name) != nullptr && DecimalComma()) return true;
#ifdef _WIN32
    return false; // Windows names its German locale above; there is nothing to build
#else
    // Removed when the test program ends.
    static struct BuiltLocale {
        std::string folder;
        ~BuiltLocale() {
            if (!folder.empty()) std::filesystem::remove_all(folder);
        }
    } built;
    if (built.folder.empty()) {
        std::string folder = MakeTempFolder("locale");
        std::string command =
            "localedef -i de_DE -f UTF-8 " + folder + "de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return false;
        built.folder = folder;
    }
    setenv("LOCPATH", built.folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr && DecimalComma();
#endif
}

// Runs the checks once in the C locale and once in a German one, which must change nothing.
template <typename Checks> void InEveryLocale(Checks checks) {
    checks();
    if (UseGermanLocale()) {
        checks();
    } else {
        std::printf("no German locale: checked in the C locale only\n");
    }
    std::setlocale(LC_ALL, "C");
}

} // namespace

TEST(TextValues, NumbersToText) {
    InEveryLocale([] {
        EXPECT_EQ(IntToText(0), "0");
        EXPECT_EQ(IntToText(-42), "-42");
        EXPECT_EQ(IntToText(INT32_MIN), "-2147483648");
        EXPECT_EQ(IntToText(INT32_MAX), "2147483647");

        EXPECT_EQ(FloatToText(16.05f), "16.049999"); // the float's exact value, as "%f"
        EXPECT_EQ(FloatToText(1.23f), "1.230000");
        EXPECT_EQ(FloatToText(0.0f), "0.000000");
        EXPECT_EQ(FloatToText(-0.5f), "-0.500000");
        EXPECT_EQ(FloatToText(-2.75f), "-2.750000");
        EXPECT_EQ(FloatToText(0.0000004f), "0.000000");
        EXPECT_EQ(FloatToText(0.0000006f), "0.000001");
        EXPECT_EQ(FloatToText(16777216.0f), "16777216.000000");
        EXPECT_EQ(FloatToText(1e20f), "100000002004087734272.000000");
        EXPECT_EQ(FloatToText(std::numeric_limits<float>::max()).size(), 39u + 7u);
        EXPECT_EQ(FloatToText(std::numeric_limits<float>::infinity()), "inf");
        EXPECT_EQ(FloatToText(-std::numeric_limits<float>::infinity()), "-inf");
    });
}

TEST(TextValues, TextToNumbers) {
    InEveryLocale([] {
        EXPECT_EQ(TextToInt("42"), 42);
        EXPECT_EQ(TextToInt("  \t-17abc"), -17);
        EXPECT_EQ(TextToInt("+8"), 8);
        EXPECT_EQ(TextToInt("12.9"), 12);
        EXPECT_EQ(TextToInt(""), 0);
        EXPECT_EQ(TextToInt("x5"), 0);
        EXPECT_EQ(TextToInt("- 5"), 0);
        EXPECT_EQ(TextToInt("2147483647"), INT32_MAX);
        EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
        EXPECT_EQ(TextToInt("99999999999999999999"), INT32_MAX);
        EXPECT_EQ(TextToInt("-99999999999999999999"), INT32_MIN);

        EXPECT_EQ(TextToFloat("1.23"), 1.23f);
        EXPECT_EQ(TextToFloat("1,23"), 1.0f); // the comma ends the number, as in the C locale
        EXPECT_EQ(TextToFloat("  +16.05 s"), 16.05f);
        EXPECT_EQ(TextToFloat("-0.5"), -0.5f);
        EXPECT_EQ(TextToFloat(".5"), 0.5f);
        EXPECT_EQ(TextToFloat("5."), 5.0f);
        EXPECT_EQ(TextToFloat("1e3"), 1000.0f);
        EXPECT_EQ(TextToFloat("1e"), 1.0f);
        EXPECT_EQ(TextToFloat("2E-2x"), 0.02f);
        EXPECT_EQ(TextToFloat("0x1p4"), 16.0f);
        EXPECT_EQ(TextToFloat("-0X.8"), -0.5f);
        EXPECT_EQ(TextToFloat("0x"), 0.0f);
        EXPECT_EQ(TextToFloat("0xg"), 0.0f);
        EXPECT_EQ(TextToFloat(""), 0.0f);
        EXPECT_EQ(TextToFloat("abc"), 0.0f);
        EXPECT_EQ(TextToFloat("--1"), 0.0f);
        EXPECT_EQ(TextToFloat("+-1"), 0.0f);
        EXPECT_EQ(TextToFloat("inf"), std::numeric_limits<float>::infinity());
        EXPECT_EQ(TextToFloat("-Infinity"), -std::numeric_limits<float>::infinity());
        EXPECT_TRUE(std::isnan(TextToFloat("nan")));
        EXPECT_EQ(TextToFloat("1e999"), std::numeric_limits<float>::infinity());
        EXPECT_EQ(TextToFloat("-1e999"), -std::numeric_limits<float>::infinity());
        EXPECT_EQ(TextToFloat("1e-999"), 0.0f);
        EXPECT_EQ(TextToFloat("0.0000001e-400"), 0.0f);
        EXPECT_EQ(TextToFloat("1e40"),
                  std::numeric_limits<float>::infinity()); // double, then float
        // A time written by FloatToText reads back to the same float.
        EXPECT_EQ(TextToFloat(FloatToText(16.05f)), 16.05f);
    });
}

TEST(TextValues, ByteTexts) {
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("H\xF6he:"), 5);
    EXPECT_EQ(CharToText('x'), "x");
    EXPECT_EQ(CharToText(0), "");
    EXPECT_EQ(CharToText(-4), "\xFC"); // a signed byte read from a file
    EXPECT_EQ(CharToText(0x141), "A");
    EXPECT_EQ(CharToText(256), "");
    EXPECT_EQ(SpaceText(3), "   ");
    EXPECT_EQ(SpaceText(0), "");
    EXPECT_EQ(SpaceText(-5), "");

    EXPECT_EQ(MidText("Tessaroc", 1, 4), "Tess");
    EXPECT_EQ(MidText("Tessaroc", 5, 100), "aroc");
    EXPECT_EQ(MidText("Tessaroc", 8, 1), "c");
    EXPECT_EQ(MidText("Tessaroc", 9, 1), "");
    EXPECT_EQ(MidText("Tessaroc", 3, 0), "");
    EXPECT_EQ(MidText("Tessaroc", 3, -2), "");
    EXPECT_EQ(MidText("Tessaroc", 0, 2), "Te");
    EXPECT_EQ(MidText("Tessaroc", INT32_MIN, 2), "Te");
    EXPECT_EQ(MidText("Tessaroc", INT32_MAX, INT32_MAX), "");
    EXPECT_EQ(MidText("", 1, 1), "");

    EXPECT_EQ(UpperText("abc xyz 019 {}"), "ABC XYZ 019 {}");
    EXPECT_EQ(UpperText("\xE4\xF6\xFC\xDF\xE0\xFF"), "\xC4\xD6\xDC\xDF\xC0\xDF");
    EXPECT_EQ(UpperText("\xF7"), "\xD7"); // the rule takes 247 as well
    EXPECT_EQ(UpperText("\xC4\xDF\x80\xDE"), "\xC4\xDF\x80\xDE");

    EXPECT_EQ(TextLess("abc", "abd"), 1);
    EXPECT_EQ(TextLess("abd", "abc"), 0);
    EXPECT_EQ(TextLess("ab", "abc"), 1);
    EXPECT_EQ(TextLess("abc", "abc"), 0);
    EXPECT_EQ(TextGreater("abc", "abc"), 0);
    EXPECT_EQ(TextGreater("b", "abc"), 1);
    EXPECT_EQ(TextLess("z", "\xE4"), 1); // bytes compare unsigned: 0xE4 comes after 'z'
    EXPECT_EQ(TextGreater("\xE4", "z"), 1);
    EXPECT_EQ(TextLess("", ""), 0);
    EXPECT_EQ(TextLess("", "a"), 1);
}
