// What the window shows, kept by the platform core so that a backend's present sends only
// the rows of the back buffer that changed since the last present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A run of changed rows: rows first to first + count - 1 of the client area.
struct RowRun {
    int32_t first = 0; // top row of the run
    int32_t count = 0; // rows in the run (>= 1)
};

// Called by a backend's present with the client-sized part it sends (the top-left width x
// height of the back buffer): compares it with the copy of what was sent last, brings the
// copy up to date and returns the runs of rows that differ, top to bottom. Everything is
// one run when nothing was sent yet, the size changed or the copy was forgotten; nothing
// when the frame equals the last one (the backend then sends nothing but still paces).
// Only the parts drawn on since the last present are compared; the others cannot differ.
// The returned runs stay valid until the next call.
const std::vector<RowRun>& TakeChangedRows(int32_t width, int32_t height);

// Called by a present that keeps what was sent elsewhere (SDL's surface or the shared image
// at scale 1, the scripted platform's screen), and by TakeChangedRows: brings shown, height
// rows of width pixels with a row every stride pixels, up to date with the back buffer (all
// of it when whole, else the parts drawn on since the last present, where they differ) and
// returns the runs of rows that changed. The runs stay valid until the next call.
const std::vector<RowRun>& UpdateShownRows(uint32_t* shown, size_t stride, int32_t width,
                                           int32_t height, bool whole);

// Called by every present before it compares the frame (UpdateShownRows calls it itself):
// the frame's drawing is complete from here on.
void BeginFrameCompare();

// Called by every present once the window is up to date, with whether anything differed
// (UpdateShownRows calls it itself): from here on only new drawing is compared.
void EndFrameCompare(bool changed);

// Called by a backend when the window system lost what the window showed (the window was
// exposed, resized or shown again): the next present sends the whole frame.
void ForgetShownFrame();
