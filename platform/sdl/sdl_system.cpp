// sdl_system.cpp - the desktop backend's time, input queue, cursor, clipboard,
// message box, process and resource services on SDL2 and POSIX.
#include <SDL2/SDL.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "platform/sdl/sdl_internal.h"

namespace {

struct SdlSystemState {
    std::deque<PlatMsg> queue;
    bool hangupHandled = false;
    bool paced = true;
    uint64_t lastPresent = 0;  // performance-counter units
};
SdlSystemState g_sys;

// Set by the signal handler, read by the message pump: all a handler may safely do.
volatile sig_atomic_t g_hangup = 0;

void OnHangup(int) { g_hangup = 1; }

// SDL turns SIGINT and SIGTERM into its quit event; a closed terminal's SIGHUP would
// end the program on the spot, edits and all, so it asks for the same orderly end.
void CatchHangup() {
    if (g_sys.hangupHandled) return;
    g_sys.hangupHandled = true;
    struct sigaction action {};
    action.sa_handler = OnHangup;
    sigemptyset(&action.sa_mask);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

void PlatGetDesktopSize(int* width, int* height) {
    SDL_DisplayMode mode{};
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 800;
        *height = 600;
    }
}

void PlatGetWorkArea(PlatRect* rect) { SdlWorkArea(rect); }

float PlatDisplayScale() { return SdlXftScale(); }

bool PlatPeekMessage(PlatMsg* msg) {
    CatchHangup();
    if (g_hangup) {
        g_hangup = 0;
        g_sys.queue.push_back({WM_QUIT, 0, 0});
    }
    if (g_sys.queue.empty() && SDL_WasInit(SDL_INIT_VIDEO)) SdlDrainEvents(&g_sys.queue);
    if (!g_sys.queue.empty()) {
        *msg = g_sys.queue.front();
        g_sys.queue.pop_front();
        return true;
    }
    // Like Windows, a pending repaint is delivered only when nothing else waits.
    if (PlatHasWindow() && SdlTakePaintRequest()) {
        *msg = {WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

bool PlatWaitMessage(uint32_t timeoutMs) {
    if (!g_sys.queue.empty() || (PlatHasWindow() && SdlPaintPending())) return true;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Delay(timeoutMs);
        return false;
    }
    // With no event to fill in, SDL leaves what arrived in its queue for the next peek.
    // It sleeps in the display connection, so an idle wait costs no processor time.
    if (SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX))) != 1) return false;
#if SDL_VERSION_ATLEAST(2, 0, 18)
    // The wait leaves the marker that ends a polling pass in front of what woke it; the
    // next peek would stop there and see the key only a frame later.
    SDL_FlushEvent(SDL_POLLSENTINEL);
#endif
    return true;
}

// Characters come from the SDL text-input events already (typed and composed text
// alike), so there is nothing to translate.
void PlatTranslateMessage(const PlatMsg*) {}
bool SdlGLContextAllowed() { return true; }

// A vsync'd swap has already waited; otherwise (software GL, Xvfb) sleep out the
// rest of the 60 Hz period so an idle loop does not spin a core.
void SdlAfterSwap() {
    const uint64_t freq = SDL_GetPerformanceFrequency();
    const uint64_t period = freq / 60;
    uint64_t now = SDL_GetPerformanceCounter();
    if (g_sys.paced && g_sys.lastPresent != 0 && now - g_sys.lastPresent < period) {
        const uint64_t wait = period - (now - g_sys.lastPresent);
        SDL_Delay(static_cast<Uint32>(wait * 1000 / freq));
        now = SDL_GetPerformanceCounter();
    }
    g_sys.lastPresent = now;
}

void PlatSetPresentPacing(bool paced) { g_sys.paced = paced; }

uint32_t PlatGetTickCount() { return static_cast<uint32_t>(SDL_GetTicks64()); }

void PlatSleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void PlatGetCursorClientPos(int* x, int* y) {
    *x = *y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetMouseState(x, y);
}

bool PlatSetClipboardText(const std::string& utf8) {
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_SetClipboardText(utf8.c_str()) == 0;
}

std::string PlatGetClipboardText() {
    if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return {};
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

void PlatMessageBox(const char* text, const char* caption, bool errorIcon) {
    // Also on stderr: when no display can show the box, the reason is still seen.
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    SDL_ShowSimpleMessageBox(errorIcon ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, caption ? caption : "",
                             text ? text : "", nullptr);
}

std::string PlatModuleFileName() {
    char path[PATH_MAX + 1] = {};
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::string PlatUserDataFolder() {
    // SDL follows XDG_DATA_HOME, falling back to ~/.local/share, and makes the folder.
    char* path = SDL_GetPrefPath("", "zazovi");
    std::string out = path ? path : "";
    SDL_free(path);
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

char PlatPathSeparator() { return '/'; }
