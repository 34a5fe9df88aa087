// scale_feature_test.cpp - the screen's scale on the real main screen (test backend): the
// step a window size gives and where the screen sits in it, clicks on list rows at every
// scale, the keys that step the scale within the desktop's room, and the user's
// display.ini they keep.
#include "editor/scale/scale_feature.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editor/scale/scale_setting.h"
#include "engine/engine.h"
#include "support/editor_screen.h"

using namespace editorscreen;

namespace {

class Scale : public DeskScreen {
  protected:
    void SetUp() override {
        DeskScreen::SetUp();
        setenv("XDG_CONFIG_HOME", (dir_ / "config").string().c_str(), 1);
        WriteEnglishGerman({"One", "Two", "Three", "Four", "Five", "Six"}, {"Eins", "Zwei", "Drei", "Vier", "", ""});
        Build();
    }
    void TearDown() override {
        TestSetDesktopSize(0, 0);
        ResizeWindowForScale(1.0f);
        Resize(800, 600);
        TestSetDisplayScale(1.0f);
        unsetenv("XDG_CONFIG_HOME");
        DeskScreen::TearDown();
    }
    // The window reports a new client size, as after the user resized it.
    static void Resize(int w, int h) {
        TestPostMessage(WM_SIZE, SIZE_RESTORED, intptr_t(w | (h << 16)));
        PumpMessages();
    }
    // What a resize to the size the keys asked for reports.
    static void ReportAskedSize() {
        PlatRect client;
        PlatGetClientRect(&client);
        Resize(client.right, client.bottom);
    }
    std::string Settings() const { return locfixture::ReadFile(dir_ / "config" / "zazovi" / "display.ini"); }
};

TEST_F(Scale, TheWindowSizePicksTheStepAndClicksLandOnTheRowsShownThere) {
    struct Case {
        int w, h;
        float scale;
        int originX, originY;
    };
    // Exact fits, a window with room over, one a pixel short of the next step, and one
    // smaller than the layout (stretched over it as before).
    for (const Case& c :
         {Case{800, 600, 1, 0, 0}, Case{1000, 750, 1.25f, 0, 0}, Case{1300, 950, 1.5f, 50, 25},
          Case{1599, 1200, 1.75f, 99, 75}, Case{1920, 1200, 2, 160, 0}, Case{3840, 2160, 2, 1120, 480}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Resize(c.w, c.h);
        EXPECT_EQ(g_engine.drawScale, c.scale);
        EXPECT_EQ(g_engine.originX, c.originX);
        EXPECT_EQ(g_engine.originY, c.originY);
        EXPECT_FALSE(ScreenStretched());
        // Row i of the list at the place the scaled screen shows it (x 200, y 124 + 16 i
        // on the 800 x 600 layout).
        for (int row : {1, 4}) {
            const float x = c.originX + 200 * c.scale, y = c.originY + (124 + 16 * row) * c.scale;
            TestAdvanceTicks(1000);
            TestMouseButton(WM_LBUTTONDOWN, int(x), int(y));
            TestMouseButton(WM_LBUTTONUP, int(x), int(y));
            PumpMessages();
            EXPECT_EQ(g_editor.items->current, row);
        }
    }
    Resize(700, 500);
    EXPECT_TRUE(ScreenStretched());
    EXPECT_EQ(g_engine.drawScale, 1.0f);
    float x = 0, y = 0;
    ClientToScreen(350, 250, &x, &y);
    EXPECT_FLOAT_EQ(x, 400);
    EXPECT_FLOAT_EQ(y, 300);
}

TEST_F(Scale, KeysStepWithinTheDesktopsRoomAndTheUserKeepsTheHandSetScale) {
    TestSetDesktopSize(1280, 1024);
    Resize(800, 600);
    // Ctrl+= grows a step; Ctrl+Shift+= (Ctrl+Plus) and keypad + too.
    Key(VK_OEM_PLUS, true);
    ReportAskedSize();
    EXPECT_EQ(g_engine.drawScale, 1.25f);
    EXPECT_EQ(g_gui.tip.text, "Screen at 125 %");
    EXPECT_EQ(display::ParseUserScale(Settings(), nullptr), 1.25f);
    EXPECT_EQ(StartScale(), 1.25f);
    Key(VK_ADD, true);
    ReportAskedSize();
    EXPECT_EQ(g_engine.drawScale, 1.5f);
    // 1400 x 1050 is more than the desktop holds: refused, nothing changed.
    Key(VK_OEM_PLUS, true, true);
    ReportAskedSize();
    EXPECT_EQ(g_engine.drawScale, 1.5f);
    EXPECT_EQ(g_gui.tip.text, "The desktop has no room for the screen at 175 %");
    EXPECT_EQ(display::ParseUserScale(Settings(), nullptr), 1.5f);
    Key(VK_OEM_MINUS, true);
    ReportAskedSize();
    Key(VK_SUBTRACT, true);
    ReportAskedSize();
    EXPECT_EQ(g_engine.drawScale, 1.0f);
    Key(VK_OEM_MINUS, true);
    EXPECT_EQ(g_gui.tip.text, "The screen is at its smallest, 100 %");
    // Ctrl+0: the display's own scale, and the hand-set one forgotten.
    TestSetDisplayScale(1.25f);
    Key('0', true);
    ReportAskedSize();
    EXPECT_EQ(g_engine.drawScale, 1.25f);
    EXPECT_EQ(display::ParseUserScale(Settings(), nullptr), 0);
    EXPECT_EQ(StartScale(), 1.25f);
}

TEST(UserScaleSetting, OnlyTheStepsAreReadAndWritingKeepsTheRest) {
    std::string problem;
    EXPECT_EQ(display::ParseUserScale("[display]\nscale = 1.75\n", &problem), 1.75f);
    EXPECT_EQ(display::ParseUserScale("[other]\nscale = 2\n", &problem), 0);
    for (const char* bad :
         {"[display]\nscale = 3\n", "[display]\nscale = 1.3\n", "[display]\nscale = big\n", "[display\nscale = 2\n"}) {
        problem.clear();
        EXPECT_EQ(display::ParseUserScale(bad, &problem), -1) << bad;
        EXPECT_FALSE(problem.empty()) << bad;
    }
    const std::string mine = "; mine\n[display]\ntheme = dark\nscale = 1.5\n[later]\nx = 1\n";
    EXPECT_EQ(display::WithUserScale(mine, 2), "; mine\n[display]\ntheme = dark\nscale = 2\n[later]\nx = 1\n");
    EXPECT_EQ(display::WithUserScale(mine, 0), "; mine\n[display]\ntheme = dark\n[later]\nx = 1\n");
    EXPECT_EQ(display::WithUserScale("", 1.25f), "[display]\nscale = 1.25\n");
}

}  // namespace
