// window.cpp - the engine's window and GL context: start-up, the loading screen
// painted without GL, the perspective and 800 x 600 screen projections, resizing
// and the orderly, once-only shut-down.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "engine/gui_hooks.h"
#include "platform/platform.h"

EngineState g_engine;

namespace {

void ProgressHandler() {
    g_engine.paintLoading = 1;
    PlatInvalidateWindow();
}

// Titles are stored as 16-bit characters; UTF-8 input is widened properly rather
// than byte by byte, so a non-ASCII title shows as written. At most 127 characters.
void StoreTitle(const char* title) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(title);
    int n = 0;
    while (*p && n < 127) {
        uint32_t c = *p++;
        if (c >= 0xC0 && c < 0xF0 && (*p & 0xC0) == 0x80) {
            const bool three = c >= 0xE0;
            c = three ? (c & 0x0F) : (c & 0x1F);
            c = (c << 6) | (*p++ & 0x3F);
            if (three && (*p & 0xC0) == 0x80) c = (c << 6) | (*p++ & 0x3F);
        }
        g_engine.title[n++] = static_cast<char16_t>(c);
    }
    g_engine.title[n] = 0;
}

void ApplyScreenProjection() {
    glOrtho(0.0, static_cast<int16_t>(g_engine.virtualWidth), static_cast<int16_t>(g_engine.virtualHeight), 0.0, 1.0,
            0.0);
}

void ApplyPerspective(int width, int height) {
    const double aspect = height != 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(g_engine.fieldOfView, aspect, g_engine.nearPlane, g_engine.farPlane);
}

}  // namespace

void SetEngineWindowTitle(const char* title) {
    StoreTitle(title ? title : "");
    PlatSetWindowTitle(g_engine.title);
}

void InitEngine(const char* title) {
    PlatShowCursor(false);
    if (title) StoreTitle(title);
    g_engine.progressHandler = ProgressHandler;
    if (!g_screenshotHook) g_screenshotHook = RequestScreenshot;
    PlatRegisterWindowClass(EngineWindowProc);
    g_engine.resizeHandler = OnResize;
    // QK_NO_IDLE_WAIT=1 draws every turn as fast as presenting allows (for comparisons).
    const char* noIdleWait = std::getenv("QK_NO_IDLE_WAIT");
    g_engine.idleWait = noIdleWait && noIdleWait[0] && std::strcmp(noIdleWait, "0") != 0 ? 0 : 1;
    if (!g_engine.initialised) std::atexit(ShutdownEngine);
    g_engine.initialised = 1;
    g_engine.shutdownDone = 0;
    Gui().init();
}

void CreateEngineWindow(int16_t width, int16_t height, int16_t mode, float scale) {
    int desktopW = 0, desktopH = 0;
    PlatGetDesktopSize(&desktopW, &desktopH);
    g_engine.clientWidth = width;
    g_engine.clientHeight = height;
    const PlatWindowStyle style = mode == WINDOW_MODE_POPUP     ? PlatWindowStyle::Popup
                                  : mode == WINDOW_MODE_SIZABLE ? PlatWindowStyle::Overlapped
                                                                : PlatWindowStyle::FixedFrame;
    PlatCreateWindow(g_engine.title, (desktopW - width) / 2, (desktopH - height) / 2, width, height, style);
    if (mode != WINDOW_MODE_POPUP) {
        // The size given to the window is its outer size; grow it by the frame so
        // that the client area is exactly width x height, and centre it again.
        PlatRect outer, client;
        PlatGetWindowRect(&outer);
        PlatGetClientRect(&client);
        const int newW = 2 * (outer.right - outer.left) - (client.right - client.left);
        const int newH = 2 * (outer.bottom - outer.top) - (client.bottom - client.top);
        PlatMoveWindow((desktopW - newW) / 2, (desktopH - newH) / 2, newW, newH);
        // Made at the layout's size first, so that it may never shrink below it.
        if (scale > 1.0f && ResizeWindowForScale(std::min(ScaleStepAtMost(scale), LargestWindowScale()))) {
            PlatRect scaled;
            PlatGetClientRect(&scaled);
            g_engine.clientWidth = int16_t(scaled.right);
            g_engine.clientHeight = int16_t(scaled.bottom);
        }
    }
    FitScreenToClient(g_engine.clientWidth, g_engine.clientHeight);
    PlatShowWindow();
    PlatUpdateWindow();
    PlatSetTextColor(0, 255, 0);
}

void InitGL() {
    SetLoadingText("Initializing OpenGL");
    SetLoadingProgress(0.4f);
    if (!PlatCreateGLContext()) {
        PlatMessageBox("Failed to initialize OpenGL,quiting...", "Error( InitGL )", true);
        std::exit(0);
    }
    PlatMakeGLCurrent(true);
    SetLoadingProgress(0.8f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, g_engine.clientWidth, g_engine.clientHeight);
    g_engine.mode2D = 0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    ApplyPerspective(g_engine.clientWidth, g_engine.clientHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    SetLoadingProgress(1.0f);
}

void ShutdownEngine() {
    if (g_engine.shutdownDone || !g_engine.initialised) return;
    g_engine.shutdownDone = 1;
    // No thread may outlive what it works for; its results have no screen to go to.
    DropBackgroundWork();
    // Let queued drawing finish while its window still exists: a driver that is still
    // working on it when the window goes away may crash at process exit.
    if (PlatHasGLContext()) glFinish();
    PlatUnregisterWindowClass();
    PlatDestroyWindow();
    Gui().shutdown();
    if (PlatHasGLContext()) {
        PlatMakeGLCurrent(false);
        PlatDeleteGLContext();
    }
    g_engine.mode2D = 0;
    FreeTrackedAllocations();
    PlatShowCursor(true);
}

void Begin2D() {
    if (g_engine.mode2D) return;
    g_engine.mode2D = 1;
    ApplyScreenViewport();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    ApplyScreenProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_LIGHTING);
}

void End2D() {
    if (!g_engine.mode2D) return;
    g_engine.mode2D = 0;
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glViewport(0, 0, g_engine.clientWidth, g_engine.clientHeight);
}

void OnResize(int width, int height) {
    FitScreenToClient(width, height);
    if (!PlatHasGLContext()) return;  // sizes that arrive before GL is up need no projection
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (g_engine.mode2D) {
        ApplyScreenViewport();
        ApplyScreenProjection();
    } else {
        glViewport(0, 0, width, height);
        ApplyPerspective(width, height);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetLoadingText(const char* text) {
    if (g_engine.loadingProgress != 0.0f && g_engine.loadingProgress != 1.0f) {
        g_engine.loadingProgress = 1.0f;  // show the unfinished bar full before it is replaced
        if (g_engine.progressHandler) g_engine.progressHandler();
        PumpMessages();
    }
    std::strncpy(g_engine.loadingText, text ? text : "", sizeof(g_engine.loadingText) - 1);
    g_engine.loadingText[sizeof(g_engine.loadingText) - 1] = 0;
    g_engine.loadingProgress = 0.0f;
    if (g_engine.progressHandler) g_engine.progressHandler();
    PumpMessages();
}

void SetLoadingProgress(float value) {
    g_engine.loadingProgress = value;
    if (g_engine.progressHandler) g_engine.progressHandler();
    PumpMessages();
}

void PaintLoadingScreen() {
    PlatRect client;
    PlatGetClientRect(&client);
    const int w = client.right, h = client.bottom;
    PlatBeginPaint();
    PlatFillRect({0, 0, w, h}, 0, 0, 0);
    PlatFillRect({5, h - 30, w - 5, h - 5}, 0, 255, 0);
    PlatFillRect({6, h - 29, w - 6, h - 6}, 0, 0, 0);
    const int barRight = static_cast<int>((w - 14) * g_engine.loadingProgress + 7.0f);
    PlatFillRect({7, h - 28, barRight, h - 7}, 0, 255, 0);
    PlatTextOut(5, h - 50, g_engine.loadingText);
    PlatEndPaint();
    g_engine.paintLoading = 0;
}
