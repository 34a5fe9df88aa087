// Key translation, key state, mouse scaling, double clicks, the wheel and key names,
// driven through the window procedure with injected messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "engine/format.h"
#include "support/engine_fixture.h"

#ifndef _WIN32  // the SDL desktop backend's key table; tests/win32 covers the Win32 backend's keys
#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>

#include "platform/sdl/sdl_internal.h"
#endif

namespace {

void ReleaseAll() {
    for (auto& k : g_input.keys) k = 0;
}

void Click(uint32_t down, int x, int y) {
    TestMouseButton(down, x, y);
    TestPostMessage(down + 1, 0, MakePointLParam(x, y));
    PumpMessages();
}

}  // namespace

TEST(KeyTranslation, DesktopKeysArriveAsTheEngineCodes) {
#ifdef _WIN32
    GTEST_SKIP() << "SDL's key translation; the Win32 backend's keys are tested in tests/win32";
#else
    struct Row {
        int scancode, keycode;
        bool numLock;
        uint8_t code;
    };
    const Row rows[] = {
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, false, 241},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false, 242},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, false, 243},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, false, 244},
        {SDL_SCANCODE_LALT, SDLK_LALT, false, 245},
        {SDL_SCANCODE_RALT, SDLK_RALT, false, 246},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, true, 247},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, false, 13},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, false, 104},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, true, 104},
        {SDL_SCANCODE_UP, SDLK_UP, false, 38},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, false, 101},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, false, 96},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, false, 45},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, false, 105},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, false, 97},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, false, 110},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, false, 46},
        {SDL_SCANCODE_HOME, SDLK_HOME, false, 36},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, false, 103},
        {SDL_SCANCODE_A, SDLK_a, false, 'A'},
        {SDL_SCANCODE_Q, SDLK_a, false, 'A'},  // AZERTY
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, false, 186},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, false, 192},
        {SDL_SCANCODE_F12, SDLK_F12, false, 123},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, false, 111},
    };
    for (const Row& r : rows) {
        SdlKeyInfo k = SdlTranslateKey(r.scancode, r.keycode, r.numLock);
        EXPECT_EQ(TranslateKey(k.vk, MakeKeyLParam(k.scan, k.extended)), r.code) << "scancode " << r.scancode;
    }
#endif
}

TEST(KeyState, LeftShiftSetsOnlyItsOwnCode) {
    EnsureTestEngine();
    ReleaseAll();
    TestKeyDown(VK_SHIFT, 0x2A);
    PumpMessages();
    EXPECT_TRUE(IsKeyDown(241));
    EXPECT_FALSE(IsKeyDown(242));
    EXPECT_TRUE(IsKeyDown(KEY_ANY_SHIFT));
    EXPECT_FALSE(IsKeyDown(16));
    EXPECT_FALSE(IsKeyDown(KEY_ANY_CTRL));
    TestKeyUp(VK_SHIFT, 0x2A);
    PumpMessages();
    EXPECT_FALSE(IsKeyDown(KEY_ANY_SHIFT));
    TestKeyDown(VK_CONTROL, 0x1D, true);
    PumpMessages();
    EXPECT_TRUE(IsKeyDown(244));
    EXPECT_TRUE(IsKeyDown(KEY_ANY_CTRL));
    ReleaseAll();
}

// Alt+Tab away with keys and buttons held: their releases go to the other window.
TEST(FocusLoss, ReleasesEveryHeldKeyAndButtonAndForgetsTheLastClick) {
    EnsureTestEngine();
    ReleaseAll();
    g_input.lastClickButton = 255;
    TestSetTicks(50000);
    TestKeyDown(VK_CONTROL, 0x1D);
    TestPostMessage(WM_SYSKEYDOWN, VK_MENU, MakeKeyLParam(0x38, true));
    TestKeyDown(VK_SHIFT, 0x2A);
    TestKeyDown('A', 0x1E);
    TestMouseButton(WM_RBUTTONDOWN, 300, 300);
    TestMouseButton(WM_LBUTTONDOWN, 300, 300);
    TestFocusLost();
    PumpMessages();
    for (uint8_t code : {uint8_t{KEY_ANY_CTRL}, uint8_t{KEY_ANY_ALT}, uint8_t{KEY_ANY_SHIFT}, uint8_t{'A'},
                         uint8_t{KEY_MOUSE1}, uint8_t{KEY_MOUSE2}})
        EXPECT_FALSE(IsKeyDown(code)) << int(code);
    EXPECT_EQ(std::count(std::begin(g_input.keys), std::end(g_input.keys), 1), 0);
    // Back in the window, a click where the last press was is no double click.
    TestAdvanceTicks(100);
    Click(WM_LBUTTONDOWN, 300, 300);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE1);
    EXPECT_EQ(g_input.clickTick, PlatGetTickCount());
    ReleaseAll();
}

TEST(MouseInput, PositionIsScaledToTheVirtualScreen) {
    EnsureTestEngine();
    TestMouseMove(100, 50);
    PumpMessages();
    float x, y;
    GetMousePos(&x, &y);
    EXPECT_FLOAT_EQ(x, 100.0f);
    EXPECT_FLOAT_EQ(y, 50.0f);
    TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(1600, 1200));
    TestMouseMove(100, 50);
    PumpMessages();
    GetMousePos(&x, &y);
    EXPECT_FLOAT_EQ(x, 50.0f);
    EXPECT_FLOAT_EQ(y, 25.0f);
    TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(800, 600));
    PumpMessages();
    EXPECT_EQ(g_engine.clientWidth, 800);
}

TEST(MouseInput, DoubleClickRules) {
    EnsureTestEngine();
    g_input.lastClickButton = 255;
    TestSetTicks(100000);
    Click(WM_LBUTTONDOWN, 200, 200);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE1);
    // 300 ms later and 3 pixels away: a double click, and the reference is reset.
    TestAdvanceTicks(300);
    Click(WM_LBUTTONDOWN, 203, 200);
    EXPECT_EQ(g_input.lastClickButton, 255);
    // A third click 100 ms later is a plain click again.
    TestAdvanceTicks(100);
    Click(WM_LBUTTONDOWN, 203, 200);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE1);
    const uint32_t firstTick = g_input.clickTick;

    // 6 pixels away: no double click, and the first click stays the reference.
    TestAdvanceTicks(300);
    Click(WM_LBUTTONDOWN, 209, 200);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE1);
    EXPECT_EQ(g_input.clickTick, firstTick);
    EXPECT_FLOAT_EQ(g_input.clickX, 203.0f);

    // Left then right within the time is never a double click.
    TestAdvanceTicks(1000);
    Click(WM_LBUTTONDOWN, 300, 300);
    TestAdvanceTicks(100);
    Click(WM_RBUTTONDOWN, 300, 300);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE2);

    // Too slow: the second click becomes the new reference.
    TestAdvanceTicks(1000);
    Click(WM_RBUTTONDOWN, 300, 300);
    EXPECT_EQ(g_input.lastClickButton, KEY_MOUSE2);
    EXPECT_EQ(g_input.clickTick, PlatGetTickCount());

    // The tick counter wrapping between the clicks still measures 300 ms.
    g_input.lastClickButton = 255;
    TestSetTicks(4294967100u);
    Click(WM_LBUTTONDOWN, 10, 10);
    TestSetTicks(4294967100u + 300u);
    Click(WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(g_input.lastClickButton, 255);
}

TEST(KeyNames, TheResourceHoldsAll256Names) {
    size_t size = 0;
    ASSERT_NE(PlatLoadResource("NAM", 102, &size), nullptr);
    EXPECT_EQ(size, 4096u);
    EXPECT_EQ(PlatLoadResource("NAM", 103, &size), nullptr);
    LoadKeyNames();
    // Named keys, numbered gaps and the sided modifiers the editor's messages show.
    for (auto [code, name] : {std::pair<int, const char*>{0, "Key 0"},
                              {8, "Backspace"},
                              {107, "Num +"},
                              {108, "Key 108"},
                              {220, "\\"},
                              {241, "Left Shift"},
                              {247, "Num Enter"},
                              {255, "Shift"}})
        EXPECT_STREQ(KeyName(code), name) << code;
}

TEST(FormatText, FormatsIntoOneSharedBufferAndCutsLongResults) {
    const char* a = FormatText("%s\\%s", "Texts", "menu");
    EXPECT_STREQ(a, "Texts\\menu");
    const char* b = FormatText("%i items", 3);
    EXPECT_EQ(a, b);
    EXPECT_STREQ(a, "3 items");
    const std::string longText(1000, 'x');
    const char* c = FormatText("%s", longText.c_str());
    EXPECT_EQ(std::string(c), std::string(255, 'x'));
}
