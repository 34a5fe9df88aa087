// main.cpp - the editor's entry point: enter the program's folder, run the editor,
// shut the engine down.
#include "editor/startup.h"
#include "engine/engine.h"
#include "platform/platform.h"

namespace {

void RunEditor() {
    PlatShowCursor(false);
    InitEngine("VRD3 Localization Kit (Editor's Edition)");
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    InitGL();
    Begin2D();
    RunEngine();
}

}  // namespace

int main() {
    EnterProgramFolder();
    RunEditor();
    ShutdownEngine();
    return 0;
}
