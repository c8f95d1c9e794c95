// Tests of the star background: ranges, draw order, motion, respawn and rounding.
#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "frame_fixture.h"
#include "frame_internal.h"

namespace {

// A window record of the settings screen's size and a drawing on a fresh back buffer.
void PrepareStarWindow() {
    QuibWindow.Width = 370;
    QuibWindow.Height = 310;
    CreateBackBuffer(850, 600);
}

// One star with the given place, speed and a grey colour; the others are not used.
void OnlyStar(float x, float y, float speed, float grey) {
    StarLastIndex = 0;
    Stars[0] = {.x = x, .y = y, .speed = speed, .red = grey, .green = grey, .blue = grey};
}

// One value of every star of the field, in star order.
std::vector<float> FieldValues(float Star::*value) {
    std::vector<float> values;
    for (int32_t i = 0; i < StarCount; i++)
        values.push_back(Stars[i].*value);
    return values;
}

void DrawOneFrame(const PixelBox& covered = NoPixelBox) {
    ASSERT_EQ(BeginDrawing(BackBufferOutput()), 1);
    DrawStarField(covered);
    EndDrawing();
}

class StarsTest : public FrameTest {};

} // namespace

TEST_F(StarsTest, StarsStartInsideTheClientBackground) {
    PrepareStarWindow();
    InitStarField();
    float minX = 1e9f, maxX = -1e9f;
    for (int32_t i = 0; i <= 2499; i++) {
        const Star& star = Stars[i];
        EXPECT_TRUE(star.x >= 5 && star.x <= 365) << i;
        EXPECT_TRUE(star.y >= 28 && star.y <= 305) << i;
        EXPECT_TRUE(star.speed >= 20 && star.speed <= 120) << i;
        for (float c : {star.red, star.green, star.blue})
            EXPECT_TRUE(c >= 100 && c <= 255);
        EXPECT_EQ(star.x, std::floor(star.x));
        minX = std::min(minX, star.x);
        maxX = std::max(maxX, star.x);
    }
    EXPECT_LT(minX, 15);
    EXPECT_GT(maxX, 355);
    EXPECT_EQ(Stars[2500].x, 0.0f); // the spare last entry stays unused
    EXPECT_EQ(Stars[2500].speed, 0.0f);

    // A larger window spreads the next field over the whole new client area.
    QuibWindow.Width = 819;
    QuibWindow.Height = 588;
    InitStarField();
    const std::vector<float> x = FieldValues(&Star::x), y = FieldValues(&Star::y);
    EXPECT_GT(*std::max_element(x.begin(), x.end()), 700);
    EXPECT_GT(*std::max_element(y.begin(), y.end()), 500);
}

// What a player sees of a fresh field: StarCount stars, each a pixel of its colour inside
// the client background, drifting right at a speed of the field's range; the field comes
// from the random numbers, the same for the same seed and another for another.
TEST_F(StarsTest, AFreshFieldShowsEveryStarInsideTheWindow) {
    PrepareStarWindow();
    SeedRandom(1234);
    InitStarField();
    const std::vector<float> x = FieldValues(&Star::x), y = FieldValues(&Star::y);
    const std::vector<float> speeds = FieldValues(&Star::speed);
    std::set<std::pair<int32_t, int32_t>> places;
    for (int32_t i = 0; i < StarCount; i++)
        places.emplace(int32_t(x[size_t(i)]), int32_t(y[size_t(i)]));
    DrawOneFrame();
    int32_t lit = 0;
    for (int32_t py = 0; py < 600; py++)
        for (int32_t px = 0; px < 850; px++) {
            const int32_t pixel = ScriptPixel(px, py);
            if (pixel == 0) continue;
            ++lit;
            ASSERT_TRUE(px >= 5 && px <= 365 && py >= 28 && py <= 305) << px << "," << py;
            ASSERT_TRUE(places.count({px, py})) << px << "," << py;
            for (int32_t shift : {16, 8, 0})
                ASSERT_GE((pixel >> shift) & 0xFF, 100) << px << "," << py;
        }
    // Every star shows; stars that share a pixel show as one.
    EXPECT_EQ(lit, int32_t(places.size()));
    EXPECT_GT(lit, StarCount * 9 / 10);
    EXPECT_EQ(std::count_if(speeds.begin(), speeds.end(),
                            [](float speed) { return speed >= 20 && speed <= 120; }),
              StarCount);
    EXPECT_LE(*std::min_element(speeds.begin(), speeds.end()), 21);
    EXPECT_GE(*std::max_element(speeds.begin(), speeds.end()), 119);
    for (int32_t i = 0; i < StarCount; i++) {
        if (Stars[i].x == 5.0f) continue; // respawned in this frame
        ASSERT_EQ(Stars[i].x, x[size_t(i)] + speeds[size_t(i)] / 50.0f) << i;
    }

    SeedRandom(1234);
    InitStarField();
    EXPECT_EQ(FieldValues(&Star::x), x);
    EXPECT_EQ(FieldValues(&Star::speed), speeds);
    SeedRandom(1235);
    InitStarField();
    EXPECT_NE(FieldValues(&Star::x), x);
}

TEST_F(StarsTest, StarIsPlottedBeforeItMovesAndRespawnsPastTheRightEdge) {
    PrepareStarWindow();
    OnlyStar(364.9f, 100, 20, 200);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(365, 100), Rgb(200, 200, 200));
    EXPECT_EQ(Stars[0].x, 5.0f); // 365.3 is past 365
    EXPECT_TRUE(Stars[0].y >= 28 && Stars[0].y <= 305);
    CreateBackBuffer(850, 600);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(365, 100), 0);
    EXPECT_EQ(ScriptPixel(5, int32_t(Stars[0].y)),
              Rgb(int32_t(Stars[0].red), int32_t(Stars[0].green), int32_t(Stars[0].blue)));

    // Landing exactly on Width - 5 is not past it.
    OnlyStar(364.5f, 50, 25, 150);
    DrawOneFrame();
    EXPECT_EQ(Stars[0].x, 365.0f);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(365, 50), Rgb(150, 150, 150));
    EXPECT_EQ(Stars[0].x, 5.0f);
}

TEST_F(StarsTest, StarPositionsAndColoursRoundHalvesToEven) {
    PrepareStarWindow();
    OnlyStar(10.5f, 40.5f, 0, 100.5f);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(10, 40), Rgb(100, 100, 100));
    OnlyStar(11.5f, 41.5f, 0, 101.5f);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(12, 42), Rgb(102, 102, 102));
    OnlyStar(20.6f, 60.4f, 0, 120.6f);
    DrawOneFrame();
    EXPECT_EQ(ScriptPixel(21, 60), Rgb(121, 121, 121));
}

TEST_F(StarsTest, StarsStandStillWhileNotDrawnAndResumeWhereTheyStopped) {
    PrepareStarWindow();
    InitStarField();
    DrawOneFrame();
    const std::vector<float> x = FieldValues(&Star::x), y = FieldValues(&Star::y);
    // Frames without the star option: the frame is drawn, the stars are not.
    QuibWindow.BackColour = {0, 0, 0};
    for (int i = 0; i < 5; i++)
        DrawQuibFrame();
    EXPECT_EQ(FieldValues(&Star::x), x);
    DrawOneFrame();
    for (int32_t i = 0; i < 2500; i++) {
        if (Stars[i].x == 5.0f) continue; // respawned in this step
        EXPECT_EQ(Stars[i].x, x[size_t(i)] + Stars[i].speed / 50.0f) << i;
        EXPECT_EQ(Stars[i].y, y[size_t(i)]) << i;
    }
}

// Stars in a covered box are not plotted, yet the field moves and respawns as without it.
TEST_F(StarsTest, StarsInACoveredBoxMoveButAreNotPlotted) {
    const PixelBox box = {10, 78, 189, 257};
    auto run = [](const PixelBox& covered) { // 300 frames, the last one alone on black
        PrepareStarWindow();
        SeedRandom(99);
        InitStarField();
        for (int frame = 0; frame < 300; ++frame) {
            if (frame == 299) CreateBackBuffer(850, 600);
            DrawOneFrame(covered);
        }
        std::vector<float> field = FieldValues(&Star::x);
        for (float Star::*value : {&Star::y, &Star::red}) {
            const std::vector<float> more = FieldValues(value);
            field.insert(field.end(), more.begin(), more.end());
        }
        return std::pair(field, BackBufferCopy());
    };
    const auto [openField, openPixels] = run(NoPixelBox);
    const auto [field, pixels] = run(box);
    EXPECT_TRUE(field == openField);
    int32_t hidden = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const bool inBox = box.Contains(int64_t(i % 850), int64_t(i / 850));
        hidden += inBox && openPixels[i] != 0;
        ASSERT_EQ(pixels[i], inBox ? 0u : openPixels[i]) << i;
    }
    EXPECT_GT(hidden, 100);
}

TEST_F(StarsTest, StarsInAWindowSmallerThanItsFrameStayDefined) {
    QuibWindow.Width = 4;
    QuibWindow.Height = 10;
    CreateBackBuffer(850, 600);
    InitStarField();
    EXPECT_EQ(Stars[0].x, 5.0f);
    EXPECT_EQ(Stars[0].y, 28.0f);
    DrawOneFrame();
    EXPECT_EQ(Stars[0].x, 5.0f); // past Width - 5 at once: respawned
}

// The rounding of star positions and colours gives what lrintf gives (halves to even) for
// every quarter in the range stars use, at the edges of its fast range and beyond.
TEST(StarRounding, AgreesWithTheLibraryEverywhere) {
    for (int32_t k = -(1 << 20); k <= (1 << 20); ++k) {
        const float v = float(k) / 4.0f;
        ASSERT_EQ(quib::RoundToInt32(v), int32_t(std::lrintf(v))) << v;
    }
    for (float edge : {4194304.0f, 8388608.0f, 16777216.0f, 1e9f}) {
        for (float v : {edge, -edge}) {
            float below = v, above = v;
            for (int i = 0; i < 8; ++i) {
                below = std::nextafter(below, 0.0f);
                above = std::nextafter(above, v * 2.0f);
                ASSERT_EQ(quib::RoundToInt32(below), int32_t(std::lrintf(below))) << below;
                ASSERT_EQ(quib::RoundToInt32(above), int32_t(std::lrintf(above))) << above;
            }
        }
    }
    EXPECT_EQ(quib::RoundToInt32(0.5f), 0);
    EXPECT_EQ(quib::RoundToInt32(-2.5f), -2);
    EXPECT_EQ(quib::RoundToInt32(4194303.5f), 4194304);
    EXPECT_EQ(quib::RoundToInt32(std::nanf("")), 0);
    EXPECT_EQ(quib::RoundToInt32(3e9f), INT32_MAX);
    EXPECT_EQ(quib::RoundToInt32(-3e9f), INT32_MIN);
}
