// Decoder of Windows bitmap files for the sprite sheets (also used by the fuzzer and tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest width and height the decoder accepts.
constexpr int32_t BmpMaxSide = 8192;

struct DecodedBitmap {
    std::vector<uint32_t> pixels; // width * height pixels, 0x00RRGGBB, top row first
    int32_t width = 0;
    int32_t height = 0;
};

// Decodes an uncompressed 16-bit (x-5-5-5), 24-bit or 32-bit bitmap, or a 16/32-bit one with
// bit-field masks. Returns false, leaving out empty, for anything else or any inconsistent file.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedBitmap& out);
