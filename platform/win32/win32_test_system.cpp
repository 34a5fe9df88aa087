// win32_test_system.cpp - the scripted test backend on Windows: the real window, GL
// context and GDI painting of win32_window.cpp, but a tick counter that moves only when
// a test says so, injected messages, a hand-placed cursor, a fake clipboard and
// recorded message boxes.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/test/test_platform.h"
#include "platform/win32/win32_internal.h"

namespace {

struct TestSystemState {
    std::deque<PlatMsg> queue;
    uint32_t ticks = 1000;
    uint32_t slept = 0;
    int cursorX = 0, cursorY = 0;
    int desktopW = 0, desktopH = 0;
    std::string moduleFileName = "C:\\zazovi\\zazovi.exe";
    std::string clipboard;
    std::vector<TestMessageBox> boxes;
    int swaps = 0;
    bool glFails = false;
};
TestSystemState g_test;

// Input a person at the machine (or the window manager's pointer) could produce:
// keys, characters, mouse in and around the client area. Tests inject their own.
bool IsRealInput(UINT message) {
    return (message >= 0x0100 && message <= 0x0109) ||   // WM_KEYFIRST .. WM_KEYLAST
           (message >= 0x0200 && message <= 0x020E) ||   // WM_MOUSEFIRST .. WM_MOUSELAST
           (message >= 0x00A0 && message <= 0x00AD) ||   // non-client mouse messages
           message == WM_INPUT || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE ||
           message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE;
}

// Lets Windows look after the window (sent messages, timers, its own upkeep) without
// handing any real input to the engine. Paint requests stay queued for the caller.
void PumpRealMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0x000E, PM_REMOVE) || PeekMessageW(&m, nullptr, 0x0010, 0xFFFFFFFF, PM_REMOVE)) {
        if (IsRealInput(m.message) || m.message == 0x0012 /* WM_QUIT */) continue;
        DispatchMessageW(&m);
    }
}

}  // namespace

void PlatGetDesktopSize(int* width, int* height) {
    if (g_test.desktopW > 0) {
        *width = g_test.desktopW;
        *height = g_test.desktopH;
        return;
    }
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

bool PlatPeekMessage(PlatMsg* msg) {
    PumpRealMessages();
    if (!g_test.queue.empty()) {
        *msg = g_test.queue.front();
        g_test.queue.pop_front();
        // The cursor is where the mouse message says it was when it happened.
        if (msg->message >= WM_MOUSEMOVE && msg->message <= WM_MBUTTONUP) {
            g_test.cursorX = static_cast<int16_t>(msg->lParam & 0xFFFF);
            g_test.cursorY = static_cast<int16_t>((msg->lParam >> 16) & 0xFFFF);
        }
        return true;
    }
    // Like Windows, a pending repaint is delivered only when nothing else waits.
    MSG m;
    if (PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        *msg = {WM_PAINT, m.wParam, m.lParam};
        return true;
    }
    return false;
}

// Injected key presses carry their characters as WM_CHAR of their own, as tests
// script them; translating them too would type everything twice.
void PlatTranslateMessage(const PlatMsg*) {}

intptr_t PlatDispatchMessage(const PlatMsg* msg) {
    return Win32DeliverMessage(msg->message, msg->wParam, msg->lParam);
}

bool Win32GLContextAllowed() {
    const bool allowed = !g_test.glFails;
    g_test.glFails = false;
    return allowed;
}
void Win32AfterSwap() { ++g_test.swaps; }
void PlatSetPresentPacing(bool) {}

uint32_t PlatGetTickCount() { return g_test.ticks; }

// Sleeping moves the scripted clock instead of the real one.
void PlatSleep(uint32_t milliseconds) {
    g_test.ticks += milliseconds;
    g_test.slept += milliseconds;
}

void PlatGetCursorClientPos(int* x, int* y) {
    *x = g_test.cursorX;
    *y = g_test.cursorY;
}

bool PlatSetClipboardText(const std::string& utf8) {
    g_test.clipboard = utf8;
    return true;
}

std::string PlatGetClipboardText() { return g_test.clipboard; }

void PlatMessageBox(const char* text, const char* caption, bool errorIcon) {
    g_test.boxes.push_back({text ? text : "", caption ? caption : "", errorIcon});
    // Tests that run in a child process see the box through its error output.
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
}

std::string PlatModuleFileName() { return g_test.moduleFileName; }
char PlatPathSeparator() { return '\\'; }


// ---- controls for tests ----

void TestSetTicks(uint32_t ticks) { g_test.ticks = ticks; }
void TestAdvanceTicks(uint32_t milliseconds) { g_test.ticks += milliseconds; }
uint32_t TestSleptMilliseconds() { return g_test.slept; }
void TestPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_test.queue.push_back({message, wParam, lParam});
}
void TestClearMessages() { g_test.queue.clear(); }
void TestSetCursorClientPos(int x, int y) {
    g_test.cursorX = x;
    g_test.cursorY = y;
}
void TestSetDesktopSize(int width, int height) {
    g_test.desktopW = width;
    g_test.desktopH = height;
}
void TestSetModuleFileName(const std::string& path) { g_test.moduleFileName = path; }
void TestSetClipboard(const std::string& text) { g_test.clipboard = text; }
const std::vector<TestMessageBox>& TestMessageBoxes() { return g_test.boxes; }
void TestClearMessageBoxes() { g_test.boxes.clear(); }
int TestSwapCount() { return g_test.swaps; }
void TestSetGLContextFails(bool fails) { g_test.glFails = fails; }

void TestKeyDown(uint8_t vk, unsigned scanCode, bool extended) {
    TestPostMessage(WM_KEYDOWN, vk, MakeKeyLParam(scanCode, extended));
}
void TestKeyUp(uint8_t vk, unsigned scanCode, bool extended) {
    TestPostMessage(WM_KEYUP, vk, MakeKeyLParam(scanCode, extended) | static_cast<intptr_t>(0xC0000000u));
}
void TestMouseMove(int x, int y) { TestPostMessage(WM_MOUSEMOVE, 0, MakePointLParam(x, y)); }
void TestMouseButton(uint32_t message, int x, int y) {
    TestMouseMove(x, y);
    TestPostMessage(message, 0, MakePointLParam(x, y));
}
void TestWheel(int delta) { TestPostMessage(WM_MOUSEWHEEL, MakeWheelWParam(delta), 0); }
void TestChar(uint16_t character) { TestPostMessage(WM_CHAR, character, 1); }
