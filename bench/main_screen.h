// main_screen.h - for the benchmarks that measure the editor on its real main screen: the
// engine on the scripted backend with a real GL context, started in a project folder the
// benchmark has written, and the main screen built there.
#pragma once

#include <filesystem>

#include "editor/editor.h"
#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace benchsupport {

inline void StartMainScreen(const std::filesystem::path& project) {
    std::filesystem::current_path(project);
    PlatSetPresentPacing(false);
    InstallGui();
    InitEngine("bench");
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    InitGL();
    SetFont(LoadFont(QK_FONT_PATH));
    BuildMainScreen();
    Begin2D();
}

}  // namespace benchsupport
