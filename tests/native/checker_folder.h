// brisklet-check's command line run on files written into a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/brisklet_check/cli.h"

class CheckerFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        FFolder = std::filesystem::temp_directory_path() /
                  ("brisklet-check-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(FFolder);
        std::filesystem::create_directories(FFolder);
    }
    void TearDown() override { std::filesystem::remove_all(FFolder); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = FFolder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.u8string();
    }
    // files: the file steps, nullptr for the system's.
    int Run(std::vector<std::string> args, TFileOps* files = nullptr) {
        FOut.clear();
        FErr.clear();
        TCheckSetup setup;
        setup.Files = files;
        return RunCheck(args, setup, FOut, FErr);
    }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(FFolder)) {
            names.push_back(item.path().filename().u8string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path FFolder;
    std::string FOut;
    std::string FErr;
};
