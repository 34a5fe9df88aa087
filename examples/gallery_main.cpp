// gallery_main.cpp - the gallery program: starts the engine in an 800 x 600 window,
// loads the font that the build writes beside the program, shows the gallery's sheets
// and runs until Escape or the window is closed.
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "examples/gallery_screen.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

constexpr char kFontFile[] = "zazovi_font.dsf";

// The font next to the program, wherever it was started from; the working directory
// stays where the user is, so screenshots (Ctrl+Alt+S) land there.
Font* LoadGalleryFont() {
    const std::filesystem::path beside = std::filesystem::path(PlatModuleFileName()).parent_path() / kFontFile;
    if (Font* font = LoadFont(beside.string().c_str())) return font;
    return LoadFont(kFontFile);
}

}  // namespace

int main() {
    // The GUI draws its own pointer.
    PlatShowCursor(false);
    InstallGui();
    InitEngine("Quarnel GUI gallery");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Font* font = LoadGalleryFont();
    if (!font) {
        PlatMessageBox("zazovi_font.dsf was not found beside the gallery program; build the project first.",
                       "Quarnel GUI gallery", true);
        ShutdownEngine();
        return 1;
    }
    SetFont(font);
    BuildGallery();
    Begin2D();
    RunEngine();
    FreeGallery();
    ShutdownEngine();
    return 0;
}
