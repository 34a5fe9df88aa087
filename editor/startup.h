// startup.h - the editor's start: the program's folder (less a build-output folder)
// becomes the working directory, so every data path is relative to it; an installed
// program finds its font and sample project under share/; --help and --version.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
// ---- the installed program (bin/ beside share/zazovi/) ----

// The folder an installed program keeps its font and sample project in:
// "<prefix>/share/zazovi" for a program at "<prefix>/bin/zazovi".
std::string InstalledDataFolder(const std::string& programPath, char separator);
// Where the font is looked for when the project has none: the program's folder when it
// holds the font, else the installed data folder when that does, else the program's.
std::string FontFallbackFolder(const std::string& programFolder, const std::string& installedFolder);
// With no project given and none in the program's folder (an installed program), the
// user's own copy of the installed sample project becomes the working directory; it is
// copied from `installedFolder` into the folder `userFolder` names the first time
// (asked only then: asking may create it). The installed files are never written.
// False, with `error` set, when that is needed and fails; true and nothing done when
// the program's folder holds a project or nothing is installed.
bool EnterUserSampleProject(const std::string& programFolder, const std::string& installedFolder,
                            const std::function<std::string()>& userFolder, std::string* error);
// The project folder (the user's copy of the sample) that EnterUserSampleProject uses.
std::string UserSampleProjectFolder(const std::string& userFolder);

// ---- --help and --version ----

// The answer to an option given instead of a project folder: --version, --help (-h),
// or an unknown option. Prints it and returns the exit code (0, or 2 for an unknown
// option); returns -1, printing nothing, when the arguments name a project or nothing.
int AnswerCommandLineOption(const std::vector<std::string>& args);
