// focus_loss_test.cpp - what controls see when the window loses the focus while a key
// or a mouse button holds a button down: the press is dropped, never completed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;

int g_clicks = 0;
void CountClick(int32_t) { ++g_clicks; }

class FocusLossTest : public GuiTest {};

}  // namespace

// Space, Enter or the mouse held on a button when the user switches away: the button
// comes back up and clicks nothing ("Exit w/out saving" must not run by itself).
TEST_F(FocusLossTest, AButtonHeldDownIsReleasedWithoutAClick) {
    MakeSheet("S", "Sheet");
    auto* button = static_cast<Button*>(CreateControl("Button", "B", "S", 100, 100, 120, 40));
    ASSERT_NE(button, nullptr);
    BindControlEvent("B", "Click", CountClick);
    const std::vector<std::string> holds = {"Space", "Enter", "Mouse 1"};
    for (const std::string& hold : holds) {
        SCOPED_TRACE(hold);
        g_clicks = 0;
        SetFocusTo("B");
        if (hold == "Mouse 1")
            Press(160, 120);
        else
            Key(hold == "Space" ? VK_SPACE : VK_RETURN);
        ASSERT_TRUE(button->IsPressed());
        TestFocusLost();
        PumpMessages();
        EXPECT_FALSE(button->IsPressed());
        EXPECT_EQ(g_clicks, 0);
        // Back again: the next press and release is one click, as ever.
        Click(160, 120);
        EXPECT_EQ(g_clicks, 1);
    }
}
