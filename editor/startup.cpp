// startup.cpp - the editor's start: its working directory (the program's own folder,
// with a trailing build-output folder stripped so a freshly built program finds its
// data), the installed program's font and sample project, --help and --version.
#include "editor/startup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "editor/editor.h"
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
    if (!folder.empty()) std::filesystem::current_path(PlatFsPath(folder), ignored);
}

bool EnterProjectFolder(const std::filesystem::path& startFolder, const std::string& argument, std::string* message) {
    const std::filesystem::path named = PlatFsPath(argument);
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
        *message = "Cannot open the project folder " + PlatPathString(folder) + ": " + error.message();
        return false;
    }
    return true;
}

// ---- the installed program ----

namespace {

constexpr const char* kSampleFolderName = "Sample project";

bool HasFile(const std::string& folder, const char* name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(PlatFsPath(folder) / name, ec);
}

bool HasFolder(const std::string& folder, const char* name) {
    std::error_code ec;
    return std::filesystem::is_directory(PlatFsPath(folder) / name, ec);
}

}  // namespace

std::string InstalledDataFolder(const std::string& programPath, char separator) {
    const size_t bin = programPath.rfind(separator);
    if (bin == std::string::npos || bin == 0) return {};
    const size_t prefix = programPath.rfind(separator, bin - 1);
    if (prefix == std::string::npos) return {};
    return programPath.substr(0, prefix) + separator + "share" + separator + "zazovi";
}

std::string FontFallbackFolder(const std::string& programFolder, const std::string& installedFolder) {
    if (!HasFile(programFolder, kFontFile) && !installedFolder.empty() && HasFile(installedFolder, kFontFile))
        return installedFolder;
    return programFolder;
}

std::string UserSampleProjectFolder(const std::string& userFolder) {
    return PlatPathString(PlatFsPath(userFolder) / kSampleFolderName);
}

bool EnterUserSampleProject(const std::string& programFolder, const std::string& installedFolder,
                            const std::function<std::string()>& userFolderOf, std::string* error) {
    namespace fs = std::filesystem;
    if (HasFolder(programFolder, "Texts") || installedFolder.empty()) return true;
    const std::string installedSample = PlatPathString(PlatFsPath(installedFolder) / "sample");
    if (!HasFolder(installedSample, "Texts")) return true;
    const std::string userFolder = userFolderOf();
    if (userFolder.empty()) {
        *error =
            "There is no folder of your own to copy the sample project into. "
            "Start the editor with your project folder as its argument.";
        return false;
    }
    const fs::path project = PlatFsPath(UserSampleProjectFolder(userFolder));
    std::error_code ec;
    if (!fs::is_directory(project / "Texts", ec)) {
        // Copied beside its final name and renamed, so an interrupted copy is never
        // mistaken for the user's project at the next start.
        fs::path partial = project;
        partial += ".partial";
        fs::remove_all(partial, ec);
        fs::create_directories(partial, ec);
        for (const char* part : {"Texts", "Descriptions"}) {
            if (!ec) fs::copy(PlatFsPath(installedSample) / part, partial / part, fs::copy_options::recursive, ec);
        }
        // The installed files may be read-only; the user's copy must be writable.
        for (auto it = fs::recursive_directory_iterator(partial, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        if (!ec) fs::rename(partial, project, ec);
        if (ec) {
            *error = "Cannot copy the sample project into " + PlatPathString(project) + ": " + ec.message();
            fs::remove_all(partial, ec);
            return false;
        }
    }
    fs::current_path(project, ec);
    if (ec) {
        *error = "Cannot open the project folder " + PlatPathString(project) + ": " + ec.message();
        return false;
    }
    return true;
}

// ---- --help and --version ----

int AnswerCommandLineOption(const std::vector<std::string>& args) {
    if (args.size() < 2 || args[1].empty() || args[1][0] != '-') return -1;
    const std::string& option = args[1];
    PlatAttachParentConsole();
    const std::string version = std::string("zazovi ") + QK_VERSION + "\n";
    const std::string usage =
        "usage: zazovi [PROJECT_FOLDER]\n"
        "       zazovi PROJECT_FOLDER/Texts/LANGUAGE/FILE.loc\n"
        "       zazovi --help | --version\n"
        "\n"
        "Edits the localized texts of a game. PROJECT_FOLDER holds Texts/<language>/*.loc and\n"
        "Descriptions/*.desc; the editor works in it (its backup in \"Texts Backup\", its last\n"
        "position in zazovi.cfg). Without one it works in the program's own folder, or, when\n"
        "installed, in your own copy of the sample project. Given a .loc file of a project, it\n"
        "opens that project at that language and file.\n";
    if (option == "--version") {
        std::fputs(version.c_str(), stdout);
        return 0;
    }
    if (option == "--help" || option == "-h") {
        std::fputs((version + usage).c_str(), stdout);
        return 0;
    }
    std::fputs(("zazovi: unknown option " + option + "\n" + usage).c_str(), stderr);
    return 2;
}
