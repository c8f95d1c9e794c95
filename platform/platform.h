// The platform interface: every service the game takes from the machine, and the one
// platform header the layers above include.
//
// A window backend provides the window-system half (window, present, events, cursor,
// keyboard, clock): SDL2 on Linux (platform/window/sdl), Win32 on Windows
// (platform/window/win32), the browser's page (platform/window/web), a scripted one for
// tests (platform/window/script); backend.h is its contract with the core. Drawing, text,
// sprites, data files, text values and random numbers are shared by every backend
// (platform/core, with the system's file and text services of platform/os), so every
// backend draws the same pixels.
//
// All integers are signed 32-bit as the game uses them; texts are Windows-1252
// bytes held in std::string.
#pragma once

#include <cstdint>
#include <string>

#include "whole_numbers.h" // FloorDivide, ClampToInt32

using Text = std::string;

// ---------------------------------------------------------------- window and screen (backend)

// Window styles of CreateMainWindow.
constexpr int32_t StyleCentreDesktop = 1;            // centre on the desktop
constexpr int32_t StyleCentreActive = 2;             // centre on the active window (else desktop)
constexpr int32_t StyleInvisible = 0x10000000;       // create hidden
constexpr int32_t StylePopup = int32_t(0x80000000u); // borderless: corner is the client origin

// Event kinds returned by PollWindowEvent; the mouse kinds carry the held-button mask.
constexpr int32_t EventClose = 16;
constexpr int32_t EventMouseMove = 0x200;
constexpr int32_t EventLeftDown = 0x201;
constexpr int32_t EventLeftUp = 0x202;
constexpr int32_t EventRightDown = 0x204;
constexpr int32_t EventRightUp = 0x205;
constexpr int32_t EventMiddleDown = 0x207;
constexpr int32_t EventMiddleUp = 0x208;
constexpr int32_t EventMouseFirst = EventMouseMove; // mouse kinds: EventMouseFirst..EventMouseLast
constexpr int32_t EventMouseLast = EventMiddleUp;

// Bits of the held-button mask (LastEventParam of a mouse event).
constexpr int32_t MaskLeft = 1;
constexpr int32_t MaskRight = 2;
constexpr int32_t MaskShift = 4;
constexpr int32_t MaskControl = 8;
constexpr int32_t MaskMiddle = 16;

// Messages for SendWindowMessage.
constexpr int32_t MessageNcLeftDown = 161; // with HitCaption: the interactive move of the window
constexpr int32_t HitCaption = 2;

// Start-up, before OpenScreenSystem: the largest client area any screen will open (game
// pixels). The real window's automatic scale factor is then the largest, up to the one the
// desktop asks for, at which a window of that size fits the work area of the display the
// window is on.
void SetLargestWindowSize(int32_t width, int32_t height);
// Start-up: prepares the screen system and the sprite table; 0 on failure.
int32_t OpenScreenSystem();
// Creates the one window with a client area of width x height at (x, y), moved the least
// needed to lie inside the work area of its display (where it is too large for it, its
// top-left corner lies on the area's); 0 on failure.
int32_t CreateMainWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         int32_t style, const Text& title);
// Creates the back buffer (cleared to black) and sets the frame pacing; 0 on failure.
int32_t AttachBackBuffer(int32_t width, int32_t height);
// Sets the client size; the window keeps its position, except that a window that grows is
// moved, as CreateMainWindow places it, to lie inside the work area of its display.
void ResizeMainWindow(int32_t width, int32_t height);
// Shows the top-left client-sized part of the back buffer, then paces to about 61 frames/s.
// A still frame (nothing called KeepFrameMoving while it was drawn, no input came during it
// and it showed nothing new) is shown and then waits, asleep, until the player acts (an event
// of the window system, a key) or the time given to WakeAfterMs has passed.
void PresentBackBuffer();
// Called while a frame is drawn by whatever changes on its own from frame to frame (the title
// bar's colours, the stars, a running clock, a rolling counter, a slide, a value that drops
// every frame): the present of this frame paces to the next one instead of waiting.
void KeepFrameMoving();
// Called while a frame is drawn by what changes at a given time without the player (the key
// repeat of a held key): a still frame's present waits at most ms milliseconds.
void WakeAfterMs(int32_t ms);
// Removes at most one pending event; returns its kind, or 0 when none is pending.
int32_t PollWindowEvent();
// First parameter of the last removed event (the held-button mask for mouse events).
int32_t LastEventParam();
// TickCountMs when the last removed event happened (the window system reported it), which
// may lie well before it was removed; 0 before the first.
int32_t LastEventTick();
// The pointer's desktop position at the moment of the call.
void CursorScreenPosition(int32_t* x, int32_t* y);
// The desktop point the screens' hit tests judge, when it is not the pointer now: where the
// next queued press or release happened (a screen reads the point, then takes the event), or,
// with nothing queued, where the last taken press or release happened. So every click is
// judged where it was made, even when the pointer moved on before the game took it (a burst
// of clicks, a release held back by the quick-tap gate). False when the pointer now
// (CursorScreenPosition) is the one to use: only moves are queued, or the last taken event
// was a move.
bool JudgedPointerPoint(int32_t* x, int32_t* y);
// Sends a message to the window; MessageNcLeftDown/HitCaption moves the window with the
// pointer while the left button is held and returns when it goes up (release consumed).
void SendWindowMessage(int32_t window, int32_t message, int32_t param1, int32_t param2);
// The window's top-left corner on the desktop.
void WindowDesktopPosition(int32_t* left, int32_t* top);
// 0: desktop width, 1: desktop height.
int32_t DesktopMetric(int32_t index);
// Number of displays and the desktop rectangle of display i (0-based); 0 when i is invalid.
int32_t DisplayCount();
int32_t DisplayBounds(int32_t index, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
// End of the program: releases keyboard, sprites, back buffer, window and libraries.
void ClosePlatform();
// Nonzero once SIGINT or SIGTERM arrived (or a test script has run out): the program's
// loops end through the ordinary end of the program.
int32_t QuitRequested();
// Start-up: what to run when the window system's connection breaks for good (the display
// went away, another program destroyed the window), just before the program ends with a
// non-zero code, and when the session ends (Windows); null for nothing. Lets the program
// save its preferences and a name being typed, which an ordinary end would have kept.
void SetDisplayLostHandler(void (*handler)());
// Start-up: what to run each time the browser's tab is hidden (a hidden tab may be ended
// without a word, or come back and play on); null for nothing. Saves what can be saved
// without ending anything: the preferences.
void SetDisplayHiddenHandler(void (*handler)());

// ---------------------------------------------------------------- keyboard (backend)

int32_t OpenKeyboardDevice();
// Reads all 256 keys into the key table; 0 on failure (the table keeps its contents).
int32_t SnapshotKeyboard();
// Whether the key with this set-1 scan code (extended keys + 0x80) was down in the last
// snapshot; -1 asks whether any of the keys 0 to 254 was down.
int32_t KeyDown(int32_t scanCode);
// Whether the key went down since the snapshot before the last: down in the last snapshot,
// up in the one before (a key pressed again while it showed skips a snapshot to read so).
int32_t KeyPressed(int32_t scanCode);
// The name entry, each frame: on while it asks for a name, off once it has one. Meanwhile the
// system's text input may give characters (a phone's on-screen keyboard in the browser); on
// after off forgets characters typed before.
void WantTypedText(bool on);
// The name entry, each frame after the snapshot: the next character typed through the
// system's text input (one Windows-1252 byte, "\b" for Backspace, "\r" for Enter); empty
// when none waits. Keys of a physical keyboard come through KeyDown only.
Text TakeTypedCharacter();

// ---------------------------------------------------------------- clock and pauses (backend)

// Milliseconds since an arbitrary start, wrapping as an unsigned 32-bit count.
int32_t TickCountMs();
// Suspends the program for at least ms milliseconds; takes no events.
void SleepMs(int32_t ms);

// ---------------------------------------------------------------- random numbers (core)

void SeedRandom(int32_t seed);
// Uniform over 0..n inclusive (n >= 0).
int32_t RandomUpTo(int32_t n);

// ---------------------------------------------------------------- drawing (core)

constexpr int32_t TextModeTransparent = 1; // text drawn without background
constexpr int32_t TextModeInvert = 2;      // lines and boxes invert instead of painting
constexpr int32_t TextModeOutline = 4;     // boxes drawn as outlines

int32_t MakeColour(int32_t red, int32_t green, int32_t blue); // red + green*256 + blue*65536
int32_t BackBufferOutput();
int32_t BeginDrawing(int32_t target);
void EndDrawing();
void SetInkColour(int32_t red, int32_t green, int32_t blue);
void FillBox(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour);
void DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
void PlotPixel(int32_t x, int32_t y, int32_t colour);
void SetTextMode(int32_t flags);
void SetTextCursor(int32_t x, int32_t y);
void DrawTextAtCursor(const Text& text);
int32_t MeasureText(const Text& text);
void UseFontSlot(int32_t slot);
// Watches one box of the back buffer (x, y, width x height) for writes by any drawing
// operation or blit; WatchedBoxUntouched is 1 until one happens (or the buffer or a sprite
// sheet is replaced), so a screen may keep pictures it drew there instead of copying them
// again.
void WatchBackBufferBox(int32_t x, int32_t y, int32_t width, int32_t height);
int32_t WatchedBoxUntouched();

// The back buffer's width and height in pixels (0 x 0 before AttachBackBuffer).
void BackBufferSize(int32_t* width, int32_t* height);

// ---------------------------------------------------------------- fonts (core)

constexpr int32_t FontBold = 256;
constexpr int32_t FontItalic = 512;
constexpr int32_t FontUnderline = 4;
constexpr int32_t FontStrikeOut = 8;
constexpr int32_t FontHighQuality = 16;

// Makes a font of the face at size points (96 dpi); nonzero on success.
int32_t LoadFontSlot(int32_t slot, const Text& face, int32_t size, int32_t flags);

// ---------------------------------------------------------------- sprites (core)

int32_t LoadSpriteSheet(int32_t slot, const Text& fileName, int32_t mode);
void SetSpriteSource(int32_t slot, int32_t x, int32_t y, int32_t width, int32_t height);
void BlitSprite(int32_t slot, int32_t x, int32_t y);
// The frame toolkit, for the game screen's board each frame: whether the slot holds a loaded
// bitmap of at least width x height pixels, so that every cell of the sheet it draws is
// copied whole and opaque.
bool SpriteCovers(int32_t slot, int32_t width, int32_t height);
// Where "GFX\..." sheet names lead (beside the executable, else in the installed tree), as
// the first sheet load chose it, ending in '/'; for telling the player what is missing.
const std::string& SpriteSheetFolder();
// Whether that folder exists.
bool SpriteSheetFolderFound();

// ---------------------------------------------------------------- data files (core)

// Opens the file in the data folder for reading and writing, creating it empty; the newest
// open file is the one the operations below act on.
int32_t OpenDataFile(int32_t number, const Text& fileName);
// Locks the current file against other instances until it is closed and reads it again as
// it is on disk now, dropping this instance's writes; 0 when it can no longer be read.
int32_t ReloadDataFile();
void SeekDataFile(int32_t position);
int32_t ReadInt32();
int32_t ReadByte();
void WriteInt32(int32_t value);
void WriteText(const Text& text);
// Closes the file, saving what was written; 0 when a write could not be saved (the file
// keeps what it held, DataFileFailure says why), 1 otherwise.
int32_t CloseDataFile(int32_t number);
// Why the last save of a data file failed, as the system said it (UTF-8); "" before any did.
const std::string& DataFileFailure();
// Length in bytes of the current data file (0 when none is open).
int32_t DataFileLength();
// Before a marker is written over a current file that lacks it: keeps its old bytes in a new
// "<name>.damaged" copy beside it and says so on stderr; 0 when they cannot be kept (said),
// and the file must then be left alone.
int32_t KeepDamagedDataFile();

// The folder of the executable, ending in '/'; tests may point it elsewhere.
const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);
// Where the data files are saved: the program folder when it is a portable one (the sheets'
// GFX folder beside the executable) and writable, else a per-user folder; "" when neither
// can be written. A read-only file of a portable folder is still read (OpenDataFile).
const std::string& DataFolder();
// Whether the data files are kept in the browser's storage: the player's messages then name
// the browser, not DataFolder's path and DataFileFailure's words.
bool DataFilesInBrowser();

// ---------------------------------------------------------------- text values (core)

Text IntToText(int32_t value);
Text FloatToText(float value); // six decimals, as "%f", whatever the C locale
int32_t TextToInt(const Text& text);
float TextToFloat(const Text& text); // atof's reading, whatever the C locale
int32_t TextLength(const Text& text);
Text CharToText(int32_t byte); // a zero byte gives the empty text
Text SpaceText(int32_t count);
Text MidText(const Text& text, int32_t start, int32_t length); // start is 1-based
Text UpperText(const Text& text);
int32_t TextLess(const Text& a, const Text& b);
int32_t TextGreater(const Text& a, const Text& b);

// ---------------------------------------------------------------- telling the player (core)

// Called where something the player needs or owns is missing or cannot be kept: the game goes
// on without it (or, when nothing can be played, ends after this). Writes the title and text
// on stderr and shows the text in a message box titled "Tessaroc: <title>" on the game's
// display, returning when the player has closed it. Only the first call with a title in a run
// does anything, so each kind of trouble is told once per start. Windows-1252 texts.
void TellPlayer(const Text& title, const Text& text);
// For TellPlayer's texts: a text of the system (a path, a reason; UTF-8) in Windows-1252;
// characters the code page lacks travel along in their own encoding and reach stderr and the
// box as they are (not for the game's own text drawing). Line breaks stay; other control
// characters and broken UTF-8 become one '?' each.
Text SystemText(const std::string& utf8);
// main, for the command line's answer (UTF-8): printed on stdout, or on stderr when asked;
// a program with no such stream (on Windows, started from Explorer or by a file dropped on
// it) shows the answer in a message box titled "Tessaroc" and returns once it is closed.
void PrintAnswer(const std::string& text, bool toStandardError);
// For the command line's usage: the lines saying where the settings and best times go when
// the program's folder cannot be written, as the system's players name that folder.
std::string DataFolderUsage();

// ---------------------------------------------------------------- the whole core

// Start-up, and tests between cases: every record of the platform core back to its zero
// state (back buffer, drawing, sprites, fonts, data files dropped without commit, random
// generator, quit flag); the program folder stays, and so do the event queue and the key
// table, which live as long as the backend's input does.
void ResetPlatformState();
