// win32_internal.h - what the Win32 window code shares with the system backend linked
// beside it (the desktop one, or the scripted test one), and the UTF-8/UTF-16 helpers.
// Include it instead of <windows.h> wherever platform.h is needed too.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// <windows.h> first: the others need its macros.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <imm.h>
// clang-format on

// platform.h names the same messages, size types and virtual keys as constants with
// Windows' own values; the macros would turn its declarations into numbers.
#undef SIZE_MAXIMIZED
#undef SIZE_MINIMIZED
#undef SIZE_RESTORED
#undef VK_ADD
#undef VK_APPS
#undef VK_BACK
#undef VK_CAPITAL
#undef VK_CLEAR
#undef VK_CONTROL
#undef VK_DECIMAL
#undef VK_DELETE
#undef VK_DIVIDE
#undef VK_DOWN
#undef VK_END
#undef VK_ESCAPE
#undef VK_F1
#undef VK_F12
#undef VK_F2
#undef VK_F3
#undef VK_F4
#undef VK_HOME
#undef VK_INSERT
#undef VK_LEFT
#undef VK_LWIN
#undef VK_MENU
#undef VK_MULTIPLY
#undef VK_NEXT
#undef VK_NUMLOCK
#undef VK_NUMPAD0
#undef VK_OEM_1
#undef VK_OEM_2
#undef VK_OEM_3
#undef VK_OEM_4
#undef VK_OEM_5
#undef VK_OEM_6
#undef VK_OEM_7
#undef VK_OEM_COMMA
#undef VK_OEM_MINUS
#undef VK_OEM_PERIOD
#undef VK_OEM_PLUS
#undef VK_PAUSE
#undef VK_PRIOR
#undef VK_RETURN
#undef VK_RIGHT
#undef VK_RWIN
#undef VK_SCROLL
#undef VK_SHIFT
#undef VK_SNAPSHOT
#undef VK_SPACE
#undef VK_SUBTRACT
#undef VK_TAB
#undef VK_UP
#undef WM_CHAR
#undef WM_CLOSE
#undef WM_DESTROY
#undef WM_KEYDOWN
#undef WM_KEYUP
#undef WM_KILLFOCUS
#undef WM_LBUTTONDOWN
#undef WM_LBUTTONUP
#undef WM_MBUTTONDOWN
#undef WM_MBUTTONUP
#undef WM_MOUSEMOVE
#undef WM_MOUSEWHEEL
#undef WM_PAINT
#undef WM_QUIT
#undef WM_RBUTTONDOWN
#undef WM_RBUTTONUP
#undef WM_SIZE
#undef WM_SYSKEYDOWN
#undef WM_SYSKEYUP

#include <string>

#include "platform/platform.h"

// The window that owns the GL context, the clipboard and the message boxes; null when none.
HWND Win32Window();
// False makes the next GL context creation fail (tests of the failure path).
bool Win32GLContextAllowed();
// Called after every buffer swap; the desktop backend paces to the refresh rate here.
void Win32AfterSwap();
// Whether the caret's spot is handed to the input method. The scripted backend keeps the
// spot for checks only: moving the IME windows makes Windows repaint and notify the
// window, frames that scripted input did not ask for.
bool Win32UsesInputMethod();
// Hands a message straight to the window procedure, as if Windows had dispatched it to
// the program's window (the test backend's injected input has no MSG of its own).
intptr_t Win32DeliverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

// What the window code did, for the scripted backend's checks: RGB of one client pixel
// of the painted loading screen (false outside it), and the Win32-style cursor display
// counter.
bool Win32ReadPaintedPixel(int x, int y, uint8_t rgb[3]);
int Win32CursorShowCount();

// The work area of the monitor the window is on (of the primary one before there is a
// window), and that monitor's DPI / 96; the test backend may script both instead.
void Win32WorkArea(PlatRect* rect);
float Win32DisplayScale();

// The program keeps text as UTF-8; Windows' wide calls take UTF-16.
std::wstring Win32Widen(const std::string& utf8);
std::string Win32Narrow(const wchar_t* utf16, int length = -1);
