// sdl_resources.cpp - what the desktop and test backends share beyond the window:
// resources compiled into the program (made by tools/resgen), found by type and id as
// the Windows resource calls find them.
#include <cstring>

#include "platform/platform.h"
#include "platform/resources.h"

const uint8_t* PlatLoadResource(const char* type, int id, size_t* size) {
    if (type && std::strcmp(type, "NAM") == 0 && id == 102) {
        if (size) *size = sizeof(kResourceKeyNames);
        return kResourceKeyNames;
    }
    if (size) *size = 0;
    return nullptr;
}
