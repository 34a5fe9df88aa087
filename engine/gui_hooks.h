// gui_hooks.h - how the engine reaches the GUI, which sits above it: a table of entry
// points that the GUI installs at start-up (InstallGui in gui/gui.h), the way a
// platform backend is handed the window procedure. The engine never names a GUI
// function, so it links and runs without one: until a table is installed, input and
// frames reach nothing and an engine error shows in the platform's message box.
#pragma once

#include <cstdint>

struct GuiHooks {
    void (*init)();      // at the end of InitEngine
    void (*shutdown)();  // in ShutdownEngine, after the window is gone
    void (*keyDown)(uint8_t code);
    void (*keyUp)(uint8_t code);
    void (*character)(uint16_t character);
    void (*doubleClick)(uint8_t code);
    void (*mouseMove)(float dx, float dy);
    void (*draw)();
    void (*update)(float dt);
    void (*resetPointer)();  // pointer kind back to the arrow at the start of a frame
    // The modal message box (engine errors are shown in it): the index of the button
    // pressed, -1 when none was.
    int16_t (*messageBox)(const char* text, const char* title, const char* buttons);
};

// Installs the table, every entry set (null: back to none). The engine keeps the
// pointer, so the table must live as long as the program.
void SetGuiHooks(const GuiHooks* hooks);
// The installed table, or the engine's own when none is: entries that do nothing, and
// the platform's message box.
const GuiHooks& Gui();
