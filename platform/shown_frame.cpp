// The copy of what the window shows and the search for the rows that changed.
#include "shown_frame.h"

#include <algorithm>
#include <cstring>

#include "platform_state.h"

const std::vector<RowRun>& TakeChangedRows(int32_t width, int32_t height) {
    ShownFrameRecord& shown = ShownFrame;
    shown.runs.clear();
    width = std::clamp(width, 0, BackBuffer.width);
    height = std::clamp(height, 0, BackBuffer.height);
    if (width == 0 || height == 0) return shown.runs;
    const size_t rowBytes = size_t(width) * sizeof(uint32_t);
    const bool whole = !shown.valid || shown.width != width || shown.height != height;
    if (whole) {
        shown.pixels.resize(size_t(width) * size_t(height));
        shown.width = width;
        shown.height = height;
        shown.valid = true;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* now = BackBuffer.pixels.data() + size_t(row) * size_t(BackBuffer.width);
        uint32_t* before = shown.pixels.data() + size_t(row) * size_t(width);
        if (!whole && std::memcmp(now, before, rowBytes) == 0) continue;
        std::memcpy(before, now, rowBytes);
        if (!shown.runs.empty() && shown.runs.back().first + shown.runs.back().count == row) {
            ++shown.runs.back().count;
        } else {
            shown.runs.push_back(RowRun{row, 1});
        }
    }
    return shown.runs;
}

void ForgetShownFrame() {
    ShownFrame.valid = false;
}
