// Tests of the back buffer's boxes, lines, pixels and drawing state.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "back_buffer_fixture.h"
#include "platform.h"
#include "platform_state.h"

namespace {

constexpr uint32_t White = 0xFFFFFFu;

class DrawTest : public BackBufferTest {
  protected:
    static uint32_t Pixel(int32_t x, int32_t y) {
        return BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)];
    }
    // The coordinates of every pixel that is not black.
    static std::vector<std::pair<int32_t, int32_t>> Painted() {
        std::vector<std::pair<int32_t, int32_t>> points;
        for (int32_t y = 0; y < BackBuffer.height; ++y)
            for (int32_t x = 0; x < BackBuffer.width; ++x)
                if (Pixel(x, y) != 0) points.emplace_back(x, y);
        return points;
    }
    // Whether exactly the pixels of columns x0..x1 and rows y0..y1 (inclusive) are painted.
    static bool OnlyRectPainted(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        for (int32_t y = 0; y < BackBuffer.height; ++y)
            for (int32_t x = 0; x < BackBuffer.width; ++x) {
                const bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                if ((Pixel(x, y) != 0) != inside) return false;
            }
        return true;
    }
};

TEST_F(DrawTest, BackBufferStartsBlackAndKeepsItsPixelsBetweenDrawings) {
    EXPECT_EQ(BackBuffer.width, 850);
    EXPECT_EQ(BackBuffer.height, 600);
    EXPECT_TRUE(Painted().empty());
    FillBox(3, 4, 1, 1, MakeColour(255, 255, 255));
    EndDrawing();
    ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    EXPECT_EQ(Pixel(3, 4), White);
}

TEST_F(DrawTest, ColourValuesPutRedInTheLowByteAndPixelsInBits16To23) {
    EXPECT_EQ(MakeColour(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
    EXPECT_EQ(MakeColour(255, 255, 255), 0xFFFFFF);
    // Components out of range are cut to their byte instead of spilling into the next one.
    EXPECT_EQ(MakeColour(-1, 0, 0), 0xFF);
    EXPECT_EQ(MakeColour(0, 256, 0), 0);
    PlotPixel(0, 0, MakeColour(0x12, 0x34, 0x56));
    EXPECT_EQ(Pixel(0, 0), 0x123456u);
}

TEST_F(DrawTest, FillBoxCoversWidthColumnsAndHeightRows) {
    FillBox(0, 0, 10, 5, MakeColour(255, 0, 0));
    EXPECT_TRUE(OnlyRectPainted(0, 0, 9, 4));
    EXPECT_EQ(Pixel(9, 4), 0xFF0000u);
    // The box colour becomes the current colour.
    DrawSegment(0, 10, 0, 10, -1);
    EXPECT_EQ(Pixel(0, 10), 0xFF0000u);
}

TEST_F(DrawTest, FillBoxWithNegativeOrEmptySizeDrawsNothing) {
    FillBox(20, 20, 30, -1, MakeColour(255, 255, 255)); // a rolled-up window's client box
    FillBox(20, 20, -30, 10, MakeColour(255, 255, 255));
    FillBox(20, 20, 0, 10, MakeColour(255, 255, 255));
    FillBox(20, 20, 10, 0, MakeColour(255, 255, 255));
    FillBox(20, 20, INT32_MIN, INT32_MIN, MakeColour(255, 255, 255));
    EXPECT_TRUE(Painted().empty());
}

TEST_F(DrawTest, FillBoxIsCutAtEveryEdgeWhateverTheCoordinates) {
    const int32_t white = MakeColour(255, 255, 255);
    FillBox(-5, -7, 10, 10, white);
    EXPECT_TRUE(OnlyRectPainted(0, 0, 4, 2));
    ResetPlatformState();
    CreateBackBuffer(850, 600);
    BeginDrawing(BackBufferOutput());
    FillBox(845, 597, INT32_MAX, INT32_MAX, white);
    EXPECT_TRUE(OnlyRectPainted(845, 597, 849, 599));
    FillBox(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, white);
    FillBox(INT32_MIN, 0, INT32_MAX, 600, white); // ends at column -2
    FillBox(0, INT32_MIN, 850, INT32_MAX, white); // ends at row -2
    FillBox(850, 0, 10, 600, white);
    FillBox(0, 600, 850, 10, white);
    EXPECT_TRUE(OnlyRectPainted(845, 597, 849, 599));
    FillBox(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, white); // ends at (-2, -2)
    FillBox(-1, -1, INT32_MAX, INT32_MAX, white);               // the whole buffer
    EXPECT_EQ(Painted().size(), 850u * 600u);
}

TEST_F(DrawTest, OutlineModeDrawsOnlyTheBorderOfTheBox) {
    SetTextMode(TextModeOutline);
    FillBox(10, 20, 5, 4, MakeColour(0, 255, 0));
    for (int32_t y = 20; y <= 23; ++y)
        for (int32_t x = 10; x <= 14; ++x) {
            const bool border = x == 10 || x == 14 || y == 20 || y == 23;
            EXPECT_EQ(Pixel(x, y), border ? 0x00FF00u : 0u) << x << "," << y;
        }
    EXPECT_EQ(Painted().size(), 14u);
    // An outline cut by the buffer's edge keeps its visible sides.
    FillBox(-2, 100, 5, 3, MakeColour(0, 255, 0));
    EXPECT_EQ(Pixel(0, 100), 0x00FF00u);
    EXPECT_EQ(Pixel(2, 101), 0x00FF00u);
    EXPECT_EQ(Pixel(1, 101), 0u);
    SetTextMode(0);
    FillBox(30, 30, 3, 3, MakeColour(0, 255, 0));
    EXPECT_EQ(Pixel(31, 31), 0x00FF00u);
}

TEST_F(DrawTest, InvertModeFlipsCoveredPixelsOnce) {
    FillBox(0, 0, 4, 1, MakeColour(255, 255, 255));
    SetTextMode(TextModeInvert);
    FillBox(2, 0, 4, 1, MakeColour(255, 0, 0)); // colour is not used
    EXPECT_EQ(Pixel(1, 0), White);
    EXPECT_EQ(Pixel(2, 0), 0u);
    EXPECT_EQ(Pixel(3, 0), 0u);
    EXPECT_EQ(Pixel(4, 0), White);
    EXPECT_EQ(Pixel(5, 0), White);
    // Lines invert too; a second pass restores the pixels.
    DrawSegment(0, 5, 9, 5, -1);
    EXPECT_EQ(Pixel(9, 5), White);
    DrawSegment(9, 5, 0, 5, -1);
    EXPECT_EQ(Pixel(9, 5), 0u);
    // Thin outlines invert every pixel exactly once (sides never overlap).
    SetTextMode(TextModeInvert | TextModeOutline);
    FillBox(50, 50, 1, 6, 0);
    FillBox(60, 50, 6, 2, 0);
    FillBox(70, 50, 4, 4, 0);
    for (int32_t y = 50; y <= 55; ++y)
        EXPECT_EQ(Pixel(50, y), White);
    for (int32_t x = 60; x <= 65; ++x)
        EXPECT_EQ(Pixel(x, 51), White);
    EXPECT_EQ(Pixel(70, 50), White);
    EXPECT_EQ(Pixel(73, 53), White);
    EXPECT_EQ(Pixel(71, 51), 0u);
    // Single pixels are set, never inverted.
    PlotPixel(0, 0, MakeColour(0, 0, 255));
    EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
}

TEST_F(DrawTest, SegmentIncludesBothEndPoints) {
    DrawSegment(0, 0, 3, 0, MakeColour(255, 255, 255));
    EXPECT_TRUE(OnlyRectPainted(0, 0, 3, 0));
    DrawSegment(100, 7, 100, 2, -1);
    EXPECT_EQ(Painted().size(), 4u + 6u);
    EXPECT_EQ(Pixel(100, 2), White);
    EXPECT_EQ(Pixel(100, 7), White);
    DrawSegment(200, 200, 200, 200, -1);
    EXPECT_EQ(Pixel(200, 200), White);
    EXPECT_EQ(Painted().size(), 11u);
}

TEST_F(DrawTest, SegmentColourMinusOneKeepsTheInk) {
    SetInkColour(0, 0, 255);
    DrawSegment(0, 0, 2, 0, -1);
    EXPECT_EQ(Pixel(2, 0), 0x0000FFu);
    DrawSegment(0, 1, 2, 1, MakeColour(255, 0, 0));
    DrawSegment(0, 2, 2, 2, -1);
    EXPECT_EQ(Pixel(2, 2), 0xFF0000u);
}

TEST_F(DrawTest, SlopedSegmentsStepOnePixelPerColumnOrRowInEitherDirection) {
    const int32_t white = MakeColour(255, 255, 255);
    DrawSegment(10, 10, 14, 14, white);
    for (int32_t i = 0; i <= 4; ++i)
        EXPECT_EQ(Pixel(10 + i, 10 + i), White);
    EXPECT_EQ(Painted().size(), 5u);

    // A shallow line: one pixel per column, each at most half a pixel from the ideal line.
    struct Line {
        int32_t x1, y1, x2, y2;
    };
    for (const Line line : {Line{20, 20, 27, 23}, Line{40, 23, 47, 20}, Line{300, 300, 291, 280},
                            Line{500, 100, 503, 90}}) {
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        BeginDrawing(BackBufferOutput());
        DrawSegment(line.x1, line.y1, line.x2, line.y2, white);
        const auto forward = Painted();
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        BeginDrawing(BackBufferOutput());
        DrawSegment(line.x2, line.y2, line.x1, line.y1, white);
        EXPECT_EQ(Painted(), forward) << "reversed line covers other pixels";
        const int32_t dx = std::abs(line.x2 - line.x1), dy = std::abs(line.y2 - line.y1);
        EXPECT_EQ(forward.size(), size_t(std::max(dx, dy) + 1));
        EXPECT_EQ(Pixel(line.x1, line.y1), White);
        EXPECT_EQ(Pixel(line.x2, line.y2), White);
        for (const auto& [x, y] : forward) {
            // Distance along the minor axis from the ideal line, times the major length.
            const double off = dx >= dy ? (y - line.y1) * double(line.x2 - line.x1) -
                                              (x - line.x1) * double(line.y2 - line.y1)
                                        : (x - line.x1) * double(line.y2 - line.y1) -
                                              (y - line.y1) * double(line.x2 - line.x1);
            EXPECT_LE(std::abs(off), std::max(dx, dy) / 2.0) << x << "," << y;
        }
    }
}

TEST_F(DrawTest, SegmentsWithHugeCoordinatesAreCut) {
    const int32_t white = MakeColour(255, 255, 255);
    DrawSegment(INT32_MIN, 300, INT32_MAX, 300, white);
    EXPECT_TRUE(OnlyRectPainted(0, 300, 849, 300));
    ResetPlatformState();
    CreateBackBuffer(850, 600);
    BeginDrawing(BackBufferOutput());
    DrawSegment(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, white); // the line y = x
    const auto points = Painted();
    ASSERT_EQ(points.size(), 600u);
    for (const auto& [x, y] : points)
        EXPECT_EQ(x, y);
    DrawSegment(INT32_MAX, 0, INT32_MAX, INT32_MIN, white);
    DrawSegment(-1, INT32_MIN, -1, INT32_MAX, white);
    DrawSegment(-10, 5, -1, 5, white);
    EXPECT_EQ(Painted().size(), 600u);
    DrawSegment(5, INT32_MAX, 5, INT32_MIN, white);
    EXPECT_EQ(Painted().size(), 600u + 599u);

    // A sloped line starting far outside: its visible pixels lie on the ideal line.
    for (const auto& [x1, y1, x2, y2] :
         {std::tuple{-100000, -50003, 100000, 50001}, std::tuple{INT32_MAX, 700, INT32_MIN + 5, -3},
          std::tuple{300, INT32_MIN, 301, INT32_MAX}}) {
        ResetPlatformState();
        CreateBackBuffer(850, 600);
        BeginDrawing(BackBufferOutput());
        DrawSegment(x1, y1, x2, y2, white);
        const auto visible = Painted();
        EXPECT_FALSE(visible.empty());
        const double dx = double(x2) - x1, dy = double(y2) - y1;
        for (const auto& [x, y] : visible) {
            if (std::abs(dx) >= std::abs(dy)) {
                EXPECT_LE(std::abs(y - (y1 + (x - double(x1)) * dy / dx)), 0.5 + 1e-6);
            } else {
                EXPECT_LE(std::abs(x - (x1 + (y - double(y1)) * dx / dy)), 0.5 + 1e-6);
            }
        }
    }
}

TEST_F(DrawTest, PlotPixelSetsOnePixelAndIgnoresOutsidePoints) {
    PlotPixel(849, 599, MakeColour(1, 2, 3));
    PlotPixel(850, 0, MakeColour(255, 255, 255));
    PlotPixel(0, 600, MakeColour(255, 255, 255));
    PlotPixel(-1, -1, MakeColour(255, 255, 255));
    PlotPixel(INT32_MIN, INT32_MAX, MakeColour(255, 255, 255));
    EXPECT_TRUE(OnlyRectPainted(849, 599, 849, 599));
    EXPECT_EQ(Pixel(849, 599), 0x010203u);
}

TEST_F(DrawTest, NothingIsDrawnOutsideBeginAndEnd) {
    EndDrawing();
    FillBox(0, 0, 100, 100, MakeColour(255, 255, 255));
    DrawSegment(0, 0, 50, 50, MakeColour(255, 255, 255));
    PlotPixel(5, 5, MakeColour(255, 255, 255));
    EXPECT_TRUE(Painted().empty());
    // A new drawing starts with black ink and default modes.
    ASSERT_NE(BeginDrawing(BackBufferOutput()), 0);
    FillBox(0, 0, 3, 3, MakeColour(255, 255, 255));
    SetTextMode(TextModeInvert);
    ASSERT_NE(BeginDrawing(BackBufferOutput()), 0); // ends the previous drawing first
    DrawSegment(0, 1, 5, 1, -1); // black ink over white and black pixels, nothing inverted
    EXPECT_EQ(Pixel(0, 1), 0u);
    EXPECT_EQ(Pixel(4, 1), 0u);
    EXPECT_EQ(Pixel(0, 0), White);
}

TEST(DrawWithoutBuffer, BeginDrawingFailsWithoutABackBuffer) {
    ResetPlatformState();
    EXPECT_EQ(BeginDrawing(BackBufferOutput()), 0);
    FillBox(0, 0, 10, 10, 0xFFFFFF);
    DrawSegment(0, 0, 10, 10, 0xFFFFFF);
    PlotPixel(0, 0, 0xFFFFFF);
    EXPECT_EQ(MeasureText("Hallo"), 0);
    CreateBackBuffer(850, 600);
    EXPECT_EQ(BeginDrawing(BackBufferOutput() + 1), 0); // not a drawing target
    EXPECT_NE(BeginDrawing(BackBufferOutput()), 0);
    ResetPlatformState();
}

} // namespace
