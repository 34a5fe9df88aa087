// sdl_window.cpp - the window, its GL context and GDI-style painting on SDL2.
// Shared by the desktop and the test backend: both need a real window and a real
// GL context; they differ only in where time, input and the clipboard come from.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <X11/Xlib.h>
#include <ft2build.h>
#include <unistd.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gl_picture.h"
#include "platform/sdl/sdl_internal.h"

namespace {

struct SdlWindowState {
    PlatWndProc proc = nullptr;
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;
    bool paintPending = false;
    int cursorCount = 0;  // Win32's display counter: shown while >= 0
    // The GDI picture: client-sized, RGB in the low three bytes, top row first.
    std::vector<uint32_t> paint;
    int paintW = 0, paintH = 0;
    uint8_t textR = 0, textG = 0, textB = 0;
    FT_Library ft = nullptr;
    FT_Face face = nullptr;
    bool faceTried = false;
    void (*emergency)() = nullptr;
    PlatRect textInputSpot;
};
SdlWindowState g_sdl;

std::string Utf16ToUtf8(const char16_t* s) {
    std::string out;
    for (; s && *s; ++s) {
        uint32_t c = *s;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The X server went away. Xlib would call exit(), whose handlers then talk to the dead
// display again and can hang; leave at once instead.
int OnXServerLost(Display*) {
    static const char kMessage[] = "The connection to the display was lost.\n";
    (void)!write(2, kMessage, sizeof kMessage - 1);
    // The work in memory can still be written: that needs no display. The window went
    // with it: a call that would touch it (a new title) must now do nothing, as a second
    // X error here would end the program before the save.
    g_sdl.window = nullptr;
    if (void (*handler)() = g_sdl.emergency) {
        g_sdl.emergency = nullptr;
        handler();
    }
    _exit(1);
}

void EnsureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Without a display SDL falls back to its off-screen driver, and the editor would
    // run with a window nobody can see, never ending: only the drivers that show a
    // window are tried (SDL_VIDEODRIVER in the environment still chooses any), and
    // without one the program says so and ends before it touched anything.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland,KMSDRM");
    // The loading screen goes through SDL's window surface before GL is up. SDL would
    // back that surface with a hidden renderer of its own, whose GL context it makes
    // current again whenever the window changes size: every frame after a resize would
    // then draw into that context and the window would stay black. The plain X11
    // framebuffer touches no GL state; the environment must not choose otherwise.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "No display to open the window on (DISPLAY=%s): the program needs a desktop session.\n",
                     display ? display : "");
        std::exit(1);
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(OnXServerLost);
}

void Borders(int* l, int* t, int* r, int* b) {
    *l = *t = *r = *b = 0;
    if (g_sdl.window && SDL_GetWindowBordersSize(g_sdl.window, t, l, b, r) != 0) *l = *t = *r = *b = 0;
}

// Loading-screen text comes from a plain system face; without it only the bar shows.
FT_Face TextFace() {
    if (g_sdl.faceTried) return g_sdl.face;
    g_sdl.faceTried = true;
    static const char* const kFaces[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    };
    if (FT_Init_FreeType(&g_sdl.ft) != 0) return nullptr;
    for (const char* path : kFaces) {
        if (FT_New_Face(g_sdl.ft, path, 0, &g_sdl.face) == 0) {
            FT_Set_Pixel_Sizes(g_sdl.face, 0, 13);
            break;
        }
        g_sdl.face = nullptr;
    }
    return g_sdl.face;
}

// Shows the GDI picture: straight into the window before GL exists, as a pixel
// rectangle drawn and swapped through GL once the context is current.
void PresentPaint() {
    if (!g_sdl.window || g_sdl.paint.empty()) return;
    if (!g_sdl.gl) {
        SDL_Surface* surface = SDL_GetWindowSurface(g_sdl.window);
        if (!surface) return;
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(g_sdl.paint.data(), g_sdl.paintW, g_sdl.paintH, 32,
                                                              g_sdl.paintW * 4, SDL_PIXELFORMAT_RGB888);
        if (src) {
            SDL_BlitSurface(src, nullptr, surface, nullptr);
            SDL_FreeSurface(src);
        }
        SDL_UpdateWindowSurface(g_sdl.window);
        return;
    }
    DrawPictureThroughGL(g_sdl.paint.data(), g_sdl.paintW, g_sdl.paintH);
    SDL_GL_SwapWindow(g_sdl.window);
}

}  // namespace

float SdlXftScale() {
    // Read from a connection of our own: SDL keeps its display to itself, and the scale
    // is wanted before the window exists.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1.0f;
    float dpi = 0;
    if (const char* resources = XResourceManagerString(display)) {
        // Lines of "name:\tvalue"; the desktop sets "Xft.dpi:\t144" for 150 %.
        for (const char* line = resources; *line;) {
            const char* end = std::strchr(line, '\n');
            const size_t n = end ? size_t(end - line) : std::strlen(line);
            if (n > 8 && std::strncmp(line, "Xft.dpi:", 8) == 0)
                dpi = float(std::atof(std::string(line + 8, n - 8).c_str()));
            line += n + (end ? 1 : 0);
        }
    }
    XCloseDisplay(display);
    return dpi >= 48 && dpi <= 960 ? dpi / 96.0f : 1.0f;
}

void SdlWorkArea(PlatRect* rect) {
    SDL_Rect usable{0, 0, 800, 600};
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        SDL_DisplayMode mode{};
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) usable = {0, 0, mode.w, mode.h};
    }
    *rect = {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}

void PlatRegisterWindowClass(PlatWndProc proc) {
    EnsureVideo();
    g_sdl.proc = proc;
}

void PlatUnregisterWindowClass() { g_sdl.proc = nullptr; }

PlatEmergencyHandler PlatSetEmergencyHandler(PlatEmergencyHandler handler) {
    const PlatEmergencyHandler previous = g_sdl.emergency;
    g_sdl.emergency = handler;
    return previous;
}

bool PlatCreateWindow(const char16_t* title, int x, int y, int width, int height, PlatWindowStyle style) {
    EnsureVideo();
    if (g_sdl.window) return false;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style == PlatWindowStyle::Popup) flags |= SDL_WINDOW_BORDERLESS;
    if (style == PlatWindowStyle::Overlapped) flags |= SDL_WINDOW_RESIZABLE;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    std::string utf8 = Utf16ToUtf8(title);
    g_sdl.window = SDL_CreateWindow(utf8.c_str(), x, y, std::max(1, width), std::max(1, height), flags);
    if (!g_sdl.window) return false;
    // A resizable window is laid out for the size it is made at: it may grow, not shrink.
    if (style == PlatWindowStyle::Overlapped)
        SDL_SetWindowMinimumSize(g_sdl.window, std::max(1, width), std::max(1, height));
    SDL_StartTextInput();
    return g_sdl.window != nullptr;
}

void PlatDestroyWindow() {
    if (!g_sdl.window) return;
    SDL_Window* window = g_sdl.window;
    g_sdl.window = nullptr;
    if (g_sdl.proc) g_sdl.proc(WM_DESTROY, 0, 0);
    if (!g_sdl.gl)
        SDL_DestroyWindow(window);
    else
        SDL_HideWindow(window);  // the GL context still needs its drawable until it is deleted
}

void PlatSetTextInputSpot(const PlatRect& caret) {
    g_sdl.textInputSpot = caret;
    SDL_Rect rect{caret.left, caret.top, std::max(1, caret.right - caret.left), std::max(1, caret.bottom - caret.top)};
    if (g_sdl.window) SDL_SetTextInputRect(&rect);
}

PlatRect PlatTextInputSpot() { return g_sdl.textInputSpot; }

bool PlatHasWindow() { return g_sdl.window != nullptr; }

void PlatSetWindowIcon(const uint8_t* rgba, int width, int height) {
    if (!g_sdl.window || !rgba || width <= 0 || height <= 0) return;
    // SDL copies the pixels into the window's icon property; the surface is only a view.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba), width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    SDL_SetWindowIcon(g_sdl.window, surface);
    SDL_FreeSurface(surface);
}

void PlatSetWindowTitle(const char16_t* title) {
    if (!g_sdl.window) return;
    // X11 converts the title through the C library's character type, which is plain
    // ASCII in the "C" locale the program runs in: "–" or "Français" would be refused
    // for _NET_WM_NAME and mangled in WM_NAME. UTF-8 for just this call.
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string before = current ? current : "C";
    std::setlocale(LC_CTYPE, "C.UTF-8");
    SDL_SetWindowTitle(g_sdl.window, Utf16ToUtf8(title).c_str());
    std::setlocale(LC_CTYPE, before.c_str());
}

void PlatGetWindowRect(PlatRect* rect) {
    *rect = {};
    if (!g_sdl.window) return;
    int x, y, w, h, l, t, r, b;
    SDL_GetWindowPosition(g_sdl.window, &x, &y);
    SDL_GetWindowSize(g_sdl.window, &w, &h);
    Borders(&l, &t, &r, &b);
    *rect = {x - l, y - t, x + w + r, y + h + b};
}

void PlatGetClientRect(PlatRect* rect) {
    *rect = {};
    if (!g_sdl.window) return;
    int w, h;
    SDL_GetWindowSize(g_sdl.window, &w, &h);
    rect->right = w;
    rect->bottom = h;
}

void PlatMoveWindow(int x, int y, int width, int height) {
    if (!g_sdl.window) return;
    int l, t, r, b;
    Borders(&l, &t, &r, &b);
    SDL_SetWindowSize(g_sdl.window, std::max(1, width - l - r), std::max(1, height - t - b));
    SDL_SetWindowPosition(g_sdl.window, x + l, y + t);
    g_sdl.paintPending = true;
}

void PlatShowWindow() {
    if (g_sdl.window) SDL_ShowWindow(g_sdl.window);
}

void PlatUpdateWindow() {
    if (g_sdl.window && g_sdl.proc && SdlTakePaintRequest()) g_sdl.proc(WM_PAINT, 0, 0);
}

void PlatInvalidateWindow() { g_sdl.paintPending = true; }

bool SdlPaintPending() { return g_sdl.paintPending; }

bool SdlTakePaintRequest() {
    if (!g_sdl.paintPending) return false;
    g_sdl.paintPending = false;
    return true;
}

intptr_t PlatDispatchMessage(const PlatMsg* msg) {
    return g_sdl.proc ? g_sdl.proc(msg->message, msg->wParam, msg->lParam) : 0;
}

intptr_t PlatDefWindowProc(uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE) PlatDestroyWindow();
    return 0;
}

// ---- GDI-style painting ----

void PlatBeginPaint() {
    PlatRect client;
    PlatGetClientRect(&client);
    if (client.right != g_sdl.paintW || client.bottom != g_sdl.paintH) {
        g_sdl.paintW = client.right;
        g_sdl.paintH = client.bottom;
        g_sdl.paint.assign(static_cast<size_t>(g_sdl.paintW) * g_sdl.paintH, 0);
    }
}

void PlatFillRect(const PlatRect& rect, uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t color = (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
    const int x0 = std::max(0, rect.left), x1 = std::min(g_sdl.paintW, rect.right);
    const int y0 = std::max(0, rect.top), y1 = std::min(g_sdl.paintH, rect.bottom);
    for (int y = y0; y < y1; ++y)
        std::fill_n(&g_sdl.paint[static_cast<size_t>(y) * g_sdl.paintW + x0], std::max(0, x1 - x0), color);
}

void PlatSetTextColor(uint8_t r, uint8_t g, uint8_t b) {
    g_sdl.textR = r;
    g_sdl.textG = g;
    g_sdl.textB = b;
}

// Text with a transparent background: glyph coverage blends the text colour over
// what was painted. (x, y) is the top-left of the text cell, as with GDI.
void PlatTextOut(int x, int y, const char* text) {
    FT_Face face = TextFace();
    if (!face || !text) return;
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    int pen = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (FT_Load_Char(face, *p, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            const int py = y + ascender - g->bitmap_top + static_cast<int>(row);
            if (py < 0 || py >= g_sdl.paintH) continue;
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const int px = pen + g->bitmap_left + static_cast<int>(col);
                if (px < 0 || px >= g_sdl.paintW) continue;
                const unsigned a = g->bitmap.buffer[row * g->bitmap.pitch + col];
                uint32_t& dst = g_sdl.paint[static_cast<size_t>(py) * g_sdl.paintW + px];
                auto mix = [a](unsigned under, unsigned over) { return (under * (255 - a) + over * a) / 255; };
                dst = (mix((dst >> 16) & 0xFF, g_sdl.textR) << 16) | (mix((dst >> 8) & 0xFF, g_sdl.textG) << 8) |
                      mix(dst & 0xFF, g_sdl.textB);
            }
        }
        pen += static_cast<int>(g->advance.x >> 6);
    }
}

void PlatEndPaint() {
    g_sdl.paintPending = false;
    PresentPaint();
}

bool SdlReadPaintedPixel(int x, int y, uint8_t rgb[3]) {
    if (x < 0 || y < 0 || x >= g_sdl.paintW || y >= g_sdl.paintH) return false;
    const uint32_t c = g_sdl.paint[static_cast<size_t>(y) * g_sdl.paintW + x];
    rgb[0] = (c >> 16) & 0xFF;
    rgb[1] = (c >> 8) & 0xFF;
    rgb[2] = c & 0xFF;
    return true;
}

// ---- OpenGL ----

bool PlatCreateGLContext() {
    if (!g_sdl.window || g_sdl.gl || !SdlGLContextAllowed()) return false;
    g_sdl.gl = SDL_GL_CreateContext(g_sdl.window);
    if (!g_sdl.gl) {
        // Fall back to what the driver has: some offer no 8-bit stencil or 24-bit depth.
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        g_sdl.gl = SDL_GL_CreateContext(g_sdl.window);
    }
    if (!g_sdl.gl) return false;
    SDL_GL_SetSwapInterval(1);
#if SDL_VERSION_ATLEAST(2, 28, 0)
    // From here on the loading screen is drawn through GL; the surface it used is done.
    SDL_DestroyWindowSurface(g_sdl.window);
#endif
    return true;
}

void PlatMakeGLCurrent(bool current) {
    if (!g_sdl.gl) return;
    SDL_Window* drawable = g_sdl.window ? g_sdl.window : SDL_GL_GetCurrentWindow();
    SDL_GL_MakeCurrent(current ? drawable : nullptr, current ? g_sdl.gl : nullptr);
}

void PlatDeleteGLContext() {
    if (!g_sdl.gl) return;
    SDL_Window* drawable = SDL_GL_GetCurrentWindow();
    SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(g_sdl.gl);
    g_sdl.gl = nullptr;
    // A window destroyed while the context lived was only hidden; finish it now.
    if (drawable && drawable != g_sdl.window) SDL_DestroyWindow(drawable);
}

bool PlatHasGLContext() { return g_sdl.gl != nullptr; }

void PlatSwapBuffers() {
    if (!g_sdl.window || !g_sdl.gl) return;
    SDL_GL_SwapWindow(g_sdl.window);
    SdlAfterSwap();
}

// ---- cursor ----

void PlatShowCursor(bool show) {
    g_sdl.cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(g_sdl.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

int SdlCursorShowCount() { return g_sdl.cursorCount; }

// ---- SDL events to Win32-style messages ----

SdlKeyInfo SdlTranslateKey(int scancode, int keycode, bool numLock) {
    SdlKeyInfo k;
    auto set = [&k](uint8_t vk, uint8_t scan, bool ext = false) {
        k.vk = vk;
        k.scan = scan;
        k.extended = ext;
    };
    // Letters and digits follow the keyboard layout, as Windows' virtual keys do.
    static const uint8_t kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                            0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                            0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    if (keycode >= 'a' && keycode <= 'z') {
        int scanIndex =
            (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) ? scancode - SDL_SCANCODE_A : keycode - 'a';
        set(static_cast<uint8_t>('A' + (keycode - 'a')), kLetterScan[scanIndex]);
        return k;
    }
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        set(static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A)), kLetterScan[scancode - SDL_SCANCODE_A]);
        return k;
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
        int i = scancode - SDL_SCANCODE_1;  // 1..9, 0
        set(static_cast<uint8_t>(i == 9 ? '0' : '1' + i), static_cast<uint8_t>(0x02 + i));
        return k;
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        int i = scancode - SDL_SCANCODE_F1;
        set(static_cast<uint8_t>(VK_F1 + i), static_cast<uint8_t>(i < 10 ? 0x3B + i : 0x57 + (i - 10)));
        return k;
    }
    // The keypad: digits with Num Lock on, the navigation keys (not extended) with it off.
    struct Pad {
        int sdl;
        uint8_t numVk, navVk, scan;
    };
    static const Pad kPad[] = {
        {SDL_SCANCODE_KP_0, VK_NUMPAD0 + 0, VK_INSERT, 0x52},  {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, VK_END, 0x4F},
        {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, VK_DOWN, 0x50},    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, VK_NEXT, 0x51},
        {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT, 0x4B},    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, VK_CLEAR, 0x4C},
        {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT, 0x4D},   {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME, 0x47},
        {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP, 0x48},      {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR, 0x49},
        {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE, 0x53},
    };
    for (const Pad& p : kPad) {
        if (p.sdl == scancode) {
            set(numLock ? p.numVk : p.navVk, p.scan);
            return k;
        }
    }
    struct Fixed {
        int sdl;
        uint8_t vk, scan;
        bool ext;
    };
    static const Fixed kFixed[] = {
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
        {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
        {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
        {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
        {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
        {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
        {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
        {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
        {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
        {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
        {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
        {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
        {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
        {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
        {SDL_SCANCODE_NONUSBACKSLASH, 0xE2, 0x56, false},
        {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
        {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
        {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
        {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
        {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
        {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
        {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
        {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
        {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
        {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
        {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
        {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
        {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
        {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
        {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
        {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
        {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
        {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
        {SDL_SCANCODE_UP, VK_UP, 0x48, true},
        {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
        {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
        {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
        {SDL_SCANCODE_END, VK_END, 0x4F, true},
        {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
        {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
        {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
        {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
        {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
        {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
        {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    };
    for (const Fixed& f : kFixed) {
        if (f.sdl == scancode) {
            set(f.vk, f.scan, f.ext);
            return k;
        }
    }
    return k;
}

namespace {

void PushUtf8AsChars(const char* text, std::deque<PlatMsg>* out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        uint32_t c = *p;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
        ++p;
        for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i, ++p) c = (c << 6) | (*p & 0x3F);
        if (c >= 0x10000) {  // UTF-16 surrogate pair, as Windows delivers it
            c -= 0x10000;
            out->push_back({WM_CHAR, 0xD800u + (c >> 10), 1});
            out->push_back({WM_CHAR, 0xDC00u + (c & 0x3FF), 1});
        } else {
            out->push_back({WM_CHAR, c, 1});
        }
    }
}

void PushKey(const SDL_KeyboardEvent& e, std::deque<PlatMsg>* out) {
    const bool numLock = (e.keysym.mod & KMOD_NUM) != 0;
    SdlKeyInfo k = SdlTranslateKey(e.keysym.scancode, e.keysym.sym, numLock);
    if (k.vk == 0) return;
    const bool down = e.type == SDL_KEYDOWN;
    // Windows sends the "system" variants while Alt is held.
    const bool alt = (SDL_GetModState() & KMOD_ALT) != 0 || k.vk == VK_MENU;
    uint32_t msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    intptr_t lParam = MakeKeyLParam(k.scan, k.extended);
    if (!down)
        lParam |= static_cast<intptr_t>(0xC0000000u);
    else if (e.repeat)
        lParam |= static_cast<intptr_t>(0x40000000u);
    out->push_back({msg, k.vk, lParam});
}

}  // namespace

void SdlDrainEvents(std::deque<PlatMsg>* out) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        // The scripted backend throws away everything the real window receives, its
        // exposures included: other programs' windows on the same display (tests run
        // side by side on one X server) must not add frames a test did not ask for.
        if (!out) continue;
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                PushKey(e.key, out);
                break;
            case SDL_TEXTINPUT:
                PushUtf8AsChars(e.text.text, out);
                break;
            case SDL_MOUSEMOTION:
                out->push_back({WM_MOUSEMOVE, 0, MakePointLParam(e.motion.x, e.motion.y)});
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const bool down = e.type == SDL_MOUSEBUTTONDOWN;
                uint32_t msg = 0;
                if (e.button.button == SDL_BUTTON_LEFT) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                if (e.button.button == SDL_BUTTON_RIGHT) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                if (e.button.button == SDL_BUTTON_MIDDLE) msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                if (msg) out->push_back({msg, 0, MakePointLParam(e.button.x, e.button.y)});
                break;
            }
            case SDL_MOUSEWHEEL:
                if (e.wheel.y != 0) out->push_back({WM_MOUSEWHEEL, MakeWheelWParam(e.wheel.y > 0 ? 120 : -120), 0});
                break;
            case SDL_QUIT:
                // SDL's answer to SIGINT and SIGTERM: the system asks the program to end.
                out->push_back({WM_QUIT, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE:
                        out->push_back({WM_CLOSE, 0, 0});
                        break;
                    case SDL_WINDOWEVENT_MINIMIZED:
                        out->push_back({WM_SIZE, SIZE_MINIMIZED, 0});
                        break;
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                    case SDL_WINDOWEVENT_MAXIMIZED: {
                        int w = 0, h = 0;
                        if (g_sdl.window) SDL_GetWindowSize(g_sdl.window, &w, &h);
                        uint32_t type = e.window.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
                        out->push_back({WM_SIZE, type, MakePointLParam(w, h)});
                        break;
                    }
                    case SDL_WINDOWEVENT_EXPOSED:
                        g_sdl.paintPending = true;
                        break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        out->push_back({WM_KILLFOCUS, 0, 0});
                        break;
                    default:
                        break;
                }
                break;
            default:
                break;
        }
    }
}
