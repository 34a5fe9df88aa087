// screen_scale.cpp - the 800 x 600 screen on windows of any size: the scale step the
// client area holds, the viewport that centres the screen in it, the mapping of the
// pointer between client pixels and the screen, and resizing the window for a scale.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "engine/engine.h"
#include "platform/platform.h"

namespace {

// The window's frame: how much larger its outer rectangle is than its client area.
void FrameSize(int* w, int* h) {
    PlatRect outer, client;
    PlatGetWindowRect(&outer);
    PlatGetClientRect(&client);
    *w = (outer.right - outer.left) - (client.right - client.left);
    *h = (outer.bottom - outer.top) - (client.bottom - client.top);
}

}  // namespace

float ScaleStepAtMost(float scale) {
    float best = kScreenScales[0];
    for (float step : kScreenScales)
        if (step <= scale + 0.001f) best = step;
    return best;
}

float LargestScaleFor(int width, int height) {
    float best = 0;
    for (float step : kScreenScales)
        if (std::lround(kVirtualWidth * step) <= width && std::lround(kVirtualHeight * step) <= height) best = step;
    return best;
}

bool ScreenStretched() {
    return g_engine.clientWidth < g_engine.virtualWidth || g_engine.clientHeight < g_engine.virtualHeight;
}

void FitScreenToClient(int width, int height) {
    const float scale = LargestScaleFor(width, height);
    if (scale == 0 || g_engine.virtualWidth != kVirtualWidth || g_engine.virtualHeight != kVirtualHeight) {
        // Smaller than the layout (or a screen of another size): stretched as it always was.
        g_engine.drawScale = 1.0f;
        g_engine.originX = g_engine.originY = 0;
        return;
    }
    g_engine.drawScale = scale;
    g_engine.originX = (width - int(std::lround(kVirtualWidth * scale))) / 2;
    g_engine.originY = (height - int(std::lround(kVirtualHeight * scale))) / 2;
}

int ScreenDeviceWidth() {
    return ScreenStretched() ? g_engine.clientWidth : int(std::lround(g_engine.virtualWidth * g_engine.drawScale));
}

int ScreenDeviceHeight() {
    return ScreenStretched() ? g_engine.clientHeight : int(std::lround(g_engine.virtualHeight * g_engine.drawScale));
}

void ApplyScreenViewport() {
    // GL counts rows from the bottom of the client area.
    const int h = ScreenDeviceHeight();
    glViewport(g_engine.originX, g_engine.clientHeight - g_engine.originY - h, ScreenDeviceWidth(), h);
}

bool ScreenLeavesMargins() {
    return ScreenDeviceWidth() < g_engine.clientWidth || ScreenDeviceHeight() < g_engine.clientHeight;
}

void ClearScreenMargins() {
    if (!ScreenLeavesMargins()) return;
    glClearColor(g_engine.marginColour[0], g_engine.marginColour[1], g_engine.marginColour[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void ClientToScreen(float px, float py, float* x, float* y) {
    if (ScreenStretched()) {
        *x = px * g_engine.virtualWidth / std::max<int>(1, g_engine.clientWidth);
        *y = py * g_engine.virtualHeight / std::max<int>(1, g_engine.clientHeight);
        return;
    }
    *x = (px - g_engine.originX) / g_engine.drawScale;
    *y = (py - g_engine.originY) / g_engine.drawScale;
}

void ScreenToClient(float x, float y, float* px, float* py) {
    if (ScreenStretched()) {
        *px = x * g_engine.clientWidth / std::max(1, g_engine.virtualWidth);
        *py = y * g_engine.clientHeight / std::max(1, g_engine.virtualHeight);
        return;
    }
    *px = g_engine.originX + x * g_engine.drawScale;
    *py = g_engine.originY + y * g_engine.drawScale;
}

void ScreenLineWidth(float width) {
    // Whole device pixels when scaled: a line 1.25 pixels wide would be smoothed into a
    // blur over three rows.
    const float s = g_engine.drawScale;
    glLineWidth(s == 1.0f ? width : std::max(1.0f, std::round(width * s)));
}

float LargestWindowScale() {
    PlatRect area;
    PlatGetWorkArea(&area);
    int frameW = 0, frameH = 0;
    if (PlatHasWindow()) FrameSize(&frameW, &frameH);
    const float fits = LargestScaleFor(area.right - area.left - frameW, area.bottom - area.top - frameH);
    return fits > 0 ? fits : kScreenScales[0];
}

bool ResizeWindowForScale(float scale) {
    if (!PlatHasWindow() || scale > LargestWindowScale() + 0.001f) return false;
    PlatRect area;
    PlatGetWorkArea(&area);
    int frameW = 0, frameH = 0;
    FrameSize(&frameW, &frameH);
    const int w = int(std::lround(kVirtualWidth * scale)) + frameW;
    const int h = int(std::lround(kVirtualHeight * scale)) + frameH;
    PlatMoveWindow(area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2, w, h);
    return true;
}
