// win32_window.cpp - the window class and window, the window procedure that hands real
// Win32 messages to the engine, GDI painting of the loading screen, the WGL context
// and the system cursor. Shared by the desktop and the test system backends.
#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "platform/gl_picture.h"
#include "platform/win32/win32_internal.h"

namespace {

const wchar_t kClassName[] = L"CopperKestrel";

struct Win32WindowState {
    PlatWndProc proc = nullptr;
    bool classRegistered = false;
    bool unregisterPending = false;  // asked while a window of the class still lived
    HWND hwnd = nullptr;
    HDC dc = nullptr;  // the window's own DC, kept for its whole life
    HGLRC gl = nullptr;
    HWND msgHwnd = nullptr;  // the window whose message is being handled now
    bool inPaint = false;    // inside WM_PAINT, before the update region is validated
    int cursorCount = 0;     // Win32's display counter, as ShowCursor returns it
    // The GDI picture: a client-sized top-down 32-bit DIB section in a memory DC, so
    // that it can be shown through GDI before GL exists and through GL afterwards.
    HDC paintDC = nullptr;
    HBITMAP paintBitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    uint32_t* paintBits = nullptr;  // 0x00RRGGBB per pixel, top row first
    int paintW = 0, paintH = 0;
    COLORREF textColor = RGB(0, 255, 0);
    void (*emergency)() = nullptr;
    HICON icon = nullptr;  // set with WM_SETICON, destroyed after the window
    PlatRect textInputSpot;
    // A resizable window's smallest client area: the size it was made for.
    int minClientW = 0, minClientH = 0;
    DWORD style = 0;
};
Win32WindowState g_win;

// A function of user32 that older Windows lacks (the per-monitor DPI calls came with
// Windows 10 1607), looked up at run time so that the program still starts there.
template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, name) : nullptr;
    // Through void (*)(), the one cast between function types GCC does not question.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// The DPI of the monitor the window is on; the system's when there is no window.
UINT DisplayDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    using DpiForSystem = UINT(WINAPI*)();
    static const DpiForWindow forWindow = User32Function<DpiForWindow>("GetDpiForWindow");
    static const DpiForSystem forSystem = User32Function<DpiForSystem>("GetDpiForSystem");
    UINT dpi = 0;
    if (window && forWindow) dpi = forWindow(window);
    if (dpi == 0 && forSystem) dpi = forSystem();
    if (dpi == 0) {
        // The system's DPI as every version of Windows tells it.
        HDC screen = GetDC(nullptr);
        if (screen) {
            dpi = static_cast<UINT>(std::max(0, GetDeviceCaps(screen, LOGPIXELSX)));
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi;
}

LRESULT CALLBACK KestrelWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The session is ending: Windows ends the process after this message returns.
    if (message == WM_ENDSESSION && wParam && g_win.emergency) {
        void (*handler)() = g_win.emergency;
        g_win.emergency = nullptr;
        handler();
    }
    if (message == WM_GETMINMAXINFO && g_win.minClientW > 0) {
        RECT frame{0, 0, g_win.minClientW, g_win.minClientH};
        // The frame as thick as it is drawn on the window's monitor, which may differ
        // from the system's DPI that AdjustWindowRectEx measures with.
        using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
        static const AdjustForDpi adjustForDpi = User32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
        if (!adjustForDpi || !adjustForDpi(&frame, g_win.style, FALSE, 0, DisplayDpi(hwnd)))
            AdjustWindowRectEx(&frame, g_win.style, FALSE, 0);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = frame.right - frame.left;
        info->ptMinTrackSize.y = frame.bottom - frame.top;
        return 0;
    }
    // Moved onto a monitor of another scale, or the scale was changed: Windows suggests
    // the rectangle that keeps the window's content the same size to the eye there.
    // Taking it sends the usual WM_SIZE, from whose client size the engine picks its
    // scale.
    if (message == WM_DPICHANGED) {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (!g_win.proc) return DefWindowProcW(hwnd, message, wParam, lParam);
    // Key codes from 230 up are the engine's own (mouse buttons, wheel, left/right
    // modifiers); the few Windows keys there (VK_PACKET, which carries a typed or
    // injected character whose WM_CHAR follows anyway, and OEM keys of Japanese
    // keyboards) would pass for a mouse button or a held Shift, so they stop here.
    const bool keyMessage =
        message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
    if (keyMessage && wParam >= 0xE6) return DefWindowProcW(hwnd, message, wParam, lParam);
    // PlatDefWindowProc needs the window of the message in hand; messages nest
    // (MoveWindow sends WM_SIZE from inside another message), so keep the outer one.
    const HWND outerHwnd = g_win.msgHwnd;
    const bool outerPaint = g_win.inPaint;
    g_win.msgHwnd = hwnd;
    g_win.inPaint = message == WM_PAINT;
    const intptr_t result = g_win.proc(message, wParam, lParam);
    g_win.msgHwnd = outerHwnd;
    g_win.inPaint = outerPaint;
    if (message == WM_NCDESTROY && hwnd == g_win.hwnd) {
        // Destroyed behind our back (DefWindowProc on a close, for instance).
        g_win.hwnd = nullptr;
        g_win.dc = nullptr;
    }
    return result;
}

void FreePaintSurface() {
    if (!g_win.paintDC) return;
    SelectObject(g_win.paintDC, g_win.oldBitmap);
    DeleteObject(g_win.paintBitmap);
    DeleteDC(g_win.paintDC);
    g_win.paintDC = nullptr;
    g_win.paintBitmap = nullptr;
    g_win.paintBits = nullptr;
    g_win.paintW = g_win.paintH = 0;
}

bool MakePaintSurface(int w, int h) {
    FreePaintSurface();
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    g_win.paintDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    g_win.paintBitmap = CreateDIBSection(g_win.paintDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!g_win.paintDC || !g_win.paintBitmap) {
        if (g_win.paintBitmap) DeleteObject(g_win.paintBitmap);
        if (g_win.paintDC) DeleteDC(g_win.paintDC);
        g_win.paintDC = nullptr;
        g_win.paintBitmap = nullptr;
        return false;
    }
    g_win.oldBitmap = SelectObject(g_win.paintDC, g_win.paintBitmap);
    g_win.paintBits = static_cast<uint32_t*>(bits);
    g_win.paintW = w;
    g_win.paintH = h;
    SelectObject(g_win.paintDC, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(g_win.paintDC, TRANSPARENT);
    SetBkColor(g_win.paintDC, RGB(0, 0, 0));
    SetTextColor(g_win.paintDC, g_win.textColor);
    return true;
}

// Once the window has a GL pixel format, GDI output may sit under the GL surface (it
// does under Wine), so the picture then goes through GL as a pixel rectangle.
void PresentPaintThroughGL() {
    GdiFlush();
    DrawPictureThroughGL(g_win.paintBits, g_win.paintW, g_win.paintH);
    SwapBuffers(g_win.dc);
}

}  // namespace

// ---- helpers shared with the system backend ----

HWND Win32Window() { return g_win.hwnd; }

intptr_t Win32DeliverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return KestrelWndProc(g_win.hwnd, message, wParam, lParam);
}

std::wstring Win32Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(0, n)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Win32Narrow(const wchar_t* utf16, int length) {
    if (!utf16 || length == 0) return {};
    if (length < 0) length = static_cast<int>(wcslen(utf16));
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(0, n)), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, utf16, length, out.data(), n, nullptr, nullptr);
    return out;
}

// ---- the desktop's work area and scale ----

void Win32WorkArea(PlatRect* rect) {
    // The monitor the window is on (most of it), or the primary one before there is a
    // window: where the window is, or will be, placed.
    const HMONITOR monitor = g_win.hwnd ? MonitorFromWindow(g_win.hwnd, MONITOR_DEFAULTTONEAREST)
                                        : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info) && info.rcWork.right > info.rcWork.left &&
        info.rcWork.bottom > info.rcWork.top) {
        *rect = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
        return;
    }
    *rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

float Win32DisplayScale() {
    const UINT dpi = DisplayDpi(g_win.hwnd);
    // 96 DPI is Windows' 100 %; anything outside what its settings offer is no scale.
    return dpi >= 48 && dpi <= 960 ? static_cast<float>(dpi) / 96.0f : 1.0f;
}

// ---- window class and window ----

PlatEmergencyHandler PlatSetEmergencyHandler(PlatEmergencyHandler handler) {
    const PlatEmergencyHandler previous = g_win.emergency;
    g_win.emergency = handler;
    return previous;
}

void PlatRegisterWindowClass(PlatWndProc proc) {
    g_win.proc = proc;
    g_win.unregisterPending = false;
    if (g_win.classRegistered) return;
    WNDCLASSW wc{};
    // An own DC: the GL context is made on one device context that must stay the
    // same for the whole life of the window.
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = KestrelWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    LOGBRUSH black{};  // style, colour and hatch all 0: a solid black brush
    wc.hbrBackground = CreateBrushIndirect(&black);
    wc.lpszClassName = kClassName;
    g_win.classRegistered = RegisterClassW(&wc) != 0;
}

void PlatUnregisterWindowClass() {
    g_win.proc = nullptr;
    if (!g_win.classRegistered) return;
    // Windows refuses to remove a class while a window of it exists; the engine
    // removes the class first, so finish the job once the window is gone.
    if (g_win.hwnd) {
        g_win.unregisterPending = true;
        return;
    }
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    g_win.classRegistered = false;
}

bool PlatCreateWindow(const char16_t* title, int x, int y, int width, int height, PlatWindowStyle style) {
    if (g_win.hwnd || !g_win.classRegistered) return false;
    DWORD ws = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    if (style == PlatWindowStyle::Popup) ws = WS_POPUP;
    if (style == PlatWindowStyle::Overlapped) ws = WS_OVERLAPPEDWINDOW;
    // char16_t and wchar_t are both UTF-16 code units on Windows.
    const wchar_t* wtitle = title ? reinterpret_cast<const wchar_t*>(title) : L"";
    g_win.style = ws;
    // The smallest client area applies from after the creation on: Windows holds the
    // size a window is created with to its minimum too, and the outer size given here
    // has a smaller client area than the one the caller grows it to next.
    g_win.minClientW = g_win.minClientH = 0;
    HWND hwnd = CreateWindowExW(0, kClassName, wtitle, ws, x, y, width, height, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    g_win.minClientW = style == PlatWindowStyle::Overlapped ? width : 0;
    g_win.minClientH = style == PlatWindowStyle::Overlapped ? height : 0;
    g_win.hwnd = hwnd;
    g_win.dc = GetDC(hwnd);
    // The loading screen's text: transparent background, black behind it, green.
    SetBkMode(g_win.dc, TRANSPARENT);
    SetBkColor(g_win.dc, RGB(0, 0, 0));
    SetTextColor(g_win.dc, g_win.textColor);
    return true;
}

void PlatDestroyWindow() {
    if (!g_win.hwnd) return;
    HWND hwnd = g_win.hwnd;
    g_win.hwnd = nullptr;
    g_win.dc = nullptr;
    DestroyWindow(hwnd);  // WM_DESTROY reaches the engine on the way
    FreePaintSurface();
    if (g_win.icon) DestroyIcon(g_win.icon);
    g_win.icon = nullptr;
    if (g_win.unregisterPending) {
        g_win.unregisterPending = false;
        UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
        g_win.classRegistered = false;
    }
}

// Composed text itself needs nothing here: the window is a Unicode one, so
// DefWindowProcW turns the input method's WM_IME_COMPOSITION into WM_IME_CHAR and
// that into WM_CHAR, one UTF-16 unit each, which the engine already handles.
void PlatSetTextInputSpot(const PlatRect& caret) {
    g_win.textInputSpot = caret;
    if (!g_win.hwnd || !Win32UsesInputMethod()) return;
    HIMC context = ImmGetContext(g_win.hwnd);
    if (!context) return;  // no input method for this window's thread
    COMPOSITIONFORM composition{};
    composition.dwStyle = CFS_POINT;
    composition.ptCurrentPos = {caret.left, caret.top};
    ImmSetCompositionWindow(context, &composition);
    // The candidate list goes below the caret's line and never covers it.
    CANDIDATEFORM candidates{};
    candidates.dwIndex = 0;
    candidates.dwStyle = CFS_EXCLUDE;
    candidates.ptCurrentPos = {caret.left, caret.bottom};
    candidates.rcArea = {caret.left, caret.top, caret.right, caret.bottom};
    ImmSetCandidateWindow(context, &candidates);
    ImmReleaseContext(g_win.hwnd, context);
}

PlatRect PlatTextInputSpot() { return g_win.textInputSpot; }

bool PlatHasWindow() { return g_win.hwnd != nullptr; }

void PlatSetWindowTitle(const char16_t* title) {
    if (g_win.hwnd) SetWindowTextW(g_win.hwnd, title ? reinterpret_cast<const wchar_t*>(title) : L"");
}

void PlatSetWindowIcon(const uint8_t* rgba, int width, int height) {
    if (!g_win.hwnd || !rgba || width <= 0 || height <= 0) return;
    // A 32-bit top-down DIB with alpha is an icon's colour plane; the mask is unused
    // then, but CreateIconIndirect still wants one.
    BITMAPV5HEADER header = {};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = -height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    HICON icon = nullptr;
    if (color && mask && bits) {
        auto* out = static_cast<uint8_t*>(bits);
        for (int i = 0; i < width * height; ++i) {
            out[4 * i + 0] = rgba[4 * i + 2];
            out[4 * i + 1] = rgba[4 * i + 1];
            out[4 * i + 2] = rgba[4 * i + 0];
            out[4 * i + 3] = rgba[4 * i + 3];
        }
        ICONINFO info = {};
        info.fIcon = TRUE;
        info.hbmMask = mask;
        info.hbmColor = color;
        icon = CreateIconIndirect(&info);
    }
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
    if (!icon) return;
    SendMessageW(g_win.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(g_win.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (g_win.icon) DestroyIcon(g_win.icon);
    g_win.icon = icon;
}

void PlatGetWindowRect(PlatRect* rect) {
    *rect = {};
    RECT r;
    if (g_win.hwnd && GetWindowRect(g_win.hwnd, &r)) *rect = {r.left, r.top, r.right, r.bottom};
}

void PlatGetClientRect(PlatRect* rect) {
    *rect = {};
    RECT r;
    if (g_win.hwnd && GetClientRect(g_win.hwnd, &r)) *rect = {r.left, r.top, r.right, r.bottom};
}

void PlatMoveWindow(int x, int y, int width, int height) {
    if (g_win.hwnd) MoveWindow(g_win.hwnd, x, y, width, height, TRUE);
}

void PlatShowWindow() {
    if (g_win.hwnd) ShowWindow(g_win.hwnd, SW_SHOWNORMAL);
}

void PlatUpdateWindow() {
    if (g_win.hwnd) UpdateWindow(g_win.hwnd);
}

void PlatInvalidateWindow() {
    if (g_win.hwnd) InvalidateRect(g_win.hwnd, nullptr, FALSE);
}

intptr_t PlatDefWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND hwnd = g_win.msgHwnd ? g_win.msgHwnd : g_win.hwnd;
    // Closing goes through our own bookkeeping so the window and its DC are forgotten.
    if (message == WM_CLOSE && hwnd == g_win.hwnd) {
        PlatDestroyWindow();
        return 0;
    }
    return hwnd ? DefWindowProcW(hwnd, message, wParam, lParam) : 0;
}

// ---- GDI painting ----

void PlatBeginPaint() {
    // Inside WM_PAINT: validate (and erase) the update region first, so the default
    // processing that follows cannot paint the class brush over the picture.
    if (g_win.inPaint && g_win.msgHwnd == g_win.hwnd && g_win.hwnd) {
        PAINTSTRUCT ps;
        BeginPaint(g_win.hwnd, &ps);
        EndPaint(g_win.hwnd, &ps);
        g_win.inPaint = false;
    }
    PlatRect client;
    PlatGetClientRect(&client);
    if (client.right != g_win.paintW || client.bottom != g_win.paintH || !g_win.paintDC)
        MakePaintSurface(client.right, client.bottom);
}

void PlatFillRect(const PlatRect& rect, uint8_t r, uint8_t g, uint8_t b) {
    if (!g_win.paintDC) return;
    const RECT rc{rect.left, rect.top, rect.right, rect.bottom};
    HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
    FillRect(g_win.paintDC, &rc, brush);
    DeleteObject(brush);
}

void PlatSetTextColor(uint8_t r, uint8_t g, uint8_t b) {
    g_win.textColor = RGB(r, g, b);
    if (g_win.dc) SetTextColor(g_win.dc, g_win.textColor);
    if (g_win.paintDC) SetTextColor(g_win.paintDC, g_win.textColor);
}

void PlatTextOut(int x, int y, const char* text) {
    if (!g_win.paintDC || !text) return;
    const std::wstring wide = Win32Widen(text);
    TextOutW(g_win.paintDC, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void PlatEndPaint() {
    if (!g_win.hwnd || !g_win.paintDC) return;
    if (g_win.gl)
        PresentPaintThroughGL();
    else
        BitBlt(g_win.dc, 0, 0, g_win.paintW, g_win.paintH, g_win.paintDC, 0, 0, SRCCOPY);
    GdiFlush();
}

bool Win32ReadPaintedPixel(int x, int y, uint8_t rgb[3]) {
    if (!g_win.paintDC || x < 0 || y < 0 || x >= g_win.paintW || y >= g_win.paintH) return false;
    const COLORREF c = GetPixel(g_win.paintDC, x, y);
    if (c == CLR_INVALID) return false;
    rgb[0] = GetRValue(c);
    rgb[1] = GetGValue(c);
    rgb[2] = GetBValue(c);
    return true;
}

// ---- OpenGL through WGL ----

bool PlatCreateGLContext() {
    if (!g_win.hwnd || g_win.gl || !Win32GLContextAllowed()) return false;
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);  // 40
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    // A failed choice shows up as the context creation failing below.
    const int format = ChoosePixelFormat(g_win.dc, &pfd);
    SetPixelFormat(g_win.dc, format, &pfd);
    g_win.gl = wglCreateContext(g_win.dc);
    return g_win.gl != nullptr;
}

void PlatMakeGLCurrent(bool current) {
    if (!g_win.gl) return;
    if (current && g_win.dc)
        wglMakeCurrent(g_win.dc, g_win.gl);
    else
        wglMakeCurrent(nullptr, nullptr);
}

void PlatDeleteGLContext() {
    if (!g_win.gl) return;
    if (wglGetCurrentContext() == g_win.gl) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(g_win.gl);
    g_win.gl = nullptr;
}

bool PlatHasGLContext() { return g_win.gl != nullptr; }

void PlatSwapBuffers() {
    if (!g_win.hwnd || !g_win.gl) return;
    SwapBuffers(g_win.dc);
    Win32AfterSwap();
}

// ---- cursor ----

void PlatShowCursor(bool show) { g_win.cursorCount = ShowCursor(show ? TRUE : FALSE); }

int Win32CursorShowCount() { return g_win.cursorCount; }
