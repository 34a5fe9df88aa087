// engine_fixture.h - starts the engine once per test program on the test backend:
// a real 800 x 600 window with a real GL context (Mesa), the scripted clock and
// injected messages of platform/test, and pixel read-back for tests of the look.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "engine/engine.h"
#include "platform/test/test_platform.h"

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// InitEngine, CreateEngineWindow(800, 600, 0), InitGL and Begin2D, once per process.
inline void EnsureTestEngine() {
    static bool started = false;
    if (started) return;
    started = true;
    InitEngine("Quarnel tests");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
}

// Client pixel (x, y), origin top-left, read from the back buffer being drawn.
inline Rgb ReadPixel(int x, int y) {
    uint8_t px[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, g_engine.clientHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

// Clears the back buffer (tests start from a known picture).
inline void ClearScreen(float r = 0, float g = 0, float b = 0) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}
