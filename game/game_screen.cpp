// The game screen: round set-up, the play loop, the board's tiles, face and back buttons,
// the clock and the rolling mines-left counter.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "board_grid.h"
#include "frame.h"
#include "game.h"

namespace {

// Panel, face button and plain background colour of the game screen.
constexpr int32_t PanelRed = 195;
constexpr int32_t PanelGreen = 200;
constexpr int32_t PanelBlue = 205;

// Board cell (x, y) has its top left at (BoardLeft + 20x, BoardTop + 20y).
constexpr int32_t BoardLeft = 10;
constexpr int32_t BoardTop = 78;
constexpr int32_t TileSize = 20;

// The face button: its raised box, drawn and hit-tested; the face sits 3 pixels inside it
// (4 while pressed).
constexpr PixelBox FaceButtonBox = {247, 32, 283, 68};
constexpr int32_t FaceInset = 3;
// The back button: its picture's top left corner and hit area.
constexpr PixelBox BackButtonBox = {300, 38, 350, 64};

// TileSet cell of a board cell (1 to 15), 0 when nothing is drawn.
int32_t TileForCell(int32_t cover, int32_t content) {
    switch (cover) {
    case Covered:
        return 1;
    case Flagged:
        return 2;
    case Queried:
        return 15;
    default:
        break;
    }
    if (content == 0) return Options.emptyTransparent ? 0 : 3;
    if (content >= 1 && content <= 8) return content + 4;
    if (content == Mine) return 4;
    if (content == MineFound) return 13;
    if (content == WrongMark) return 14;
    return 0;
}

// What DrawRoundScreen's frame and stars may leave out: the board's pixels when DrawBoard
// paints every cell with a whole opaque tile (the sheet has all its cells, and no cell is
// left undrawn: see-through empty cells, unknown contents), else no pixel.
PixelBox BoardCoveredByTiles() {
    if (!TileSetComplete()) return NoPixelBox;
    int32_t width = RoundColumns();
    int32_t height = RoundRows();
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t i = CellIndex(x, y);
            if (TileForCell(Board.cover[i], Board.content[i]) == 0) return NoPixelBox;
        }
    }
    return {BoardLeft, BoardTop, BoardLeft + TileSize * width - 1,
            BoardTop + TileSize * height - 1};
}

// A left press on board cell (cx, cy) in the play loop: wait for the release, open the
// cell, start the clock on the round's first press, then decide loss or win. A quit during
// the press is no release: the cell stays as it is. Nothing is drawn during the wait, so
// opening at the release shows the same as opening at the press.
void LeftPressOnCell(int32_t cx, int32_t cy) {
    if (WaitForRelease(1) == 0) return;
    int32_t result = OpenCell(cx, cy);
    if (TimerIdle == 1) StartTick = TickCountMs();
    TimerIdle = 0;
    if (result == OpenedMine) {
        RoundState = Lost;
    } else if (SafeCellsLeft() == 0) {
        RoundState = Won;
    }
}

// One frame of the play loop: clock, drawing, then pointer, left and right button.
void PlayFrame() {
    if (TimerIdle == 0) {
        ReadClock();
        KeepFrameMoving();
    }
    MakeTimeText();
    SetCounterTarget();
    StepCounter();
    DrawRoundScreen(1);

    int32_t x = MouseWindowX();
    int32_t y = MouseWindowY();
    int32_t left = MouseButton(1);
    int32_t right = MouseButton(2);
    int32_t cx = 0;
    int32_t cy = 0;
    bool onBoard = PointerToCell(x, y, &cx, &cy) == OnBoard;
    if (left != 0) {
        if (onBoard) {
            LeftPressOnCell(cx, cy);
        } else if (cy < 0) {
            if (InFaceButton(x, y))
                ButtonAction = TrackFaceButton(1) != 0 ? FaceAction : NoAction;
            else if (InBackButton(x, y))
                ButtonAction = TrackBackButton() != 0 ? BackAction : NoAction;
        }
    }
    // Also after a left press that ended the round: its cell is open then, so the mark
    // stays as it is, but the right button's release is still waited for.
    // The mark changes at the release, unless a quit ended the press.
    if (right != 0 && onBoard && MarkAllowed(cx, cy) != 0) {
        if (WaitForRelease(2) != 0) CycleMark(cx, cy);
    }

    TitleBarResult = HandleTitleBar();
    if (TitleBarResult == RollUpButton) RollUpQuibWindow();
}

} // namespace

bool InFaceButton(int32_t x, int32_t y) {
    return FaceButtonBox.Contains(x, y);
}
bool InBackButton(int32_t x, int32_t y) {
    return BackButtonBox.Contains(x, y);
}

int32_t RoundWindowWidth(int32_t columns) {
    return std::max(TileSize * columns + 19, 370);
}

int32_t RoundWindowHeight(int32_t rows) {
    return TileSize * rows + 88;
}

void StartRound() {
    int32_t width = RoundColumns();
    int32_t height = RoundRows();
    QuibWindow.Width = RoundWindowWidth(width);
    QuibWindow.Height = RoundWindowHeight(height);
    if (Options.starBackground != 0)
        QuibWindow.BackColour = RgbTriple{0, 0, 0};
    else
        QuibWindow.BackColour = RgbTriple{PanelRed, PanelGreen, PanelBlue};
    ResizeMainWindow(QuibWindow.Width, QuibWindow.Height);
    DrawQuibFrame();
    PresentBackBuffer();

    // A mine count the grids cannot hold is cut to the cells there are.
    int32_t mines = std::clamp(BoardSettings.mines, 0, width * height);
    ClearBoard();
    PlaceMines(width, height, mines);
    CountNeighbours(width, height);
    InitStarField();

    for (int32_t& shown : CounterShown)
        shown = 27;
    MinesLeft = mines;
    ButtonAction = NoAction;
    RoundState = Running;
    ElapsedSeconds = 0.0f;
    StartTick = 0;
    TimerIdle = 1;

    do {
        PlayFrame();
    } while (TitleBarResult != CloseButton && RoundState == Running && ButtonAction == NoAction);
}

// A round frame draws only its panel and the board's changed tiles when the back buffer
// still holds the last round frame (nothing drew on it since: the watch over the whole
// buffer) and nothing else on the screen can differ from it: no stars, no title colour
// animation, every cell an opaque tile. Otherwise the window's frame is drawn again, leaving
// out the board while its tiles are opaque (they hide the fill and the stars under them);
// the tiles drawn last are kept then as well.
void DrawRoundScreen(int32_t faceCell) {
    const int32_t columns = RoundColumns();
    const int32_t rows = RoundRows();
    const PixelBox covered = BoardCoveredByTiles();
    const bool tilesCover = covered.right >= covered.left;
    const bool lastFrameKept = WatchedBoxUntouched() != 0 && BoardPicture.columns == columns &&
                               BoardPicture.rows == rows && tilesCover;
    if (lastFrameKept && Options.starBackground == 0 && !TitleAnimates()) {
        FollowWindowPosition();
    } else {
        DrawQuibFrame(covered);
        if (Options.starBackground != 0) {
            BeginDrawing(BackBufferOutput());
            DrawStarField(covered);
            EndDrawing();
        }
    }
    DrawRoundPanel(faceCell);
    DrawBoard(columns, rows, lastFrameKept);
    WatchBackBufferBox(0, 0, INT32_MAX, INT32_MAX);
    PresentBackBuffer();
}

// The band above the board (rows 28 to 71): clock, mines-left counter, face and back button.
void DrawRoundPanel(int32_t faceCell) {
    BeginDrawing(BackBufferOutput());
    FillBox(5, 28, QuibWindow.Width - 9, 44, MakeColour(PanelRed, PanelGreen, PanelBlue));
    const PixelBox& face = FaceButtonBox;
    DrawBevelBox(face.left, face.top, face.right, face.bottom, PanelRed, PanelGreen, PanelBlue, 0);
    UseFontSlot(4);
    SetInkColour(0, 0, 0);
    SetTextMode(TextModeTransparent);
    SetTextCursor(172, 35);
    DrawTextAtCursor("Sekunden");
    SetTextCursor(172, 50);
    DrawTextAtCursor(TimeText);
    EndDrawing();

    DrawSmileysCell(face.left + FaceInset, face.top + FaceInset, faceCell);
    BlitSprite(PointTableSlot, 20, 32);
    DrawPointsStrip(97, 37, CounterShown[0]);
    DrawPointsStrip(115, 37, CounterShown[1]);
    DrawPointsStrip(133, 37, CounterShown[2]);
    DrawButtons5Cell(BackButtonBox.left, BackButtonBox.top, 1);
}

// With `kept` (the board's box still shows the tiles of the last call) only the cells whose
// tile changed are copied. A cell without a tile (an open empty cell drawn transparent) is
// never kept this way: the round screen then fills the board's box first.
void DrawBoard(int32_t width, int32_t height, bool kept) {
    width = ClampColumns(width);
    height = ClampRows(height);
    kept = kept && BoardPicture.columns == width && BoardPicture.rows == height;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t i = CellIndex(x, y);
            int32_t tile = TileForCell(Board.cover[i], Board.content[i]);
            if (kept && BoardPicture.tile[i] == tile) continue;
            BoardPicture.tile[i] = tile;
            if (tile != 0) DrawTileSetCell(BoardLeft + TileSize * x, BoardTop + TileSize * y, tile);
        }
    }
    BoardPicture.columns = width;
    BoardPicture.rows = height;
}

int32_t TrackFaceButton(int32_t faceCell) {
    const PixelBox& face = FaceButtonBox;
    int32_t inside = 0;
    do {
        inside = InFaceButton(MouseWindowX(), MouseWindowY()) ? 1 : 0;
        BeginDrawing(BackBufferOutput());
        DrawBevelBox(face.left, face.top, face.right, face.bottom, PanelRed, PanelGreen, PanelBlue,
                     inside);
        FillBox(face.left + 1, face.top + 1, face.right - face.left - 2, face.bottom - face.top - 2,
                MakeColour(PanelRed, PanelGreen, PanelBlue));
        EndDrawing();
        int32_t inset = FaceInset + inside;
        DrawSmileysCell(face.left + inset, face.top + inset, faceCell);
        PresentBackBuffer();
    } while (MouseButton(1) != 0);
    return QuitRequested() != 0 ? 0 : inside;
}

int32_t TrackBackButton() {
    int32_t inside = 0;
    do {
        inside = InBackButton(MouseWindowX(), MouseWindowY()) ? 1 : 0;
        DrawButtons5Cell(BackButtonBox.left, BackButtonBox.top, inside != 0 ? 2 : 1);
        PresentBackBuffer();
    } while (MouseButton(1) != 0);
    return QuitRequested() != 0 ? 0 : inside;
}

int32_t PointerToCell(int32_t x, int32_t y, int32_t* cx, int32_t* cy) {
    *cx = int32_t(FloorDivide<int64_t>(int64_t(x) - BoardLeft, TileSize));
    *cy = int32_t(FloorDivide<int64_t>(int64_t(y) - BoardTop, TileSize));
    return *cx >= 0 && *cx < RoundColumns() && *cy >= 0 && *cy < RoundRows() ? OnBoard : OffBoard;
}

void ReadClock() {
    // Unsigned difference: right also when the tick count wraps during the round.
    uint32_t elapsedMs = uint32_t(TickCountMs()) - uint32_t(StartTick);
    uint32_t hundredths = elapsedMs / 10;
    ElapsedSeconds = float(hundredths) / 100.0f;
}

void MakeTimeText() {
    // "%f" gives six decimals; keep two, cut rather than rounded (16.049999 shows 16.04).
    Text full = FloatToText(ElapsedSeconds);
    size_t point = full.find('.');
    TimeText = point == Text::npos ? full : full.substr(0, point + 3);
}

void SetCounterTarget() {
    // MinesLeft stays within 0 to 500 in a round; the cut only keeps three digits.
    int32_t value = std::clamp(MinesLeft, 0, 999);
    int32_t digits[3] = {value / 100, value / 10 % 10, value % 10};
    for (int32_t i = 0; i < 3; ++i)
        CounterTarget[i] = 27 * digits[i] + 27;
}

void StepCounter() {
    for (int32_t i = 0; i < 3; ++i) {
        if (CounterShown[i] == CounterTarget[i]) continue;
        CounterShown[i] += CounterShown[i] < CounterTarget[i] ? 9 : -9;
        KeepFrameMoving();
    }
}
