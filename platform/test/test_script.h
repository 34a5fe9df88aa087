// test_script.h - the scripted half of the test backends, the same on every system:
// the clock, the injected message queue, the cursor, clipboard, message boxes and the
// other values tests set. The SDL and Win32 test backends add the real window on top.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/test/test_platform.h"

struct TestScript {
    std::deque<PlatMsg> queue;
    uint32_t ticks = 1000;
    uint32_t slept = 0;
    int cursorX = 0, cursorY = 0;
    int desktopW = 0, desktopH = 0;  // 0: the real screen's
    std::string moduleFileName;
    std::string userDataFolder;  // empty: the user has none
    std::string clipboard;
    std::vector<TestMessageBox> boxes;
    int swaps = 0;
    int waits = 0;  // PlatWaitMessage calls
    uint32_t lastWaitTimeout = 0;
    bool waitsRun = false;  // waits move the clock, up to waitLimit
    uint32_t waitLimit = 0;
    bool glFails = false;
    float displayScale = 1.0f;
};
extern TestScript g_script;

// Takes the next injected message; a mouse message places the cursor where it says.
bool TakeScriptedMessage(PlatMsg* msg);
// False once after TestSetGLContextFails(true).
bool ScriptAllowsGLContext();
// The scripted desktop size, if a test set one.
bool ScriptedDesktopSize(int* width, int* height);
