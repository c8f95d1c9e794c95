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

// The open best-time file between loading and saving.
struct TopListFileRecord {
    int32_t difficulty = 0; // 1 to 4: the block loaded and to be saved; 0 none
    int32_t open = 0;       // 1 while data file 1 is held open by the list
};

// ---------------------------------------------------------------- name entry

constexpr int32_t KeyFlagCount = 257; // entries 0 to 256, indexed by scan code

// The key repeat; kept between calls and between showings of the screen.
struct KeyRepeatRecord {
    Text lastKey;       // key text typed last, before Shift changed it: the key that repeats
                        // while held ("" when none)
    int32_t phase = 0;  // 0 idle, 1 first delivery done, 2 repeating
    uint32_t stamp = 0; // TickCountMs of the last delivery
};

// ---------------------------------------------------------------- the layer's globals

// Every global of the best-time layer, in one record zero-filled by ResetBestTimesState.
struct BestTimesStateRecord {
    // The best-time table.
    TopListTable TopList;          // the list being shown, with the new time inserted
    TopListTable PreviousEntries;  // the list as loaded, drawn while the old rows slide
    int32_t PlaceReached = 0;      // 1 to 10: place of the new time; 11: no place
    TopListFileRecord TopListFile; // the open best-time file between loading and saving
    // The name entry. KeyFlags: 1 when the key with that scan code was down at the last
    // ReadNameKey (entry 0 unused).
    int32_t KeyFlags[KeyFlagCount];
    KeyRepeatRecord KeyRepeat; // kept between calls and between showings of the screen
    Text EnteredName;          // the name typed so far, 0 to 20 bytes
    int32_t EnteringName = 0;  // 1 while the name is typed, 0 after Enter or without place
    // The top-ten screen.
    int32_t RecordMade = 0;     // 1 when the time took a place
    int32_t SlideActive = 0;    // 1 while the old rows slide down
    int32_t SlideOffset = 0;    // pixels the old rows have moved
    int32_t SlideFrames = 0;    // slide frames done; the slide ends at 19
    float FadeLevel = 0.0f;     // brightness of the row dropping off, 1.0 down by 0.055 a frame
    int32_t NewRowY = 0;        // y of the row of PlaceReached, set while the rows are drawn
    Text MessageText;           // first line under the list, set when the screen starts
    Text HintText;              // second line under the list; kept between showings
    int32_t LeaveRequested = 0; // 1 once a left click was seen while no name is entered
};
extern BestTimesStateRecord BestTimesState;

// The records' own names, as the list, the name entry and the screen use them.
inline TopListTable& TopList = BestTimesState.TopList;
inline TopListTable& PreviousEntries = BestTimesState.PreviousEntries;
inline int32_t& PlaceReached = BestTimesState.PlaceReached;
inline TopListFileRecord& TopListFile = BestTimesState.TopListFile;
inline int32_t (&KeyFlags)[KeyFlagCount] = BestTimesState.KeyFlags;
inline KeyRepeatRecord& KeyRepeat = BestTimesState.KeyRepeat;
inline Text& EnteredName = BestTimesState.EnteredName;
inline int32_t& EnteringName = BestTimesState.EnteringName;
inline int32_t& RecordMade = BestTimesState.RecordMade;
inline int32_t& SlideActive = BestTimesState.SlideActive;
inline int32_t& SlideOffset = BestTimesState.SlideOffset;
inline int32_t& SlideFrames = BestTimesState.SlideFrames;
inline float& FadeLevel = BestTimesState.FadeLevel;
inline int32_t& NewRowY = BestTimesState.NewRowY;
inline Text& MessageText = BestTimesState.MessageText;
inline Text& HintText = BestTimesState.HintText;
inline int32_t& LeaveRequested = BestTimesState.LeaveRequested;

// Clears every global of the best-time layer (start-up and tests).
void ResetBestTimesState();
