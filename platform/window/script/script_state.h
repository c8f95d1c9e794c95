// The scripted test platform's global state: timeline and fake clock, idle polls, input, window.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "script_platform.h"

// ---------------------------------------------------------------- timeline

// What a scripted event does when the fake clock reaches it.
enum class ScriptAction { Move, Down, Up, KeyDown, KeyUp, Close };

struct ScriptEvent {
    ScriptAction action = ScriptAction::Move; // kind of input
    int32_t a = 0; // Move: x; Down/Up: button 1 left, 2 right, 3 middle; keys: scan code
    int32_t b = 0; // Move: y; otherwise unused
};

struct ScriptTimelineRecord {
    uint32_t now = 0;                             // the fake clock, milliseconds (TickCountMs)
    std::multimap<uint32_t, ScriptEvent> pending; // not yet released, by time (ties in order)
    bool hasEnd = false;                          // ScriptEndAt was called
    uint32_t endAt = 0;                           // time from which quit is requested
};
extern ScriptTimelineRecord ScriptTimeline;

// ---------------------------------------------------------------- idle polling

struct ScriptIdleRecord {
    int32_t waits = 0;       // poll waits in a row since the last present, sleep or event
    int64_t totalWaits = 0;  // poll waits since the reset (ScriptPollWaits)
    int64_t totalWaitMs = 0; // milliseconds those waits asked for
};
extern ScriptIdleRecord ScriptIdle;

// ---------------------------------------------------------------- input state at the fake time

struct ScriptInputRecord {
    int32_t pointerX = 0; // desktop position of the pointer
    int32_t pointerY = 0;
    int32_t leftUpX = 0; // pointer position at the last release of the left button
    int32_t leftUpY = 0;
    bool keysHeld[256] = {};   // scripted key state by set-1 scan code
    bool failScreen = false;   // OpenScreenSystem reports failure
    bool failWindow = false;   // CreateMainWindow reports failure
    bool failKeyboard = false; // OpenKeyboardDevice reports failure
};
extern ScriptInputRecord ScriptInput;

// ---------------------------------------------------------------- window and shown image

struct ScriptScreenRecord {
    ScriptWindowInfo window;     // what CreateMainWindow and later calls made of the window
    std::vector<uint32_t> shown; // last presented client area, 0x00RRGGBB, top row first
    int32_t shownWidth = 0;      // size of the shown image
    int32_t shownHeight = 0;
    int64_t presentCount = 0;               // PresentBackBuffer calls since the reset
    bool inPresent = false;                 // a present's end of the frame is under way
    std::function<void(int64_t)> onPresent; // test hook called after each present
    std::vector<ScriptMessage> messages;    // boxes TellPlayer showed (BackendShowMessage)
};
extern ScriptScreenRecord ScriptScreen;

// Clears every record of the scripted platform (ScriptReset calls it).
void ResetScriptState();
