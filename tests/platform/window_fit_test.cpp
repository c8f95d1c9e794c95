// Where the real window may go: the scale factor that lets the largest window fit, the work
// area a window belongs to and the least move that keeps it inside.
#include <gtest/gtest.h>

#include <vector>

#include "backend.h"
#include "platform_state.h"

namespace {

constexpr DesktopArea FullHd{0, 0, 1920, 1080};

// The largest round's window, 40 x 25 cells.
class WindowFit : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        SetLargestWindowSize(819, 588);
    }
    void TearDown() override { ResetPlatformState(); }
};

bool SameArea(const DesktopArea& a, const DesktopArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST_F(WindowFit, TheFactorIsLoweredUntilTheLargestWindowFits) {
    EXPECT_EQ(FittingScaleFactor(2, FullHd), 1) << "1638 x 1176 is taller than 1080";
    EXPECT_EQ(FittingScaleFactor(2, DesktopArea{0, 0, 1920, 1200}), 2);
    EXPECT_EQ(FittingScaleFactor(2, DesktopArea{0, 0, 1920, 1175}), 1);
    EXPECT_EQ(FittingScaleFactor(4, DesktopArea{0, 0, 3840, 2160}), 3) << "3276 x 1764";
    EXPECT_EQ(FittingScaleFactor(3, DesktopArea{0, 0, 3840, 2160}), 3);
    EXPECT_EQ(FittingScaleFactor(1, DesktopArea{0, 0, 3840, 2160}), 1) << "never above the asked";
    EXPECT_EQ(FittingScaleFactor(2, DesktopArea{0, 0, 800, 600}), 1) << "at least 1";
    EXPECT_EQ(FittingScaleFactor(2, DesktopArea{}), 1);
}

TEST_F(WindowFit, WithoutALargestWindowEveryFactorFits) {
    ResetPlatformState();
    EXPECT_EQ(FittingScaleFactor(2, DesktopArea{0, 0, 800, 600}), 2);
}

TEST_F(WindowFit, AWindowInsideStaysWhereItIs) {
    const DesktopArea w{900, 700, 370, 310};
    EXPECT_TRUE(SameArea(FitWindowIntoArea(w, FullHd), w));
    const DesktopArea corner{1550, 770, 370, 310}; // touching the right and bottom edges
    EXPECT_TRUE(SameArea(FitWindowIntoArea(corner, FullHd), corner));
}

TEST_F(WindowFit, AWindowPastAnEdgeMovesJustInside) {
    const DesktopArea screen{0, 0, 800, 600};
    EXPECT_TRUE(SameArea(FitWindowIntoArea({794, 0, 370, 310}, screen), {430, 0, 370, 310}));
    EXPECT_TRUE(SameArea(FitWindowIntoArea({-361, 0, 370, 310}, screen), {0, 0, 370, 310}));
    EXPECT_TRUE(SameArea(FitWindowIntoArea({0, -26, 370, 310}, screen), {0, 0, 370, 310}));
    EXPECT_TRUE(SameArea(FitWindowIntoArea({300, 500, 370, 310}, screen), {300, 290, 370, 310}));
}

TEST_F(WindowFit, AWindowLargerThanTheAreaKeepsItsTopLeftCornerOnIt) {
    const DesktopArea screen{0, 0, 800, 600};
    EXPECT_TRUE(SameArea(FitWindowIntoArea({200, 100, 819, 588}, screen), {0, 12, 819, 588}))
        << "too wide: the left edge; high enough: moved up just enough";
    const DesktopArea panels{0, 30, 800, 540}; // a panel above and one below
    EXPECT_TRUE(SameArea(FitWindowIntoArea({-50, 0, 819, 588}, panels), {0, 30, 819, 588}));
}

TEST_F(WindowFit, FarOffPlacesAndAreasDoNotOverflow) {
    const DesktopArea far = FitWindowIntoArea({2147483000, -2147483000, 819, 588}, FullHd);
    EXPECT_TRUE(SameArea(far, {1920 - 819, 0, 819, 588}));
}

TEST_F(WindowFit, TheWindowBelongsToTheAreaItOverlapsMostElseTheNearest) {
    const std::vector<DesktopArea> areas = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(WorkAreaOfWindow(areas, {1800, 10, 370, 310}), &areas[1]) << "250 of 370 on it";
    EXPECT_EQ(WorkAreaOfWindow(areas, {1700, 10, 370, 310}), &areas[0]);
    EXPECT_EQ(WorkAreaOfWindow(areas, {3300, 10, 370, 310}), &areas[1]) << "off to the right";
    EXPECT_EQ(WorkAreaOfWindow(areas, {-900, 1500, 370, 310}), &areas[0]);
    EXPECT_EQ(WorkAreaOfWindow({}, {0, 0, 370, 310}), nullptr);
}

// An empty work area holds no window: the window keeps its place rather than being pushed
// to the empty area's corner.
TEST_F(WindowFit, AnEmptyWorkAreaIsNoPlaceForTheWindow) {
    EXPECT_EQ(WorkAreaOfWindow({{0, 0, 0, 0}}, {120, 90, 370, 310}), nullptr);
    EXPECT_EQ(WorkAreaOfWindow({{0, 0, 1280, 0}}, {120, 90, 370, 310}), nullptr);
    const std::vector<DesktopArea> areas = {{0, 0, 0, 0}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(WorkAreaOfWindow(areas, {120, 90, 370, 310}), &areas[1]);
}

} // namespace
