// Resizing the editor's window: at 1600 x 1200 the 800 x 600 screen is drawn at twice its
// size, a click lands on what the scaled picture shows there (a list row, the text box,
// Compile, which writes the file), and the original size gives back the original
// picture, pixel for pixel. A desktop that sets Xft.dpi opens the window at its scale.
#include <string>

#include "e2e_support.h"

using namespace e2e;

namespace {

// Client coordinates at 800 x 600: where a list row is clicked, right of its text, and
// where its selected colour is looked for (left of the GUI's pointer, which is drawn
// from the click's place to the right and down); the place the pointer rests at for the
// comparisons (the description's empty white, where the pointer's grey shadow shows);
// the Exit button.
constexpr int kRowX = 200, kProbeX = 190, kFirstRowY = 124, kRowH = 16;
int RowY(int i) { return kFirstRowY + kRowH * i; }
constexpr int kRestX = 600, kRestY = 150;
constexpr int kExitX = 35, kCompileX = 245, kButtonsY = 577;
constexpr int kTextX = 600, kTextY = 500;

constexpr long kSelectedRow = 0x0000A0, kMargin = 0xE1E1E1, kWhite = 0xFFFFFF;

// Polls the window's picture until `ready` holds for it; the last picture taken.
template <typename Condition>
Picture WaitForPicture(Editor& ed, Condition ready, int ms = 15000) {
    Picture pic;
    for (int waited = 0; waited < ms && !ed.Exited(); waited += 100) {
        pic = Capture(ed.window, ed.display);
        if (ready(pic)) break;
        Sleep(100);
    }
    return pic;
}

void MoveAndClick(Editor& ed, int x, int y) {
    ed.X("xdotool mousemove --window " + ed.window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

// The picture with the pointer at rest, once it is drawn there.
Picture RestingPicture(Editor& ed) {
    ed.X("xdotool mousemove --window " + ed.window + " " + std::to_string(kRestX) + " " + std::to_string(kRestY));
    return WaitForPicture(ed, [](const Picture& p) { return p.At(kRestX + 5, kRestY + 10) != kWhite; });
}

// How many pixels two pictures of one size differ in.
long DifferentPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    long n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) n += a.At(x, y) != b.At(x, y);
    return n;
}

}  // namespace

TEST(EditorResize, At1600x1200TheScreenIsTwiceAsLargeAndTakesClicksWhereItShowsThem) {
    // A screen that holds the larger window whole: the suite's own may be smaller, and
    // the X server gives no picture of a window's part beyond the screen's edge.
    PrivateDisplay screen("1600x1200x24");
    ASSERT_FALSE(screen.name.empty());
    Editor ed("resize");
    const fs::path loc = ed.dir / "Texts" / "Arabic" / "menu.loc";
    const std::vector<std::string> before = LocTexts(loc);
    ASSERT_TRUE(ed.Start(screen.name));
    MoveAndClick(ed, kRowX, RowY(2));
    WaitForPicture(ed, [](const Picture& p) { return p.At(kProbeX, RowY(2)) == kSelectedRow; });
    const Picture original = RestingPicture(ed);
    ASSERT_EQ(original.width, 800);
    // The window manager is told it may grow, never shrink below the layout's size (Wine
    // keeps a resizable window's minimum to itself).
    if (!WindowsProgram()) {
        EXPECT_NE(ed.X("xprop -id " + ed.window + " WM_NORMAL_HINTS").find("minimum size: 800 by 600"),
                  std::string::npos);
    }
    ASSERT_EQ(original.At(kProbeX, RowY(2)), kSelectedRow);

    // Item 5 is chosen before the resize, item 1 again through the scaled picture.
    MoveAndClick(ed, kRowX, RowY(5));
    WaitForPicture(ed, [](const Picture& p) { return p.At(kProbeX, RowY(5)) == kSelectedRow; });
    ed.X("xdotool windowmove " + ed.window + " 0 0");
    ed.X("xdotool windowsize " + ed.window + " 1600 1200");
    auto twice = [](int v) { return v * 2; };
    const Picture big = WaitForPicture(ed, [&](const Picture& p) {
        return p.width == 1600 && p.height == 1200 && p.At(twice(kProbeX), twice(RowY(5))) == kSelectedRow;
    });
    ASSERT_EQ(big.width, 1600);
    ASSERT_EQ(big.height, 1200);
    EXPECT_EQ(big.At(twice(3), twice(450)), kMargin);
    EXPECT_EQ(big.At(twice(kProbeX), twice(RowY(5))), kSelectedRow);
    EXPECT_NE(big.At(twice(kProbeX), twice(RowY(2))), kSelectedRow);
    EXPECT_EQ(big.At(twice(kRestX), twice(kRestY) + 60), kWhite);

    MoveAndClick(ed, twice(kRowX), twice(RowY(1)));
    WaitForPicture(ed, [&](const Picture& p) { return p.At(twice(kProbeX), twice(RowY(1))) == kSelectedRow; });
    MoveAndClick(ed, twice(kTextX), twice(kTextY));
    ed.Key("ctrl+a");
    ed.Type("Scaled");
    MoveAndClick(ed, twice(kCompileX), twice(kButtonsY));
    for (int waited = 0; waited < 10000 && LocTexts(loc) == before; waited += 100) Sleep(100);
    ExpectOnlyItemChanged(loc, before, 1, "Scaled");

    ed.X("xdotool windowsize " + ed.window + " 800 600");
    MoveAndClick(ed, kRowX, RowY(2));
    ed.X("xdotool mousemove --window " + ed.window + " " + std::to_string(kRestX) + " " + std::to_string(kRestY));
    const Picture back = WaitForPicture(ed, [&](const Picture& p) { return p == original; });
    EXPECT_TRUE(back == original) << DifferentPixels(back, original) << " pixels differ from the picture before";

    MoveAndClick(ed, kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);

    // The desktop's scale (Xft.dpi 144: 150 %) opens the window at 1200 x 900. Wine takes
    // its DPI from its own settings, not from the X resources.
    if (WindowsProgram()) return;
    ed.X("xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER 'Xft.dpi:\t144\n'");
    ASSERT_TRUE(ed.Start(screen.name));
    const Picture scaled = WaitForPicture(ed, [&](const Picture& p) {
        return p.width == 1200 && p.At(kProbeX * 3 / 2, RowY(2) * 3 / 2) == kSelectedRow;
    });
    EXPECT_EQ(scaled.width, 1200);
    EXPECT_EQ(scaled.height, 900);
    MoveAndClick(ed, kExitX * 3 / 2, kButtonsY * 3 / 2);
    EXPECT_EQ(ed.WaitExit(), 0);
}
