// Saving the last presented frame as a PNG (stored zlib blocks, no compression).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "script_platform.h"
#include "script_state.h"

using Bytes = std::vector<uint8_t>;

static void PutBigEndian32(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

static void PutLittleEndian(Bytes& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(uint8_t(v >> (8 * i)));
}

// CRC-32 of PNG chunks (polynomial 0xEDB88320, reflected), bit by bit: frames are small.
static uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// Adler-32 checksum that ends a zlib stream.
static uint32_t Adler32(const Bytes& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

// One chunk: length, type, data, CRC over type and data.
static void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBigEndian32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks of at most 65,535 bytes each.
static Bytes StoredZlib(const Bytes& raw) {
    Bytes z = {0x78, 0x01}; // deflate, 32 KiB window, no dictionary, check bits valid
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0); // BFINAL, BTYPE 00
        PutLittleEndian(z, uint32_t(n), 2);
        PutLittleEndian(z, uint32_t(~n & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    PutBigEndian32(z, Adler32(raw));
    return z;
}

// 8-bit RGB, no interlace; every row has filter type 0.
static Bytes EncodePng(const std::vector<uint32_t>& px, int32_t w, int32_t h) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBigEndian32(header, uint32_t(w));
    PutBigEndian32(header, uint32_t(h));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // depth 8, colour type RGB
    PutChunk(out, "IHDR", header);
    Bytes raw;
    raw.reserve(size_t(h) * (size_t(w) * 3 + 1));
    for (int32_t y = 0; y < h; y++) {
        raw.push_back(0);
        for (int32_t x = 0; x < w; x++) {
            const uint32_t p = px[size_t(y) * size_t(w) + size_t(x)];
            raw.insert(raw.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    }
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return out;
}

// Tests, after a run: writes the last presented client area as a PNG; false when nothing was
// presented yet or the file cannot be written.
bool ScriptSaveFrame(const std::string& path) {
    const int32_t w = ScriptScreen.shownWidth, h = ScriptScreen.shownHeight;
    if (w <= 0 || h <= 0) return false;
    const Bytes bytes = EncodePng(ScriptScreen.shown, w, h);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}
