// startup.cpp - the editor's working directory: the program's own folder, with a
// trailing build-output folder stripped so a freshly built program finds its data.
#include "editor/startup.h"

#include <filesystem>
#include <system_error>

#include "editor/text_store.h"
#include "platform/platform.h"

std::string ProgramWorkingFolder(const std::string& programPath, char separator) {
    std::string path = programPath.substr(0, 512);
    const size_t cut = path.rfind(separator);
    if (cut != std::string::npos) path.erase(cut);
    for (const char* suffix : {"Debug", "debug", "Release", "release", "Project", "project"}) {
        const std::string tail = std::string(1, separator) + suffix;
        if (path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0)
            path.erase(path.size() - tail.size());
    }
    return path;
}

void EnterProgramFolder() {
    const std::string folder = ProgramWorkingFolder(PlatModuleFileName(), PlatPathSeparator());
    std::error_code ignored;  // a failed change leaves the directory the program was started in
    if (!folder.empty()) std::filesystem::current_path(HostFsPath(folder), ignored);
}

bool EnterProjectFolder(const std::filesystem::path& startFolder, const std::string& argument, std::string* message) {
    const std::filesystem::path named = HostFsPath(argument);
    std::error_code error;
    if (named.is_relative() && startFolder.empty()) {
        *message = "Cannot open the project folder " + argument +
                   ": the folder it is relative to (where the program was started) is unknown.";
        return false;
    }
    // An absolute name replaces startFolder whole; on Windows "\proj" keeps its drive.
    const std::filesystem::path folder = startFolder / named;
    std::filesystem::current_path(folder, error);
    if (error) {
        *message = "Cannot open the project folder " + HostPathString(folder) + ": " + error.message();
        return false;
    }
    return true;
}
