// Fuzz target: arbitrary bytes as "TopList", read by LoadTopList alone (no screen runs), so
// that tens of thousands of files a second reach the reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "besttimes.h"
#include "platform_state.h"

namespace {

// A private program folder for the file, made once per process: in memory (/dev/shm) where
// the system has it, since the files are written and renamed for every input.
const std::string& FuzzFolder() {
    static const std::string folder = [] {
        for (std::string pattern : {"/dev/shm/tessaroc-fuzz-toplist-file-XXXXXX",
                                    "/tmp/tessaroc-fuzz-toplist-file-XXXXXX"}) {
            if (mkdtemp(pattern.data()) != nullptr) return pattern + "/";
        }
        std::abort();
    }();
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    // The empty input comes with no buffer at all: nothing to write.
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

// A field of the input as the list reads it: its bytes with the zero bytes dropped.
std::string FieldOf(const uint8_t* data, size_t offset, size_t width) {
    std::string text;
    for (size_t i = offset; i < offset + width; ++i)
        if (data[i] != 0) text += char(data[i]);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkipDiskSync = true;
    WriteFile(FuzzFolder() + "TopList", data, size);
    ResetPlatformState();
    ResetBestTimesState();
    SetProgramFolder(FuzzFolder());
    const int32_t difficulty = size > 0 ? Leicht + data[size - 1] % 4 : Leicht;

    Check(LoadTopList(difficulty) == 1);

    const bool marked = size >= 4 && std::memcmp(data + 1, "xst", 3) == 0;
    for (int32_t p = 1; p <= TopListPlaces; ++p) {
        const TopListEntry& entry = TopList.place[p];
        Check(entry.name.size() <= size_t(TopListNameWidth));
        Check(entry.time.size() <= size_t(TopListTimeWidth));
        const size_t offset = size_t(BlockOffset(difficulty) + TopListEntryBytes * (p - 1));
        if (marked && offset + TopListEntryBytes <= size) {
            // A place the file holds whole reads as its bytes.
            Check(entry.name == FieldOf(data, offset, TopListNameWidth));
            Check(entry.time == FieldOf(data, offset + TopListNameWidth, TopListTimeWidth));
        } else if (!marked) {
            Check(entry.name == "-" + std::string(TopListNameWidth - 1, ' '));
            Check(entry.time == "99999.99");
        }
    }
    // The file is let go unsaved by the reset of the next input: only reading is fuzzed here.
    return 0;
}
