// input.cpp - the engine's window procedure: Win32-style messages become engine key
// codes (left/right modifiers, keypad, mouse buttons and wheel), key state, the mouse
// position in the 800 x 600 virtual space, double clicks, the built-in quit and
// screenshot keys, and the key-name table loaded from the program's resources.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/engine.h"
#include "engine/format.h"
#include "engine/gui_hooks.h"
#include "platform/platform.h"

InputState g_input;
// Screenshot names have three digits; past the last one, nothing is overwritten.
constexpr int kLastScreenshotNumber = 999;
void (*g_screenshotHook)(const char* path) = nullptr;

bool IsKeyDown(uint8_t code) {
    switch (code) {
        case KEY_ANY_SHIFT:
            return g_input.keys[KEY_LSHIFT] || g_input.keys[KEY_RSHIFT];
        case KEY_ANY_ALT:
            return g_input.keys[KEY_LALT] || g_input.keys[KEY_RALT];
        case KEY_ANY_CTRL:
            return g_input.keys[KEY_LCTRL] || g_input.keys[KEY_RCTRL];
        default:
            return g_input.keys[code] != 0;
    }
}

void GetMousePos(float* x, float* y) {
    *x = g_input.mouseX;
    *y = g_input.mouseY;
}

void SetMousePos(float x, float y) {
    g_input.mouseX = x;
    g_input.mouseY = y;
}

void SetTextInputSpot(float x, float y, float height) {
    // The platform wants client pixels.
    float left = 0, top = 0, right = 0, bottom = 0;
    ScreenToClient(x, y, &left, &top);
    ScreenToClient(x, y + height, &right, &bottom);
    PlatRect spot;
    spot.left = int(left);
    spot.top = int(top);
    spot.right = spot.left + 1;
    spot.bottom = int(bottom + 0.5f);
    const PlatRect last = PlatTextInputSpot();
    if (spot.left != last.left || spot.top != last.top || spot.bottom != last.bottom) PlatSetTextInputSpot(spot);
}

void LoadKeyNames() {
    size_t size = 0;
    const uint8_t* data = PlatLoadResource("NAM", 102, &size);
    if (!data || size < sizeof(g_input.keyNames)) return;  // stays empty; tried again next run
    for (int i = 0; i < 256; ++i) {
        std::memcpy(g_input.keyNames[i], data + i * 16, 16);
        g_input.keyNames[i][15] = 0;
    }
}

const char* KeyName(uint8_t code) { return g_input.keyNames[code]; }

uint8_t TranslateKey(uint32_t vk, intptr_t lParam) {
    const unsigned scan = (static_cast<uint32_t>(lParam) >> 16) & 0xFF;
    const bool extended = (static_cast<uint32_t>(lParam) >> 24) & 1;
    switch (vk) {
        case VK_SHIFT:
            return scan == 0x2A ? KEY_LSHIFT : KEY_RSHIFT;
        case VK_CONTROL:
            return extended ? KEY_RCTRL : KEY_LCTRL;
        case VK_MENU:
            return extended ? KEY_RALT : KEY_LALT;
        case VK_RETURN:
            return extended ? uint8_t{KEY_NUMENTER} : uint8_t{VK_RETURN};
        default:
            break;
    }
    if (!extended) {
        // The keypad with Num Lock off sends the navigation keys without the
        // extended flag; they keep their keypad identity.
        switch (vk) {
            case VK_CLEAR:
                return 101;
            case VK_PRIOR:
                return 105;
            case VK_NEXT:
                return 99;
            case VK_END:
                return 97;
            case VK_HOME:
                return 103;
            case VK_LEFT:
                return 100;
            case VK_UP:
                return 104;
            case VK_RIGHT:
                return 102;
            case VK_DOWN:
                return 98;
            case VK_INSERT:
                return 96;
            case VK_DELETE:
                return 110;
            default:
                break;
        }
    }
    return static_cast<uint8_t>(vk);
}

const char* NextScreenshotName() {
    // A name asked for earlier in this frame has no file yet, but it is taken all the same.
    for (int n = 1; n <= kLastScreenshotNumber; ++n) {
        const char* name = FormatText("Screenshot%.3i.bmp", n);
        if (ScreenshotPending(name)) continue;
        FILE* f = std::fopen(name, "rb");
        if (!f) return name;
        std::fclose(f);
    }
    return nullptr;
}

namespace {

intptr_t Quit(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_engine.running = 0;
    PlatDestroyWindow();
    return PlatDefWindowProc(message, wParam, lParam);
}

void ScreenshotKey() {
    if (const char* name = NextScreenshotName()) {
        g_screenshotHook(name);
        return;
    }
    EngineError(FormatText("No screenshot was saved: Screenshot001.bmp to Screenshot%.3i.bmp all exist. Move them "
                           "elsewhere to take more.",
                           kLastScreenshotNumber),
                "Screenshot");
}

intptr_t KeyDownSteps(uint8_t c, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_input.keys[c] = 1;
    if (c == 'S' && IsKeyDown(KEY_ANY_ALT) && IsKeyDown(KEY_ANY_CTRL) && g_screenshotHook) ScreenshotKey();
    Gui().keyDown(c);
    if (c == g_input.lastClickButton) {
        const uint32_t elapsed = PlatGetTickCount() - g_input.clickTick;  // wraps like the counter
        if (static_cast<double>(elapsed) < g_engine.doubleClickTime * 1000.0) {
            if (std::fabs(g_input.mouseX - g_input.clickX) < 5.0f &&
                std::fabs(g_input.mouseY - g_input.clickY) < 5.0f) {
                Gui().doubleClick(c);
                g_input.lastClickButton = 255;
            }
            // Near or not, this click does not become the reference for the next one.
            return PlatDefWindowProc(message, wParam, lParam);
        }
    }
    if (c == KEY_MOUSE1 || c == KEY_MOUSE2 || c == KEY_MOUSE3) {
        g_input.clickTick = PlatGetTickCount();
        g_input.lastClickButton = c;
        g_input.clickX = g_input.mouseX;
        g_input.clickY = g_input.mouseY;
    }
    return 0;
}

intptr_t KeyUpSteps(uint8_t c) {
    g_input.keys[c] = 0;
    Gui().keyUp(c);
    return 0;
}

// The releases of keys and buttons held when the focus went away go to another window,
// so without this they would stay down: Alt would still be held after Alt+Tab (F4 alone
// would quit) and Ctrl would turn the next letter into a shortcut. The states are
// cleared without key-up events: a release the user did not make must not act (Space
// or Enter released on a button clicks it, a mouse button released over one too).
// What follows a held button (a scroll-bar drag, a text selection, a pressed look)
// checks the state every frame and ends with it; the last click no longer counts
// towards a double click.
void FocusLost() {
    for (uint8_t& key : g_input.keys) key = 0;
    g_input.lastClickButton = 255;
}

void MouseMoved() {
    int px = 0, py = 0;
    PlatGetCursorClientPos(&px, &py);
    float lastX = 0, lastY = 0;
    ClientToScreen(float(px), float(py), &g_input.mouseX, &g_input.mouseY);
    ClientToScreen(float(g_input.lastMouseX), float(g_input.lastMouseY), &lastX, &lastY);
    Gui().mouseMove(g_input.mouseX - lastX, g_input.mouseY - lastY);
    g_input.lastMouseX = px;
    g_input.lastMouseY = py;
}

void Wheel(uintptr_t wParam) {
    const int16_t delta = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
    const uint8_t c = delta > 0 ? KEY_WHEEL_UP : KEY_WHEEL_DOWN;
    g_input.keys[c] = 1;
    Gui().keyDown(c);
    Gui().keyUp(c);
    g_input.keys[c] = 0;
}

void Resized(uintptr_t type, intptr_t lParam) {
    if (!g_engine.minimised && type == SIZE_MINIMIZED) {
        g_engine.minimised = 1;
        g_engine.pausedBeforeMinimise = g_engine.clockPaused;
        if (!g_engine.clockPaused) PauseClock();
        return;
    }
    if (g_engine.minimised) {
        if (type == SIZE_MINIMIZED) return;
        g_engine.minimised = 0;
        if (!g_engine.pausedBeforeMinimise) ResumeClock();
        return;
    }
    g_engine.clientWidth = static_cast<int16_t>(lParam & 0xFFFF);
    g_engine.clientHeight = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
    if (g_engine.resizeHandler) g_engine.resizeHandler(g_engine.clientWidth, g_engine.clientHeight);
}

}  // namespace

intptr_t EngineWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // Any message may change the picture (input, a resize, an exposure, a restore).
    RequestFrame();
    switch (message) {
        case WM_SIZE:
            Resized(wParam, lParam);
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_PAINT:
            if (g_engine.paintLoading) PaintLoadingScreen();
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_QUIT:
            g_engine.quitRequested = 1;
            g_engine.running = 0;
            return 0;
        case WM_CLOSE:
            if (!g_engine.closeAllowed) return 0;
            g_engine.running = 0;
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (wParam == VK_ESCAPE && g_engine.escapeQuits) return Quit(message, wParam, lParam);
            if (wParam == VK_F4 && g_engine.closeAllowed && IsKeyDown(KEY_ANY_ALT))
                return Quit(message, wParam, lParam);
            return KeyDownSteps(TranslateKey(static_cast<uint32_t>(wParam), lParam), message, wParam, lParam);
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return KeyUpSteps(TranslateKey(static_cast<uint32_t>(wParam), lParam));
        case WM_CHAR:
            if (wParam >= 32) Gui().character(static_cast<uint16_t>(wParam));
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_KILLFOCUS:
            FocusLost();
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_MOUSEMOVE:
            MouseMoved();
            return PlatDefWindowProc(message, wParam, lParam);
        case WM_LBUTTONDOWN:
            return KeyDownSteps(KEY_MOUSE1, message, wParam, lParam);
        case WM_RBUTTONDOWN:
            return KeyDownSteps(KEY_MOUSE2, message, wParam, lParam);
        case WM_MBUTTONDOWN:
            return KeyDownSteps(KEY_MOUSE3, message, wParam, lParam);
        case WM_LBUTTONUP:
            return KeyUpSteps(KEY_MOUSE1);
        case WM_RBUTTONUP:
            return KeyUpSteps(KEY_MOUSE2);
        case WM_MBUTTONUP:
            return KeyUpSteps(KEY_MOUSE3);
        case WM_MOUSEWHEEL:
            Wheel(wParam);
            return PlatDefWindowProc(message, wParam, lParam);
        default:
            return PlatDefWindowProc(message, wParam, lParam);
    }
}
