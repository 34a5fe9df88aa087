// gui_hooks.h - the GUI entry points the engine calls. The engine sits below the GUI,
// so it knows them only by these declarations; the GUI framework defines them.
#pragma once

#include <cstdint>

void InitGui();
void ShutdownGui();
void GuiKeyDown(uint8_t code);
void GuiKeyUp(uint8_t code);
void GuiChar(uint16_t character);
void GuiDoubleClick(uint8_t code);
void GuiMouseMove(float dx, float dy);
void GuiDraw();
void GuiUpdate(float dt);
void GuiResetPointer();  // pointer kind back to the arrow at the start of a frame
// The GUI's modal message box (engine errors are shown in it).
int16_t MsgBox(const char* text, const char* title, const char* buttons);
