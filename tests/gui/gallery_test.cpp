// gallery_test.cpp - the gallery's sheets drawn on the test backend: each sheet comes up
// with its tab marked, and the tabs, scroll bars and dialog do what the sheets say.
#include <string>

#include "render/font.h"
#include "tests/gui/gui_test_support.h"

// The gallery's screen code is compiled into this test: it is the same code the program runs.
#include "examples/gallery_screen.cpp"

using namespace guitest;

namespace {

Rgb ToRgb(Color c) { return {ColorR(c), ColorG(c), ColorB(c)}; }

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
    static void Draw(int sheet) {
        ShowGallerySheet(sheet);
        DrawFrame();
    }

  private:
    Font* previousFont_ = nullptr;
};

}  // namespace

// Each sheet comes up with its own tab marked; how each control looks is read back in
// that control's own test.
TEST_F(GalleryTest, EverySheetShowsWithItsTabMarked) {
    for (int sheet = 0; sheet < GALLERY_SHEET_COUNT; ++sheet) {
        SCOPED_TRACE(GallerySheetName(sheet));
        Draw(sheet);
        EXPECT_EQ(g_gui.activeSheet, FindControl(GallerySheetName(sheet)));
        for (int tab = 0; tab < GALLERY_SHEET_COUNT; ++tab)
            EXPECT_EQ(ReadPixel(40 + 152 * tab, 10), ToRgb(tab == sheet ? kAccent : kWhite)) << "tab " << tab;
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
    EXPECT_EQ(FloatOf("PicturesBar2", "Progress"), 1.0f);
}

TEST_F(GalleryTest, TheDialogComesBackAfterItsCloseBoxDetachedIt) {
    Draw(GALLERY_PICTURES);
    // The close box sits at the right end of the title bar.
    Click(754, 290);
    EXPECT_EQ(FindControl("PicturesDialog")->parent, nullptr);
    OnShowDialog(KEY_MOUSE1);
    EXPECT_EQ(FindControl("PicturesDialog")->parent, FindControl(GallerySheetName(GALLERY_PICTURES)));
    // Rebuilding finds no leftover of the detached dialog.
    Click(754, 290);
    BuildGallery();
    EXPECT_NE(FindControl("PicturesDialog"), nullptr);
}
