// The best-time layer's global state: the list, the name entry and the top-ten screen.
#pragma once

#include <cstdint>

#include "platform.h"

// ---------------------------------------------------------------- best-time table

constexpr int32_t TopListPlaces = 10;

// One place of a list: texts as typed or as read from the file (fields keep their spaces).
struct TopListEntry {
    Text name; // at most 20 bytes, Windows-1252
    Text time; // at most 8 bytes: the round's time text, never reformatted
};

// Ten places of one difficulty; entry p is place p (entry 0 unused, entry 11 a spare).
struct TopListTable {
    TopListEntry place[TopListPlaces + 2];
};
extern TopListTable TopList;         // the list being shown, with the new time inserted
extern TopListTable PreviousEntries; // the list as loaded, drawn while the old rows slide
extern int32_t PlaceReached;         // 1 to 10: place of the new time; 11: no place

// The open best-time file between loading and saving.
struct TopListFileRecord {
    int32_t difficulty = 0; // 1 to 4: the block loaded and to be saved; 0 none
    int32_t open = 0;       // 1 while data file 1 is held open by the list
};
extern TopListFileRecord TopListFile;

// ---------------------------------------------------------------- name entry

constexpr int32_t KeyFlagCount = 257; // entries 0 to 256, indexed by scan code
// 1 when the key with that scan code was down at the last ReadNameKey (entry 0 unused).
extern int32_t KeyFlags[KeyFlagCount];

// The key repeat; kept between calls and between showings of the screen.
struct KeyRepeatRecord {
    Text lastKey;       // key text of the previous call before Shift changed it: which key
                        // was held ("" when none)
    int32_t phase = 0;  // 0 idle, 1 first delivery done, 2 repeating
    uint32_t stamp = 0; // TickCountMs of the last delivery
};
extern KeyRepeatRecord KeyRepeat;

extern Text EnteredName;     // the name typed so far, 0 to 20 bytes
extern int32_t EnteringName; // 1 while the name is being typed, 0 after Enter or without place

// ---------------------------------------------------------------- top-ten screen

extern int32_t RecordMade;     // 1 when the time took a place
extern int32_t SlideActive;    // 1 while the old rows slide down
extern int32_t SlideOffset;    // pixels the old rows have moved
extern int32_t SlideFrames;    // slide frames done; the slide ends at 19
extern float FadeLevel;        // brightness of the row dropping off, 1.0 down by 0.055 a frame
extern int32_t NewRowY;        // y of the row of PlaceReached, set while the rows are drawn
extern Text MessageText;       // first line under the list, set when the screen starts
extern Text HintText;          // second line under the list; kept between showings
extern int32_t LeaveRequested; // 1 once a left click was seen while no name is entered

// Clears every global of the best-time layer (start-up and tests).
void ResetBestTimesState();
