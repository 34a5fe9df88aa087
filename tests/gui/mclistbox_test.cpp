// mclistbox_test.cpp - the multi-column list: column resizing by a real mouse drag on a
// separator (with the 5-pixel floor and the double-bar pointer), rows found below the
// column bar, the key order of Select, and its look.
#include "gui/controls/mclistbox.h"

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
};
std::vector<SelectCall> g_selects;
std::vector<int32_t> g_mouseDowns;
MCListBox* g_list = nullptr;
void OnSelect(int32_t index) { g_selects.push_back({index, g_list->current}); }
void OnMouseDown(int32_t key) { g_mouseDowns.push_back(key); }

class MCListBoxTest : public GuiTest {
  protected:
    MCListBox* list = nullptr;

    // At (100, 100), 300 x 200, columns of 100 and 80: the first separator stands at
    // 100 + 5 + 103 - 4.5 = 203.5 on the screen.
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet("S", "Sheet");
        list = dynamic_cast<MCListBox*>(CreateControl("MCListBox", "M", "S", 100, 100, 300, 200));
        ASSERT_NE(list, nullptr);
        g_list = list;
        list->AddColumn("Name", 100);
        list->AddColumn("Value", 80);
        for (int i = 0; i < 4; ++i) list->AddItem(("key " + std::to_string(i) + "\nvalue").c_str());
        BindControlEvent("M", "Select", OnSelect);
        BindControlEvent("M", "MouseDown", OnMouseDown);
        g_selects.clear();
        g_mouseDowns.clear();
    }
    int RowY(int i) const { return 100 + int(list->columnH + list->LineH() * (float(i) + 0.5f)) + 1; }
    int BarY() const { return 100 + int(list->columnH * 0.5f); }
};

TEST_F(MCListBoxTest, DraggingASeparatorResizesItsColumnDownToFivePixels) {
    MoveTo(203, BarY());
    GuiDraw();
    EXPECT_EQ(GetPointerKind(), POINTER_DOUBLE_BAR);
    Press(203, BarY());
    EXPECT_EQ(list->dragColumn, 0);
    EXPECT_EQ(g_mouseDowns, std::vector<int32_t>{KEY_MOUSE1});
    MoveTo(233, BarY());
    EXPECT_EQ(list->columns[0].width, 130);
    EXPECT_EQ(list->SeparatorX(0), 233.5f);
    MoveTo(180, BarY());
    EXPECT_EQ(list->columns[0].width, 77);
    MoveTo(102, BarY());
    EXPECT_EQ(list->columns[0].width, 5);  // the floor
    Release(102, BarY());
    EXPECT_EQ(list->dragColumn, -1);
    MoveTo(150, BarY());
    EXPECT_EQ(list->columns[0].width, 5);  // no longer dragging
    EXPECT_EQ(list->columns[1].width, 80);

    // A press on the bar away from any grip raises MouseDown and selects nothing.
    Click(300, BarY());
    EXPECT_EQ(list->dragColumn, -1);
    EXPECT_EQ(g_mouseDowns.size(), 2u);
    EXPECT_TRUE(g_selects.empty());

    // A drag also ends at the next update without the button held.
    list->columns[0].width = 100;
    Press(203, BarY());
    ASSERT_EQ(list->dragColumn, 0);
    g_input.keys[KEY_MOUSE1] = 0;
    GuiUpdate(0.01f);
    EXPECT_EQ(list->dragColumn, -1);
}

TEST_F(MCListBoxTest, RowsLieBelowTheBarAndKeysMoveTheCurrentIndexFirst) {
    Click(150, RowY(2));
    ASSERT_EQ(g_selects.size(), 1u);
    EXPECT_EQ(g_selects[0].index, 2);
    EXPECT_EQ(g_selects[0].currentAtCall, -1);  // a click: as in a ListBox
    EXPECT_EQ(list->current, 2);
    TestKeyDown(VK_DOWN, 0, true), PumpMessages();
    ASSERT_EQ(g_selects.size(), 2u);
    EXPECT_EQ(g_selects[1].index, 3);
    EXPECT_EQ(g_selects[1].currentAtCall, 3);  // a key: current first, then Select
    EXPECT_FALSE(list->IsSelected(2));
    EXPECT_TRUE(list->IsSelected(3));
}

TEST_F(MCListBoxTest, DrawsTheBarSeparatorsSelectionAndScrollsBesideTheRows) {
    list->SelectItem(1);
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(390, BarY()), (Rgb{225, 225, 225}));   // the column bar
    EXPECT_LT(ReadPixel(203, BarY()).r, 200);                  // the first separator
    EXPECT_EQ(ReadPixel(390, RowY(1)), (Rgb{0, 0, 160}));      // the selected row
    EXPECT_EQ(ReadPixel(390, RowY(2)), (Rgb{236, 255, 236}));  // no zebra rows here
    EXPECT_EQ(ReadPixel(180, RowY(2)), (Rgb{236, 255, 236}));  // "key 2" ends well before

    // Enough rows to scroll: the strip stands beside the rows, below the bar.
    for (int i = 0; i < 30; ++i) list->AddItem("more");
    ClearScreen();
    GuiDraw();
    EXPECT_TRUE(list->Scrolling());
    EXPECT_EQ(list->nBlocks, int32_t(list->LineH() * 34 - 200 + list->columnH));
    EXPECT_EQ(ReadPixel(392, BarY()), (Rgb{225, 225, 225}));  // the bar, not the strip
    MoveTo(200, RowY(5));
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(list->cBlock, 3 * int(list->FontH()));
}

}  // namespace
