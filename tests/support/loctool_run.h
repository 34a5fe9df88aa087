// loctool_run.h - loctool run as the program by the tests of its commands: a scratch
// folder per test, and the exit code, standard output and standard error of a run.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/loc_files.h"

namespace loctoolrun {

namespace fs = std::filesystem;

inline const std::string kLoctool = QK_BINARY_DIR "/tools/loctool/loctool";

struct Outcome {
    int code = -1;
    std::string out, err;
};

// A shell command, its output caught in files of `dir`.
inline Outcome Shell(const std::string& command, const fs::path& dir) {
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    const int status = std::system((command + " >\"" + out.string() + "\" 2>\"" + err.string() + "\"").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, locfixture::ReadFile(out), locfixture::ReadFile(err)};
}

inline std::string Q(const fs::path& path) { return "\"" + path.string() + "\""; }

class LoctoolTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kLoctool)) << kLoctool << " is not built";
        dir_ = fs::temp_directory_path() /
               ("qk_" + std::string(testing::UnitTest::GetInstance()->current_test_suite()->name()) + "_" +
                std::to_string(getpid()) + "_" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    Outcome Loctool(const std::string& args) const { return Shell(Q(kLoctool) + " " + args, dir_); }

    fs::path dir_;
};

}  // namespace loctoolrun
