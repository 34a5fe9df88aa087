// Frame clock, pause and minimise, settings, and the loop's ways to end.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/engine_fixture.h"

TEST(FrameClock, SameTickGivesZeroAndKeepsTheLastTick) {
    TestSetTicks(5000);
    uint32_t last = 5000;
    EXPECT_EQ(ElapsedSeconds(last), 0.0f);
    EXPECT_EQ(last, 5000u);
    TestSetTicks(5016);
    EXPECT_FLOAT_EQ(ElapsedSeconds(last), 0.016f);
    EXPECT_EQ(last, 5016u);
}

TEST(FrameClock, WrapAroundOfTheTickCounter) {
    uint32_t last = 4294967290u;
    TestSetTicks(6);
    EXPECT_FLOAT_EQ(ElapsedSeconds(last), 0.012f);
    EXPECT_EQ(last, 6u);
}

TEST(FrameClock, PauseCarriesAtMostTenMilliseconds) {
    TestSetTicks(10000);
    g_engine.lastTick = 10000;
    TestAdvanceTicks(7);
    PauseClock();
    TestAdvanceTicks(5000);
    ResumeClock();
    EXPECT_FLOAT_EQ(ElapsedSeconds(g_engine.lastTick), 0.007f);

    TestAdvanceTicks(25);
    PauseClock();  // 25 ms before the pause is too long to carry over
    TestAdvanceTicks(3000);
    ResumeClock();
    EXPECT_FLOAT_EQ(ElapsedSeconds(g_engine.lastTick), 0.0f);
}

TEST(FrameClock, MinimisedFramesSleepWithoutPresentingAndRestoreResumes) {
    EnsureTestEngine();
    TestClearMessages();
    EngineFrame();
    TestPostMessage(WM_SIZE, SIZE_MINIMIZED, 0);
    PumpMessages();
    ASSERT_EQ(g_engine.minimised, 1);
    EXPECT_EQ(g_engine.clockPaused, 1);
    const int swaps = TestSwapCount();
    const uint32_t slept = TestSleptMilliseconds();
    EngineFrame();
    EngineFrame();
    EXPECT_EQ(TestSwapCount(), swaps);
    EXPECT_EQ(TestSleptMilliseconds() - slept, 20u);
    TestAdvanceTicks(5000);
    TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(800, 600));
    PumpMessages();
    EXPECT_EQ(g_engine.minimised, 0);
    EXPECT_EQ(g_engine.clockPaused, 0);
    EXPECT_LE(ElapsedSeconds(g_engine.lastTick), 0.010f);
    EngineFrame();
    EXPECT_EQ(TestSwapCount(), swaps + 1);
}

TEST(EngineSettings, TableOfSettings) {
    SetEngineSetting(SETTING_COLOR_TAGS, 0.5f);
    EXPECT_EQ(GetEngineSetting(SETTING_COLOR_TAGS), 0.0f);
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    EXPECT_EQ(GetEngineSetting(SETTING_COLOR_TAGS), 1.0f);
    SetEngineSetting(SETTING_NEAR, 0.5f);
    SetEngineSetting(SETTING_FAR, 50.0f);
    EXPECT_EQ(GetEngineSetting(SETTING_NEAR), 0.5f);
    EXPECT_EQ(GetEngineSetting(SETTING_FAR), 50.0f);
    SetEngineSetting(SETTING_NEAR, 0.1f);
    SetEngineSetting(SETTING_FAR, 100.0f);
    EXPECT_FLOAT_EQ(GetEngineSetting(SETTING_DOUBLE_CLICK), 0.4f);
    SetEngineSetting(12, 3.0f);
    EXPECT_EQ(GetEngineSetting(12), 0.0f);
}

TEST(EngineLoopDeath, ClosingTheWindowEndsTheLoopAfterThePresentedFrame) {
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            TestPostMessage(WM_CLOSE, 0, 0);
            const int swaps = TestSwapCount();
            RunEngine();
            std::exit(TestSwapCount() == swaps + 1 && !PlatHasWindow() && KeyName(8)[0] == 'B' ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EngineLoopDeath, EscapeAndAltF4Quit) {
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            TestKeyDown(VK_ESCAPE, 0x01);
            RunEngine();
            std::exit(PlatHasWindow() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            TestPostMessage(WM_SYSKEYDOWN, VK_MENU, MakeKeyLParam(0x38, false));
            TestPostMessage(WM_SYSKEYDOWN, VK_F4, MakeKeyLParam(0x3E, false));
            RunEngine();
            std::exit(PlatHasWindow() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EngineLoop, CloseIsIgnoredWhileClosingIsNotAllowed) {
    EnsureTestEngine();
    g_engine.closeAllowed = 0;
    g_engine.running = 1;
    TestPostMessage(WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(g_engine.running, 1);
    EXPECT_TRUE(PlatHasWindow());
    g_engine.closeAllowed = 1;
    g_engine.running = 0;
}
