// picture_progress_shape_status_test.cpp - what the four display-only controls draw
// (pixels read back from GL).
#include "gui/controls/picture_progress_shape_status.h"

#include <GL/gl.h>

#include <vector>

#include "render/texture.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

class DisplayTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        MakeSheet();
        SetControlProperty("S", "Fill", ValColor(MakeColor(0, 0, 0)));
    }
    static SurfaceHandle SolidSurface(int w, int h, Color c) {
        std::vector<Color> pixels(size_t(w * h), c);
        return SurfaceHandle(CreateSurfaceRGBA(reinterpret_cast<const uint8_t*>(pixels.data()), w, h));
    }
};

}  // namespace

TEST_F(DisplayTest, PictureBoxShowsASmallPictureAtNaturalSizeOnItsColourInAFrame) {
    SurfaceHandle red = SolidSurface(20, 20, MakeColor(255, 0, 0));
    CreateControl("PictureBox", "P", "S", 100, 100, 60, 50);
    Surface* s = red.get();
    SetControlProperty("P", "Picture", &s);
    DrawFrame();
    EXPECT_EQ(ReadPixel(110, 110), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadPixel(130, 130), (Rgb{190, 190, 190}));
    EXPECT_EQ(ReadPixel(130, 100), (Rgb{0, 0, 0}));  // the 2-pixel frame
    // A source beyond the picture's width shows only the background.
    SetControlProperty("P", "SourceX", ValFloat(40));
    DrawFrame();
    EXPECT_EQ(ReadPixel(110, 110), (Rgb{190, 190, 190}));
}

TEST_F(DisplayTest, ProgressBarFillsItsFractionOfTheInnerWidth) {
    CreateControl("ProgressBar", "B", "S", 100, 100, 204, 20);  // inner width 200
    SetControlProperty("B", "Color", ValColor(MakeColor(255, 0, 0)));
    SetControlProperty("B", "BackColor", ValColor(MakeColor(0, 255, 0)));
    DrawFrame();
    EXPECT_EQ(ReadPixel(110, 110), (Rgb{0, 255, 0}));
    SetControlProperty("B", "Progress", ValFloat(0.5f));
    DrawFrame();
    EXPECT_EQ(ReadPixel(190, 110), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadPixel(215, 110), (Rgb{0, 255, 0}));
    SetControlProperty("B", "Progress", ValFloat(1.5f));  // not clamped: past the edge
    DrawFrame();
    EXPECT_EQ(ReadPixel(350, 110), (Rgb{255, 0, 0}));
}

TEST_F(DisplayTest, ProgressBarTextureIsCutAtTheProgressNotSqueezed) {
    std::vector<uint8_t> rgba(16 * 16 * 4);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) {
            uint8_t* p = &rgba[size_t((y * 16 + x) * 4)];
            p[x < 8 ? 0 : 2] = 255, p[3] = 255;  // left half red, right half blue
        }
    TextureHandle texture(CreateTextureRGBA(rgba.data(), 16, 16, true));
    CreateControl("ProgressBar", "B", "S", 100, 100, 204, 20);
    Texture* t = texture.get();
    SetControlProperty("B", "Texture", &t);
    SetControlProperty("B", "Progress", ValFloat(0.5f));
    DrawFrame();
    // Half the texture (its red half) over half the bar: red right up to the bar's end.
    EXPECT_GT(ReadPixel(190, 110).r, 200);
    EXPECT_LT(ReadPixel(190, 110).b, 60);
}

TEST_F(DisplayTest, ShapeDrawsAnEllipseForAnyValueAboveOne) {
    CreateControl("Shape", "H", "S", 100, 100, 40, 40);
    DrawFrame();
    EXPECT_EQ(ReadPixel(102, 102), (Rgb{255, 100, 0}));
    SetControlProperty("H", "Shape", ValEnum(7));
    DrawFrame();
    EXPECT_EQ(ReadPixel(102, 102), (Rgb{0, 0, 0}));  // the sheet shows at the corner
    EXPECT_EQ(ReadPixel(120, 120), (Rgb{255, 100, 0}));
}

TEST_F(DisplayTest, NewStatusBarIsAGreyStripWithABlackOutline) {
    SetControlProperty("S", "Fill", ValColor(MakeColor(255, 255, 255)));
    CreateControl("StatusBar", "T", "S", 0, 580, 800, 20);
    DrawFrame();
    EXPECT_EQ(ReadPixel(400, 590), (Rgb{225, 225, 225}));
    const Rgb edge = ReadPixel(400, 580);
    EXPECT_LT(edge.r, 180);  // the smoothed outline covers half a pixel row
}
