// Tests of the sprite slots: loading sheets, source rectangles and clipped opaque blits.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "bmp_maker.h"
#include "platform_state.h"
#include "test_support.h"

namespace {

// A 6 x 4 sheet whose pixel (x, y) is 0x00yyxx + 0x010101 (never black, never the same).
std::vector<uint32_t> SheetPixels() {
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            pixels.push_back((y << 8 | x) + 0x010101);
    return pixels;
}

uint32_t SheetPixel(int32_t x, int32_t y) {
    return (uint32_t(y) << 8 | uint32_t(x)) + 0x010101;
}

uint32_t BufferPixel(int32_t x, int32_t y) {
    return BackBuffer.pixels[size_t(y) * size_t(BackBuffer.width) + size_t(x)];
}

class SpriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        folder = MakeTempFolder("sprites");
        SetProgramFolder(folder);
        std::filesystem::create_directories(folder + "GFX");
        WriteWholeFile(folder + "GFX/Sheet.bmp", MakeBmp(6, 4, 24, SheetPixels()));
        CreateBackBuffer(850, 600);
    }
    void TearDown() override {
        ResetPlatformState();
        SetProgramFolder("");
        std::filesystem::remove_all(folder);
    }
    std::string folder;
};

} // namespace

TEST_F(SpriteTest, LoadsFromTheProgramFolderAndEmptiesTheSlotOnFailure) {
    ASSERT_EQ(LoadSpriteSheet(3, "GFX\\Sheet.bmp", 0), 1);
    EXPECT_EQ(Sprites[3].width, 6);
    EXPECT_EQ(Sprites[3].height, 4);
    EXPECT_EQ(Sprites[3].srcWidth, 6);
    EXPECT_EQ(Sprites[3].srcHeight, 4);
    EXPECT_EQ(Sprites[3].pixels, SheetPixels());

    // A failed load replaces what the slot held: the slot is empty and blits draw nothing.
    WriteWholeFile(folder + "GFX/Broken.bmp", "BM not really a bitmap");
    EXPECT_EQ(LoadSpriteSheet(3, "GFX\\Broken.bmp", 0), 0);
    EXPECT_EQ(Sprites[3].width, 0);
    EXPECT_TRUE(Sprites[3].pixels.empty());
    BlitSprite(3, 0, 0);
    EXPECT_EQ(BufferPixel(0, 0), 0u);

    EXPECT_EQ(LoadSpriteSheet(4, "GFX\\Missing.bmp", 0), 0);
    EXPECT_EQ(LoadSpriteSheet(4, "GFX", 0), 0); // a folder
    EXPECT_EQ(LoadSpriteSheet(-1, "GFX\\Sheet.bmp", 0), 0);
    EXPECT_EQ(LoadSpriteSheet(SpriteSlotCount, "GFX\\Sheet.bmp", 0), 0);
    EXPECT_EQ(LoadSpriteSheet(SpriteSlotCount - 1, "GFX\\Sheet.bmp", 0), 1);
}

TEST_F(SpriteTest, EachSheetThatCannotBeLoadedIsSaidOnceWithItsPath) {
    WriteWholeFile(folder + "GFX/Broken.bmp", "BM not really a bitmap");
    testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round) { // a second start-up of the sheets says nothing new
        LoadSpriteSheet(1, "GFX\\Missing.bmp", 0);
        LoadSpriteSheet(2, "GFX\\Broken.bmp", 0);
        LoadSpriteSheet(3, "GFX\\Sheet.bmp", 0);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find("tessaroc: sprite sheet " + folder + "GFX/Missing.bmp left out: "),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("tessaroc: sprite sheet " + folder + "GFX/Broken.bmp left out: "),
              std::string::npos)
        << said;
}

TEST_F(SpriteTest, SheetsComeFromBesideTheProgramElseFromTheInstalledTree) {
    // An installed tree: the program in bin/, the sheets in share/tessaroc/GFX/.
    const std::string prefix = folder + "prefix/";
    std::filesystem::create_directories(prefix + "bin");
    std::filesystem::create_directories(prefix + "share/tessaroc/GFX");
    WriteWholeFile(prefix + "share/tessaroc/GFX/Sheet.bmp", MakeBmp(6, 4, 24, SheetPixels()));
    SetProgramFolder(prefix + "bin");
    ASSERT_EQ(LoadSpriteSheet(1, "GFX\\Sheet.bmp", 0), 1);
    EXPECT_EQ(Sprites[1].pixels, SheetPixels());

    // A GFX folder beside the program comes first, even when the installed one exists.
    std::filesystem::create_directories(prefix + "bin/GFX");
    WriteWholeFile(prefix + "bin/GFX/Sheet.bmp", MakeBmp(2, 2, 24, {1, 2, 3, 4}));
    SetProgramFolder(prefix + "bin");
    ASSERT_EQ(LoadSpriteSheet(1, "GFX\\Sheet.bmp", 0), 1);
    EXPECT_EQ(Sprites[1].width, 2);

    // Neither: one line says where the sheets were looked for, not one line per sheet.
    SetProgramFolder(folder + "elsewhere/bin");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadSpriteSheet(1, "GFX\\Sheet.bmp", 0), 0);
    EXPECT_EQ(LoadSpriteSheet(2, "GFX\\Other.bmp", 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tessaroc: no sprite sheets: neither " + folder + "elsewhere/bin/GFX/ nor " + folder +
                  "elsewhere/share/tessaroc/GFX/ is a folder\n");
}

TEST_F(SpriteTest, SourceRectangleIsCutAtTheEdgesAndRestoredByMinusOne) {
    ASSERT_EQ(LoadSpriteSheet(0, "GFX\\Sheet.bmp", 0), 1);
    SetSpriteSource(0, 2, 1, 2, 2);
    EXPECT_EQ(Sprites[0].srcX, 2);
    EXPECT_EQ(Sprites[0].srcY, 1);
    EXPECT_EQ(Sprites[0].srcWidth, 2);
    EXPECT_EQ(Sprites[0].srcHeight, 2);

    SetSpriteSource(0, 4, 3, 10, 10); // passes the right and bottom edges
    EXPECT_EQ(Sprites[0].srcWidth, 2);
    EXPECT_EQ(Sprites[0].srcHeight, 1);
    SetSpriteSource(0, 1, 1, INT32_MAX, INT32_MAX);
    EXPECT_EQ(Sprites[0].srcWidth, 5);
    EXPECT_EQ(Sprites[0].srcHeight, 3);

    SetSpriteSource(0, -1, 0, 0, 0);
    EXPECT_EQ(Sprites[0].srcX, 0);
    EXPECT_EQ(Sprites[0].srcY, 0);
    EXPECT_EQ(Sprites[0].srcWidth, 6);
    EXPECT_EQ(Sprites[0].srcHeight, 4);

    // Negative sizes and positions outside the bitmap give an empty rectangle.
    for (auto [x, y, w, h] : {std::array<int32_t, 4>{0, 0, -1, 2},
                              {0, 0, 2, -1},
                              {-2, 0, 2, 2},
                              {0, -1, 2, 2},
                              {6, 0, 1, 1},
                              {0, 4, 1, 1}}) {
        SetSpriteSource(0, x, y, w, h);
        EXPECT_TRUE(Sprites[0].srcWidth == 0 || Sprites[0].srcHeight == 0) << x << " " << y;
        BlitSprite(0, 0, 0);
        EXPECT_EQ(BufferPixel(0, 0), 0u);
    }
    SetSpriteSource(SpriteSlotCount, 0, 0, 1, 1); // out of range: ignored, no crash
}

TEST_F(SpriteTest, BlitCopiesOpaquelyAndClipsAtEveryEdge) {
    // A black pixel in the sheet overwrites what is under it.
    std::vector<uint32_t> pixels = SheetPixels();
    pixels[0] = 0;
    WriteWholeFile(folder + "GFX/Black.bmp", MakeBmp(6, 4, 32, pixels));
    ASSERT_EQ(LoadSpriteSheet(1, "GFX\\Black.bmp", 0), 1);
    std::fill(BackBuffer.pixels.begin(), BackBuffer.pixels.end(), 0xABCDEFu);
    BlitSprite(1, 10, 20);
    EXPECT_EQ(BufferPixel(10, 20), 0u);
    EXPECT_EQ(BufferPixel(15, 23), SheetPixel(5, 3));
    EXPECT_EQ(BufferPixel(16, 23), 0xABCDEFu);
    EXPECT_EQ(BufferPixel(15, 24), 0xABCDEFu);

    // At negative coordinates only the visible part is drawn, from the right source pixels.
    std::fill(BackBuffer.pixels.begin(), BackBuffer.pixels.end(), 0u);
    ASSERT_EQ(LoadSpriteSheet(0, "GFX\\Sheet.bmp", 0), 1);
    SetSpriteSource(0, 1, 1, 4, 3);
    BlitSprite(0, -2, -1);
    EXPECT_EQ(BufferPixel(0, 0), SheetPixel(3, 2));
    EXPECT_EQ(BufferPixel(1, 1), SheetPixel(4, 3));
    EXPECT_EQ(BufferPixel(2, 0), 0u);
    EXPECT_EQ(BufferPixel(0, 2), 0u);

    // Past the right and bottom edges.
    BlitSprite(0, 848, 598);
    EXPECT_EQ(BufferPixel(849, 599), SheetPixel(2, 2));
    EXPECT_EQ(BufferPixel(848, 598), SheetPixel(1, 1));

    // Wholly outside, or far off: nothing changes and nothing wraps.
    std::vector<uint32_t> before = BackBufferCopy();
    for (auto [x, y] : {std::pair<int32_t, int32_t>{850, 0},
                        {0, 600},
                        {-4, 0},
                        {0, -3},
                        {INT32_MAX, INT32_MAX},
                        {INT32_MIN, INT32_MIN},
                        {INT32_MAX - 1, 5}})
        BlitSprite(0, x, y);
    EXPECT_EQ(BackBufferCopy(), before);
    BlitSprite(-1, 0, 0);
    BlitSprite(SpriteSlotCount, 0, 0);
    BlitSprite(7, 0, 0); // never loaded
    EXPECT_EQ(BackBufferCopy(), before);
}

TEST_F(SpriteTest, BlitWithoutBackBufferDoesNothing) {
    ASSERT_EQ(LoadSpriteSheet(0, "GFX\\Sheet.bmp", 0), 1);
    BackBuffer = BackBufferRecord{};
    BlitSprite(0, 0, 0);
    EXPECT_TRUE(BackBuffer.pixels.empty());
}
