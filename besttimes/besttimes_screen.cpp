// The top-ten screen shown after a won round: the list, the slide, the name entry, the click.
#include "besttimes.h"

#include "frame.h"
#include "game_state.h"

namespace {

constexpr int32_t HeadingY = 39;
constexpr int32_t MessageX = 40;
constexpr int32_t MessageY = 300;
constexpr int32_t HintY = 315;
constexpr int32_t HeadingFont = 2; // "Arial" 14 bold
constexpr int32_t ListFont = 3;    // "Arial" 10 bold
constexpr int32_t MessageFont = 5; // "Verdana" 8 bold
constexpr float FadeStep = 0.055f; // brightness lost per slide frame by the row dropping off

const Text HeadingText = "T O P   T E N";
const Text NoRecordText = "Leider keine Bestzeit geschafft !";
const Text ClickHintText = "Linker Mausklick zum fortsetzen";

// Start: the black 350 x 360 window, shown while the file is read.
void ShowEmptyWindow() {
    QuibWindow.Width = TopListWidth;
    QuibWindow.Height = TopListHeight;
    QuibWindow.BackColour = RgbTriple{0, 0, 0};
    ResizeMainWindow(TopListWidth, TopListHeight);
    DrawQuibFrame();
    PresentBackBuffer();
}

// Start, once the place is known: the first line, the entry and the slide flags.
void StartScreenState() {
    if (PlaceReached > TopListPlaces) {
        MessageText = NoRecordText;
        RecordMade = 0;
    } else {
        MessageText = "Du hast den " + IntToText(PlaceReached) + ". Platz belegt";
        RecordMade = 1;
    }
    EnteringName = RecordMade;
    SlideActive = RecordMade;
    TitleBarResult = 0;
    EnteredName.clear();
    LeaveRequested = 0;
    SlideFrames = 0;
    FadeLevel = 1.0f;
    SlideOffset = 0;
}

// Each frame, at the row of the new place while the slide runs: one slide step.
void StepSlide() {
    KeepFrameMoving();
    SlideOffset += 1;
    SlideFrames += 1;
    FadeLevel -= FadeStep;
    SleepMs(20);
    if (SlideFrames == SlideFrameCount) SlideActive = 0;
}

// One row's name (unless withName is 0) and time at height y.
void DrawEntry(const TopListEntry& entry, int32_t y, int32_t withName) {
    if (withName) {
        SetTextCursor(ListNameX, y);
        DrawTextAtCursor(entry.name);
    }
    SetTextCursor(ListTimeX, y);
    DrawTextAtCursor(entry.time);
}

// Each frame: the ten rows; while the slide runs, the old entries from the new place down
// glide from PreviousEntries (the one of the place itself a pixel behind) and the tenth fades.
void DrawRows() {
    UseFontSlot(ListFont);
    int32_t y = ListFirstRowY;
    for (int32_t i = 1; i <= TopListPlaces; ++i) {
        int32_t shiftedY = y + SlideOffset;
        if (i == PlaceReached) {
            NewRowY = y;
            if (SlideActive) StepSlide();
        }
        SetInkColour(255, 255, 0);
        SetTextCursor(ListPlaceX, y);
        DrawTextAtCursor(IntToText(i) + ".");
        if (SlideActive && i == TopListPlaces) {
            int32_t t = int32_t(255.0f * FadeLevel);
            SetInkColour(t, t, 0);
        }
        // The new place's name is left to the name row: drawn twice, the blended edges of
        // the stored name would come out heavier than the other names.
        if (!SlideActive || i < PlaceReached)
            DrawEntry(TopList.place[i], y, i != PlaceReached);
        else
            DrawEntry(PreviousEntries.place[i], shiftedY, 1);
        y += ListRowStep;
    }
}

// Each frame: the whole picture, then present.
void DrawTopListFrame() {
    DrawQuibFrame();
    BeginDrawing(BackBufferOutput());
    SetTextMode(TextModeTransparent);
    UseFontSlot(HeadingFont);
    SetInkColour(255, 255, 0);
    DrawCentredText(0, QuibWindow.Width, HeadingY, HeadingText);
    DrawRows();
    if (RecordMade && !SlideActive) DrawNameRow();
    // While the rows still slide the name row is not drawn; the hint already tells the
    // player to type (the line would otherwise show a stale text or nothing).
    if (EnteringName && SlideActive) HintText = NameEntryHint();
    if (EnteringName == 0) HintText = ClickHintText;
    UseFontSlot(MessageFont);
    SetInkColour(100, 190, 255);
    SetTextCursor(MessageX, MessageY);
    DrawTextAtCursor(MessageText);
    SetInkColour(255, 190, 100);
    SetTextCursor(MessageX, HintY);
    DrawTextAtCursor(HintText);
    EndDrawing();
    PresentBackBuffer();
}

} // namespace

void TopListScreen() {
    int32_t difficulty =
        ClassifyRound(BoardSettings.width, BoardSettings.height, BoardSettings.mines);
    if (difficulty == NoDifficulty) return;
    ShowEmptyWindow();
    if (LoadTopList(difficulty) == 0) return;
    PlaceNewTime(TimeText);
    StartScreenState();
    SnapshotKeyboard();
    WaitForRelease(1);

    for (;;) {
        DrawTopListFrame();
        WantTypedText(EnteringName != 0);
        if (EnteringName) EditName(ReadNameKey());
        if (MouseButton(1) && EnteringName == 0) LeaveRequested = 1;
        TitleBarResult = HandleTitleBar();
        if (TitleBarResult == RollUpButton) RollUpQuibWindow();
        if (TitleBarResult == CloseButton) {
            // The program ends. Ended from outside, the name typed so far is kept; by the
            // close button, the list stays unwritten when the name was still being typed.
            if (QuitRequested()) KeepEnteredName();
            EnteringName = 0;
            AbandonTopList();
            return;
        }
        if (LeaveRequested) {
            WantTypedText(false);
            WaitForRelease(1);
            return;
        }
    }
}
