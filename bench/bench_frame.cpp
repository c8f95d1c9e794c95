// Benchmark of one frame of drawing: background, a full board of tiles, a star field, a text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform.h"
#include "platform_state.h"

namespace {

constexpr int32_t TileSlot = 1;
constexpr int32_t FontSlotUsed = 4;
constexpr int32_t StarCount = 2500;

struct Star {
    int32_t x, y, colour;
};

// A back buffer, a sheet of eight 20 x 20 tiles in a sprite slot, the program's number font
// and the positions of a star field, made once for all runs.
const std::vector<Star>& PrepareFrame() {
    static std::vector<Star> stars;
    if (!stars.empty()) return stars;
    ResetPlatformState();
    CreateBackBuffer(850, 600);
    SpriteSlot& sheet = Sprites[TileSlot];
    sheet.width = 160;
    sheet.height = 20;
    sheet.pixels.resize(160 * 20);
    for (size_t i = 0; i < sheet.pixels.size(); ++i)
        sheet.pixels[i] = uint32_t(i * 2654435761u);
    sheet.srcWidth = 160;
    sheet.srcHeight = 20;
    LoadFontSlot(FontSlotUsed, "Arial", 9, FontBold);
    SeedRandom(7);
    for (int32_t i = 0; i < StarCount; ++i) {
        const int32_t grey = RandomUpTo(255);
        stars.push_back({RandomUpTo(849), RandomUpTo(599), MakeColour(grey, grey, grey)});
    }
    return stars;
}

void DrawBackground() {
    FillBox(0, 0, 850, 600, MakeColour(195, 200, 205));
}

void DrawStars(const std::vector<Star>& stars) {
    for (const Star& star : stars)
        PlotPixel(star.x, star.y, star.colour);
}

void DrawTextLine() {
    UseFontSlot(FontSlotUsed);
    SetTextMode(TextModeTransparent);
    SetInkColour(0, 0, 0);
    SetTextCursor(172, 35);
    DrawTextAtCursor("Sekunden 123.45 H\xF6he: 25 Breite: 40 Minen: 500");
}

// A 40 x 25 board of tiles at the game screen's positions: 1,000 blits.
void BlitBoard() {
    for (int32_t i = 0; i < 1000; ++i) {
        SetSpriteSource(TileSlot, (i % 8) * 20, 0, 20, 20);
        BlitSprite(TileSlot, 10 + 20 * (i % 40), 78 + 20 * (i / 40));
    }
}

void BM_Frame(benchmark::State& state) {
    const std::vector<Star>& stars = PrepareFrame();
    for (auto _ : state) {
        BeginDrawing(BackBufferOutput());
        DrawBackground();
        DrawStars(stars);
        DrawTextLine();
        EndDrawing();
        BlitBoard();
        benchmark::DoNotOptimize(BackBuffer.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Frame);

void BM_Background(benchmark::State& state) {
    PrepareFrame();
    BeginDrawing(BackBufferOutput());
    for (auto _ : state) {
        DrawBackground();
        benchmark::ClobberMemory();
    }
    EndDrawing();
}
BENCHMARK(BM_Background);

void BM_Stars(benchmark::State& state) {
    const std::vector<Star>& stars = PrepareFrame();
    BeginDrawing(BackBufferOutput());
    for (auto _ : state) {
        DrawStars(stars);
        benchmark::ClobberMemory();
    }
    EndDrawing();
}
BENCHMARK(BM_Stars);

void BM_TextLine(benchmark::State& state) {
    PrepareFrame();
    BeginDrawing(BackBufferOutput());
    for (auto _ : state) {
        DrawTextLine();
        benchmark::ClobberMemory();
    }
    EndDrawing();
}
BENCHMARK(BM_TextLine);

void BM_Tiles(benchmark::State& state) {
    PrepareFrame();
    for (auto _ : state) {
        BlitBoard();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Tiles);

} // namespace
