// Tests of leaving out the drawing of frames that repeat the one before them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"
#include "platform_state.h"

namespace {

constexpr int32_t Width = 200, Height = 100;

// A sprite sheet of 40 x 20 different pixels in slot 1.
void MakeSheet(uint32_t seed) {
    SpriteSlot& sheet = Sprites[1];
    sheet = SpriteSlot{};
    sheet.width = sheet.srcWidth = 40;
    sheet.height = sheet.srcHeight = 20;
    for (uint32_t i = 0; i < 800; ++i)
        sheet.pixels.push_back((i + seed) * 2654435761u & 0xFFFFFFu);
}

// One frame in one of several variants. Every variant starts like the others, and several
// operations depend on the pixels below them (inverting, blended text), so a left-out
// operation drawn late or out of order shows.
void DrawVariant(int variant) {
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, Width, Height, MakeColour(40, 80, 120));
    if (variant == 5) return EndDrawing(); // ends early: a prefix of the others
    SetTextMode(TextModeInvert);
    FillBox(10, 10, 60, 30, 0);
    SetTextMode(TextModeTransparent);
    UseFontSlot(1);
    SetInkColour(250, 250, variant == 2 ? 0 : 250);
    SetTextCursor(12, 12);
    DrawTextAtCursor("Wg\xF6");
    for (int32_t i = 0; i < 30; ++i)
        PlotPixel((i * 37) % Width, (i * 11) % Height, MakeColour(i * 8, 255, 0));
    EndDrawing();
    SetSpriteSource(1, variant == 3 ? 20 : 0, 0, 20, 20);
    BlitSprite(1, 150, 60);
}

// Draws the variants in order, each followed by a present, and returns the back buffer
// after each. Without repeats every present first forgets what was shown, so no frame is
// ever taken for a repeat.
std::vector<std::vector<uint32_t>> DrawFrames(const std::vector<int>& variants, bool repeats) {
    ResetPlatformState();
    CreateBackBuffer(Width, Height);
    EXPECT_NE(LoadFontSlot(1, "Arial", 14, FontBold), 0);
    MakeSheet(0);
    std::vector<std::vector<uint32_t>> frames;
    for (int variant : variants) {
        DrawVariant(variant);
        if (!repeats) ForgetWindowCopy();
        TakeChangedRows(Width, Height);
        frames.push_back(BackBufferCopy());
    }
    return frames;
}

class DrawReplayTest : public ::testing::Test {
  protected:
    void TearDown() override { ResetPlatformState(); }
};

} // namespace

// The frame after two equal ones that changed nothing is not drawn at all, and the
// present has nothing to compare.
TEST_F(DrawReplayTest, ARepeatedFrameWritesNothing) {
    DrawFrames({0, 0, 0}, true);
    DrawVariant(0);
    EXPECT_TRUE(DrawReplay.leavingOut);
    for (uint64_t mask : BackBuffer.touched)
        EXPECT_EQ(mask, 0u);
    EXPECT_TRUE(TakeChangedRows(Width, Height).empty());
}

// Frames that differ late, early, in a blit, or end early, between repeats: every buffer
// after a present is exactly what drawing every frame in full gives.
TEST_F(DrawReplayTest, FramesThatStopRepeatingAreDrawnInFull) {
    const std::vector<int> variants = {0, 0, 0, 0, 2, 2, 2, 2, 0, 0, 0, 3, 3, 3, 3,
                                       5, 5, 5, 5, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0};
    const auto repeated = DrawFrames(variants, true);
    const auto full = DrawFrames(variants, false);
    ASSERT_EQ(repeated.size(), full.size());
    for (size_t i = 0; i < full.size(); ++i)
        EXPECT_TRUE(repeated[i] == full[i]) << "frame " << i << ", variant " << variants[i];
}

// A sheet or a font replaced in the middle of a repeated frame: what was left out is drawn
// with the pictures it was listed with, and the new ones are used from there on.
TEST_F(DrawReplayTest, ReplacingASheetOrAFontDrawsWhatWasLeftOutFirst) {
    DrawFrames({0, 0, 0}, true);
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, Width, Height, MakeColour(40, 80, 120));
    ASSERT_TRUE(DrawReplay.leavingOut);
    EXPECT_NE(LoadFontSlot(1, "Arial", 14, FontBold), 0);
    EXPECT_FALSE(DrawReplay.leavingOut);
    EXPECT_EQ(BackBuffer.pixels[0], 0x285078u) << "the fill was drawn";
    EndDrawing();

    DrawFrames({0, 0, 0}, true);
    DrawVariant(0);
    ASSERT_TRUE(DrawReplay.leavingOut);
    const std::vector<uint32_t> before = BackBufferCopy();
    LoadSpriteSheet(1, "GFX\\missing.bmp", 0); // empties the slot
    EXPECT_EQ(BackBufferCopy(), before) << "left out with the old sheet";
    DrawVariant(0);
    TakeChangedRows(Width, Height);
    EXPECT_EQ(BackBuffer.pixels[60 * Width + 150], 0x285078u) << "the empty slot draws nothing";
}

// A box watched after a frame counts the writes of a repeated frame as writes, though they
// were left out: they are drawn as soon as the frame stops repeating.
TEST_F(DrawReplayTest, LeftOutWritesStillEndTheWatchedBox) {
    DrawFrames({0, 0, 0}, true);
    WatchBackBufferBox(150, 60, 20, 20);
    DrawVariant(0);
    ASSERT_TRUE(DrawReplay.leavingOut);
    EXPECT_EQ(WatchedBoxUntouched(), 0);
}

namespace {

// One frame of an animated screen: a fill that leaves a strip at the right, dots that move
// with the frame (one shows only on some frames), a counter, a blit that moves every other
// frame, blended text over the fill and an inverted box in the strip, which no fill paints
// under, so that it flips every frame.
void DrawAnimatedFrame(int frame) {
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, Width - 30, Height, MakeColour(40, 80, 120));
    for (int32_t i = 0; i < 40; ++i)
        PlotPixel((i * 37 + frame * (1 + i % 3)) % Width, (i * 11) % Height,
                  MakeColour(i * 6, 255, 0));
    if (frame % 3 == 0) PlotPixel(5, 5, MakeColour(255, 255, 255));
    SetTextMode(TextModeTransparent);
    UseFontSlot(1);
    SetInkColour(250, 250, 250);
    SetTextCursor(12, 12);
    DrawTextAtCursor("Wg\xF6");
    SetTextCursor(100, 40);
    DrawTextAtCursor(std::to_string(frame / 4));
    SetTextMode(TextModeInvert);
    FillBox(Width - 20, 10, 10, 10, 0);
    EndDrawing();
    SetSpriteSource(1, 0, 0, 20, 20);
    BlitSprite(1, 120 + frame / 2, 60);
}

// Draws frames 0 to count - 1 of an animation (DrawAnimatedFrame unless another is given),
// each followed by a present, and returns the back buffer after each; without the list every
// frame is drawn in full.
std::vector<std::vector<uint32_t>> DrawAnimation(int count, bool listed,
                                                 void (*draw)(int) = DrawAnimatedFrame) {
    ResetPlatformState();
    CreateBackBuffer(Width, Height);
    EXPECT_NE(LoadFontSlot(1, "Arial", 14, FontBold), 0);
    MakeSheet(0);
    std::vector<std::vector<uint32_t>> frames;
    for (int frame = 0; frame < count; ++frame) {
        if (!listed) DrawReplay = DrawReplayRecord{};
        draw(frame);
        TakeChangedRows(Width, Height);
        frames.push_back(BackBufferCopy());
    }
    return frames;
}

} // namespace

// Frames in which a few things move, appear, change or flip draw exactly what drawing every
// frame in full gives.
TEST_F(DrawReplayTest, AnimatedFramesDrawWhatFullFramesDraw) {
    const auto listed = DrawAnimation(40, true);
    const auto full = DrawAnimation(40, false);
    ASSERT_EQ(listed.size(), full.size());
    for (size_t i = 0; i < full.size(); ++i)
        EXPECT_TRUE(listed[i] == full[i]) << "frame " << i;
}

// A frame in which one dot moved is drawn again only around the dot's old and new places:
// the present compares and sends that one row.
TEST_F(DrawReplayTest, AFrameWithOneMovedDotDrawsOnlyAroundIt) {
    auto drawDot = [](int32_t x) {
        BeginDrawing(BackBufferOutput());
        FillBox(0, 0, Width, Height, MakeColour(40, 80, 120));
        UseFontSlot(1);
        SetTextMode(TextModeTransparent);
        SetTextCursor(12, 12);
        DrawTextAtCursor("Wg\xF6");
        PlotPixel(x, 50, MakeColour(255, 255, 0));
        EndDrawing();
    };
    ResetPlatformState();
    CreateBackBuffer(Width, Height);
    EXPECT_NE(LoadFontSlot(1, "Arial", 14, FontBold), 0);
    for (int32_t x = 60; x < 63; ++x) {
        drawDot(x);
        TakeChangedRows(Width, Height);
    }
    drawDot(63);
    BackBufferPixels(); // draws what differs from the last frame
    for (int32_t row = 0; row < Height; ++row)
        EXPECT_EQ(BackBuffer.touched[size_t(row)] != 0, row == 50) << "row " << row;
    const std::vector<RowRun>& runs = TakeChangedRows(Width, Height);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, 50);
    EXPECT_EQ(runs[0].count, 1);
    EXPECT_EQ(BackBuffer.pixels[50 * Width + 62], 0x285078u) << "the old place painted over";
    EXPECT_EQ(BackBuffer.pixels[50 * Width + 63], 0xFFFF00u);
}

namespace {

// A frame of many dots over a fill: they move while busy, else they stand still.
void DrawDotField(int frame, bool busy) {
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, Width, Height, MakeColour(10, 20, 30));
    for (int32_t i = 0; i < 1500; ++i)
        PlotPixel((i * 7 + (busy ? frame : 0)) % Width, i / 15, MakeColour(200, i % 256, 90));
    EndDrawing();
}

} // namespace

// Frames in which very many dots move are drawn as they come, then a still field is left
// out again: every buffer is what drawing every frame in full gives.
TEST_F(DrawReplayTest, BusyFramesDrawAsTheyComeAndStillOnesAreLeftOutAgain) {
    auto run = [](bool listed) {
        ResetPlatformState();
        CreateBackBuffer(Width, Height);
        std::vector<std::vector<uint32_t>> frames;
        for (int frame = 0; frame < 80; ++frame) {
            if (!listed) DrawReplay = DrawReplayRecord{};
            DrawDotField(frame, frame < 10);
            TakeChangedRows(Width, Height);
            frames.push_back(BackBufferCopy());
        }
        return frames;
    };
    const auto listed = run(true);
    EXPECT_TRUE(DrawReplay.leavingOut) << "the still field is left out";
    const auto full = run(false);
    ASSERT_EQ(listed.size(), full.size());
    for (size_t i = 0; i < full.size(); ++i)
        EXPECT_TRUE(listed[i] == full[i]) << "frame " << i;
}

namespace {

// One frame of a star field: a fill that leaves a strip at the right, 300 stars moving right
// by one or two pixels a frame (into the strip too), a box and texts over them, a counter that
// changes every fifth frame, and on some frames a box drawn before the stars.
void DrawStarFrame(int frame) {
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, Width - 20, Height, MakeColour(10, 20, 40));
    if (frame % 7 >= 5) FillBox(30, 30, 40, 20, MakeColour(90, 0, 0));
    for (int32_t i = 0; i < 300; ++i)
        PlotPixel((i * 53 + frame * (1 + i % 2)) % Width, (i * 7) % Height,
                  MakeColour(100 + i % 150, 200, 255));
    FillBox(120, 10, 30, 30, MakeColour(0, 90, 0));
    UseFontSlot(1);
    SetTextMode(TextModeTransparent);
    SetInkColour(250, 250, 250);
    SetTextCursor(10, 60);
    DrawTextAtCursor("Wg\xF6 Sterne");
    SetTextCursor(100, 75);
    DrawTextAtCursor(std::to_string(frame / 5));
    EndDrawing();
}

} // namespace

// Stars moving under a box and a text's blended edges, and where nothing paints under them,
// while the texts and the operations before them change: every frame is what drawing it in
// full gives.
TEST_F(DrawReplayTest, AStarFieldDrawsWhatFullFramesDraw) {
    const auto listed = DrawAnimation(60, true, DrawStarFrame);
    const auto full = DrawAnimation(60, false, DrawStarFrame);
    ASSERT_EQ(listed.size(), full.size());
    for (size_t i = 0; i < full.size(); ++i)
        EXPECT_TRUE(listed[i] == full[i]) << "frame " << i;
}
