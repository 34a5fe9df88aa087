// test_backend_test.cpp - the scripted test backend on Windows (win32_test_system.cpp)
// over the real window: real input posted to the window never reaches the program while
// injected input does, repaints still come through, the clock only moves when told, and
// message boxes, the clipboard and GL failures are the test's own.
#include <gtest/gtest.h>

#include <vector>

#include "platform/test/test_platform.h"
#include "platform/win32/win32_internal.h"

namespace {

std::vector<PlatMsg> g_got;

intptr_t Record(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_got.push_back({message, wParam, lParam});
    return PlatDefWindowProc(message, wParam, lParam);
}

bool IsInput(uint32_t m) { return (m >= WM_KEYDOWN && m <= WM_SYSKEYUP) || (m >= WM_MOUSEMOVE && m <= WM_MOUSEWHEEL); }

// What the engine's loop does, and the messages its procedure was handed in order.
std::vector<PlatMsg> PumpAll() {
    g_got.clear();
    PlatMsg msg;
    while (PlatPeekMessage(&msg)) {
        PlatTranslateMessage(&msg);
        PlatDispatchMessage(&msg);
    }
    return g_got;
}

// One window for the suite: under Wine each new window takes about two seconds to map.
class Win32TestBackend : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        PlatRegisterWindowClass(Record);
        PlatCreateWindow(u"backend test", 0, 0, 320, 240, PlatWindowStyle::Popup);
        PlatShowWindow();
        PumpAll();
    }
    static void TearDownTestSuite() {
        PlatDeleteGLContext();
        PlatDestroyWindow();
        PlatUnregisterWindowClass();
    }
    void SetUp() override { ASSERT_TRUE(PlatHasWindow()); }
    void TearDown() override { TestClearMessages(); }
};

TEST_F(Win32TestBackend, RealInputIsDroppedInjectedInputArrivesAndMovesTheCursor) {
    HWND hwnd = Win32Window();
    PostMessageW(hwnd, 0x0100 /* WM_KEYDOWN */, 'Q', 1);
    PostMessageW(hwnd, 0x0102 /* WM_CHAR */, 'q', 1);
    PostMessageW(hwnd, 0x0200 /* WM_MOUSEMOVE */, 0, MakePointLParam(200, 150));
    PostMessageW(hwnd, 0x0201 /* WM_LBUTTONDOWN */, 0, MakePointLParam(200, 150));
    TestKeyDown(VK_SPACE, 0x39);
    TestMouseButton(WM_RBUTTONDOWN, 12, 34);
    std::vector<PlatMsg> input;
    for (const PlatMsg& m : PumpAll())
        if (IsInput(m.message) || m.message == WM_CHAR) input.push_back(m);
    ASSERT_EQ(input.size(), 3u);
    EXPECT_EQ(input[0].message, WM_KEYDOWN);
    EXPECT_EQ(input[0].wParam, VK_SPACE);
    EXPECT_EQ(input[1].message, WM_MOUSEMOVE);
    EXPECT_EQ(input[2].message, WM_RBUTTONDOWN);
    int x = 0, y = 0;
    PlatGetCursorClientPos(&x, &y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
}

TEST_F(Win32TestBackend, ARepaintComesOnceAfterTheInjectedMessages) {
    PlatInvalidateWindow();
    TestChar('a');
    const std::vector<PlatMsg> got = PumpAll();
    int paints = 0;
    size_t charAt = got.size(), paintAt = got.size();
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i].message == WM_CHAR) charAt = i;
        if (got[i].message == WM_PAINT) {
            ++paints;
            paintAt = i;
        }
    }
    EXPECT_EQ(paints, 1);
    EXPECT_LT(charAt, paintAt);
    for (const PlatMsg& m : PumpAll()) EXPECT_NE(m.message, WM_PAINT) << "painted, yet asked again";
}

TEST_F(Win32TestBackend, TheClockMovesOnlyWhenToldAndSleepingMovesIt) {
    TestSetTicks(0xFFFFFFF0u);
    Sleep(30);
    PumpAll();
    EXPECT_EQ(PlatGetTickCount(), 0xFFFFFFF0u);
    const uint32_t slept = TestSleptMilliseconds();
    PlatSleep(0x20);
    EXPECT_EQ(PlatGetTickCount(), 0x10u);
    EXPECT_EQ(TestSleptMilliseconds(), slept + 0x20);
    TestAdvanceTicks(5);
    EXPECT_EQ(PlatGetTickCount(), 0x15u);
}

TEST_F(Win32TestBackend, BoxesClipboardDesktopAndGLFailureAreScripted) {
    TestClearMessageBoxes();
    PlatMessageBox("No file", "Error( Load )", true);  // a real box would wait for a click
    ASSERT_EQ(TestMessageBoxes().size(), 1u);
    EXPECT_EQ(TestMessageBoxes()[0].caption, "Error( Load )");
    EXPECT_TRUE(TestMessageBoxes()[0].errorIcon);

    ASSERT_TRUE(PlatSetClipboardText("fake \xC3\xA9"));
    EXPECT_EQ(PlatGetClipboardText(), "fake \xC3\xA9");

    TestSetDesktopSize(1280, 1024);
    int w = 0, h = 0;
    PlatGetDesktopSize(&w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 1024);
    TestSetDesktopSize(0, 0);
    PlatGetDesktopSize(&w, &h);
    EXPECT_EQ(w, GetSystemMetrics(SM_CXSCREEN));

    TestSetGLContextFails(true);
    EXPECT_FALSE(PlatCreateGLContext());
    ASSERT_TRUE(PlatCreateGLContext());  // only the next one fails
    PlatMakeGLCurrent(true);
    const int swaps = TestSwapCount();
    PlatSwapBuffers();
    EXPECT_EQ(TestSwapCount(), swaps + 1);
}

}  // namespace
