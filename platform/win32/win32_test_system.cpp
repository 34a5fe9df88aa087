// win32_test_system.cpp - the scripted test backend on Windows: the real window, GL
// context and GDI painting of win32_window.cpp, but a tick counter that moves only when
// a test says so, injected messages, a hand-placed cursor, a fake clipboard and
// recorded message boxes.
#include "platform/test/test_script.h"
#include "platform/win32/win32_internal.h"

namespace {

// Input a person at the machine (or the window manager's pointer) could produce:
// keys, characters, mouse in and around the client area. Tests inject their own.
bool IsRealInput(UINT message) {
    return (message >= 0x0100 && message <= 0x0109) ||  // WM_KEYFIRST .. WM_KEYLAST
           (message >= 0x0200 && message <= 0x020E) ||  // WM_MOUSEFIRST .. WM_MOUSELAST
           (message >= 0x00A0 && message <= 0x00AD) ||  // non-client mouse messages
           message == WM_INPUT || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE || message == WM_NCMOUSEHOVER ||
           message == WM_NCMOUSELEAVE;
}

// Lets Windows look after the window (sent messages, timers, its own upkeep) without
// handing any real input to the engine. Paint requests stay queued for the caller.
void PumpRealMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0x000E, PM_REMOVE) ||
           PeekMessageW(&m, nullptr, 0x0010, 0xFFFFFFFF, PM_REMOVE)) {
        if (IsRealInput(m.message) || m.message == 0x0012 /* WM_QUIT */) continue;
        DispatchMessageW(&m);
    }
}

}  // namespace

void PlatGetDesktopSize(int* width, int* height) {
    if (ScriptedDesktopSize(width, height)) return;
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

// A scripted desktop is all work area, as on the SDL test backend.
void PlatGetWorkArea(PlatRect* rect) {
    int w = 0, h = 0;
    if (ScriptedDesktopSize(&w, &h))
        *rect = {0, 0, w, h};
    else
        Win32WorkArea(rect);
}

// What the test set (1 until then), whatever the machine's setting.
float PlatDisplayScale() { return g_script.displayScale; }

bool PlatPeekMessage(PlatMsg* msg) {
    PumpRealMessages();
    if (TakeScriptedMessage(msg)) return true;
    // Like Windows, a pending repaint is delivered only when nothing else waits.
    MSG m;
    if (PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        *msg = {WM_PAINT, m.wParam, m.lParam};
        return true;
    }
    return false;
}

intptr_t PlatDispatchMessage(const PlatMsg* msg) { return Win32DeliverMessage(msg->message, msg->wParam, msg->lParam); }

bool Win32GLContextAllowed() { return ScriptAllowsGLContext(); }
bool Win32UsesInputMethod() { return false; }
void Win32AfterSwap() { ++g_script.swaps; }
char PlatPathSeparator() { return '\\'; }

bool TestReadPaintedPixel(int x, int y, uint8_t rgb[3]) { return Win32ReadPaintedPixel(x, y, rgb); }
int TestCursorShowCount() { return Win32CursorShowCount(); }
