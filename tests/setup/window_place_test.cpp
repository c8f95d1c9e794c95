// Where the window goes on the scripted desktop (one display of 1280 x 1024 without panels,
// which is its work area): it opens whole on the desktop from a stored position at an edge,
// and a window that grows for a larger board moves the least needed to stay on it.
#include <gtest/gtest.h>

#include <string>

#include "frame_state.h"
#include "program_run.h"
#include "script_platform.h"
#include "setup.h"

namespace {

struct Place {
    int32_t x, y;
};

// Runs the program from a Prefs file with the window at `stored` until the script ends at
// endMs; returns the folder.
std::string RunFrom(const char* tag, Place stored, uint32_t endMs) {
    const std::string folder =
        FreshMachineWithPrefs(tag, PrefsRecord(0, 0, 0, 0, 15, 10, 12, stored.x, stored.y));
    ScriptEndAt(endMs);
    EXPECT_EQ(RunTessaroc(), 0);
    return folder;
}

// The stored places the player can reach with every pixel of the title bar on the desktop
// are kept; one that leaves only a sliver of the window on the desktop is moved in, as far
// as needed and no further, and that place is what the end stores.
TEST(WindowPlace, AStoredPlaceAtAnEdgeOpensWholeOnTheDesktop) {
    struct Case {
        Place stored, opened;
    };
    const Case cases[] = {
        {{1274, 0}, {910, 0}}, // six columns of the title bar on the desktop
        {{-361, 0}, {0, 0}},   // nine columns at the left edge
        {{0, -26}, {0, 0}},    // only the title bar's bottom row
        {{1000, 800}, {910, 714}}, {{900, 700}, {900, 700}}, // whole on the desktop: kept
        {{0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored.x << "," << c.stored.y);
        const std::string folder = RunFrom("edge", c.stored, RunStartMs + 500);
        EXPECT_EQ(ScriptWindow().x, c.opened.x);
        EXPECT_EQ(ScriptWindow().y, c.opened.y);
        EXPECT_EQ(PrefsOf(folder), PrefsRecord(0, 0, 0, 0, 15, 10, 12, c.opened.x, c.opened.y));
    }
}

// The settings window at (900, 700) fits; the largest round (40 x 25, 819 x 588) would reach
// past the right and bottom edges, so the window moves up and left just enough. Back on the
// settings screen it shrinks where it is.
TEST(WindowPlace, AWindowGrowingForTheLargestRoundStaysOnTheDesktop) {
    const Place settings{900, 700}, round{1280 - 819, 1024 - 588};
    FreshMachineWithPrefs("grow", PrefsRecord(0, 0, 0, 0, 15, 10, 12, settings.x, settings.y));
    uint32_t t = ScriptClick(RunStartMs + 200, settings.x + PresetX[3], settings.y + PresetY);
    t = ScriptClick(t + 100, settings.x + StartX, settings.y + StartY);
    ScriptClick(t + 600, round.x + 320, round.y + 50); // the game screen's back button
    ScriptEndAt(t + 1500);
    Place roundAt{-1, -1}, settingsAt{-1, -1};
    EachPresent([&] {
        if (ScriptWindow().width == 819) roundAt = {ScriptWindow().x, ScriptWindow().y};
        if (roundAt.x >= 0 && ScriptWindow().width == 370)
            settingsAt = {ScriptWindow().x, ScriptWindow().y};
    });
    ASSERT_EQ(RunTessaroc(), 0);
    EXPECT_EQ(roundAt.x, round.x);
    EXPECT_EQ(roundAt.y, round.y);
    EXPECT_EQ(settingsAt.x, round.x) << "a shrinking window stays where it is";
    EXPECT_EQ(settingsAt.y, round.y);
}

} // namespace
