// The working folder derived from the program's path.
#include <gtest/gtest.h>

#include "editor/startup.h"

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
