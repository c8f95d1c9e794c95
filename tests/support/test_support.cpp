// Helpers shared by the test programs: temporary program folders with the artwork.
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform.h"

namespace fs = std::filesystem;

std::string MakeTempFolder(const std::string& tag) {
    static int counter = 0;
    fs::path dir = fs::temp_directory_path() / ("tessaroc-" + tag + "-" + std::to_string(getpid()) +
                                                "-" + std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

std::string MakeProgramFolder(const std::string& tag) {
    std::string dir = MakeTempFolder(tag);
    fs::copy(fs::path(TESSAROC_BINARY_DIR) / "GFX", fs::path(dir) / "GFX",
             fs::copy_options::recursive);
    SetProgramFolder(dir);
    return dir;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

PrivateUserFolder::PrivateUserFolder(const std::string& folder)
    : saved{{"XDG_DATA_HOME", false, ""}, {"HOME", false, ""}, {"LOCALAPPDATA", false, ""}} {
    for (Saved& variable : saved) {
        const char* value = std::getenv(variable.name);
        variable.had = value != nullptr;
        if (value != nullptr) variable.value = value;
    }
    SetEnvironment("XDG_DATA_HOME", (folder + "xdg").c_str());
    SetEnvironment("HOME", (folder + "home").c_str());
    SetEnvironment("LOCALAPPDATA", (folder + "localappdata").c_str());
}

PrivateUserFolder::~PrivateUserFolder() {
    for (const Saved& variable : saved)
        SetEnvironment(variable.name, variable.had ? variable.value.c_str() : nullptr);
}
