// win32_test_support.h - the Windows tests' shared window: the engine's window with a
// procedure that records every message first, a pump that waits for Wine's input, and
// Unicode injection through SendInput. Free of <windows.h>, so GUI tests can use it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

void WinTestOpenWindow();                // engine, 800 x 600 window in front, record cleared
void WinTestCloseWindow();               // engine shut down, queue drained
void WinTestPump(int ms);                // pumps real messages for about ms milliseconds
std::vector<PlatMsg>& WinTestSeen();     // messages the window procedure received
void WinTestSendUnicode(uint16_t unit);  // one UTF-16 unit, as KEYEVENTF_UNICODE press and release
