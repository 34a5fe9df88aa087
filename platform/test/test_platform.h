// test_platform.h - controls of the scripted test backend: a tick counter that moves
// only when told, messages injected into the queue, the cursor placed by hand, a fake
// clipboard and a record of the message boxes shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct TestMessageBox {
    std::string text, caption;
    bool errorIcon = false;
};

void TestSetTicks(uint32_t ticks);
void TestAdvanceTicks(uint32_t milliseconds);
uint32_t TestSleptMilliseconds();  // total of all PlatSleep calls
void TestPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
void TestClearMessages();
void TestSetCursorClientPos(int x, int y);
void TestSetDesktopSize(int width, int height);  // 0, 0: the real screen's (also the work area)
void TestSetDisplayScale(float scale);           // what PlatDisplayScale says (1 until set)
void TestSetModuleFileName(const std::string& path);
void TestSetUserDataFolder(const std::string& path);  // empty: none
void TestSetClipboard(const std::string& text);
const std::vector<TestMessageBox>& TestMessageBoxes();
// The loading screen as painted: RGB of one client pixel, or false outside it.
bool TestReadPaintedPixel(int x, int y, uint8_t rgb[3]);
int TestCursorShowCount();  // the Win32-style cursor display counter
void TestClearMessageBoxes();
void TestSetGLContextFails(bool fails);  // the next PlatCreateGLContext fails
int TestSwapCount();
// Waiting for messages: by default a wait with nothing queued returns at once and the
// clock stands still. After TestLetWaitsRunUntil(t) such a wait lets the clock run to
// its own timeout, or to tick t when that comes first (a user who leaves the program
// alone until t); TestStopWaits() goes back to the default.
void TestLetWaitsRunUntil(uint32_t tick);
void TestStopWaits();
int TestWaitCount();
uint32_t TestLastWaitTimeout();

// Helpers that inject what a user's hand would produce.
void TestKeyDown(uint8_t vk, unsigned scanCode = 0, bool extended = false);
void TestKeyUp(uint8_t vk, unsigned scanCode = 0, bool extended = false);
void TestMouseButton(uint32_t message, int x, int y);  // moves the cursor there first
void TestMouseMove(int x, int y);
void TestWheel(int delta);
void TestChar(uint16_t character);
void TestFocusLost();  // the window loses the focus (Alt+Tab to another program)
