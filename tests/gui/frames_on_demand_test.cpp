// frames_on_demand_test.cpp - the loop draws only what the controls need: nothing while
// the user rests, the frames of a key or a move, one pair per caret blink, a tooltip's
// delay and fade, and a held scroll arrow that steps on time after any wait.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "gui/controls/scrollbar.h"
#include "gui/controls/textbox.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;

class FramesOnDemand : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        TestStopWaits();
        ASSERT_EQ(g_engine.idleWait, 1);
        MakeSheet("S", "Sheet");
    }
    void TearDown() override {
        TestStopWaits();
        GuiTest::TearDown();
    }
    // Turns of the loop (each a drawn frame or a wait); the frames drawn.
    static int Turns(int n) {
        const int swaps = TestSwapCount();
        for (int i = 0; i < n; ++i) EngineFrame();
        return TestSwapCount() - swaps;
    }
    // Draws what is pending until the loop rests; false if it never does.
    static bool Settle() {
        for (int i = 0; i < 20; ++i)
            if (Turns(1) == 0) return true;
        return false;
    }
    // Lets the user rest for ms: the loop's waits run on the test clock.
    static int RestFor(uint32_t ms, int turns = 200) {
        TestLetWaitsRunUntil(PlatGetTickCount() + ms);
        const int frames = Turns(turns);
        TestStopWaits();
        return frames;
    }
};

TEST_F(FramesOnDemand, InputDrawsItsFramesAndARestingUserCostsNothing) {
    CreateControl("TextBox", "T", "S", 100, 100, 300, 24);
    SetControlProperty("T", "Text", "");
    ASSERT_TRUE(Settle());
    const int waits = TestWaitCount();
    EXPECT_EQ(Turns(50), 0);
    EXPECT_EQ(TestWaitCount() - waits, 50);
    EXPECT_EQ(TestLastWaitTimeout(), 1000u);  // nothing due: the longest wait
    EXPECT_EQ(RestFor(30000), 0);             // half a minute of rest, no frame

    // A click and a character: each the frame that shows it, and one for what that frame's
    // update changed. (Every kind of message is drawn so in the engine's loop_test.cpp.)
    TestMouseButton(WM_LBUTTONDOWN, 120, 110), TestMouseButton(WM_LBUTTONUP, 120, 110);
    EXPECT_EQ(Turns(10), 2);
    TestChar('q');
    EXPECT_EQ(Turns(10), 2);
    char text[32] = {};
    GetControlProperty("T", "Text", text);
    EXPECT_STREQ(text, "q");
}

TEST_F(FramesOnDemand, CaretBlinksOnTimeWithTwoFramesPerBlinkOnlyWhileFocused) {
    TextBox* t = static_cast<TextBox*>(CreateControl("TextBox", "T", "S", 100, 100, 300, 24));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(TestLastWaitTimeout(), 1000u);  // unfocused: its caret is not shown
    EXPECT_EQ(RestFor(3000), 0);
    SetFocusTo("T");
    ASSERT_TRUE(Settle());
    EXPECT_LE(TestLastWaitTimeout(), 501u);
    EXPECT_GE(TestLastWaitTimeout(), 490u);
    // Each blink: the frame whose update toggles it, then the frame that shows it.
    for (int blink = 0; blink < 6; ++blink) {
        const uint8_t before = t->caretVisible;
        EXPECT_EQ(RestFor(520), 2) << "blink " << blink;
        EXPECT_NE(t->caretVisible, before);
    }
    // Typing in the middle of a period restarts the blink with the caret shown.
    EXPECT_EQ(RestFor(250), 0);
    TestChar('k');
    EXPECT_EQ(Turns(10), 2);
    EXPECT_EQ(t->caretVisible, 1);
    EXPECT_GE(TestLastWaitTimeout(), 490u);
}

TEST_F(FramesOnDemand, TooltipWaitsOutItsDelayThenFadesFrameByFrame) {
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    SetControlProperty("A", "ToolTipText", "Hello");
    ASSERT_TRUE(Settle());
    EXPECT_EQ(RestFor(30000), 0);  // a long rest first: the delay must not count it
    TestMouseMove(50, 30);
    TestMouseMove(51, 30);  // a move over A arms its timer
    EXPECT_EQ(Turns(10), 2);
    EXPECT_EQ(g_gui.tip.opacity, 0);
    const uint32_t armed = PlatGetTickCount();
    // Nothing is drawn before the pointer has rested long enough.
    EXPECT_EQ(RestFor(1200), 0);
    EXPECT_EQ(g_gui.tip.opacity, 0);
    TestLetWaitsRunUntil(armed + 2000);
    EXPECT_EQ(Turns(1), 1);
    TestStopWaits();
    EXPECT_GE(PlatGetTickCount() - armed, 1250u);
    EXPECT_LE(PlatGetTickCount() - armed, 1265u);
    EXPECT_GT(g_gui.tip.opacity, 0);
    // The fade draws a frame per display refresh until it is done, then rests.
    int frames = 0;
    for (float last = g_gui.tip.opacity; g_gui.tip.opacity < 1 && frames < 100; last = g_gui.tip.opacity) {
        TestAdvanceTicks(16);
        frames += Turns(1);
        EXPECT_GT(g_gui.tip.opacity, last);
    }
    EXPECT_EQ(g_gui.tip.opacity, 1.0f);
    EXPECT_LE(frames, 17);  // a quarter second at 16 ms, from a start above 0
    EXPECT_LE(Turns(5), 1);
    EXPECT_EQ(RestFor(5000), 0);
}

TEST_F(FramesOnDemand, HeldArrowStepsOnTimeHoweverLongTheLoopWaits) {
    auto* bar = static_cast<ScrollBar*>(CreateControl("ScrollBar", "Bar", "S", 100, 100, 20, 200));
    SetControlProperty("Bar", "nBlocks", ValInt(100));
    ASSERT_TRUE(Settle());
    TestMouseButton(WM_LBUTTONDOWN, 110, 290);  // the lower arrow, held
    Turns(3);
    EXPECT_EQ(bar->cBlock, 1);  // one step at once
    const uint32_t pressed = PlatGetTickCount();
    // One more after half a second, then one every 0.08 s (and a tick or two of each
    // frame): 1 + 1 + 6 by just over a second, and never a burst after a long wait.
    TestLetWaitsRunUntil(pressed + 1030);
    Turns(100);
    EXPECT_EQ(bar->cBlock, 8);
    TestMouseButton(WM_LBUTTONUP, 110, 290);
    TestStopWaits();
    Turns(3);
    EXPECT_EQ(RestFor(5000), 0);
    EXPECT_EQ(bar->cBlock, 8);
}

// Sums the time its updates are given.
class DtProbe : public Control {
  public:
    std::vector<float> dts;
    void Update(float dt) override { dts.push_back(dt); }
};

TEST_F(FramesOnDemand, TheTimeSleptReachesTheUpdatesInFullBeforeTheInputThatEndsIt) {
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "DtProbe");
        c->factory = [] { return static_cast<Control*>(new DtProbe); };
    });
    auto* probe = static_cast<DtProbe*>(CreateControl("DtProbe", "P", "S", 0, 0, 10, 10));
    ASSERT_TRUE(Settle());
    probe->dts.clear();
    const uint32_t lastFrame = g_engine.lastTick;
    EXPECT_EQ(RestFor(5000), 0);
    EXPECT_TRUE(probe->dts.empty());
    const uint32_t keyAt = PlatGetTickCount();
    TestKeyDown('A', 0x1E);
    EXPECT_EQ(Turns(10), 2);
    // The whole rest comes first, in one piece, then the frames after the key.
    ASSERT_GE(probe->dts.size(), 2u);
    EXPECT_NEAR(probe->dts[0], (keyAt - lastFrame) * 0.001, 1e-4);
    float total = 0;
    for (float dt : probe->dts) total += dt;
    EXPECT_NEAR(total, (g_engine.lastTick - lastFrame) * 0.001, 1e-4);
    for (size_t i = 1; i < probe->dts.size(); ++i) EXPECT_LT(probe->dts[i], 0.01f);
}

}  // namespace
