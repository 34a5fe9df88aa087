// checkbox_radio_test.cpp - the two toggles through the real input path: the toggle
// rules for clicks and Space, radio groups per parent, the minimum radio size, and the
// look (box size, check mark over a texture, caption cut).
#include "gui/controls/checkbox_radio.h"

#include <GL/gl.h>

#include <string>
#include <vector>

#include "render/font.h"
#include "render/texture.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
}
void ToggledA() { Events().push_back("A.Toggle"); }
void ToggledB() { Events().push_back("B.Toggle"); }
void ToggledC() { Events().push_back("C.Toggle"); }
void ClickedA(int32_t key) { Events().push_back("A.Click(" + std::to_string(key) + ")"); }
void KeyUpA(int32_t key) { Events().push_back("A.KeyUp(" + std::to_string(key) + ")"); }
void SizedA(float, float) { Events().push_back("A.Size"); }

class ToggleTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet();
        Events().clear();
    }
    static void Space() { Key(VK_SPACE), KeyRelease(VK_SPACE); }
    static uint8_t Flag(const char* name, const char* prop) {
        uint8_t v = 2;
        GetControlProperty(name, prop, &v);
        return v;
    }
    static bool Dark(Rgb c) { return c.r < 90 && c.g < 90 && c.b < 90; }
};

}  // namespace

TEST_F(ToggleTest, CheckBoxFlipsOnClickAndSpaceAndTurnsEveryKeyReleaseIntoClick) {
    CreateControl("CheckBox", "A", "S", 10, 10, 100, 20);
    BindControlEvent("A", "Toggle", ToggledA);
    BindControlEvent("A", "Click", ClickedA);
    BindControlEvent("A", "KeyUp", KeyUpA);
    Click(15, 20);
    EXPECT_EQ(Flag("A", "Checked"), 1);
    Space();
    EXPECT_EQ(Flag("A", "Checked"), 0);
    Key('Q'), KeyRelease('Q');
    EXPECT_EQ(Flag("A", "Checked"), 0);
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"A.Click(230)", "A.Toggle", "A.Toggle", "A.Click(32)", "A.Click(81)"}));
    // Setting the flag by name does not raise Toggle.
    Events().clear();
    SetControlProperty("A", "Checked", ValBool(true));
    EXPECT_TRUE(Events().empty());
}

TEST_F(ToggleTest, RadioButtonsGroupByParentAndAnOnButtonClicksOff) {
    CreateControl("Frame", "F1", "S", 0, 0, 300, 200);
    CreateControl("Frame", "F2", "S", 400, 0, 300, 200);
    CreateControl("RadioButton", "A", "F1", 20, 40, 150, 20);
    CreateControl("RadioButton", "B", "F1", 20, 70, 150, 20);
    CreateControl("RadioButton", "C", "F1", 20, 100, 150, 20);
    CreateControl("RadioButton", "D", "F2", 20, 40, 150, 20);
    CreateControl("RadioButton", "E", "S", 20, 300, 150, 20);  // directly under the sheet
    BindControlEvent("A", "Toggle", ToggledA);
    BindControlEvent("B", "Toggle", ToggledB);
    BindControlEvent("C", "Toggle", ToggledC);
    SetControlProperty("A", "Value", ValBool(true));
    SetControlProperty("D", "Value", ValBool(true));
    SetControlProperty("E", "Value", ValBool(true));

    Click(25, 110);  // C
    EXPECT_EQ(Flag("A", "Value"), 0);
    EXPECT_EQ(Flag("C", "Value"), 1);
    EXPECT_EQ(Flag("D", "Value"), 1);  // another frame: another group
    EXPECT_EQ(Flag("E", "Value"), 1);
    EXPECT_EQ(Events(), (std::vector<std::string>{"C.Toggle"}));

    Click(25, 110);  // C again: off, and the group has no button on
    EXPECT_EQ(Flag("C", "Value"), 0);
    EXPECT_EQ(Flag("A", "Value") + Flag("B", "Value"), 0);

    SetFocusTo("B");
    Space();
    EXPECT_EQ(Flag("B", "Value"), 1);
    EXPECT_EQ(Flag("D", "Value"), 1);
}

TEST_F(ToggleTest, RadioButtonSpaceRaisesClickNotKeyUpAndSizeStaysAtLeastTen) {
    CreateControl("RadioButton", "A", "S", 10, 10, 100, 20);
    BindControlEvent("A", "Click", ClickedA);
    BindControlEvent("A", "KeyUp", KeyUpA);
    BindControlEvent("A", "Size", SizedA);
    SetFocusTo("A");
    Space();
    EXPECT_EQ(Flag("A", "Value"), 1);
    SetControlProperty("A", "w", ValFloat(5));
    SetControlProperty("A", "h", ValFloat(5));
    float w = 0, h = 0;
    GetControlProperty("A", "w", &w), GetControlProperty("A", "h", &h);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 10);
    EXPECT_EQ(Events(), (std::vector<std::string>{"A.Click(32)"}));
}

TEST_F(ToggleTest, CheckBoxLowerThanTenPixelsShrinksItsBoxToItsHeight) {
    const Color box = MakeColor(255, 0, 0), back = MakeColor(0, 0, 255);
    for (const char* name : {"Low", "High"}) {
        CreateControl("CheckBox", name, "S", 100, name[0] == 'L' ? 100 : 200, 200, name[0] == 'L' ? 6 : 20);
        SetControlProperty(name, "Color", ValColor(box));
        SetControlProperty(name, "BackgroundColor", ValColor(back));
    }
    DrawFrame();
    EXPECT_EQ(ReadPixel(103, 103), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadPixel(108, 103), (Rgb{0, 0, 255}));  // beyond the 6-pixel box
    EXPECT_EQ(ReadPixel(108, 210), (Rgb{255, 0, 0}));  // inside the 10-pixel box
}

TEST_F(ToggleTest, CheckMarkIsDrawnOverTheOffTextureWhenNoOnTextureIsSet) {
    std::vector<uint8_t> blue(16 * 16 * 4);
    for (size_t i = 0; i < blue.size(); i += 4) blue[i + 2] = 255, blue[i + 3] = 255;
    TextureHandle texture(CreateTextureRGBA(blue.data(), 16, 16, true));
    CheckBox* c = static_cast<CheckBox*>(CreateControl("CheckBox", "A", "S", 100, 100, 200, 20));
    c->offTexture = texture.get();
    auto darkInBox = [&] {
        int dark = 0;
        for (int y = 105; y < 115; ++y)
            for (int x = 100; x < 110; ++x) dark += Dark(ReadPixel(x, y));
        return dark;
    };
    DrawFrame();
    EXPECT_GT(ReadPixel(105, 110).b, 200);
    const int unchecked = darkInBox();
    c->checked = 1;
    DrawFrame();
    EXPECT_GT(darkInBox(), unchecked + 4);
}

TEST_F(ToggleTest, LongCaptionIsCutTwoPixelsBeforeTheRightEdgeAndPlanesAreFreedAfter) {
    for (const char* name : {"A", "B"}) {
        const bool radio = name[0] == 'B';
        CreateControl(radio ? "RadioButton" : "CheckBox", name, "S", 100, radio ? 200 : 100, 80, 20);
        SetControlProperty(name, "Text", "WWWWWWWWWWWWWWWWWWWWWWWW");
        SetControlProperty(name, "TextColor", ValColor(MakeColor(255, 0, 0)));
        SetControlProperty(name, "BackgroundColor", ValColor(MakeColor(0, 0, 255)));
    }
    DrawFrame();
    for (int top : {100, 200}) {
        int inside = 0, cut = 0;
        for (int y = top + 2; y < top + 18; ++y) {
            for (int x = 170; x < 177; ++x) inside += ReadPixel(x, y).r > 128;
            for (int x = 178; x < 180; ++x) cut += ReadPixel(x, y).r > 60;  // 180 on is the sheet
        }
        EXPECT_GT(inside, 0) << top;
        EXPECT_EQ(cut, 0) << top;
    }
    for (GLenum p = GL_CLIP_PLANE0; p < GL_CLIP_PLANE0 + 7; ++p) EXPECT_FALSE(glIsEnabled(p));
}

TEST_F(ToggleTest, RadioButtonDrawsItsDotOnlyWhenOn) {
    CreateControl("RadioButton", "A", "S", 100, 100, 100, 20);
    SetControlProperty("A", "Color", ValColor(MakeColor(0, 255, 0)));
    DrawFrame();
    EXPECT_EQ(ReadPixel(105, 110), (Rgb{0, 255, 0}));
    SetControlProperty("A", "Value", ValBool(true));
    DrawFrame();
    EXPECT_TRUE(Dark(ReadPixel(105, 110)));
}
