// gui_stub.cpp - empty GUI entry points, so the engine links and runs before the
// GUI framework exists. The framework replaces this file.
#include "engine/gui_hooks.h"

void InitGui() {}
void ShutdownGui() {}
void GuiKeyDown(uint8_t) {}
void GuiKeyUp(uint8_t) {}
void GuiChar(uint16_t) {}
void GuiDoubleClick(uint8_t) {}
void GuiMouseMove(float, float) {}
void GuiDraw() {}
void GuiUpdate(float) {}
void GuiResetPointer() {}
