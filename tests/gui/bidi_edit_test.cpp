// bidi_edit_test.cpp - editing mixed right-to-left and left-to-right text in both boxes
// through the real input path: Left and Right move on screen one character at a time,
// Home and End go to the line's ends, a selection shows as pieces over exactly its
// characters, a click puts the caret between the characters clicked, and Backspace
// deletes in logical order.
#include <algorithm>
#include <string>
#include <vector>

#include "gui/controls/mltextbox.h"
#include "gui/controls/textbox.h"
#include "render/font.h"
#include "render/line_layout.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

constexpr int kX = 100, kY = 100, kW = 300;

// "ab שלום cd": Hebrew letters at bytes 3, 5, 7 and 9, drawn right to left between the
// Latin words of a left-to-right paragraph.
const char kMixed[] = "ab \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D cd";

class BidiEditTest : public GuiTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet();
        control = CreateControl(GetParam(), "E", "S", kX, kY, kW, 100);
        edit = TextEditOf(control);
        ASSERT_NE(edit, nullptr);
        SetFocusTo("E");
    }
    void SetText(const char* t) {
        ASSERT_TRUE(SetControlProperty("E", "Text", t));
        edit->cPos = 0, edit->nSel = 0;
    }
    // The line as the box lays it out, in the box's text coordinates.
    layout::Line Laid() const {
        if (auto* t = dynamic_cast<TextBox*>(control)) return t->Layout();
        auto* m = static_cast<MLTextBox*>(control);
        layout::Line line;
        layout::LayOutLine(m->font, m->text, 0, uint32_t(m->text.size()), shape::ParagraphDirection(m->text),
                           m->WrapWidth(), line);
        return line;
    }
    float CaretX() const {
        if (auto* m = dynamic_cast<MLTextBox*>(control))
            return m->CaretXY(edit->Caret(), m->WrapWidth(), edit->caretWithPrevious).x;
        return layout::CaretX(Laid(), uint32_t(edit->Caret()), edit->caretWithPrevious);
    }
    // Presses the key until the caret stops, and returns the offsets it went through.
    std::vector<int32_t> Walk(uint8_t vk) {
        std::vector<int32_t> seen;
        for (int i = 0; i < 20; ++i) {
            const float before = CaretX();
            const int32_t at = edit->Caret();
            Tap(vk);
            if (edit->Caret() == at && CaretX() == before) break;
            // Every press moves the caret one character on screen, the way pressed.
            EXPECT_TRUE(vk == VK_RIGHT ? CaretX() > before : CaretX() < before) << "after offset " << at;
            seen.push_back(edit->Caret());
        }
        return seen;
    }

    // Home and End of the navigation block (without the extended flag they are the keypad's).
    static void Nav(uint8_t vk, bool shift = false) {
        if (shift) Key(VK_SHIFT, 0x2A);
        KeyTap(vk, true);
        if (shift) KeyRelease(VK_SHIFT, 0x2A);
    }

    Control* control = nullptr;
    TextEdit* edit = nullptr;
};

INSTANTIATE_TEST_SUITE_P(BothBoxes, BidiEditTest, ::testing::Values("TextBox", "MLTextBox"));

}  // namespace

TEST_P(BidiEditTest, LeftAndRightMoveOnScreenAndBackspaceDeletesInLogicalOrder) {
    SetText(kMixed);
    // Over the Hebrew word the caret goes right to left in logical order as it goes right
    // on screen; where the runs meet, the offset is shown against the character crossed.
    EXPECT_EQ(Walk(VK_RIGHT), (std::vector<int32_t>{1, 2, 3, 9, 7, 5, 3, 12, 13, 14}));
    EXPECT_EQ(Walk(VK_LEFT), (std::vector<int32_t>{13, 12, 11, 5, 7, 9, 11, 2, 1, 0}));

    // With the caret just right of the word on screen (after its last letter, logical
    // offset 11), Backspace takes that letter, the one typed last.
    edit->cPos = 11, edit->nSel = 0;
    Tap(VK_BACK);
    EXPECT_EQ(edit->text, "ab \xD7\xA9\xD7\x9C\xD7\x95 cd");
}

TEST_P(BidiEditTest, HomeAndEndGoToTheLineEndsAsItReads) {
    // A right-to-left paragraph ("שלום abc"): Home is its right end, End its left end.
    SetText("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc");
    edit->cPos = 5;
    Nav(VK_HOME);
    EXPECT_EQ(edit->Caret(), 0);
    const float right = CaretX();
    Nav(VK_END);
    const float left = CaretX();
    EXPECT_LT(left, right);
    for (const layout::Cell& c : Laid().cells) {
        EXPECT_GE(c.x0, left - 0.01f);
        EXPECT_LE(c.x1, right + 0.01f);
    }
    // Shift+Home selects the whole line.
    Nav(VK_HOME, true);
    EXPECT_EQ(std::min(edit->cPos, edit->Caret()), 0);
    EXPECT_EQ(std::max(edit->cPos, edit->Caret()), int32_t(edit->text.size()) - 3);  // up to "abc", drawn leftmost

    // In a left-to-right line Home and End are the text's two ends.
    SetText("plain words");
    edit->cPos = 4;
    Nav(VK_END);
    EXPECT_EQ(edit->Caret(), 11);
    Nav(VK_HOME);
    EXPECT_EQ(edit->Caret(), 0);
}

TEST_P(BidiEditTest, SelectionShowsOverItsCharactersAndClicksLandBetweenThem) {
    SetText(kMixed);
    SetControlProperty("E", "Color", ValColor(MakeColor(255, 255, 255)));
    SetControlProperty("E", "SelectedColor", ValColor(MakeColor(255, 0, 0)));
    // From after "b", three steps right select the blank and the first two Hebrew
    // letters: on screen the blank and the word's right half, apart.
    edit->cPos = 2;
    for (int i = 0; i < 3; ++i) Chord(VK_SHIFT, 0x2A, VK_RIGHT);
    EXPECT_EQ(edit->cPos, 2);
    EXPECT_EQ(edit->Caret(), 7);
    DrawFrame();
    const layout::Line line = Laid();
    auto selectedAt = [&](const layout::Cell& c) {
        // A pixel low in the cell's middle, below the ink of most glyphs.
        const Rgb p = ReadPixel(kX + 2 + int((c.x0 + c.x1) / 2), kY + 2 + 2);
        return p.r == 255 && p.g == 0 && p.b == 0;
    };
    for (const layout::Cell& c : line.cells) EXPECT_EQ(selectedAt(c), c.begin >= 2 && c.end <= 7) << c.begin;

    // A click on the edge between two Hebrew letters puts the caret between them.
    for (const layout::Cell& c : line.cells) {
        if (c.begin != 5) continue;  // lamed, left of shin on screen
        Click(kX + 2 + int(c.x1 + 0.5f), kY + 6);
        EXPECT_EQ(edit->nSel, 0);
        EXPECT_EQ(edit->cPos, 5);
    }
}
