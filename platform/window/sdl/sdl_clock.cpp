// The real platform's clock, pauses and quit signals, on the system's monotonic clock.
#include <cerrno>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

#include "backend.h"
#include "sdl_state.h"

// ---------------------------------------------------------------- signals

// The pipe a quit signal writes a byte into, so that a wait for the X server ends at once,
// also when the signal came just before the wait began: [0] is read, [1] written; -1 none.
static int QuitPipe[2] = {-1, -1};

static void OnQuitSignal(int) {
    const int saved = errno;
    RequestQuit();
    if (QuitPipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(QuitPipe[1], &byte, 1);
    }
    errno = saved;
}

int QuitSignalFd() {
    return QuitPipe[0];
}

// OpenKeyboardDevice and OpenScreenSystem: SIGINT, SIGTERM and SIGHUP (the terminal closed,
// the session ended) only set the quit flag, so the
// program ends through its ordinary end (SDL's own handlers are switched off by a hint).
// Installing the same handlers again changes nothing.
void InstallQuitSignals() {
    if (QuitPipe[0] < 0 && pipe2(QuitPipe, O_CLOEXEC | O_NONBLOCK) != 0) QuitPipe[0] = -1;
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

// Milliseconds of the monotonic clock (time since the system started), wrapping at 2^32.
int32_t TickCountMs() {
    const timespec now = MonotonicNow();
    return int32_t(uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u));
}

void SleepMs(int32_t ms) {
    if (ms <= 0) return;
    SleepUntil(AddNanoseconds(MonotonicNow(), int64_t(ms) * 1000000));
}
