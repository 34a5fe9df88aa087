// scratch_folder.h - a fresh empty folder for each test, named after its suite and made
// the working directory while the test runs, since the program's paths are relative to it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

class ScratchFolder : public testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("qk_" + std::string(testing::UnitTest::GetInstance()->current_test_suite()->name()) + "_" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path old_, dir_;
};
