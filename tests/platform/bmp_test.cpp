// Tests of the BMP decoder: the supported encodings, and files that must be refused.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "bmp.h"
#include "bmp_maker.h"
#include "test_support.h"

namespace {

bool Decode(const std::string& file, DecodedBitmap& out) {
    return DecodeBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), out);
}

std::vector<uint32_t> Pattern(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels.push_back(uint32_t(x * 40 + 8) << 16 | uint32_t(y * 50 + 16) << 8 |
                             uint32_t((x + y) * 24));
    return pixels;
}

void Put32(std::string& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = char(value >> (8 * i) & 0xFF);
}

const std::string SuiteDir = std::string(TESSAROC_SOURCE_DIR) + "/tests/data/bmpsuite/";

} // namespace

TEST(DecodeBmp, ReadsEveryLayoutTopRowFirst) {
    // Widths 3 and 5 need row padding at 24 bits; 16 bits at width 3 too.
    for (int32_t width : {1, 3, 5}) {
        const int32_t height = 4;
        const std::vector<uint32_t> pixels = Pattern(width, height);
        for (int bits : {24, 32}) {
            for (bool topDown : {false, true}) {
                for (uint32_t header : {12u, 40u, 108u, 124u}) {
                    DecodedBitmap out;
                    ASSERT_TRUE(Decode(
                        MakeBmp(width, height, bits, pixels, topDown && header != 12, header), out))
                        << width << " " << bits << " " << topDown << " " << header;
                    EXPECT_EQ(out.width, width);
                    EXPECT_EQ(out.height, height);
                    EXPECT_EQ(out.pixels, pixels);
                }
            }
        }
    }
}

TEST(DecodeBmp, WidensFiveBitChannels) {
    // x-5-5-5: full scale gives 255, and black stays black.
    const std::vector<uint32_t> pixels = {0xFFFFFF, 0x000000, 0xFF0000,
                                          0x00FF00, 0x0000FF, 0x808080};
    DecodedBitmap out;
    ASSERT_TRUE(Decode(MakeBmp(3, 2, 16, pixels), out));
    EXPECT_EQ(out.pixels[0], 0xFFFFFFu);
    EXPECT_EQ(out.pixels[1], 0x000000u);
    EXPECT_EQ(out.pixels[2], 0xFF0000u);
    EXPECT_EQ(out.pixels[3], 0x00FF00u);
    EXPECT_EQ(out.pixels[4], 0x0000FFu);
    EXPECT_EQ(out.pixels[5], 0x848484u); // 0x80 keeps 16 of 31 steps
}

TEST(DecodeBmp, RefusesBrokenHeaders) {
    const std::string good = MakeBmp(4, 3, 24, Pattern(4, 3));
    DecodedBitmap out;
    ASSERT_TRUE(Decode(good, out));

    auto refused = [&](std::string file, const char* what) {
        DecodedBitmap result;
        result.width = 99;
        EXPECT_FALSE(Decode(file, result)) << what;
        EXPECT_TRUE(result.pixels.empty()) << what;
        EXPECT_EQ(result.width, 0) << what;
    };
    std::string file;
    refused("", "empty");
    refused(good.substr(0, 17), "shorter than the file header");
    refused(good.substr(0, 40), "shorter than the info header");
    refused(good.substr(0, good.size() - 1), "last row cut");
    file = good, file[1] = 'A', refused(file, "magic");
    for (uint32_t size : {0u, 16u, 52u, 56u, 64u, 100u, 0xFFFFFFFFu})
        file = good, Put32(file, 14, size), refused(file, "header size");
    file = good, Put32(file, 18, 0), refused(file, "width 0");
    file = good, Put32(file, 18, uint32_t(-4)), refused(file, "negative width");
    file = good, Put32(file, 22, 0), refused(file, "height 0");
    file = good, Put32(file, 22, 0x80000000u), refused(file, "height INT_MIN");
    file = good, Put32(file, 18, 8193), refused(file, "too wide");
    file = good, Put32(file, 18, 3000000), Put32(file, 22, 2000000), refused(file, "huge");
    file = good, file[26] = 2, refused(file, "planes");
    for (uint32_t bits : {0u, 1u, 4u, 8u, 15u, 64u, 30000u})
        file = good, file[28] = char(bits & 0xFF), file[29] = char(bits >> 8),
        refused(file, "bits per pixel");
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u})
        file = good, Put32(file, 30, compression), refused(file, "compression at 24 bits");
    file = good, Put32(file, 10, 0xFFFFFFF0u), refused(file, "pixel offset past the end");
    file = good, Put32(file, 10, 20), refused(file, "pixel offset inside the header");
    file = good, Put32(file, 46, 0x40000000u), refused(file, "colour count larger than the file");
    file = good, Put32(file, 46, 1), refused(file, "colour table overlapping the pixels");
}

TEST(DecodeBmp, BitFieldMasksAreChecked) {
    // 16-bit 5-6-5 with masks after a 40-byte header.
    std::string file = MakeBmp(2, 1, 16, {0, 0});
    file.insert(54, std::string(12, '\0'));
    Put32(file, 10, 66);
    Put32(file, 30, 3);
    Put32(file, 54, 0xF800);
    Put32(file, 58, 0x07E0);
    Put32(file, 62, 0x001F);
    file[66] = char(0xE0), file[67] = char(0x07); // pure green in 5-6-5
    DecodedBitmap out;
    ASSERT_TRUE(Decode(file, out));
    EXPECT_EQ(out.pixels[0], 0x00FF00u);

    auto withBlueMask = [&](uint32_t mask) {
        std::string bad = file;
        Put32(bad, 62, mask);
        return bad;
    };
    EXPECT_FALSE(Decode(withBlueMask(0), out)) << "empty mask";
    EXPECT_FALSE(Decode(withBlueMask(0x0F0F), out)) << "mask with a gap";
    EXPECT_FALSE(Decode(withBlueMask(0x00FF), out)) << "overlapping masks";
    EXPECT_FALSE(Decode(withBlueMask(0x10000), out)) << "mask beyond 16 bits";
}

// Every file of the public BMP suite: valid 16/24/32-bit ones decode to the same picture,
// everything the decoder does not take is refused, and nothing crashes.
TEST(DecodeBmp, PublicSuiteVerdicts) {
    namespace fs = std::filesystem;
    // The decoder is the same code everywhere; the suite's files are read by the native run.
    if (TESSAROC_CROSS_BUILD) GTEST_SKIP() << "the native build reads the bitmap suite";
    ASSERT_TRUE(fs::is_directory(SuiteDir)) << SuiteDir;
    DecodedBitmap reference;
    ASSERT_TRUE(Decode(ReadWholeFile(SuiteDir + "g/rgb24.bmp"), reference));
    EXPECT_EQ(reference.width, 127);
    EXPECT_EQ(reference.height, 64);

    const std::set<std::string> exact = {"rgb24.bmp", "rgb24pal.bmp", "rgb32.bmp", "rgb32bf.bmp",
                                         "rgb32bfdef.bmp"};
    const std::set<std::string> fiveBits = {"rgb16.bmp", "rgb16bfdef.bmp", "rgb16-565.bmp",
                                            "rgb16-565pal.bmp"};
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(SuiteDir)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".bmp") continue;
        ++files;
        const std::string kind = entry.path().parent_path().filename().string();
        const std::string name = entry.path().filename().string();
        DecodedBitmap out;
        const bool decoded = Decode(ReadWholeFile(entry.path().string()), out);
        if (decoded) { // whatever was accepted is whole and consistent
            EXPECT_EQ(out.pixels.size(), size_t(out.width) * size_t(out.height)) << name;
        }
        if (kind == "b") {
            EXPECT_FALSE(decoded) << "bad file accepted: " << name;
        } else if (kind == "g" && exact.count(name)) {
            ASSERT_TRUE(decoded) << name;
            EXPECT_EQ(out.pixels, reference.pixels) << name;
        } else if (kind == "g" && fiveBits.count(name)) {
            ASSERT_TRUE(decoded) << name;
            ASSERT_EQ(out.pixels.size(), reference.pixels.size()) << name;
            for (size_t i = 0; i < out.pixels.size(); ++i) {
                for (int shift : {0, 8, 16}) {
                    int a = int(out.pixels[i] >> shift & 0xFF);
                    int b = int(reference.pixels[i] >> shift & 0xFF);
                    ASSERT_LE(std::abs(a - b), 8) << name << " pixel " << i;
                }
            }
        } else if (kind == "g") {
            EXPECT_FALSE(decoded) << "palette or compressed file accepted: " << name;
        }
    }
    EXPECT_GT(files, 80);
}
