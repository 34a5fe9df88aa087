// main.cpp - the editor's entry point: work in the program's folder (or in the project
// folder given as the one argument), run the editor, shut the engine down.
#include <filesystem>
#include <system_error>

#include "editor/editor.h"
#include "editor/startup.h"
#include "engine/engine.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    EnterProgramFolder();
    const std::string programFolder = std::filesystem::current_path().string();
    if (argc == 2) {
        // A translator's own project: its Texts, Descriptions and zazovi.cfg are used;
        // the font comes from the project when it has one, else from the program.
        std::error_code error;
        std::filesystem::current_path(argv[1], error);
        if (error) {
            PlatMessageBox(("Cannot open the project folder " + std::string(argv[1]) + ": " + error.message()).c_str(),
                           "VRD3 Localization Kit", true);
            return 1;
        }
    }
    const int code = RunEditor(programFolder);
    ShutdownEngine();
    return code;
}
