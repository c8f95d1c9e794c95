// Soak test: one long whole-program run on the scripted machine played by a random player.
//
// After every presented frame the player looks at the screen the program shows and, once
// its previous action is over, schedules the next one: settings changed at random (presets,
// slider presses, step buttons, check boxes) and start; on the board left presses (mostly on
// safe cells, so that rounds are also won), right presses, face and back; on the end screen
// face or back; on the top-ten screen storms of random keys and the click that leaves it.
// Every frame checks what a player would see go wrong. The number of rounds comes from
// TESSAROC_SOAK_ROUNDS (1000 when unset); tools/soak.sh runs the full count under the
// sanitizers. The random player is seeded (TESSAROC_SOAK_SEED), so a finding can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "besttimes.h"
#include "frame_state.h"
#include "game_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"
#include "test_support.h"

namespace {

// What the program shows, told apart by the window size of each screen.
enum class Shown { Settings, Play, End, TopTen, Other };

Shown ShownScreen() {
    if (QuibWindow.Width == 370 && QuibWindow.Height == 310) return Shown::Settings;
    if (QuibWindow.Width == TopListWidth && QuibWindow.Height == TopListHeight)
        return Shown::TopTen;
    if (QuibWindow.Height == 20 * BoardSettings.height + 88)
        return RoundState == Running ? Shown::Play : Shown::End;
    return Shown::Other;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// What the run went through, for the checks at its end.
struct SoakTally {
    int64_t rounds = 0;      // rounds started
    int64_t won = 0;         // rounds seen won
    int64_t lost = 0;        // rounds seen lost
    int64_t topTen = 0;      // visits of the top-ten screen
    int64_t keyStorms = 0;   // storms of keys typed there
    int64_t frameFaults = 0; // frames where a check failed
};

class RandomPlayer {
  public:
    RandomPlayer(uint64_t seed, int64_t rounds) : random_(seed), roundsWanted_(rounds) {}

    const SoakTally& Tally() const { return tally_; }

    // After every present: checks the frame, then acts when the last action is over.
    void OnFrame() {
        Shown now = ShownScreen();
        CheckFrame(now);
        CountScreenChange(now);
        if (ending_ || ScriptClock() < busyUntil_) return;
        if (tally_.rounds >= roundsWanted_) {
            ScriptEndAt(ScriptClock() + 100);
            ending_ = true;
            return;
        }
        uint32_t at = ScriptClock() + Pick(0, 20);
        switch (now) {
        case Shown::Settings:
            busyUntil_ = ActOnSettings(at);
            break;
        case Shown::Play:
            busyUntil_ = ActOnBoard(at);
            break;
        case Shown::End:
            busyUntil_ = Click(at, Chance(50) ? FaceX : BackX, ButtonY);
            break;
        case Shown::TopTen:
            busyUntil_ = ActOnTopTen(at);
            break;
        case Shown::Other:
            break;
        }
    }

  private:
    // Client points of the controls.
    static constexpr int32_t FaceX = 265, BackX = 325, ButtonY = 50;
    static constexpr int32_t EnterCode = 0x1C;
    static constexpr int32_t MaxPressesPerRound = 40;

    int32_t Pick(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random_);
    }
    bool Chance(int32_t percent) { return Pick(1, 100) <= percent; }

    uint32_t Click(uint32_t at, int32_t x, int32_t y, int32_t button = 1) {
        return ScriptClickWindow(at, x, y, button, uint32_t(Pick(1, 50))) + 1;
    }

    // A round starts when the board screen follows any other screen, and with each face
    // click on the board screen (counted where it is made).
    void CountScreenChange(Shown now) {
        if (now == Shown::Play && last_ != Shown::Play) {
            tally_.rounds++;
            pressesThisRound_ = 0;
        }
        if (now == Shown::End && last_ == Shown::Play)
            (RoundState == Won ? tally_.won : tally_.lost)++;
        if (now == Shown::TopTen && last_ != Shown::TopTen) tally_.topTen++;
        last_ = now;
    }

    // A frame is wrong when the window and the record disagree, the counter leaves its range
    // or a running round shows an opened mine. The board is judged from the second frame of
    // the board screen on: the first one, presented when the window takes its new size, comes
    // before the new board is built.
    void CheckFrame(Shown now) {
        bool ok =
            ScriptWindow().width == QuibWindow.Width && ScriptWindow().height == QuibWindow.Height;
        if (now == Shown::Play && last_ == Shown::Play) {
            ok = ok && MinesLeft >= 0 && MinesLeft <= BoardSettings.mines;
            for (int32_t i = 0; i < BoardColumns * BoardRows; ++i)
                ok = ok && !(Board.cover[i] == Opened && Board.content[i] == Mine);
        }
        if (!ok) tally_.frameFaults++;
    }

    uint32_t ActOnSettings(uint32_t at) {
        int32_t choice = Pick(1, 100);
        if (choice <= 30) return Click(at, StartX, StartY);
        if (choice <= 60) return Click(at, PresetX[Pick(0, 3)], PresetY);
        if (choice <= 80) return Click(at, Pick(70, 270), SliderRowY[Pick(0, 2)]);
        if (choice <= 92) return Click(at, Chance(50) ? MinusX : PlusX, SliderRowY[Pick(0, 2)]);
        return Click(at, CheckBoxX, CheckBoxY[Pick(0, 3)]);
    }

    // Mostly a left press on a covered cell without a mine; sometimes on any cell, a right
    // press, the face (a new round) or the back button.
    uint32_t ActOnBoard(uint32_t at) {
        int32_t width = std::clamp(BoardSettings.width, 1, BoardColumns);
        int32_t height = std::clamp(BoardSettings.height, 1, BoardRows);
        int32_t cx = Pick(0, width - 1), cy = Pick(0, height - 1);
        int32_t choice = Pick(1, 100);
        // A round that has not ended after MaxPressesPerRound presses is given up by either
        // button, which keeps the cost of the large boards in bounds.
        if (++pressesThisRound_ > MaxPressesPerRound) choice = Pick(1, 4);
        if (choice <= 2) {
            tally_.rounds++;
            pressesThisRound_ = 0;
            return Click(at, FaceX, ButtonY);
        }
        if (choice <= 4) return Click(at, BackX, ButtonY);
        if (choice <= 14) return Click(at, 20 + 20 * cx, 88 + 20 * cy, 2);
        if (choice <= 16) return Click(at, 20 + 20 * cx, 88 + 20 * cy);
        for (int32_t tries = 0; tries < 50; ++tries) {
            int32_t i = cx * BoardRows + cy;
            if (Board.cover[i] == Covered && Board.content[i] != Mine) break;
            cx = Pick(0, width - 1);
            cy = Pick(0, height - 1);
        }
        return Click(at, 20 + 20 * cx, 88 + 20 * cy);
    }

    // While the name is asked for: a storm of random keys (any code but Escape), overlapping
    // and of any length, ended by Enter most of the time. Afterwards the click that leaves.
    uint32_t ActOnTopTen(uint32_t at) {
        if (EnteringName == 0) return Click(at, Pick(10, 340), Pick(40, 350));
        tally_.keyStorms++;
        uint32_t end = at;
        int32_t keys = Pick(1, 60);
        for (int32_t k = 0; k < keys; ++k) {
            int32_t code = Pick(2, 255); // from 2: Escape (1) would end the program later
            if (Chance(10)) code = Chance(50) ? 0x2A : 0x0E; // shift, backspace
            uint32_t down = at + uint32_t(Pick(0, 40 * keys));
            end = std::max(end, ScriptTap(down, code, uint32_t(Pick(1, 500))));
        }
        if (Chance(80)) end = ScriptTap(end + 20, EnterCode, 60);
        return end + 1;
    }

    std::mt19937_64 random_;
    int64_t roundsWanted_;
    SoakTally tally_;
    Shown last_ = Shown::Other;
    uint32_t busyUntil_ = 0;
    int32_t pressesThisRound_ = 0;
    bool ending_ = false;
};

TEST(Soak, RandomRoundsRunCleanAndEndWithEveryFileIntact) {
    const int64_t rounds = int64_t(EnvNumber("TESSAROC_SOAK_ROUNDS", 1000));
    const uint64_t seed = EnvNumber("TESSAROC_SOAK_SEED", 1);
    std::string folder = FreshMachine("soak");
    RandomPlayer player(seed, rounds);
    EachPresent([&] { player.OnFrame(); });
    // A backstop far beyond what the rounds need, should the player ever get stuck.
    ScriptEndAt(RunStartMs + uint32_t(std::min<int64_t>(rounds * 120000, 4000000000LL)));
    ASSERT_EQ(RunTessaroc(), 0);
    ScriptOnPresent(nullptr);

    const SoakTally& t = player.Tally();
    std::printf("soak: %lld rounds, %lld won, %lld lost, %lld top-ten visits, %lld key storms\n",
                (long long)t.rounds, (long long)t.won, (long long)t.lost, (long long)t.topTen,
                (long long)t.keyStorms);
    EXPECT_GE(t.rounds, rounds);
    EXPECT_EQ(t.frameFaults, 0);
    EXPECT_GT(t.won, 0);
    EXPECT_GT(t.lost, 0);
    EXPECT_GT(t.keyStorms, 0);
    EXPECT_EQ(PrefsOf(folder).size(), 40u);
    EXPECT_EQ(ReadWholeFile(folder + "TopList").size(), size_t(TopListFileSize));
}

} // namespace
