// Events as a test takes them from the window's queue, for the window and platform tests.
#pragma once

#include <cstdint>
#include <vector>

#include "backend.h"
#include "platform.h"

// One event as PollWindowEvent gave it, with the desktop point it was taken at.
struct TakenEvent {
    int32_t kind;
    int32_t param;
    int32_t x, y;
};

// Polls once; whether an event came, added to `taken` with its mask and point.
inline bool TakeOneEvent(std::vector<TakenEvent>* taken) {
    const int32_t kind = PollWindowEvent();
    if (kind == 0) return false;
    TakenEvent event{kind, LastEventParam(), 0, 0};
    LastTakenPoint(&event.x, &event.y);
    taken->push_back(event);
    return true;
}
