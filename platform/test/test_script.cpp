// test_script.cpp - the scripted half of the test backends: the platform calls that
// tests control (clock, sleep, cursor, clipboard, message boxes, module name) and the
// Test* controls themselves. Compiled into the SDL and the Win32 test backends alike.
#include "platform/test/test_script.h"

#include <algorithm>
#include <cstdio>

TestScript g_script = [] {
    TestScript s;
#ifdef _WIN32
    s.moduleFileName = "C:\\zazovi\\zazovi.exe";
#else
    s.moduleFileName = "/opt/zazovi/zazovi";
#endif
    return s;
}();

bool TakeScriptedMessage(PlatMsg* msg) {
    if (g_script.queue.empty()) return false;
    *msg = g_script.queue.front();
    g_script.queue.pop_front();
    // The cursor is where the mouse message says it was when it happened.
    if (msg->message >= WM_MOUSEMOVE && msg->message <= WM_MBUTTONUP) {
        g_script.cursorX = static_cast<int16_t>(msg->lParam & 0xFFFF);
        g_script.cursorY = static_cast<int16_t>((msg->lParam >> 16) & 0xFFFF);
    }
    return true;
}

bool ScriptAllowsGLContext() {
    const bool allowed = !g_script.glFails;
    g_script.glFails = false;
    return allowed;
}

bool ScriptedDesktopSize(int* width, int* height) {
    if (g_script.desktopW <= 0) return false;
    *width = g_script.desktopW;
    *height = g_script.desktopH;
    return true;
}

// ---- platform calls the script answers ----

// Tests script their characters as WM_CHAR of their own; translating the injected key
// presses too would type everything twice.
void PlatTranslateMessage(const PlatMsg*) {}
void PlatSetPresentPacing(bool) {}
uint32_t PlatGetTickCount() { return g_script.ticks; }

// Sleeping moves the scripted clock instead of the real one.
void PlatSleep(uint32_t milliseconds) {
    g_script.ticks += milliseconds;
    g_script.slept += milliseconds;
}

// A wait never blocks: it ends at once, or after moving the clock as far as the test
// lets it, as though the user had done nothing meanwhile.
bool PlatWaitMessage(uint32_t timeoutMs) {
    ++g_script.waits;
    g_script.lastWaitTimeout = timeoutMs;
    if (!g_script.queue.empty()) return true;
    if (g_script.waitsRun) {
        const uint32_t left = g_script.waitLimit - g_script.ticks;  // wraps like the counter
        g_script.ticks += static_cast<int32_t>(left) > 0 ? std::min(left, timeoutMs) : 0;
    }
    return false;
}

void PlatGetCursorClientPos(int* x, int* y) {
    *x = g_script.cursorX;
    *y = g_script.cursorY;
}

bool PlatSetClipboardText(const std::string& utf8) {
    g_script.clipboard = utf8;
    return true;
}

std::string PlatGetClipboardText() { return g_script.clipboard; }

void PlatMessageBox(const char* text, const char* caption, bool errorIcon) {
    g_script.boxes.push_back({text ? text : "", caption ? caption : "", errorIcon});
    // Tests that run in a child process see the box through its error output.
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
}

std::string PlatModuleFileName() { return g_script.moduleFileName; }
std::string PlatUserDataFolder() { return g_script.userDataFolder; }

// ---- controls for tests ----

void TestSetDisplayScale(float scale) { g_script.displayScale = scale; }

void TestSetUserDataFolder(const std::string& path) { g_script.userDataFolder = path; }
void TestSetTicks(uint32_t ticks) { g_script.ticks = ticks; }
void TestAdvanceTicks(uint32_t milliseconds) { g_script.ticks += milliseconds; }
uint32_t TestSleptMilliseconds() { return g_script.slept; }
void TestPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_script.queue.push_back({message, wParam, lParam});
}
void TestClearMessages() { g_script.queue.clear(); }
void TestSetCursorClientPos(int x, int y) {
    g_script.cursorX = x;
    g_script.cursorY = y;
}
void TestSetDesktopSize(int width, int height) {
    g_script.desktopW = width;
    g_script.desktopH = height;
}
void TestSetModuleFileName(const std::string& path) { g_script.moduleFileName = path; }
void TestSetClipboard(const std::string& text) { g_script.clipboard = text; }
const std::vector<TestMessageBox>& TestMessageBoxes() { return g_script.boxes; }
void TestClearMessageBoxes() { g_script.boxes.clear(); }
int TestSwapCount() { return g_script.swaps; }
void TestSetGLContextFails(bool fails) { g_script.glFails = fails; }
void TestLetWaitsRunUntil(uint32_t tick) {
    g_script.waitsRun = true;
    g_script.waitLimit = tick;
}
void TestStopWaits() { g_script.waitsRun = false; }
int TestWaitCount() { return g_script.waits; }
uint32_t TestLastWaitTimeout() { return g_script.lastWaitTimeout; }

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
void TestFocusLost() { TestPostMessage(WM_KILLFOCUS, 0, 0); }
