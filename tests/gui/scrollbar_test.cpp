// scrollbar_test.cpp - the scroll bar through the real input path: wheel steps, arrow
// auto-repeat, track paging up to the pointer, slider dragging, the horizontal form,
// and a bar without a range that must stay still instead of dividing by zero.
#include "gui/controls/scrollbar.h"

#include <gtest/gtest.h>

#include "render/texture.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;

int g_scrolls = 0;
void CountScroll() { ++g_scrolls; }

constexpr float kFrame = 1.0f / 64;  // exact in binary, so the repeat timing is exact too

class ScrollBarTest : public GuiTest {
  protected:
    ScrollBar* bar = nullptr;

    // A vertical bar at (100, 100), 20 x 200: arrows 20 long, track 160 from y = 120.
    void SetUp() override {
        GuiTest::SetUp();
        MakeSheet("S", "Sheet");
        bar = static_cast<ScrollBar*>(CreateControl("ScrollBar", "Bar", "S", 100, 100, 20, 200));
        ASSERT_NE(bar, nullptr);
        SetControlProperty("Bar", "nBlocks", ValInt(100));
        SetControlProperty("Bar", "nSliderBlocks", ValInt(10));
        BindControlEvent("Bar", "Scroll", CountScroll);
        g_scrolls = 0;
    }
    static void Frames(int n) {
        for (int i = 0; i < n; ++i) GuiUpdate(kFrame);
    }
};

TEST_F(ScrollBarTest, WheelNotchMovesThreeStepsAndScrollsOnlyOnChange) {
    MoveTo(110, 200);
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(bar->cBlock, 3);
    EXPECT_EQ(g_scrolls, 1);
    SetControlProperty("Bar", "Step", ValInt(2));
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(bar->cBlock, 9);
    TestWheel(120), PumpMessages();
    TestWheel(120), PumpMessages();
    EXPECT_EQ(bar->cBlock, 0);  // 9 - 6 - 6, held at 0
    EXPECT_EQ(g_scrolls, 4);
    TestWheel(120), PumpMessages();  // at 0 already: nothing changes, nothing raised
    EXPECT_EQ(g_scrolls, 4);
    SetControlProperty("Bar", "cBlock", ValFloat(98));
    EXPECT_EQ(g_scrolls, 5);  // set by name: raised, and not clamped
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(bar->cBlock, 100);
    EXPECT_EQ(GetFocusControl(), nullptr);  // the wheel never takes the focus
}

TEST_F(ScrollBarTest, HeldArrowStepsAtOnceAfterHalfASecondThenEveryEightyMilliseconds) {
    SetControlProperty("Bar", "nBlocks", ValInt(4));
    Press(110, 290);  // second arrow
    EXPECT_EQ(bar->pressMode, SB_PRESS_SECOND_ARROW);
    Frames(1);
    EXPECT_EQ(bar->cBlock, 1);
    Frames(31);  // 0.484 s
    EXPECT_EQ(bar->cBlock, 1);
    Frames(56);                 // the repeat's own timing: frames_on_demand_test.cpp
    EXPECT_EQ(bar->cBlock, 4);  // stops at nBlocks
    EXPECT_EQ(g_scrolls, 4);    // once per step that moved it
    Release(110, 290);
    Frames(1);
    EXPECT_EQ(bar->pressMode, SB_PRESS_NONE);

    Press(110, 105);  // first arrow, with a bigger step
    SetControlProperty("Bar", "Step", ValInt(3));
    Frames(1);
    EXPECT_EQ(bar->cBlock, 1);
    Frames(40);
    EXPECT_EQ(bar->cBlock, 0);
    Release(110, 105);
}

TEST_F(ScrollBarTest, TrackPressPagesUntilTheSliderReachesThePointer) {
    // Slider 16 long (10 of 100 blocks over a 160 track) at the track's start.
    const ScrollBar::Geometry g = bar->Measure();
    EXPECT_FLOAT_EQ(g.slider, 16);
    EXPECT_FLOAT_EQ(g.sliderStart, 20);
    Press(110, 250);  // local 150: past the slider's middle
    EXPECT_EQ(bar->pressMode, SB_PRESS_TRACK_FORWARD);
    Frames(1);
    EXPECT_EQ(bar->cBlock, 5);
    Frames(200);
    // At 80 the slider spans 135.2 ... 151.2 and lies under the pointer.
    EXPECT_EQ(bar->cBlock, 80);
    EXPECT_EQ(bar->pressMode, SB_PRESS_NONE);
    Release(110, 250);

    Press(110, 130);  // local 30: before the slider
    EXPECT_EQ(bar->pressMode, SB_PRESS_TRACK_BACK);
    Frames(200);
    EXPECT_EQ(bar->cBlock, 5);  // at 10 the slider starts at 34.4; at 5 at 27.2, over 30
    Release(110, 130);
}

TEST_F(ScrollBarTest, DraggingTheSliderMovesProportionallyToTheFarEnd) {
    Press(110, 125);  // 5 pixels into the slider
    ASSERT_EQ(bar->pressMode, SB_PRESS_SLIDER);
    MoveTo(112, 197);  // slider start moves by 72 of the 144 it can travel
    Frames(1);
    EXPECT_FLOAT_EQ(bar->cBlock, 50);
    MoveTo(112, 269);  // slider touching the second arrow
    Frames(1);
    EXPECT_FLOAT_EQ(bar->cBlock, 100);
    MoveTo(112, 400);  // beyond: held at the end
    Frames(1);
    EXPECT_FLOAT_EQ(bar->cBlock, 100);
    EXPECT_FLOAT_EQ(bar->Measure().sliderStart, 164);
    Release(112, 400);
}

TEST_F(ScrollBarTest, ShortSliderIsTenPixelsAndWiderBarIsHorizontal) {
    SetControlProperty("Bar", "nBlocks", ValInt(1000));
    SetControlProperty("Bar", "nSliderBlocks", ValInt(1));
    EXPECT_FLOAT_EQ(bar->Measure().slider, 10);

    CreateControl("ScrollBar", "H", "S", 300, 100, 200, 20);
    auto* h = static_cast<ScrollBar*>(FindControl("H"));
    SetControlProperty("H", "nBlocks", ValInt(10));
    EXPECT_FALSE(h->Measure().vertical);
    Press(305, 110);
    EXPECT_EQ(h->pressMode, SB_PRESS_FIRST_ARROW);  // left end
    Release(305, 110);
    Press(495, 110);
    EXPECT_EQ(h->pressMode, SB_PRESS_SECOND_ARROW);  // right end
    Frames(1);
    EXPECT_EQ(h->cBlock, 1);
    Release(495, 110);
    // The horizontal form reads hskin only: with a track image the arrows are
    // arrowLength thicknesses long.
    const uint8_t grey[4 * 4 * 4] = {};
    SurfaceHandle track(CreateSurfaceRGBA(grey, 4, 4));
    ScrollBarSkin skin;
    skin.track = track.get();
    skin.arrowLength = 2;
    h->vskin = skin;
    EXPECT_FLOAT_EQ(h->Measure().arrow, 20);
    SetControlProperty("H", "hskin", &skin);
    EXPECT_FLOAT_EQ(h->Measure().arrow, 40);
    EXPECT_FLOAT_EQ(h->Measure().track, 120);
    h->hskin = ScrollBarSkin{};
    h->vskin = ScrollBarSkin{};
}

TEST_F(ScrollBarTest, BarWithoutARangeStaysStillAndDrawsItsSliderOverTheTrack) {
    SetControlProperty("Bar", "nBlocks", ValInt(0));
    const ScrollBar::Geometry g = bar->Measure();
    EXPECT_FLOAT_EQ(g.slider, 160);
    EXPECT_FLOAT_EQ(g.sliderStart, 20);
    Press(110, 200);
    MoveTo(110, 260);
    Frames(3);
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(bar->cBlock, 0);
    EXPECT_EQ(g_scrolls, 0);
    GuiDraw();  // must not divide by zero on the way
    Release(110, 260);
}

TEST_F(ScrollBarTest, FlatBarDrawsItsColourAndADarkerSlider) {
    SetControlProperty("Bar", "ScrollBarColor", ValColor(MakeColor(100, 200, 240)));
    MoveTo(700, 500);  // keep the GUI's pointer off the bar
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(110, 250), (Rgb{100, 200, 240}));  // track
    EXPECT_EQ(ReadPixel(110, 128), (Rgb{50, 100, 120}));   // slider at half brightness
    const Rgb arrowTip = ReadPixel(110, 111);              // the black triangle in the first arrow
    EXPECT_LT(arrowTip.r + arrowTip.g + arrowTip.b, 150);
}

}  // namespace
