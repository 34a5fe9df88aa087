// process.cpp - this process's id, the machine's name and whether another process still
// runs: what a lock file needs to name its owner and to tell a stale one; and running
// another program (loctool asks git for its settings). Needs no window, so it sits beside
// files.cpp in every backend and in the tools.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
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

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument as the C runtime's command-line parser reads it back: quoted when it
// holds a blank or a quote, backslashes doubled only before a quote.
void AppendArgument(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        line.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        line += c;
    }
    line.append(slashes * 2, L'\\');
    line += L'"';
}

}  // namespace

int PlatRunProgram(const std::vector<std::string>& argv, const std::string& folder, std::string* output,
                   std::string* why) {
    if (argv.empty()) return *why = "no program named", -1;
    std::wstring line;
    for (const std::string& arg : argv) AppendArgument(line, Wide(arg));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (output && !CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return *why = "cannot make a pipe", -1;
    if (readEnd) SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = writeEnd ? writeEnd : GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    const std::wstring where = Wide(folder);
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        where.empty() ? nullptr : where.c_str(), &start, &info);
    if (writeEnd) CloseHandle(writeEnd);
    if (!started) {
        if (readEnd) CloseHandle(readEnd);
        *why = "cannot start " + argv[0] + " (error " + std::to_string(GetLastError()) + ")";
        return -1;
    }
    if (readEnd) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output->append(buffer, got);
        CloseHandle(readEnd);
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
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

// A child that cannot start says so through exit code 127, as a shell does; the message
// is only known in the child, so it is printed there.
int PlatRunProgram(const std::vector<std::string>& argv, const std::string& folder, std::string* output,
                   std::string* why) {
    if (argv.empty()) return *why = "no program named", -1;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (output && pipe(pipeEnds) != 0) return *why = std::string("cannot make a pipe: ") + std::strerror(errno), -1;
    const pid_t child = fork();
    if (child < 0) {
        *why = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        if (output) close(pipeEnds[0]), close(pipeEnds[1]);
        return -1;
    }
    if (child == 0) {
        if (output) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (output) {
        close(pipeEnds[1]);
        char buffer[4096];
        for (;;) {
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got > 0)
                output->append(buffer, static_cast<size_t>(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return *why = std::string("lost ") + argv[0] + ": " + std::strerror(errno), -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        *why = "cannot start " + argv[0] + (folder.empty() ? std::string() : " in " + folder);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif
