// The best-time layer's globals and their reset.
#include "besttimes_state.h"

TopListTable TopList;
TopListTable PreviousEntries;
int32_t PlaceReached = 0;
TopListFileRecord TopListFile;

int32_t KeyFlags[KeyFlagCount];
KeyRepeatRecord KeyRepeat;
Text EnteredName;
int32_t EnteringName = 0;

int32_t RecordMade = 0;
int32_t SlideActive = 0;
int32_t SlideOffset = 0;
int32_t SlideFrames = 0;
float FadeLevel = 0.0f;
int32_t NewRowY = 0;
Text MessageText;
Text HintText;
int32_t LeaveRequested = 0;

void ResetBestTimesState() {
    TopList = TopListTable();
    PreviousEntries = TopListTable();
    PlaceReached = 0;
    TopListFile = TopListFileRecord();
    for (int32_t& flag : KeyFlags)
        flag = 0;
    KeyRepeat = KeyRepeatRecord();
    EnteredName.clear();
    EnteringName = 0;
    RecordMade = 0;
    SlideActive = 0;
    SlideOffset = 0;
    SlideFrames = 0;
    FadeLevel = 0.0f;
    NewRowY = 0;
    MessageText.clear();
    HintText.clear();
    LeaveRequested = 0;
}
