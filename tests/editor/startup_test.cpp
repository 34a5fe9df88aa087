// The working folder derived from the program's path, and the project folder from
// the command line.
#include "editor/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

TEST(ProgramWorkingFolder, StripsBuildFoldersInTheirOrder) {
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Release\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Project\\Debug\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Project\\Release\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Debug\\Project\\editor.exe", '\\'), "C:\\Tools\\Debug");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Release\\Project\\editor.exe", '\\'), "C:\\Tools\\Release");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\RELEASE\\editor.exe", '\\'), "C:\\Tools\\RELEASE");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\MyRelease\\editor.exe", '\\'), "C:\\Tools\\MyRelease");
    EXPECT_EQ(ProgramWorkingFolder("/home/t/kit/debug/zazovi", '/'), "/home/t/kit");
    EXPECT_EQ(ProgramWorkingFolder("/home/t/kit/zazovi", '/'), "/home/t/kit");
}

// A project folder named on the command line, after the program has already moved
// into its own folder: relative names belong to the folder the program started in.
TEST(EnterProjectFolder, RelativeNamesAreTakenFromTheStartFolder) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    const fs::path root = fs::temp_directory_path() / ("qk_project_arg_" + std::to_string(::getpid()));
    const fs::path start = root / "typed here", program = root / "program";
    fs::remove_all(root);
    for (const fs::path& p : {start / "proj", program / "proj"}) fs::create_directories(p);
    struct Row {
        std::string argument;
        fs::path expected;
    };
    const Row rows[] = {
        {"proj", start / "proj"},
        {(fs::path("..") / "typed here" / "proj").string(), start / "proj"},
        {(program / "proj").string(), program / "proj"},  // absolute names stay as they are
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.argument);
        fs::current_path(program);  // where EnterProgramFolder leaves the program
        std::string message;
        ASSERT_TRUE(EnterProjectFolder(start, row.argument, &message)) << message;
        EXPECT_TRUE(fs::equivalent(fs::current_path(), row.expected));
    }

    // A missing folder is named in full, so the user sees where it was looked for.
    fs::current_path(program);
    std::string message;
    EXPECT_FALSE(EnterProjectFolder(start, "missing", &message));
    EXPECT_NE(message.find((start / "missing").string()), std::string::npos) << message;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), program));
    EXPECT_FALSE(EnterProjectFolder({}, "proj", &message));  // nothing to be relative to

    fs::current_path(old);
    fs::remove_all(root);
}
