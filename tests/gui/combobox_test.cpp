// combobox_test.cpp - the combo through the real input path: its open-state machine,
// opening down or up (and shrinking with no room above), arrow keys open and closed,
// closing when the focus leaves, one open list at a time, and the list drawn on top.
#include "gui/controls/combobox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/font.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;
using guitest::TestFont;

std::vector<int32_t> g_selects;
void OnSelect(int32_t index) { g_selects.push_back(index); }

class ComboBoxTest : public GuiTest {
  protected:
    ComboBox* combo = nullptr;
    float lineH = 0;

    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet("S", "Sheet");
        combo = Make("C", 100, 100);
        g_selects.clear();
        lineH = combo->LineH();
    }
    static ComboBox* Make(const char* name, float x, float y, int items = 5) {
        auto* c = dynamic_cast<ComboBox*>(CreateControl("ComboBox", name, "S", x, y, 150, 20));
        EXPECT_NE(c, nullptr);
        BindControlEvent(name, "Select", OnSelect);
        for (int i = 0; i < items; ++i) c->AddItem(("item " + std::to_string(i)).c_str());
        return c;
    }
    // Screen y of the middle of row i of a list whose top is at listTop.
    int RowY(float listTop, int i) const { return int(listTop + lineH * float(i) + lineH * 0.5f) + 1; }
};

TEST_F(ComboBoxTest, PressReleasePickCloseStateMachine) {
    const int16_t drop = combo->dropHeight;
    Press(150, 110);  // on the box: opens downward
    EXPECT_EQ(combo->openState, COMBO_OPENING);
    EXPECT_EQ(combo->direction, COMBO_DOWN);
    EXPECT_EQ(combo->h, 20 + drop);
    EXPECT_EQ(combo->y, 100);
    EXPECT_EQ(GetCapture(), combo);
    EXPECT_NE(GetOverlay(), nullptr);
    Release(150, 110);
    EXPECT_TRUE(combo->IsOpen());  // the opening release keeps it open

    MoveTo(150, RowY(120, 3));
    EXPECT_EQ(combo->highlighted, 3);
    Press(150, RowY(120, 3));
    EXPECT_EQ(combo->openState, COMBO_ON_ROW);
    EXPECT_TRUE(g_selects.empty());
    Release(150, RowY(120, 3));
    EXPECT_EQ(g_selects, std::vector<int32_t>{3});
    EXPECT_EQ(combo->selected, 3);
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_EQ(combo->h, 20);
    EXPECT_EQ(GetOverlay(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);

    // A press on the box of an open list closes it without a change.
    Click(150, 110);
    ASSERT_TRUE(combo->IsOpen());
    MoveTo(150, RowY(120, 1));
    Press(150, 110);
    EXPECT_EQ(combo->openState, COMBO_ON_BOX);
    Release(150, 110);
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_EQ(combo->selected, 3);
    EXPECT_EQ(combo->highlighted, 3);  // the hovered row is forgotten
    EXPECT_EQ(g_selects.size(), 1u);

    // A release below the last row closes without picking anything.
    SetControlProperty("C", "MaxDropHeight", ValShort(200));
    combo->AddItem("item 5");  // the new limit applies from the next insertion
    Click(150, 110);
    Click(150, 110 + 10 + combo->dropHeight - 1);
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_EQ(g_selects.size(), 1u);

    // An empty combo does not open.
    combo->ClearItems();
    Click(150, 110);
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_EQ(combo->selected, -1);
}

TEST_F(ComboBoxTest, OpensUpwardNearTheBottomAndShrinksWithoutRoomAbove) {
    ComboBox* low = Make("Low", 100, 570);
    const int16_t drop = low->dropHeight;
    Click(150, 580);
    ASSERT_TRUE(low->IsOpen());
    EXPECT_EQ(low->direction, COMBO_UP);
    EXPECT_EQ(low->y, 570 - drop);
    EXPECT_EQ(low->h, 20 + drop);
    // The rows are above the box now.
    Click(150, RowY(570.0f - float(drop), 0));
    EXPECT_EQ(low->selected, 0);
    EXPECT_EQ(low->y, 570);
    EXPECT_EQ(low->h, 20);

    // Tall list, little room either way: the list takes the room above less 5 pixels,
    // scrolls, and keeps that height until the next item is added.
    ComboBox* mid = Make("Mid", 300, 250, 0);
    SetControlProperty("Mid", "MaxDropHeight", ValShort(400));
    for (int i = 0; i < 40; ++i) mid->AddItem(("entry " + std::to_string(i)).c_str());
    EXPECT_EQ(mid->dropHeight, 400);
    Click(350, 260);
    ASSERT_TRUE(mid->IsOpen());
    EXPECT_EQ(mid->direction, COMBO_UP);
    EXPECT_EQ(mid->dropHeight, 245);
    EXPECT_EQ(mid->y, 5);
    EXPECT_TRUE(mid->Scrolling());
    GuiDraw();
    EXPECT_GT(mid->nBlocks, 0);  // every entry is reachable through the strip
    Click(350, 260);             // the box closes it
    EXPECT_EQ(mid->y, 250);
    EXPECT_EQ(mid->h, 20);
    EXPECT_EQ(mid->dropHeight, 245);
    mid->AddItem("one more");
    EXPECT_EQ(mid->dropHeight, 400);
}

TEST_F(ComboBoxTest, ArrowKeysChangeTheSelectionClosedAndOnlyTheHighlightOpen) {
    SetFocusTo("C");
    KeyTap(VK_DOWN, true);
    KeyTap(VK_DOWN, true);
    EXPECT_EQ(combo->selected, 1);
    EXPECT_EQ(g_selects, (std::vector<int32_t>{0, 1}));
    KeyTap(VK_UP, true), KeyTap(VK_UP, true), KeyTap(VK_UP, true);
    EXPECT_EQ(combo->selected, 0);
    EXPECT_EQ(g_selects.size(), 5u);

    Click(150, 110);
    ASSERT_TRUE(combo->IsOpen());
    EXPECT_EQ(combo->highlighted, 0);
    KeyTap(VK_DOWN, true), KeyTap(VK_DOWN, true);
    EXPECT_EQ(combo->highlighted, 2);
    EXPECT_EQ(combo->selected, 0);  // open: only the highlight moves
    EXPECT_EQ(g_selects.back(), 2);
    for (int i = 0; i < 10; ++i) KeyTap(VK_DOWN, true);
    EXPECT_EQ(combo->highlighted, 4);

    // The selection written straight into the field (as a restored position is) is
    // where the keys start from, and one that names no item draws nothing.
    Click(150, 110);
    combo->selected = 9;
    GuiDraw();
    KeyTap(VK_UP, true);
    EXPECT_EQ(combo->selected, 4);
}

TEST_F(ComboBoxTest, ClosesWhenTheFocusLeavesAndOnlyOneListIsOpen) {
    ComboBox* other = Make("D", 400, 100);
    Click(150, 110);
    ASSERT_TRUE(combo->IsOpen());
    Click(450, 110);  // the other combo: takes the focus and opens its own list
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_TRUE(other->IsOpen());
    GuiDraw();  // the first combo's draw must not take the second one's list away
    EXPECT_TRUE(other->IsOpen());
    EXPECT_NE(GetOverlay(), nullptr);

    Click(700, 500);  // the sheet
    EXPECT_TRUE(other->IsOpen());
    GuiDraw();  // closes at the next draw
    EXPECT_FALSE(other->IsOpen());
    EXPECT_EQ(other->h, 20);
    EXPECT_EQ(GetOverlay(), nullptr);

    Click(450, 110);
    ASSERT_TRUE(other->IsOpen());
    DestroyControl("D");  // gone while open: the overlay forgets its list
    EXPECT_EQ(GetOverlay(), nullptr);
    GuiDraw();
}

TEST_F(ComboBoxTest, OpenListIsDrawnAboveALaterSiblingWithShadowAndHighlight) {
    CreateControl("Shape", "Cover", "S", 90, 115, 300, 200);
    SetControlProperty("Cover", "Color", ValColor(MakeColor(255, 0, 0)));
    ClearScreen();
    GuiDraw();
    ASSERT_EQ(ReadPixel(240, 140), (Rgb{255, 0, 0})) << "the cover is drawn";

    Click(150, 110);
    ASSERT_TRUE(combo->IsOpen());
    MoveTo(240, RowY(120, 2));
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(230, RowY(120, 0)), (Rgb{236, 255, 236}));  // list over the cover
    EXPECT_EQ(ReadPixel(230, RowY(120, 2)), (Rgb{0, 0, 160}));      // highlighted row
    EXPECT_EQ(ReadPixel(160, 103), (Rgb{0, 0, 160}));               // the focused box
    const Rgb shadow = ReadPixel(251, 150);                         // right of the list
    EXPECT_LT(shadow.r, 255);
    EXPECT_GT(shadow.r, 0);

    SetControlProperty("C", "DrawShadow", ValBool(false));
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(251, 150), (Rgb{255, 0, 0}));
}

}  // namespace
