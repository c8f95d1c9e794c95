// Helpers shared by the test programs: temporary program folders with the artwork.
#pragma once

#include <string>

// Makes a fresh empty folder under the system's temporary folder and returns it ("/" at end).
std::string MakeTempFolder(const std::string& tag);
// Makes a fresh program folder holding a copy of the built GFX folder, points the platform's
// program folder at it and returns it.
std::string MakeProgramFolder(const std::string& tag);
// The whole contents of a file ("" when missing).
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
