// test_system.cpp - the scripted test backend on SDL: the real window and GL context of
// the SDL window code, with the scripted clock, input, cursor, clipboard and message
// boxes of test_script.cpp. Real input reaching the window is thrown away.
#include <SDL2/SDL.h>

#include "platform/sdl/sdl_internal.h"
#include "platform/test/test_script.h"

void PlatGetDesktopSize(int* width, int* height) {
    if (ScriptedDesktopSize(width, height)) return;
    SDL_DisplayMode mode{};
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 1024;
        *height = 768;
    }
}

void PlatGetWorkArea(PlatRect* rect) {
    int w = 0, h = 0;
    if (ScriptedDesktopSize(&w, &h))
        *rect = {0, 0, w, h};
    else
        SdlWorkArea(rect);
}

float PlatDisplayScale() { return g_script.displayScale; }

bool PlatPeekMessage(PlatMsg* msg) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SdlDrainEvents(nullptr);
    if (TakeScriptedMessage(msg)) return true;
    if (PlatHasWindow() && SdlTakePaintRequest()) {
        *msg = {WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

bool TestReadPaintedPixel(int x, int y, uint8_t rgb[3]) { return SdlReadPaintedPixel(x, y, rgb); }
int TestCursorShowCount() { return SdlCursorShowCount(); }

bool SdlGLContextAllowed() { return ScriptAllowsGLContext(); }
void SdlAfterSwap() { ++g_script.swaps; }
char PlatPathSeparator() { return '/'; }
