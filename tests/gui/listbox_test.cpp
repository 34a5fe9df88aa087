// listbox_test.cpp - the list through the real input path: Select before the current
// index moves, Shift ranges, MultiSelect, growth and insertion, the strip switching on with
// refitting, the tooltip delay, the wheel's bounds, keys, emptying, and the look.
#include "gui/controls/listbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/font.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;
using guitest::TestFont;

struct SelectCall {
    int32_t index, currentAtCall;
    bool selectedAtCall;
};
std::vector<SelectCall> g_selects;
std::vector<int32_t> g_actions;
ListBox* g_list = nullptr;

void OnSelect(int32_t index) { g_selects.push_back({index, g_list->current, g_list->IsSelected(index)}); }
void OnAction(int32_t index) { g_actions.push_back(index); }

constexpr float kFrame = 1.0f / 64;

class ListBoxTest : public GuiTest {
  protected:
    ListBox* list = nullptr;
    float lineH = 0;

    // A list at (100, 100), 200 x 200, on a full-screen sheet.
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet("S", "Sheet");
        list = dynamic_cast<ListBox*>(CreateControl("ListBox", "L", "S", 100, 100, 200, 200));
        ASSERT_NE(list, nullptr);
        g_list = list;
        BindControlEvent("L", "Select", OnSelect);
        BindControlEvent("L", "Action", OnAction);
        g_selects.clear();
        g_actions.clear();
        lineH = list->LineH();
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i) list->AddItem(("item " + std::to_string(i)).c_str());
    }
    // Screen point in the middle-left of row i (unscrolled).
    int RowY(int i) const { return 100 + int(lineH * float(i) + lineH * 0.5f) + 1; }
    // A text whose width lies between the room with the strip and without it.
    std::string TextFittingOnlyWithoutStrip() const {
        std::string text = "W";
        const float withStrip = list->w - list->scrollBarWidth - 4;
        while (TextWidthFont(text.c_str(), list->font) <= withStrip) text += "i";
        return text;
    }
};

TEST_F(ListBoxTest, SelectIsRaisedBeforeTheCurrentIndexChanges) {
    Fill(5);
    list->SelectItem(2);
    ASSERT_EQ(g_selects.size(), 1u);
    EXPECT_EQ(g_selects[0].index, 2);
    EXPECT_EQ(g_selects[0].currentAtCall, -1);
    EXPECT_FALSE(g_selects[0].selectedAtCall);  // the flag comes after the handler
    EXPECT_EQ(list->current, 2);
    EXPECT_TRUE(list->IsSelected(2));

    Press(150, RowY(4));  // a click: the handler still sees the item being left
    ASSERT_EQ(g_selects.size(), 2u);
    EXPECT_EQ(g_selects[1].index, 4);
    EXPECT_EQ(g_selects[1].currentAtCall, 2);
    EXPECT_FALSE(list->IsSelected(2));
    EXPECT_TRUE(list->IsSelected(4));
    EXPECT_EQ(list->current, 4);

    Release(150, RowY(4));
    TestAdvanceTicks(100);
    TestMouseButton(WM_LBUTTONDOWN, 150, RowY(4)), PumpMessages();  // double click
    EXPECT_TRUE(list->IsSelected(4));                               // clicking the selected item keeps it selected
    EXPECT_EQ(g_actions, std::vector<int32_t>{4});
    Release(150, RowY(4));

    list->SelectItem(5);  // out of range: ignored
    list->SelectItem(-1);
    EXPECT_EQ(g_selects.size(), 3u);
    Press(150, 100 + int(lineH * 7));  // below the last item: nothing
    EXPECT_EQ(g_selects.size(), 3u);
    EXPECT_EQ(list->current, 4);
}

TEST_F(ListBoxTest, ShiftClickSelectsARangeWithoutMovingTheCurrentIndex) {
    Fill(8);
    SetControlProperty("L", "MultiSelect", ValBool(true));
    Click(150, RowY(5));
    EXPECT_EQ(list->current, 5);
    TestKeyDown(VK_SHIFT, 0x2A), PumpMessages();
    Click(150, RowY(2));
    TestKeyUp(VK_SHIFT, 0x2A), PumpMessages();
    EXPECT_EQ(g_selects.back().index, -1);
    EXPECT_EQ(list->current, 5);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(list->IsSelected(i), i >= 2 && i <= 5) << i;

    Click(150, RowY(3));  // a plain click toggles one item
    EXPECT_FALSE(list->IsSelected(3));
    EXPECT_TRUE(list->IsSelected(4));
    EXPECT_EQ(list->current, 3);

    // Ctrl+A selects everything; the arrows mean nothing in a multiple selection.
    TestKeyDown(VK_CONTROL, 0x1D), PumpMessages();
    KeyTap('A');
    TestKeyUp(VK_CONTROL, 0x1D), PumpMessages();
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(list->IsSelected(i));
    KeyTap(VK_DOWN, true);
    EXPECT_EQ(list->current, 3);

    // Turning MultiSelect off clears the selection and says so with Select(-1).
    g_selects.clear();
    SetControlProperty("L", "MultiSelect", ValBool(false));
    ASSERT_EQ(g_selects.size(), 1u);
    EXPECT_EQ(g_selects[0].index, -1);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(list->IsSelected(i));
    SetControlProperty("L", "MultiSelect", ValBool(false));  // already off: nothing
    EXPECT_EQ(g_selects.size(), 1u);
}

TEST_F(ListBoxTest, ItemsSurviveGrowthAndInsertionsLandWhereAsked) {
    Fill(64);
    list->AddItem("the 65th");  // past the first block of storage
    EXPECT_STREQ(list->ItemText(63), "item 63");
    EXPECT_STREQ(list->ItemText(64), "the 65th");

    list->InsertItem(-1, "front");
    EXPECT_STREQ(list->ItemText(0), "front");
    list->InsertItem(list->ItemCount(), "back");
    EXPECT_STREQ(list->ItemText(list->ItemCount() - 1), "back");
    list->InsertItem(list->ItemCount() + 1, "nowhere");
    list->InsertItem(-2, "nowhere");
    EXPECT_EQ(list->ItemCount(), 67);

    // The current item stays the same item when another is put in front of it.
    list->SelectItem(10);
    list->InsertItem(3, "middle");
    EXPECT_EQ(list->current, 11);
    EXPECT_TRUE(list->IsSelected(11));
    KeyTap(VK_DOWN, true);  // no focus: the list does not get keys
    SetFocusTo("L");
    KeyTap(VK_DOWN, true);
    EXPECT_EQ(list->current, 12);
    EXPECT_FALSE(list->IsSelected(11));  // the item really left is the one deselected
}

TEST_F(ListBoxTest, EmptyingLeavesNoItemsNoCurrentAndRaisesNothing) {
    Fill(100);
    list->SelectItem(50);
    GuiDraw();
    g_selects.clear();
    list->ClearItems();
    EXPECT_EQ(list->ItemCount(), 0);
    EXPECT_EQ(list->current, -1);
    EXPECT_EQ(list->cBlock, 0);
    EXPECT_TRUE(g_selects.empty());
    EXPECT_EQ(list->ItemText(0), nullptr);
    // An empty list ignores keys, clicks and type-to-select, and refills normally.
    SetFocusTo("L");
    KeyTap(VK_DOWN, true);
    TestChar('i'), PumpMessages();
    Press(150, RowY(0));
    EXPECT_TRUE(g_selects.empty());
    list->AddItem("again");
    EXPECT_EQ(list->ItemCount(), 1);
    EXPECT_FALSE(list->IsSelected(0));
}

TEST_F(ListBoxTest, OverflowingTurnsTheStripOnAndRefitsEveryItem) {
    const std::string wide = TextFittingOnlyWithoutStrip();
    ASSERT_LE(TextWidthFont(wide.c_str(), list->font), list->w - 4) << "font too wide for the test";
    list->AddItem(wide.c_str());
    const int fits = int((200 - 2) / lineH);
    Fill(fits - 1);
    EXPECT_FALSE(list->Scrolling());
    EXPECT_EQ(list->AvailableWidth(), 200);
    EXPECT_FALSE(list->items[0].shortened);
    list->cBlock = 30;
    GuiDraw();
    EXPECT_EQ(list->cBlock, 0);                                // nothing to scroll: held at the top
    EXPECT_EQ(ReadPixel(292, RowY(2)), (Rgb{236, 255, 236}));  // no strip

    list->AddItem("one too many");
    EXPECT_TRUE(list->Scrolling());
    EXPECT_EQ(list->AvailableWidth(), 185);
    EXPECT_TRUE(list->items[0].shortened);
    EXPECT_LT(list->items[0].visibleLength, int32_t(wide.size()));
    GuiDraw();
    EXPECT_NE(ReadPixel(292, RowY(2)), (Rgb{236, 255, 236}));  // the strip

    // Refitting also follows the strip width, the size and the font.
    SetControlProperty("L", "ScrollBarWidth", ValFloat(5));
    EXPECT_FALSE(list->items[0].shortened);
    SetControlProperty("L", "ScrollBarWidth", ValFloat(15));
    EXPECT_TRUE(list->items[0].shortened);
    SetControlProperty("L", "w", ValFloat(400));
    EXPECT_FALSE(list->items[0].shortened);
    SetControlProperty("L", "w", ValFloat(200));
    EXPECT_TRUE(list->items[0].shortened);
    Font* none = nullptr;
    SetControlProperty("L", "Font", &none);
    EXPECT_FALSE(list->items[0].shortened);  // without a font nothing is measured
}

TEST_F(ListBoxTest, ShortenedItemShowsItsWholeTextAfterResting) {
    const std::string wide = "A rather long item text that cannot possibly fit into two hundred pixels";
    list->AddItem("short");
    list->AddItem(wide.c_str());
    ASSERT_TRUE(list->items[1].shortened);
    ASSERT_FALSE(list->items[0].shortened);
    MoveTo(150, RowY(1));
    for (int i = 0; i < 48; ++i) GuiUpdate(kFrame);  // 0.75 s: the timer is at 0.25
    EXPECT_EQ(g_gui.tip.opacity, 0);
    GuiUpdate(kFrame);
    EXPECT_GT(g_gui.tip.opacity, 0);
    EXPECT_EQ(g_gui.tip.text, wide);
    HideToolTip();
    MoveTo(150, RowY(0));  // an item that fits has no tooltip
    for (int i = 0; i < 200; ++i) GuiUpdate(kFrame);
    EXPECT_EQ(g_gui.tip.opacity, 0);
}

TEST_F(ListBoxTest, WheelMovesThreeStepsPerNotchWithinTheRange) {
    Fill(40);
    GuiDraw();
    ASSERT_TRUE(list->Scrolling());
    const float step = float(int(list->FontH()));
    const float top = float(int(lineH * 40 - 200));
    EXPECT_EQ(list->nBlocks, int32_t(top));
    MoveTo(150, 200);  // over the list, which does not have the focus
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(list->cBlock, 3 * step);
    EXPECT_EQ(GetFocusControl(), nullptr);
    for (int i = 0; i < 50; ++i) TestWheel(-120), PumpMessages();
    EXPECT_EQ(list->cBlock, top);
    for (int i = 0; i < 50; ++i) TestWheel(120), PumpMessages();
    EXPECT_EQ(list->cBlock, 0);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndTypingPicksByFirstLetter) {
    list->AddItem("apple");
    list->AddItem("Banana");
    list->AddItem("avocado");
    list->AddItem("cherry");
    SetFocusTo("L");
    KeyTap(VK_UP, true);  // no current item: Up selects the first
    EXPECT_EQ(list->current, 0);
    KeyTap(VK_UP, true);
    EXPECT_EQ(list->current, 0);
    for (int i = 0; i < 5; ++i) KeyTap(VK_DOWN, true);
    EXPECT_EQ(list->current, 3);
    EXPECT_EQ(g_selects.size(), 7u);
    EXPECT_EQ(g_selects.back().currentAtCall, 3);  // raised before the move, here a stay
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(list->IsSelected(i));

    KeyTap(VK_RETURN);
    KeyTap(VK_SPACE);
    EXPECT_EQ(g_actions, (std::vector<int32_t>{3, 3}));

    TestChar('A'), PumpMessages();  // after the current one first, then from the top
    EXPECT_EQ(list->current, 0);
    TestChar('a'), PumpMessages();
    EXPECT_EQ(list->current, 2);
    TestChar('b'), PumpMessages();
    EXPECT_EQ(list->current, 1);
    TestChar('z'), PumpMessages();
    EXPECT_EQ(list->current, 1);
}

TEST_F(ListBoxTest, DrawsZebraRowsTheSelectionBarAndTheBorder) {
    Fill(4);
    list->SelectItem(2);
    ClearScreen();
    GuiDraw();
    const int x = 290;  // right of any text
    EXPECT_EQ(ReadPixel(x, RowY(0)), (Rgb{236, 255, 236}));
    const Rgb odd = ReadPixel(x, RowY(1));
    EXPECT_NEAR(odd.r, 224, 2);  // black at 5% over the background
    EXPECT_NEAR(odd.g, 242, 2);
    EXPECT_NEAR(odd.b, 224, 2);
    EXPECT_EQ(ReadPixel(x, RowY(2)), (Rgb{0, 0, 160}));
    EXPECT_EQ(ReadPixel(x, RowY(3)), odd);
    EXPECT_EQ(ReadPixel(x, RowY(5)), (Rgb{236, 255, 236}));  // past the items
    EXPECT_LT(ReadPixel(200, 100).g, 160);                   // the dark border
}

}  // namespace
