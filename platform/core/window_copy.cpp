// The copy of what the window shows and the search for the rows that changed.
#include <algorithm>
#include <bit>
#include <cstring>

#include "backend.h"
#include "draw_internal.h"
#include "platform_state.h"

namespace {

// Called by UpdateShownRows for each row: copies the parts of the row's first width pixels
// drawn on since the last present into shown (that row as last sent) where they differ;
// true when any did.
bool CopyTouchedParts(int32_t row, int32_t width, uint32_t* shown) {
    uint64_t mask = BackBuffer.touched[size_t(row)];
    const int32_t shift = BackBuffer.touchShift;
    const uint32_t* now = BackBuffer.pixels.data() + size_t(row) * size_t(BackBuffer.width);
    bool changed = false;
    while (mask != 0) {
        // One run of neighbouring touched parts: bits first to end - 1.
        const int first = std::countr_zero(mask);
        const int end = first + std::countr_one(mask >> first);
        mask = end >= 64 ? 0 : mask & (~uint64_t{0} << end);
        const int64_t x0 = int64_t{first} << shift;
        const int64_t x1 = std::min<int64_t>(int64_t{end} << shift, width);
        if (x0 >= x1) break;
        if (SamePixels(now + x0, shown + x0, size_t(x1 - x0))) continue;
        std::memcpy(shown + x0, now + x0, size_t(x1 - x0) * sizeof(uint32_t));
        changed = true;
    }
    return changed;
}

// Adds a row below the last one to the runs: to the last run where it continues it.
void AddRow(std::vector<RowRun>& runs, int32_t row) {
    if (!runs.empty() && runs.back().first + runs.back().count == row) {
        ++runs.back().count;
    } else {
        runs.push_back(RowRun{row, 1});
    }
}

// The end of every compare: from here on only new drawing is compared.
void EndFrameCompare() {
    std::fill(BackBuffer.touched.begin(), BackBuffer.touched.end(), uint64_t{0});
}

} // namespace

const std::vector<RowRun>& UpdateShownRows(uint32_t* shown, size_t stride, int32_t width,
                                           int32_t height, bool whole) {
    std::vector<RowRun>& runs = WindowCopy.runs;
    runs.clear();
    width = std::clamp(width, 0, BackBuffer.width);
    height = width > 0 ? std::clamp(height, 0, BackBuffer.height) : 0;
    for (int32_t row = 0; row < height; ++row) {
        uint32_t* before = shown + size_t(row) * stride;
        if (whole) {
            std::memcpy(before, BackBuffer.pixels.data() + size_t(row) * size_t(BackBuffer.width),
                        size_t(width) * sizeof(uint32_t));
        } else if (!CopyTouchedParts(row, width, before)) {
            continue;
        }
        AddRow(runs, row);
    }
    EndFrameCompare();
    return runs;
}

const std::vector<RowRun>& TakeChangedRows(int32_t width, int32_t height) {
    WindowCopyRecord& shown = WindowCopy;
    width = std::clamp(width, 0, BackBuffer.width);
    height = std::clamp(height, 0, BackBuffer.height);
    const bool whole = !shown.valid || shown.width != width || shown.height != height;
    if (whole) {
        shown.pixels.resize(size_t(width) * size_t(height));
        shown.width = width;
        shown.height = height;
        shown.valid = true;
    }
    return UpdateShownRows(shown.pixels.data(), size_t(width), width, height, whole);
}

void ForgetWindowCopy() {
    WindowCopy.valid = false;
}
