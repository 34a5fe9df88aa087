// process.cpp - this process's id, the machine's name and whether another process still
// runs: what a lock file needs to name its owner and to tell a stale one. Needs no window,
// so it sits beside files.cpp in every backend and in the tools.
#include <cstdint>
#include <string>

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <iterator>
#endif

#if defined(_WIN32)
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
#else
uint32_t PlatProcessId() { return static_cast<uint32_t>(getpid()); }

std::string PlatHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

namespace {

// An ended process whose parent has not collected it yet (a zombie) keeps its id and
// still answers signal 0; only its state in /proc, the field after the name in
// parentheses, says that it no longer runs. The name may itself hold ") ", so the last
// one ends it. No /proc (another system): nothing more can be told.
bool HasEnded(uint32_t pid) {
#if defined(__linux__)
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat", std::ios::binary);
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size()) return false;
    const char state = stat[nameEnd + 2];
    return state == 'Z' || state == 'X';
#else
    (void)pid;
    return false;
#endif
}

}  // namespace

// Signal 0 checks that the process exists without touching it; EPERM means it does,
// under another user.
bool PlatProcessRunning(uint32_t pid) {
    if (pid == 0 || pid > static_cast<uint32_t>(INT32_MAX)) return false;
    if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
    return !HasEnded(pid);
}
#endif
