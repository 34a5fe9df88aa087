// win32_process.cpp - what the desktop and test Win32 backends share beyond the window:
// resources compiled into the program (the command line, the console, the process and
// machine names are platform/host.cpp's and platform/process.cpp's).
#include <cstdint>
#include <cstring>

#include "platform/win32/win32_internal.h"

// The key-name table is a real resource of the program (type "NAM", id 102),
// compiled from resources/ by the resource compiler.
const uint8_t* PlatLoadResource(const char* type, int id, size_t* size) {
    if (size) *size = 0;
    if (!type) return nullptr;
    HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!info) return nullptr;
    HGLOBAL handle = LoadResource(nullptr, info);
    if (!handle) return nullptr;
    const void* data = LockResource(handle);
    if (!data) return nullptr;
    if (size) *size = SizeofResource(nullptr, info);
    return static_cast<const uint8_t*>(data);
}
