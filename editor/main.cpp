// main.cpp - the editor's entry point: answer --help and --version, work in the
// program's folder (or in the project folder, or the project of the .loc file, given as
// the one argument, or in the user's copy of an installed sample), run the editor, shut
// the engine down.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "editor/desk.h"
#include "editor/desk_open.h"
#include "editor/editor.h"
#include "editor/startup.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "platform/platform.h"

int main() {
    // UTF-8 throughout: the folder names the font fallback, the argument a project
    // folder that may hold any letters (main's argv on Windows would lose them).
    const std::vector<std::string> args = PlatCommandLine();
    // --help and --version answer before anything is opened or entered.
    if (const int code = AnswerCommandLineOption(args); code >= 0) return code;
    // A project folder named on the command line is relative to where it was typed.
    std::error_code noStartFolder;
    const std::filesystem::path startFolder = std::filesystem::current_path(noStartFolder);
    EnterProgramFolder();
    const std::string programFolder = PlatPathString(std::filesystem::current_path());
    // An installed program keeps its font and sample project under share/.
    const std::string installedFolder = InstalledDataFolder(PlatModuleFileName(), PlatPathSeparator());
    std::string sampleError;
    if (args.size() < 2 && !EnterUserSampleProject(programFolder, installedFolder, PlatUserDataFolder, &sampleError)) {
        PlatMessageBox(sampleError.c_str(), "VRD3 Localization Kit", true);
        return 1;
    }
    if (args.size() == 2) {
        // A translator's own project: its Texts, Descriptions and zazovi.cfg are used;
        // the font comes from the project when it has one, else from the program.
        // A .loc file inside a project opens that project at its language and file.
        std::string message;
        OpenRequest open;
        if (!ResolveOpenArgument(startFolder, args[1], &open, &message) ||
            !EnterProjectFolder(startFolder, open.project, &message)) {
            PlatMessageBox(message.c_str(), "VRD3 Localization Kit", true);
            return 1;
        }
        g_desk.openLanguage = open.language;
        g_desk.openFile = open.file;
    }
    const int code = RunEditor(FontFallbackFolder(programFolder, installedFolder));
    ShutdownEngine();
    return code;
}
