// error.cpp - engine errors shown to the user in the GUI's message box (the platform's without a GUI).
#include <cstdio>

#include "engine/format.h"
#include "engine/gui_hooks.h"

void EngineError(const char* message, const char* context) {
    // The title buffer holds 104 bytes; snprintf cuts a longer context safely.
    char title[104];
    if (context)
        std::snprintf(title, sizeof title, "Error( %s )", context);
    else
        std::snprintf(title, sizeof title, "Error");
    Gui().messageBox(message ? message : "", title, "Ok");
}
