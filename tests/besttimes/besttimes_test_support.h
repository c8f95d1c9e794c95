// Helpers of the best-time tests: "TopList" images, a fresh program folder, screen set-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "besttimes.h"

// One entry as the file holds it: name and time filled with spaces to 20 and 8 bytes.
std::string EntryField(const std::string& name, const std::string& time);
// A whole 1,124-byte "TopList": marker, every entry a default, byte 0 zero.
std::string DefaultTopListImage();
// The image with the ten entries of one difficulty replaced (names and times, place order).
std::string WithBlock(std::string image, int32_t difficulty,
                      const std::vector<std::pair<std::string, std::string>>& entries);
// The ten times of a block given as times only, names "p1" to "p10".
std::vector<std::pair<std::string, std::string>> TimesBlock(const std::vector<std::string>& times);

// Fresh state of every layer and a program folder (with the artwork) for the data files;
// returns the path of its "TopList".
std::string FreshTopListFolder(const std::string& tag);
// As FreshTopListFolder, then opens the window as start-up does and loads the fonts.
std::string StartUpForTopList(const std::string& tag);

// Scan codes used by the tests (set-1, extended keys + 0x80).
constexpr int32_t KeyA = 0x1E;
constexpr int32_t KeyB = 0x30;
constexpr int32_t KeyShift = 0x2A;
constexpr int32_t KeyEnter = 0x1C;
constexpr int32_t KeyBack = 0x0E;
constexpr int32_t KeyAe = 0x28; // the key labelled with a-umlaut
constexpr int32_t KeySpace = 0x39;
