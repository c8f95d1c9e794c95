// Text rasterised by GDI: fonts from the system's font mapper, each character drawn with
// ExtTextOutW into a DIB section and read back as grey levels for the shared glyph cache.
#include <windows.h>

#include <algorithm>
#include <string>

#include "os_text.h"

struct SystemFont {
    HFONT font = nullptr; // the GDI font (ANSI character set, grey-level smoothing)
    HDC dc = nullptr;     // memory device context the characters are drawn in, font selected
    int32_t emPixels = 0; // em height, which sizes the drawing area around a character
    int32_t ascent = 0;   // baseline below the top of the text cell
    int32_t descent = 0;  // bottom of the cell below the baseline

    // The context goes first, which leaves the font selected nowhere when it is deleted.
    ~SystemFont() {
        if (dc) DeleteDC(dc);
        if (font) DeleteObject(font);
    }
};

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
    wanted.lfQuality = ANTIALIASED_QUALITY; // grey levels, never the coloured fringes
    // The UTF-8 face name as UTF-16, at most 31 units and the terminator.
    const int units = MultiByteToWideChar(CP_UTF8, 0, request.face.data(), int(request.face.size()),
                                          wanted.lfFaceName, LF_FACESIZE - 1);
    wanted.lfFaceName[std::clamp(units, 0, LF_FACESIZE - 1)] = L'\0';

    auto font = std::make_shared<SystemFont>();
    font->emPixels = request.emPixels;
    font->font = CreateFontIndirectW(&wanted);
    font->dc = font->font ? CreateCompatibleDC(nullptr) : nullptr;
    TEXTMETRICW text = {};
    if (!font->dc || !SelectObject(font->dc, font->font) || !GetTextMetricsW(font->dc, &text)) {
        *failure = "GDI cannot make the font \"" + request.face + "\" at " +
                   std::to_string(request.emPixels) + " pixels";
        return nullptr;
    }
    font->ascent = std::max<int32_t>(1, text.tmAscent);
    font->descent = std::max<int32_t>(0, text.tmDescent);
    *metrics = SystemFontMetrics();
    metrics->ascent = font->ascent;
    metrics->descent = font->descent;
    // The underline and strike-out from the face's own figures (a face without outlines keeps
    // one-pixel lines under the baseline and at a third of the ascent).
    OUTLINETEXTMETRICW outline = {};
    outline.otmSize = sizeof outline;
    if (!GetOutlineTextMetricsW(font->dc, sizeof outline, &outline)) {
        metrics->underlineRow = std::min(1, metrics->descent);
        metrics->strikeRow = std::max(1, metrics->ascent / 3);
        return font;
    }
    metrics->underlineThickness = std::max(1, int32_t(outline.otmsUnderscoreSize));
    const int32_t underlineCentre = -int32_t(outline.otmsUnderscorePosition);
    metrics->underlineRow = std::max(0, underlineCentre - metrics->underlineThickness / 2);
    metrics->strikeThickness = std::max(1, int32_t(outline.otmsStrikeoutSize));
    metrics->strikeRow = std::max(1, int32_t(outline.otmsStrikeoutPosition));
    return font;
}

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
    const int32_t width = glyph.advance + 2 * em, height = font.ascent + font.descent + em;
    // The canvas: a black 32-bit top-down DIB section, selected into the font's context while
    // the character is drawn.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: rows run from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(font.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas) return glyph;
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    std::fill_n(pixels, size_t(width) * size_t(height), 0u);
    HGDIOBJ old = SelectObject(font.dc, canvas);
    SetTextColor(font.dc, RGB(255, 255, 255));
    SetBkMode(font.dc, TRANSPARENT);
    SetTextAlign(font.dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    ExtTextOutW(font.dc, penX, baseline, 0, nullptr, &unit, 1, nullptr);
    GdiFlush();
    // Grey smoothing gives equal red, green and blue; green is the coverage.
    std::vector<uint8_t> coverage(size_t(width) * size_t(height));
    for (size_t i = 0; i < coverage.size(); i++)
        coverage[i] = uint8_t(pixels[i] >> 8);
    if (old) SelectObject(font.dc, old);
    DeleteObject(canvas);

    int32_t x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++)
            if (coverage[size_t(y) * size_t(width) + size_t(x)] != 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return glyph; // a blank such as the space
    glyph.left = x0 - penX;
    glyph.top = baseline - y0;
    glyph.width = x1 - x0 + 1;
    glyph.rows = y1 - y0 + 1;
    for (int32_t y = y0; y <= y1; y++) {
        const auto row = coverage.begin() + ptrdiff_t(y) * width;
        glyph.coverage.insert(glyph.coverage.end(), row + x0, row + x1 + 1);
    }
    return glyph;
}
