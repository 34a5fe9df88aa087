// host.cpp - what the editor and the tools need of the system beyond files: the command
// line and the console in UTF-8, the folders where spelling dictionaries are installed,
// and conversion between UTF-8 and the 8-bit encodings some dictionaries are written in.
// Needs no window, so it sits beside files.cpp in every backend and in the tools.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

#if defined(_WIN32)
// <shellapi.h> and <shlobj.h> after <windows.h>, whose macros they need.
// clang-format off
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on
#else
#include <iconv.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#endif

namespace fs = std::filesystem;

namespace {

std::string ParentFolder(const std::string& path) { return PlatPathString(PlatFsPath(path).parent_path()); }

}  // namespace

#if defined(_WIN32)
namespace {

// The sub-folders of `folder` whose names start with `prefix`, sorted, as UTF-8 paths.
std::vector<std::string> SubFolders(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(PlatFsPath(folder), ec)) {
        const std::string name = PlatPathString(entry.path().filename());
        if (name.compare(0, prefix.size(), prefix) == 0 && entry.is_directory(ec))
            out.push_back(PlatPathString(entry.path()));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Narrow(const wchar_t* text, int length = -1) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0) out.pop_back();  // the NUL that came with it
    return out;
}

std::string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, 0, path) == S_OK ? Narrow(path) : std::string();
}

// Where LibreOffice is installed, from what its installer records; empty when it is not.
std::string LibreOfficeFolder() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\LibreOffice\\UNO\\InstallPath", nullptr, RRF_RT_REG_SZ, nullptr,
                     value, &size) == ERROR_SUCCESS)
        return ParentFolder(Narrow(value));  // it names the "program" folder inside
    return {};
}

UINT g_consoleCodePage = 0;
void RestoreConsoleCodePage() { SetConsoleOutputCP(g_consoleCodePage); }

// Windows' number for an encoding name as Hunspell dictionaries spell it in their SET
// line; 0 when there is none.
UINT CodePageOf(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
    name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
    if (name == "UTF8") return CP_UTF8;
    if (name.rfind("ISO8859", 0) == 0) {
        const int part = std::atoi(name.c_str() + 7);
        if (part >= 1 && part <= 9) return 28590 + static_cast<UINT>(part);
        if (part == 13) return 28603;
        if (part == 15) return 28605;
        return 0;
    }
    if (name == "KOI8R") return 20866;
    if (name == "KOI8U") return 21866;
    if (name.rfind("TIS620", 0) == 0) return 874;
    for (const char* prefix : {"MICROSOFTCP", "CP", "WINDOWS"})
        if (name.rfind(prefix, 0) == 0) {
            const int page = std::atoi(name.c_str() + std::char_traits<char>::length(prefix));
            return page >= 874 && page <= 1258 ? static_cast<UINT>(page) : 0;
        }
    return 0;
}

}  // namespace

// The wide command line holds every character as typed; the C runtime's argv has
// already been squeezed into the ANSI code page.
std::vector<std::string> PlatCommandLine() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    if (!argv) return args;
    for (int i = 0; i < count; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    return args;
}

void PlatAttachParentConsole() {
    // Redirected output (a pipe, a file) is already there; only a console is missing.
    if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr && GetStdHandle(STD_OUTPUT_HANDLE) != INVALID_HANDLE_VALUE) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

void PlatUseUtf8Console() {
    // The program's bytes go out as they are, line ends included, as they do elsewhere.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console shows bytes in its output code page: UTF-8 while we print, and the
    // user's own page again afterwards, so the console is left as it was found.
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == CP_UTF8) return;  // no console, or already UTF-8
    g_consoleCodePage = current;
    if (SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreConsoleCodePage);
}

// The user's settings sit with the program's other files of the user's (%APPDATA%\zazovi).
std::string PlatUserConfigFolder() {
    const std::string appData = KnownFolder(CSIDL_APPDATA);
    return appData.empty() ? appData : appData + "\\zazovi";
}

std::string PlatProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return ParentFolder(Narrow(path.c_str(), static_cast<int>(n)));
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

std::vector<std::string> PlatDictionaryFolders() {
    std::vector<std::string> folders;
    if (const std::string program = PlatProgramFolder(); !program.empty())
        folders.push_back(program + "\\dictionaries");
    if (const std::string appData = KnownFolder(CSIDL_APPDATA); !appData.empty())
        folders.push_back(appData + "\\zazovi\\dictionaries");
    // LibreOffice keeps a dictionary extension per language in share\extensions\dict-*.
    std::vector<std::string> offices;
    if (const std::string registered = LibreOfficeFolder(); !registered.empty()) offices.push_back(registered);
    for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86})
        if (const std::string programs = KnownFolder(csidl); !programs.empty())
            offices.push_back(programs + "\\LibreOffice");
    std::vector<std::string> seen;
    for (const std::string& office : offices) {
        if (std::find(seen.begin(), seen.end(), office) != seen.end()) continue;
        seen.push_back(office);
        for (std::string& dict : SubFolders(office + "\\share\\extensions", "dict-"))
            folders.push_back(std::move(dict));
    }
    return folders;
}

bool PlatConvertEncoding(const std::string& from, const std::string& to, const std::string& bytes, std::string& out) {
    out.clear();
    const UINT source = CodePageOf(from), target = CodePageOf(to);
    if (source == 0 || target == 0) return false;
    if (bytes.empty()) return true;
    // Through UTF-16; a character the target lacks fails the whole conversion, as iconv does.
    const int wide =
        MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wide <= 0) return false;
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), utf16.data(), wide);
    BOOL lost = FALSE;
    const bool utf8 = target == CP_UTF8;  // the default-character check is refused for UTF-8
    const int n = WideCharToMultiByte(target, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, utf16.data(), wide,
                                      nullptr, 0, nullptr, utf8 ? nullptr : &lost);
    if (n <= 0 || lost) return false;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(target, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, utf16.data(), wide, out.data(), n,
                        nullptr, utf8 ? nullptr : &lost);
    return !lost;
}
#else
// The kernel keeps the arguments as they were passed, each ended by a NUL; an empty
// argument is an empty string between two of them.
std::vector<std::string> PlatCommandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        args.emplace_back(bytes, start, end - start);
        start = end + 1;
    }
    return args;
}

void PlatAttachParentConsole() {}  // a program here always has the terminal's streams
void PlatUseUtf8Console() {}       // terminals and pipes take the bytes as they come

std::string PlatProgramFolder() {
    char path[PATH_MAX + 1] = {};
    const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    return n > 0 ? ParentFolder(std::string(path, static_cast<size_t>(n))) : std::string();
}

std::string PlatUserConfigFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configHome && *configHome == '/') return std::string(configHome) + "/zazovi";
    if (home && *home) return std::string(home) + "/.config/zazovi";
    return {};
}

std::vector<std::string> PlatDictionaryFolders() {
    std::vector<std::string> folders;
    if (const std::string program = PlatProgramFolder(); !program.empty()) folders.push_back(program + "/dictionaries");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && *dataHome == '/')
        folders.push_back(std::string(dataHome) + "/zazovi/dictionaries");
    else if (home && *home)
        folders.push_back(std::string(home) + "/.local/share/zazovi/dictionaries");
    folders.push_back("/usr/share/hunspell");
    folders.push_back("/usr/share/myspell");
    return folders;
}

bool PlatConvertEncoding(const std::string& from, const std::string& to, const std::string& bytes, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    out.assign(bytes.size() * 4 + 8, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return ok;
}
#endif
