// Fuzz target: arbitrary bytes as "TopList" through loading, ranking, name editing and saving.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "besttimes.h"
#include "fuzz_files.h"
#include "platform_state.h"

namespace {

// A private program folder for the data file, made once per process.
const std::string& FuzzFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/tessaroc-fuzz-toplist-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        MakeFolderPortable(std::string(made) + "/");
        return std::string(made) + "/";
    }();
    return folder;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

// The key texts the name entry can hand to EditName, picked by input bytes.
std::string KeyTextFor(uint8_t byte) {
    if (byte % 16 == 0) return "*BACK*";
    if (byte % 16 == 1) return "";
    return std::string(1, char(byte));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkipDiskSync = true;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = FuzzFolder() + "TopList";
    ResetPlatformState();
    ResetBestTimesState();
    SetProgramFolder(FuzzFolder());
    RemoveDamagedCopy(path);
    WriteFile(path, input);

    // One difficulty per input keeps the runs short.
    const int32_t difficulty = size > 0 ? Leicht + data[size - 1] % 4 : Leicht;

    // The first load initialises or completes the file; closing it unwritten commits that,
    // so the second load starts from the file as the list sees it.
    Check(LoadTopList(difficulty) == 1);
    AbandonTopList();
    const std::string loaded = ReadFile(path);
    Check(loaded.size() >= size_t(TopListFileSize));
    Check(LoadTopList(difficulty) == 1);
    for (int32_t p = 1; p <= TopListPlaces; ++p) {
        Check(TopList.place[p].name.size() <= 20 && TopList.place[p].time.size() <= 8);
    }
    // The new time: up to 10 bytes of the input, so texts too long for the field occur.
    size_t start = size > 0 ? (size_t(data[0]) * 7 + size_t(difficulty)) % size : 0;
    size_t length = size > 1 ? size_t(data[1]) % 11 : 0;
    std::string time = input.substr(start, length);
    int32_t place = PlaceNewTime(time);
    Check(place >= 1 && place <= TopListPlaces + 1);
    if (place <= TopListPlaces) {
        Check(TopList.place[place].time == time && time.size() <= 8);
        EnteringName = 1;
        for (size_t i = 0; i < 30 && i < size; ++i)
            EditName(KeyTextFor(data[size - 1 - i]));
        Check(EnteredName.size() <= 20);
        EditName("*ENTER*");
        Check(EnteringName == 0 && !EnteredName.empty());
    }
    Check(TopListFile.open == 0);

    // Only the difficulty's block may differ from the file as loading left it.
    const std::string saved = ReadFile(path);
    Check(saved.size() == loaded.size());
    const size_t block = size_t(BlockOffset(difficulty));
    Check(saved.compare(0, block, loaded, 0, block) == 0);
    Check(saved.compare(block + 280, std::string::npos, loaded, block + 280, std::string::npos) ==
          0);
    if (size > 0) Check(saved[0] == input[0]);
    return 0;
}
