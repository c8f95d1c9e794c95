// Tests of the name entry: the scan-code table, Shift, the key repeat and the name editing.
#include <gtest/gtest.h>

#include <initializer_list>

#include "besttimes_test_support.h"
#include "script_platform.h"
#include "test_support.h"

namespace {

// The key text of one ReadNameKey with exactly these keys down, on a fresh repeat state.
std::string KeyTextOf(std::initializer_list<int32_t> codes) {
    ScriptReset();
    KeyRepeat = KeyRepeatRecord();
    ScriptSetClock(1000);
    for (int32_t code : codes)
        ScriptKeyDown(1000, code);
    return ReadNameKey();
}

// ReadNameKey at fake time t.
std::string KeyAt(uint32_t t) {
    ScriptSetClock(t);
    return ReadNameKey();
}

} // namespace

// Every row of the German table, typed independently of the implementation.
TEST(ReadNameKey, GermanScanCodeTable) {
    struct Case {
        int32_t code;
        const char* plain;
        const char* shifted;
    };
    const Case cases[] = {
        {0x0B, "0", "="},
        {0x52, "0", "="},
        {0x02, "1", "!"},
        {0x4F, "1", "!"},
        {0x03, "2", "\""},
        {0x50, "2", "\""},
        {0x04, "3", "\xA7"},
        {0x51, "3", "\xA7"},
        {0x05, "4", "$"},
        {0x4B, "4", "$"},
        {0x06, "5", "%"},
        {0x4C, "5", "%"},
        {0x07, "6", "&"},
        {0x4D, "6", "&"},
        {0x08, "7", "/"},
        {0x47, "7", "/"},
        {0x09, "8", "("},
        {0x48, "8", "("},
        {0x0A, "9", ")"},
        {0x49, "9", ")"},
        {0x1E, "a", "A"},
        {0x30, "b", "B"},
        {0x2E, "c", "C"},
        {0x20, "d", "D"},
        {0x12, "e", "E"},
        {0x21, "f", "F"},
        {0x22, "g", "G"},
        {0x23, "h", "H"},
        {0x17, "i", "I"},
        {0x24, "j", "J"},
        {0x25, "k", "K"},
        {0x26, "l", "L"},
        {0x32, "m", "M"},
        {0x31, "n", "N"},
        {0x18, "o", "O"},
        {0x19, "p", "P"},
        {0x10, "q", "Q"},
        {0x13, "r", "R"},
        {0x1F, "s", "S"},
        {0x14, "t", "T"},
        {0x16, "u", "U"},
        {0x2F, "v", "V"},
        {0x11, "w", "W"},
        {0x2D, "x", "X"},
        {0x2C, "y", "Y"},
        {0x15, "z", "Z"},
        {0x0C, "\xDF", "?"},
        {0x28, "\xE4", "\xC4"},
        {0x27, "\xF6", "\xD6"},
        {0x1A, "\xFC", "\xDC"},
        {0x33, ",", ";"},
        {0x53, ",", ";"},
        {0x34, ".", ":"},
        {0x35, "-", "_"},
        {0x4A, "-", "_"},
        {0x4E, "+", "*"},
        {0x1B, "+", "*"},
        {0x37, "*", "*"},
        {0xB5, "/", "/"},
        {0x2B, "#", "'"},
        {0x56, "<", ">"},
        {0x39, " ", " "},
        {0x1C, "*ENTER*", "*ENTER*"},
        {0x9C, "*ENTER*", "*ENTER*"},
        {0x0E, "*BACK*", "*BACK*"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyTextOf({c.code}), c.plain) << "code " << c.code;
        EXPECT_EQ(KeyTextOf({0x2A, c.code}), c.shifted) << "code " << c.code << " left shift";
        EXPECT_EQ(KeyTextOf({0x36, c.code}), c.shifted) << "code " << c.code << " right shift";
    }
    // Keys outside the table give nothing; Control, Alt and Caps Lock change nothing.
    for (int32_t code : {0x01, 0x0F, 0x3A, 0x3B, 0x1D, 0x38, 0x29, 0x0D, 0xC8, 0xD3})
        EXPECT_EQ(KeyTextOf({code}), "") << "code " << code;
    EXPECT_EQ(KeyTextOf({0x2A}), "");
    EXPECT_EQ(KeyTextOf({0x1D, KeyA}), "a");
    EXPECT_EQ(KeyTextOf({KeyA, 0x3A}), "a");
}

TEST(ReadNameKey, KeysPressedTogetherTypeInTheOrderPressedAndFlagsFollowTheKeys) {
    EXPECT_EQ(KeyTextOf({KeyB, KeyA}), "b");
    EXPECT_EQ(ReadNameKey(), "a") << "the second key pressed, in the next frame";

    KeyTextOf({KeyA, 0xB5});
    ReadNameKey(); // the second key pressed shows in the next snapshot
    EXPECT_EQ(KeyFlags[KeyA], 1);
    EXPECT_EQ(KeyFlags[0xB5], 1);
    EXPECT_EQ(KeyFlags[KeyB], 0);
    EXPECT_EQ(KeyFlags[0], 0);
    ScriptKeyUp(1000, KeyA);
    ReadNameKey();
    EXPECT_EQ(KeyFlags[KeyA], 0);
    EXPECT_EQ(KeyFlags[0xB5], 1);
}

TEST(ReadNameKey, RepeatAtOnceThenAfter350ThenEvery20) {
    ScriptReset();
    KeyRepeat = KeyRepeatRecord();
    ScriptKeyDown(1000, KeyA);
    EXPECT_EQ(KeyAt(1000), "a");
    EXPECT_EQ(KeyAt(1000), "");
    EXPECT_EQ(KeyAt(1200), "");
    EXPECT_EQ(KeyAt(1350), ""); // not more than 350 ms yet
    EXPECT_EQ(KeyAt(1351), "a");
    EXPECT_EQ(KeyAt(1371), "");
    EXPECT_EQ(KeyAt(1372), "a");
    EXPECT_EQ(KeyAt(1500), "a"); // one delivery per call, however long the gap
    EXPECT_EQ(KeyAt(1500), "");
    EXPECT_EQ(KeyAt(1521), "a");
    // Releasing resets the repeat: the next press comes at once, then waits 350 ms again.
    ScriptKeyUp(1530, KeyA);
    EXPECT_EQ(KeyAt(1530), "");
    EXPECT_EQ(KeyRepeat.phase, 0);
    ScriptKeyDown(1540, KeyA);
    EXPECT_EQ(KeyAt(1540), "a");
    EXPECT_EQ(KeyAt(1600), "");
    EXPECT_EQ(KeyAt(1891), "a");
}

// Shift going down while a letter is held delivers nothing at once (a roll-over from the
// letter to the Shift of the next one); the repeat then goes on in capitals. Another key
// comes at once.
TEST(ReadNameKey, ShiftAloneDeliversNothingAnotherKeyComesAtOnce) {
    ScriptReset();
    KeyRepeat = KeyRepeatRecord();
    ScriptKeyDown(1000, KeyA);
    EXPECT_EQ(KeyAt(1000), "a");
    ScriptKeyDown(1100, KeyShift); // A stays held
    EXPECT_EQ(KeyAt(1100), "");
    EXPECT_EQ(KeyAt(1110), "");
    EXPECT_EQ(KeyAt(1351), "A") << "the repeat, counted from the first delivery";
    ScriptKeyDown(1360, KeyB); // a later row takes over
    EXPECT_EQ(KeyAt(1360), "B");
}

// Typed fast, Shift is often let go a moment before the letter: "B" stays "B", and the
// next letter comes as typed.
TEST(ReadNameKey, ShiftLetGoBeforeTheLetterTypesItOnce) {
    for (uint32_t phase = 0; phase < 16; phase++) {
        SCOPED_TRACE(phase);
        ScriptReset();
        KeyRepeat = KeyRepeatRecord();
        const uint32_t t = 1000 + phase;
        ScriptKeyDown(t, KeyShift);
        ScriptKeyDown(t + 50, KeyB);
        ScriptKeyUp(t + 150, KeyShift);
        ScriptKeyUp(t + 200, KeyB);
        ScriptTap(t + 280, KeyA, 100);
        std::string typed;
        for (uint32_t now = 1000; now < 1500; now += 16)
            typed += KeyAt(now);
        EXPECT_EQ(typed, "Ba");
    }
}

// A slow frame (a loaded machine) after the one that saw Shift go down: the letter typed
// with it and Shift let go before the next frame still come as a capital, once.
TEST(ReadNameKey, ShiftSeenAloneThenLetGoDuringASlowFrameStillCapitalises) {
    ScriptReset();
    KeyRepeat = KeyRepeatRecord();
    ScriptKeyDown(1000, KeyShift);
    EXPECT_EQ(KeyAt(1000), "");
    ScriptKeyDown(1020, KeyB);
    ScriptKeyUp(1100, KeyShift);
    ScriptKeyUp(1150, KeyB);
    EXPECT_EQ(KeyAt(1250), "B");
    EXPECT_EQ(KeyAt(1266), "");
    ScriptTap(1270, KeyA, 100);
    EXPECT_EQ(KeyAt(1282), "a") << "Shift went with the B alone";
}

// The tick counter wraps after about 49.7 days; the repeat keeps working across the wrap.
TEST(ReadNameKey, RepeatSurvivesTheTickWrap) {
    ScriptReset();
    KeyRepeat = KeyRepeatRecord();
    const uint32_t start = 0xFFFFFF00u;
    ScriptKeyDown(start, KeyA);
    EXPECT_EQ(KeyAt(start), "a");
    EXPECT_EQ(KeyAt(start + 300), ""); // 0x2C after the wrap
    EXPECT_EQ(KeyAt(start + 351), "a");
    EXPECT_EQ(KeyAt(start + 360), "");
    EXPECT_EQ(KeyAt(start + 372), "a");
}

TEST(EditName, TypingBackspaceAndTheTwentyByteLimit) {
    FreshTopListFolder("bt-edit");
    ASSERT_EQ(LoadTopList(Leicht), 1);
    ASSERT_EQ(PlaceNewTime("12.00"), 1);
    EnteringName = 1;
    EditName("*BACK*"); // nothing to remove
    EXPECT_EQ(EnteredName, "");
    EditName("");
    EXPECT_EQ(EnteredName, "");
    for (char c = 'a'; c < 'a' + 25; ++c)
        EditName(std::string(1, c));
    EXPECT_EQ(EnteredName, "abcdefghijklmnopqrst");
    EditName("*BACK*");
    EXPECT_EQ(EnteredName, "abcdefghijklmnopqrs");
    EditName("\xC4");
    EXPECT_EQ(EnteredName, "abcdefghijklmnopqrs\xC4");
    EXPECT_EQ(EnteringName, 1);
    EXPECT_EQ(TopListFile.open, 1);
    AbandonTopList();
}

TEST(EditName, EnterOnEmptyNameStoresPlaceholder) {
    std::string path = FreshTopListFolder("bt-enter-empty");
    ASSERT_EQ(LoadTopList(Mittel), 1);
    ASSERT_EQ(PlaceNewTime("30.00"), 1);
    EnteringName = 1;
    EditName("*ENTER*");
    EXPECT_EQ(EnteringName, 0);
    EXPECT_EQ(EnteredName, "- ??? -");
    EXPECT_EQ(TopList.place[1].name, "- ??? -");
    EXPECT_EQ(TopListFile.open, 0);
    EXPECT_EQ(ReadWholeFile(path).substr(284, 28), EntryField("- ??? -", "30.00"));
}

TEST(EditName, NameOfSpacesIsKept) {
    std::string path = FreshTopListFolder("bt-spaces");
    ASSERT_EQ(LoadTopList(Leicht), 1);
    ASSERT_EQ(PlaceNewTime("8.00"), 1);
    EnteringName = 1;
    for (int i = 0; i < 22; ++i)
        EditName(" ");
    EditName("*ENTER*");
    EXPECT_EQ(TopList.place[1].name, std::string(20, ' '));
    EXPECT_EQ(ReadWholeFile(path).substr(4, 28), std::string(20, ' ') + "8.00    ");
}
