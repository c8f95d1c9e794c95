// The name entry: the keyboard read with the German scan-code table and key repeat (and the
// system's text input), the editing of the typed name and the name row.
#include "besttimes.h"

namespace {

// One row of the scan-code table: either code (0 = none) gives the text. Codes from 0x80
// up are the extended keys (their set-1 code after the E0 prefix, plus 0x80). Texts are
// Windows-1252 bytes: 0xDF is the sharp s, 0xE4/0xF6/0xFC the lower-case umlauts.
struct KeyRow {
    int32_t code1;
    int32_t code2;
    const char* text;
};

// The shift keys mark the Shift flag instead of giving a text.
constexpr int32_t LeftShiftCode = 0x2A;
constexpr int32_t RightShiftCode = 0x36;

// Of keys that go down in the same snapshot (only keys already held when the screen first
// reads the keyboard), the row latest in the table wins, so Backspace beats Enter and both
// beat every character.
constexpr KeyRow KeyTable[] = {
    {0x0B, 0x52, "0"},       {0x02, 0x4F, "1"},
    {0x03, 0x50, "2"},       {0x04, 0x51, "3"},
    {0x05, 0x4B, "4"},       {0x06, 0x4C, "5"},
    {0x07, 0x4D, "6"},       {0x08, 0x47, "7"},
    {0x09, 0x48, "8"},       {0x0A, 0x49, "9"},
    {0x1E, 0, "a"},          {0x30, 0, "b"},
    {0x2E, 0, "c"},          {0x20, 0, "d"},
    {0x12, 0, "e"},          {0x21, 0, "f"},
    {0x22, 0, "g"},          {0x23, 0, "h"},
    {0x17, 0, "i"},          {0x24, 0, "j"},
    {0x25, 0, "k"},          {0x26, 0, "l"},
    {0x32, 0, "m"},          {0x31, 0, "n"},
    {0x18, 0, "o"},          {0x19, 0, "p"},
    {0x10, 0, "q"},          {0x13, 0, "r"},
    {0x1F, 0, "s"},          {0x14, 0, "t"},
    {0x16, 0, "u"},          {0x2F, 0, "v"},
    {0x11, 0, "w"},          {0x2D, 0, "x"},
    {0x2C, 0, "y"},          {0x15, 0, "z"},
    {0x0C, 0, "\xDF"},       {0x28, 0, "\xE4"},
    {0x27, 0, "\xF6"},       {0x1A, 0, "\xFC"},
    {0x33, 0x53, ","},       {0x34, 0, "."},
    {0x35, 0x4A, "-"},       {0x4E, 0x1B, "+"},
    {0x37, 0, "*"},          {0xB5, 0, "/"},
    {0x2B, 0, "#"},          {0x56, 0, "<"},
    {0x39, 0, " "},          {LeftShiftCode, RightShiftCode, ""},
    {0x1C, 0x9C, "*ENTER*"}, {0x0E, 0, "*BACK*"},
};

// What Shift makes of a key text, compared in this order; no result matches a later key.
// 0xA7 is the section sign, 0xC4/0xD6/0xDC the upper-case umlauts.
struct ShiftPair {
    const char* plain;
    const char* shifted;
};
constexpr ShiftPair ShiftTable[] = {
    {"1", "!"},    {"2", "\""},      {"3", "\xA7"},    {"4", "$"},       {"5", "%"},
    {"6", "&"},    {"7", "/"},       {"8", "("},       {"9", ")"},       {"0", "="},
    {"\xDF", "?"}, {"\xE4", "\xC4"}, {"\xF6", "\xD6"}, {"\xFC", "\xDC"}, {"+", "*"},
    {"#", "'"},    {",", ";"},       {".", ":"},       {"-", "_"},       {"<", ">"},
};

// Key repeat: a held key comes again after more than this long, then at the faster rate.
constexpr uint32_t RepeatDelayMs = 350;
constexpr uint32_t RepeatIntervalMs = 20;

constexpr int32_t MaxNameLength = TopListNameWidth;
const Text EmptyNameText = "- ??? -";
const Text NamePromptText = "- Dein Name -";

// Whether the key is down in the flags of the last snapshot (code 0: no second key).
bool KeyFlagSet(int32_t code) {
    return code > 0 && KeyFlags[code] != 0;
}

// The unshifted text of the key that went down since the previous snapshot ("" for none, and
// for Shift, which only marks the flag).
Text PressedKeyText() {
    Text keyText;
    for (const KeyRow& row : KeyTable) {
        const bool pressed =
            (row.code1 > 0 && KeyPressed(row.code1)) || (row.code2 > 0 && KeyPressed(row.code2));
        if (pressed && row.code1 != LeftShiftCode) keyText = row.text;
    }
    return keyText;
}

// Whether a key of the row with this text is down.
bool KeyTextHeld(const Text& keyText) {
    for (const KeyRow& row : KeyTable)
        if (row.text == keyText) return KeyFlagSet(row.code1) || KeyFlagSet(row.code2);
    return false;
}

// The key text as Shift changes it: letters to capitals, then the substitutions.
Text ShiftedKeyText(Text keyText) {
    if (TextLength(keyText) == 1 && !TextLess(keyText, "a") && !TextGreater(keyText, "z"))
        keyText = UpperText(keyText);
    for (const ShiftPair& pair : ShiftTable)
        if (keyText == pair.plain) return pair.shifted;
    return keyText;
}

// Applies the key repeat to the unshifted key text of this call: a key is typed when it
// goes down, even while another is held (a roll-over), so every press types once and in
// the order pressed; the key typed last types again, while it stays held, after more than
// 350 ms and from then on after more than 20 ms. Letting it go ends the repeat, also while
// an earlier key is still held. Shift going down or up while the key is held delivers
// nothing (the repeat goes on with the changed text): typing fast, Shift is often let go a
// moment before the letter, which must not type the letter a second time. Ticks are compared
// by unsigned difference, so the repeat keeps working when the tick counter wraps. While a
// key is held a still screen wakes when it is due to type again.
Text RepeatKeyText(const Text& pressed) {
    const uint32_t now = uint32_t(TickCountMs());
    const auto wait = [] { return KeyRepeat.phase == 1 ? RepeatDelayMs : RepeatIntervalMs; };
    Text typed;
    if (!pressed.empty()) {
        KeyRepeat.lastKey = typed = pressed;
        KeyRepeat.phase = 1;
        KeyRepeat.stamp = now;
    } else if (KeyRepeat.lastKey.empty() || !KeyTextHeld(KeyRepeat.lastKey)) {
        KeyRepeat.lastKey.clear();
        KeyRepeat.phase = 0;
        return typed;
    } else if (now - KeyRepeat.stamp > wait()) {
        typed = KeyRepeat.lastKey;
        KeyRepeat.phase = 2;
        KeyRepeat.stamp = now;
    }
    WakeAfterMs(int32_t(wait() - (now - KeyRepeat.stamp)) + 1);
    return typed;
}

// The name entry, when Enter's save of the list failed: the screen's first line stops saying
// only the place, and the player is told once what was lost and why: where the file is and
// what the system said, or in a browser (whose storage has no path, and which fails only
// when it is full or keeps nothing) that it takes nothing more.
void TellUnsavedTime() {
    const TopListEntry& entry = TopList.place[PlaceReached];
    const bool browser = DataFilesInBrowser();
    // Without a data folder there is no file to name.
    const Text where = browser                ? Text(" in diesem Browser")
                       : DataFolder().empty() ? Text()
                                              : " in " + SystemText(DataFolder() + TopListFileName);
    const Text why = browser ? Text("er nimmt keine Daten mehr an") : SystemText(DataFileFailure());
    MessageText = "Bestzeit konnte nicht gespeichert werden !";
    TellPlayer("Bestzeit nicht gespeichert", "Deine Zeit " + entry.time + " (" + entry.name + ", " +
                                                 IntToText(PlaceReached) + ". Platz) konnte nicht" +
                                                 where + " gespeichert werden: " + why +
                                                 ". Sie wird nicht behalten.");
}

// Enter, or an end of the program the player did not choose: the name typed so far
// ("- ??? -" when none) goes into the new time's place, the entry ends and the list is saved;
// 0 when the save failed.
int32_t StoreEnteredName() {
    if (EnteredName.empty()) EnteredName = EmptyNameText;
    TopList.place[PlaceReached].name = EnteredName;
    EnteringName = 0;
    return SaveTopList();
}

} // namespace

Text ReadNameKey() {
    SnapshotKeyboard();
    for (int32_t code = 1; code <= 255; ++code)
        KeyFlags[code] = KeyDown(code) ? 1 : 0;
    const Text pressed = PressedKeyText();
    const Text key = RepeatKeyText(pressed);
    if (key.empty() && KeyDown(-1) == 0) {
        // No key down: the next character of the system's text input, one a frame.
        const Text typed = TakeTypedCharacter();
        if (typed == "\b") return BackKeyText;
        if (typed == "\r") return EnterKeyText;
        return typed;
    }
    const bool shift = KeyFlagSet(LeftShiftCode) || KeyFlagSet(RightShiftCode);
    return shift && !key.empty() ? ShiftedKeyText(key) : key;
}

void EditName(const Text& keyText) {
    if (keyText != BackKeyText && keyText != EnterKeyText) {
        if (TextLength(EnteredName) < MaxNameLength) EnteredName += keyText;
    } else if (keyText == BackKeyText) {
        if (!EnteredName.empty()) EnteredName.pop_back();
    } else if (StoreEnteredName() == 0) {
        TellUnsavedTime();
    }
}

void KeepEnteredName() {
    if (EnteringName) StoreEnteredName();
}

Text NameEntryHint() {
    if (EnteredName.empty()) return "Gib deinen Namen ein";
    return "Beende die Eingabe mit Enter/Return";
}

void DrawNameRow() {
    SetTextCursor(ListNameX, NewRowY);
    if (EnteringName == 0) {
        SetInkColour(255, 255, 0);
        DrawTextAtCursor(TopList.place[PlaceReached].name);
        return;
    }
    HintText = NameEntryHint();
    if (EnteredName.empty()) {
        SetInkColour(80, 120, 170);
        DrawTextAtCursor(NamePromptText);
    } else {
        SetInkColour(100, 190, 255);
        DrawTextAtCursor(EnteredName);
    }
}
