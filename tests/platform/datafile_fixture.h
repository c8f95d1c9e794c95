// The fixture of the data-file tests: a fresh platform state, an empty portable program
// folder and a per-user folder inside it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
        // data files; the per-user folder is the test's own too.
        std::filesystem::create_directories(folder + "GFX");
        userFolder.emplace(folder);
        SetProgramFolder(folder);
    }
    void TearDown() override {
        ResetPlatformState();
        SetProgramFolder("");
        userFolder.reset();
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
    std::string folder;
    std::optional<PrivateUserFolder> userFolder;
};
