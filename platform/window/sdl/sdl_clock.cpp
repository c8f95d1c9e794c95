// The real platform's clock, pauses and quit signals, on the system's monotonic clock.
#include <cerrno>
#include <csignal>
#include <ctime>

#include "backend.h"
#include "sdl_state.h"

// ---------------------------------------------------------------- signals

static void OnQuitSignal(int) {
    RequestQuit();
}

// OpenKeyboardDevice and OpenScreenSystem: SIGINT, SIGTERM and SIGHUP (the terminal closed,
// the session ended) only set the quit flag, so the
// program ends through its ordinary end (SDL's own handlers are switched off by a hint).
// Installing the same handlers again changes nothing.
void InstallQuitSignals() {
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// ---------------------------------------------------------------- clock and pauses

timespec MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

timespec AddNanoseconds(timespec t, int64_t ns) {
    int64_t total = int64_t(t.tv_nsec) + ns;
    t.tv_sec += time_t(total / 1000000000);
    t.tv_nsec = long(total % 1000000000);
    return t;
}

void SleepUntil(const timespec& deadline) {
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

int64_t MonotonicNs() {
    const timespec now = MonotonicNow();
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Milliseconds of the monotonic clock (time since the system started), wrapping at 2^32.
int32_t TickCountMs() {
    return int32_t(uint32_t(uint64_t(MonotonicNs()) / 1000000u));
}

void SleepMs(int32_t ms) {
    if (ms <= 0) return;
    SleepUntil(AddNanoseconds(MonotonicNow(), int64_t(ms) * 1000000));
}
