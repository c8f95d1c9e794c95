// The best-time list's operations: table and file, name entry, and the top-ten screen.
#pragma once

#include <cstdint>

#include "besttimes_state.h"
#include "platform.h"

// ---------------------------------------------------------------- table and file

// Difficulties: 0 means the board has no list.
constexpr int32_t NoDifficulty = 0;
constexpr int32_t Leicht = 1;
constexpr int32_t Mittel = 2;
constexpr int32_t Schwer = 3;
constexpr int32_t Brutal = 4;

// The best-time file: data file number 1, "TopList" in the program folder, 1,124 bytes.
inline const Text TopListFileName = "TopList";
constexpr int32_t TopListFileNumber = 1;
constexpr int32_t TopListFileSize = 1124;
constexpr int32_t TopListNameWidth = 20; // bytes of a name field
constexpr int32_t TopListTimeWidth = 8;  // bytes of a time field
constexpr int32_t TopListEntryBytes = TopListNameWidth + TopListTimeWidth;
constexpr int32_t TopListBlockBytes = TopListPlaces * TopListEntryBytes; // 280

// The top-ten screen: which difficulty these settings have (all three values must match).
int32_t ClassifyRound(int32_t width, int32_t height, int32_t mines);
// File offset of a difficulty's block: 4, 284, 564, 844.
int32_t BlockOffset(int32_t difficulty);
// The top-ten screen, after classifying: opens (and when needed initialises) the file, reads
// the difficulty's block into TopList and PreviousEntries and leaves the file open; 1 on
// success, 0 when the file cannot be opened. A list still open is first closed unwritten.
int32_t LoadTopList(int32_t difficulty);
// The top-ten screen, after loading: ranks the time text and inserts it with an empty name;
// returns PlaceReached (1 to 10, or 11 for no place, which also closes the file).
int32_t PlaceNewTime(const Text& timeText);
// The name entry, on Enter: rewrites the current difficulty's block and closes the file; 0
// when the file could not be saved (it keeps what it held; DataFileFailure says why).
int32_t SaveTopList();
// The top-ten screen, when the program ends during the name entry: closes the file without
// writing the list, so the new time is not kept.
void AbandonTopList();

// ---------------------------------------------------------------- name entry

// Key texts of the two command keys.
inline const Text EnterKeyText = "*ENTER*";
inline const Text BackKeyText = "*BACK*";

// The top-ten screen, once per frame while the name is typed: reads the keyboard once and
// returns at most one key text ("" for nothing), with the key repeat applied.
Text ReadNameKey();
// The top-ten screen, once per frame with that frame's key text: edits EnteredName; Enter
// stores the name in place PlaceReached, ends the entry and saves the list.
void EditName(const Text& keyText);
// The top-ten screen when the program is ended from outside (a signal, the session's end),
// and the program's handler of a lost display: while the name is typed, keeps the new time
// with the name typed so far ("- ??? -" when none) and saves the list, as Enter would without
// the box; nothing otherwise.
void KeepEnteredName();
// The top-ten screen, each frame after the slide when a place was taken: draws the name row
// in its colour and sets HintText.
void DrawNameRow();
// The name row and the slide: the hint for the name entry ("Gib deinen Namen ein" while the
// name is empty, then the hint to finish with Enter).
Text NameEntryHint();

// ---------------------------------------------------------------- top-ten screen

// Layout of the 350 x 360 window: rows of ten places 18 pixels apart from y = 90.
constexpr int32_t TopListWidth = 350;
constexpr int32_t TopListHeight = 360;
constexpr int32_t ListFirstRowY = 90;
constexpr int32_t ListRowStep = 18;
constexpr int32_t ListPlaceX = 40;
constexpr int32_t ListNameX = 70;
constexpr int32_t ListTimeX = 260;
constexpr int32_t SlideFrameCount = 19; // the slide ends in its 19th frame

// The application flow, after the end screen of a won round: shows the list of the round's
// difficulty (BoardSettings, TimeText), takes the name of a new best time and returns.
// It returns at once when the board has no list. When the player closes the window here,
// it returns with TitleBarResult = 1 (CloseButton) and the list unwritten; ended from
// outside (QuitRequested), the same but with the name typed so far kept. The flow must then
// end the program through its ordinary end (which saves the preferences). Otherwise
// TitleBarResult is not 1 on return (4 when the leaving click rolled the window up) and
// ButtonAction is left as the end screen set it.
void TopListScreen();
