// win32_system.cpp - the native Windows desktop backend's messages, time, cursor
// position, clipboard, message box and module file name, on Win32 itself.
#include <cstdio>
#include <cstring>
#include <string>

// <shlobj.h> after <windows.h>, whose macros it needs.
// clang-format off
#include "platform/win32/win32_internal.h"
#include <shlobj.h>
// clang-format on

namespace {

struct Win32SystemState {
    MSG last{};  // the message PlatPeekMessage handed out last
    bool paced = true;
    LARGE_INTEGER lastPresent{};
    bool timerPeriodSet = false;
};
Win32SystemState g_sys;

// The real MSG behind a PlatMsg: the one just peeked, or (for a message a caller
// made up) one addressed to the program's window.
MSG ToMsg(const PlatMsg* msg) {
    if (msg->message == g_sys.last.message && msg->wParam == g_sys.last.wParam && msg->lParam == g_sys.last.lParam)
        return g_sys.last;
    MSG m{};
    m.hwnd = Win32Window();
    m.message = msg->message;
    m.wParam = msg->wParam;
    m.lParam = msg->lParam;
    return m;
}

// Windows programs expect CR LF line ends on the clipboard; the text boxes keep
// single newlines and drop carriage returns when text is pasted back.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

bool PutClipboardBlock(UINT format, const void* data, size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return false;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(p, data, bytes);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);  // still ours when the clipboard did not take it
        return false;
    }
    return true;
}

}  // namespace

void PlatGetDesktopSize(int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

void PlatGetWorkArea(PlatRect* rect) { Win32WorkArea(rect); }

float PlatDisplayScale() { return Win32DisplayScale(); }

bool PlatPeekMessage(PlatMsg* msg) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) return false;
    g_sys.last = m;
    *msg = {m.message, m.wParam, m.lParam};
    return true;
}

// MWMO_INPUTAVAILABLE also counts input that an earlier peek saw but left queued;
// QS_ALLINPUT covers posted and sent messages, input, paint requests and timers.
bool PlatWaitMessage(uint32_t timeoutMs) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

// Key presses become WM_CHAR messages here, in UTF-16 code units: a character
// outside the Basic Multilingual Plane arrives as two, which the text boxes join.
void PlatTranslateMessage(const PlatMsg* msg) {
    const MSG m = ToMsg(msg);
    TranslateMessage(&m);
}

intptr_t PlatDispatchMessage(const PlatMsg* msg) {
    const MSG m = ToMsg(msg);
    return DispatchMessageW(&m);
}

bool Win32GLContextAllowed() { return true; }
bool Win32UsesInputMethod() { return true; }

// Swapping does not wait for the display under every driver (software GL does
// not); sleep out the rest of the 60 Hz period so an idle loop does not spin a core.
void Win32AfterSwap() {
    if (!g_sys.timerPeriodSet) {
        timeBeginPeriod(1);  // Sleep(n) otherwise rounds up to the 15.6 ms system tick
        g_sys.timerPeriodSet = true;
    }
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    const LONGLONG period = freq.QuadPart / 60;
    const LONGLONG since = now.QuadPart - g_sys.lastPresent.QuadPart;
    if (g_sys.paced && g_sys.lastPresent.QuadPart != 0 && since < period) {
        Sleep(static_cast<DWORD>((period - since) * 1000 / freq.QuadPart));
        QueryPerformanceCounter(&now);
    }
    g_sys.lastPresent = now;
}

void PlatSetPresentPacing(bool paced) { g_sys.paced = paced; }

uint32_t PlatGetTickCount() { return GetTickCount(); }

void PlatSleep(uint32_t milliseconds) { Sleep(milliseconds); }

void PlatGetCursorClientPos(int* x, int* y) {
    POINT p{0, 0};
    GetCursorPos(&p);
    if (Win32Window()) ScreenToClient(Win32Window(), &p);
    *x = p.x;
    *y = p.y;
}

// The code page of the system's programs that know no Unicode. Not GetACP(): this
// program's own is UTF-8 (its manifest says so), but the clipboard's ANSI text is for them.
namespace {
UINT SystemAnsiCodePage() {
    DWORD page = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&page), sizeof(page) / sizeof(wchar_t)) &&
        page != 0)
        return page;
    return CP_ACP;
}
}  // namespace

// Offers the text as Unicode, which every other Windows program reads as written,
// and as ANSI text in the system code page for programs that only know that.
bool PlatSetClipboardText(const std::string& utf8) {
    const std::wstring wide = Win32Widen(WithCrLf(utf8));
    if (!OpenClipboard(Win32Window())) return false;
    EmptyClipboard();
    bool ok = PutClipboardBlock(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    const UINT page = SystemAnsiCodePage();
    const int n = WideCharToMultiByte(page, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (ok && n > 0) {
        std::string ansi(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(page, 0, wide.c_str(), -1, ansi.data(), n, nullptr, nullptr);
        ok = PutClipboardBlock(CF_TEXT, ansi.data(), ansi.size());
    }
    CloseClipboard();
    return ok;
}

std::string PlatGetClipboardText() {
    const bool unicode = IsClipboardFormatAvailable(CF_UNICODETEXT);
    if (!unicode && !IsClipboardFormatAvailable(CF_TEXT)) return {};
    if (!OpenClipboard(Win32Window())) return {};
    std::string out;
    if (HANDLE data = GetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT)) {
        if (const void* p = GlobalLock(data)) {
            // A block need not be terminated within its size; never read past it.
            const size_t bytes = GlobalSize(data);
            if (unicode) {
                const wchar_t* w = static_cast<const wchar_t*>(p);
                const size_t units = bytes / sizeof(wchar_t);
                out = Win32Narrow(w, static_cast<int>(wcsnlen(w, units)));
            } else {
                const char* a = static_cast<const char*>(p);
                const int len = static_cast<int>(strnlen(a, bytes));
                const UINT page = SystemAnsiCodePage();
                const int n = MultiByteToWideChar(page, 0, a, len, nullptr, 0);
                std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
                if (n > 0) MultiByteToWideChar(page, 0, a, len, wide.data(), n);
                out = Win32Narrow(wide.c_str(), static_cast<int>(wide.size()));
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return out;
}

void PlatMessageBox(const char* text, const char* caption, bool errorIcon) {
    // Also on stderr: when the box cannot be seen (a test run), the reason still is.
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    const std::wstring wtext = Win32Widen(text ? text : "");
    const std::wstring wcaption = Win32Widen(caption ? caption : "");
    MessageBoxW(nullptr, wtext.c_str(), wcaption.c_str(), MB_OK | (errorIcon ? MB_ICONERROR : 0));
}

std::string PlatModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return Win32Narrow(path.c_str(), static_cast<int>(n));
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

std::string PlatUserDataFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData) != S_OK) return {};
    const std::wstring folder = std::wstring(appData) + L"\\zazovi";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return Win32Narrow(folder.c_str());
}

char PlatPathSeparator() { return '\\'; }
