// gui_internal.h - what the GUI's own units share and controls do not need.
#pragma once

// Fills the pointer kinds the GUI draws itself (arrow, I-beam, double bar).
void RegisterGuiPointerShapes();
