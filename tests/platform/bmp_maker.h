// Builds small bitmap files in memory for the decoder and sprite tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width * height values 0x00RRGGBB, top row first. bits 16 writes x-5-5-5, 24 and 32
// the colour bytes blue, green, red (, 0). headerSize 12 writes the OS/2 core header.
inline std::string MakeBmp(int32_t width, int32_t height, int bits,
                           const std::vector<uint32_t>& pixels, bool topDown = false,
                           uint32_t headerSize = 40) {
    auto put16 = [](std::string& s, uint32_t v) {
        s += char(v & 0xFF);
        s += char(v >> 8 & 0xFF);
    };
    auto put32 = [&](std::string& s, uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    const uint32_t rowBytes = (uint32_t(width) * bits + 31) / 32 * 4;
    std::string rows;
    for (int32_t r = 0; r < height; ++r) {
        const int32_t y = topDown ? r : height - 1 - r;
        std::string row;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            const uint32_t red = p >> 16 & 0xFF, green = p >> 8 & 0xFF, blue = p & 0xFF;
            if (bits == 16) {
                put16(row, (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3);
            } else {
                row += char(blue);
                row += char(green);
                row += char(red);
                if (bits == 32) row += char(0);
            }
        }
        row.resize(rowBytes, '\0');
        rows += row;
    }
    std::string info;
    put32(info, headerSize);
    if (headerSize == 12) {
        put16(info, uint32_t(width));
        put16(info, uint32_t(height));
        put16(info, 1);
        put16(info, uint32_t(bits));
    } else {
        put32(info, uint32_t(width));
        put32(info, uint32_t(topDown ? -height : height));
        put16(info, 1);
        put16(info, uint32_t(bits));
        put32(info, 0);                     // compression
        put32(info, uint32_t(rows.size())); // image size
        put32(info, 2835);
        put32(info, 2835);
        put32(info, 0); // colours used
        put32(info, 0);
        info.resize(headerSize, '\0');
    }
    std::string file = "BM";
    put32(file, uint32_t(14 + info.size() + rows.size()));
    put32(file, 0);
    put32(file, uint32_t(14 + info.size()));
    return file + info + rows;
}
