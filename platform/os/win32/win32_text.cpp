// Text rasterised by GDI: fonts from the system's font mapper, each character drawn with
// ExtTextOutW into a DIB section and read back as grey levels for the shared glyph cache.
#include <windows.h>

#include <algorithm>
#include <string>

#include "os_text.h"

struct SystemFont {
    HFONT font = nullptr; // the GDI font (ANSI character set, grey-level smoothing)
    HDC dc = nullptr;     // memory device context the characters are drawn in, font selected
    HGDIOBJ oldFont = nullptr;
    int32_t emPixels = 0; // em height, which sizes the drawing area around a character
    int32_t ascent = 0;   // baseline below the top of the text cell
    int32_t descent = 0;  // bottom of the cell below the baseline

    ~SystemFont() {
        if (dc) {
            SelectObject(dc, oldFont);
            DeleteDC(dc);
        }
        if (font) DeleteObject(font);
    }
};

namespace {

// A UTF-8 face name as the UTF-16 field of a LOGFONTW (at most 31 units and the terminator).
void CopyFaceName(const std::string& face, wchar_t (&field)[LF_FACESIZE]) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, face.data(), int(face.size()), field, LF_FACESIZE - 1);
    field[std::clamp(n, 0, LF_FACESIZE - 1)] = L'\0';
}

// The underline and strike-out from the face's own figures (a face without outlines keeps
// one-pixel lines under the baseline and at a third of the ascent).
void ReadLineMetrics(HDC dc, SystemFontMetrics* metrics) {
    OUTLINETEXTMETRICW outline = {};
    outline.otmSize = sizeof outline;
    if (!GetOutlineTextMetricsW(dc, sizeof outline, &outline)) {
        metrics->underlineRow = std::min(1, metrics->descent);
        metrics->strikeRow = std::max(1, metrics->ascent / 3);
        return;
    }
    metrics->underlineThickness = std::max(1, int32_t(outline.otmsUnderscoreSize));
    const int32_t underlineCentre = -int32_t(outline.otmsUnderscorePosition);
    metrics->underlineRow = std::max(0, underlineCentre - metrics->underlineThickness / 2);
    metrics->strikeThickness = std::max(1, int32_t(outline.otmsStrikeoutSize));
    metrics->strikeRow = std::max(1, int32_t(outline.otmsStrikeoutPosition));
}

} // namespace

// LoadFontSlot: the font mapper picks the family's face in the weight and slant asked for
// (or its substitute for an unknown family, as any Windows program gets). The ANSI character
// set keeps the mapper from choosing a face for another script; characters are drawn with
// the W calls, so the system's code page plays no part.
std::shared_ptr<SystemFont> OpenSystemFont(const SystemFontRequest& request,
                                           SystemFontMetrics* metrics, std::string* failure) {
    LOGFONTW wanted = {};
    wanted.lfHeight = -request.emPixels; // negative: the character (em) height
    wanted.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    wanted.lfItalic = request.italic ? TRUE : FALSE;
    wanted.lfCharSet = ANSI_CHARSET;
    wanted.lfOutPrecision = OUT_TT_PRECIS;
    wanted.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    wanted.lfQuality = ANTIALIASED_QUALITY; // grey levels, never the coloured fringes
    wanted.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    CopyFaceName(request.face, wanted.lfFaceName);

    auto font = std::make_shared<SystemFont>();
    font->emPixels = request.emPixels;
    font->font = CreateFontIndirectW(&wanted);
    font->dc = font->font ? CreateCompatibleDC(nullptr) : nullptr;
    TEXTMETRICW text = {};
    if (!font->dc || !(font->oldFont = SelectObject(font->dc, font->font)) ||
        !GetTextMetricsW(font->dc, &text)) {
        *failure = "GDI cannot make the font \"" + request.face + "\" at " +
                   std::to_string(request.emPixels) + " pixels";
        return nullptr;
    }
    font->ascent = std::max<int32_t>(1, text.tmAscent);
    font->descent = std::max<int32_t>(0, text.tmDescent);
    *metrics = SystemFontMetrics();
    metrics->ascent = font->ascent;
    metrics->descent = font->descent;
    ReadLineMetrics(font->dc, metrics);
    return font;
}

namespace {

// A black 32-bit top-down DIB section of width x height selected into the font's context;
// pixels points at its first row.
struct Canvas {
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    HDC dc = nullptr;
    const uint32_t* pixels = nullptr;
    int32_t width = 0, height = 0;

    Canvas(HDC target, int32_t w, int32_t h) : dc(target), width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h; // negative: rows run from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap) return;
        std::fill_n(static_cast<uint32_t*>(bits), size_t(w) * size_t(h), 0u);
        old = SelectObject(dc, bitmap);
        pixels = static_cast<const uint32_t*>(bits);
    }
    ~Canvas() {
        if (old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
    }
};

} // namespace

// The glyph cache, once per character and font: the character is drawn white on black with
// its pen an em right of the canvas's left edge and its baseline half an em below the cell's
// top (room for overhangs, slanted and accented characters), and the smallest rectangle
// holding ink becomes the picture. The advance is GDI's own for the character.
SystemGlyph RasteriseCharacter(SystemFont& font, char32_t character) {
    SystemGlyph glyph;
    if (character == 0 || character > 0xFFFF) return glyph;
    const wchar_t unit = wchar_t(character);
    SIZE extent = {};
    if (!GetTextExtentPoint32W(font.dc, &unit, 1, &extent)) return glyph;
    glyph.advance = std::max<int32_t>(0, extent.cx);

    const int32_t em = std::max<int32_t>(1, font.emPixels);
    const int32_t penX = em, baseline = em / 2 + font.ascent;
    Canvas canvas(font.dc, glyph.advance + 2 * em, font.ascent + font.descent + em);
    if (!canvas.pixels) return glyph;
    SetTextColor(font.dc, RGB(255, 255, 255));
    SetBkMode(font.dc, TRANSPARENT);
    SetTextAlign(font.dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    ExtTextOutW(font.dc, penX, baseline, 0, nullptr, &unit, 1, nullptr);
    GdiFlush();

    // Grey smoothing gives equal red, green and blue; green is the coverage.
    auto coverageAt = [&](int32_t x, int32_t y) {
        return uint8_t((canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(x)] >> 8) & 0xFF);
    };
    int32_t x0 = canvas.width, y0 = canvas.height, x1 = -1, y1 = -1;
    for (int32_t y = 0; y < canvas.height; y++)
        for (int32_t x = 0; x < canvas.width; x++)
            if (coverageAt(x, y) != 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return glyph; // a blank such as the space
    glyph.left = x0 - penX;
    glyph.top = baseline - y0;
    glyph.width = x1 - x0 + 1;
    glyph.rows = y1 - y0 + 1;
    glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.rows));
    for (int32_t r = 0; r < glyph.rows; r++)
        for (int32_t c = 0; c < glyph.width; c++)
            glyph.coverage[size_t(r) * size_t(glyph.width) + size_t(c)] =
                coverageAt(x0 + c, y0 + r);
    return glyph;
}
