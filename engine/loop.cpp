// loop.cpp - the single-threaded main loop: one frame per turn (clock, GUI drawing
// and update, present, message pump), drawn only when something changed or is due
// and otherwise waiting in the platform layer; the frame clock with its pause around
// minimising and modal boxes, and the table of numeric engine settings.
#include <algorithm>
#include <cmath>

#include "engine/engine.h"
#include "engine/gui_hooks.h"
#include "platform/platform.h"

namespace {

// No wait lasts longer than this, so that anything noticed only by looking (a flag a
// signal handler set, for instance) is still seen within a second.
constexpr uint32_t kLongestWaitMs = 1000;
// While work is out on another thread, its end is looked for this often.
constexpr uint32_t kBackgroundPollMs = 10;

// Sleeps until the next message or the earliest time a frame was asked for, then
// handles the messages that came.
void WaitForWork() {
    uint32_t timeout = kLongestWaitMs;
    // Nothing is drawn while minimised: only a message (the restore) matters then.
    if (g_engine.wakePending && !g_engine.minimised) {
        const int32_t left = static_cast<int32_t>(g_engine.wakeTick - PlatGetTickCount());
        timeout = left <= 0 ? 0u : std::min(timeout, static_cast<uint32_t>(left));
    }
    if (BackgroundWorkPending()) timeout = std::min(timeout, kBackgroundPollMs);
    if (PlatWaitMessage(timeout)) {
        // Whatever ended the wait (an exposure, a focus change) may change the picture,
        // even when the backend turns it into no message of its own.
        RequestFrame();
        // The time slept passes for the controls before the input is handled, as it did
        // when a frame ran just before each pump: a timer that the input restarts (a
        // tooltip's delay, the blink of a caret just moved) must not count the rest.
        if (!g_engine.minimised) Gui().update(ElapsedSeconds(g_engine.lastTick));
    }
    PumpMessages();
}

}  // namespace

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
    // A turn with nothing to draw waits instead. No time is lost or invented: the next
    // update sees the real time since the last one. Every timer that moves the picture
    // has asked to be woken when it is due, so none of them runs past its moment by
    // more than a tick, and input that ends a rest is handled after the time slept.
    RunFinishedBackgroundWork();
    if (g_engine.idleWait && (g_engine.minimised || !FrameDue())) {
        WaitForWork();
        RunFinishedBackgroundWork();
        if (g_engine.minimised || !FrameDue()) return;
    }
    const float dt = ElapsedSeconds(g_engine.lastTick);
    Gui().resetPointer();
    if (g_engine.minimised) {
        PlatSleep(10);
        PumpMessages();
        return;
    }
    // What is asked for from here on (by drawing, updating, the messages pumped at the
    // end) is for the next frame. A frame drawn for a change gets one more: the update
    // runs after the drawing, and what it changes (a drag, a scroll range) shows only then.
    g_engine.settleFrame = g_engine.frameChanged;
    g_engine.frameChanged = 0;
    g_engine.wakePending = 0;
    ClearScreenMargins();
    Gui().draw();
    Gui().update(dt);
    // The finished picture is in the back buffer only until the swap.
    if (!g_engine.pendingScreenshots.empty()) TakePendingScreenshots();
    PlatSwapBuffers();
    ++g_engine.framesPresented;
    PumpMessages();
}

void StopEngine() { g_engine.running = 0; }

void RequestFrame() { g_engine.frameChanged = 1; }

void RequestFrameIn(float seconds) {
    // One tick past the moment: a timer that runs out exactly at the wake would still
    // hold a sliver of time and need another frame to see it pass.
    const double ms = std::ceil(std::clamp(static_cast<double>(seconds), 0.0, 86400.0) * 1000.0) + 1.0;
    const uint32_t tick = PlatGetTickCount() + static_cast<uint32_t>(ms);
    if (!g_engine.wakePending || static_cast<int32_t>(tick - g_engine.wakeTick) < 0) g_engine.wakeTick = tick;
    g_engine.wakePending = 1;
}

bool FrameDue() {
    if (g_engine.frameChanged || g_engine.settleFrame) return true;
    return g_engine.wakePending && static_cast<int32_t>(PlatGetTickCount() - g_engine.wakeTick) >= 0;
}

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
        case SETTING_COLOR_TAGS:
            g_engine.colorTags = value == 1.0f ? 1 : 0;
            break;
        case SETTING_NEAR:
            g_engine.nearPlane = value;
            break;
        case SETTING_FAR:
            g_engine.farPlane = value;
            break;
        case SETTING_DOUBLE_CLICK:
            g_engine.doubleClickTime = value;
            break;
        default:
            break;
    }
}

float GetEngineSetting(int id) {
    switch (id) {
        case SETTING_COLOR_TAGS:
            return g_engine.colorTags ? 1.0f : 0.0f;
        case SETTING_NEAR:
            return g_engine.nearPlane;
        case SETTING_FAR:
            return g_engine.farPlane;
        case SETTING_DOUBLE_CLICK:
            return g_engine.doubleClickTime;
        default:
            return 0.0f;
    }
}
