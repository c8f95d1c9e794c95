// TellPlayer's box on Linux: SDL's own message box, its text in characters the box can draw,
// its process ending with the program.
#include <SDL.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <new>
#include <string>

#include "backend.h"
#include "sdl_state.h"

namespace {

// What the program and the box's process tell each other while a box is shown, in memory
// both share: SDL shows the box in a process of its own, made by fork, whose id SDL keeps.
struct BoxWatch {
    std::atomic<pid_t> parent{0};  // the program
    std::atomic<pid_t> box{0};     // the box's process, once it runs
    std::atomic<bool> quit{false}; // the program was asked to end while the box was shown
};

// The one global of the box, read by the signal handlers: set only while BackendShowMessage
// waits for SDL's box, so there is nothing to reset between runs.
std::atomic<BoxWatch*> BoxWatching{nullptr};

constexpr int QuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The program's quit signals while the box is shown: the quit is requested as always, and the
// box's process is ended, so that SDL's wait for it returns and the program ends through its
// ordinary end. A box process not yet running sees the quit itself (OnForkedChild).
void OnQuitSignalDuringBox(int) {
    RequestQuit();
    BoxWatch* watch = BoxWatching;
    if (!watch) return;
    watch->quit = true;
    const pid_t box = watch->box;
    if (box > 0) kill(box, SIGTERM);
}

// Runs in every child of fork; only the one SDL makes for the box acts. That process takes
// the system's ordinary quit signals (the program's handlers would only set a flag in it) and
// is ended by the system when the program ends, however it ends.
void OnForkedChild() {
    BoxWatch* watch = BoxWatching;
    if (!watch) return;
    BoxWatching = nullptr;
    for (int signal : QuitSignals)
        std::signal(signal, SIG_DFL);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    watch->box = getpid();
    if (watch->quit || getppid() != watch->parent) _exit(1);
}

// SDL's box on X11 shows each line of its text as one line: the text broken at spaces into
// lines of at most MessageLineLength bytes (a longer word, as a path, keeps a line of its own).
std::string WrappedMessage(const std::string& text) {
    constexpr size_t MessageLineLength = 64;
    std::string out, line;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > MessageLineLength) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return out + line;
}

// The box's text as UTF-8 it can draw. SDL draws with the X server's own fonts through the
// locale's font set, which puts the German quotes „ “ into ISO 8859-13, a character set few
// servers have fonts for; drawn in a Latin-1 font they came out as "¥" and "´". They become
// the German quotes » « of Latin-1, which every font set draws.
std::string BoxText(const Text& text) {
    std::string utf8 = TextToUtf8(text);
    const std::pair<const char*, const char*> quotes[] = {{"\xE2\x80\x9E", "\xC2\xBB"},
                                                          {"\xE2\x80\x9C", "\xC2\xAB"}};
    for (const auto& [quote, latin] : quotes)
        for (size_t at = utf8.find(quote); at != std::string::npos; at = utf8.find(quote, at))
            utf8.replace(at, 3, latin);
    return utf8;
}

} // namespace

// TellPlayer's box: SDL's own message box, centred on the game's display (the window may
// stand at an edge, where a box centred on it would be cut off); it runs its own event loop
// until the player closes it, or until a quit signal ends it. Once the program is ending (a
// quit signal came before), no box is shown: the stderr line says it.
void BackendShowMessage(const Text& title, const Text& text) {
    if (QuitRequested()) return;
    static const bool forkHooked = pthread_atfork(nullptr, nullptr, OnForkedChild) == 0;
    void* shared =
        mmap(nullptr, sizeof(BoxWatch), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    BoxWatch* watch = shared == MAP_FAILED ? nullptr : new (shared) BoxWatch;
    struct sigaction duringBox = {}, before[std::size(QuitSignals)] = {};
    duringBox.sa_handler = OnQuitSignalDuringBox;
    sigemptyset(&duringBox.sa_mask);
    if (watch && forkHooked) {
        watch->parent = getpid();
        BoxWatching = watch;
        for (size_t i = 0; i < std::size(QuitSignals); ++i)
            sigaction(QuitSignals[i], &duringBox, &before[i]);
    }
    const int shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, BoxText(title).c_str(),
                                               WrappedMessage(BoxText(text)).c_str(), nullptr);
    const bool quit = watch && watch->quit;
    if (BoxWatching) {
        for (size_t i = 0; i < std::size(QuitSignals); ++i)
            sigaction(QuitSignals[i], &before[i], nullptr);
        BoxWatching = nullptr;
    }
    if (watch) munmap(shared, sizeof(BoxWatch));
    if (shown != 0 && !quit)
        std::fprintf(stderr, "tessaroc: cannot show a message box: %s\n", SDL_GetError());
}
