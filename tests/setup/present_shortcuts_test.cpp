// Whole-program runs played twice, once as the program runs and once with every present
// comparing the whole frame, drawing every operation and redrawing the whole board: every
// frame shown must be the same in both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game_state.h"
#include "platform_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "script_state.h"
#include "setup.h"
#include "test_support.h"

namespace {

// The shown client area, hashed with its size (64-bit FNV-1a over whole pixels).
uint64_t ShownHash() {
    uint64_t hash = 0xCBF29CE484222325ull;
    auto add = [&hash](uint64_t value) {
        hash ^= value;
        hash *= 0x100000001B3ull;
    };
    add(uint64_t(uint32_t(ScriptScreen.shownWidth)) << 32 | uint32_t(ScriptScreen.shownHeight));
    for (uint32_t pixel : ScriptScreen.shown)
        add(pixel);
    return hash;
}

// Called after every present of the run without shortcuts: the next present compares
// every pixel, and the board's tiles are all copied again.
void ForgetEveryShortcut() {
    TouchWholeBackBuffer();
    BoardPicture = BoardPictureRecord{};
}

// One present of a run: the size and hash of what the window showed.
struct PresentedFrame {
    int32_t width = 0, height = 0;
    uint64_t hash = 0;
    bool operator==(const PresentedFrame&) const = default;
};

// A whole-program run: Start writes the script, Step answers each present (it may add to
// the script from what the screens show); Finished says whether every step was reached.
struct Scene {
    std::function<void()> start;
    std::function<void()> step;
    std::function<bool()> finished;
};

// Runs the program through the scene and returns every frame shown.
std::vector<PresentedFrame> ShownFrames(const Scene& scene, bool shortcuts) {
    scene.start();
    std::vector<PresentedFrame> frames;
    ScriptOnPresent([&](int64_t) {
        frames.push_back({ScriptScreen.shownWidth, ScriptScreen.shownHeight, ShownHash()});
        if (!shortcuts) ForgetEveryShortcut();
        scene.step();
    });
    EXPECT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);
    EXPECT_TRUE(scene.finished()) << (shortcuts ? "with" : "without") << " the shortcuts";
    return frames;
}

// Plays the scene both ways and names the first presents whose frames differ.
void ExpectSameFrames(const Scene& scene) {
    const std::vector<PresentedFrame> full = ShownFrames(scene, false);
    const std::vector<PresentedFrame> fast = ShownFrames(scene, true);
    EXPECT_EQ(fast.size(), full.size());
    int32_t reported = 0;
    for (size_t i = 0; i < std::min(fast.size(), full.size()) && reported < 5; ++i) {
        if (fast[i] == full[i]) continue;
        ++reported;
        ADD_FAILURE() << "present " << i + 1 << " of " << full.size() << " shows other pixels ("
                      << fast[i].width << " x " << fast[i].height << ")";
    }
}

// A press at (x, y) held while the pointer slides to (toX, toY) and back, released there.
uint32_t PressAndSlide(uint32_t at, int32_t x, int32_t y, int32_t toX, int32_t toY) {
    ScriptMouseMove(at, x, y);
    ScriptMouseDown(at + 1, 1);
    ScriptMouseMove(at + 200, toX, toY);
    ScriptMouseMove(at + 400, x, y);
    ScriptMouseMove(at + 600, toX, toY);
    ScriptMouseUp(at + 800, 1);
    return at + 800;
}

// The title bar dragged by (dx, dy) from (x, y) in a few moves, then dragged back.
uint32_t DragThereAndBack(uint32_t at, int32_t x, int32_t y, int32_t dx, int32_t dy) {
    ScriptMouseMove(at, x, y);
    ScriptMouseDown(at + 1, 1);
    ScriptMouseMove(at + 100, x + dx / 2, y + dy / 2);
    ScriptMouseMove(at + 200, x + dx, y + dy);
    ScriptMouseUp(at + 300, 1);
    ScriptMouseMove(at + 500, x + dx, y + dy);
    ScriptMouseDown(at + 501, 1);
    ScriptMouseMove(at + 600, x, y);
    ScriptMouseUp(at + 700, 1);
    return at + 700;
}

// The window's title-bar button slot n (1 at the right), as a desktop point.
int32_t SlotX(int32_t slot) {
    return ScriptWindow().x + ScriptWindow().width - 4 - 20 * slot + 9;
}
constexpr int32_t SlotY = 15;

// Rolls the window up with slot 2 and restores it with slot 1 a little later.
uint32_t RollUpAndRestore(uint32_t at) {
    const int32_t rollUp = SlotX(2), restore = SlotX(1);
    const uint32_t t = ScriptClick(at, rollUp, SlotY, 1, 200);
    return ScriptClick(t + 600, restore, SlotY, 1, 200);
}

} // namespace

// The settings screen with every title effect and the stars: options switched, a step
// button held, the window dragged and rolled up; then the largest round, without stars and
// title animation (its frames draw the panel only): a flood, marks, a
// press held on a cell, the face and back buttons pressed and left, the window dragged and
// rolled up, a lost round's end screen and its face button; the next round left for the
// settings, transparent empty cells, stars and animation switched on, and a won small round
// with its top ten.
TEST(PresentShortcuts, EveryShownFrameIsWhatAFullPresentShows) {
    int s = 0;
    uint32_t u = 0;
    Scene scene;
    scene.start = [&] {
        s = 0;
        u = 0;
        FreshMachineWithPrefs("shortcuts", PrefsRecord(1, 0, 1, 1, 40, 25, 150, 0, 0));
        uint32_t t = ScriptClick(5200, CheckBoxX, CheckBoxY[0], 1, 30); // stars off
        t = ScriptClick(t + 300, CheckBoxX, CheckBoxY[3], 1, 30);       // gradient off
        t = ScriptClick(t + 300, CheckBoxX, CheckBoxY[0], 1, 30);       // stars on
        t = ScriptClick(t + 300, CheckBoxX, CheckBoxY[3], 1, 30);       // gradient on
        t = ScriptClick(t + 300, CheckBoxX, CheckBoxY[0], 1, 30);       // stars off
        t = ScriptClick(t + 300, CheckBoxX, CheckBoxY[2], 1, 30);       // animation off
        t = ScriptClick(t + 300, MinusX, SliderRowY[2], 1, 400);        // fewer mines
        t = ScriptClick(t + 300, PlusX, SliderRowY[2], 1, 400);         // and back
        t = DragThereAndBack(t + 300, 150, 12, 60, 40);
        t = RollUpAndRestore(t + 300);
        ScriptClick(t + 500, StartX, StartY, 1, 30);
        ScriptEndAt(400000);
    };
    scene.step = [&] {
        const uint32_t now = ScriptClock();
        if (s == 0 && OnGameScreen() && RoundState == Running) {
            s = 1;
            const auto [ex, ey] = NthCell(Empty);
            const auto [nx, ny] = NthCell(Counted);
            const auto [n2x, n2y] = NthCell(Counted, 7);
            const auto [mx, my] = NthCell(HoldsMine);
            uint32_t at = ScriptClick(now + 100, CellX(ex), CellY(ey), 1, 30);
            at = ScriptClick(at + 100, CellX(nx), CellY(ny), 1, 30);
            at = ScriptClick(at + 100, CellX(mx), CellY(my), 2, 30);    // flag
            at = ScriptClick(at + 100, CellX(39), CellY(24), 2, 30);    // flag
            at = ScriptClick(at + 100, CellX(39), CellY(24), 2, 30);    // question
            at = ScriptClick(at + 100, CellX(n2x), CellY(n2y), 1, 700); // held
            at = PressAndSlide(at + 200, 265, 50, 265, 150);            // face
            at = PressAndSlide(at + 200, 325, 50, 325, 150);            // back
            u = at + 100;
        } else if (s == 1 && now > u) {
            s = 2;
            u = DragThereAndBack(now + 100, 400, 12, -80, 30) + 100;
        } else if (s == 2 && now > u) {
            s = 3;
            u = RollUpAndRestore(now + 100) + 300;
        } else if (s == 3 && now > u) {
            s = 4;
            const auto [mx, my] = NthCell(HoldsMine, 2); // the first carries a flag
            ScriptClick(now + 300, CellX(mx), CellY(my), 1, 30);
        } else if (s == 4 && RoundState == Lost) {
            s = 5;
            u = PressAndSlide(now + 500, 265, 50, 265, 150) + 100;
            u = RollUpAndRestore(u) + 300;
        } else if (s == 5 && now > u) {
            s = 6;
            ScriptClick(now + 100, 265, 50, 1, 200); // face: a new round
            u = now + 200;
        } else if (s == 6 && now > u && OnGameScreen() && RoundState == Running) {
            s = 7;
            const auto [ex, ey] = NthCell(Empty);
            u = ScriptClick(now + 100, CellX(ex), CellY(ey), 1, 30);
            u = ScriptClick(u + 500, 325, 50, 1, 30); // back to the settings
        } else if (s == 7 && now > u && ScriptWindow().height == 310) {
            s = 8;
            uint32_t at = ScriptClick(now + 300, CheckBoxX, CheckBoxY[1], 1, 30);
            at = ScriptClick(at + 300, CheckBoxX, CheckBoxY[0], 1, 30); // stars on
            at = ScriptClick(at + 300, CheckBoxX, CheckBoxY[2], 1, 30); // animation on
            at = ScriptClick(at + 300, PresetX[0], PresetY, 1, 30);
            ScriptClick(at + 300, StartX, StartY, 1, 30);
        } else if (s == 8 && OnGameScreen() && RoundState == Running && BoardSettings.width < 40) {
            s = 9;
            u = WinRound(now + 100);
        } else if (s == 9 && RoundState == Won && now > u) {
            s = 10;
            ScriptClick(now + 500, 265, 50, 1, 200); // face: the top ten
        } else if (s == 10 && ScriptWindow().width == 350 && ScriptWindow().height == 360) {
            s = 11;
            ScriptEndAt(now + 3000);
        }
    };
    scene.finished = [&] { return s == 11; };
    ExpectSameFrames(scene);
}

// Without stars and title effects the screens at rest repeat their frames: the settings
// screen between clicks, a round whose clock has not started while cells are marked and
// unmarked, the end screen with its frozen clock while the face button is pressed and the
// window rolled up; then transparent empty cells switched on, a won small round and its top
// ten, where a name typed key by key changes a text in the middle of repeated frames.
TEST(PresentShortcuts, RepeatedFramesShowWhatAFullPresentShows) {
    int s = 0;
    uint32_t u = 0;
    Scene scene;
    scene.start = [&] {
        s = 0;
        u = 0;
        FreshMachineWithPrefs("repeats", PrefsRecord(0, 0, 0, 0, 20, 12, 30, 0, 0));
        uint32_t t = ScriptClick(5500, CheckBoxX, CheckBoxY[2], 1, 30); // animation on
        t = ScriptClick(t + 500, CheckBoxX, CheckBoxY[2], 1, 30);       // and off
        t = ScriptClick(t + 500, PlusX, SliderRowY[0], 1, 30);          // one column more
        t = RollUpAndRestore(t + 500);
        ScriptClick(t + 500, StartX, StartY, 1, 30);
        ScriptEndAt(400000);
    };
    scene.step = [&] {
        const uint32_t now = ScriptClock();
        if (s == 0 && OnGameScreen() && RoundState == Running) {
            s = 1;
            const auto [mx, my] = NthCell(HoldsMine);
            uint32_t at = now + 500;
            for (int32_t turn = 0; turn < 3; ++turn) // flag, question, covered again
                at = ScriptClick(at, CellX(mx), CellY(my), 2, 30) + 400;
            at = ScriptClick(at, CellX(0), CellY(0), 2, 30) + 400;
            at = PressAndSlide(at, 265, 50, 265, 150) + 400;
            u = RollUpAndRestore(at) + 500;
        } else if (s == 1 && now > u) {
            s = 2;
            const auto [mx, my] = NthCell(HoldsMine, 2);
            ScriptClick(now + 100, CellX(mx), CellY(my), 1, 30);
        } else if (s == 2 && RoundState == Lost) {
            s = 3;
            u = PressAndSlide(now + 500, 265, 50, 265, 150) + 500;
            u = RollUpAndRestore(u) + 500;
        } else if (s == 3 && now > u) {
            s = 4;
            ScriptClick(now + 100, 325, 50, 1, 200); // back to the settings
        } else if (s == 4 && ScriptWindow().height == 310) {
            s = 5;
            uint32_t at = ScriptClick(now + 500, CheckBoxX, CheckBoxY[1], 1, 30);
            at = ScriptClick(at + 500, PresetX[0], PresetY, 1, 30);
            ScriptClick(at + 500, StartX, StartY, 1, 30);
        } else if (s == 5 && OnGameScreen() && RoundState == Running) {
            s = 6;
            u = WinRound(now + 500);
        } else if (s == 6 && RoundState == Won && now > u) {
            s = 7;
            ScriptClick(now + 500, 265, 50, 1, 200); // face: the top ten
        } else if (s == 7 && ScriptWindow().width == 350 && ScriptWindow().height == 360) {
            s = 8;
            uint32_t at = now + 3000; // the list has slid in: a name is typed slowly
            for (int32_t key : {0x1E, 0x30, 0x0E, 0x2E})
                at = ScriptTap(at, key, 50) + 700;
            ScriptTap(at, 0x1C, 50); // Return
            ScriptEndAt(at + 1500);
        }
    };
    scene.finished = [&] { return s == 8; };
    ExpectSameFrames(scene);
}
