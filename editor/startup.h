// startup.h - the editor's start: the program's folder (less a build-output folder)
// becomes the working directory, so every data path is relative to it.
#pragma once

#include <string>

// The folder of `programPath` with the build-folder suffixes "<sep>Debug", "<sep>debug",
// "<sep>Release", "<sep>release", "<sep>Project", "<sep>project" stripped, each tested
// once and in that order.
std::string ProgramWorkingFolder(const std::string& programPath, char separator);
// Makes ProgramWorkingFolder of the running program the current directory.
void EnterProgramFolder();
