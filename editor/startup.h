// startup.h - the editor's start: the program's folder (less a build-output folder)
// becomes the working directory, so every data path is relative to it.
#pragma once

#include <filesystem>
#include <string>

// The folder of `programPath` with the build-folder suffixes "<sep>Debug", "<sep>debug",
// "<sep>Release", "<sep>release", "<sep>Project", "<sep>project" stripped, each tested
// once and in that order.
std::string ProgramWorkingFolder(const std::string& programPath, char separator);
// Makes ProgramWorkingFolder of the running program the current directory.
void EnterProgramFolder();

// Makes the project folder named on the command line the current directory. A
// relative name is taken from `startFolder`, the directory the program was started
// in (before EnterProgramFolder left it), as whoever typed it meant. On failure
// returns false with the message to show, naming the folder that was tried.
bool EnterProjectFolder(const std::filesystem::path& startFolder, const std::string& argument, std::string* message);
