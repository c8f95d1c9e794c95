// Decoder of Windows bitmap files: checks every header field against the file before use.
//
// Layout of the file: a 14-byte file header ("BM", file size, two reserved words, offset of
// the pixels), then an info header whose first 4 bytes give its size: 12 (OS/2 core: 16-bit
// width and height, planes, bits per pixel) or 40 / 108 / 124 (32-bit signed width and
// height, planes, bits, compression, image size, resolution, colours used, colours
// important; 108 and 124 add the colour masks and colour-space data). A 40-byte header with
// compression 3 is followed by three 4-byte masks (red, green, blue). An optional colour
// table may follow; the pixels start at the offset. Rows are padded to 4 bytes and stored
// bottom-up, or top-down when the height is negative. All little-endian.
#include "bmp.h"

#include <bit>

namespace {

constexpr uint64_t FileHeaderSize = 14;
constexpr uint32_t CompressionNone = 0;
constexpr uint32_t CompressionBitFields = 3;

uint32_t Read16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// One colour channel given by a bit mask: where it sits and how to widen it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;    // position of the mask's lowest bit
    uint64_t max = 0; // largest value of the field (mask >> shift)
};

// A mask is usable when it is one run of set bits within the pixel's bits.
bool MakeChannel(uint32_t mask, int bits, Channel& channel) {
    if (mask == 0) return false;
    if (bits < 32 && (mask >> bits) != 0) return false;
    int shift = std::countr_zero(mask);
    uint32_t field = mask >> shift;
    if ((field & (field + 1)) != 0) return false; // not one run of ones
    channel = Channel{mask, shift, field};
    return true;
}

// Widens the channel's field of a pixel to 0..255, rounding to the nearest step.
uint32_t Expand(const Channel& channel, uint32_t pixel) {
    uint64_t value = (pixel & channel.mask) >> channel.shift;
    return static_cast<uint32_t>((value * 255 + channel.max / 2) / channel.max);
}

} // namespace

// Called by LoadSpriteSheet with a whole file, and by the fuzzer and tests.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedBitmap& out) {
    out = DecodedBitmap{};
    const uint64_t fileSize = size;
    if (data == nullptr || fileSize < FileHeaderSize + 4) return false;
    if (data[0] != 'B' || data[1] != 'M') return false;
    const uint64_t pixelOffset = Read32(data + 10);
    const uint64_t headerSize = Read32(data + 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 108 && headerSize != 124)
        return false;
    if (fileSize < FileHeaderSize + headerSize) return false;
    const uint8_t* info = data + FileHeaderSize;

    int64_t width, height;
    uint32_t planes, bits, compression = CompressionNone;
    uint64_t paletteCount = 0, paletteEntry = 3, masksSize = 0;
    if (headerSize == 12) {
        width = Read16(info + 4);
        height = Read16(info + 6);
        planes = Read16(info + 8);
        bits = Read16(info + 10);
    } else {
        width = static_cast<int32_t>(Read32(info + 4));
        height = static_cast<int32_t>(Read32(info + 8));
        planes = Read16(info + 12);
        bits = Read16(info + 14);
        compression = Read32(info + 16);
        paletteCount = Read32(info + 32);
        paletteEntry = 4;
        if (headerSize == 40 && compression == CompressionBitFields) masksSize = 12;
    }
    if (planes != 1) return false;
    if (bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != CompressionNone &&
        !(compression == CompressionBitFields && bits != 24 && headerSize >= 40))
        return false;
    const bool topDown = height < 0;
    if (topDown) height = -height; // INT_MIN cannot be negated in 32 bits, but here in 64
    if (width <= 0 || height <= 0 || width > BmpMaxSide || height > BmpMaxSide) return false;

    // The masks, the colour table and the rows must all lie inside the file, in this order.
    const uint64_t masksEnd = FileHeaderSize + headerSize + masksSize;
    if (masksEnd > fileSize) return false;
    if (masksEnd + paletteCount * paletteEntry > pixelOffset) return false;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (pixelOffset + rowBytes * static_cast<uint64_t>(height) > fileSize) return false;

    // Red, green and blue: the file's masks (after the 40-byte header, or inside a longer
    // one), else x-5-5-5, else the bytes blue, green, red (, unused).
    constexpr uint32_t Masks16[3] = {0x7C00, 0x03E0, 0x001F};
    constexpr uint32_t Masks24[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    Channel c[3];
    for (int i = 0; i < 3; ++i) {
        const uint32_t mask = compression == CompressionBitFields ? Read32(info + 40 + 4 * i)
                              : bits == 16                        ? Masks16[i]
                                                                  : Masks24[i];
        if (!MakeChannel(mask, int(bits), c[i])) return false;
    }
    if ((c[0].mask & c[1].mask) != 0 || (c[0].mask & c[2].mask) != 0 ||
        (c[1].mask & c[2].mask) != 0)
        return false;

    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);
    out.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    const uint32_t bytesPerPixel = bits / 8;
    for (int32_t row = 0; row < h; ++row) {
        const int32_t fileRow = topDown ? row : h - 1 - row;
        const uint8_t* src = data + pixelOffset + rowBytes * static_cast<uint64_t>(fileRow);
        uint32_t* dst = out.pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(w);
        for (int32_t x = 0; x < w; ++x, src += bytesPerPixel) {
            uint32_t pixel = bits == 16 ? Read16(src)
                             : bits == 24
                                 ? uint32_t(src[0]) | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16
                                 : Read32(src);
            dst[x] = Expand(c[0], pixel) << 16 | Expand(c[1], pixel) << 8 | Expand(c[2], pixel);
        }
    }
    out.width = w;
    out.height = h;
    return true;
}
