// platform.h - the only door between the program and the operating system.
// Shaped after the few Win32/WGL/GDI services the engine uses: one window with a
// window procedure fed Win32-style messages, a GL context, GDI-like painting for the
// loading screen, a millisecond tick counter, the clipboard, a system message box,
// the module file name, compiled-in resources and files. Backends: sdl/ (desktop), win32/
// and test/ (scripted clock, injected messages, fake clipboard, recorded message boxes);
// files.cpp serves all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// ---- Win32-style messages -------------------------------------------------------
enum : uint32_t {
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_KILLFOCUS = 0x0008,  // the window lost the keyboard focus (Alt+Tab, another window clicked)
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,
};

// WM_SIZE size types.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Virtual-key codes the backends produce (the rest follow the Win32 table).
enum : uint8_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
};

// lParam of key messages: repeat count 1, scan code in bits 16-23, extended flag in bit 24.
constexpr intptr_t MakeKeyLParam(unsigned scanCode, bool extended) {
    return static_cast<intptr_t>(1u | ((scanCode & 0xFFu) << 16) | (extended ? (1u << 24) : 0u));
}
// lParam of mouse and size messages: low word x / width, high word y / height.
constexpr intptr_t MakePointLParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}
// wParam of WM_MOUSEWHEEL: the signed wheel delta (120 per notch) in the high word.
constexpr uintptr_t MakeWheelWParam(int delta) {
    return static_cast<uintptr_t>((static_cast<uint32_t>(delta) & 0xFFFFu) << 16);
}

struct PlatMsg {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using PlatWndProc = intptr_t (*)(uint32_t message, uintptr_t wParam, intptr_t lParam);

struct PlatRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

enum class PlatWindowStyle { Popup, Overlapped, FixedFrame };

// ---- window class and window ------------------------------------------------------
void PlatRegisterWindowClass(PlatWndProc proc);  // the procedure every message goes to
void PlatUnregisterWindowClass();
void PlatGetDesktopSize(int* width, int* height);
// The part of the desktop windows may cover (without task bars and panels), screen
// coordinates; the whole desktop where that cannot be told.
void PlatGetWorkArea(PlatRect* rect);
// The display's scale as the desktop sets it: on X11 the Xft.dpi resource / 96, on
// Windows the window's monitor's DPI / 96 (per-monitor aware); 1 when not set.
float PlatDisplayScale();
// Title as 16-bit characters, NUL-terminated. Size is the outer size, as with Win32.
// An Overlapped (resizable) window cannot be made smaller than the client area it is
// made with.
bool PlatCreateWindow(const char16_t* title, int x, int y, int width, int height, PlatWindowStyle style);
void PlatDestroyWindow();
bool PlatHasWindow();
void PlatGetWindowRect(PlatRect* rect);                    // outer rectangle, screen coordinates
void PlatGetClientRect(PlatRect* rect);                    // (0, 0, client width, client height)
void PlatMoveWindow(int x, int y, int width, int height);  // outer size
void PlatShowWindow();
void PlatUpdateWindow();      // paints now if an update is pending
void PlatInvalidateWindow();  // queues a WM_PAINT
// The window's icon (title bar, task bar, window switcher) from RGBA pixels, top row
// first; the window keeps its own copy. Ignored when there is no window.
void PlatSetWindowIcon(const uint8_t* rgba, int width, int height);
// Changes the title of the window (16-bit characters, NUL-terminated). Ignored when
// there is no window.
void PlatSetWindowTitle(const char16_t* title);
// Where the text caret is, in client pixels, so that an input method opens its
// composition and candidate windows there rather than in a corner of the screen.
void PlatSetTextInputSpot(const PlatRect& caret);
PlatRect PlatTextInputSpot();  // the last spot set, for checks

// ---- messages ---------------------------------------------------------------------
bool PlatPeekMessage(PlatMsg* msg);  // removes and returns the next message
// Blocks until a message (or any event of the window system: exposure, focus, a
// resize) is waiting, or until timeoutMs have passed. True when something arrived;
// it stays queued for PlatPeekMessage. Nothing is removed, nothing is dispatched.
bool PlatWaitMessage(uint32_t timeoutMs);
void PlatTranslateMessage(const PlatMsg* msg);
intptr_t PlatDispatchMessage(const PlatMsg* msg);  // calls the registered procedure
intptr_t PlatDefWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- GDI-style painting (the loading screen, before and beside OpenGL) --------------
void PlatBeginPaint();
void PlatFillRect(const PlatRect& rect, uint8_t r, uint8_t g, uint8_t b);  // right/bottom exclusive
void PlatSetTextColor(uint8_t r, uint8_t g, uint8_t b);  // text is drawn with a transparent background
void PlatTextOut(int x, int y, const char* text);
void PlatEndPaint();  // shows what was painted

// ---- OpenGL ----------------------------------------------------------------------
bool PlatCreateGLContext();  // double-buffered RGBA, 24 colour, 32 depth, 8 stencil
void PlatMakeGLCurrent(bool current);
void PlatDeleteGLContext();
bool PlatHasGLContext();
void PlatSwapBuffers();                 // waits for the display refresh (or paces to 60 Hz)
void PlatSetPresentPacing(bool paced);  // benchmarks compare an unpaced loop

// ---- time, cursor, clipboard, message box, process --------------------------------
uint32_t PlatGetTickCount();  // milliseconds, wraps at 2^32
void PlatSleep(uint32_t milliseconds);
void PlatShowCursor(bool show);
void PlatGetCursorClientPos(int* x, int* y);  // cursor position in client pixels
bool PlatSetClipboardText(const std::string& utf8);
std::string PlatGetClipboardText();  // empty when there is no text
void PlatMessageBox(const char* text, const char* caption, bool errorIcon);
// Called when the program is about to be ended from outside with no way back (the
// display connection is lost, the session ends), so that unsaved work can be written.
// Returns the handler it replaces.
using PlatEmergencyHandler = void (*)();
PlatEmergencyHandler PlatSetEmergencyHandler(PlatEmergencyHandler handler);
std::string PlatModuleFileName();  // full path of the running program
// The user's own folder for this program's files (~/.local/share/zazovi, or
// %APPDATA%\zazovi), made when missing; empty when there is none.
std::string PlatUserDataFolder();
char PlatPathSeparator();  // '\\' on Windows, '/' elsewhere
// ---- the host beyond files (platform/host.cpp, shared by every backend and the tools)
// The program's arguments as UTF-8, the program itself first. On Windows main's argv
// is in the ANSI code page and loses every character outside it; this never does.
std::vector<std::string> PlatCommandLine();
// Lets what the program prints reach the console it was started from: a Windows GUI
// program has no standard output of its own unless it is redirected. Elsewhere a no-op.
void PlatAttachParentConsole();
// Makes standard output and error carry the program's bytes as they are (no "\r\n" for
// "\n" on Windows) and the console show them as UTF-8 (Windows' console shows its own
// code page; the old one comes back when the program ends). Elsewhere a no-op.
void PlatUseUtf8Console();
// The folder that holds the running program; empty when it cannot be told.
std::string PlatProgramFolder();
// The folder of the user's own settings for this program ($XDG_CONFIG_HOME/zazovi or
// ~/.config/zazovi; %APPDATA%\zazovi), not made here; empty when there is none.
std::string PlatUserConfigFolder();
// Where spelling dictionaries are looked for, in order: "dictionaries" beside the
// program, "dictionaries" in the user's folder for this program (~/.local/share/zazovi,
// %APPDATA%\zazovi), then the system's: /usr/share/hunspell and /usr/share/myspell, or
// an installed LibreOffice's dictionary extensions (share\extensions\dict-*).
std::vector<std::string> PlatDictionaryFolders();
// Converts `bytes` between two encodings named as Hunspell dictionaries name them
// ("UTF-8", "ISO8859-1", "KOI8-R", "microsoft-cp1251"); false when either is unknown
// or a character has no form in the target.
bool PlatConvertEncoding(const std::string& from, const std::string& to, const std::string& bytes, std::string& out);
// This process's id, the machine's name, and whether a process of this machine with
// that id still runs (true when that cannot be told; an ended process not yet collected
// by its parent does not run): a lock file names its owner so. platform/process.cpp,
// shared by every backend and the tools.
uint32_t PlatProcessId();
std::string PlatHostName();
bool PlatProcessRunning(uint32_t pid);
// Runs a program found on the PATH (argv[0]) with the arguments as they are, no shell
// between, in `folder` when it is not empty, and waits for it: its exit code, or -1 when
// it could not be started (`why` says so). Its standard output is caught into `output`
// when given; its standard error goes where this process's goes.
int PlatRunProgram(const std::vector<std::string>& argv, const std::string& folder, std::string* output,
                   std::string* why);

// ---- files (platform/files.cpp, shared by every backend and the tools) -------------
// Paths are UTF-8 in the host's form. POSIX takes those bytes as they are; Windows'
// narrow calls would read them in the ANSI code page and miss "Français", so there
// they go through the wide calls.
FILE* PlatOpenFile(const char* utf8Path, const char* mode);
std::filesystem::path PlatFsPath(const std::string& utf8Path);
std::string PlatPathString(const std::filesystem::path& path);  // UTF-8; empty when it has none
// The whole file; false with `error` saying "Cannot open|read <path>: why".
bool PlatReadFile(const std::string& path, std::string& bytes, std::string* error);
// Temporary files are "<target>.<pid>-<8 hex digits>.tmp" beside their target (for
// menu.loc: "menu.loc.4242-9f3a0c1e.tmp"), created only where nothing, not even a link,
// has that name: no two writers share one, and no planted link is written through.
// PlatTemporaryName makes such a name; PlatParseTemporaryName tells one, giving the
// target it was made for and the id of the process that made it.
std::string PlatTemporaryName(const std::string& target);
bool PlatParseTemporaryName(const std::string& name, std::string* target, uint32_t* pid);
// Replaces `path` with `bytes` through a temporary file of its own: written, flushed to
// disk, given the old file's permissions, renamed over the old file, and the folder
// flushed, so the old file is replaced only by a complete new one, even across a power
// cut. A read-only file is refused. On failure the old file is untouched, the temporary
// file is gone, and `why` says what went wrong.
bool PlatReplaceFile(const std::string& path, std::string_view bytes, std::string* why);
// Replaces several files all or none, even when the process is killed half-way. The
// journal (relative paths below are taken from its folder, which holds every file) is
// written first: a line "TEMPORARY -> TARGET" per file, flushed; then each temporary
// file, flushed; then a last line "end", flushed; then the renames; then the journal is
// removed. A read-only target, a journal already there (a write not yet finished) or
// any failure before the end line changes nothing. PlatFinishJournal, run by the next
// writer, completes a journal that has its end line (renames are idempotent: a
// temporary already gone was renamed) and otherwise removes the temporaries it names.
struct PlatFileWrite {
    std::string path;
    std::string bytes;
};
bool PlatReplaceFiles(const std::string& journal, const std::vector<PlatFileWrite>& files, std::string* why);
struct PlatJournalReport {
    bool found = false;                // there was a journal
    bool complete = false;             // it had its end line: the write was finished, else undone
    std::vector<std::string> targets;  // the files it named, relative to its folder, with '/'
    std::string problem;               // what could not be done; the journal is then kept
};
PlatJournalReport PlatFinishJournal(const std::string& journal);
// With QK_TEST_STOP_AFTER=n in the environment, PlatReplaceFiles ends the process with
// this code right after its step n (1 the journal's lines, 2.. each temporary file, then
// the end line, each rename, the journal removed), as a kill there would.
constexpr int kPlatTestStopExitCode = 99;
bool PlatCreateNewFile(const std::string& path, std::string_view bytes);

// ---- resources compiled into the program --------------------------------------------
// Finds, loads and locks a resource by type name and numeric id; null when missing.
const uint8_t* PlatLoadResource(const char* type, int id, size_t* size);
