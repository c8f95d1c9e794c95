// Text values: numbers to and from text, and byte-wise text helpers, independent of the locale.
#include <algorithm>
#include <charconv>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform_state.h"

namespace {

// The C locale's white space, which atoi and atof skip.
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Where the number starting at p ends by the grammar of strtod in the C locale: digits (hex
// digits when hex) with at most one point, at least one digit, then an exponent ('e', or 'p'
// when hex) only when digits follow it. The caller hands only this part on, so that a comma
// or other byte the current locale would read as a point ends the number.
const char* NumberEnd(const char* p, const char* last, bool hex) {
    bool seenPoint = false, seenDigit = false;
    const char* q = p;
    for (; q < last; ++q) {
        if (hex ? IsHexDigit(*q) : IsDigit(*q))
            seenDigit = true;
        else if (*q == '.' && !seenPoint)
            seenPoint = true;
        else
            break;
    }
    if (!seenDigit) return p;
    const char exponentMark = hex ? 'p' : 'e';
    if (q < last && (*q | 0x20) == exponentMark) {
        const char* e = q + 1;
        if (e < last && (*e == '+' || *e == '-')) ++e;
        if (e < last && IsDigit(*e)) {
            while (e < last && IsDigit(*e))
                ++e;
            q = e;
        }
    }
    return q;
}

// strtod of the number in [first, last), its points written as the current locale's point:
// a correctly rounded double, +-HUGE_VAL for numbers too large and 0 (or a subnormal) for
// numbers too small, whatever the locale.
double ParseNumber(const char* first, const char* last) {
    const char* point = std::localeconv()->decimal_point;
    std::string copy;
    for (const char* p = first; p < last; ++p) {
        if (*p == '.')
            copy += point;
        else
            copy += *p;
    }
    return std::strtod(copy.c_str(), nullptr);
}

} // namespace

// Called by the screens to show numbers: decimal with a leading '-' when negative.
Text IntToText(int32_t value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Text(buffer, result.ptr);
}

// Six decimals as printf's "%f" writes the float (promoted to double), always with a point.
Text FloatToText(float value) {
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.6f", static_cast<double>(value));
    const char* point = std::localeconv()->decimal_point;
    const size_t pointLength = std::strlen(point);
    Text text;
    for (int i = 0; i < std::clamp(length, 0, int(sizeof buffer) - 1); ++i) {
        if (pointLength > 0 && std::strncmp(buffer + i, point, pointLength) == 0) {
            text += '.';
            i += int(pointLength) - 1;
        } else {
            text += buffer[i];
        }
    }
    return text;
}

// atoi's reading: leading white space, an optional sign, then decimal digits up to the first
// other byte; no digits give 0. Values beyond the 32-bit range saturate (atoi has no answer).
int32_t TextToInt(const Text& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{1} << 31) value = int64_t{1} << 31;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Called to read stored times back. atof's reading (the longest number at the start after white
// space: decimal, hex with "0x", "inf", "infinity", "nan"), made a float; no number gives 0.
float TextToFloat(const Text& text) {
    const char* p = text.data();
    const char* last = p + text.size();
    while (p < last && IsBlank(*p))
        ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == last || *p == '+' || *p == '-') return 0.0f;
    const bool hex =
        last - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x' &&
        ((last - p >= 3 && IsHexDigit(p[2])) || (last - p >= 4 && p[2] == '.' && IsHexDigit(p[3])));
    // "inf", "infinity" and "nan" are letters alone, which no locale reads otherwise.
    const bool word = (*p | 0x20) == 'i' || (*p | 0x20) == 'n';
    const char* end = word ? last : hex ? NumberEnd(p + 2, last, true) : NumberEnd(p, last, false);
    const double value = end == p ? 0.0 : ParseNumber(p, end);
    return static_cast<float>(negative ? -value : value);
}

// Number of bytes.
int32_t TextLength(const Text& text) {
    return static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
}

// A one-byte text of the value's low byte; a zero byte gives the empty text.
Text CharToText(int32_t byte) {
    const char c = static_cast<char>(byte & 0xFF);
    return c == 0 ? Text() : Text(1, c);
}

// Called by the best-time file to pad names and times: count blanks; none for count <= 0.
Text SpaceText(int32_t count) {
    return count > 0 ? Text(static_cast<size_t>(count), ' ') : Text();
}

// At most length bytes from the 1-based start on; empty past the end or for length <= 0.
// A start below 1 counts as 1.
Text MidText(const Text& text, int32_t start, int32_t length) {
    const size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    if (length <= 0 || from >= text.size()) return Text();
    return text.substr(from, static_cast<size_t>(length));
}

// a..z and the bytes 224..255 lose 32 (so 0xF7 becomes 0xD7, as the rule says); others stay.
Text UpperText(const Text& text) {
    Text upper = text;
    for (char& c : upper) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || b >= 224) c = static_cast<char>(b - 32);
    }
    return upper;
}

// Called by the best-time ranking: 1 when a sorts before b, else 0. Texts compare byte by byte
// as unsigned values (std::string's order), a text that is a prefix of the other first.
int32_t TextLess(const Text& a, const Text& b) {
    return a < b ? 1 : 0;
}
// 1 when a sorts after b, else 0.
int32_t TextGreater(const Text& a, const Text& b) {
    return a > b ? 1 : 0;
}
