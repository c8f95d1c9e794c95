// Artwork generator: draws the sprite sheets (24-bit BMP) and the application icon (PNG, ICO).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>
#include <zlib.h>

#include "platform.h"
#include "platform_state.h"

// Every picture is drawn here from shapes (anti-aliased by 4 x 4 supersampling), bevels and
// gradients, with the labels rendered through the platform's own fonts, so a fresh checkout
// builds the same sheets. The build runs it as "make_artwork <folder>".
namespace {

// ---------------------------------------------------------------- colours and canvas

struct Rgb {
    int r = 0, g = 0, b = 0;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// A picture being drawn: width x height pixels, top row first.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Canvas(int w, int h, Rgb fill = {})
        : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    void Set(int x, int y, Rgb c) {
        if (Inside(x, y)) pixels[size_t(y) * size_t(width) + size_t(x)] = c;
    }
    Rgb Get(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Covers the pixel with colour c to the share alpha (0 to 1).
    void Blend(int x, int y, Rgb c, double alpha) {
        if (!Inside(x, y) || alpha <= 0) return;
        Set(x, y, Mix(Get(x, y), c, std::min(alpha, 1.0)));
    }
    void Fill(int x, int y, int w, int h, Rgb c) {
        for (int row = y; row < y + h; row++)
            for (int col = x; col < x + w; col++)
                Set(col, row, c);
    }
    // Copies another canvas with its top-left corner at (x, y).
    void Paste(const Canvas& other, int x, int y) {
        for (int row = 0; row < other.height; row++)
            for (int col = 0; col < other.width; col++)
                Set(x + col, y + row, other.Get(col, row));
    }
};

// ---------------------------------------------------------------- shapes

// A shape is a test on a point in pixel space, where pixel (x, y) covers [x, x + 1) x
// [y, y + 1). Each pixel of the box is covered by the share of its 16 samples inside.
using Shape = std::function<bool(double, double)>;

void FillShape(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour, const Shape& inside,
               double opacity = 1.0) {
    for (int y = std::max(y0, 0); y <= std::min(y1, c.height - 1); y++) {
        for (int x = std::max(x0, 0); x <= std::min(x1, c.width - 1); x++) {
            int hits = 0;
            for (int j = 0; j < 4; j++)
                for (int i = 0; i < 4; i++)
                    hits += inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4);
            c.Blend(x, y, colour, opacity * hits / 16.0);
        }
    }
}

void Disc(Canvas& c, double cx, double cy, double r, Rgb colour, double opacity = 1.0) {
    FillShape(
        c, int(cx - r) - 1, int(cy - r) - 1, int(cx + r) + 1, int(cy + r) + 1, colour,
        [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; },
        opacity);
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double len = dx * dx + dy * dy;
    double t = len > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len, 0.0, 1.0) : 0.0;
    double qx = ax + t * dx - px, qy = ay + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

// A stroke with round ends from (ax, ay) to (bx, by).
void Line(Canvas& c, double ax, double ay, double bx, double by, double width, Rgb colour) {
    double h = width / 2;
    FillShape(c, int(std::min(ax, bx) - h) - 1, int(std::min(ay, by) - h) - 1,
              int(std::max(ax, bx) + h) + 1, int(std::max(ay, by) + h) + 1, colour,
              [=](double x, double y) { return SegmentDistance(x, y, ax, ay, bx, by) <= h; });
}

struct Point {
    double x, y;
};

void Polygon(Canvas& c, const std::vector<Point>& points, Rgb colour) {
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (Point p : points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    FillShape(c, int(minX) - 1, int(minY) - 1, int(maxX) + 1, int(maxY) + 1, colour,
              [&points](double x, double y) {
                  bool in = false;
                  for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                      const Point &a = points[i], &b = points[j];
                      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                          in = !in;
                  }
                  return in;
              });
}

// A vertical gradient over the box, top colour to bottom colour.
void VerticalGradient(Canvas& c, int x, int y, int w, int h, Rgb top, Rgb bottom) {
    for (int row = 0; row < h; row++)
        c.Fill(x, y + row, w, 1, Mix(top, bottom, h > 1 ? double(row) / (h - 1) : 0.0));
}

// A one-pixel bevel around the box: top and left in one colour, right and bottom in the
// other, the two corners they share in the second.
void Bevel(Canvas& c, int x, int y, int w, int h, Rgb topLeft, Rgb bottomRight) {
    c.Fill(x, y, w, 1, topLeft);
    c.Fill(x, y, 1, h, topLeft);
    c.Fill(x + w - 1, y, 1, h, bottomRight);
    c.Fill(x, y + h - 1, w, 1, bottomRight);
}

void Outline(Canvas& c, int x, int y, int w, int h, Rgb colour) {
    Bevel(c, x, y, w, h, colour, colour);
}

// ---------------------------------------------------------------- text through the platform

// Font slots of the generator.
constexpr int32_t LabelFont = 1;  // push-button labels
constexpr int32_t NumberFont = 2; // board counts and the question mark
constexpr int32_t PanelFont = 3;  // the counter panel's label

// A text rendered in white on black: the coverage of each pixel and the box of its ink.
struct InkText {
    int width = 0, height = 0;
    std::vector<double> coverage;
    int left = 0, top = 0, right = -1, bottom = -1; // ink box, inclusive
};

InkText RenderText(const std::string& text, int32_t fontSlot) {
    const int w = 200, h = 60;
    CreateBackBuffer(w, h);
    BeginDrawing(BackBufferOutput());
    SetTextMode(TextModeTransparent);
    UseFontSlot(fontSlot);
    SetInkColour(255, 255, 255);
    SetTextCursor(10, 10);
    DrawTextAtCursor(text);
    EndDrawing();
    InkText ink;
    ink.width = w;
    ink.height = h;
    ink.coverage.resize(size_t(w) * size_t(h));
    ink.left = w, ink.top = h;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            double a = ((BackBuffer.pixels[size_t(y) * w + size_t(x)] >> 8) & 255) / 255.0;
            ink.coverage[size_t(y) * w + size_t(x)] = a;
            if (a > 0) {
                ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

// Draws the text with its ink centred on (cx, cy), halves rounded down.
void CentredText(Canvas& c, const std::string& text, int32_t fontSlot, double cx, double cy,
                 Rgb colour) {
    InkText ink = RenderText(text, fontSlot);
    if (ink.right < ink.left) return;
    int dx = int(std::floor(cx - (ink.left + ink.right + 1) / 2.0));
    int dy = int(std::floor(cy - (ink.top + ink.bottom + 1) / 2.0));
    for (int y = ink.top; y <= ink.bottom; y++)
        for (int x = ink.left; x <= ink.right; x++)
            c.Blend(x + dx, y + dy, colour, ink.coverage[size_t(y) * ink.width + size_t(x)]);
}

// ---------------------------------------------------------------- the common look

const Rgb White{255, 255, 255};
const Rgb Ink{24, 32, 48};        // labels and outlines
const Rgb Panel{195, 200, 205};   // the screens' panel and background grey
const Rgb FaceTop{240, 243, 248}; // push buttons: face gradient
const Rgb FaceBottom{196, 202, 214};
const Rgb PressedTop{170, 178, 194};
const Rgb PressedBottom{202, 208, 220};
const Rgb Highlight{255, 255, 255};
const Rgb Shadow{120, 128, 146};
const Rgb Edge{64, 74, 96}; // the dark line around every button

// A push button of the box's size: dark edge, bevel and shaded face; pressed, the face is
// darker with the light from below and the label one pixel lower and further right.
void PushButton(Canvas& c, int x, int y, int w, int h, bool pressed, Rgb top, Rgb bottom) {
    Outline(c, x, y, w, h, Edge);
    VerticalGradient(c, x + 1, y + 1, w - 2, h - 2, top, bottom);
    if (pressed) {
        Bevel(c, x + 1, y + 1, w - 2, h - 2, Shadow, Mix(bottom, Highlight, 0.3));
    } else {
        Bevel(c, x + 1, y + 1, w - 2, h - 2, Highlight, Shadow);
    }
}

void LabelledButton(Canvas& c, int x, int y, int w, int h, bool pressed, const std::string& text,
                    Rgb top, Rgb bottom, Rgb textColour, Rgb pressedTop, Rgb pressedBottom) {
    PushButton(c, x, y, w, h, pressed, pressed ? pressedTop : top,
               pressed ? pressedBottom : bottom);
    int shift = pressed ? 1 : 0;
    CentredText(c, text, LabelFont, x + w / 2.0 + shift, y + h / 2.0 + shift, textColour);
}

// ---------------------------------------------------------------- board tiles

// Covered cells are raised slate tiles, clearly darker than the pale floor of opened cells,
// so the two read apart at a glance across a large board (a contrast ratio above 1.5), while
// every mark keeps at least 3:1 against the fill it stands on and every count 4.5:1.
const Rgb CoverTop{184, 194, 212};
const Rgb CoverBottom{158, 168, 190};
const Rgb CoverLight{222, 228, 238}; // inner bevel, top and left
const Rgb CoverShade{128, 136, 158}; // inner bevel, right and bottom
const Rgb CoverShadow{92, 100, 122}; // outer edge, right and bottom
const Rgb OpenFloor{234, 236, 240};
const Rgb OpenGrid{166, 171, 182};

// A covered cell of size x size pixels at column x, row 0, with two bevels `ring` pixels wide
// each (the board's cells are 20 pixels with rings of one; the application icon is larger).
void CoveredTile(Canvas& c, int x, int size = 20, int ring = 1) {
    VerticalGradient(c, x, 0, size, size, CoverTop, CoverBottom);
    for (int i = 0; i < ring; i++) {
        const int inner = ring + i;
        Bevel(c, x + i, i, size - 2 * i, size - 2 * i, White, CoverShadow);
        Bevel(c, x + inner, inner, size - 2 * inner, size - 2 * inner, CoverLight, CoverShade);
    }
}

// Opened cells are flat; the grid line on their top and left separates neighbours.
void OpenedTile(Canvas& c, int x, Rgb floor = OpenFloor) {
    c.Fill(x, 0, 20, 20, floor);
    c.Fill(x, 0, 20, 1, OpenGrid);
    c.Fill(x, 0, 1, 20, OpenGrid);
}

// A mine centred on (cx, cy): round body, eight spikes and a light spot; sized for a 20-pixel
// cell, or scale times that (the application icon).
void Mine(Canvas& c, double cx, double cy, Rgb body, double scale = 1.0) {
    for (int k = 0; k < 8; k++) {
        double a = k * M_PI / 4;
        double len = ((k % 2 == 0) ? 7.0 : 5.8) * scale;
        Line(c, cx, cy, cx + len * std::cos(a), cy + len * std::sin(a), 1.6 * scale, body);
    }
    Disc(c, cx, cy, 4.6 * scale, body);
    Disc(c, cx - 1.6 * scale, cy - 1.6 * scale, 1.3 * scale, Rgb{235, 235, 240});
}

void Flag(Canvas& c, int x) {
    c.Fill(x + 5, 15, 11, 2, Ink); // foot
    c.Fill(x + 8, 14, 5, 1, Ink);
    Line(c, x + 11.5, 3.5, x + 11.5, 14.5, 1.5, Ink); // pole
    Polygon(c, {{x + 11.0, 2.5}, {x + 11.0, 10.5}, {x + 3.0, 6.5}}, Rgb{176, 0, 0});
}

void TileSet(Canvas& c) {
    // 1 covered, 2 flag, 3 opened empty, 4 mine.
    CoveredTile(c, 0);
    CoveredTile(c, 20);
    Flag(c, 20);
    OpenedTile(c, 40);
    OpenedTile(c, 60);
    Mine(c, 70.5, 10.5, Rgb{20, 20, 26});
    // 5 to 12: the counts 1 to 8 in their colours, each at least 4.5:1 against the opened
    // floor (the green of 2 and the teal of 6 are darkened to get there).
    const Rgb counts[8] = {{16, 48, 230}, {0, 118, 0},   {214, 0, 0}, {0, 0, 128},
                           {128, 0, 0},   {0, 116, 116}, {0, 0, 0},   {104, 104, 104}};
    for (int n = 1; n <= 8; n++) {
        int x = (n + 3) * 20;
        OpenedTile(c, x);
        CentredText(c, std::to_string(n), NumberFont, x + 10.5, 10.5, counts[n - 1]);
    }
    // 13 found mine: on a green floor; 14 wrong mark: a mine crossed out in red.
    OpenedTile(c, 240, Rgb{150, 206, 150});
    Mine(c, 250.5, 10.5, Rgb{20, 20, 26});
    OpenedTile(c, 260);
    Mine(c, 270.5, 10.5, Rgb{70, 70, 78});
    Line(c, 264, 4, 277, 17, 2.0, Rgb{220, 20, 20});
    Line(c, 277, 4, 264, 17, 2.0, Rgb{220, 20, 20});
    // 15 question mark on a covered cell.
    CoveredTile(c, 280);
    CentredText(c, "?", NumberFont, 290.5, 10.5, Rgb{20, 40, 150});
}

// ---------------------------------------------------------------- mine counter digits

const Rgb DigitBack{18, 14, 16};
const Rgb SegmentLit{255, 72, 40};
const Rgb SegmentDark{58, 28, 28};

// Seven segments a to g (top, top right, bottom right, bottom, bottom left, top left,
// middle) as hexagons in an 18 x 27 picture at row y0, kept two pixels off the picture's
// top and bottom so that rolling pictures join on plain background.
void SevenSegment(Canvas& c, int y0, int digit) {
    static const char* const lit[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                        "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const double l = 3.5, r = 14.5, t = y0 + 3.5, m = y0 + 13.5, b = y0 + 23.5;
    const double h = 1.35, gap = 0.7;
    auto horizontal = [&](double y, Rgb colour) {
        Polygon(c,
                {{l + gap, y},
                 {l + gap + h, y - h},
                 {r - gap - h, y - h},
                 {r - gap, y},
                 {r - gap - h, y + h},
                 {l + gap + h, y + h}},
                colour);
    };
    auto vertical = [&](double x, double y1, double y2, Rgb colour) {
        Polygon(c,
                {{x, y1 + gap},
                 {x + h, y1 + gap + h},
                 {x + h, y2 - gap - h},
                 {x, y2 - gap},
                 {x - h, y2 - gap - h},
                 {x - h, y1 + gap + h}},
                colour);
    };
    for (char s : std::string("abcdefg")) {
        bool on = digit >= 0 && std::string(lit[digit]).find(s) != std::string::npos;
        Rgb colour = on ? SegmentLit : SegmentDark;
        switch (s) {
        case 'a':
            horizontal(t, colour);
            break;
        case 'b':
            vertical(r, t, m, colour);
            break;
        case 'c':
            vertical(r, m, b, colour);
            break;
        case 'd':
            horizontal(b, colour);
            break;
        case 'e':
            vertical(l, m, b, colour);
            break;
        case 'f':
            vertical(l, t, m, colour);
            break;
        default:
            horizontal(m, colour);
            break;
        }
    }
}

void Points(Canvas& c) {
    c.Fill(0, 0, c.width, c.height, DigitBack);
    SevenSegment(c, 0, -1); // picture 0 is never shown: all segments dark
    for (int d = 0; d <= 9; d++)
        SevenSegment(c, 27 * (d + 1), d);
}

// The counter's panel, blitted at (20, 32): the label on the left and a sunken dark well
// one pixel around the three digit windows at sheet columns 77 to 130, rows 5 to 31.
void PointTable(Canvas& c) {
    VerticalGradient(c, 0, 0, c.width, c.height, Rgb{212, 216, 222}, Rgb{186, 191, 199});
    Bevel(c, 0, 0, c.width, c.height, White, Shadow);
    Bevel(c, 75, 3, 57, 31, Shadow, White);
    Outline(c, 76, 4, 55, 29, Edge);
    c.Fill(77, 5, 54, 27, DigitBack);
    Mine(c, 15.5, 18.5, Ink);
    CentredText(c, "Minen", PanelFont, 47, 18.5, Ink);
}

// ---------------------------------------------------------------- faces

const Rgb FaceYellow{255, 214, 48};
const Rgb FaceEdge{120, 84, 0};

void FaceBase(Canvas& c, int x) {
    c.Fill(x, 0, 31, 31, Panel);
    Disc(c, x + 15.5, 15.5, 13.6, FaceEdge);
    Disc(c, x + 15.5, 15.5, 12.4, FaceYellow);
    Disc(c, x + 10.0, 8.0, 3.2, Rgb{255, 244, 190}, 0.6); // light from the top left
}

// An arc of the circle around (cx, cy) from angle a1 to a2 (radians, y downwards).
void Arc(Canvas& c, double cx, double cy, double r, double a1, double a2, double width,
         Rgb colour) {
    const int steps = 24;
    for (int i = 0; i < steps; i++) {
        double u = a1 + (a2 - a1) * i / steps, v = a1 + (a2 - a1) * (i + 1) / steps;
        Line(c, cx + r * std::cos(u), cy + r * std::sin(u), cx + r * std::cos(v),
             cy + r * std::sin(v), width, colour);
    }
}

void Smileys(Canvas& c) {
    const Rgb dark{40, 28, 10};
    // 1 playing: eyes and a smile.
    FaceBase(c, 0);
    Disc(c, 11.0, 12.5, 1.9, dark);
    Disc(c, 20.0, 12.5, 1.9, dark);
    Arc(c, 15.5, 15.0, 7.0, 0.2 * M_PI, 0.8 * M_PI, 1.6, dark);
    // 2 won: sunglasses and a broad grin.
    FaceBase(c, 31);
    Polygon(c, {{31 + 6.0, 10.0}, {31 + 14.5, 10.0}, {31 + 13.5, 15.5}, {31 + 8.0, 15.5}}, dark);
    Polygon(c, {{31 + 16.5, 10.0}, {31 + 25.0, 10.0}, {31 + 23.0, 15.5}, {31 + 17.5, 15.5}}, dark);
    Line(c, 31 + 5.0, 10.5, 31 + 26.0, 10.5, 1.2, dark);
    Disc(c, 31 + 9.5, 11.7, 0.9, Rgb{150, 170, 200});
    Disc(c, 31 + 19.5, 11.7, 0.9, Rgb{150, 170, 200});
    Polygon(c, {{31 + 9.0, 19.0}, {31 + 22.0, 19.0}, {31 + 19.5, 23.5}, {31 + 11.5, 23.5}}, dark);
    Line(c, 31 + 10.5, 20.2, 31 + 20.5, 20.2, 1.2, White);
    // 3 lost: crossed eyes and a frown.
    FaceBase(c, 62);
    for (double ex : {62 + 11.0, 62 + 20.0}) {
        Line(c, ex - 2.3, 10.2, ex + 2.3, 14.8, 1.5, dark);
        Line(c, ex + 2.3, 10.2, ex - 2.3, 14.8, 1.5, dark);
    }
    Arc(c, 62 + 15.5, 27.0, 6.5, 1.25 * M_PI, 1.75 * M_PI, 1.6, dark);
}

// ---------------------------------------------------------------- buttons

void Buttons1(Canvas& c) {
    const char* names[4] = {"Leicht", "Mittel", "Schwer", "Brutal"};
    for (int k = 0; k < 4; k++)
        for (int pressed = 0; pressed <= 1; pressed++)
            LabelledButton(c, 0, (2 * k + pressed) * 21, 81, 21, pressed != 0, names[k], FaceTop,
                           FaceBottom, Ink, PressedTop, PressedBottom);
}

void Buttons2(Canvas& c) {
    for (int cell = 0; cell < 4; cell++) {
        bool pressed = cell % 2 == 1;
        int x = cell * 19, shift = pressed ? 1 : 0;
        PushButton(c, x, 0, 19, 16, pressed, pressed ? PressedTop : FaceTop,
                   pressed ? PressedBottom : FaceBottom);
        c.Fill(x + 6 + shift, 7 + shift, 7, 2, Ink);
        if (cell >= 2) c.Fill(x + 8 + shift, 5 + shift, 2, 7, Ink);
    }
}

// The start button stands out in blue with white lettering.
void Buttons3(Canvas& c) {
    for (int pressed = 0; pressed <= 1; pressed++)
        LabelledButton(c, 0, pressed * 28, 56, 28, pressed != 0, "Start", Rgb{104, 160, 236},
                       Rgb{36, 88, 184}, White, Rgb{30, 74, 160}, Rgb{70, 120, 206});
}

void Buttons4(Canvas& c) {
    for (int ticked = 0; ticked <= 1; ticked++) {
        int x = ticked * 16;
        Outline(c, x, 0, 16, 16, Edge);
        VerticalGradient(c, x + 1, 1, 14, 14, Rgb{226, 230, 238}, White);
        Bevel(c, x + 1, 1, 14, 14, Shadow, Rgb{236, 239, 244});
        if (ticked != 0) {
            Line(c, x + 4.0, 8.2, x + 6.8, 11.2, 2.2, Rgb{20, 110, 40});
            Line(c, x + 6.8, 11.2, x + 12.0, 4.5, 2.2, Rgb{20, 110, 40});
        }
    }
}

void Buttons5(Canvas& c) {
    for (int pressed = 0; pressed <= 1; pressed++)
        LabelledButton(c, 0, pressed * 26, 50, 26, pressed != 0,
                       "Zur\xFC"
                       "ck",
                       FaceTop, FaceBottom, Ink, PressedTop, PressedBottom);
}

// Title-bar buttons, kinds 1 to 5: close, minimise and maximise (not used by the game),
// roll up, restore; each normal then pressed.
void QuibButtons(Canvas& c) {
    for (int kind = 1; kind <= 5; kind++) {
        for (int pressed = 0; pressed <= 1; pressed++) {
            int x = (kind - 1) * 36 + pressed * 18;
            PushButton(c, x, 0, 18, 18, pressed != 0,
                       pressed ? Rgb{160, 166, 182} : Rgb{226, 229, 236},
                       pressed ? Rgb{196, 200, 212} : Rgb{176, 180, 194});
            double s = pressed ? 1.0 : 0.0;
            double cx = x + 9.0 + s, cy = 9.0 + s;
            switch (kind) {
            case 1:
                Line(c, cx - 3.5, cy - 3.5, cx + 3.5, cy + 3.5, 2.0, Ink);
                Line(c, cx + 3.5, cy - 3.5, cx - 3.5, cy + 3.5, 2.0, Ink);
                break;
            case 2:
                c.Fill(int(cx) - 4, int(cy) + 3, 8, 2, Ink);
                break;
            case 3:
                Outline(c, int(cx) - 4, int(cy) - 4, 8, 8, Ink);
                c.Fill(int(cx) - 4, int(cy) - 3, 8, 1, Ink);
                break;
            case 4:
                Polygon(c, {{cx - 4, cy + 3}, {cx + 4, cy + 3}, {cx, cy - 1}}, Ink);
                c.Fill(int(cx) - 4, int(cy) - 4, 8, 2, Ink);
                break;
            default:
                Polygon(c, {{cx - 4, cy - 3}, {cx + 4, cy - 3}, {cx, cy + 1}}, Ink);
                c.Fill(int(cx) - 4, int(cy) + 2, 8, 2, Ink);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------- the application icon

// Sizes of the icon in pixels, as the desktop's icon folders name them (share/icons/hicolor).
constexpr int IconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The icon: a covered board cell holding a mine, drawn anew for each size so that every size
// is sharp (bevel rings of about a 32nd of the size, at least one pixel).
void Icon(Canvas& c) {
    const int size = c.width;
    CoveredTile(c, 0, size, std::max(1, int(std::lround(size / 32.0))));
    Mine(c, size / 2.0, size / 2.0, Rgb{20, 20, 26}, size / 19.0);
}

// ---------------------------------------------------------------- writing

// The whole file at once; false when it cannot be written completely.
bool WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Uncompressed 24-bit Windows bitmap: 54-byte header, rows bottom-up, each padded to a
// multiple of four bytes, pixels stored blue, green, red.
bool WriteBmp(const std::string& path, const Canvas& c) {
    uint32_t rowBytes = (uint32_t(c.width) * 3 + 3) & ~3u;
    uint32_t imageBytes = rowBytes * uint32_t(c.height);
    std::string out = "BM";
    PutLittleEndian(out, 54 + imageBytes, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 54, 4);
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, uint32_t(c.width), 4);
    PutLittleEndian(out, uint32_t(c.height), 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 24, 2);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, imageBytes, 4);
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 0, 4);
    for (int y = c.height - 1; y >= 0; y--) {
        for (int x = 0; x < c.width; x++) {
            Rgb p = c.Get(x, y);
            out.push_back(char(p.b));
            out.push_back(char(p.g));
            out.push_back(char(p.r));
        }
        for (uint32_t pad = uint32_t(c.width) * 3; pad < rowBytes; pad++)
            out.push_back(0);
    }
    return WriteFile(path, out);
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xFF));
}

// One PNG chunk: length, type, data, and the CRC-32 of type and data.
void PutPngChunk(std::string& out, const std::string& type, const std::string& data) {
    PutBigEndian(out, uint32_t(data.size()));
    const std::string body = type + data;
    out += body;
    PutBigEndian(
        out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// 8-bit RGB PNG, not interlaced: each row is filter byte 0 (none) and the pixels red, green,
// blue; the rows are compressed as one zlib stream in a single IDAT chunk. "" when zlib fails.
std::string PngBytes(const Canvas& c) {
    std::string rows;
    for (int y = 0; y < c.height; y++) {
        rows.push_back(0);
        for (int x = 0; x < c.width; x++) {
            Rgb p = c.Get(x, y);
            rows += {char(p.r), char(p.g), char(p.b)};
        }
    }
    uLongf packedSize = compressBound(uLong(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return "";
    packed.resize(packedSize);
    std::string header;
    PutBigEndian(header, uint32_t(c.width));
    PutBigEndian(header, uint32_t(c.height));
    header += {8, 2, 0, 0, 0}; // bit depth 8, colour type 2 (RGB), deflate, filter 0, no interlace
    std::string out = "\x89PNG\r\n\x1a\n";
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", packed);
    PutPngChunk(out, "IEND", "");
    return out;
}

bool WritePng(const std::string& path, const Canvas& c) {
    const std::string png = PngBytes(c);
    return !png.empty() && WriteFile(path, png);
}

// The Windows sizes of the icon: the small ones for lists, title bars and the taskbar, 256
// for large views in Explorer.
constexpr int WindowsIconSizes[] = {16, 24, 32, 48, 256};
// Sizes from this on are stored as PNG in the icon file (as Windows expects for 256), the
// smaller ones as bitmaps, which every Windows version reads.
constexpr int IconPngFromSize = 256;

// One image of an icon file as a bitmap: the 40-byte header with the height doubled (the
// colour rows and the mask rows), 32-bit pixels bottom-up as blue, green, red and an opaque
// alpha, then the 1-bit mask rows (each padded to 4 bytes), all 0: every pixel is drawn.
std::string IconBitmapBytes(const Canvas& c) {
    const uint32_t maskRowBytes = ((uint32_t(c.width) + 31) / 32) * 4;
    std::string out;
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, uint32_t(c.width), 4);
    PutLittleEndian(out, uint32_t(c.height) * 2, 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 32, 2);
    PutLittleEndian(out, 0, 4); // no compression
    PutLittleEndian(out, uint32_t(c.width * c.height) * 4 + maskRowBytes * uint32_t(c.height), 4);
    for (int i = 0; i < 4; i++)
        PutLittleEndian(out, 0, 4); // resolution and palette: none
    for (int y = c.height - 1; y >= 0; y--)
        for (int x = 0; x < c.width; x++) {
            const Rgb p = c.Get(x, y);
            out += {char(p.b), char(p.g), char(p.r), char(0xFF)};
        }
    out.append(size_t(maskRowBytes) * size_t(c.height), '\0');
    return out;
}

// "make_artwork --ico <file>": the icon at the Windows sizes in one icon file, the same
// drawing as the desktop icons. The file is a 6-byte header (0, type 1, the count), one
// 16-byte entry per image (width and height with 0 for 256, colours 0, planes 1, 32 bits,
// the image's length and offset), then the images.
int WriteWindowsIcon(const std::string& path) {
    std::vector<std::string> images;
    for (int size : WindowsIconSizes) {
        Canvas c(size, size);
        Icon(c);
        images.push_back(size >= IconPngFromSize ? PngBytes(c) : IconBitmapBytes(c));
    }
    std::string out;
    PutLittleEndian(out, 0, 2);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, uint32_t(images.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); i++) {
        const int size = WindowsIconSizes[i];
        PutLittleEndian(out, uint32_t(size & 0xFF), 1);
        PutLittleEndian(out, uint32_t(size & 0xFF), 1);
        PutLittleEndian(out, 0, 2);
        PutLittleEndian(out, 1, 2);
        PutLittleEndian(out, 32, 2);
        PutLittleEndian(out, uint32_t(images[i].size()), 4);
        PutLittleEndian(out, offset, 4);
        offset += uint32_t(images[i].size());
    }
    for (const std::string& image : images)
        out += image;
    if (std::any_of(images.begin(), images.end(), [](const auto& i) { return i.empty(); }) ||
        !WriteFile(path, out)) {
        std::fprintf(stderr, "make_artwork: cannot write the Windows icon %s\n", path.c_str());
        return 1;
    }
    return 0;
}

// "make_artwork --icon <folder> <name>": the icon at every size as
// <folder>/<n>x<n>/apps/<name>.png.
int WriteIcons(const std::string& folder, const std::string& name) {
    for (int size : IconSizes) {
        const std::string sizeFolder =
            folder + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::filesystem::create_directories(sizeFolder);
        Canvas c(size, size);
        Icon(c);
        if (!WritePng(sizeFolder + "/" + name + ".png", c)) {
            std::fprintf(stderr, "make_artwork: cannot write the %d-pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}

} // namespace

// Sanitizer builds run this program as a build step, where no suppression file is given;
// the font library keeps its configuration until the process ends, which is no leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

// Exit code 1 when a font is missing or a sheet or icon cannot be written, 2 on a wrong call.
int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--icon") return WriteIcons(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "--ico") return WriteWindowsIcon(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork <folder> | make_artwork --icon <folder> <name> "
                             "| make_artwork --ico <file>\n");
        return 2;
    }
    if (LoadFontSlot(LabelFont, "Arial", 9, FontBold) == 0 ||
        LoadFontSlot(NumberFont, "Arial", 11, FontBold) == 0 ||
        LoadFontSlot(PanelFont, "Arial", 10, FontBold) == 0) {
        std::fprintf(stderr, "make_artwork: the font Arial (or a substitute) is missing\n");
        return 1;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    struct Sheet {
        const char* name;
        int width, height;
        void (*draw)(Canvas&);
    };
    const Sheet sheets[] = {
        {"TileSet", 300, 20, TileSet},        {"Points", 18, 297, Points},
        {"PointTable1", 149, 37, PointTable}, {"Smileys", 93, 31, Smileys},
        {"Buttons1", 81, 168, Buttons1},      {"Buttons2", 76, 16, Buttons2},
        {"Buttons3", 56, 56, Buttons3},       {"Buttons4", 32, 16, Buttons4},
        {"Buttons5", 50, 52, Buttons5},       {"Quibbuttons", 180, 18, QuibButtons},
    };
    for (const Sheet& s : sheets) {
        Canvas c(s.width, s.height, Panel);
        s.draw(c);
        if (!WriteBmp(folder + "/" + s.name + ".bmp", c)) {
            std::fprintf(stderr, "make_artwork: cannot write %s\n", s.name);
            return 1;
        }
    }
    return 0;
}
