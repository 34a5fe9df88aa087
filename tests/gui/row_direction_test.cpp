// row_direction_test.cpp - where the controls put a text that reads right to left: at the
// right end of its room in list rows, cells, the combo box's field and label paragraphs,
// while Latin text stays at the left. Drawn with the editor's font and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gui/controls/combobox.h"
#include "gui/controls/frame_label_line.h"
#include "gui/controls/listbox.h"
#include "gui/controls/mclistbox.h"
#include "render/font.h"
#include "tests/gui/gui_test_support.h"

namespace {

using guitest::GuiTest;
using guitest::TestFont;

const char kHebrew[] = "שלום";
const char kArabic[] = "مرحبا بكم";

// The columns holding dark pixels in the screen band x0..x1, y0..y1 (ends excluded):
// the ink of black text on the controls' light backgrounds. right is one past the last.
struct Ink {
    int left = 1 << 20, right = -1;
};
Ink InkIn(int x0, int y0, int x1, int y1) {
    Ink ink;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb p = ReadPixel(x, y);
            if (p.r + p.g + p.b < 300) ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x + 1);
        }
    return ink;
}

class RowDirection : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
        MakeSheet("S", "Sheet");
    }
};

// Each control's rows and paragraphs: a right-to-left one ends 2 pixels (the left side's
// padding) before the room's right edge, give or take a glyph's side bearing; a Latin
// one starts at the left padding.
TEST_F(RowDirection, RightToLeftTextEndsAtTheRightOfItsRoomAndLatinStartsAtTheLeft) {
    auto* list = dynamic_cast<ListBox*>(CreateControl("ListBox", "L", "S", 100, 40, 200, 100));
    ASSERT_NE(list, nullptr);
    list->AddItem(kHebrew);
    list->AddItem("Hello");
    list->AddItem(kArabic);
    std::string longHebrew;
    while (TextWidthFont(longHebrew.c_str(), TestFont()) < 400) longHebrew += std::string(kHebrew) + " ";
    list->AddItem(longHebrew.c_str());
    for (int i = 0; i < 8; ++i) list->AddItem("filler");  // the strip takes 15 pixels of the rows
    ASSERT_TRUE(list->Scrolling());
    ASSERT_TRUE(list->items[3].shortened);

    auto* cells = dynamic_cast<MCListBox*>(CreateControl("MCListBox", "M", "S", 100, 160, 300, 60));
    ASSERT_NE(cells, nullptr);
    cells->AddColumn("Name", 100);
    cells->AddColumn("Value", 80);
    cells->AddItem((std::string(kHebrew) + "\nabc").c_str());

    auto* combo = dynamic_cast<ComboBox*>(CreateControl("ComboBox", "C", "S", 450, 40, 150, 20));
    ASSERT_NE(combo, nullptr);
    combo->AddItem(kArabic);
    combo->selected = 0;

    CreateControl("Label", "Lb", "S", 450, 160, 200, 60);
    SetControlProperty("Lb", "Text", (std::string(kArabic) + "\nHello world").c_str());
    GuiDraw();

    const int lineH = int(list->LineH());
    auto listRow = [&](int i) { return InkIn(101, 41 + lineH * i, 284, 41 + lineH * (i + 1)); };
    const int listRight = 100 + 185 - 2;
    for (int row : {0, 2}) {
        const Ink ink = listRow(row);
        EXPECT_GE(ink.right, listRight - 3) << "row " << row;
        EXPECT_LE(ink.right, listRight) << "row " << row;
        EXPECT_GT(ink.left, 180) << "row " << row;
    }
    const Ink latin = listRow(1);
    EXPECT_GE(latin.left, 102);
    EXPECT_LE(latin.left, 104);
    EXPECT_LT(latin.right, 180);
    // Shortened: the text still ends at the right, clear of the strip, and the dots come
    // before it on the left.
    const Ink shortened = listRow(3);
    EXPECT_GE(shortened.right, listRight - 3);
    EXPECT_LE(shortened.right, listRight);
    EXPECT_LE(shortened.left, 106);

    // Cells: the first ends at its column's end (100 + 2 + 100), the second starts at its own.
    const int cellTop = 160 + int(cells->columnH) + 1;
    const Ink hebrewCell = InkIn(101, cellTop, 205, cellTop + lineH);
    EXPECT_GE(hebrewCell.right, 202 - 3);
    EXPECT_LE(hebrewCell.right, 202);
    EXPECT_GT(hebrewCell.left, 150);
    const Ink latinCell = InkIn(205, cellTop, 399, cellTop + lineH);
    EXPECT_GE(latinCell.left, 205);
    EXPECT_LE(latinCell.left, 207);

    // The combo's field ends 4 pixels before its drop button, as it starts 4 after the edge.
    const Ink field = InkIn(451, 41, 450 + 150 - 20, 59);
    EXPECT_GE(field.right, 450 + 126 - 3);
    EXPECT_LE(field.right, 450 + 126);
    EXPECT_GT(field.left, 480);

    // A label: each paragraph on its own side.
    const int fontH = int(list->FontH());
    const Ink first = InkIn(450, 160, 650, 160 + fontH), second = InkIn(450, 160 + fontH, 650, 160 + 2 * fontH);
    EXPECT_GE(first.right, 650 - 3);
    EXPECT_LE(first.right, 650);
    EXPECT_GT(first.left, 550);
    EXPECT_LE(second.left, 452);
    EXPECT_LT(second.right, 560);
}

}  // namespace
