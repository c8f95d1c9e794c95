// Artwork generator: draws the game's ten sprite sheets and writes them as 24-bit BMP files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A picture being drawn: width x height pixels, 0x00RRGGBB, top row first.
struct Canvas {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    Canvas(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}
};

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Uncompressed 24-bit Windows bitmap: 54-byte header, rows bottom-up, each padded to a
// multiple of four bytes, pixels stored blue, green, red.
bool WriteBmp(const std::string& path, const Canvas& c) {
    uint32_t rowBytes = (uint32_t(c.width) * 3 + 3) & ~3u;
    uint32_t imageBytes = rowBytes * uint32_t(c.height);
    std::string out;
    out += "BM";
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
    for (int32_t y = c.height - 1; y >= 0; y--) {
        for (int32_t x = 0; x < c.width; x++) {
            uint32_t p = c.pixels[size_t(y) * size_t(c.width) + size_t(x)];
            out.push_back(char(p & 0xFF));
            out.push_back(char((p >> 8) & 0xFF));
            out.push_back(char((p >> 16) & 0xFF));
        }
        for (uint32_t pad = uint32_t(c.width) * 3; pad < rowBytes; pad++)
            out.push_back(0);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

// The build runs this as "make_artwork <folder>"; exit code 1 when a sheet cannot be written.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork <folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    struct Sheet {
        const char* name;
        int32_t width, height;
    };
    const Sheet sheets[] = {{"TileSet", 300, 20},     {"Points", 18, 297},
                            {"PointTable1", 149, 37}, {"Smileys", 93, 31},
                            {"Buttons1", 81, 168},    {"Buttons2", 76, 16},
                            {"Buttons3", 56, 56},     {"Buttons4", 32, 16},
                            {"Buttons5", 50, 52},     {"Quibbuttons", 180, 18}};
    for (const Sheet& s : sheets) {
        Canvas c(s.width, s.height);
        if (!WriteBmp(folder + "/" + s.name + ".bmp", c)) return 1;
    }
    return 0;
}
