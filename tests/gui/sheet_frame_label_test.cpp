// sheet_frame_label_test.cpp - the passive controls as they appear on screen: the
// sheet's background modes, the frame's panel and title gap, the line's direction and
// the label's scroll state with its built-in bar driven through the strip machinery.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "gui/controls/frame_label_line.h"
#include "gui/controls/sheet.h"
#include "render/font.h"
#include "render/texture.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;

bool Near(Rgb a, Rgb b, int tolerance = 24) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}
int Brightness(Rgb p) { return p.r + p.g + p.b; }
// The darkest pixel of a small column, for lines that smoothing spreads over two rows.
int DarkestIn(int x, int y0, int y1) {
    int darkest = 765;
    for (int y = y0; y <= y1; ++y) darkest = std::min(darkest, Brightness(ReadPixel(x, y)));
    return darkest;
}

class Passive : public GuiTest {
  protected:
    Font* font = nullptr;
    void SetUp() override {
        GuiTest::SetUp();
        font = guitest::TestFont();
        ASSERT_NE(font, nullptr);
        SetFont(font);
    }
    static void Frame(float r = 1, float g = 0, float b = 0) { DrawFrame(r, g, b); }
};

TEST_F(Passive, SheetPaintsTheWholeScreenFromItsCornerOrNothingInModeZero) {
    Sheet* sheet = static_cast<Sheet*>(MakeSheet("S", "Sheet"));
    Frame();
    EXPECT_EQ(ReadPixel(0, 0), (Rgb{225, 225, 225}));
    EXPECT_EQ(ReadPixel(799, 599), (Rgb{225, 225, 225}));

    SetControlProperty("S", "x", ValFloat(100));
    SetControlProperty("S", "y", ValFloat(50));
    Frame();
    EXPECT_EQ(ReadPixel(50, 20), (Rgb{255, 0, 0}));        // left of and above the sheet
    EXPECT_EQ(ReadPixel(799, 599), (Rgb{225, 225, 225}));  // still 800 x 600 from (100, 50)
    sheet->Move(0, 0);

    SetControlProperty("S", "BackgroundMode", ValEnum(SHEET_BG_NONE));
    Frame();
    EXPECT_EQ(ReadPixel(400, 300), (Rgb{255, 0, 0}));
    // The picture modes without a picture paint nothing, whatever colour was set.
    SetControlProperty("S", "Background", ValColor(MakeColor(1, 2, 3)));
    for (uint8_t mode : {uint8_t(SHEET_BG_SURFACE), uint8_t(SHEET_BG_FUNCTION), uint8_t(SHEET_BG_TEXTURE + 2)}) {
        SetControlProperty("S", "BackgroundMode", ValEnum(mode));
        Frame();
        EXPECT_EQ(ReadPixel(400, 300), (Rgb{255, 0, 0})) << int(mode);
    }
}

TEST_F(Passive, SheetTextureModeRepeatsSquareTiles) {
    // 2 x 1 texels: red then blue. Mode 6 shows it three times across, 2.25 times down.
    const uint8_t texels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    TextureHandle texture(CreateTextureRGBA(texels, 2, 1, false));
    ASSERT_TRUE(texture);
    MakeSheet("S", "Sheet");
    const Texture* value = texture.get();
    SetControlProperty("S", "BackgroundTexture", &value);
    SetControlProperty("S", "BackgroundMode", ValEnum(6));
    Frame(0, 0, 0);
    const float tile = 800.0f / 3;  // pixels per copy of the texture
    EXPECT_TRUE(Near(ReadPixel(int(tile * 0.25f), 10), Rgb{255, 0, 0}));
    EXPECT_TRUE(Near(ReadPixel(int(tile * 0.75f), 10), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(ReadPixel(int(tile * 2.25f), 590), Rgb{255, 0, 0}));
}

TEST_F(Passive, FrameFillsItsPanelAndLeavesAGapInTheBorderForItsTitle) {
    MakeSheet("S", "Sheet");
    CreateControl("Frame", "F", "S", 100, 100, 300, 200);
    SetControlProperty("F", "Text", "");
    SetControlProperty("F", "Color", ValColor(MakeColor(180, 210, 240)));
    Frame();
    EXPECT_EQ(ReadPixel(200, 200), (Rgb{180, 210, 240}));
    const int hh = int(float(font->height) * font->scale * 0.5f);
    // Border along the top at mid-title height, except from x + 10 to x + 20.
    EXPECT_LT(DarkestIn(100 + 40, 100 + hh - 1, 100 + hh + 1), 300);
    EXPECT_GT(DarkestIn(100 + 15, 100 + hh - 1, 100 + hh + 1), 500);
    EXPECT_LT(DarkestIn(100 + 5, 200, 200) + DarkestIn(100 + 4, 200, 200), 700);  // left side, inset by 5
}

TEST_F(Passive, LineRunsCornerToCornerAndLeavesItsWidthBehind) {
    MakeSheet("S", "Sheet");
    Line* line = static_cast<Line*>(CreateControl("Line", "L", "S", 100, 100, 100, 100));
    SetControlProperty("L", "LineWidth", ValFloat(3));
    Frame();
    EXPECT_LT(Brightness(ReadPixel(125, 125)), 300);  // down to the right
    EXPECT_GT(Brightness(ReadPixel(175, 125)), 600);
    SetControlProperty("L", "Invert", ValBool(true));
    Frame();
    EXPECT_LT(Brightness(ReadPixel(175, 125)), 300);  // top-right to bottom-left
    EXPECT_GT(Brightness(ReadPixel(125, 125)), 600);
    line->Draw();
    float width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 3);
}

int g_labelScrolls = 0;
void CountLabelScroll() { ++g_labelScrolls; }

TEST_F(Passive, LabelGrowsABarOnlyWhenItsTextIsTallerAndScrollsWithIt) {
    MakeSheet("S", "Sheet");
    Label* label = static_cast<Label*>(CreateControl("Label", "Lb", "S", 100, 100, 200, 60));
    SetControlProperty("Lb", "Text", "A short text.");
    EXPECT_EQ(label->scrolling, 0);

    std::string tall;
    for (int i = 0; i < 30; ++i) tall += "line " + std::to_string(i) + "\n";
    SetControlProperty("Lb", "Text", tall.c_str());
    ASSERT_EQ(label->scrolling, 1);

    BindControlEvent("Lb", "Scroll", CountLabelScroll);
    g_labelScrolls = 0;
    MoveTo(150, 130);  // over the text, not the bar
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(label->cBlock, 3 * label->step);
    EXPECT_EQ(g_labelScrolls, 1);
    EXPECT_EQ(label->x, 100);  // the strip calls put the rectangle back
    EXPECT_EQ(label->w, 200);

    Press(292, 155);  // the bar's second arrow, in the strip along the right edge
    GuiUpdate(0.01f);
    EXPECT_EQ(label->cBlock, 4 * label->step);
    Release(292, 155);

    // A new text that fits starts unscrolled and uses the full width again.
    SetControlProperty("Lb", "Text", "Fits.");
    EXPECT_EQ(label->scrolling, 0);
    EXPECT_EQ(label->cBlock, 0);
}

// The slider shows the visible share of the text, so it leaves room to drag even when
// the text is only a little taller than the box.
TEST_F(Passive, LabelSliderIsTheVisibleShareAndDragsForAnyTallerText) {
    MakeSheet("S", "Sheet");
    Label* label = static_cast<Label*>(CreateControl("Label", "Lb", "S", 100, 100, 200, 100));
    for (float ratio : {1.2f, 1.6f, 1.95f, 4.0f}) {
        SCOPED_TRACE(ratio);
        std::string text;
        while (TextHeightFont(font, 200 - 15 - 1, 0, text.c_str(), 0, -1) < ratio * 100) text += "row\n";
        SetControlProperty("Lb", "Text", text.c_str());
        ASSERT_EQ(label->scrolling, 1);
        Press(292, 118);  // the top of the slider, just below the first arrow
        MoveTo(292, 123);
        GuiUpdate(0.01f);
        Release(292, 123);
        EXPECT_GT(label->cBlock, 0);
        EXPECT_LT(label->cBlock, label->nBlocks);  // 5 pixels of the track are not all of it
    }
}

TEST_F(Passive, LabelBarTakesTheSelectorColour) {
    MakeSheet("S", "Sheet");
    std::string tall;
    for (int i = 0; i < 30; ++i) tall += "row\n";
    CreateControl("Label", "Lb", "S", 100, 100, 200, 100);
    SetControlProperty("Lb", "Text", tall.c_str());
    SetControlProperty("Lb", "SelectorColor", ValColor(MakeColor(30, 60, 200)));
    Frame();
    EXPECT_EQ(ReadPixel(292, 180), (Rgb{30, 60, 200}));  // the track, below the slider
    EXPECT_EQ(ReadPixel(150, 195), (Rgb{255, 255, 255}));
}

}  // namespace
