// Fuzz target: arbitrary bytes as "TopList", read by LoadTopList alone (no screen runs), so
// that tens of thousands of files a second reach the reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "besttimes.h"
#include "fuzz_files.h"
#include "platform_state.h"

namespace {

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
    RemoveDamagedCopy(FuzzFolder("toplist-file") + "TopList");
    WriteFuzzFile(FuzzFolder("toplist-file") + "TopList", data, size);
    PrepareFuzzPlatform(FuzzFolder("toplist-file"));
    ResetBestTimesState();
    const int32_t difficulty = size > 0 ? Leicht + data[size - 1] % 4 : Leicht;

    FuzzCheck(LoadTopList(difficulty) == 1);

    const bool marked = size >= 4 && std::memcmp(data + 1, "xst", 3) == 0;
    for (int32_t p = 1; p <= TopListPlaces; ++p) {
        const TopListEntry& entry = TopList.place[p];
        FuzzCheck(entry.name.size() <= size_t(TopListNameWidth));
        FuzzCheck(entry.time.size() <= size_t(TopListTimeWidth));
        const size_t offset = size_t(BlockOffset(difficulty) + TopListEntryBytes * (p - 1));
        if (marked && offset + TopListEntryBytes <= size) {
            // A place the file holds whole reads as its bytes.
            FuzzCheck(entry.name == FieldOf(data, offset, TopListNameWidth));
            FuzzCheck(entry.time == FieldOf(data, offset + TopListNameWidth, TopListTimeWidth));
        } else if (!marked) {
            FuzzCheck(entry.name == "-" + std::string(TopListNameWidth - 1, ' '));
            FuzzCheck(entry.time == "99999.99");
        }
    }
    // The file is let go unsaved before the next input: only reading is fuzzed here.
    return 0;
}
