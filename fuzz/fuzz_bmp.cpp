// libFuzzer target: arbitrary bytes through the sprite sheets' BMP decoder.
#include <cstddef>
#include <cstdint>

#include "bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedBitmap bitmap;
    if (DecodeBmp(data, size, bitmap)) {
        // A decoded bitmap must be consistent; touch every pixel so the sanitizers see them.
        if (bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * bitmap.height)
            __builtin_trap();
        uint32_t mix = 0;
        for (uint32_t pixel : bitmap.pixels)
            mix |= pixel;
        if (mix > 0xFFFFFFu) __builtin_trap();
    }
    return 0;
}
