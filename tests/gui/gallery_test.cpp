// gallery_test.cpp - the gallery's sheets drawn on the test backend: every control on
// each sheet shows the look it was given (a fill, a text colour, a selection, a line),
// read back pixel by pixel; and the tabs and scroll bars do what the sheets say.
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/controls/listbox.h"
#include "gui/controls/mltextbox.h"
#include "render/font.h"
#include "tests/gui/gui_test_support.h"

// The gallery's screen code is compiled into this test: it is the same code the program runs.
#include "examples/gallery_screen.cpp"

using namespace guitest;

namespace {

Rgb ToRgb(Color c) { return {ColorR(c), ColorG(c), ColorB(c)}; }

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::string Show(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

// The whole client area read back once per drawn frame.
class Screen {
  public:
    void Grab() {
        pixels_.assign(size_t(kW) * kH * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, g_engine.clientHeight - kH, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
    }
    // Top-left origin, like ReadPixel.
    Rgb At(int x, int y) const {
        const uint8_t* p = &pixels_[(size_t(kH - 1 - y) * kW + size_t(x)) * 4];
        return {p[0], p[1], p[2]};
    }
    // Pixels of the rectangle within `tolerance` of the colour.
    // The darkest pixel of the rectangle, as the mean of its channels: an outline is
    // drawn smoothed over two columns, so it shows as a darker pixel, not an exact colour.
    int Darkest(int x, int y, int w, int h) const {
        int darkest = 255;
        for (int py = y; py < y + h; ++py)
            for (int px = x; px < x + w; ++px) {
                const Rgb c = At(px, py);
                darkest = std::min(darkest, (c.r + c.g + c.b) / 3);
            }
        return darkest;
    }
    int Count(int x, int y, int w, int h, Color color, int tolerance = 24) const {
        int n = 0;
        for (int py = y; py < y + h; ++py)
            for (int px = x; px < x + w; ++px) n += Near(At(px, py), ToRgb(color), tolerance) ? 1 : 0;
        return n;
    }

  private:
    static constexpr int kW = 800, kH = 600;
    std::vector<uint8_t> pixels_;
};

Font* GalleryFont() {
    static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    return font;
}

class GalleryTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(GalleryFont(), nullptr);
        previousFont_ = SetFont(GalleryFont());
        BuildGallery();
    }
    void TearDown() override {
        FreeGallery();
        SetFont(previousFont_);
        GuiTest::TearDown();
    }

    // Shows the sheet and draws one frame without the GUI's pointer.
    void Draw(int sheet) {
        ShowGallerySheet(sheet);
        Redraw();
    }
    void Redraw() {
        ShowGuiPointer(false);
        ClearScreen();
        GuiDraw();
        glFinish();
        ShowGuiPointer(true);
        screen.Grab();
    }
    // The sheet's colour, its tab drawn dark among light ones, and the status bar.
    void ExpectChrome(int sheet) {
        EXPECT_EQ(g_gui.activeSheet, FindControl(GallerySheetName(sheet)));
        EXPECT_EQ(screen.At(400, 40), ToRgb(kSheetColor)) << "Sheet";
        for (int tab = 0; tab < GALLERY_SHEET_COUNT; ++tab)
            EXPECT_EQ(screen.At(40 + 152 * tab, 10), ToRgb(tab == sheet ? kAccent : kWhite)) << "tab " << tab;
        EXPECT_EQ(screen.At(4, 590), ToRgb(kAccent)) << "StatusBar";
        EXPECT_GT(screen.Count(10, 579, 400, 16, MakeColor(235, 240, 250)), 40) << "hint text";
    }
    // A frame's panel fill and its title in ink.
    void ExpectFrame(int x, int y, int w) {
        EXPECT_EQ(screen.At(x + w - 12, y + 20), ToRgb(kPanelColor)) << "Frame at " << x << "," << y;
        EXPECT_GT(screen.Count(x + 15, y, 80, 14, kInk, 40), 10) << "Frame title at " << x << "," << y;
    }

    Screen screen;

  private:
    Font* previousFont_ = nullptr;
};

}  // namespace

TEST_F(GalleryTest, ButtonsSheetShowsEachButtonStyleAndBothToggles) {
    Draw(GALLERY_BUTTONS);
    ExpectChrome(GALLERY_BUTTONS);
    ExpectFrame(10, 44, 385);
    ExpectFrame(405, 44, 385);
    ExpectFrame(10, 304, 385);
    ExpectFrame(405, 304, 385);
    ExpectFrame(10, 464, 780);

    // Button: classic grey box with a black outline, rounded blue, ellipse orange (the
    // corners of its rectangle stay panel), picture with its band and body, own colours.
    EXPECT_EQ(screen.At(40, 80), (Rgb{225, 225, 225}));
    EXPECT_LT(screen.Darkest(28, 84, 4, 6), 130) << "outline";
    EXPECT_EQ(screen.At(250, 77), (Rgb{60, 120, 200}));
    EXPECT_GT(screen.Count(215, 72, 160, 30, kWhite, 30), 20) << "rounded caption";
    EXPECT_EQ(screen.At(50, 138), (Rgb{250, 170, 60}));
    EXPECT_EQ(screen.At(32, 118), ToRgb(kPanelColor));
    EXPECT_GT(screen.Count(30, 116, 160, 44, MakeColor(70, 35, 0), 30), 10) << "ellipse caption";
    EXPECT_EQ(screen.At(225, 122), (Rgb{120, 190, 135}));
    EXPECT_EQ(screen.At(225, 152), (Rgb{70, 150, 90}));
    EXPECT_GT(screen.Count(215, 116, 160, 44, kWhite, 30), 20) << "picture caption";
    EXPECT_EQ(screen.At(40, 180), (Rgb{255, 236, 200}));
    EXPECT_GT(screen.Count(30, 174, 345, 30, MakeColor(150, 60, 0), 30), 40) << "own caption";

    // The click log label: white with ink text.
    EXPECT_EQ(screen.At(360, 270), ToRgb(kWhite));
    EXPECT_GT(screen.Count(30, 220, 345, 30, kInk, 30), 40);

    // CheckBox: the default box of an unchecked one stays clear, the amber box holds a
    // check mark, the last box keeps the toolkit's grey background.
    EXPECT_EQ(screen.At(430, 112), (Rgb{236, 255, 236}));
    EXPECT_EQ(screen.Count(427, 109, 6, 6, MakeColor(0, 0, 0), 60), 0) << "no mark in an unchecked box";
    EXPECT_GT(screen.Count(426, 136, 8, 8, MakeColor(255, 214, 120), 10), 8) << "amber box";
    EXPECT_GT(screen.Count(426, 136, 8, 8, MakeColor(0, 0, 0), 60), 3) << "check mark";
    EXPECT_GT(screen.Count(440, 130, 300, 20, MakeColor(120, 50, 0), 30), 40) << "brown caption";
    EXPECT_EQ(screen.At(700, 160), (Rgb{225, 225, 225}));
    EXPECT_GT(screen.Count(425, 194, 345, 40, kInk, 30), 40) << "the toggle log lists the checked boxes";

    // RadioButton: in each frame exactly one dot, on the button that was set.
    EXPECT_EQ(screen.At(35, 344), (Rgb{236, 255, 236}));
    EXPECT_LT(screen.At(35, 372).r, 60) << "Centre is on";
    EXPECT_EQ(screen.At(35, 400), (Rgb{236, 255, 236}));
    EXPECT_EQ(screen.At(430, 344), (Rgb{200, 230, 255}));
    EXPECT_EQ(screen.At(430, 372), (Rgb{200, 230, 255}));
    EXPECT_LT(screen.At(430, 400).r, 60) << "High is on";
    EXPECT_GT(screen.Count(440, 334, 150, 80, MakeColor(20, 60, 120), 30), 40) << "blue captions";
}

TEST_F(GalleryTest, ListsSheetShowsSelectionsShortenedItemsCombosAndColumns) {
    Draw(GALLERY_LISTS);
    ExpectChrome(GALLERY_LISTS);
    ExpectFrame(10, 44, 385);
    ExpectFrame(405, 44, 385);
    ExpectFrame(405, 254, 385);

    // ListBox: white rows, a faint stripe on odd rows, the selected row in the accent
    // with white text, a strip because the items are higher than the list.
    const auto* items = dynamic_cast<ListBox*>(FindControl("ListsItems"));
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(screen.At(300, 78), ToRgb(kWhite));
    EXPECT_TRUE(Near(screen.At(300, 94), {242, 242, 242}, 2)) << Show(screen.At(300, 94));
    EXPECT_GT(screen.Count(30, 119, 320, 15, kAccent, 0), 1500) << "selected row";
    EXPECT_GT(screen.Count(30, 119, 320, 15, kWhite, 30), 40) << "selected text";
    EXPECT_TRUE(items->items[3].shortened) << "the long item ends in \" ...\"";
    EXPECT_TRUE(items->Scrolling());
    EXPECT_EQ(screen.At(372, 340), (Rgb{225, 225, 225})) << "strip track";

    // The multi-select list: its own colours, two rows selected.
    EXPECT_EQ(screen.At(300, 428), ToRgb(kWarmPale));
    EXPECT_EQ(screen.At(300, 445), ToRgb(kWarm));
    EXPECT_EQ(screen.At(300, 461), ToRgb(kWarmPale));
    EXPECT_EQ(screen.At(300, 477), ToRgb(kWarm));
    EXPECT_GT(screen.Count(25, 420, 355, 114, MakeColor(80, 40, 0), 30), 40) << "brown text";

    // ComboBox: the box in its colour with the chosen entry, the drop button.
    EXPECT_EQ(screen.At(740, 84), ToRgb(kWhite));
    EXPECT_EQ(screen.At(753, 77), ToRgb(kAccentPale));
    EXPECT_GT(screen.Count(534, 76, 60, 16, MakeColor(0, 0, 0), 40), 10) << "\"English\"";
    EXPECT_EQ(screen.At(740, 114), ToRgb(kWarmPale));
    EXPECT_EQ(screen.At(753, 107), (Rgb{255, 226, 190}));

    // MCListBox: the column bar with its titles and separators, the selected row.
    EXPECT_EQ(screen.At(770, 282), ToRgb(kAccentPale));
    EXPECT_GT(screen.Count(422, 281, 100, 16, kInk, 30), 20) << "column titles";
    EXPECT_GT(screen.Count(550, 281, 10, 19, kPanelBorder, 30), 3) << "first separator";
    EXPECT_GT(screen.Count(425, 318, 340, 15, kAccent, 0), 1500) << "selected row";
    EXPECT_GT(screen.Count(680, 318, 80, 15, kWhite, 30), 10) << "third cell of the selected row";
}

TEST_F(GalleryTest, TextSheetShowsTheBoxesTheColourTagsAndTheScrollingTexts) {
    Draw(GALLERY_TEXT);
    ExpectChrome(GALLERY_TEXT);
    ExpectFrame(10, 44, 385);
    ExpectFrame(405, 44, 385);
    ExpectFrame(10, 254, 780);

    // TextBox: white fields with ink text, the float field in warm colours.
    EXPECT_EQ(screen.At(360, 84), ToRgb(kWhite));
    EXPECT_GT(screen.Count(147, 76, 100, 16, MakeColor(0, 0, 0), 40), 20) << "the name";
    EXPECT_EQ(screen.At(360, 112), ToRgb(kWhite));
    EXPECT_GT(screen.Count(147, 104, 40, 16, MakeColor(0, 0, 0), 40), 10) << "the count";
    EXPECT_EQ(screen.At(360, 140), ToRgb(kWarmPale));
    EXPECT_GT(screen.Count(147, 132, 40, 16, MakeColor(120, 50, 0), 40), 10) << "the scale";
    EXPECT_GT(screen.Count(30, 76, 100, 80, kInk, 30), 40) << "captions";

    // Label: the colour tags draw three colours inside one text.
    EXPECT_GT(screen.Count(425, 72, 345, 56, MakeColor(200, 0, 0), 40), 5) << "red";
    EXPECT_GT(screen.Count(425, 72, 345, 56, MakeColor(0, 140, 0), 40), 5) << "green";
    EXPECT_GT(screen.Count(425, 72, 345, 56, MakeColor(0, 0, 220), 40), 5) << "blue";
    // The long label scrolls: its bar shows in the selector colour.
    EXPECT_EQ(screen.At(757, 138), ToRgb(kAccentPale));
    EXPECT_GT(screen.Count(425, 136, 320, 96, kInk, 30), 200) << "the long text";

    // MLTextBox: white box with dark text from the top, and its own strip.
    const auto* editor = dynamic_cast<MLTextBox*>(FindControl("TextEditor"));
    ASSERT_NE(editor, nullptr);
    EXPECT_GT(editor->nBlocks, 0);
    EXPECT_EQ(editor->cBlock, 0);
    EXPECT_EQ(screen.At(740, 540), ToRgb(kWhite));
    EXPECT_GT(screen.Count(27, 281, 200, 16, MakeColor(0, 0, 0), 40), 40) << "first line";
    EXPECT_EQ(screen.Count(27, 281, 730, 268, MakeColor(200, 0, 0), 60), 0) << "tags stay literal";
    EXPECT_EQ(screen.At(762, 281), ToRgb(kAccentPale));
}

TEST_F(GalleryTest, PicturesSheetShowsThePictureBarsShapesLinesAndDialog) {
    Draw(GALLERY_PICTURES);
    ExpectChrome(GALLERY_PICTURES);
    ExpectFrame(10, 44, 250);
    ExpectFrame(270, 44, 520);
    ExpectFrame(10, 254, 380);

    // PictureBox: the picture at natural size (its sun and near hills), the box's colour
    // beside and below it.
    EXPECT_EQ(screen.At(165, 121), (Rgb{255, 225, 110}));
    EXPECT_EQ(screen.At(45, 205), (Rgb{40, 90, 50}));
    EXPECT_EQ(screen.At(235, 150), (Rgb{60, 64, 80}));
    EXPECT_EQ(screen.At(100, 220), (Rgb{60, 64, 80}));

    // ProgressBar: 65 % green, 30 % orange; the percentage label.
    EXPECT_EQ(screen.At(400, 85), (Rgb{60, 160, 90}));
    EXPECT_EQ(screen.At(650, 85), (Rgb{235, 245, 238}));
    EXPECT_GT(screen.Count(730, 76, 45, 18, kInk, 30), 10) << "\"65 %\"";
    EXPECT_EQ(screen.At(380, 147), ToRgb(kWarm));
    EXPECT_EQ(screen.At(600, 147), ToRgb(kWarmPale));

    // ScrollBar: the track in its colour, the slider at half brightness where cBlock puts it.
    EXPECT_EQ(screen.At(400, 115), ToRgb(kAccentPale));
    EXPECT_EQ(screen.At(558, 115), (Rgb{100, 106, 115}));
    EXPECT_EQ(screen.At(299, 160), (Rgb{255, 226, 190}));
    EXPECT_EQ(screen.At(299, 192), (Rgb{127, 113, 95}));

    // Shape: rectangle, rounded rectangle (round corners leave the panel), ellipse.
    EXPECT_EQ(screen.At(80, 317), (Rgb{90, 150, 220}));
    EXPECT_EQ(screen.At(200, 317), (Rgb{240, 180, 60}));
    EXPECT_EQ(screen.At(151, 283), ToRgb(kPanelColor));
    EXPECT_EQ(screen.At(320, 317), (Rgb{200, 80, 120}));
    EXPECT_EQ(screen.At(273, 285), ToRgb(kPanelColor));
    EXPECT_LT(screen.Darkest(28, 300, 4, 10), 125) << "rectangle border";

    // Line: widths 1, 2 and 4, and the two diagonals of one rectangle.
    EXPECT_TRUE(Near(screen.At(200, 390), ToRgb(kInk), 30)) << Show(screen.At(200, 390));
    EXPECT_EQ(screen.At(200, 388), ToRgb(kPanelColor));
    EXPECT_TRUE(Near(screen.At(200, 404), {60, 120, 200}, 30)) << Show(screen.At(200, 404));
    EXPECT_EQ(screen.At(200, 420), ToRgb(kWarm));
    EXPECT_EQ(screen.At(200, 414), ToRgb(kPanelColor));
    EXPECT_TRUE(Near(screen.At(100, 463), {60, 160, 90}, 40)) << Show(screen.At(100, 463));
    EXPECT_TRUE(Near(screen.At(100, 527), {200, 80, 120}, 40)) << Show(screen.At(100, 527));

    // Dialog: focused on its first frame, so the title bar has the active colour; the
    // body, its title, its children and the shadow along its right edge.
    EXPECT_EQ(screen.At(700, 290), ToRgb(kAccent));
    EXPECT_GT(screen.Count(428, 283, 110, 18, kWhite, 30), 30) << "title";
    EXPECT_EQ(screen.At(700, 400), ToRgb(kPanelColor));
    EXPECT_GT(screen.Count(437, 312, 316, 60, kInk, 30), 100) << "dialog text";
    EXPECT_EQ(screen.At(675, 416), ToRgb(kAccent)) << "OK button";
    EXPECT_LT(screen.At(767, 400).r, 200) << "shadow";
}

TEST_F(GalleryTest, TabsSwitchSheetsAndTheScrollBarsDriveTheProgressBars) {
    // A click on the third tab of the first sheet.
    Draw(GALLERY_BUTTONS);
    Press(10 + 152 * 2 + 73, 21);
    Release(10 + 152 * 2 + 73, 21);
    EXPECT_EQ(g_gui.activeSheet, FindControl(GallerySheetName(GALLERY_TEXT)));

    // Moving a scroll bar by name raises its Scroll event, as a drag does.
    SetControlProperty("PicturesHScroll", "cBlock", ValFloat(20));
    SetControlProperty("PicturesVScroll", "cBlock", ValFloat(0));
    Draw(GALLERY_PICTURES);
    EXPECT_EQ(FloatOf("PicturesBar", "Progress"), 0.2f);
    EXPECT_EQ(screen.At(650, 85), (Rgb{235, 245, 238}));
    EXPECT_EQ(screen.At(300, 85), (Rgb{60, 160, 90}));
    EXPECT_EQ(FloatOf("PicturesBar2", "Progress"), 1.0f);
    EXPECT_EQ(screen.At(700, 147), ToRgb(kWarm));
}

TEST_F(GalleryTest, TheDialogComesBackAfterItsCloseBoxDetachedIt) {
    Draw(GALLERY_PICTURES);
    // The close box sits at the right end of the title bar.
    Press(754, 290);
    Release(754, 290);
    Redraw();
    EXPECT_EQ(FindControl("PicturesDialog")->parent, nullptr);
    EXPECT_EQ(screen.At(700, 400), ToRgb(kPanelColor)) << "the frame under it";
    EXPECT_NE(screen.At(700, 290), ToRgb(kAccent));

    OnShowDialog(KEY_MOUSE1);
    Redraw();
    EXPECT_EQ(FindControl("PicturesDialog")->parent, FindControl(GallerySheetName(GALLERY_PICTURES)));
    EXPECT_EQ(screen.At(700, 290), ToRgb(kAccent));
    // Rebuilding finds no leftover of the detached dialog.
    Press(754, 290);
    Release(754, 290);
    BuildGallery();
    EXPECT_NE(FindControl("PicturesDialog"), nullptr);
}
