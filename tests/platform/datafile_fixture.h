// The fixture of the data-file tests: a fresh platform state, an empty portable program
// folder and a per-user folder inside it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform_state.h"
#include "test_support.h"

class DataFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        folder = MakeTempFolder("datafile");
        // The sheets' folder beside the program makes it a portable one, which keeps its
        // data files; the per-user folder, looked for through XDG_DATA_HOME and HOME, is
        // the test's own too (both are restored afterwards).
        std::filesystem::create_directories(folder + "GFX");
        Keep("XDG_DATA_HOME", savedDataHome);
        Keep("HOME", savedHome);
        setenv("XDG_DATA_HOME", (folder + "xdg").c_str(), 1);
        setenv("HOME", (folder + "home").c_str(), 1);
        SetProgramFolder(folder);
    }
    void TearDown() override {
        ResetPlatformState();
        SetProgramFolder("");
        Restore("XDG_DATA_HOME", savedDataHome);
        Restore("HOME", savedHome);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    // Names of the files in the folder (temporary files of a commit included), without the
    // GFX folder.
    std::vector<std::string> FolderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename() != "GFX") names.push_back(entry.path().filename().string());
        return names;
    }
    static void Keep(const char* name, std::optional<std::string>& saved) {
        const char* value = std::getenv(name);
        if (value != nullptr) saved = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& saved) {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }
    std::string folder;
    std::optional<std::string> savedDataHome, savedHome;
};
