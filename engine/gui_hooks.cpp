// gui_hooks.cpp - the table through which the engine calls the GUI, and the one it
// uses while no GUI is installed.
#include "engine/gui_hooks.h"

#include "engine/engine.h"
#include "platform/platform.h"

namespace {

void Nothing() {}
void NoKey(uint8_t) {}
void NoCharacter(uint16_t) {}
void NoMouseMove(float, float) {}
void NoUpdate(float) {}

int16_t PlatformMessageBox(const char* text, const char* title, const char*) {
    PlatMessageBox(text, title, true);
    return 0;
}

constexpr GuiHooks kNoGui = {
    Nothing, Nothing, NoKey, NoKey, NoCharacter, NoKey, NoMouseMove, Nothing, NoUpdate, Nothing, PlatformMessageBox,
};

}  // namespace

void SetGuiHooks(const GuiHooks* hooks) { g_engine.gui = hooks; }

const GuiHooks& Gui() { return g_engine.gui ? *g_engine.gui : kNoGui; }
