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
// the session ended) only set the quit flag, so the program ends through its ordinary end
// (SDL's own handlers are switched off by a hint). Installing the same handlers again changes
// nothing.
void InstallQuitSignals() {
    if (QuitPipe[0] < 0 && pipe2(QuitPipe, O_CLOEXEC | O_NONBLOCK) != 0) QuitPipe[0] = -1;
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// ---------------------------------------------------------------- clock and pauses

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void SleepUntilNs(int64_t deadline) {
    const timespec until{time_t(deadline / 1000000000), long(deadline % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

// Milliseconds of the monotonic clock (time since the system started), wrapping at 2^32.
int32_t TickCountMs() {
    return int32_t(uint32_t(MonotonicNs() / 1000000));
}

void SleepMs(int32_t ms) {
    if (ms > 0) SleepUntilNs(MonotonicNs() + int64_t(ms) * 1000000);
}
