// win32_process.cpp - what the desktop and test Win32 backends share beyond the window:
// resources compiled into the program, the command line as UTF-8, the parent's console
// and the process and machine names.
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

uint32_t PlatProcessId() { return GetCurrentProcessId(); }

std::string PlatHostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(size), out.data(), n, nullptr, nullptr);
    return out;
}

// A process that ended may still be open somewhere; its exit code then says so.
bool PlatProcessRunning(uint32_t pid) {
    if (pid == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}
