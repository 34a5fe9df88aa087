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
