// Frame clock, pause and minimise, drawing on demand, settings, and the loop's ways to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <thread>

#include "support/engine_fixture.h"

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

TEST(FrameClock, MinimisedFramesDoNotPresentAndRestoreResumes) {
    EnsureTestEngine();
    // Drawing every turn, a minimised turn sleeps 10 ms; drawing on demand, it waits
    // for the restore with nothing due.
    for (const uint8_t idleWait : {0, 1}) {
        SCOPED_TRACE(idleWait ? "waiting" : "drawing every turn");
        g_engine.idleWait = idleWait;
        TestClearMessages();
        EngineFrame();
        TestPostMessage(WM_SIZE, SIZE_MINIMIZED, 0);
        PumpMessages();
        ASSERT_EQ(g_engine.minimised, 1);
        EXPECT_EQ(g_engine.clockPaused, 1);
        const int swaps = TestSwapCount();
        const uint32_t slept = TestSleptMilliseconds();
        const int waits = TestWaitCount();
        EngineFrame();
        EngineFrame();
        EXPECT_EQ(TestSwapCount(), swaps);
        EXPECT_EQ(TestSleptMilliseconds() - slept, idleWait ? 0u : 20u);
        EXPECT_EQ(TestWaitCount() - waits, idleWait ? 2 : 0);
        TestAdvanceTicks(5000);
        TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(800, 600));
        PumpMessages();
        EXPECT_EQ(g_engine.minimised, 0);
        EXPECT_EQ(g_engine.clockPaused, 0);
        EXPECT_LE(ElapsedSeconds(g_engine.lastTick), 0.010f);
        EngineFrame();
        EXPECT_EQ(TestSwapCount(), swaps + 1);
    }
    g_engine.idleWait = 1;
}

// Turns of the loop; the frames they drew.
static int Turns(int n) {
    const int swaps = TestSwapCount();
    for (int i = 0; i < n; ++i) EngineFrame();
    return TestSwapCount() - swaps;
}

TEST(DrawingOnDemand, EveryKindOfMessageEndsTheWaitAndIsShown) {
    EnsureTestEngine();
    TestClearMessages();
    Turns(5);
    ASSERT_EQ(Turns(5), 0);
    // Exposure, resize, restore and focus come as messages like input does; none may
    // be left undrawn. (The backends' own events with no message also end the wait.)
    // Every message asks for its frame in one place: a key and a click stand for input.
    const PlatMsg messages[] = {
        {WM_PAINT, 0, 0},
        {WM_SIZE, SIZE_RESTORED, MakePointLParam(800, 600)},
        {WM_KEYDOWN, 'A', MakeKeyLParam(0x1E, false)},
        {WM_LBUTTONDOWN, 0, MakePointLParam(10, 20)},
        {0x0006 /* WM_ACTIVATE */, 1, 0},
    };
    for (const PlatMsg& m : messages) {
        SCOPED_TRACE(m.message);
        TestPostMessage(m.message, m.wParam, m.lParam);
        EXPECT_EQ(Turns(5), 2);
    }
}

TEST(DrawingOnDemand, WaitsForTheEarliestTimeAskedForAndDrawsOnceThen) {
    EnsureTestEngine();
    TestClearMessages();
    Turns(5);
    RequestFrameIn(2.0f);
    RequestFrameIn(0.25f);  // the earlier one wins
    RequestFrameIn(1.0f);
    const uint32_t asked = PlatGetTickCount();
    EXPECT_EQ(Turns(3), 0);
    EXPECT_EQ(TestLastWaitTimeout(), 251u);
    TestLetWaitsRunUntil(asked + 10000);
    EXPECT_EQ(Turns(1), 1);
    EXPECT_GE(PlatGetTickCount() - asked, 251u);  // and the frame's own millisecond, if any
    EXPECT_LE(PlatGetTickCount() - asked, 252u);
    // Asked for once: afterwards only the longest wait, so a flag set from outside
    // the loop is still looked at every second.
    EXPECT_EQ(Turns(3), 0);
    EXPECT_EQ(TestLastWaitTimeout(), 1000u);
    TestStopWaits();
}

// Work on another thread hands its result over on the main thread, in a turn of the
// loop (with a frame to show it); while it is out, the loop looks for its end often.
TEST(BackgroundWork, ResultIsHandedOverOnTheMainThreadAndTheWaitIsShortMeanwhile) {
    EnsureTestEngine();
    TestClearMessages();
    Turns(3);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::thread::id doneOn;
    int worked = 0;
    RunInBackground([released, &worked] { released.wait(), worked = 1; },
                    [&doneOn] { doneOn = std::this_thread::get_id(); });
    EXPECT_TRUE(BackgroundWorkPending());
    EXPECT_EQ(Turns(2), 0);
    EXPECT_EQ(TestLastWaitTimeout(), 10u);
    EXPECT_EQ(doneOn, std::thread::id());
    release.set_value();
    FinishBackgroundWork();
    EXPECT_EQ(worked, 1);
    EXPECT_EQ(doneOn, std::this_thread::get_id());
    EXPECT_FALSE(BackgroundWorkPending());
    EXPECT_GE(Turns(3), 1);  // what it changed is shown
    EXPECT_EQ(Turns(2), 0);
    EXPECT_EQ(TestLastWaitTimeout(), 1000u);  // nothing out: the long wait again
}

// The colour-tag switch is on or off, never half; an unknown setting reads as 0.
TEST(EngineSettings, FlagsAreWholeAndUnknownSettingsReadZero) {
    SetEngineSetting(SETTING_COLOR_TAGS, 0.5f);
    EXPECT_EQ(GetEngineSetting(SETTING_COLOR_TAGS), 0.0f);
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    EXPECT_EQ(GetEngineSetting(SETTING_COLOR_TAGS), 1.0f);
    EXPECT_FLOAT_EQ(GetEngineSetting(SETTING_DOUBLE_CLICK), 0.4f);  // seconds between two clicks
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
    for (const bool altF4 : {false, true})
        EXPECT_EXIT(
            {
                EnsureTestEngine();
                if (altF4) {
                    TestPostMessage(WM_SYSKEYDOWN, VK_MENU, MakeKeyLParam(0x38, false));
                    TestPostMessage(WM_SYSKEYDOWN, VK_F4, MakeKeyLParam(0x3E, false));
                } else {
                    TestKeyDown(VK_ESCAPE, 0x01);
                }
                RunEngine();
                std::exit(PlatHasWindow() ? 1 : 0);
            },
            testing::ExitedWithCode(0), "")
            << (altF4 ? "Alt+F4" : "Escape");
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
