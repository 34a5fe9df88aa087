// draw_test.cpp - what a frame shows (pixels read back from the real GL context):
// creation order, clipping to every ancestor, the pointer and the tooltip box; and the
// tooltip's timing on the test clock.
#include <cstdlib>

#include "render/font.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

const Color kGrey = MakeColor(200, 200, 200);
const Color kRed = MakeColor(255, 0, 0);
const Color kGreen = MakeColor(0, 255, 0);
const Color kBlue = MakeColor(0, 0, 255);

Rgb ToRgb(Color c) { return {ColorR(c), ColorG(c), ColorB(c)}; }

bool Near(Rgb a, Rgb b, int tolerance = 8) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

class Drawing : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ShowGuiPointer(false);
        ClearScreen();
    }
    void TearDown() override {
        ShowGuiPointer(true);
        GuiTest::TearDown();
    }
    static void Fill(const char* name, Color c) { SetControlProperty(name, "Fill", ValColor(c)); }
    static void Frame() {
        GuiDraw();
        glFinish();
    }
};

class ToolTipTiming : public GuiTest {
  protected:
    // Frames of 100 ms on the test clock, through the engine's own frame.
    static void Rest(int frames) {
        for (int i = 0; i < frames; ++i) {
            TestAdvanceTicks(100);
            EngineFrame();
        }
    }
};

}  // namespace

// A child is drawn only inside its parent, and a grandchild inside every ancestor.
TEST_F(Drawing, GrandchildIsClippedToEveryAncestor) {
    MakeSheet();
    CreateControl("TestFrame", "Outer", "S", 100, 100, 100, 100);   // 100..200
    CreateControl("TestFrame", "Inner", "Outer", 50, 0, 200, 100);  // 150..350, cut at 200
    CreateControl("TestBox", "G", "Inner", 0, 80, 150, 40);         // 150..300 x 180..220
    Fill("Outer", kBlue);
    Fill("Inner", kGreen);
    Fill("G", kRed);
    Frame();
    EXPECT_TRUE(Near(ReadPixel(175, 190), ToRgb(kRed)));
    EXPECT_TRUE(Near(ReadPixel(225, 190), ToRgb(kGrey)));  // inside Inner's rectangle, outside Outer
    EXPECT_TRUE(Near(ReadPixel(175, 210), ToRgb(kGrey)));  // below them both
    EXPECT_TRUE(Near(ReadPixel(120, 130), ToRgb(kBlue)));
}

TEST_F(Drawing, LaterSiblingCoversAnEarlierOneAndInvisibleOnesAreSkipped) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 100);
    CreateControl("TestBox", "B", "S", 60, 60, 100, 100);
    CreateControl("TestFrame", "Hidden", "S", 300, 300, 50, 50);
    CreateControl("TestBox", "HiddenChild", "Hidden", 0, 0, 50, 50);
    Fill("A", kRed);
    Fill("B", kGreen);
    Fill("Hidden", kBlue);
    Fill("HiddenChild", kBlue);
    SetControlProperty("Hidden", "Visible", ValBool(false));
    Frame();
    EXPECT_TRUE(Near(ReadPixel(30, 30), ToRgb(kRed)));
    EXPECT_TRUE(Near(ReadPixel(80, 80), ToRgb(kGreen)));
    EXPECT_TRUE(Near(ReadPixel(320, 320), ToRgb(kGrey)));
}

TEST_F(Drawing, ArrowPointerShadesUnderItAndKindZeroDrawsNothing) {
    MakeSheet();
    Fill("S", MakeColor(255, 255, 255));
    ShowGuiPointer(true);
    MoveTo(400, 300);
    GuiResetPointer();
    Frame();
    Rgb inside = ReadPixel(406, 310);
    EXPECT_TRUE(Near(inside, {178, 178, 178}, 20)) << int(inside.r);
    SetPointerKind(0);
    Frame();
    EXPECT_TRUE(Near(ReadPixel(406, 310), {255, 255, 255}));
    SetPointerKind(40);  // out of range: ignored
    EXPECT_EQ(GetPointerKind(), 0);
    // The I-beam and the double bar (thin black shapes with a white outline) are centred
    // on the pointer.
    for (int kind : {POINTER_IBEAM, POINTER_DOUBLE_BAR}) {
        SetPointerKind(kind);
        Frame();
        int dark = 0;
        for (int y = 292; y <= 308; ++y)
            for (int x = 392; x <= 408; ++x) dark += ReadPixel(x, y).r < 200;
        EXPECT_GE(dark, 12) << "kind " << kind;
        EXPECT_TRUE(Near(ReadPixel(400, 312), {255, 255, 255})) << "kind " << kind;
    }
}

TEST_F(Drawing, ToolTipBoxStandsAboveThePointerAndStaysOnScreen) {
    MakeSheet();
    ShowToolTipAt("tip", 400, 300, 1.0f);
    const ToolTipState& tip = g_gui.tip;
    EXPECT_EQ(tip.x, 400);
    EXPECT_EQ(tip.y + tip.h, 300);
    EXPECT_GE(tip.w, 10);
    Frame();
    EXPECT_TRUE(Near(ReadPixel(int(tip.x + tip.w) - 2, int(tip.y + tip.h) - 2), {255, 255, 225}, 12));
    EXPECT_LT(ReadPixel(int(tip.x) + 6, int(tip.y + tip.h) + 1).r, 180);  // the shadow below
    EXPECT_TRUE(Near(ReadPixel(int(tip.x) + 6, int(tip.y + tip.h) + 6), ToRgb(kGrey)));
    g_gui.tipShadow = 0;
    Frame();
    EXPECT_TRUE(Near(ReadPixel(int(tip.x) + 6, int(tip.y + tip.h) + 1), ToRgb(kGrey)));
    g_gui.tipShadow = 1;
    ShowToolTipAt("two\nlines", 799, 1, 1.0f);
    EXPECT_EQ(tip.lines.size(), 2u);
    EXPECT_EQ(tip.y, 0);
    EXPECT_EQ(tip.x + tip.w, 800);
    // Any press hides it.
    Press(10, 10);
    EXPECT_EQ(tip.opacity, 0);
}

// Once per rest: a press hides the tip and resting on does not bring it back; a move
// re-arms it. (The delay and the fade are timed in frames_on_demand_test.cpp.)
TEST_F(ToolTipTiming, ShowsOncePerRestAfterAboutOnePointTwoSixSeconds) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    SetControlProperty("A", "ToolTipText", "Hello");
    MoveTo(50, 30);
    MoveTo(51, 30);                     // a move over A arms its timer
    ElapsedSeconds(g_engine.lastTick);  // the frame clock starts from here
    Rest(13);
    EXPECT_GT(g_gui.tip.opacity, 0);
    EXPECT_EQ(g_gui.tip.text, "Hello");
    // (Only the button messages: the pointer does not move.)
    TestPostMessage(WM_LBUTTONDOWN, 0, MakePointLParam(51, 30));
    TestPostMessage(WM_LBUTTONUP, 0, MakePointLParam(51, 30));
    PumpMessages();
    Rest(30);
    EXPECT_EQ(g_gui.tip.opacity, 0);
    // A move re-arms it. (Taken by the loop, which lets the time rested pass first.)
    TestMouseMove(52, 30);
    Rest(12);
    EXPECT_EQ(g_gui.tip.opacity, 0);
    Rest(2);
    EXPECT_GT(g_gui.tip.opacity, 0);
}

// Only what the user sees under the pointer explains itself: not a control without a
// tip, a hidden one, one inside a hidden frame, or one that a later sibling covers.
TEST_F(ToolTipTiming, NoTooltipWithoutTextOrFromHiddenOrCoveredControls) {
    enum How { WithoutText, Hidden, InHiddenFrame, Covered };
    for (How how : {WithoutText, Hidden, InHiddenFrame, Covered}) {
        SCOPED_TRACE(int(how));
        Reset();
        MakeSheet();
        CreateControl("TestFrame", "F", "S", 0, 0, 400, 300);
        CreateControl("TestBox", "B", "F", 200, 10, 100, 50);
        if (how != WithoutText) SetControlProperty("B", "ToolTipText", "B's tip");
        if (how == Hidden) SetControlProperty("B", "Visible", ValBool(false));
        if (how == InHiddenFrame) SetControlProperty("F", "Visible", ValBool(false));
        if (how == Covered) CreateControl("TestBox", "Over", "F", 190, 0, 150, 80);
        MoveTo(250, 30);
        MoveTo(251, 30);
        ElapsedSeconds(g_engine.lastTick);
        Rest(20);
        EXPECT_EQ(g_gui.tip.opacity, 0);
    }
}

namespace {
// Makes another font current while it draws, as controls with a Font property do.
class FontSwitcher : public TestBox {
  public:
    void Draw() override { SetFont(reinterpret_cast<Font*>(this)); }
};
}  // namespace

TEST_F(Drawing, TheDefaultFontSurvivesAControlThatSwitchesFonts) {
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "TestFontSwitcher");
        c->factory = [] { return static_cast<Control*>(new FontSwitcher); };
    });
    MakeSheet();
    CreateControl("TestFontSwitcher", "Sw", "S", 0, 0, 10, 10);
    Font* before = GetFont();
    Frame();
    EXPECT_EQ(GetFont(), before);
}
