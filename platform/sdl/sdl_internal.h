// sdl_internal.h - what the SDL window code shares with the two system backends
// (desktop and test) that are linked beside it.
#pragma once

#include <deque>

#include "platform/platform.h"

// Translates every pending SDL event into Win32-style messages appended to `out`,
// or throws them away when `out` is null (the test backend injects its own input).
void SdlDrainEvents(std::deque<PlatMsg>* out);
// True once per invalidation: the caller then delivers a WM_PAINT.
bool SdlTakePaintRequest();
// True while an invalidation waits to be taken (it must end a wait for messages).
bool SdlPaintPending();
// False makes the next GL context creation fail (tests of the failure path).
bool SdlGLContextAllowed();
// Called after every buffer swap; the desktop backend paces to the refresh rate here.
void SdlAfterSwap();
// What the window code did, for the scripted backend's checks: RGB of one client pixel
// of the painted loading screen (false outside it), and the Win32-style cursor display
// counter.
bool SdlReadPaintedPixel(int x, int y, uint8_t rgb[3]);
int SdlCursorShowCount();
// Win32 scan code and extended flag of a key, and its virtual-key code (0: none).
struct SdlKeyInfo {
    uint8_t vk = 0;
    uint8_t scan = 0;
    bool extended = false;
};
SdlKeyInfo SdlTranslateKey(int sdlScancode, int sdlKeycode, bool numLock);
// The Xft.dpi resource of the X server's resource database / 96 (what the desktop sets
// its scale with); 1 when it is not set or there is no X server.
float SdlXftScale();
// The usable part of the first display (the whole display where SDL cannot tell).
void SdlWorkArea(PlatRect* rect);
