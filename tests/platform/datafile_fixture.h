// The fixture of the data-file tests: a fresh platform state and an empty program folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform_state.h"
#include "test_support.h"

class DataFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        folder = MakeTempFolder("datafile");
        SetProgramFolder(folder);
    }
    void TearDown() override {
        ResetPlatformState();
        SetProgramFolder("");
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    // Names of the files in the folder (temporary files of a commit included).
    std::vector<std::string> FolderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
    std::string folder;
};
