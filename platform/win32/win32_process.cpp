// win32_process.cpp - what the desktop and test Win32 backends share beyond the window:
// resources compiled into the program, the command line as UTF-8 and the parent's
// console (the process and machine names are platform/process.cpp's).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// <shellapi.h> after <windows.h>, whose macros it needs.
// clang-format off
#include "platform/win32/win32_internal.h"
#include <shellapi.h>
// clang-format on

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

// The wide command line holds every character as typed; the C runtime's argv has
// already been squeezed into the ANSI code page.
std::vector<std::string> PlatCommandLine() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> args;
    if (!argv) return args;
    for (int i = 0; i < count; ++i) args.push_back(Win32Narrow(argv.get()[i]));
    return args;
}

void PlatAttachParentConsole() {
    // Redirected output (a pipe, a file) is already there; only a console is missing.
    if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr && GetStdHandle(STD_OUTPUT_HANDLE) != INVALID_HANDLE_VALUE) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}
