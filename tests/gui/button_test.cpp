// button_test.cpp - the push button: the pressed caption offset of the classic style
// against the colour-only press of the rounded and elliptic styles (read back as
// pixels), the keyboard click, a press dropped when the window loses the focus, the hit
// tests per style, and the picture style.
#include "gui/controls/button.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "platform/platform.h"
#include "render/font.h"
#include "render/texture.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;

std::vector<std::string> g_events;
void OnClick(int32_t key) { g_events.push_back("Click(" + std::to_string(key) + ")"); }
void OnKeyUp(int32_t key) { g_events.push_back("KeyUp(" + std::to_string(key) + ")"); }

struct Box {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    bool operator==(const Box&) const = default;
};

// The box of the black caption pixels inside (x0, y0) - (x1, y1).
Box CaptionBox(int x0, int y0, int x1, int y1) {
    Box b;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Rgb p = ReadPixel(x, y);
            if (p.r < 80 && p.g < 80 && p.b < 80)
                b.left = std::min(b.left, x), b.right = std::max(b.right, x), b.top = std::min(b.top, y),
                b.bottom = std::max(b.bottom, y);
        }
    return b;
}

class ButtonTest : public GuiTest {
  protected:
    Button* button = nullptr;

    // A white button with a black caption at (100, 100), 120 x 40, on a grey sheet.
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(guitest::TestFont(), nullptr);
        SetFont(guitest::TestFont());
        MakeSheet("S", "Sheet");
        button = static_cast<Button*>(CreateControl("Button", "B", "S", 100, 100, 120, 40));
        ASSERT_NE(button, nullptr);
        SetControlProperty("B", "Text", "WWW");
        SetControlProperty("B", "Background", ValColor(MakeColor(255, 255, 255)));
        g_events.clear();
    }
    static Box Caption() { return CaptionBox(106, 106, 214, 134); }
};

TEST_F(ButtonTest, ClassicCaptionMovesWhileHeldAndReturnsWhenThePointerLeaves) {
    MoveTo(700, 500);
    DrawFrame();
    const Box rest = Caption();
    ASSERT_LT(rest.left, rest.right);
    EXPECT_LE(ReadPixel(100, 120).r, 128);  // the black outline, smoothed over the pixel edge
    EXPECT_EQ(ReadPixel(108, 120), (Rgb{255, 255, 255}));

    Press(110, 105);
    DrawFrame();
    const Box held = Caption();
    EXPECT_EQ(held.left, rest.left + 2);
    EXPECT_EQ(held.top, rest.top + 2);

    MoveTo(400, 400);  // still holding, off the button
    DrawFrame();
    EXPECT_EQ(Caption(), rest);
    Release(400, 400);
}

TEST_F(ButtonTest, RoundedAndEllipseShowOnlyTheDownBackgroundWhenHeld) {
    SetControlProperty("B", "DownBackground", ValColor(MakeColor(0, 200, 0)));
    for (uint8_t style : {BUTTON_ROUNDED, BUTTON_ELLIPSE}) {
        SCOPED_TRACE(int(style));
        SetControlProperty("B", "Style", ValEnum(style));
        MoveTo(700, 500);
        DrawFrame();
        const Box rest = Caption();
        EXPECT_EQ(ReadPixel(120, 120), (Rgb{255, 255, 255}));
        Press(160, 105);
        DrawFrame();
        EXPECT_EQ(Caption(), rest);
        EXPECT_EQ(ReadPixel(120, 120), (Rgb{0, 200, 0}));
        Release(160, 105);
    }
}

TEST_F(ButtonTest, EnterOrSpaceReleaseClicksWithMouseOneThenRaisesKeyUp) {
    BindControlEvent("B", "Click", OnClick);
    BindControlEvent("B", "KeyUp", OnKeyUp);
    SetFocusTo("B");
    Key(VK_RETURN);
    EXPECT_TRUE(button->IsPressed());  // the pressed look while the key is held
    KeyRelease(VK_RETURN);
    Key(VK_SPACE);
    KeyRelease(VK_SPACE);
    Key('A');
    KeyRelease('A');
    EXPECT_EQ(g_events, (std::vector<std::string>{"Click(230)", "KeyUp(13)", "Click(230)", "KeyUp(32)", "KeyUp(65)"}));

    g_events.clear();
    Click(160, 120);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Click(230)"}));
}

// Space, Enter or the mouse held on the button when the window loses the focus: it comes
// back up and clicks nothing ("Exit w/out saving" must not run by itself); back again, the
// next press and release is one click, as ever.
TEST_F(ButtonTest, HeldDownWhenTheWindowLosesTheFocusItIsReleasedWithoutAClick) {
    BindControlEvent("B", "Click", OnClick);
    for (const std::string hold : {"Space", "Enter", "Mouse 1"}) {
        SCOPED_TRACE(hold);
        g_events.clear();
        SetFocusTo("B");
        if (hold == "Mouse 1")
            Press(160, 120);
        else
            Key(hold == "Space" ? VK_SPACE : VK_RETURN);
        ASSERT_TRUE(button->IsPressed());
        TestFocusLost();
        PumpMessages();
        EXPECT_FALSE(button->IsPressed());
        EXPECT_TRUE(g_events.empty());
        Click(160, 120);
        EXPECT_EQ(g_events, (std::vector<std::string>{"Click(230)"}));
    }
}

TEST_F(ButtonTest, HitTestFollowsTheStyleAndOtherStylesAreNeverHit) {
    EXPECT_TRUE(button->HitTest(0, 0));
    EXPECT_TRUE(button->HitTest(120, 40));  // edges count
    SetControlProperty("B", "Style", ValEnum(BUTTON_ROUNDED));
    EXPECT_TRUE(button->HitTest(0, 0));
    SetControlProperty("B", "Style", ValEnum(BUTTON_SURFACE));
    EXPECT_FALSE(button->HitTest(1, 1));  // the rounded corner
    EXPECT_TRUE(button->HitTest(60, 1));
    SetControlProperty("B", "Style", ValEnum(BUTTON_ELLIPSE));
    EXPECT_FALSE(button->HitTest(5, 5));
    EXPECT_TRUE(button->HitTest(60, 20));

    SetControlProperty("B", "Style", ValEnum(4));
    EXPECT_FALSE(button->HitTest(60, 20));
    Press(160, 120);  // the click falls through to the sheet
    EXPECT_EQ(GetFocusControl(), FindControl("S"));
    Release(160, 120);
    MoveTo(700, 500);
    DrawFrame();
    EXPECT_EQ(ReadPixel(110, 110), (Rgb{225, 225, 225}));  // no background of its own
}

TEST_F(ButtonTest, PictureStyleDrawsOnlyAPictureAndKeepsItWhenHeldWithoutADownPicture) {
    // Colours set for the picture style are colours, not pictures: nothing is drawn.
    SetControlProperty("B", "Style", ValEnum(BUTTON_SURFACE));
    SetControlProperty("B", "Background", ValColor(MakeColor(1, 2, 3)));
    SetControlProperty("B", "DownBackground", ValColor(MakeColor(4, 5, 6)));
    Press(160, 120);
    DrawFrame();
    EXPECT_EQ(ReadPixel(120, 125), (Rgb{225, 225, 225}));
    Release(160, 120);

    std::vector<uint8_t> red(16 * 16 * 4);
    for (size_t i = 0; i < red.size(); i += 4) red[i] = 255, red[i + 3] = 255;
    SurfaceHandle picture(CreateSurfaceRGBA(red.data(), 16, 16));
    const Surface* value = picture.get();
    SetControlProperty("B", "BackgroundSurface", &value);
    Press(160, 120);
    DrawFrame();
    EXPECT_EQ(ReadPixel(120, 125), (Rgb{255, 0, 0}));
    Release(160, 120);
    DestroyControl("B");
}

TEST_F(ButtonTest, GoesWithoutADestroyEvent) {
    static int destroys = 0;
    destroys = 0;
    ASSERT_TRUE(BindControlEvent(
        "B", "Destroy", +[] { ++destroys; }));
    EXPECT_TRUE(DestroyControl("B"));
    EXPECT_EQ(destroys, 0);
}

}  // namespace
