// test_system.cpp - the scripted test backend: a real window and GL context (from the
// SDL window code), but a tick counter that moves only when a test says so, messages
// injected by tests, a hand-placed cursor, a fake clipboard and recorded message boxes.
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/sdl/sdl_internal.h"
#include "platform/test/test_platform.h"

namespace {

struct TestSystemState {
    std::deque<PlatMsg> queue;
    uint32_t ticks = 1000;
    uint32_t slept = 0;
    int cursorX = 0, cursorY = 0;
    int desktopW = 0, desktopH = 0;
    std::string moduleFileName = "/opt/zazovi/zazovi";
    std::string clipboard;
    std::vector<TestMessageBox> boxes;
    int swaps = 0;
    bool glFails = false;
};
TestSystemState g_test;

}  // namespace

void PlatGetDesktopSize(int* width, int* height) {
    if (g_test.desktopW > 0) {
        *width = g_test.desktopW;
        *height = g_test.desktopH;
        return;
    }
    SDL_DisplayMode mode{};
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 1024;
        *height = 768;
    }
}

bool PlatPeekMessage(PlatMsg* msg) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SdlDrainEvents(nullptr);  // real input is ignored in tests
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
    if (PlatHasWindow() && SdlTakePaintRequest()) {
        *msg = {WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

void PlatTranslateMessage(const PlatMsg*) {}
bool SdlGLContextAllowed() {
    const bool allowed = !g_test.glFails;
    g_test.glFails = false;
    return allowed;
}
void SdlAfterSwap() { ++g_test.swaps; }
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
char PlatPathSeparator() { return '/'; }


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
