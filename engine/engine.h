// engine.h - the Quarnel engine core: one window with its GL context, the loading
// screen, the main loop and frame clock, engine settings, input state and key names,
// and the allocation list of blocks that live until shut-down.
// Depends only on platform/; the GUI is reached through the hooks of engine/gui_hooks.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Engine key codes beyond the platform's virtual keys.
enum : uint8_t {
    KEY_MOUSE1 = 230,
    KEY_MOUSE2 = 231,
    KEY_MOUSE3 = 232,
    KEY_WHEEL_UP = 238,
    KEY_WHEEL_DOWN = 239,
    KEY_LSHIFT = 241,
    KEY_RSHIFT = 242,
    KEY_LCTRL = 243,
    KEY_RCTRL = 244,
    KEY_LALT = 245,
    KEY_RALT = 246,
    KEY_NUMENTER = 247,
    KEY_ANY_CTRL = 253,
    KEY_ANY_ALT = 254,
    KEY_ANY_SHIFT = 255,
};

// Window modes of CreateEngineWindow.
enum : int16_t { WINDOW_MODE_FIXED = 0, WINDOW_MODE_SIZABLE = 1, WINDOW_MODE_POPUP = 7424 };

// Engine setting ids.
enum : int { SETTING_COLOR_TAGS = 8, SETTING_NEAR = 9, SETTING_FAR = 10, SETTING_DOUBLE_CLICK = 11 };

constexpr int kVirtualWidth = 800;
constexpr int kVirtualHeight = 600;

struct GuiHooks;

struct EngineState {
    // the GUI's entry points (gui_hooks.cpp), installed by the GUI; null: no GUI
    const GuiHooks* gui = nullptr;
    // display (window.cpp)
    int16_t clientWidth = 0, clientHeight = 0;
    int virtualWidth = kVirtualWidth, virtualHeight = kVirtualHeight;
    // The screen's scale: once the client area holds 800 x 600 at least, the 2D screen
    // is drawn at drawScale device pixels per virtual pixel (1, 1.25, 1.5, 1.75 or 2),
    // its top-left corner at (originX, originY) of the client area and the rest of the
    // window plain background. Below 800 x 600 the screen is stretched over the client
    // area and drawScale stays 1. Text and lines are drawn at the device's own pixels.
    float drawScale = 1.0f;
    int originX = 0, originY = 0;
    float marginColour[3] = {0.0f, 0.0f, 0.0f};  // the window around the screen
    double fieldOfView = 45.0;
    float nearPlane = 0.1f, farPlane = 100.0f;
    uint8_t mode2D = 0;
    char16_t title[128] = u"Quarnel Engine";
    char loadingText[128] = {};
    float loadingProgress = 0.0f;
    uint8_t paintLoading = 0;
    uint8_t shutdownDone = 0;
    uint8_t initialised = 0;
    void (*progressHandler)() = nullptr;
    void (*resizeHandler)(int width, int height) = nullptr;
    // loop and clock (loop.cpp)
    uint8_t running = 0;
    uint8_t minimised = 0;
    uint32_t lastTick = 0;
    uint8_t clockPaused = 0;
    int32_t pausedRemainder = 0;
    uint8_t pausedBeforeMinimise = 0;
    uint8_t closeAllowed = 1;
    uint8_t escapeQuits = 1;
    // WM_QUIT came (a signal, the session ending): the loop ends, and does not start
    // again, until whoever handles the request clears it.
    uint8_t quitRequested = 0;
    uint8_t colorTags = 1;
    float doubleClickTime = 0.4f;
    uint64_t framesPresented = 0;
    // Screenshot files asked for since the last drawn frame, each under its own name;
    // all of them are taken at the end of the next drawn frame.
    std::vector<std::string> pendingScreenshots;
    // drawing on demand (loop.cpp): with idleWait set, a turn of the loop that has
    // nothing to draw waits in the platform layer instead of drawing the same picture
    uint8_t idleWait = 1;      // cleared by QK_NO_IDLE_WAIT=1 (for comparisons)
    uint8_t frameChanged = 1;  // something changed since the last drawn frame (so the first is drawn)
    uint8_t settleFrame = 0;   // one more frame to show what the last update changed
    uint8_t wakePending = 0;   // a frame is due at wakeTick
    uint32_t wakeTick = 0;
};
extern EngineState g_engine;

// ---- window and GL context ----
void InitEngine(const char* title);
// A new title (UTF-8, at most 127 characters kept) for the window, shown at once.
void SetEngineWindowTitle(const char* title);
// A window whose client area is width x height; it cannot be made smaller. A scale
// above 1 opens it at that many times the size instead, at the largest step up to it
// that the desktop's work area holds, centred there.
void CreateEngineWindow(int16_t width, int16_t height, int16_t mode, float scale = 1.0f);
void InitGL();
void ShutdownEngine();
void Begin2D();
void End2D();
void OnResize(int width, int height);

// ---- the screen's scale (screen_scale.cpp) ----
// The steps the screen is drawn at.
constexpr float kScreenScales[] = {1.0f, 1.25f, 1.5f, 1.75f, 2.0f};
// The largest step at most `scale` (the smallest step below it).
float ScaleStepAtMost(float scale);
// The largest step whose 800 x 600 x step fits width x height; 0 when none does.
float LargestScaleFor(int width, int height);
// Picks drawScale and the origin for a client area of width x height.
void FitScreenToClient(int width, int height);
// True while the client area is smaller than the screen: it is stretched over it.
bool ScreenStretched();
// The screen's size on the device, in pixels.
int ScreenDeviceWidth();
int ScreenDeviceHeight();
// The viewport of the 2D screen (the scaled, centred rectangle).
void ApplyScreenViewport();
// Whether the window shows margins around the screen, and clearing them (each frame).
bool ScreenLeavesMargins();
void ClearScreenMargins();
// Client pixels to screen coordinates and back.
void ClientToScreen(float px, float py, float* x, float* y);
void ScreenToClient(float x, float y, float* px, float* py);
// glLineWidth in screen pixels: lines grow with the scale (to whole device pixels).
void ScreenLineWidth(float width);
// The largest step a window on the work area can show whole (1 at least).
float LargestWindowScale();
// Resizes the window so that its client area is the screen at `scale`, centred on the
// work area; false (and nothing changed) when the work area has no room for it. The
// new scale takes effect with the resize the window then reports.
bool ResizeWindowForScale(float scale);
void SetLoadingText(const char* text);
void SetLoadingProgress(float value);
void PaintLoadingScreen();

// ---- main loop, clock and settings ----
void RunEngine();
void EngineFrame();
void StopEngine();
void PumpMessages();
float ElapsedSeconds(uint32_t& lastTick);
void PauseClock();
void ResumeClock();
// Drawing on demand. A frame is drawn when a window message arrived, when something
// reported a change, or when a time asked for has come; otherwise the loop waits for
// the earliest of the next message and that time. A time asked for lasts one frame: a
// timer or animation asks again in every update that still needs it.
void RequestFrame();                 // a change to show: draw the next frame (and one after it)
void RequestFrameIn(float seconds);  // a running timer: draw a frame this much later (0: the next)
bool FrameDue();
// Work off the main thread: `work` runs on a thread of its own and must touch nothing
// the main thread uses; `done` runs on the main thread in the first turn of the loop
// after `work` ended (a frame is drawn then). While work is out, the loop looks for its
// end every few milliseconds instead of waiting for a message.
void RunInBackground(std::function<void()> work, std::function<void()> done);
bool BackgroundWorkPending();
// Runs `done` of the work that has ended; true when there was any (the loop calls it).
bool RunFinishedBackgroundWork();
// Waits for all work still out and runs its `done` (tests, benchmarks).
void FinishBackgroundWork();
// Waits for it and throws its results away (at shutdown: nothing is left to show them).
void DropBackgroundWork();
void SetEngineSetting(int id, float value);
float GetEngineSetting(int id);

// ---- input and key names ----
struct InputState {
    uint8_t keys[256] = {};
    float mouseX = kVirtualWidth / 2.0f, mouseY = kVirtualHeight / 2.0f;  // the centre
    int32_t lastMouseX = 0, lastMouseY = 0;
    uint8_t lastClickButton = 255;
    uint32_t clickTick = 0;
    float clickX = 0.0f, clickY = 0.0f;
    char keyNames[256][16] = {};
};
extern InputState g_input;

bool IsKeyDown(uint8_t code);
void GetMousePos(float* x, float* y);
void SetMousePos(float x, float y);
// Tells the platform where the focused text box's caret is (virtual coordinates, the
// top of the caret and its height), so an input method's windows open beside it.
// Cheap to call every frame: only a change reaches the platform.
void SetTextInputSpot(float x, float y, float height);
void LoadKeyNames();
const char* KeyName(uint8_t code);
uint8_t TranslateKey(uint32_t virtualKey, intptr_t lParam);
intptr_t EngineWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Called by Ctrl+Alt+S with the first free "Screenshot%.3i.bmp"; the screenshot
// writer installs itself here so the input code does not depend on it.
extern void (*g_screenshotHook)(const char* path);
// The first of "Screenshot001.bmp" ... "Screenshot999.bmp" that neither exists nor is
// already waiting to be written; null when every name is taken.
const char* NextScreenshotName();

// ---- screenshots ----
// Writes the window's current back buffer as a 24-bit BMP or TGA, chosen by the
// path's extension; errors go to EngineError. False when nothing was written.
bool SaveScreenshot(const char* path);
// The lower-cased text after the last '.' or '|' of path (the whole path without one).
void FileExtension(const char* path, char* out, size_t outSize);
// Asks for a screenshot of the next frame, once it is drawn (the screenshot key).
void RequestScreenshot(const char* path);
// Whether a screenshot under this name is waiting for the next frame.
bool ScreenshotPending(const char* path);
// Writes every screenshot asked for since the last call, from the picture drawn now.
void TakePendingScreenshots();

// ---- blocks owned by the engine until shut-down ----
void TrackAllocation(void* block);
int TrackedAllocationCount();
void FreeTrackedAllocations();
