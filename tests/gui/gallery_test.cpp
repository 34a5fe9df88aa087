// gallery_test.cpp - the gallery's sheets drawn on the test backend: each sheet comes up
// with its tab marked, and the tabs, scroll bars and dialog do what the sheets say.
#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

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

class GalleryTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        previousFont_ = SetFont(TestFont());
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

// Each sheet comes up with its own tab marked and the toolkit's chrome around it; how
// each control looks is read back in that control's own test.
TEST_F(GalleryTest, EverySheetShowsWithItsTabMarkedAndItsFrames) {
    for (int sheet = 0; sheet < GALLERY_SHEET_COUNT; ++sheet) {
        SCOPED_TRACE(GallerySheetName(sheet));
        Draw(sheet);
        ExpectChrome(sheet);
        ExpectFrame(10, 44, sheet == GALLERY_PICTURES ? 250 : 385);
    }
}

TEST_F(GalleryTest, TabsSwitchSheetsAndTheScrollBarsDriveTheProgressBars) {
    // A click on the third tab of the first sheet.
    Draw(GALLERY_BUTTONS);
    Click(10 + 152 * 2 + 73, 21);
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
    Click(754, 290);
    Redraw();
    EXPECT_EQ(FindControl("PicturesDialog")->parent, nullptr);
    EXPECT_EQ(screen.At(700, 400), ToRgb(kPanelColor)) << "the frame under it";
    EXPECT_NE(screen.At(700, 290), ToRgb(kAccent));

    OnShowDialog(KEY_MOUSE1);
    Redraw();
    EXPECT_EQ(FindControl("PicturesDialog")->parent, FindControl(GallerySheetName(GALLERY_PICTURES)));
    EXPECT_EQ(screen.At(700, 290), ToRgb(kAccent));
    // Rebuilding finds no leftover of the detached dialog.
    Click(754, 290);
    BuildGallery();
    EXPECT_NE(FindControl("PicturesDialog"), nullptr);
}
