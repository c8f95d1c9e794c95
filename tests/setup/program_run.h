// Helpers of the set-up tests: whole-program runs on the scripted machine, Prefs records.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// Fake clock at which every run starts (also the random seed the program takes).
constexpr uint32_t RunStartMs = 5000;

// Desktop positions of the settings screen's controls while the window is at (0, 0).
constexpr int32_t SliderRowY[3] = {77, 102, 127}; // width, height, mines bars
constexpr int32_t MinusX = 324, PlusX = 344;      // step buttons, rows as the sliders
constexpr int32_t PresetX[4] = {60, 145, 230, 315};
constexpr int32_t PresetY = 190;
constexpr int32_t StartX = 327, StartY = 234;
constexpr int32_t CheckBoxX = 28;
constexpr int32_t CheckBoxY[4] = {228, 248, 268, 288};

// A fresh scripted machine (clock at RunStartMs) and a fresh program folder with the
// artwork; returns the folder. The caller then writes the script and calls RunTessaroc.
std::string FreshMachine(const std::string& tag);

// FreshMachine with this Prefs file in the folder; returns the folder.
std::string FreshMachineWithPrefs(const std::string& tag, const std::string& prefs);

// Whether the program shows the game screen of a round whose mines are placed.
bool OnGameScreen();

// The nth cell (from 1) of the board, columns outer, whose content passes the test;
// (-1, -1) when there is none.
std::pair<int32_t, int32_t> NthCell(bool (*test)(int32_t content), int32_t nth = 1);
// Desktop point inside board cell (cx, cy), the window's corner as it stands at the call.
int32_t CellX(int32_t cx);
int32_t CellY(int32_t cy);

// Clicks every cell of the board without a mine, columns outer, the first at atMs and each
// 50 ms after the last; returns the time after the last click.
uint32_t WinRound(uint32_t atMs);

// Tests of a cell's content for NthCell.
bool Empty(int32_t content);
bool Counted(int32_t content);
bool HoldsMine(int32_t content);

// The 40 bytes of a Prefs file the program writes: 0x00, "xst", then the nine integers.
std::string PrefsRecord(int32_t star, int32_t empty, int32_t animation, int32_t gradient,
                        int32_t width, int32_t height, int32_t mines, int32_t x, int32_t y);

// The Prefs file of the program folder ("" when missing).
std::string PrefsOf(const std::string& folder);

// Runs fn after every frame the program presents (replaces the previous hook).
void EachPresent(std::function<void()> fn);

// Colour of a pixel as last shown, as three components.
struct Rgb {
    int32_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};
Rgb ShownRgb(int32_t x, int32_t y);

// Whether the shown 16 x 16 check box at (20, top) is cell `cell` of the check-box sheet.
bool CheckBoxShows(int32_t top, int32_t cell);
