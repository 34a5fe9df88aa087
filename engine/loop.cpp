// loop.cpp - the single-threaded main loop: one frame per turn (clock, GUI drawing
// and update, present, message pump), the frame clock with its pause around
// minimising and modal boxes, and the table of numeric engine settings.
#include "engine/engine.h"
#include "engine/gui_hooks.h"
#include "platform/platform.h"

void RunEngine() {
    if (g_input.keyNames[0][0] == 0) LoadKeyNames();
    g_engine.running = g_engine.quitRequested ? 0 : 1;
    int x = 0, y = 0;
    PlatGetCursorClientPos(&x, &y);
    g_input.lastMouseX = x;
    g_input.lastMouseY = y;
    ElapsedSeconds(g_engine.lastTick);
    while (g_engine.running) EngineFrame();
    g_engine.closeAllowed = 1;
}

void EngineFrame() {
    const float dt = ElapsedSeconds(g_engine.lastTick);
    GuiResetPointer();
    if (g_engine.minimised) {
        PlatSleep(10);
        PumpMessages();
        return;
    }
    GuiDraw();
    GuiUpdate(dt);
    // The finished picture is in the back buffer only until the swap.
    if (g_engine.pendingScreenshot[0]) {
        SaveScreenshot(g_engine.pendingScreenshot);
        g_engine.pendingScreenshot[0] = 0;
    }
    PlatSwapBuffers();
    ++g_engine.framesPresented;
    PumpMessages();
}

void StopEngine() { g_engine.running = 0; }

void PumpMessages() {
    PlatMsg msg;
    while (PlatPeekMessage(&msg)) {
        PlatTranslateMessage(&msg);
        PlatDispatchMessage(&msg);
    }
}

float ElapsedSeconds(uint32_t& lastTick) {
    const uint32_t now = PlatGetTickCount();
    if (now == lastTick) return 0.0f;
    double d = static_cast<int32_t>(now - lastTick);
    if (d < 0) d += 4294967296.0;  // the counter wrapped
    lastTick = now;
    return static_cast<float>(d * 0.001);
}

void PauseClock() {
    g_engine.pausedRemainder = static_cast<int32_t>(PlatGetTickCount() - g_engine.lastTick);
    // Only a short remainder is carried over; a stale one would become one huge frame.
    if (g_engine.pausedRemainder > 10) g_engine.pausedRemainder = 0;
    g_engine.clockPaused = 1;
}

void ResumeClock() {
    g_engine.lastTick = PlatGetTickCount() - static_cast<uint32_t>(g_engine.pausedRemainder);
    g_engine.clockPaused = 0;
}

void SetEngineSetting(int id, float value) {
    switch (id) {
    case SETTING_COLOR_TAGS: g_engine.colorTags = value == 1.0f ? 1 : 0; break;
    case SETTING_NEAR: g_engine.nearPlane = value; break;
    case SETTING_FAR: g_engine.farPlane = value; break;
    case SETTING_DOUBLE_CLICK: g_engine.doubleClickTime = value; break;
    default: break;
    }
}

float GetEngineSetting(int id) {
    switch (id) {
    case SETTING_COLOR_TAGS: return g_engine.colorTags ? 1.0f : 0.0f;
    case SETTING_NEAR: return g_engine.nearPlane;
    case SETTING_FAR: return g_engine.farPlane;
    case SETTING_DOUBLE_CLICK: return g_engine.doubleClickTime;
    default: return 0.0f;
    }
}
