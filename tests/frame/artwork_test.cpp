// Tests of the sprite sheets: committed files up to date, cell layouts, legible board cells,
// a preview on the frame.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "frame_fixture.h"
#include "test_support.h"

namespace {

struct SheetSize {
    const char* name;
    int32_t slot, width, height;
};
// Slots as the start-up loads them; Quibbuttons is loaded by OpenQuibWindow into slot 0.
const SheetSize Sheets[] = {
    {"Quibbuttons", 0, 180, 18}, {"TileSet", 1, 300, 20},     {"Buttons1", 2, 81, 168},
    {"Buttons2", 3, 76, 16},     {"PointTable1", 4, 149, 37}, {"Points", 5, 18, 297},
    {"Smileys", 6, 93, 31},      {"Buttons3", 7, 56, 56},     {"Buttons4", 8, 32, 16},
    {"Buttons5", 9, 50, 52},
};

uint32_t LittleEndian(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; i--)
        value = (value << 8) | uint8_t(bytes[at + size_t(i)]);
    return value;
}

void LoadAllSheets() {
    for (const SheetSize& s : Sheets)
        ASSERT_NE(LoadSpriteSheet(s.slot, std::string("GFX\\") + s.name + ".bmp", 0), 0) << s.name;
}

class ArtworkTest : public FrameTest {};

} // namespace

TEST_F(ArtworkTest, CommittedSheetsEqualWhatTheGeneratorDraws) {
    if (TESSAROC_CROSS_BUILD) GTEST_SKIP() << "the generator runs on the build machine only";
    std::string folder = MakeTempFolder("artwork");
    std::string command = std::string(TESSAROC_BINARY_DIR) + "/make_artwork " + folder + "GFX";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const SheetSize& s : Sheets) {
        std::string name = std::string(s.name) + ".bmp";
        std::string fresh = ReadWholeFile(folder + "GFX/" + name);
        std::string committed = ReadWholeFile(std::string(TESSAROC_SOURCE_DIR) + "/GFX/" + name);
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == committed)
            << name << " in GFX/ is stale: run make_artwork GFX in the source folder";
    }
}

TEST_F(ArtworkTest, SheetsAreUncompressedBottomUpBitmapsOfTheirCellLayout) {
    std::string folder = MakeProgramFolder("sheets");
    for (const SheetSize& s : Sheets) {
        std::string bytes = ReadWholeFile(folder + "GFX/" + s.name + ".bmp");
        ASSERT_GE(bytes.size(), 54u) << s.name;
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(LittleEndian(bytes, 18, 4), uint32_t(s.width)) << s.name;
        EXPECT_EQ(LittleEndian(bytes, 22, 4), uint32_t(s.height)) << s.name; // positive: bottom-up
        EXPECT_EQ(LittleEndian(bytes, 28, 2), 24u);
        EXPECT_EQ(LittleEndian(bytes, 30, 4), 0u); // no compression
        EXPECT_EQ(bytes.size(), 54 + size_t((s.width * 3 + 3) / 4 * 4) * size_t(s.height));
    }
    LoadAllSheets();
    // The counter rolls the lower part of one digit over the upper part of the next: every
    // picture begins and ends with rows of plain background, so the joins are clean.
    const SpriteSlot& points = Sprites[5];
    uint32_t background = points.pixels[0];
    for (int32_t picture = 0; picture < 11; picture++) {
        for (int32_t row : {0, 1, 25, 26}) {
            for (int32_t x = 0; x < 18; x++)
                EXPECT_EQ(points.pixels[size_t(27 * picture + row) * 18 + size_t(x)], background)
                    << "picture " << picture << " row " << row;
        }
    }
    // The counter panel keeps the three digit windows' frame within its 149 x 37 picture,
    // and the windows themselves are dark like the digits' background.
    const SpriteSlot& panel = Sprites[4];
    EXPECT_EQ(panel.pixels[size_t(5) * 149 + 77], background);
    EXPECT_EQ(panel.pixels[size_t(31) * 149 + 130], background);
}

namespace {

// TileSet cells as the board draws them (numbers from 1).
constexpr int32_t TileSlot = 1;
constexpr int32_t CoveredCell = 1;
constexpr int32_t FlagCell = 2;
constexpr int32_t OpenedEmptyCell = 3;
constexpr int32_t MineCell = 4;
constexpr int32_t WrongMarkCell = 14;
constexpr int32_t QueryCell = 15;
constexpr int32_t TileSide = 20;

// One 20 x 20 TileSet cell, pixels 0x00RRGGBB, top row first.
using Tile = std::vector<uint32_t>;

Tile TileCell(int32_t cell) {
    const SpriteSlot& sheet = Sprites[TileSlot];
    Tile tile;
    for (int32_t y = 0; y < TileSide; y++)
        for (int32_t x = 0; x < TileSide; x++)
            tile.push_back(
                sheet.pixels[size_t(y) * size_t(sheet.width) + size_t((cell - 1) * TileSide + x)]);
    return tile;
}

uint32_t At(const Tile& tile, int32_t x, int32_t y) {
    return tile[size_t(y) * TileSide + size_t(x)];
}

// Relative luminance of a pixel as the web's contrast guidelines compute it: each sRGB
// component made linear, then weighted 0.2126, 0.7152, 0.0722.
double Luminance(uint32_t pixel) {
    auto linear = [](uint32_t byte) {
        const double c = byte / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear((pixel >> 16) & 0xFF) + 0.7152 * linear((pixel >> 8) & 0xFF) +
           0.0722 * linear(pixel & 0xFF);
}

// Contrast ratio of two pixels, lighter over darker: 1 (same) to 21 (black on white).
double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixels of a cell's face: those of columns and rows first to last.
std::vector<uint32_t> Face(const Tile& tile, int32_t first, int32_t last) {
    std::vector<uint32_t> face;
    for (int32_t y = first; y <= last; y++)
        for (int32_t x = first; x <= last; x++)
            face.push_back(At(tile, x, y));
    return face;
}

double MeanLuminance(const std::vector<uint32_t>& pixels) {
    double sum = 0;
    for (uint32_t p : pixels)
        sum += Luminance(p);
    return sum / double(pixels.size());
}

// Whether every component of a lies between those of b and c (two steps of slack).
bool Between(uint32_t a, uint32_t b, uint32_t c) {
    for (int shift : {0, 8, 16}) {
        const int va = int((a >> shift) & 0xFF), vb = int((b >> shift) & 0xFF),
                  vc = int((c >> shift) & 0xFF);
        if (va < std::min(vb, vc) - 2 || va > std::max(vb, vc) + 2) return false;
    }
    return true;
}

// A number or mark drawn over a plain cell: its inks are the colours it paints in solid
// strokes. Colours of at least four pixels where it differs from the plain cell are
// candidates; a candidate that lies between the fill under it and another candidate is an
// anti-aliased edge of that one, not an ink. Each ink with the lowest contrast it reaches
// against the fill under it.
std::map<uint32_t, double> InksOf(const Tile& mark, const Tile& plain) {
    std::map<uint32_t, std::vector<size_t>> places;
    for (size_t i = 0; i < mark.size(); i++)
        if (mark[i] != plain[i]) places[mark[i]].push_back(i);
    std::map<uint32_t, double> inks;
    for (const auto& [colour, at] : places) {
        if (at.size() < 4) continue;
        bool edge = false;
        for (const auto& [other, otherAt] : places) {
            edge = edge ||
                   (other != colour && otherAt.size() >= 4 && Between(colour, plain[at[0]], other));
        }
        if (edge) continue;
        double weakest = 21.0;
        for (size_t i : at)
            weakest = std::min(weakest, Contrast(colour, plain[i]));
        inks[colour] = weakest;
    }
    return inks;
}

} // namespace

// A player scanning a large board tells covered from opened cells by their fill, not by a
// thin bevel, and reads every count and mark at once.
TEST_F(ArtworkTest, BoardCellsAreLegibleAtAGlance) {
    MakeProgramFolder("legible");
    LoadAllSheets();
    const Tile covered = TileCell(CoveredCell), opened = TileCell(OpenedEmptyCell);
    // Inside the covered cell's two-pixel bevel; below and right of the opened cell's grid line.
    const std::vector<uint32_t> coveredFace = Face(covered, 2, TileSide - 3);
    const std::vector<uint32_t> openedFace = Face(opened, 1, TileSide - 1);

    // Every pixel of the covered face against every pixel of the opened face.
    double weakest = 21.0;
    for (uint32_t c : coveredFace)
        for (uint32_t o : openedFace)
            weakest = std::min(weakest, Contrast(c, o));
    EXPECT_GE(weakest, 1.3) << "covered and opened fills too alike";

    // Raised: lit from the top left, shaded at the bottom right, around its face.
    std::vector<uint32_t> lit, shaded;
    for (int32_t i = 1; i < TileSide - 1; i++) {
        lit.push_back(At(covered, i, 0));
        lit.push_back(At(covered, 0, i));
        shaded.push_back(At(covered, i, TileSide - 1));
        shaded.push_back(At(covered, TileSide - 1, i));
    }
    EXPECT_GT(MeanLuminance(lit), MeanLuminance(coveredFace));
    EXPECT_LT(MeanLuminance(shaded), MeanLuminance(coveredFace));

    // Marks are shapes (3:1 suffices); the counts are text of this size, which needs 4.5:1.
    struct MarkCase {
        const char* what;
        int32_t cell;       // the number or mark
        int32_t plain;      // the cell it is drawn over
        double minContrast; // the weakest ratio each solid ink may reach against it
    };
    std::vector<MarkCase> marks = {{"flag", FlagCell, CoveredCell, 3.0},
                                   {"question mark", QueryCell, CoveredCell, 3.0},
                                   {"mine", MineCell, OpenedEmptyCell, 3.0},
                                   {"wrong mark", WrongMarkCell, OpenedEmptyCell, 3.0}};
    const char* const counts[8] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int32_t n = 1; n <= 8; n++)
        marks.push_back({counts[n - 1], n + 4, OpenedEmptyCell, 4.5});
    for (const MarkCase& m : marks) {
        const std::map<uint32_t, double> inks = InksOf(TileCell(m.cell), TileCell(m.plain));
        EXPECT_FALSE(inks.empty()) << m.what << " has no solid stroke";
        for (const auto& [ink, lowest] : inks)
            EXPECT_GE(lowest, m.minContrast) << m.what << " in " << std::hex << ink;
    }
}

namespace {

// A game screen as the round draws it, with every tile and both faces' neighbours shown.
void DrawGamePreview(int32_t face) {
    QuibWindow.Width = 370;
    QuibWindow.Height = 20 * 6 + 88;
    QuibWindow.BackColour = {195, 200, 205};
    DrawQuibFrame();
    BeginDrawing(BackBufferOutput());
    FillBox(5, 28, QuibWindow.Width - 9, 44, MakeColour(195, 200, 205));
    DrawBevelBox(247, 32, 283, 68, 195, 200, 205, 0);
    UseFontSlot(4);
    SetTextMode(TextModeTransparent);
    SetInkColour(0, 0, 0);
    SetTextCursor(172, 35);
    DrawTextAtCursor("Sekunden");
    SetTextCursor(172, 50);
    DrawTextAtCursor("12.34");
    EndDrawing();
    DrawSmileysCell(250, 35, face);
    for (int32_t y = 0; y < 6; y++)
        for (int32_t x = 0; x < 17; x++)
            DrawTileSetCell(10 + 20 * x, 78 + 20 * y, (x + 17 * y) % 3 == 0 ? 1 : 3);
    for (int32_t n = 1; n <= 15; n++)
        DrawTileSetCell(10 + 20 * n, 98, n);
    for (int32_t n = 5; n <= 12; n++)
        DrawTileSetCell(10 + 20 * (n - 4), 138, n);
    DrawTileSetCell(10, 138, 3);
    DrawTileSetCell(190, 138, 2);
    DrawTileSetCell(210, 138, 15);
    SetSpriteSource(4, -1, 0, 0, 0);
    BlitSprite(4, 20, 32);
    DrawPointsStrip(97, 37, 27 * 2);
    DrawPointsStrip(115, 37, 27 * 5 + 13); // rolling between 4 and 5
    DrawPointsStrip(133, 37, 27 * 10);
    DrawButtons5Cell(300, 38, 1);
}

// The settings screen's controls, on the grey background.
void DrawSettingsPreview() {
    QuibWindow.Width = 370;
    QuibWindow.Height = 310;
    QuibWindow.BackColour = {195, 200, 205};
    DrawQuibFrame();
    BeginDrawing(BackBufferOutput());
    SetTextMode(TextModeTransparent);
    UseFontSlot(2);
    SetInkColour(0, 0, 0);
    DrawCentredText(0, 370, 39, "Einstellungen");
    UseFontSlot(3);
    SetTextCursor(20, 70);
    DrawTextAtCursor("Breite:");
    DrawBevelBox(70, 70, 271, 85, 195, 200, 205, 1);
    DrawPercentBar(70, 70, 271, 85, 250, 250, 250, 50, 100, 250, 38);
    DrawBevelBox(280, 70, 305, 85, 195, 200, 205, 1);
    UseFontSlot(4);
    SetInkColour(0, 0, 0);
    DrawCentredText(280, 305, 71, "15");
    const char* options[4] = {"Sternenhintergrund", "Leere Felder = Transparent",
                              "Farbanimation in Titelleiste",
                              ("Farb\xFC"
                               "bergang in Titelleiste")};
    for (int32_t i = 0; i < 4; i++) {
        SetInkColour(0, 0, 0);
        SetTextCursor(45, 221 + 20 * i);
        DrawTextAtCursor(options[i]);
    }
    EndDrawing();
    for (int32_t k = 1; k <= 4; k++)
        DrawButtons1Cell(20 + 85 * (k - 1), 180, k == 2 ? 2 * k : 2 * k - 1);
    DrawButtons2Cell(315, 70, 1);
    DrawButtons2Cell(335, 70, 4);
    DrawButtons2Cell(315, 95, 2);
    DrawButtons2Cell(335, 95, 3);
    for (int32_t i = 0; i < 4; i++)
        DrawButtons4Cell(20, 220 + 20 * i, i % 2 + 1);
    DrawButtons3Cell(300, 220, 1);
    DrawButtons3Cell(300, 260, 2);
    DrawButtons5Cell(240, 95, 1);
    DrawButtons5Cell(240, 125, 2);
}

// Copies the w x h block at the back buffer's origin into the picture at (x, y).
void CopyInto(std::vector<uint32_t>& picture, int32_t x, int32_t y, int32_t w, int32_t h) {
    for (int32_t row = 0; row < h; row++)
        for (int32_t col = 0; col < w; col++)
            picture[size_t(y + row) * 850 + size_t(x + col)] =
                BackBuffer.pixels[size_t(row) * 850 + size_t(col)];
}

} // namespace

// Draws every sheet through the real toolkit: the frame in its four title-bar states, the
// game and settings screens' controls and each sheet whole. With TESSAROC_ARTWORK_PREVIEW
// naming a .png or .bmp file, the picture is saved there for a look at the artwork.
TEST_F(ArtworkTest, PreviewOfEverySheetOnTheFrame) {
    OpenStandardWindow();
    LoadAllSheets();
    ASSERT_NE(LoadFontSlot(2, "Arial", 14, FontBold), 0);
    ASSERT_NE(LoadFontSlot(3, "Verdana", 10, FontBold), 0);
    ASSERT_NE(LoadFontSlot(4, "Arial", 9, FontBold), 0);
    std::vector<uint32_t> picture(size_t(850) * 600, 0x303030);
    for (int32_t effects = 0; effects < 4; effects++) {
        QuibWindow.Width = 420;
        QuibWindow.Height = 40;
        QuibWindow.TitleEffects = effects;
        TitleAnimPhase = 90;
        DrawQuibFrame();
        CopyInto(picture, 0, 44 * effects, 421, 41);
    }
    DrawGamePreview(1);
    CopyInto(picture, 430, 0, 370, 208);
    DrawSettingsPreview();
    CopyInto(picture, 0, 180, 370, 310);
    // The sheets whole, beside and below the game screen.
    BeginDrawing(BackBufferOutput());
    FillBox(0, 0, 850, 600, MakeColour(48, 48, 48));
    EndDrawing();
    const int32_t place[][3] = {{0, 0, 0},    {1, 0, 22},   {4, 0, 46},   {6, 155, 46},
                                {3, 255, 46}, {8, 340, 46}, {7, 255, 66}, {9, 320, 66},
                                {2, 0, 90},   {5, 440, 0}};
    for (const auto& p : place) {
        SetSpriteSource(p[0], -1, 0, 0, 0);
        BlitSprite(p[0], p[1], p[2]);
    }
    CopyInto(picture, 380, 215, 460, 380);
    std::copy(picture.begin(), picture.end(), BackBuffer.pixels.begin());
    ResizeMainWindow(850, 600);
    PresentBackBuffer();
    EXPECT_EQ(ScriptShownPixel(0, 0), MakeColour(240, 240, 250)); // a frame's corner
    if (const char* path = std::getenv("TESSAROC_ARTWORK_PREVIEW")) {
        EXPECT_TRUE(ScriptSaveFrame(path));
    }
}
