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
// Sets an environment variable for this process (value null: removes it), as the system's
// own calls (getenv, GetEnvironmentVariable) then see it.
void SetEnvironment(const char* name, const char* value);

// Points the per-user folder of the game (XDG_DATA_HOME and HOME, LOCALAPPDATA on Windows)
// into the folder for as long as it lives, and gives the caller's values back afterwards.
class PrivateUserFolder {
  public:
    explicit PrivateUserFolder(const std::string& folder);
    ~PrivateUserFolder();
    PrivateUserFolder(const PrivateUserFolder&) = delete;
    PrivateUserFolder& operator=(const PrivateUserFolder&) = delete;

  private:
    struct Saved {
        const char* name;
        bool had;
        std::string value;
    };
    Saved saved[3];
};
