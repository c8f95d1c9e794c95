// The resources of the built tessaroc.exe, read as Explorer reads them: the icon at the
// Windows sizes, each a picture of the game's icon, the version with its texts, and the
// manifest as the system reads it when the program starts.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The icon group's header and entries as stored in a program (RT_GROUP_ICON).
#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

constexpr WORD ProgramIconResource = 1;
// Resource types by number (RT_ICON and its kin are narrow texts unless UNICODE is set).
const LPCWSTR IconType = MAKEINTRESOURCEW(3), IconGroupType = MAKEINTRESOURCEW(14),
              VersionType = MAKEINTRESOURCEW(16), ManifestType = MAKEINTRESOURCEW(24);

class ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        program = LoadLibraryExA(TESSAROC_PROGRAM, nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(program, nullptr) << TESSAROC_PROGRAM << ": error " << GetLastError();
    }
    void TearDown() override {
        if (program) FreeLibrary(program);
    }
    // The bytes of a resource; empty when the program has none.
    std::string Resource(LPCWSTR type, WORD id) {
        HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), type);
        if (!found) return "";
        const void* bytes = LockResource(LoadResource(program, found));
        return std::string(static_cast<const char*>(bytes), SizeofResource(program, found));
    }
    HMODULE program = nullptr;
};

// The icon's pixel (x, y) as red + green + blue, from its colour bitmap.
int Brightness(HICON icon, int size, int x, int y) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return -1;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(size_t(size) * size_t(size));
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, info.hbmColor, 0, UINT(size), pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (rows != size) return -1;
    const uint32_t p = pixels[size_t(y) * size_t(size) + size_t(x)];
    return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF);
}

TEST_F(ProgramResources, IconHoldsTheFiveWindowsSizesAsThirtyTwoBitPictures) {
    const std::string group = Resource(IconGroupType, ProgramIconResource);
    ASSERT_GE(group.size(), sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    ASSERT_EQ(header->type, 1);
    ASSERT_EQ(group.size(), sizeof(IconGroupHeader) + header->count * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    std::vector<int> sizes;
    for (int i = 0; i < header->count; i++) {
        const int width = entries[i].width ? entries[i].width : 256;
        const int height = entries[i].height ? entries[i].height : 256;
        EXPECT_EQ(width, height);
        EXPECT_EQ(entries[i].bitCount, 32) << width << " pixels";
        EXPECT_EQ(Resource(IconType, entries[i].id).size(), entries[i].bytes) << width << " pixels";
        sizes.push_back(width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
}

// Each size decodes (256 is stored as PNG) to the game's icon: a covered cell with a dark
// mine in its middle and the light bevel of the cell at its top-left corner.
TEST_F(ProgramResources, EverySizeShowsTheMineOnTheCoveredCell) {
    for (int size : {16, 24, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(program, MAKEINTRESOURCEW(ProgramIconResource), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size << " pixels";
        const int middle = Brightness(icon, size, size / 2, size / 2);
        const int corner = Brightness(icon, size, 0, 0);
        DestroyIcon(icon);
        EXPECT_GE(middle, 0) << size << " pixels";
        EXPECT_LT(middle, 3 * 60) << size << " pixels: the middle is no mine";
        EXPECT_GT(corner, 3 * 160) << size << " pixels: the corner is no light bevel";
    }
}

// The version block as Explorer shows it: the texts under the language and code page that
// the translation table names, the numbers in the fixed part.
TEST_F(ProgramResources, VersionNamesTheProductItsVersionAndADescription) {
    const std::string block = Resource(VersionType, 1);
    ASSERT_FALSE(block.empty());
    std::vector<char> copy(block.begin(), block.end()); // VerQueryValue wants it writable
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(copy.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation->language,
                  translation->codePage);
    auto text = [&](const char* name) {
        char* value = nullptr;
        UINT chars = 0;
        const std::string path = prefix + std::string(name);
        if (!VerQueryValueA(copy.data(), path.c_str(), reinterpret_cast<void**>(&value), &chars))
            return std::string("(none)");
        return std::string(value);
    };
    EXPECT_EQ(text("ProductName"), "Tessaroc");
    EXPECT_EQ(text("ProductVersion"), TESSAROC_VERSION);
    EXPECT_EQ(text("FileVersion"), TESSAROC_VERSION);
    EXPECT_EQ(text("FileDescription"), "Tessaroc mine-clearing puzzle game");
    EXPECT_EQ(text("OriginalFilename"), "tessaroc.exe");
    EXPECT_NE(text("LegalCopyright").find("MIT"), std::string::npos);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", HIWORD(fixed->dwProductVersionMS),
                  LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS));
    EXPECT_EQ(std::string(numbers), TESSAROC_VERSION);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

// The manifest names common controls 6 and Windows 7, 8, 8.1 and 10/11; the system reads its
// scaling from it at start (this test program carries the same resources).
TEST_F(ProgramResources, ManifestAsksForCommonControlsSixAndPerMonitorScaling) {
    const std::string manifest = Resource(ManifestType, 1);
    for (const char* named :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(named), std::string::npos) << named;
    wchar_t awareness[64] = {};
    ASSERT_TRUE(QueryActCtxSettingsW(0, nullptr,
                                     L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                     L"dpiAwareness", awareness, 64, nullptr));
    EXPECT_EQ(std::wstring(awareness), L"PerMonitorV2, PerMonitor");
}

} // namespace
